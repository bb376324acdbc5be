// Access rights under Wine: the security descriptors set are read back (Wine does not enforce file
// ACLs), tokens are restricted to reach the deny-only and missing-privilege answers, and the 9x branch
// is reached by injecting the platform.
#include "foundation/lib_security_win.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "foundation/lib_apiext_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_unicode_win.h"

namespace {
const std::u16string kTestRoot = u"Software\\ClientTests\\security";

class PlatformGuard {
 public:
  explicit PlatformGuard(DWORD id) { SetPlatformIdForTesting(id); }
  ~PlatformGuard() { SetPlatformIdForTesting(0); }
};

struct AceInfo {
  DWORD mask;
  BYTE flags;
};

// The first access-allowed entry for the SID.
std::optional<AceInfo> AllowedAceFor(PACL acl, PSID sid) {
  ACL_SIZE_INFORMATION info{};
  if (!acl || !GetAclInformation(acl, &info, sizeof info, AclSizeInformation)) return std::nullopt;
  for (DWORD i = 0; i < info.AceCount; ++i) {
    void* raw = nullptr;
    if (!GetAce(acl, i, &raw)) continue;
    auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(raw);
    if (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && EqualSid(&ace->SidStart, sid))
      return AceInfo{ace->Mask, ace->Header.AceFlags};
  }
  return std::nullopt;
}

// Everyone, Administrators and LocalSystem as the shared objects must have them.
void ExpectSharedDacl(PACL dacl, DWORD everyoneMask, DWORD fullMask, const std::string& what) {
  SCOPED_TRACE(what);
  const TSidPtr everyone = CreateWorldSid();
  const TSidPtr admins = CreateAdministratorsSid();
  const TSidPtr system = CreateLocalSystemSid();
  const auto e = AllowedAceFor(dacl, everyone.get());
  ASSERT_TRUE(e.has_value());
  EXPECT_EQ(e->mask, everyoneMask);
  EXPECT_EQ(e->mask & (WRITE_DAC | WRITE_OWNER), 0u) << "every user could rewrite the permissions";
  EXPECT_EQ(e->flags & kInheritBoth, kInheritBoth);
  for (PSID sid : {admins.get(), system.get()}) {
    const auto a = AllowedAceFor(dacl, sid);
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->mask, fullMask);
    EXPECT_EQ(a->flags & kInheritBoth, kInheritBoth);
  }
}

// A key's DACL as the system keeps it.
class KeyDacl {
 public:
  KeyDacl(HKEY root, const std::u16string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, WStr(path), 0, READ_CONTROL, &key) != ERROR_SUCCESS) return;
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    buf_.resize(size);
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    if (size && RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, buf_.data(), &size) == ERROR_SUCCESS)
      GetSecurityDescriptorDacl(buf_.data(), &present, &dacl_, &defaulted);
    RegCloseKey(key);
  }
  PACL Get() const { return dacl_; }

 private:
  std::vector<uint8_t> buf_;
  PACL dacl_ = nullptr;
};

void SetKeyDacl(HKEY root, const std::u16string& path, PACL dacl) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(root, WStr(path), 0, WRITE_DAC, &key), ERROR_SUCCESS);
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, dacl, FALSE);
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd), ERROR_SUCCESS);
  RegCloseKey(key);
}

void CreateKey(const std::u16string& path) {
  TRegKey key;
  ASSERT_TRUE(RegCreatePath(HKEY_CURRENT_USER, path, key));
}

// Releases the test keys whatever their DACL, then removes them.
void RemoveTestTree() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, WStr(kTestRoot), 0, KEY_READ, &key) == ERROR_SUCCESS) {
    RegCloseKey(key);
    OpenRegistryTreeToEveryone(HKEY_CURRENT_USER, kTestRoot);
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, WStr(kTestRoot));
}

