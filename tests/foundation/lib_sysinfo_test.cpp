// System information from values: version flags, processors described by their CPUID leaves, edition
// texts, session answers and the composed report.
#include "foundation/lib_sysinfo.h"

#include <gtest/gtest.h>

#include <map>

namespace {
std::string SetFlags(const TSysFlags& f) {
  const std::pair<bool, const char*> all[] = {
      {f.IsWinNT, "NT"},         {f.IsWin9x, "9x"},         {f.IsWin95, "95"},         {f.IsWin98, "98"},
      {f.IsWinME, "ME"},         {f.IsWinNT3, "NT3"},       {f.IsWinNT4, "NT4"},       {f.IsWin2000, "2000"},
      {f.IsWinXP, "XP"},         {f.IsWin2003, "2003"},     {f.IsWinVista, "Vista"},   {f.IsWin7, "7"},
      {f.IsWinNT5Up, "NT5Up"},   {f.IsWinXPUp, "XPUp"},     {f.IsWinVistaUp, "VistaUp"}};
  std::string out;
  for (const auto& [on, name] : all) {
    if (on) out += std::string(out.empty() ? "" : " ") + name;
  }
  return out;
}

uint32_t Chars(const char* four) {
  return uint32_t(uint8_t(four[0])) | uint32_t(uint8_t(four[1])) << 8 | uint32_t(uint8_t(four[2])) << 16 |
         uint32_t(uint8_t(four[3])) << 24;
}

// A processor described by its leaves; a leaf it lacks answers its highest basic leaf, as Intel's do.
struct FakeCpu {
  std::map<uint32_t, TCpuidRegs> leaves;
  TCpuidRegs operator()(uint32_t leaf) const {
    const auto it = leaves.find(leaf);
    return it != leaves.end() ? it->second : leaves.at(1);
  }
};

void SetBrand(FakeCpu& cpu, const char (&brand)[49]) {
  for (uint32_t i = 0; i < 3; ++i) {
    const char* p = brand + 16 * i;
    cpu.leaves[0x80000002 + i] = {Chars(p), Chars(p + 4), Chars(p + 8), Chars(p + 12)};
  }
}

FakeCpu CoreTwo(uint32_t highestExtended) {
  FakeCpu cpu;
  cpu.leaves[0] = {10, Chars("Genu"), Chars("ntel"), Chars("ineI")};
  cpu.leaves[1] = {0x000006FB, 0, (1u << 0) | (1u << 9), (1u << 4) | (1u << 23) | (1u << 25) | (1u << 26)};
  cpu.leaves[0x80000000] = {highestExtended, 0, 0, 0};
  cpu.leaves[0x80000001] = {0, 0, 0, 1u << 29};
  SetBrand(cpu, "  Intel(R) Core(TM)2 CPU 6600 @ 2.40GHz\0\0\0\0\0\0\0\0\0");
  cpu.leaves[0x80000008] = {0, 0, 0x01, 0};
  return cpu;
}

std::vector<uint8_t> Utf16Bytes(std::u16string_view s) {
  std::vector<uint8_t> out;
  for (char16_t c : s) {
    out.push_back(uint8_t(c & 0xFF));
    out.push_back(uint8_t(c >> 8));
  }
  return out;
}
}  // namespace

