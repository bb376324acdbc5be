// Access control lists of files and registry trees, privileges, the administrator check and SIDs of
// well-known accounts.
#include "foundation/lib_security_win.h"

#include <vector>

#include "foundation/lib_apiext_win.h"
#include "foundation/lib_handle_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_unicode_win.h"

namespace {
TSidPtr NewSid(SID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD sub0, DWORD sub1 = 0) {
  if (!UseWideApi()) return nullptr;
  PSID sid = nullptr;
  if (!AllocateAndInitializeSid(&authority, count, sub0, sub1, 0, 0, 0, 0, 0, 0, &sid)) return nullptr;
  return TSidPtr(sid);
}

DWORD FullAccessOf(SE_OBJECT_TYPE type) {
  if (type == SE_FILE_OBJECT) return kFullFileAccess;
  if (type == SE_REGISTRY_KEY) return kFullKeyAccess;
  return GENERIC_ALL;
}

// Everyone with the given mask, Administrators and LocalSystem with full control.
DWORD BuildSharedAcl(DWORD everyoneMask, DWORD fullMask, TAclPtr& acl) {
  const TSidPtr everyone = CreateWorldSid();
  const TSidPtr admins = CreateAdministratorsSid();
  const TSidPtr system = CreateLocalSystemSid();
  if (!everyone || !admins || !system) return ERROR_INVALID_PARAMETER;
  const EXPLICIT_ACCESS_W entries[] = {
      AccessEntry(everyone.get(), everyoneMask, TRUSTEE_IS_WELL_KNOWN_GROUP),
      AccessEntry(admins.get(), fullMask, TRUSTEE_IS_GROUP),
      AccessEntry(system.get(), fullMask, TRUSTEE_IS_USER),
  };
  return BuildAcl(entries, acl);
}

bool SetDacl(const std::u16string& name, SE_OBJECT_TYPE type, PACL acl, DWORD& rc) {
  rc = CallSetNamedSecurityInfoW(name, type, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr);
  return rc == ERROR_SUCCESS;
}

void SetKeyTreeSecurity(HKEY root, const std::u16string& prefix, const std::u16string& path,
                        PSECURITY_DESCRIPTOR sd) {
  TRegKey key;
  if (RegCreateKeyExW(root, WStr(path), 0, nullptr, 0, KEY_READ | WRITE_DAC, nullptr, key.Receive(), nullptr) ==
      ERROR_SUCCESS) {
    RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, sd);
  } else if (!GrantEveryoneAccess(prefix + path, SE_REGISTRY_KEY, kEveryoneKeyAccess) ||
             RegOpenKeyExW(root, WStr(path), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
    return;
  }
  const std::vector<std::u16string> names = RegKeySubKeyNames(key.Get());
  key.Reset();
  for (const auto& name : names) SetKeyTreeSecurity(root, prefix, path + u"\\" + name, sd);
}

bool OpenOwnToken(DWORD access, HANDLE* token) {
  if (OpenThreadToken(GetCurrentThread(), access, TRUE, token)) return true;
  return GetLastError() == ERROR_NO_TOKEN && OpenProcessToken(GetCurrentProcess(), access, token);
}
}  // namespace

EXPLICIT_ACCESS_W AccessEntry(PSID sid, DWORD mask, TRUSTEE_TYPE trusteeType) {
  EXPLICIT_ACCESS_W entry{};
  entry.grfAccessPermissions = mask;
  entry.grfAccessMode = SET_ACCESS;
  entry.grfInheritance = kInheritBoth;
  entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  entry.Trustee.TrusteeType = trusteeType;
  entry.Trustee.ptstrName = static_cast<LPWSTR>(sid);
  return entry;
}

DWORD BuildAcl(std::span<const EXPLICIT_ACCESS_W> entries, TAclPtr& acl) {
  acl.reset();
  if (entries.size() >= 256) return ERROR_INVALID_PARAMETER;
  DWORD size = sizeof(ACL);
  for (const auto& e : entries) {
    const PSID sid = e.Trustee.ptstrName;
    if (e.Trustee.TrusteeForm != TRUSTEE_IS_SID || !sid || !IsValidSid(sid)) return ERROR_INVALID_PARAMETER;
    size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
  }
  TAclPtr made(static_cast<PACL>(LocalAlloc(LPTR, size)));
  if (!made || !InitializeAcl(made.get(), size, ACL_REVISION)) return ERROR_INVALID_PARAMETER;
  for (const auto& e : entries) {
    if (!CallAddAccessAllowedAceEx(made.get(), ACL_REVISION, e.grfInheritance, e.grfAccessPermissions,
                                   e.Trustee.ptstrName))
      return ERROR_INVALID_PARAMETER;
  }
  acl = std::move(made);
  return 0;
}