// The process token restricted as asked, impersonated by this thread for the scope.
class RestrictedImpersonation {
 public:
  RestrictedImpersonation(PSID denyOnly, const char* removedPrivilege) {
    HANDLE process = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &process)) return;
    SID_AND_ATTRIBUTES disable{denyOnly, 0};
    LUID_AND_ATTRIBUTES removed{{0, 0}, 0};
    if (removedPrivilege) LookupPrivilegeValueA(nullptr, removedPrivilege, &removed.Luid);
    HANDLE restricted = nullptr;
    const BOOL made = CreateRestrictedToken(process, 0, denyOnly ? 1 : 0, denyOnly ? &disable : nullptr,
                                            removedPrivilege ? 1 : 0, removedPrivilege ? &removed : nullptr, 0,
                                            nullptr, &restricted);
    CloseHandle(process);
    if (!made) return;
    DuplicateTokenEx(restricted, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenImpersonation, &token_);
    CloseHandle(restricted);
    if (token_) active_ = SetThreadToken(nullptr, token_) != FALSE;
  }
  ~RestrictedImpersonation() {
    if (active_) RevertToSelf();
    if (token_) CloseHandle(token_);
  }
  bool Active() const { return active_; }
  HANDLE Token() const { return token_; }

 private:
  HANDLE token_ = nullptr;
  bool active_ = false;
};

std::u16string TempDir() {
  wchar_t buf[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH, buf);
  return FromWStr(buf, n);
}
}  // namespace

TEST(Acl, EntriesInOrderWithTheirMasksAndInheritance) {
  const TSidPtr everyone = CreateWorldSid();
  const TSidPtr system = CreateLocalSystemSid();
  ASSERT_TRUE(everyone && system);
  const EXPLICIT_ACCESS_W entries[] = {AccessEntry(everyone.get(), 0x1301BF, TRUSTEE_IS_WELL_KNOWN_GROUP),
                                       AccessEntry(system.get(), 0x1F01FF, TRUSTEE_IS_USER)};
  TAclPtr acl;
  ASSERT_EQ(BuildAcl(entries, acl), 0u);
  ACL_SIZE_INFORMATION info{};
  ASSERT_TRUE(GetAclInformation(acl.get(), &info, sizeof info, AclSizeInformation));
  ASSERT_EQ(info.AceCount, 2u);
  EXPECT_EQ(acl->AclRevision, ACL_REVISION);
  void* ace = nullptr;
  ASSERT_TRUE(GetAce(acl.get(), 0, &ace));
  EXPECT_TRUE(EqualSid(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, everyone.get()));
  EXPECT_EQ(static_cast<ACCESS_ALLOWED_ACE*>(ace)->Mask, 0x1301BFu);
  EXPECT_EQ(static_cast<ACCESS_ALLOWED_ACE*>(ace)->Header.AceFlags, kInheritBoth);
  ASSERT_TRUE(GetAce(acl.get(), 1, &ace));
  EXPECT_TRUE(EqualSid(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, system.get()));
}

