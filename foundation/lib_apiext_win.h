// System calls that older Windows versions lack, bound by name at every call, with their fallbacks.
// Callers never bind these entry points themselves.
#pragma once

#include <windows.h>

#include <aclapi.h>
#include <lm.h>
#include <shlobj.h>

#include <string>

#include "foundation/lib_handle_win.h"

// The one lookup every routine here goes through, so tests can make an entry point "missing".
FARPROC FindEntryPoint(HMODULE module, const char* name);
// The same, typed as the caller's function pointer.
template <typename Fn>
Fn FindEntryPointAs(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(FindEntryPoint(module, name)));
}
// A loaded module's handle, or the module loaded now and kept (a system DLL this process may not import).
HMODULE SystemModule(const wchar_t* name);
// Makes FindEntryPoint answer nil for the name (missing = true) or restores it.
void SetEntryPointMissingForTesting(const std::string& name, bool missing);
// Makes FindEntryPoint answer the given stand-in for the name (nil: missing).
void ReplaceEntryPointForTesting(const std::string& name, FARPROC standIn);
// Every entry point found as the system has it again.
void ClearMissingEntryPointsForTesting();

NET_API_STATUS CallNetUserEnum(LPCWSTR serverName, DWORD level, DWORD filter, LPBYTE* buffer, DWORD prefMaxLen,
                               LPDWORD entriesRead, LPDWORD totalEntries, PDWORD resumeHandle);
NET_API_STATUS CallNetApiBufferFree(LPVOID buffer);

bool CallIsWow64Process(HANDLE process, bool& isWow64);
bool IsProcessWow64();
bool CallGlobalMemoryStatusEx(MEMORYSTATUSEX& status);
void CallGetNativeSystemInfo(SYSTEM_INFO& info);

// WOW64 file-system redirection off and back on, as one matching pair: the state that
// DisableWow64Redirection hands out is the one RevertWow64Redirection takes back.
bool DisableWow64Redirection(PVOID& previousState);
bool RevertWow64Redirection(PVOID previousState);

// Redirection off for one scope.
class TWow64RedirectionOff {
 public:
  TWow64RedirectionOff() : off_(DisableWow64Redirection(state_)) {}
  ~TWow64RedirectionOff() {
    if (off_) RevertWow64Redirection(state_);
  }
  TWow64RedirectionOff(const TWow64RedirectionOff&) = delete;
  TWow64RedirectionOff& operator=(const TWow64RedirectionOff&) = delete;

 private:
  PVOID state_ = nullptr;
  bool off_;
};

// On the 9x family, or without the entry, waits for the section and answers true.
bool CallTryEnterCriticalSection(CRITICAL_SECTION& section);

bool CallSHGetPathFromIDListW(PCIDLIST_ABSOLUTE itemList, wchar_t* path);
PIDLIST_ABSOLUTE CallSHBrowseForFolderW(BROWSEINFOW* info);
bool CallSystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* zone, const SYSTEMTIME& utc,
                                         SYSTEMTIME& local);
// ERROR_INVALID_FUNCTION (1) when advapi32 lacks the entry.
DWORD CallSetNamedSecurityInfoW(const std::u16string& objectName, SE_OBJECT_TYPE type, SECURITY_INFORMATION info,
                                PSID owner, PSID group, PACL dacl, PACL sacl);
bool CallAddAccessAllowedAceEx(PACL acl, DWORD revision, DWORD aceFlags, DWORD mask, PSID sid);