TEST(VersionFlags, FromPlatformAndVersion) {
  struct Case {
    uint32_t platform, major, minor;
    const char* expected;
  } cases[] = {
      {1, 4, 0, "9x 95"},
      {1, 4, 1, "9x 98"},
      {1, 4, 10, "9x 98"},
      {1, 4, 89, "9x 98"},
      {1, 4, 90, "9x ME"},
      {1, 4, 91, "9x"},
      {2, 3, 51, "NT NT3"},
      {2, 4, 0, "NT NT4"},
      {2, 5, 0, "NT 2000 NT5Up"},
      {2, 5, 1, "NT XP NT5Up XPUp"},
      {2, 5, 2, "NT 2003 NT5Up XPUp"},
      {2, 6, 0, "NT Vista NT5Up XPUp VistaUp"},
      {2, 6, 1, "NT 7 NT5Up XPUp VistaUp"},
      {2, 6, 2, "NT NT5Up XPUp VistaUp"},
      {2, 10, 0, "NT NT5Up XPUp VistaUp"},
  };
  for (const auto& c : cases) {
    const TSysFlags f = DeriveVersionFlags(c.platform, c.major, c.minor);
    EXPECT_EQ(SetFlags(f), c.expected) << c.platform << " " << c.major << "." << c.minor;
    EXPECT_EQ(f.MajorVersion, c.major);
    EXPECT_FALSE(f.IsWow64 || f.IsRemoteSession || f.IsAdministrator || f.IsTerminalServer || f.IsServerEdition);
  }
}

TEST(Processor, LeavesOfAFullProcessor) {
  TCPUInfo info;
  ReadCPUInfo(CoreTwo(0x80000008), info);
  EXPECT_EQ(info.Vendor, "GenuineIntel");
  EXPECT_EQ(info.Family, 6);
  EXPECT_EQ(info.Model, 0xF);
  EXPECT_EQ(info.Stepping, 0xB);
  EXPECT_EQ(info.Name, "  Intel(R) Core(TM)2 CPU 6600 @ 2.40GHz");
  EXPECT_EQ(info.Cores, 2);
  EXPECT_EQ(GetCPUFeatureText(info.Features), "MMX SSE SSE2 SSE3 SSSE3 x86-64 ");
  EXPECT_TRUE(info.Features.Has(cfCPUID));
  EXPECT_TRUE(info.Features.Has(cfTSC));
}

TEST(Processor, ExtendedLeavesOnlyAsFarAsTheyGo) {
  struct Case {
    uint32_t highest;
    bool name;
    bool x64;
    int32_t cores;
    const char* why;
  } cases[] = {
      {0x80000008, true, true, 2, "core count leaf present"},
      {0x80000007, true, true, 1, "one below the core count leaf"},
      {0x80000004, true, true, 1, "brand string present"},
      {0x80000003, false, true, 1, "one below the brand string"},
      {0x80000001, false, true, 1, "extended features only"},
      {0x80000000, false, false, 1, "no extended leaf"},
      {0x0000000A, false, false, 1, "a basic leaf's answer is no extended range"},
  };
  for (const auto& c : cases) {
    TCPUInfo info;
    ReadCPUInfo(CoreTwo(c.highest), info);
    EXPECT_EQ(!info.Name.empty(), c.name) << c.why;
    EXPECT_EQ(info.Features.Has(cfX86_64), c.x64) << c.why;
    EXPECT_EQ(info.Cores, c.cores) << c.why;
  }
}

TEST(Processor, FeatureTextMarksFollowTheirBase) {
  struct Case {
    std::vector<TCPUFeature> features;
    const char* expected;
  } cases[] = {
      {{cfMMX, cfMMXExt}, "MMX(+)  "},
      {{cf3DNow, cf3DNowExt}, "3DNOW!(+) "},
      {{cfMMXExt, cf3DNowExt}, ""},
      {{cfMMX, cf3DNow}, "MMX 3DNOW! "},
      {{cfCPUID, cfTSC}, ""},
      {{cfIA64, cfSSE, cfX86_64, cfSSSE3, cfSSE3, cfSSE2, cfMMX, cfMMXExt, cf3DNow, cf3DNowExt},
       "MMX(+)  3DNOW!(+) SSE SSE2 SSE3 SSSE3 x86-64 IA64 "},
  };
  for (const auto& c : cases) {
    TCPUFeatures f;
    for (TCPUFeature x : c.features) f.Include(x);
    EXPECT_EQ(GetCPUFeatureText(f), c.expected);
  }
  EXPECT_EQ(GetArchitectureText(0), u"I386");
  EXPECT_EQ(GetArchitectureText(6), u"IA64");
  EXPECT_EQ(GetArchitectureText(9), u"x64");
  EXPECT_EQ(GetArchitectureText(5), u"Unknown");
}

