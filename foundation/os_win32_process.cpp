// Command lines and paths of the process routines, built apart from the calls that use them.
#include "foundation/os_win32_process.h"

namespace {
// cmd /C has no escape inside quotes: a quote ends the argument and %NAME% is expanded there.
bool Quotable(std::string_view part) {
  if (part.empty()) return false;
  for (const char ch : part) {
    const auto byte = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '%' || byte < 0x20) return false;
  }
  return true;
}

std::string Quoted(std::string_view part) { return "\"" + std::string(part) + "\""; }
}  // namespace

std::string PortNameForCopy(std::string_view port) {
  if (!port.empty() && port.back() == ':') port.remove_suffix(1);
  return std::string(port);
}

std::string BuildCopyToPortCmdLine(std::string_view comspec, std::string_view shortFileName, std::string_view port) {
  if (!Quotable(comspec) || !Quotable(shortFileName) || !Quotable(port)) return {};
  return Quoted(comspec) + " /C copy /B " + Quoted(shortFileName) + " " + Quoted(port);
}

std::u16string BuildInfInstallCmdLine(std::u16string_view systemDir, std::u16string_view infPath) {
  std::u16string dir(systemDir);
  if (dir.empty() || dir.back() != u'\\') dir += u'\\';
  return dir + u"rundll32.exe syssetup.dll,SetupInfObjectInstallAction DefaultInstall 128 " + std::u16string(infPath);
}

std::u16string WatchDirectoryPath(std::u16string_view dir) {
  const bool driveRoot = dir.size() == 3 && dir[1] == u':' && dir[2] == u'\\';
  if (dir.size() > 1 && dir.back() == u'\\' && !driveRoot) dir.remove_suffix(1);
  return std::u16string(dir);
}
