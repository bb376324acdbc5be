// Fuzzes the copies-string conversions with page lists (command line) and masks (stored settings).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/cl_tools_pages.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// A mask shown in the dialog and turned back must be the same mask, read as the dialog reads it.
void CheckRoundTrip(std::string_view mask) {
  std::string expected(mask.substr(0, kMaxPageMaskLength));
  for (char& c : expected) c = c == 'C' ? 'C' : 'N';
  std::string count;
  std::string custom;
  int32_t preset = 0;
  Check(TextToPageSet(mask, count, preset, custom));
  Check(PageSetToText(count, custom, preset) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string trimmed = PageListToMask(0, input, true);
  Check(trimmed.size() <= static_cast<std::size_t>(kMaxPageMaskLength));
  Check(trimmed.empty() || trimmed.back() == 'C');
  Check(trimmed.find_first_not_of("CN") == std::string::npos);
  Check(PageListToMask(static_cast<int32_t>(trimmed.size()), MaskToPageList(trimmed), true) == trimmed);
  CheckRoundTrip(trimmed);
  CheckRoundTrip(input);
  return 0;
}
