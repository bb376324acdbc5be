// Fuzz target of the command table: any command line under any component mask and service state.
// Input: one byte of facts (bits 0-4 the mask, 5 as a service, 6 the service installed), then UTF-16LE.
#include <cstdint>

#include "foundation/lib_str_cmdline.h"
#include "fuzz/fuzz_input.h"
#include "monitor/client_dispatch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  TDispatchFacts facts;
  facts.Mask = data[0] & 31;
  facts.AsService = (data[0] & 32) != 0;
  facts.ServiceInstalled = (data[0] & 64) != 0;
  const std::vector<std::u16string> args = SplitCommandLine(FuzzUtf16(data + 1, size - 1));
  (void)ChooseClientRole(args, facts);
  (void)PlanInstall(facts);
  return 0;
}