bool GrantEveryoneAccess(const std::u16string& objectName, SE_OBJECT_TYPE type, DWORD everyoneMask) {
  if (!UseWideApi()) return true;
  TAclPtr acl;
  if (BuildSharedAcl(everyoneMask, FullAccessOf(type), acl) != 0) return false;
  DWORD rc = 0;
  if (SetDacl(objectName, type, acl.get(), rc)) return true;
  if (rc != ERROR_ACCESS_DENIED) return false;
  // The owner refuses: Administrators take the object over, then the DACL is set once more.
  const TSidPtr admins = CreateAdministratorsSid();
  if (!admins || EnablePrivilege("SeTakeOwnershipPrivilege", true) != 0) return false;
  const DWORD owned = CallSetNamedSecurityInfoW(objectName, type, OWNER_SECURITY_INFORMATION, admins.get(), nullptr,
                                                nullptr, nullptr);
  const DWORD restored = EnablePrivilege("SeTakeOwnershipPrivilege", false);
  return owned == ERROR_SUCCESS && restored == 0 && SetDacl(objectName, type, acl.get(), rc);
}

bool OpenFileAclToEveryone(const std::u16string& path) {
  if (!UseWideApi()) return true;
  return GrantEveryoneAccess(path, SE_FILE_OBJECT, kEveryoneFileAccess);
}

std::u16string RegistryObjectName(HKEY root, const std::u16string& path) {
  if (root == HKEY_LOCAL_MACHINE) return u"MACHINE\\" + path;
  if (root == HKEY_CURRENT_USER) return u"CURRENT_USER\\" + path;
  return {};
}

void OpenRegistryTreeToEveryone(HKEY root, const std::u16string& path) {
  if (!UseWideApi()) return;
  const std::u16string prefix = RegistryObjectName(root, u"");
  if (prefix.empty()) return;
  TAclPtr acl;
  if (BuildSharedAcl(kEveryoneKeyAccess, kFullKeyAccess, acl) != 0) return;
  SECURITY_DESCRIPTOR sd;
  if (!InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&sd, TRUE, acl.get(), FALSE))
    return;
  SetKeyTreeSecurity(root, prefix, path, &sd);
}

bool IsAdminToken() {
  if (!UseWideApi()) return true;
  TKernelHandle token;
  if (!OpenOwnToken(TOKEN_QUERY, token.Receive())) return false;
  // Sized as the system asks: a token with many groups does not fit a fixed buffer.
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size);
  if (size == 0) return false;
  std::vector<uint64_t> buf((size + sizeof(uint64_t) - 1) / sizeof(uint64_t));
  if (!GetTokenInformation(token.Get(), TokenGroups, buf.data(), size, &size)) return false;
  const TSidPtr admins = CreateAdministratorsSid();
  if (!admins) return false;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buf.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    const SID_AND_ATTRIBUTES& g = groups->Groups[i];
    if (!(g.Attributes & SE_GROUP_USE_FOR_DENY_ONLY) && EqualSid(g.Sid, admins.get())) return true;
  }
  return false;
}

DWORD EnableTokenPrivilege(HANDLE token, const std::string& name, bool enable) {
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  if (!LookupPrivilegeValueA(nullptr, name.c_str(), &privileges.Privileges[0].Luid)) return GetLastError();
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  SetLastError(ERROR_SUCCESS);
  if (!AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr)) return GetLastError();
  // The call succeeds even when the token has no such privilege; only the last error tells.
  return GetLastError() == ERROR_NOT_ALL_ASSIGNED ? ERROR_NOT_ALL_ASSIGNED : 0;
}

DWORD EnablePrivilege(const std::string& name, bool enable) {
  if (!UseWideApi()) return 0;
  TKernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Receive()))
    return GetLastError();
  return EnableTokenPrivilege(token.Get(), name, enable);
}

TSidPtr CreateWorldSid() { return NewSid(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID); }

TSidPtr CreateLocalSystemSid() { return NewSid(SECURITY_NT_AUTHORITY, 1, SECURITY_LOCAL_SYSTEM_RID); }

TSidPtr CreateAdministratorsSid() {
  return NewSid(SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS);
}

bool GetAccountNameOfSid(PSID sid, std::u16string& name) {
  if (!UseWideApi() || !sid) return false;
  DWORD nameLen = 0;
  DWORD domainLen = 0;
  SID_NAME_USE use;
  LookupAccountSidW(nullptr, sid, nullptr, &nameLen, nullptr, &domainLen, &use);
  if (nameLen == 0) return false;
  std::vector<wchar_t> account(nameLen + 1, 0);
  std::vector<wchar_t> domain(domainLen + 1, 0);
  if (!LookupAccountSidW(nullptr, sid, account.data(), &nameLen, domain.data(), &domainLen, &use)) return false;
  name = FromWStr(account.data());
  return true;
}
