// Optional entry points under Wine: each routine with its entry present, and with the entry made missing
// through the lookup seam so the fallback runs.
#include "foundation/lib_apiext_win.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>
#include <atomic>

#include "foundation/lib_unicode_win.h"

namespace {
// Makes one entry point missing for the scope.
class MissingEntry {
 public:
  explicit MissingEntry(const char* name) : name_(name) { SetEntryPointMissingForTesting(name_, true); }
  ~MissingEntry() { SetEntryPointMissingForTesting(name_, false); }

 private:
  std::string name_;
};

class PlatformGuard {
 public:
  explicit PlatformGuard(DWORD id) { SetPlatformIdForTesting(id); }
  ~PlatformGuard() { SetPlatformIdForTesting(0); }
};

class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&cs_); }
  ~CriticalSection() { DeleteCriticalSection(&cs_); }
  CRITICAL_SECTION& Get() { return cs_; }

 private:
  CRITICAL_SECTION cs_;
};
}  // namespace

TEST(EntryLookup, MissingOnlyWhileInjected) {
  const HMODULE k32 = GetModuleHandleW(L"kernel32.dll");
  EXPECT_NE(FindEntryPoint(k32, "GetTickCount"), nullptr);
  {
    MissingEntry gone("GetTickCount");
    EXPECT_EQ(FindEntryPoint(k32, "GetTickCount"), nullptr);
    EXPECT_NE(FindEntryPoint(k32, "GetVersion"), nullptr);  // only the named entry
  }
  EXPECT_NE(FindEntryPoint(k32, "GetTickCount"), nullptr);
  EXPECT_EQ(FindEntryPoint(nullptr, "GetTickCount"), nullptr);
  EXPECT_EQ(FindEntryPoint(k32, "NoSuchEntryPoint"), nullptr);
}

TEST(NetApi, EnumeratesUsersAndAnswersOneWhenMissing) {
  LPBYTE buffer = nullptr;
  DWORD read = 0;
  DWORD total = 0;
  ASSERT_EQ(CallNetUserEnum(nullptr, 0, FILTER_NORMAL_ACCOUNT, &buffer, MAX_PREFERRED_LENGTH, &read, &total, nullptr),
            static_cast<NET_API_STATUS>(NERR_Success));
  EXPECT_GE(read, 1u);
  ASSERT_NE(buffer, nullptr);
  // The buffer outlives the library's unloading: it comes from the process heap.
  EXPECT_NE(reinterpret_cast<USER_INFO_0*>(buffer)[0].usri0_name, nullptr);
  EXPECT_EQ(CallNetApiBufferFree(buffer), static_cast<NET_API_STATUS>(NERR_Success));

  MissingEntry noEnum("NetUserEnum");
  MissingEntry noFree("NetApiBufferFree");
  buffer = nullptr;
  EXPECT_EQ(CallNetUserEnum(nullptr, 0, 0, &buffer, MAX_PREFERRED_LENGTH, &read, &total, nullptr), 1u);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(CallNetApiBufferFree(nullptr), 1u);
}

TEST(Wow64, ThirtyTwoBitPrefixIsNoWow64AndMissingEntryAnswersFalse) {
  bool flag = true;
  EXPECT_TRUE(CallIsWow64Process(GetCurrentProcess(), flag));
  EXPECT_FALSE(flag);
  EXPECT_FALSE(IsProcessWow64());

  MissingEntry gone("IsWow64Process");
  flag = true;
  EXPECT_FALSE(CallIsWow64Process(GetCurrentProcess(), flag));
  EXPECT_FALSE(flag);
  EXPECT_FALSE(IsProcessWow64());
}

TEST(Wow64, RedirectionOffAndBackIsOneMatchingPair) {
  PVOID state = reinterpret_cast<PVOID>(1);
  if (DisableWow64Redirection(state)) {
    EXPECT_TRUE(RevertWow64Redirection(state));
  }
  { TWow64RedirectionOff scope; }

  MissingEntry noDisable("Wow64DisableWow64FsRedirection");
  MissingEntry noRevert("Wow64RevertWow64FsRedirection");
  state = reinterpret_cast<PVOID>(1);
  EXPECT_TRUE(DisableWow64Redirection(state));
  EXPECT_EQ(state, nullptr);
  EXPECT_TRUE(RevertWow64Redirection(state));
}

TEST(SystemInfo, NativeInfoOnThirtyTwoBitIsGetSystemInfo) {
  SYSTEM_INFO plain{};
  GetSystemInfo(&plain);
  for (bool missing : {false, true}) {
    if (missing) SetEntryPointMissingForTesting("GetNativeSystemInfo", true);
    SYSTEM_INFO native{};
    CallGetNativeSystemInfo(native);
    EXPECT_EQ(native.wProcessorArchitecture, plain.wProcessorArchitecture) << missing;
    EXPECT_EQ(native.dwNumberOfProcessors, plain.dwNumberOfProcessors) << missing;
    EXPECT_EQ(native.dwPageSize, plain.dwPageSize) << missing;
  }
  ClearMissingEntryPointsForTesting();
}

