// Fuzz target of the batch DOS run's command line and the copies of the DOS file run (whoever starts
// the program, or calls its export, writes them). Input: UTF-16LE text; the first unit picks the copies'
// flags.
#include <cstdint>
#include <cstdlib>

#include "foundation/lib_str_cmdline.h"
#include "fuzz/fuzz_input.h"
#include "monitor/client_exports.h"
#include "monitor/uintraw.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string line = FuzzUtf16(data, size);
  std::vector<std::u16string> args = SplitCommandLine(line);
  if (const auto options = ParseDosBatchArgs(args)) {
    if (options->H < 0 || options->H > 999 || options->V < -999 || options->V > 999) std::abort();
    if (DosBatchCopies(*options).size() > 64) std::abort();
    const int32_t place = DosBatchCodePlace(*options);
    if (place != -1 && static_cast<int16_t>(place & 0xFFFF) != options->H) std::abort();
  }
  TDosFileRequest request;
  request.Forming = size > 0 && (data[0] & 1);
  request.Cycling = size > 0 && (data[0] & 2);
  for (const char16_t c : line) request.Copies += static_cast<char>(c);
  for (int32_t document : {0, 1, 2, 65, 1000000}) {
    const std::string copies = FileDosCopies(request, (size & 1) != 0, document);
    if (copies.empty() || copies.size() > 64) std::abort();
  }
  IsBlankTail(request.Copies);
  return 0;
}
