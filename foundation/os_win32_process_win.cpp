// Child processes, INF installation, the port copy through the command interpreter and directory
// change notifications.
#include "foundation/os_win32_process_win.h"

#include <shellapi.h>

#include "foundation/lib_api_win.h"
#include "foundation/lib_apiext_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_process.h"

namespace {
// SEE_MASK_NOCLOSEPROCESS (we wait for the installer) with 0x10000, which the headers do not name.
constexpr ULONG kInstallMask = 0x10040;
constexpr DWORD kEmptyFileTimeoutMs = 3000;
// How long an ended copy may take to let go of its files.
constexpr DWORD kTerminateWaitMs = 5000;

template <class StartupInfo>
StartupInfo MakeStartupInfo(bool useShow, WORD show) {
  StartupInfo si{};
  si.cb = sizeof si;
  if (useShow) {
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show;
  }
  return si;
}

HANDLE KeepProcessHandle(BOOL started, const PROCESS_INFORMATION& pi) {
  if (!started) return nullptr;
  const TKernelHandle thread(pi.hThread);
  return pi.hProcess;
}

HANDLE StartA(std::string commandLine, bool useShow, WORD show) {
  if (commandLine.empty()) return nullptr;
  STARTUPINFOA si = MakeStartupInfo<STARTUPINFOA>(useShow, show);
  PROCESS_INFORMATION pi{};
  return KeepProcessHandle(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                                          nullptr, nullptr, &si, &pi),
                           pi);
}

HANDLE Start(const std::u16string& commandLine, bool useShow, WORD show) {
  if (!UseWideApi()) return StartA(WideToAnsi(commandLine), useShow, show);
  if (commandLine.empty()) return nullptr;
  std::u16string line = commandLine;  // CreateProcessW may write into its command line
  STARTUPINFOW si = MakeStartupInfo<STARTUPINFOW>(useShow, show);
  PROCESS_INFORMATION pi{};
  return KeepProcessHandle(CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(line.data()), nullptr, nullptr, FALSE,
                                          NORMAL_PRIORITY_CLASS, nullptr, nullptr, &si, &pi),
                           pi);
}

// Runs the shell's "Install" verb on the filled record; process: the installer the shell started (nil
// when it handed the work elsewhere). False when the shell could not open the file.
template <class Info>
bool ExecuteInstall(BOOL(WINAPI* execute)(Info*), Info info, HANDLE& process) {
  info.cbSize = sizeof info;
  info.fMask = kInstallMask;
  info.nShow = SW_SHOWNORMAL;
  process = nullptr;
  if (!execute(&info)) return false;
  process = info.hProcess;
  return true;
}

bool ShellInstall(const std::u16string& file, const std::u16string& dir, HANDLE& process) {
  using FnW = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
  const auto fnW = reinterpret_cast<FnW>(
      reinterpret_cast<void*>(FindEntryPoint(SystemModule(L"shell32.dll"), "ShellExecuteExW")));
  if (fnW) {
    SHELLEXECUTEINFOW info{};
    info.lpVerb = L"Install";
    info.lpFile = WStr(file);
    info.lpDirectory = WStr(dir);
    return ExecuteInstall(fnW, info, process);
  }
  const std::string fileA = WideToAnsi(file);
  const std::string dirA = WideToAnsi(dir);
  SHELLEXECUTEINFOA info{};
  info.lpVerb = "Install";
  info.lpFile = fileA.c_str();
  info.lpDirectory = dirA.c_str();
  return ExecuteInstall(&ShellExecuteExA, info, process);
}
}  // namespace

HANDLE RunProcess(const std::u16string& commandLine, bool hidden) { return Start(commandLine, hidden, SW_HIDE); }

HANDLE RunProcessShown(const std::u16string& commandLine) { return Start(commandLine, true, SW_SHOWNORMAL); }

HANDLE RunProcessA(const std::string& commandLine, bool hidden) { return StartA(commandLine, hidden, SW_HIDE); }