TEST(Memory, FallbackFillsTheExtendedRecordFromTheOlderCall) {
  MEMORYSTATUSEX real{};
  ASSERT_TRUE(CallGlobalMemoryStatusEx(real));
  EXPECT_EQ(real.dwLength, sizeof(MEMORYSTATUSEX));
  EXPECT_GT(real.ullTotalPhys, 0u);

  MissingEntry gone("GlobalMemoryStatusEx");
  MEMORYSTATUSEX fallback;
  std::memset(&fallback, 0xCD, sizeof fallback);
  ASSERT_TRUE(CallGlobalMemoryStatusEx(fallback));
  MEMORYSTATUS old{};
  old.dwLength = sizeof old;
  GlobalMemoryStatus(&old);
  EXPECT_EQ(fallback.dwLength, 64u);
  EXPECT_EQ(fallback.ullAvailExtendedVirtual, 0u);
  EXPECT_EQ(fallback.ullTotalPhys, old.dwTotalPhys);
  EXPECT_EQ(fallback.ullTotalPageFile, old.dwTotalPageFile);
  EXPECT_EQ(fallback.ullTotalVirtual, old.dwTotalVirtual);
  // Available figures move between two calls; they must still be the older call's, within a few MB.
  const double slack = 16.0 * 1024 * 1024;
  EXPECT_NEAR(static_cast<double>(fallback.ullAvailPageFile), static_cast<double>(old.dwAvailPageFile), slack);
  EXPECT_NEAR(static_cast<double>(fallback.ullAvailPhys), static_cast<double>(old.dwAvailPhys), slack);
}

namespace {
// Holds the section on another thread for the given time.
std::thread HoldSection(CRITICAL_SECTION& cs, int ms) {
  std::atomic<bool> held{false};
  std::thread owner([&cs, &held, ms] {
    EnterCriticalSection(&cs);
    held = true;
    Sleep(ms);
    LeaveCriticalSection(&cs);
  });
  while (!held) Sleep(1);
  return owner;
}
}  // namespace

TEST(CriticalSections, TryAnswersFalseWhenHeldElsewhereUnlessItMustWait) {
  CriticalSection cs;
  std::thread owner = HoldSection(cs.Get(), 100);
  EXPECT_FALSE(CallTryEnterCriticalSection(cs.Get()));
  owner.join();

  // The 9x family and a kernel32 without the entry wait for the section instead.
  for (bool nine : {true, false}) {
    PlatformGuard platform(nine ? DWORD(VER_PLATFORM_WIN32_WINDOWS) : DWORD(VER_PLATFORM_WIN32_NT));
    MissingEntry gone(nine ? "none" : "TryEnterCriticalSection");
    owner = HoldSection(cs.Get(), 60);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(CallTryEnterCriticalSection(cs.Get())) << nine;
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30)) << nine;
    LeaveCriticalSection(&cs.Get());
    owner.join();
  }
}

TEST(Shell, PathFromItemListAndMissingEntries) {
  PIDLIST_ABSOLUTE items = nullptr;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_WINDOWS, &items), S_OK);
  wchar_t path[MAX_PATH] = {};
  EXPECT_TRUE(CallSHGetPathFromIDListW(items, path));
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_EQ(lstrcmpiW(path, windows), 0);
  {
    MissingEntry gone("SHGetPathFromIDListW");
    EXPECT_FALSE(CallSHGetPathFromIDListW(items, path));
  }
  CoTaskMemFree(items);

  MissingEntry gone("SHBrowseForFolderW");
  BROWSEINFOW info{};
  EXPECT_EQ(CallSHBrowseForFolderW(&info), nullptr);  // no dialog: the entry is missing
}

TEST(Time, UtcToZoneTimeAndFalseWhenMissing) {
  TIME_ZONE_INFORMATION moscow{};
  moscow.Bias = -180;
  SYSTEMTIME utc{};
  utc.wYear = 2012;
  utc.wMonth = 3;
  utc.wDay = 31;
  utc.wHour = 22;
  utc.wMinute = 30;
  SYSTEMTIME local{};
  ASSERT_TRUE(CallSystemTimeToTzSpecificLocalTime(&moscow, utc, local));
  EXPECT_EQ(local.wDay, 1);
  EXPECT_EQ(local.wMonth, 4);
  EXPECT_EQ(local.wHour, 1);
  EXPECT_EQ(local.wMinute, 30);

  MissingEntry gone("SystemTimeToTzSpecificLocalTime");
  EXPECT_FALSE(CallSystemTimeToTzSpecificLocalTime(&moscow, utc, local));
}

TEST(Security, MissingSetNamedSecurityInfoAnswersInvalidFunction) {
  MissingEntry gone("SetNamedSecurityInfoW");
  EXPECT_EQ(CallSetNamedSecurityInfoW(u"C:\\windows", SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                      nullptr, nullptr),
            static_cast<DWORD>(ERROR_INVALID_FUNCTION));
}

TEST(Security, AceAddedWithoutTheExEntryKeepsItsInheritanceFlags) {
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
  const DWORD size = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(everyone));
  std::vector<uint8_t> withEx(size);
  std::vector<uint8_t> withoutEx(size);
  const DWORD flags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
  for (auto* buf : {&withEx, &withoutEx}) {
    auto* acl = reinterpret_cast<PACL>(buf->data());
    ASSERT_TRUE(InitializeAcl(acl, size, ACL_REVISION));
    MissingEntry gone(buf == &withoutEx ? "AddAccessAllowedAceEx" : "none");
    ASSERT_TRUE(CallAddAccessAllowedAceEx(acl, ACL_REVISION, 0, FILE_GENERIC_READ, everyone));
    ASSERT_TRUE(CallAddAccessAllowedAceEx(acl, ACL_REVISION, flags, FILE_GENERIC_WRITE, everyone));
  }
  EXPECT_EQ(withEx, withoutEx);
  void* ace = nullptr;
  ASSERT_TRUE(GetAce(reinterpret_cast<PACL>(withoutEx.data()), 1, &ace));
  EXPECT_EQ(static_cast<ACE_HEADER*>(ace)->AceFlags, flags);
  ASSERT_TRUE(GetAce(reinterpret_cast<PACL>(withoutEx.data()), 0, &ace));
  EXPECT_EQ(static_cast<ACE_HEADER*>(ace)->AceFlags, 0);
  FreeSid(everyone);
}
