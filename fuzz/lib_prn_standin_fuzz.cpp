// Fuzz target of the stand-in spooler's state file: any text either parses into a state that formats
// back to text parsing into the same state, or is refused with a reason.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "foundation/lib_prn_standin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TStandInState state;
  std::string why;
  if (!ParseStandInState(text, state, why)) {
    if (why.empty()) std::abort();
    return 0;
  }
  const std::string once = FormatStandInState(state);
  TStandInState again;
  if (!ParseStandInState(once, again, why) || FormatStandInState(again) != once) std::abort();
  return 0;
}
