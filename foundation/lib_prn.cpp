// Spooler access, the portable part: port, datatype and environment rules and the spool file name.
#include "foundation/lib_prn.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "foundation/lib_str.h"

namespace {

std::u16string LowestNumbered(const std::vector<std::u16string>& ports, std::u16string_view prefix) {
  const std::u16string* best = nullptr;
  int bestNumber = 0;
  for (const auto& port : ports) {
    if (!MatchPortName(port, prefix, true)) continue;
    const int n = PortNumber(port, prefix.size());
    if (!best || n < bestNumber) best = &port, bestNumber = n;
  }
  return best ? *best : std::u16string();
}

// A few fixed names are kept as hexadecimal text of their bytes.
std::string Hex(std::string_view text) { return HexDecode(text); }

}  // namespace

int PortNumber(std::u16string_view name, size_t prefixLength) {
  long long n = 0;
  for (size_t i = prefixLength; i < name.size() && name[i] >= u'0' && name[i] <= u'9'; ++i) {
    n = n * 10 + (name[i] - u'0');
    if (n > INT_MAX) return INT_MAX;
  }
  return int(n);
}

bool DosSpoolQueued(bool isWinNT, uint32_t dosSpoolMask, int lpt) {
  if (isWinNT) return true;
  return lpt >= 1 && lpt <= 32 && ((dosSpoolMask >> (lpt - 1)) & 1) != 0;
}

bool MatchPortName(std::u16string_view name, std::u16string_view prefix, bool withColon) {
  if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return false;
  std::u16string_view rest = name.substr(prefix.size());
  if (withColon) {
    if (rest.back() != u':') return false;
    rest.remove_suffix(1);
  }
  return !rest.empty() && std::all_of(rest.begin(), rest.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

std::vector<std::u16string> SelectHardwarePorts(const std::vector<TPortEntry>& ports) {
  constexpr uint32_t kNetAttached = 4, kRedirected = 8;
  std::vector<std::u16string> out;
  for (const auto& port : ports) {
    const bool hardware = MatchPortName(port.Name, u"LPT", true) || MatchPortName(port.Name, u"COM", true) ||
                          MatchPortName(port.Name, u"USB", false);
    if (hardware && (port.PortType & (kNetAttached | kRedirected)) == 0) out.push_back(port.Name);
  }
  return out;
}

std::u16string ChooseDefaultLocalPort(const std::vector<std::u16string>& hardwarePorts) {
  std::u16string port = LowestNumbered(hardwarePorts, u"LPT");
  return port.empty() ? LowestNumbered(hardwarePorts, u"COM") : port;
}

bool IsEmfDatatype(std::u16string_view datatype) {
  return datatype == u"EMF" || datatype.substr(0, 6) == u"NT EMF";
}

std::u16string WantedEmfDatatype(bool isWinNT) { return isWinNT ? u"NT EMF 1.003" : u"EMF"; }

std::string PrinterEnvironmentNameFor(const TPrnSystemFacts& sys, bool x64KeyExists) {
  if (!sys.IsWinNT) return "Windows 4.0";
  switch (sys.ProcessorArchitecture) {
    case 0: return "Windows NT x86";
    case 6: return "Windows IA64";
    case 9: return (sys.Major == 5 && sys.Minor == 2 && !x64KeyExists) ? "Windows AMD64" : "Windows x64";
    default: return {};
  }
}

int DriverVersionNumberFor(const TPrnSystemFacts& sys) {
  if (!sys.IsWinNT) return 0;
  if (sys.Major >= 5) return 3;
  if (sys.Major == 4) return 2;
  return sys.Major == 3 ? 1 : 0;
}

std::string EpsonLqModelNameFor(const TPrnSystemFacts& sys) {
  if (sys.IsWinNT && sys.Major == 6 && sys.Minor == 0) return "EPSON LQ Series (136) Graphics";
  if (sys.IsWinNT && (sys.Major > 6 || (sys.Major == 6 && sys.Minor >= 1))) return "EPSON LQ Series 1 (136) Graphics";
  return Hex("4570736F6E204C512D323030");
}

TEpsonLqDriver EpsonLqDriverFor(const TPrnSystemFacts& sys) {
  TEpsonLqDriver d;
  if (sys.IsWinNT && sys.Major >= 6) return d;
  const std::string nul(1, '\0');
  if (!sys.IsWinNT) {
    const std::string drv = Hex("4550534F4E32342E445256");
    d = {1024, drv, drv, drv, Hex("554E494452562E484C50"), drv + nul + nul, true};
  } else if (sys.Major >= 5) {
    d = {3, Hex("554E494452562E444C4C"), Hex("45503230302E475044"), Hex("554E4944525655492E444C4C"),
         Hex("554E494452562E484C50"),
         Hex("554E495245532E444C4C") + nul + Hex("455032345245532E444C4C") + nul + Hex("5354444E414D45532E475044") +
             nul + nul,
         false};
  } else if (sys.Major == 4) {
    d = {2, Hex("52415344442E444C4C"), Hex("4550534F4E32342E444C4C"), Hex("524153444455492E444C4C"),
         Hex("524153444455492E484C50"), Hex("4550534F4E32342E444C4C") + nul + nul, false};
  }
  return d;
}

std::u16string FormatSpoolFileName(std::u16string_view directory, uint32_t jobId) {
  char number[16];
  std::snprintf(number, sizeof number, "%.5u", unsigned(jobId));
  std::u16string out(directory);
  out += u'\\';
  for (const char* p = number; *p; ++p) out += char16_t(*p);
  return out + u".spl";
}

std::u16string DeviceEntryPrinter(std::u16string_view device) {
  return std::u16string(device.substr(0, device.find(u',')));
}

std::u16string ReplaceDeviceEntryPrinter(std::u16string_view device, std::u16string_view printer) {
  const size_t comma = device.find(u',');
  std::u16string out(printer);
  out += u',';
  if (comma != std::u16string_view::npos) out += device.substr(comma + 1);
  return out;
}
