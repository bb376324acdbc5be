// Version flags, processor data, edition texts and the system report, from values the Windows edge reads.
#include "foundation/lib_sysinfo.h"

#include <charconv>

#include "foundation/lib_codepage.h"
#include "foundation/lib_str.h"

namespace {
std::u16string Ascii(std::string_view text) { return DecodeCodePage(text, kCodePage1251); }

std::u16string Dec(int64_t v) { return Ascii(std::to_string(v)); }

bool Bit(uint32_t v, unsigned n) { return (v >> n) & 1u; }

void AppendRegs(std::string& out, std::initializer_list<uint32_t> regs) {
  for (uint32_t r : regs) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((r >> (8 * i)) & 0xFF));
  }
}

std::string UpToZero(std::string s) {
  const size_t nul = s.find('\0');
  if (nul != std::string::npos) s.resize(nul);
  return s;
}
}  // namespace

TSysFlags DeriveVersionFlags(uint32_t platformId, uint32_t major, uint32_t minor) {
  TSysFlags f;
  f.PlatformId = platformId;
  f.MajorVersion = major;
  f.MinorVersion = minor;
  f.IsWinNT = platformId == 2;
  f.IsWin9x = platformId == 1;
  f.IsWin95 = f.IsWin9x && major == 4 && minor == 0;
  f.IsWin98 = f.IsWin9x && major == 4 && minor >= 1 && minor <= 89;
  f.IsWinME = f.IsWin9x && major == 4 && minor == 90;
  f.IsWinNT3 = f.IsWinNT && major == 3;
  f.IsWinNT4 = f.IsWinNT && major == 4;
  f.IsWin2000 = f.IsWinNT && major == 5 && minor == 0;
  f.IsWinXP = f.IsWinNT && major == 5 && minor == 1;
  f.IsWin2003 = f.IsWinNT && major == 5 && minor == 2;
  f.IsWinVista = f.IsWinNT && major == 6 && minor == 0;
  f.IsWin7 = f.IsWinNT && major == 6 && minor == 1;
  f.IsWinNT5Up = f.IsWinNT && major >= 5;
  f.IsWinXPUp = major > 5 || (f.IsWinNT && major == 5 && minor >= 1);
  f.IsWinVistaUp = f.IsWinNT && major >= 6;
  return f;
}

void ReadCPUInfo(const TCpuidFunc& cpuid, TCPUInfo& info) {
  info.Features.Include(cfCPUID);
  const TCpuidRegs l0 = cpuid(0);
  std::string vendor;
  AppendRegs(vendor, {l0.EBX, l0.EDX, l0.ECX});
  info.Vendor = UpToZero(vendor);

  const TCpuidRegs l1 = cpuid(1);
  info.Stepping = static_cast<int32_t>(l1.EAX & 0xF);
  info.Model = static_cast<int32_t>((l1.EAX >> 4) & 0xF);
  info.Family = static_cast<int32_t>((l1.EAX >> 8) & 0xF);
  const std::pair<unsigned, TCPUFeature> edx1[] = {{4, cfTSC}, {23, cfMMX}, {25, cfSSE}, {26, cfSSE2}, {30, cfIA64}};
  for (const auto& [bit, feature] : edx1) {
    if (Bit(l1.EDX, bit)) info.Features.Include(feature);
  }
  if (Bit(l1.ECX, 0)) info.Features.Include(cfSSE3);
  if (Bit(l1.ECX, 9)) info.Features.Include(cfSSSE3);

  // A processor without extended leaves answers with some basic leaf's data: only 0x8000xxxx counts.
  const uint32_t highest = cpuid(0x80000000).EAX;
  if ((highest & 0xFFFF0000) != 0x80000000) return;
  if (highest >= 0x80000004) {
    std::string brand;
    for (uint32_t leaf = 0x80000002; leaf <= 0x80000004; ++leaf) {
      const TCpuidRegs r = cpuid(leaf);
      AppendRegs(brand, {r.EAX, r.EBX, r.ECX, r.EDX});
    }
    info.Name = UpToZero(brand);
  }
  if (highest >= 0x80000001) {
    const uint32_t edx = cpuid(0x80000001).EDX;
    const std::pair<unsigned, TCPUFeature> ext[] = {{22, cfMMXExt}, {31, cf3DNow}, {30, cf3DNowExt}, {29, cfX86_64}};
    for (const auto& [bit, feature] : ext) {
      if (Bit(edx, bit)) info.Features.Include(feature);
    }
  }
  if (highest >= 0x80000008) info.Cores = static_cast<int32_t>(cpuid(0x80000008).ECX & 0xFF) + 1;
}

