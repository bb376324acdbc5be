// System information of the Wine test machine: the start flags, the processor, the system report
// (printed, with its fixed parts checked), and the 9x, remote-session and terminal-server branches
// reached by injecting the flags.
#include "foundation/lib_sysinfo_win.h"

#include <gtest/gtest.h>

#include <iostream>

#include "foundation/lib_apiext_win.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_unicode_win.h"
#include "support/win_fixtures.h"

namespace {
class InjectedFlags {
 public:
  explicit InjectedFlags(const TSysFlags& flags) { SetSysFlagsForTesting(flags); }
  ~InjectedFlags() { ResetSysFlagsForTesting(); }
};

bool Contains(const std::u16string& text, std::u16string_view part) { return text.find(part) != std::u16string::npos; }

std::u16string Line(const std::u16string& report, std::u16string_view key) {
  const size_t at = report.find(key);
  if (at == std::u16string::npos) return {};
  const size_t end = report.find(u"\r\n", at);
  return report.substr(at + key.size(), end == std::u16string::npos ? std::u16string::npos : end - at - key.size());
}
// The processor as the program sees it: a 64-bit build runs natively, a 32-bit one in a 32-bit prefix.
#ifdef _WIN64
constexpr uint16_t kOwnArchitecture = 9;
const std::u16string kOwnArchitectureText = u"x64";
#else
constexpr uint16_t kOwnArchitecture = 0;
const std::u16string kOwnArchitectureText = u"I386";
#endif

}  // namespace

TEST(StartFlags, WineReportsWindows7OnTheBuildsOwnArchitecture) {
  InitSysInfo();
  const TSysFlags f = SysFlags();
  EXPECT_EQ(f.PlatformId, 2u);
  EXPECT_TRUE(IsWinNT());
  EXPECT_FALSE(IsWin9x());
  EXPECT_TRUE(IsWin7());
  EXPECT_TRUE(IsWinNT5Up() && IsWinXPUp() && IsWinVistaUp());
  EXPECT_FALSE(IsWow64());
  EXPECT_FALSE(IsRemoteSession());
  EXPECT_FALSE(IsRemoteSessionActive());
  EXPECT_EQ(ProcessorArchitecture(), kOwnArchitecture);
  EXPECT_EQ(ProcessorArchitectureText(), kOwnArchitectureText);
}

TEST(StartFlags, ProcessorIsReadOnce) {
  InitSysInfo();
  const TCPUInfo first = CPUInfo();
  EXPECT_TRUE(first.Features.Has(cfCPUID));
  EXPECT_EQ(first.Vendor.size(), 12u);
  EXPECT_GE(first.Cores, 1);
  if (first.Features.Has(cfTSC)) {
    EXPECT_GT(first.MHz, 0.0);
  }
  InitSysInfo();  // set once: a second call measures nothing anew
  EXPECT_EQ(CPUInfo().MHz, first.MHz);
  EXPECT_EQ(ExecCPUID(0).EBX, ExecCPUID(0).EBX);
}

TEST(Report, TestMachine) {
  InitSysInfo();
  const std::u16string report = GetSystemReport();
  std::cout << "System report of the test machine:\n" << WideToUtf8(report) << std::endl;
  EXPECT_EQ(SystemReportText(), report);
  ASSERT_GE(report.size(), 2u);
  EXPECT_EQ(report.substr(report.size() - 2), u"\r\n");
  const TCompInfo comp = CompInfo();
  EXPECT_FALSE(comp.ComputerName.empty());
  EXPECT_FALSE(comp.UserName.empty());
  EXPECT_FALSE(comp.SystemLanguage.empty());
  EXPECT_TRUE(IsAdministrator());
  // Wine 8 answers product type 3 (server) for its Windows 7; the flag follows whatever the system says.
  OSVERSIONINFOEXW v{};
  v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&v)));
#pragma GCC diagnostic pop
  EXPECT_EQ(IsServerEdition(), v.wProductType == VER_NT_SERVER || v.wProductType == VER_NT_DOMAIN_CONTROLLER);
  EXPECT_EQ(Line(report, u"Administrator="), u"True");
  EXPECT_EQ(Line(report, u"Platform Architecture="), kOwnArchitectureText);
  EXPECT_EQ(Line(report, u"Operating System="), comp.ProductName + u" (6.1 Build 7601)");
  EXPECT_EQ(Line(report, u"Windows Product Type="), comp.ProductName);  // version 6: the product name
  EXPECT_EQ(Line(report, u"Regional Settings="), comp.SystemLanguage);
  EXPECT_EQ(Line(report, u"Memory=").rfind(u"Physical ", 0), 0u);
  EXPECT_TRUE(Contains(Line(report, u"Memory="), u" MB; Virtual Available "));
  EXPECT_TRUE(Contains(comp.OSExtendedInfo, comp.ProductName + u" 6.1 7601"));
  EXPECT_EQ(comp.ServicePack, u"1.0");
  const TCPUInfo cpu = CPUInfo();
  if (cpu.Features.Has(cfTSC)) {
    EXPECT_EQ(report.rfind(u"CPU Speed=", 0), 0u);
  }
  EXPECT_TRUE(Contains(report, u"\tVendor=" + DecodeCodePage(cpu.Vendor, kCodePage1251) + u"\r\n"));
  EXPECT_FALSE(Contains(report, u"Remote="));
}

