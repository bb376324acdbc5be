// client.exe run as a user starts it, for the end-to-end tests and the demo: started with the stand-in
// spooler's switch, its monitor window waited for, closed from outside as another program closes it, or
// ended by force; and what a job printed on the destination's port file.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <string>
#include <vector>

#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_handle_win.h"
#include "foundation/lib_prn_printers.h"
#include "foundation/lib_prn_printers_host_win.h"
#include "foundation/lib_prn_standin_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/monitor_run_win.h"
#include "support/prn_test_support.h"

class TMonitorProgram {
 public:
  // Starts the program with the arguments, on the stand-in spooler of that directory.
  TMonitorProgram(const std::u16string& exe, const std::u16string& arguments, const std::u16string& standInDir) {
    const std::u16string variable(kStandInSpoolerVariable);
    SetEnvironmentVariableW(WStr(variable), WStr(standInDir));
    std::wstring cmd = L"\"" + std::wstring(WStr(exe)) + L"\" " + WStr(arguments);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      process_.Reset(pi.hProcess);
      CloseHandle(pi.hThread);
      id_ = pi.dwProcessId;
    }
    SetEnvironmentVariableW(WStr(variable), nullptr);
  }
  ~TMonitorProgram() {
    if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) Kill();
  }
  TMonitorProgram(const TMonitorProgram&) = delete;
  TMonitorProgram& operator=(const TMonitorProgram&) = delete;

  bool Started() const { return process_.Valid(); }

  // The program's top-level window of that class, once it exists (at most maxMs); null otherwise.
  HWND WaitWindow(const wchar_t* className, int maxMs) const {
    for (int waited = 0; waited <= maxMs; waited += 50) {
      if (HWND w = FindOwnWindow(className)) return w;
      if (WaitForSingleObject(process_.Get(), 50) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
  }

  // WM_CLOSE to the window, as another process closes it; the exit code, or STILL_ACTIVE when the
  // program has not ended within maxMs.
  DWORD CloseWindow(const wchar_t* className, int maxMs) {
    if (HWND w = FindOwnWindow(className)) PostMessageW(w, WM_CLOSE, 0, 0);
    return WaitExit(maxMs);
  }
  DWORD WaitExit(int maxMs) {
    if (WaitForSingleObject(process_.Get(), maxMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.Get(), &code);
    return code;
  }
  // Ended by force, as a crash or the task manager ends it.
  void Kill() {
    TerminateProcess(process_.Get(), 9);
    WaitForSingleObject(process_.Get(), 10000);
  }

 private:
  struct TFind {
    DWORD Process;
    const wchar_t* Class;
    HWND Found;
  };
  static BOOL CALLBACK FindInProcess(HWND w, LPARAM param) {
    auto& find = *reinterpret_cast<TFind*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    wchar_t name[64]{};
    GetClassNameW(w, name, 64);
    if (pid == find.Process && lstrcmpW(name, find.Class) == 0) {
      find.Found = w;
      return FALSE;
    }
    return TRUE;
  }
  HWND FindOwnWindow(const wchar_t* className) const {
    TFind find{id_, className, nullptr};
    EnumWindows(FindInProcess, reinterpret_cast<LPARAM>(&find));
    return find.Found;
  }

  TKernelHandle process_;
  DWORD id_ = 0;
};

// A virtual printer of the stand-in with both sides, in the program's own printer list (the machine's and
// user's keys), printing both sides' jobs to the destination.
inline void AddProgramVirtualPrinter(TSpoolerStandIn& standIn, const std::u16string& name,
                                     const std::u16string& destination) {
  standIn.AddStandInPrinter(MonitoredPrinter(name));
  TPrinters printers(CreateWindowsPrintersHost(), MachineSettingsStore(), UserSettingsStore());
  GetCurrentUserName(printers.UserName);
  TPrinterListItem& item = printers.Items[printers.Add(name)];
  item.AllUsers = true;
  item.WinSide = true;
  item.DosSide = true;
  printers.SaveAll();
  printers.SetPrintToOfUser(name, u"", kPrintToWin, destination);
  printers.SetPrintToOfUser(name, u"", kPrintToDos, destination);
}

// Waits (at most maxMs) for the printer's queue to empty and the port file to settle (Wine's driver
// writes a GDI job to the port after its end); what the job printed, taken off the port.
inline std::vector<uint8_t> TakePrinted(const std::u16string& printer, const std::u16string& portFile, int maxMs) {
  int waited = 0;
  for (; waited < maxMs && QueuedJobs(printer) != 0; waited += 100) Sleep(100);
  if (QueuedJobs(printer) != 0) return {};
  std::vector<uint8_t> bytes = ReadFileBytes(portFile);
  for (int still = 0; waited < maxMs && still < 1000; waited += 100) {
    Sleep(100);
    std::vector<uint8_t> now = ReadFileBytes(portFile);
    still = !now.empty() && now.size() == bytes.size() ? still + 100 : 0;
    bytes.swap(now);
  }
  DeleteFileW(WStr(portFile));
  return bytes;
}

#endif