std::string GetCPUFeatureText(const TCPUFeatures& f) {
  std::string text;
  if (f.Has(cfMMX)) {
    text += "MMX";
    if (f.Has(cfMMXExt)) text += "(+) ";
    text += " ";
  }
  if (f.Has(cf3DNow)) {
    text += "3DNOW!";
    if (f.Has(cf3DNowExt)) text += "(+)";
    text += " ";
  }
  const std::pair<TCPUFeature, const char*> plain[] = {{cfSSE, "SSE "},     {cfSSE2, "SSE2 "},     {cfSSE3, "SSE3 "},
                                                       {cfSSSE3, "SSSE3 "}, {cfX86_64, "x86-64 "}, {cfIA64, "IA64 "}};
  for (const auto& [feature, name] : plain) {
    if (f.Has(feature)) text += name;
  }
  return text;
}

std::u16string GetArchitectureText(uint16_t code) {
  switch (code) {
    case 0:
      return u"I386";
    case 6:
      return u"IA64";
    case 9:
      return u"x64";
    default:
      return u"Unknown";
  }
}

void AppendInfoPart(std::u16string& text, std::u16string_view separator, std::u16string_view part) {
  if (part.empty()) return;
  text += separator;
  text += part;
}

std::u16string SuiteMaskText(std::u16string_view product, uint32_t major, uint32_t minor, uint32_t suiteMask) {
  const std::u16string p(product);
  std::u16string text;
  if (suiteMask & 0x0001) text += u"Microsoft Small Business Server. ";
  if (suiteMask & 0x0002)
    text += p + (major == 5 && minor == 0 ? u" Advanced Server. " : u" Enterprise Edition. ");
  if (suiteMask & 0x0004) text += u"Microsoft BackOffice components. ";
  if (suiteMask & 0x0008) text += u"COMMUNICATIONS. ";
  if (suiteMask & 0x0010) text += u"Terminal Services. ";
  if (suiteMask & 0x0020) text += u"Microsoft Small Business Server";
  if (suiteMask & 0x0080) text += p + (major == 4 ? u" Datacenter Server. " : u" Datacenter Edition. ");
  if (suiteMask & 0x0100) text += u"Single user mode. ";
  if (suiteMask & 0x0200) text += p + u" Home Edition. ";
  if (suiteMask & 0x0400) text += p + u" Web Edition. ";
  if (suiteMask & 0x1000) text += p + u" Security Appliance.";
  return text;
}

std::u16string ProductTypeText(std::u16string_view product, uint32_t major, uint8_t productType, uint32_t suiteMask) {
  const std::u16string p(product);
  switch (productType) {
    case 1:
      if (major == 4) return p + u" Workstation";
      if (major == 5) return p + ((suiteMask & 0x0200) ? u" Home Edition" : u" Professional");
      return p;
    case 2:
      return u"Domain controller";
    case 3:
      return major == 4 ? u"Windows NT Server" : p;
    default:
      return {};
  }
}

void ApplyNTVersion(const TNTVersion& v, TCompInfo& comp, bool& terminalServices, bool& serverEdition) {
  const std::u16string& p = comp.ProductName;
  comp.OSVersionText = p + u" (" + Dec(v.Major) + u"." + Dec(v.Minor) + u" Build " + Dec(v.Build) + u")";
  comp.ServicePack = (v.ServicePackMajor || v.ServicePackMinor)
                         ? Dec(v.ServicePackMajor) + u"." + Dec(v.ServicePackMinor)
                         : std::u16string();
  comp.SuiteText = SuiteMaskText(p, v.Major, v.Minor, v.SuiteMask);
  terminalServices = (v.SuiteMask & 0x0010) != 0;
  comp.SuiteMask = v.SuiteMask;
  serverEdition = v.ProductType == 2 || v.ProductType == 3;
  comp.ProductTypeText = ProductTypeText(p, v.Major, v.ProductType, v.SuiteMask);
}

