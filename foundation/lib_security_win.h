// Access rights: files, directories and registry trees opened to every user, privileges, the
// administrator check and well-known accounts. NT family only; on the 9x family there is no security
// and the routines report success.
#pragma once

#include <windows.h>

#include <aclapi.h>

#include <memory>
#include <span>
#include <string>

// Every user may read, write, run and delete; only administrators and LocalSystem may change the
// permissions or take ownership (full control).
inline constexpr DWORD kEveryoneFileAccess = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
inline constexpr DWORD kEveryoneKeyAccess = KEY_READ | KEY_WRITE | DELETE;
inline constexpr DWORD kFullFileAccess = FILE_ALL_ACCESS;
inline constexpr DWORD kFullKeyAccess = KEY_ALL_ACCESS;
// Object inherit and container inherit.
inline constexpr DWORD kInheritBoth = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

struct TSidDeleter {
  void operator()(void* sid) const {
    if (sid) FreeSid(sid);
  }
};
using TSidPtr = std::unique_ptr<void, TSidDeleter>;

struct TLocalFreeDeleter {
  void operator()(void* p) const {
    if (p) LocalFree(p);
  }
};
using TAclPtr = std::unique_ptr<ACL, TLocalFreeDeleter>;

// The DACL of the object becomes: Everyone with everyoneMask, Administrators and LocalSystem with full
// control, all inherited by files and subfolders (subkeys). When the owner refuses, Administrators take
// ownership first. objectName as the security calls name it: a path, or "MACHINE\..." /
// "CURRENT_USER\..." for a registry key.
bool GrantEveryoneAccess(const std::u16string& objectName, SE_OBJECT_TYPE type, DWORD everyoneMask);
bool OpenFileAclToEveryone(const std::u16string& path);
// The key (created when missing) and every key below it; failures are not reported.
void OpenRegistryTreeToEveryone(HKEY root, const std::u16string& path);
// The registry key's name for the security calls; empty for a root other than HKLM and HKCU.
std::u16string RegistryObjectName(HKEY root, const std::u16string& path);

// Whether the thread's token (else the process's) holds the Administrators group, deny-only excluded.
bool IsAdminToken();
// 0 on success; the system error code otherwise, ERROR_NOT_ALL_ASSIGNED when the token lacks the privilege.
DWORD EnablePrivilege(const std::string& name, bool enable);
DWORD EnableTokenPrivilege(HANDLE token, const std::string& name, bool enable);

// A new ACL (revision 2) with one access-allowed entry per item, in order: 0, or ERROR_INVALID_PARAMETER
// for 256 items or more, an entry whose trustee is not a valid SID, or a failure of the system calls.
DWORD BuildAcl(std::span<const EXPLICIT_ACCESS_W> entries, TAclPtr& acl);
// An entry of BuildAcl's list: the SID with its mask, set access, inheritance to files and subfolders.
EXPLICIT_ACCESS_W AccessEntry(PSID sid, DWORD mask, TRUSTEE_TYPE trusteeType);

// New SIDs; nil off NT.
TSidPtr CreateWorldSid();
TSidPtr CreateLocalSystemSid();
TSidPtr CreateAdministratorsSid();
// The account name without its domain; name stays unchanged when the lookup fails and off NT.
bool GetAccountNameOfSid(PSID sid, std::u16string& name);