TEST(Editions, SuiteAndProductTypeTexts) {
  const std::u16string p = u"Microsoft Windows";
  struct Case {
    uint32_t major, minor, suite;
    std::u16string expected;
  } suites[] = {
      {5, 0, 0x0002, p + u" Advanced Server. "},
      {5, 2, 0x0002, p + u" Enterprise Edition. "},
      {4, 0, 0x0080, p + u" Datacenter Server. "},
      {5, 0, 0x0080, p + u" Datacenter Edition. "},
      {6, 1, 0x0110, u"Terminal Services. Single user mode. "},
      {5, 1, 0x0001 | 0x0020, u"Microsoft Small Business Server. Microsoft Small Business Server"},
      {5, 1, 0x0200 | 0x0400 | 0x1000, p + u" Home Edition. " + p + u" Web Edition. " + p + u" Security Appliance."},
      {5, 1, 0x0004 | 0x0008, u"Microsoft BackOffice components. COMMUNICATIONS. "},
      {5, 1, 0x0040 | 0x0800 | 0x2000, u""},
  };
  for (const auto& c : suites) EXPECT_EQ(SuiteMaskText(p, c.major, c.minor, c.suite), c.expected) << c.suite;

  struct TypeCase {
    uint32_t major;
    uint8_t type;
    uint32_t suite;
    std::u16string expected;
  } types[] = {
      {4, 1, 0, p + u" Workstation"}, {5, 1, 0x0200, p + u" Home Edition"}, {5, 1, 0, p + u" Professional"},
      {6, 1, 0x0200, p},              {5, 2, 0, u"Domain controller"},     {4, 3, 0, u"Windows NT Server"},
      {5, 3, 0, p},                   {6, 0, 0, u""},                      {6, 4, 0, u""},
  };
  for (const auto& c : types) EXPECT_EQ(ProductTypeText(p, c.major, c.type, c.suite), c.expected) << int(c.type);
}

TEST(Editions, NTVersionRecordIntoTexts) {
  TCompInfo comp;
  comp.ProductName = u"Microsoft Windows XP";
  bool terminal = false;
  bool server = true;
  ApplyNTVersion({5, 1, 2600, 3, 0, 0x0100, 1}, comp, terminal, server);
  EXPECT_EQ(comp.OSVersionText, u"Microsoft Windows XP (5.1 Build 2600)");
  EXPECT_EQ(comp.ServicePack, u"3.0");
  EXPECT_EQ(comp.SuiteText, u"Single user mode. ");
  EXPECT_EQ(comp.ProductTypeText, u"Microsoft Windows XP Professional");
  EXPECT_EQ(comp.SuiteMask, 0x0100u);
  EXPECT_FALSE(terminal);
  EXPECT_FALSE(server);

  ApplyNTVersion({5, 2, 3790, 0, 0, 0x0012, 3}, comp, terminal, server);
  EXPECT_EQ(comp.ServicePack, u"");
  EXPECT_TRUE(terminal);
  EXPECT_TRUE(server);
  EXPECT_EQ(comp.ProductTypeText, u"Microsoft Windows XP");

  EXPECT_EQ(Win9xVersionText(u"Microsoft Windows 98", u"4.10.2222", u" A"),
            u"Microsoft Windows 98; Microsoft Windows ver. 4.10.2222 A");
  EXPECT_EQ(Win9xVersionText(u"Microsoft Windows 98", u"4.10.2222", std::nullopt),
            u"Microsoft Windows 98; Microsoft Windows ver. 4.10.2222");
  EXPECT_EQ(Win9xVersionText(u"Microsoft Windows 98", std::nullopt, u" A"), u"Microsoft Windows 98");
  std::u16string text = u"P";
  AppendInfoPart(text, u"; ", u"");
  AppendInfoPart(text, u" ", u"6.1");
  EXPECT_EQ(text, u"P 6.1");
}