TEST(Acl, CountLimitAndInvalidTrustees) {
  const TSidPtr everyone = CreateWorldSid();
  std::vector<EXPLICIT_ACCESS_W> entries(255, AccessEntry(everyone.get(), GENERIC_READ, TRUSTEE_IS_GROUP));
  TAclPtr acl;
  EXPECT_EQ(BuildAcl(entries, acl), 0u) << "255 entries fit";
  EXPECT_NE(acl, nullptr);
  entries.push_back(entries.back());
  EXPECT_EQ(BuildAcl(entries, acl), DWORD(ERROR_INVALID_PARAMETER)) << "256 do not";
  EXPECT_EQ(acl, nullptr);

  EXPLICIT_ACCESS_W byName = AccessEntry(everyone.get(), GENERIC_READ, TRUSTEE_IS_GROUP);
  byName.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
  EXPECT_EQ(BuildAcl(std::span(&byName, 1), acl), DWORD(ERROR_INVALID_PARAMETER));
  uint8_t garbage[16] = {9, 9, 9};
  EXPLICIT_ACCESS_W bad = AccessEntry(garbage, GENERIC_READ, TRUSTEE_IS_GROUP);
  EXPECT_EQ(BuildAcl(std::span(&bad, 1), acl), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(RegistryTree, EveryKeyOpenedBelowALockedOne) {
  RemoveTestTree();
  const std::u16string tree = kTestRoot + u"\\Дерево";
  const std::u16string keys[] = {tree + u"\\Первый", tree + u"\\Первый\\Глубже", tree + u"\\Закрытый",
                                 tree + u"\\Закрытый\\Внутри"};
  for (const auto& k : keys) CreateKey(k);
  // An empty DACL: not even its owner may enumerate it, only change its DACL.
  ACL empty;
  InitializeAcl(&empty, sizeof empty, ACL_REVISION);
  SetKeyDacl(HKEY_CURRENT_USER, tree + u"\\Закрытый", &empty);
  HKEY probe = nullptr;
  ASSERT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, WStr(tree + u"\\Закрытый"), 0, KEY_READ, &probe), ERROR_SUCCESS)
      << "Wine enforces registry ACLs";

  OpenRegistryTreeToEveryone(HKEY_CURRENT_USER, tree);
  ExpectSharedDacl(KeyDacl(HKEY_CURRENT_USER, tree).Get(), kEveryoneKeyAccess, kFullKeyAccess, "root");
  for (const auto& k : keys) {
    ExpectSharedDacl(KeyDacl(HKEY_CURRENT_USER, k).Get(), kEveryoneKeyAccess, kFullKeyAccess,
                     WideToAnsi(k));
  }
  // The rights granted are the ones the writers open with.
  TRegKey writable;
  EXPECT_TRUE(RegCreatePath(HKEY_CURRENT_USER, tree + u"\\Закрытый", writable));
  EXPECT_EQ((kRegWriteAccess & ~kEveryoneKeyAccess), 0u);
  writable.Reset();
  RemoveTestTree();
}

TEST(RegistryTree, MissingKeyIsCreatedAndObjectNamesFollowTheRoot) {
  RemoveTestTree();
  const std::u16string path = kTestRoot + u"\\Новый";
  OpenRegistryTreeToEveryone(HKEY_CURRENT_USER, path);
  ExpectSharedDacl(KeyDacl(HKEY_CURRENT_USER, path).Get(), kEveryoneKeyAccess, kFullKeyAccess, "created");
  EXPECT_EQ(RegistryObjectName(HKEY_LOCAL_MACHINE, u"Software\\X"), u"MACHINE\\Software\\X");
  EXPECT_EQ(RegistryObjectName(HKEY_CURRENT_USER, u"Software\\X"), u"CURRENT_USER\\Software\\X");
  EXPECT_EQ(RegistryObjectName(HKEY_CLASSES_ROOT, u"X"), u"");

  // The grant by object name alone, as the walk uses it for a key it cannot open.
  EXPECT_TRUE(GrantEveryoneAccess(RegistryObjectName(HKEY_CURRENT_USER, path), SE_REGISTRY_KEY, KEY_READ));
  const TSidPtr everyone = CreateWorldSid();
  const auto e = AllowedAceFor(KeyDacl(HKEY_CURRENT_USER, path).Get(), everyone.get());
  ASSERT_TRUE(e.has_value());
  EXPECT_EQ(e->mask, DWORD(KEY_READ));
  EXPECT_FALSE(GrantEveryoneAccess(RegistryObjectName(HKEY_CURRENT_USER, path + u"\\нет"), SE_REGISTRY_KEY,
                                   KEY_READ));
  RemoveTestTree();
}