std::u16string Win9xVersionText(std::u16string_view product, const std::optional<std::u16string>& versionNumber,
                                const std::optional<std::u16string>& subVersionNumber) {
  std::u16string v;
  if (versionNumber) {
    v = u"Microsoft Windows ver. " + *versionNumber;
    if (subVersionNumber) v += *subVersionNumber;
  }
  std::u16string text(product);
  AppendInfoPart(text, u"; ", v);
  return text;
}

std::u16string ProcessorTextOf(std::u16string_view name, int32_t mhz) {
  std::u16string text(name);
  if (mhz != 0) text += u", " + Dec(mhz) + u" MHz";
  return text;
}

std::string FormatFixed(double value, int decimals) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::u16string MemoryTextOf(uint64_t totalPhys, uint64_t availPhys, uint64_t totalPageFile, uint64_t availPageFile) {
  auto mb = [](uint64_t bytes) { return Ascii(FormatFixed(static_cast<double>(bytes) / 1048576.0, 1)); };
  return u"Physical " + mb(totalPhys) + u" MB; Physical Available " + mb(availPhys) + u" MB; Virtual " +
         mb(totalPageFile) + u" MB; Virtual Available " + mb(availPageFile) + u" MB";
}

bool SessionTextFromBuffer(std::span<const uint8_t> bytes, std::u16string& text) {
  if (bytes.size() < 2) return false;
  const size_t chars = bytes.size() / 2 - 1;
  std::u16string out;
  out.reserve(chars);
  for (size_t i = 0; i < chars; ++i) {
    const char16_t ch = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    if (ch == 0) break;
    out.push_back(ch);
  }
  text = std::move(out);
  return true;
}

std::u16string ComposeSystemReport(const TCPUInfo& cpu, const TCompInfo& comp, const TSysFlags& flags,
                                   std::u16string_view architectureText) {
  const std::u16string crlf = u"\r\n";
  std::u16string report;
  if (cpu.Features.Has(cfTSC)) report += u"CPU Speed=" + Ascii(FormatFixed(cpu.MHz, 2)) + u" MHz" + crlf;
  if (cpu.Features.Has(cfCPUID)) {
    report += u"\tFamily " + Dec(cpu.Family) + u" Model " + Dec(cpu.Model) + u" Stepping " + Dec(cpu.Stepping) + crlf;
    report += u"\tVendor=" + Ascii(cpu.Vendor) + crlf;
    if (!cpu.Name.empty()) report += u"\tName=" + Ascii(TrimStr(cpu.Name)) + crlf;
    report += u"\tNumber of cores=" + Dec(cpu.Cores) + crlf;
    report += u"\tFeatures=" + Ascii(GetCPUFeatureText(cpu.Features)) + crlf;
  }
  report += u"Regional Settings=" + comp.SystemLanguage + crlf;
  report += u"Administrator=" + std::u16string(flags.IsAdministrator ? u"True" : u"False") + crlf;
  report += u"Processor=" + TrimW(comp.ProcessorText) + crlf;
  report += u"Memory=" + comp.MemoryText + crlf;
  report += u"Operating System=" + comp.OSVersionText + crlf;
  if (!comp.OSExtendedInfo.empty()) report += u"Operating System Extended Info=" + comp.OSExtendedInfo + crlf;
  report += u"Platform Architecture=" + std::u16string(architectureText) +
            (flags.IsWow64 ? u" (WOW64 Emulation)" : u"") + crlf;
  if (flags.IsWinNT) {
    if (!comp.SuiteText.empty()) report += u"SuiteMask=" + comp.SuiteText + crlf;
    if (!comp.ProductTypeText.empty()) report += u"Windows Product Type=" + comp.ProductTypeText + crlf;
    if (flags.IsRemoteSession) {
      report += u"Remote=Terminal Server Remote Session" + crlf;
      report += u"Terminal Services Active Session Id=" + Dec(comp.SessionId) + crlf;
      report += u"Terminal Services Client Computer Name=" + comp.ClientName + crlf;
      report += u"Terminal Services Win Station Name=" + comp.WinStationName + crlf;
      report += u"Terminal Services Domain Name=" + comp.DomainName + crlf;
    }
    if (flags.IsTerminalServer) {
      report += u"Terminal Services=true" + crlf;
      report += u"Terminal Services Active Session Id=" + Dec(comp.SessionId) + crlf;
    }
  }
  return report;
}
