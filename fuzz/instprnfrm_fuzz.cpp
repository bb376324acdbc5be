// Fuzzes the join of the shell's item lists (sizes read from memory the shell hands over): the first
// byte splits the input into the folder's list and the item's.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "ui/instprnfrm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t split = size > 1 ? data[0] % size : 0;
  const std::span<const uint8_t> bytes(data + 1, size - 1);
  const auto folder = bytes.first(split < bytes.size() ? split : bytes.size());
  const auto item = bytes.subspan(folder.size());
  const std::vector<uint8_t> joined = JoinItemLists(folder, item);
  // A join is whole: it walks to its terminator and is no longer than both inputs.
  if (!joined.empty() && (joined.size() > folder.size() + item.size() || joined.size() < 2 ||
                          joined[joined.size() - 1] != 0 || joined[joined.size() - 2] != 0))
    std::abort();
  return 0;
}