namespace {
// Wine keeps no file DACLs (it answers one made from the Unix mode bits), so the file tests read what
// was handed to SetNamedSecurityInfoW through a recording stand-in that passes each call on.
struct SecurityCall {
  SECURITY_INFORMATION info;
  std::vector<uint8_t> owner;
  std::vector<uint8_t> dacl;
};
std::vector<SecurityCall> g_calls;
int g_deniedDaclCalls = 0;

DWORD WINAPI RecordingSetNamedSecurityInfoW(LPWSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION info, PSID owner,
                                            PSID group, PACL dacl, PACL sacl) {
  SecurityCall call{info, {}, {}};
  if (owner) call.owner.assign(static_cast<uint8_t*>(owner), static_cast<uint8_t*>(owner) + GetLengthSid(owner));
  if (dacl) call.dacl.assign(reinterpret_cast<uint8_t*>(dacl), reinterpret_cast<uint8_t*>(dacl) + dacl->AclSize);
  g_calls.push_back(call);
  if ((info & DACL_SECURITY_INFORMATION) && g_deniedDaclCalls > 0) {
    --g_deniedDaclCalls;
    return ERROR_ACCESS_DENIED;
  }
  using Fn = DWORD(WINAPI*)(LPWSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID, PSID, PACL, PACL);
  const auto real = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "SetNamedSecurityInfoW")));
  return real(name, type, info, owner, group, dacl, sacl);
}

class RecordedGrants {
 public:
  explicit RecordedGrants(int deniedDaclCalls) {
    g_calls.clear();
    g_deniedDaclCalls = deniedDaclCalls;
    ReplaceEntryPointForTesting("SetNamedSecurityInfoW",
                                reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&RecordingSetNamedSecurityInfoW)));
  }
  ~RecordedGrants() { SetEntryPointMissingForTesting("SetNamedSecurityInfoW", false); }
};

bool TakeOwnershipEnabled() {
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  LUID luid{};
  LookupPrivilegeValueA(nullptr, "SeTakeOwnershipPrivilege", &luid);
  PRIVILEGE_SET set{1, PRIVILEGE_SET_ALL_NECESSARY, {{luid, 0}}};
  BOOL enabled = FALSE;
  PrivilegeCheck(token, &set, &enabled);
  CloseHandle(token);
  return enabled != FALSE;
}

// A scratch directory with a file in it, removed at the end.
class SharedFolder {
 public:
  SharedFolder() : dir_(TempDir() + u"Общий каталог"), file_(dir_ + u"\\Конфигурация.reg") {
    CreateDirectoryW(WStr(dir_), nullptr);
    HANDLE h = CreateFileW(WStr(file_), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  ~SharedFolder() {
    DeleteFileW(WStr(file_));
    RemoveDirectoryW(WStr(dir_));
  }
  const std::u16string& Dir() const { return dir_; }
  const std::u16string& File() const { return file_; }

 private:
  std::u16string dir_;
  std::u16string file_;
};
}  // namespace

TEST(Files, DirectoryAndFileOpenedToEveryoneButNotToItsPermissions) {
  SharedFolder folder;
  for (const auto& path : {folder.Dir(), folder.File()}) {
    RecordedGrants recorded(0);
    EXPECT_TRUE(OpenFileAclToEveryone(path));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].info, SECURITY_INFORMATION(DACL_SECURITY_INFORMATION));
    ExpectSharedDacl(reinterpret_cast<PACL>(g_calls[0].dacl.data()), kEveryoneFileAccess, kFullFileAccess,
                     WideToAnsi(path));
  }
  EXPECT_EQ(kEveryoneFileAccess, 0x1301BFu);  // read, write, execute, delete
  const std::u16string gone = folder.Dir() + u"\\нет";
  EXPECT_FALSE(OpenFileAclToEveryone(gone));
}

TEST(Files, RefusedDaclIsSetAfterAdministratorsTakeOwnership) {
  SharedFolder folder;
  const TSidPtr admins = CreateAdministratorsSid();
  {
    RecordedGrants recorded(1);
    EXPECT_TRUE(OpenFileAclToEveryone(folder.File()));
    ASSERT_EQ(g_calls.size(), 3u);
    EXPECT_EQ(g_calls[0].info, SECURITY_INFORMATION(DACL_SECURITY_INFORMATION));
    EXPECT_EQ(g_calls[1].info, SECURITY_INFORMATION(OWNER_SECURITY_INFORMATION));
    ASSERT_FALSE(g_calls[1].owner.empty());
    EXPECT_TRUE(EqualSid(g_calls[1].owner.data(), admins.get()));
    EXPECT_EQ(g_calls[2].info, SECURITY_INFORMATION(DACL_SECURITY_INFORMATION));
    EXPECT_EQ(g_calls[2].dacl, g_calls[0].dacl);
    EXPECT_FALSE(TakeOwnershipEnabled()) << "the privilege is switched off again";
  }
  {
    RecordedGrants recorded(2);  // still refused after the takeover
    EXPECT_FALSE(OpenFileAclToEveryone(folder.File()));
    EXPECT_EQ(g_calls.size(), 3u);
  }
  SetEntryPointMissingForTesting("SetNamedSecurityInfoW", true);
  EXPECT_FALSE(OpenFileAclToEveryone(folder.File())) << "no SetNamedSecurityInfoW: the grant fails";
  SetEntryPointMissingForTesting("SetNamedSecurityInfoW", false);
}