TEST(Editions, ProcessorAndMemoryTexts) {
  EXPECT_EQ(ProcessorTextOf(u"Intel(R) Core(TM)2", 2400), u"Intel(R) Core(TM)2, 2400 MHz");
  EXPECT_EQ(ProcessorTextOf(u"Intel(R) Core(TM)2", 0), u"Intel(R) Core(TM)2");
  EXPECT_EQ(MemoryTextOf(2147483648ull, 1048576ull * 3 / 2, 0, 104857ull),
            u"Physical 2048.0 MB; Physical Available 1.5 MB; Virtual 0.0 MB; Virtual Available 0.1 MB");
  EXPECT_EQ(FormatFixed(2394.456, 2), "2394.46");
  EXPECT_EQ(FormatFixed(0, 2), "0.00");
}

TEST(Sessions, AnswerBufferToText) {
  struct Case {
    std::vector<uint8_t> bytes;
    bool ok;
    std::u16string expected;
    const char* why;
  } cases[] = {
      {{}, false, u"old", "zero bytes: no negative length, the text stays"},
      {{0x41}, false, u"old", "one byte: not even a NUL"},
      {{0, 0}, true, u"", "only the NUL"},
      {Utf16Bytes(std::u16string(u"КЛИЕНТ\0", 7)), true, u"КЛИЕНТ", "name with its NUL"},
      {Utf16Bytes(u"AB"), true, u"A", "the last character is taken as the NUL"},
      {Utf16Bytes(std::u16string(u"A\0BC\0", 5)), true, u"A", "stops at an earlier NUL"},
      {{0x41, 0, 0, 0, 0x42}, true, u"A", "odd byte count"},
  };
  for (const auto& c : cases) {
    std::u16string text = u"old";
    EXPECT_EQ(SessionTextFromBuffer(c.bytes, text), c.ok) << c.why;
    EXPECT_EQ(text, c.expected) << c.why;
  }
}

namespace {
TCompInfo SampleComp() {
  TCompInfo comp;
  comp.SystemLanguage = u"Русский";
  comp.ProcessorText = u"  Intel(R) Core(TM)2, 2400 MHz ";
  comp.MemoryText = u"Physical 2048.0 MB; Physical Available 1024.0 MB; Virtual 4096.0 MB; Virtual Available 3072.0 MB";
  comp.OSVersionText = u"Microsoft Windows Server 2003 (5.2 Build 3790)";
  comp.OSExtendedInfo = u"Microsoft Windows Server 2003 5.2 3790; Service Pack 2";
  comp.SuiteText = u"Terminal Services. ";
  comp.ProductTypeText = u"Microsoft Windows Server 2003";
  comp.SessionId = 3;
  comp.ClientName = u"КЛИЕНТ";
  comp.WinStationName = u"RDP-Tcp#1";
  comp.DomainName = u"OFFICE";
  return comp;
}
}  // namespace

