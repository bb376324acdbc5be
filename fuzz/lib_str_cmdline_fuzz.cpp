// Fuzz target of the command line (whoever starts the program writes it). Input: UTF-16LE text.
#include <cstdint>
#include <cstdlib>

#include "foundation/lib_str_cmdline.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string line = FuzzUtf16(data, size);
  const std::vector<std::u16string> args = SplitCommandLine(line);
  size_t total = 0;
  for (const auto& arg : args) {
    // Quotes group and are dropped; what is left is at most the line's own characters.
    if (arg.find(u'"') != std::u16string::npos) std::abort();
    total += arg.size();
  }
  if (total > line.size()) std::abort();
  const char16_t letter = GetCommandLetter(args);
  if (args.size() < 2 && letter != 0 && args.empty()) std::abort();
  for (size_t i = 1; i < args.size(); ++i) {
    const std::u16string& arg = args[i];
    if (!arg.empty() && (arg[0] == u'/' || arg[0] == u'-') && !FindCmdLineSwitch(args, arg.substr(1))) std::abort();
    // A value argument is found by its name, and its value is part of the line.
    const size_t equals = arg.find(u'=');
    if (equals != std::u16string::npos && equals > 0) {
      const std::u16string value = FindCmdLineValue(args, std::u16string_view(arg).substr(0, equals));
      if (value.size() > line.size()) std::abort();
    }
  }
  return 0;
}
