// Command line of the program: its arguments, the command letter and the switch words.
#include "foundation/lib_str_cmdline.h"

#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"

std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine) {
  std::vector<std::u16string> args;
  size_t i = 0;
  const size_t n = commandLine.size();
  while (i < n) {
    while (i < n && commandLine[i] <= u' ') ++i;
    if (i >= n) break;
    std::u16string arg;
    bool quoted = false;
    while (i < n && (quoted || commandLine[i] > u' ')) {
      if (commandLine[i] == u'"')
        quoted = !quoted;
      else
        arg.push_back(commandLine[i]);
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

char16_t GetCommandLetter(const std::vector<std::u16string>& args) {
  if (args.size() < 2 || args[1].empty()) return 0;
  const std::u16string& first = args[1];
  const bool switched = first[0] == u'/' || first[0] == u'-';
  if (switched && first.size() < 2) return 0;
  return UpperCharW(first[switched ? 1 : 0]);
}

bool FindCmdLineSwitch(const std::vector<std::u16string>& args, std::u16string_view word) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::u16string& a = args[i];
    if (a.size() == word.size() + 1 && (a[0] == u'/' || a[0] == u'-') &&
        SameTextW(std::u16string_view(a).substr(1), word))
      return true;
  }
  return false;
}

std::u16string FindCmdLineValue(const std::vector<std::u16string>& args, std::u16string_view name) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::u16string_view a = args[i];
    if (a.size() > name.size() && a[name.size()] == u'=' && SameTextW(a.substr(0, name.size()), name))
      return std::u16string(a.substr(name.size() + 1));
  }
  return {};
}