TEST(Report, RemoteSessionOnTerminalServerInjected) {
  TSysFlags flags = SysFlags();
  flags.IsRemoteSession = true;
  flags.IsTerminalServer = true;
  InjectedFlags injected(flags);
  // Wine answers few session queries: whatever it does not answer keeps its earlier text.
  const std::u16string report = GetSystemReport();
  std::cout << WideToUtf8(report) << std::endl;
  EXPECT_TRUE(IsTerminalServer()) << "once set it stays set";
  EXPECT_TRUE(Contains(report, u"Remote=Terminal Server Remote Session\r\nTerminal Services Active Session Id="));
  EXPECT_TRUE(Contains(report, u"Terminal Services=true\r\n"));
  const std::u16string id = u"Terminal Services Active Session Id=" +
                            DecodeCodePage(std::to_string(CompInfo().SessionId), kCodePage1251) + u"\r\n";
  const size_t first = report.find(id);
  ASSERT_NE(first, std::u16string::npos);
  EXPECT_NE(report.find(id, first + 1), std::u16string::npos) << "both blocks name the same session";
}

TEST(Report, NineXInjected) {
  InjectedFlags injected(DeriveVersionFlags(1, 4, 10));
  EXPECT_FALSE(UseWideApi()) << "the injected platform reaches the W/A choice";
  const std::u16string report = GetSystemReport();
  std::cout << WideToUtf8(report) << std::endl;
  EXPECT_EQ(Line(report, u"Administrator="), u"True");
  EXPECT_FALSE(IsServerEdition());
  for (const char16_t* absent : {u"Extended Info", u"SuiteMask=", u"Windows Product Type=", u"Remote="}) {
    EXPECT_FALSE(Contains(report, absent));
  }
  EXPECT_FALSE(CompInfo().ComputerName.empty());
}

TEST(Sessions, MissingEntriesKeepTheFailurePath) {
  EXPECT_NE(GetConsoleSessionId(), -1);
  std::u16string text = u"old";
  uint32_t value = 77;
  {
    SetEntryPointMissingForTesting("WTSGetActiveConsoleSessionId", true);
    SetEntryPointMissingForTesting("WTSQuerySessionInformationW", true);
    EXPECT_EQ(GetConsoleSessionId(), -1);
    EXPECT_FALSE(QuerySessionString(WTSClientName, text));
    EXPECT_EQ(text, u"old");
    EXPECT_FALSE(QuerySessionInteger(WTSSessionId, value));
    EXPECT_EQ(value, 77u);
    TSysFlags flags = SysFlags();
    flags.IsRemoteSession = true;
    InjectedFlags injected(flags);
    QueryOSInfo();
    EXPECT_EQ(CompInfo().SessionId, -1) << "no session query and no console entry";
    ClearMissingEntryPointsForTesting();
  }
  // What Wine answers itself: a string, or failure with the text untouched; an integer only of 4 bytes.
  std::vector<uint8_t> data;
  if (QuerySessionInfo(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSSessionId, data)) {
    EXPECT_EQ(QuerySessionInteger(WTSSessionId, value), data.size() == 4);
  }
  text = u"old";
  if (!QuerySessionString(WTSWinStationName, text)) {
    EXPECT_EQ(text, u"old");
  }
}

TEST(Accounts, UserComputerAndSystemNamesInBothBranches) {
  wchar_t user[261];
  DWORD n = 261;
  ASSERT_TRUE(GetUserNameW(user, &n));
  wchar_t computer[261];
  DWORD m = 261;
  ASSERT_TRUE(GetComputerNameW(computer, &m));
  for (DWORD platform : {DWORD(VER_PLATFORM_WIN32_NT), DWORD(VER_PLATFORM_WIN32_WINDOWS)}) {
    TPlatformGuard guard(platform);
    std::u16string name = u"x";
    GetCurrentUserName(name);
    EXPECT_EQ(name, FromWStr(user)) << platform;
    name = u"x";
    GetLocalComputerName(name);
    EXPECT_EQ(name, FromWStr(computer)) << platform;
    name = u"x";
    GetLocalSystemAccountName(name);
    EXPECT_EQ(name, u"SYSTEM") << platform;
  }
}
