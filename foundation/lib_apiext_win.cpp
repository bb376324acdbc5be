// Optional system entry points looked up by name at every call, with the fallback each one has when the
// running Windows lacks it.
#include "foundation/lib_apiext_win.h"

#include <atomic>
#include <mutex>
#include <map>

#include "foundation/lib_unicode_win.h"

namespace {
// Test-only state: the entry points FindEntryPoint answers with a stand-in (nil: not found). The flag
// keeps the common path lock-free.
std::mutex g_replacedLock;
std::map<std::string, FARPROC> g_replaced;
std::atomic<bool> g_anyReplaced{false};

HMODULE Kernel32() { return GetModuleHandleW(L"kernel32.dll"); }

// The pre-2000 call's figures widened into the extended record.
void FillFromGlobalMemoryStatus(MEMORYSTATUSEX& status) {
  MEMORYSTATUS old{};
  old.dwLength = sizeof old;
  GlobalMemoryStatus(&old);
  status.dwLength = sizeof(MEMORYSTATUSEX);
  status.dwMemoryLoad = old.dwMemoryLoad;
  status.ullTotalPhys = old.dwTotalPhys;
  status.ullAvailPhys = old.dwAvailPhys;
  status.ullTotalPageFile = old.dwTotalPageFile;
  status.ullAvailPageFile = old.dwAvailPageFile;
  status.ullTotalVirtual = old.dwTotalVirtual;
  status.ullAvailVirtual = old.dwAvailVirtual;
  status.ullAvailExtendedVirtual = 0;
}
}  // namespace

FARPROC FindEntryPoint(HMODULE module, const char* name) {
  if (!module) return nullptr;
  if (g_anyReplaced.load()) {
    std::lock_guard<std::mutex> lock(g_replacedLock);
    const auto it = g_replaced.find(name);
    if (it != g_replaced.end()) return it->second;
  }
  return GetProcAddress(module, name);
}

HMODULE SystemModule(const wchar_t* name) {
  HMODULE module = GetModuleHandleW(name);
  return module ? module : LoadLibraryW(name);
}

void ReplaceEntryPointForTesting(const std::string& name, FARPROC standIn) {
  std::lock_guard<std::mutex> lock(g_replacedLock);
  g_replaced[name] = standIn;
  g_anyReplaced.store(true);
}

void SetEntryPointMissingForTesting(const std::string& name, bool missing) {
  if (missing) {
    ReplaceEntryPointForTesting(name, nullptr);
    return;
  }
  std::lock_guard<std::mutex> lock(g_replacedLock);
  g_replaced.erase(name);
  g_anyReplaced.store(!g_replaced.empty());
}

void ClearMissingEntryPointsForTesting() {
  std::lock_guard<std::mutex> lock(g_replacedLock);
  g_replaced.clear();
  g_anyReplaced.store(false);
}

NET_API_STATUS CallNetUserEnum(LPCWSTR serverName, DWORD level, DWORD filter, LPBYTE* buffer, DWORD prefMaxLen,
                               LPDWORD entriesRead, LPDWORD totalEntries, PDWORD resumeHandle) {
  using Fn = NET_API_STATUS(WINAPI*)(LPCWSTR, DWORD, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD, PDWORD);
  const TModuleHandle lib(LoadLibraryW(L"netapi32.dll"));
  const auto fn = FindEntryPointAs<Fn>(lib.Get(), "NetUserEnum");
  if (!fn) return 1;
  return fn(serverName, level, filter, buffer, prefMaxLen, entriesRead, totalEntries, resumeHandle);
}

NET_API_STATUS CallNetApiBufferFree(LPVOID buffer) {
  using Fn = NET_API_STATUS(WINAPI*)(LPVOID);
  const TModuleHandle lib(LoadLibraryW(L"netapi32.dll"));
  const auto fn = FindEntryPointAs<Fn>(lib.Get(), "NetApiBufferFree");
  if (!fn) return 1;
  return fn(buffer);
}

bool CallIsWow64Process(HANDLE process, bool& isWow64) {
  using Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  isWow64 = false;
  const auto fn = FindEntryPointAs<Fn>(Kernel32(), "IsWow64Process");
  if (!fn) return false;
  BOOL flag = FALSE;
  const bool ok = fn(process, &flag) != FALSE;
  isWow64 = ok && flag != FALSE;
  return ok;
}

bool IsProcessWow64() {
  bool wow64 = false;
  return CallIsWow64Process(GetCurrentProcess(), wow64) && wow64;
}

bool CallGlobalMemoryStatusEx(MEMORYSTATUSEX& status) {
  using Fn = BOOL(WINAPI*)(LPMEMORYSTATUSEX);
  const auto fn = FindEntryPointAs<Fn>(Kernel32(), "GlobalMemoryStatusEx");
  if (!fn) {
    FillFromGlobalMemoryStatus(status);
    return true;
  }
  status.dwLength = sizeof status;
  return fn(&status) != FALSE;
}