TEST(Report, RemoteSessionOnATerminalServerGetsBothBlocks) {
  TCPUInfo cpu;
  ReadCPUInfo(CoreTwo(0x80000008), cpu);
  cpu.MHz = 2394.456;
  TSysFlags flags = DeriveVersionFlags(2, 5, 2);
  flags.IsAdministrator = true;
  flags.IsRemoteSession = true;
  flags.IsTerminalServer = true;
  flags.IsWow64 = true;
  const std::u16string expected =
      u"CPU Speed=2394.46 MHz\r\n"
      u"\tFamily 6 Model 15 Stepping 11\r\n"
      u"\tVendor=GenuineIntel\r\n"
      u"\tName=Intel(R) Core(TM)2 CPU 6600 @ 2.40GHz\r\n"
      u"\tNumber of cores=2\r\n"
      u"\tFeatures=MMX SSE SSE2 SSE3 SSSE3 x86-64 \r\n"
      u"Regional Settings=Русский\r\n"
      u"Administrator=True\r\n"
      u"Processor=Intel(R) Core(TM)2, 2400 MHz\r\n"
      u"Memory=Physical 2048.0 MB; Physical Available 1024.0 MB; Virtual 4096.0 MB; Virtual Available 3072.0 MB\r\n"
      u"Operating System=Microsoft Windows Server 2003 (5.2 Build 3790)\r\n"
      u"Operating System Extended Info=Microsoft Windows Server 2003 5.2 3790; Service Pack 2\r\n"
      u"Platform Architecture=x64 (WOW64 Emulation)\r\n"
      u"SuiteMask=Terminal Services. \r\n"
      u"Windows Product Type=Microsoft Windows Server 2003\r\n"
      u"Remote=Terminal Server Remote Session\r\n"
      u"Terminal Services Active Session Id=3\r\n"
      u"Terminal Services Client Computer Name=КЛИЕНТ\r\n"
      u"Terminal Services Win Station Name=RDP-Tcp#1\r\n"
      u"Terminal Services Domain Name=OFFICE\r\n"
      u"Terminal Services=true\r\n"
      u"Terminal Services Active Session Id=3\r\n";
  EXPECT_EQ(ComposeSystemReport(cpu, SampleComp(), flags, u"x64"), expected);
}

TEST(Report, ProcessorLinesFollowCpuidAndTheTimeStampCounter) {
  const TSysFlags flags = DeriveVersionFlags(2, 6, 1);
  const TCompInfo comp = SampleComp();
  // No CPUID: the report begins with the system lines.
  const std::u16string none = ComposeSystemReport(TCPUInfo{}, comp, flags, u"I386");
  EXPECT_EQ(none.rfind(u"Regional Settings=Русский\r\n", 0), 0u);
  EXPECT_NE(none.find(u"Administrator=False\r\n"), std::u16string::npos);
  EXPECT_NE(none.find(u"Platform Architecture=I386\r\n"), std::u16string::npos);

  // CPUID without a time-stamp counter: no clock line, the TAB lines stay; no brand, no name line.
  TCPUInfo cpu;
  cpu.Features.Include(cfCPUID);
  cpu.Vendor = "AuthenticAMD";
  const std::u16string noTsc = ComposeSystemReport(cpu, comp, flags, u"I386");
  EXPECT_EQ(noTsc.rfind(u"\tFamily 0 Model 0 Stepping 0\r\n\tVendor=AuthenticAMD\r\n\tNumber of cores=1\r\n"
                        u"\tFeatures=\r\nRegional Settings=",
                        0),
            0u);
  EXPECT_EQ(noTsc.find(u"CPU Speed"), std::u16string::npos);
  EXPECT_EQ(noTsc.find(u"Remote="), std::u16string::npos);
  EXPECT_EQ(noTsc.find(u"Terminal Services="), std::u16string::npos);
}

TEST(Report, NineXHasNoNtLines) {
  TSysFlags flags = DeriveVersionFlags(1, 4, 10);
  flags.IsAdministrator = true;
  flags.IsRemoteSession = true;  // cannot be set on 9x, and would not show
  flags.IsTerminalServer = true;
  TCompInfo comp = SampleComp();
  comp.OSExtendedInfo.clear();
  const std::u16string report = ComposeSystemReport(TCPUInfo{}, comp, flags, u"I386");
  EXPECT_NE(report.find(u"Administrator=True\r\n"), std::u16string::npos);
  for (const char16_t* absent : {u"Extended Info", u"SuiteMask=", u"Windows Product Type=", u"Remote=",
                                 u"Terminal Services="}) {
    EXPECT_EQ(report.find(absent), std::u16string::npos);
  }
}
