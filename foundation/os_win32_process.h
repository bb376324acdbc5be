// Command lines and paths the process routines hand to Windows: the port copy through the command
// interpreter, the INF install under WOW64 and the directory a change notification watches.
#pragma once

#include <string>
#include <string_view>

// The port name as the copy command takes it: one trailing colon dropped ("LPT1:" -> "LPT1").
std::string PortNameForCopy(std::string_view port);

// "comspec" /C copy /B "file" "port", every part quoted so that names with spaces or the command
// interpreter's operators (& | < >) stay one argument. Empty when a part is empty or holds a
// character that quoting cannot protect (a double quote, a percent sign, a control character).
std::string BuildCopyToPortCmdLine(std::string_view comspec, std::string_view shortFileName, std::string_view port);

// The system directory's rundll32 running syssetup's DefaultInstall on the INF (the 64-bit systems' road).
std::u16string BuildInfInstallCmdLine(std::u16string_view systemDir, std::u16string_view infPath);

// The directory without its trailing backslash, except a drive root ("C:\" stays: "C:" would mean the
// drive's current directory) and the bare root "\".
std::u16string WatchDirectoryPath(std::u16string_view dir);