TEST(Tokens, AdministratorsCountOnlyWhenNotDenyOnly) {
  EXPECT_TRUE(IsAdminToken()) << "Wine runs every process as an administrator";
  const TSidPtr admins = CreateAdministratorsSid();
  {
    RestrictedImpersonation denyOnly(admins.get(), nullptr);
    if (!denyOnly.Active()) GTEST_SKIP() << "this Wine cannot impersonate a restricted token";
    // The thread's token decides, not the process's.
    EXPECT_FALSE(IsAdminToken());
  }
  EXPECT_TRUE(IsAdminToken());
}

TEST(Tokens, PrivilegeNotHeldIsAFailure) {
  EXPECT_EQ(EnablePrivilege("SeTakeOwnershipPrivilege", true), 0u);
  EXPECT_EQ(EnablePrivilege("SeTakeOwnershipPrivilege", false), 0u);
  EXPECT_EQ(EnablePrivilege("SeNoSuchPrivilege", true), DWORD(ERROR_NO_SUCH_PRIVILEGE));

  RestrictedImpersonation bare(nullptr, "SeTakeOwnershipPrivilege");
  if (!bare.Token()) GTEST_SKIP() << "this Wine cannot restrict a token";
  EXPECT_EQ(EnableTokenPrivilege(bare.Token(), "SeTakeOwnershipPrivilege", true), DWORD(ERROR_NOT_ALL_ASSIGNED));
  EXPECT_EQ(EnableTokenPrivilege(bare.Token(), "SeChangeNotifyPrivilege", true), 0u);
}

TEST(Accounts, WellKnownNames) {
  std::u16string name = u"unchanged";
  const TSidPtr system = CreateLocalSystemSid();
  ASSERT_TRUE(GetAccountNameOfSid(system.get(), name));
  EXPECT_EQ(name, u"SYSTEM");
  name = u"unchanged";
  uint8_t unknownSid[] = {1, 1, 0, 0, 0, 0, 0, 9, 0x39, 0x30, 0, 0};  // S-1-9-12345, no such account
  EXPECT_FALSE(GetAccountNameOfSid(unknownSid, name));
  EXPECT_EQ(name, u"unchanged");
}

TEST(NineX, NoSecurityMeansSuccess) {
  PlatformGuard nine(VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_TRUE(OpenFileAclToEveryone(u"C:\\no\\such\\file"));
  EXPECT_TRUE(GrantEveryoneAccess(u"C:\\no\\such\\file", SE_FILE_OBJECT, kEveryoneFileAccess));
  EXPECT_TRUE(IsAdminToken());
  EXPECT_EQ(EnablePrivilege("SeNoSuchPrivilege", true), 0u);
  EXPECT_EQ(CreateWorldSid(), nullptr);
  EXPECT_EQ(CreateLocalSystemSid(), nullptr);
  std::u16string name = u"unchanged";
  EXPECT_FALSE(GetAccountNameOfSid(nullptr, name));
  EXPECT_EQ(name, u"unchanged");
  OpenRegistryTreeToEveryone(HKEY_CURRENT_USER, kTestRoot + u"\\9x");
  TRegKey probe;
  EXPECT_FALSE(RegOpenPath(HKEY_CURRENT_USER, kTestRoot + u"\\9x", probe));  // nothing was done
}