void CallGetNativeSystemInfo(SYSTEM_INFO& info) {
  using Fn = void(WINAPI*)(LPSYSTEM_INFO);
  const auto fn = IsProcessWow64() ? FindEntryPointAs<Fn>(Kernel32(), "GetNativeSystemInfo") : nullptr;
  if (fn) {
    fn(&info);
  } else {
    GetSystemInfo(&info);
  }
}

bool DisableWow64Redirection(PVOID& previousState) {
  using Fn = BOOL(WINAPI*)(PVOID*);
  previousState = nullptr;
  const auto fn = FindEntryPointAs<Fn>(Kernel32(), "Wow64DisableWow64FsRedirection");
  if (!fn) return true;
  return fn(&previousState) != FALSE;
}

bool RevertWow64Redirection(PVOID previousState) {
  // The revert entry, not Wow64EnableWow64FsRedirection: the two families must not be mixed.
  using Fn = BOOL(WINAPI*)(PVOID);
  const auto fn = FindEntryPointAs<Fn>(Kernel32(), "Wow64RevertWow64FsRedirection");
  if (!fn) return true;
  return fn(previousState) != FALSE;
}

bool CallTryEnterCriticalSection(CRITICAL_SECTION& section) {
  using Fn = BOOL(WINAPI*)(LPCRITICAL_SECTION);
  const auto fn = UseWideApi() ? FindEntryPointAs<Fn>(Kernel32(), "TryEnterCriticalSection") : nullptr;
  if (fn) return fn(&section) != FALSE;
  EnterCriticalSection(&section);
  return true;
}

bool CallSHGetPathFromIDListW(PCIDLIST_ABSOLUTE itemList, wchar_t* path) {
  using Fn = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR);
  const auto fn = FindEntryPointAs<Fn>(SystemModule(L"shell32.dll"), "SHGetPathFromIDListW");
  return fn && fn(itemList, path) != FALSE;
}

PIDLIST_ABSOLUTE CallSHBrowseForFolderW(BROWSEINFOW* info) {
  using Fn = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOW);
  const auto fn = FindEntryPointAs<Fn>(SystemModule(L"shell32.dll"), "SHBrowseForFolderW");
  return fn ? fn(info) : nullptr;
}

bool CallSystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* zone, const SYSTEMTIME& utc,
                                         SYSTEMTIME& local) {
  using Fn = BOOL(WINAPI*)(const TIME_ZONE_INFORMATION*, const SYSTEMTIME*, LPSYSTEMTIME);
  const auto fn = FindEntryPointAs<Fn>(Kernel32(), "SystemTimeToTzSpecificLocalTime");
  return fn && fn(zone, &utc, &local) != FALSE;
}

DWORD CallSetNamedSecurityInfoW(const std::u16string& objectName, SE_OBJECT_TYPE type, SECURITY_INFORMATION info,
                                PSID owner, PSID group, PACL dacl, PACL sacl) {
  using Fn = DWORD(WINAPI*)(LPWSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL, PACL);
  const auto fn = FindEntryPointAs<Fn>(SystemModule(L"advapi32.dll"), "SetNamedSecurityInfoW");
  if (!fn) return ERROR_INVALID_FUNCTION;
  std::u16string name = objectName;  // the call takes a non-const pointer
  return fn(reinterpret_cast<LPWSTR>(name.data()), type, info, owner, group, dacl, sacl);
}

bool CallAddAccessAllowedAceEx(PACL acl, DWORD revision, DWORD aceFlags, DWORD mask, PSID sid) {
  using Fn = BOOL(WINAPI*)(PACL, DWORD, DWORD, DWORD, PSID);
  const auto fn = FindEntryPointAs<Fn>(SystemModule(L"advapi32.dll"), "AddAccessAllowedAceEx");
  if (fn) return fn(acl, revision, aceFlags, mask, sid) != FALSE;
  // NT 4 has only the plain call: add the entry, then give the last entry its inheritance flags.
  if (aceFlags > 0xFF || !AddAccessAllowedAce(acl, revision, mask, sid)) return false;
  ACL_SIZE_INFORMATION sizeInfo{};
  if (!GetAclInformation(acl, &sizeInfo, sizeof sizeInfo, AclSizeInformation) || sizeInfo.AceCount == 0) return false;
  void* ace = nullptr;
  if (!GetAce(acl, sizeInfo.AceCount - 1, &ace)) return false;
  static_cast<ACE_HEADER*>(ace)->AceFlags = static_cast<BYTE>(aceFlags);
  return true;
}
