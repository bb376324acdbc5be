// Named mutexes, semaphores and events, the running instance's window, and worker threads.
#include "foundation/os_win32_win.h"

#include <atomic>
#include <vector>

#include "foundation/lib_file_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_str_cmdline.h"
#include "foundation/lib_unicode_win.h"

namespace {
// Process-wide: the system does not change while the process runs; set once at start-up.
std::atomic<TSystemFlagQuery> g_nt5UpQuery{nullptr};
}  // namespace

void SetNT5UpQuery(TSystemFlagQuery query) { g_nt5UpQuery.store(query); }

bool KernelNamesNT5Up() {
  TSystemFlagQuery query = g_nt5UpQuery.load();
  return query ? query() : IsWinNT5Up();
}

std::string MakeKernelObjectName(std::string_view name, bool global) {
  return MakeKernelObjectName(name, global, KernelNamesNT5Up());
}

HANDLE CreateInstanceLock(const std::string& name, bool global, int count) {
  const bool nt5Up = KernelNamesNT5Up();
  const std::string full = MakeKernelObjectName(name, global, nt5Up);
  if (InstanceLockIsMutex(count, nt5Up)) {
    // Create-or-open in one call: whoever created it holds the lock. Access denied means another
    // session's process created it.
    TKernelHandle mutex(CreateMutexA(nullptr, FALSE, full.c_str()));
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return nullptr;
    return mutex.Release();
  }
  TKernelHandle semaphore(CreateSemaphoreA(nullptr, count, count, full.c_str()));
  if (!semaphore || WaitForSingleObject(semaphore.Get(), 0) != WAIT_OBJECT_0) return nullptr;
  return semaphore.Release();
}

void ReleaseInstanceLock(HANDLE lock) {
  if (!lock) return;
  // Fails harmlessly on a mutex, which holds no slot.
  ReleaseSemaphore(lock, 1, nullptr);
  CloseHandle(lock);
}

bool InstanceLockExists(const std::string& name, bool global, int count) {
  const bool nt5Up = KernelNamesNT5Up();
  const std::string full = MakeKernelObjectName(name, global, nt5Up);
  const TKernelHandle h(InstanceLockIsMutex(count, nt5Up) ? OpenMutexA(MUTEX_ALL_ACCESS, FALSE, full.c_str())
                                                         : OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, full.c_str()));
  return h || GetLastError() == ERROR_ACCESS_DENIED;
}

void SignalNamedEvent(const std::string& name, bool global) {
  const std::string full = MakeKernelObjectName(name, global);
  TFileHandle event(OpenEventA(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, full.c_str()));
  if (event.Valid()) SetEvent(event.Get());
}

bool IsHandleSignaled(HANDLE h) { return h && WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }

namespace {
struct TTitleSearch {
  const std::string* Title;
  bool Activate;
  bool Found = false;
};

BOOL CALLBACK MatchTitle(HWND wnd, LPARAM param) {
  auto* search = reinterpret_cast<TTitleSearch*>(param);
  char text[1024];
  const int n = GetWindowTextA(wnd, text, sizeof text);
  if (n < 0 || std::string_view(text, static_cast<size_t>(n)) != *search->Title) return TRUE;
  search->Found = true;
  if (search->Activate) {
    if (IsIconic(wnd)) ShowWindow(wnd, SW_RESTORE);
    SetForegroundWindow(wnd);
  }
  return FALSE;
}

bool FindTitledWindow(const std::string& title, bool activate) {
  TTitleSearch search{&title, activate};
  EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}
}  // namespace

bool ActivateWindowByTitle(const std::string& title, bool wait, DWORD maxWaitMs) {
  const bool found = FindTitledWindow(title, true);
  if (!found || !wait) return found;
  const DWORD start = GetTickCount();
  do {
    Sleep(250);
  } while (FindTitledWindow(title, false) && GetTickCount() - start < maxWaitMs);
  return true;
}