bool RunProcessAndWait(const std::u16string& commandLine, bool hidden) {
  const TKernelHandle process(RunProcess(commandLine, hidden));
  if (!process) return false;
  WaitForSingleObject(process.Get(), INFINITE);
  return true;
}

int WaitProcessExitCode(HANDLE process) {
  if (!process) return -1;
  const TKernelHandle owned(process);  // the caller hands the handle over
  DWORD code = STILL_ACTIVE;
  // A process may end with code 259 itself, so its code alone cannot tell whether it still runs.
  if (WaitForSingleObject(process, INFINITE) == WAIT_FAILED) {
    // A handle without SYNCHRONIZE access: polling is all that is left.
    while (GetExitCodeProcess(process, &code) && code == STILL_ACTIVE) Sleep(200);
  }
  return GetExitCodeProcess(process, &code) ? static_cast<int>(code) : -1;
}

bool InstallInfFile(const std::u16string& infPath) {
  if (infPath.empty()) return false;
  if (IsProcessWow64()) {
    // The shell's verb would run the 32-bit installer; the native one sits behind the redirection.
    TWow64RedirectionOff redirectionOff;
    return RunProcessAndWait(BuildInfInstallCmdLine(GetSystemDir(), infPath), false);
  }
  const std::u16string fullPath = GetFullPath(infPath);
  HANDLE started = nullptr;
  if (!ShellInstall(fullPath, ExtractFileDirW(fullPath), started)) return false;
  const TKernelHandle process(started);
  if (process) WaitForSingleObject(process.Get(), INFINITE);
  return true;
}

HANDLE StartCopyToPort(const std::u16string& fileName, const std::string& port) {
  const std::u16string shortName = fileName.empty() ? std::u16string() : GetShortPath(fileName);
  const std::string commandLine =
      BuildCopyToPortCmdLine(WideToAnsi(GetEnvVar(u"COMSPEC")), WideToAnsi(shortName), PortNameForCopy(port));
  return commandLine.empty() ? nullptr : RunProcessA(commandLine, true);
}

bool FinishCopyToPort(HANDLE process, DWORD timeoutMs) {
  if (!process) return false;
  const TKernelHandle owned(process);  // the caller hands the handle over
  bool copied = false;
  if (WaitForSingleObject(process, timeoutMs == 0 ? INFINITE : timeoutMs) == WAIT_OBJECT_0) {
    DWORD code = 1;
    copied = GetExitCodeProcess(process, &code) && code == 0;
  } else {
    TerminateProcess(process, 1);
    // Until it is gone the interpreter holds the file open and the caller could not delete it.
    WaitForSingleObject(process, kTerminateWaitMs);
  }
  return copied;
}

bool CopyFileToPort(const std::u16string& fileName, const std::string& port, DWORD timeoutMs, HWND owner) {
  if (FinishCopyToPort(StartCopyToPort(fileName, port), timeoutMs)) return true;
  ShowErrorMsg(u"Ошибка вывода файла \"" + fileName + u"\" в порт \"" + AnsiToWide(port) + u"\"", owner);
  return false;
}

bool SendEmptyFileToPort(const std::string& port) {
  // MakeTempFileName leaves the new file empty (created with CREATE_NEW, no sharing, closed).
  const std::u16string emptyFile = MakeTempFileName();
  if (emptyFile.empty()) return false;
  const bool sent = FinishCopyToPort(StartCopyToPort(emptyFile, port), kEmptyFileTimeoutMs);
  DeleteFileIfExists(emptyFile);
  return sent;
}

HANDLE WatchDirectory(const std::u16string& dir) {
  const std::u16string path = WatchDirectoryPath(dir);
  if (path.empty()) return INVALID_HANDLE_VALUE;
  if (UseWideApi()) return FindFirstChangeNotificationW(WStr(path), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
  return FindFirstChangeNotificationA(WideToAnsi(path).c_str(), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
}