bool StartThread(LPTHREAD_START_ROUTINE routine, void* parameter, DWORD& threadId, bool suspended,
                 TKernelHandle& threadHandle) {
  threadId = 0;
  threadHandle.Reset(CreateThread(nullptr, 0, routine, parameter, suspended ? CREATE_SUSPENDED : 0, &threadId));
  return threadHandle.Valid();
}

bool IsThreadRunning(HANDLE threadHandle) {
  DWORD code = 0;
  return threadHandle && GetExitCodeThread(threadHandle, &code) && code == STILL_ACTIVE;
}

bool StopThread(HANDLE stopEvent, DWORD /*threadId*/, TKernelHandle& threadHandle, DWORD pauseMs) {
  if (!threadHandle) return true;
  const TStopThreadSteps steps{
      [&] { SetEvent(stopEvent); },
      [&] { return IsThreadRunning(threadHandle.Get()); },
      [](uint32_t ms) { Sleep(ms); },
  };
  if (!RunThreadStopRounds(steps, stopEvent != nullptr, pauseMs)) return false;
  threadHandle.Reset();
  return true;
}

bool WaitRunGate(HANDLE stopEvent, HANDLE runGate) {
  if (runGate == nullptr) return false;
  // The stop event first: when both are signalled the wait reports the stop.
  const HANDLE handles[2] = {stopEvent, runGate};
  const DWORD count = stopEvent ? 2 : 1;
  const DWORD r = WaitForMultipleObjects(count, stopEvent ? handles : handles + 1, FALSE, INFINITE);
  return stopEvent != nullptr && r == WAIT_OBJECT_0;
}

namespace {

bool ReadablePage(const MEMORY_BASIC_INFORMATION& info) {
  constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  return info.State == MEM_COMMIT && (info.Protect & kReadable) != 0 && (info.Protect & PAGE_GUARD) == 0;
}

}  // namespace

bool ReadAnsiTextAt(const void* address, size_t maxLength, std::string& text) {
  text.clear();
  auto at = reinterpret_cast<uintptr_t>(address);
  if (at == 0) return false;
  // Each region is checked before its bytes are read, so a bad pointer costs a query, not a fault.
  while (text.size() <= maxLength) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info) != sizeof info || !ReadablePage(info))
      break;
    const uintptr_t end = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
    for (; at < end && text.size() <= maxLength; ++at) {
      const char c = *reinterpret_cast<const char*>(at);
      if (c == '\0') return true;
      text.push_back(c);
    }
  }
  text.clear();
  return false;
}

bool PauseWorkerThread(HANDLE threadHandle) {
  SuspendThread(threadHandle);
  return true;
}

bool ResumeWorkerThread(HANDLE threadHandle) {
  ResumeThread(threadHandle);
  return true;
}

void RebootSystem() {
  if (GetPlatformId() != VER_PLATFORM_WIN32_NT) {
    ExitWindowsEx(EWX_REBOOT, 0);
    return;
  }
  TKernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.Receive())) return;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return;
  // AdjustTokenPrivileges answers TRUE also when the privilege was not granted.
  SetLastError(ERROR_SUCCESS);
  if (!AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr) ||
      GetLastError() != ERROR_SUCCESS)
    return;
  ExitWindowsEx(EWX_REBOOT, 0);
}

namespace {
std::vector<std::u16string> ProcessArgs() {
  return SplitCommandLine(UseWideApi() ? FromWStr(GetCommandLineW()) : AnsiToWide(GetCommandLineA()));
}
}  // namespace

bool HasCmdLineSwitch(std::string_view name) { return FindCmdLineSwitch(ProcessArgs(), AnsiToWide(name)); }

std::u16string TestSwitchValue(std::u16string_view name) {
  const std::u16string fromEnvironment = GetEnvVar(std::u16string(name));
  return fromEnvironment.empty() ? FindCmdLineValue(ProcessArgs(), name) : fromEnvironment;
}
