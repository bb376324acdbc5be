// What the system runs on, as values: version flags derived from the version numbers, processor data
// from CPUID leaves, edition and product texts, and the system report composed from them. The queries
// of the running Windows are in lib_sysinfo_win.
#pragma once

#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Process-wide flags; which unit reads which is told where it reads them.
struct TSysFlags {
  uint32_t PlatformId = 0;  // 1 the 9x family, 2 the NT family
  uint32_t MajorVersion = 0;
  uint32_t MinorVersion = 0;
  bool IsWinNT = false;
  bool IsWin9x = false;
  bool IsWin95 = false;
  bool IsWin98 = false;
  bool IsWinME = false;
  bool IsWinNT3 = false;
  bool IsWinNT4 = false;
  bool IsWin2000 = false;
  bool IsWinXP = false;
  bool IsWin2003 = false;
  bool IsWinVista = false;
  bool IsWin7 = false;
  bool IsWinNT5Up = false;
  bool IsWinXPUp = false;
  bool IsWinVistaUp = false;
  bool IsWow64 = false;
  bool IsRemoteSession = false;
  // Known once the OS information has been queried.
  bool IsAdministrator = false;
  bool IsTerminalServer = false;
  bool IsServerEdition = false;
};

// The family and version flags of a platform identifier and version; the others stay false.
TSysFlags DeriveVersionFlags(uint32_t platformId, uint32_t major, uint32_t minor);

enum TCPUFeature {
  cfCPUID,
  cfTSC,
  cfMMX,
  cfMMXExt,
  cf3DNow,
  cf3DNowExt,
  cfSSE,
  cfSSE2,
  cfSSE3,
  cfSSSE3,
  cfX86_64,
  cfIA64,
  cfFeatureCount
};

class TCPUFeatures {
 public:
  bool Has(TCPUFeature f) const { return bits_.test(f); }
  void Include(TCPUFeature f) { bits_.set(f); }
  bool Empty() const { return bits_.none(); }
  friend bool operator==(const TCPUFeatures&, const TCPUFeatures&) = default;

 private:
  std::bitset<cfFeatureCount> bits_;
};

struct TCPUInfo {
  double MHz = 0;
  int32_t Family = 0;
  int32_t Model = 0;
  int32_t Stepping = 0;
  TCPUFeatures Features;
  int32_t Cores = 1;
  std::string Vendor;  // 8-bit, at most 12 characters
  std::string Name;    // 8-bit, at most 48 characters
};

struct TCpuidRegs {
  uint32_t EAX = 0;
  uint32_t EBX = 0;
  uint32_t ECX = 0;
  uint32_t EDX = 0;
};
using TCpuidFunc = std::function<TCpuidRegs(uint32_t leaf)>;

// Vendor, signature, features, brand string and cores of a processor that has CPUID, from its leaves.
void ReadCPUInfo(const TCpuidFunc& cpuid, TCPUInfo& info);
std::string GetCPUFeatureText(const TCPUFeatures& features);
std::u16string GetArchitectureText(uint16_t code);

struct TCompInfo {
  std::u16string ComputerName;
  std::u16string UserName;
  std::u16string ProductName;
  std::u16string OSVersionText;
  std::u16string OSExtendedInfo;
  std::u16string ServicePack;
  std::u16string SuiteText;
  std::u16string ProductTypeText;
  std::u16string SystemLanguage;
  std::u16string ProcessorText;
  std::u16string MemoryText;
  uint32_t SuiteMask = 0;
  int32_t SessionId = 0;
  std::u16string ClientName;
  std::u16string WinStationName;
  std::u16string DomainName;
};

// Appends separator and part when the part is not empty.
void AppendInfoPart(std::u16string& text, std::u16string_view separator, std::u16string_view part);

// The NT version record's figures.
struct TNTVersion {
  uint32_t Major = 0;
  uint32_t Minor = 0;
  uint32_t Build = 0;
  uint16_t ServicePackMajor = 0;
  uint16_t ServicePackMinor = 0;
  uint16_t SuiteMask = 0;
  uint8_t ProductType = 0;  // 1 workstation, 2 domain controller, 3 server
};

// Fills the version, service-pack, suite and product-type texts and the suite mask from an NT version
// record, with comp.ProductName as the product; answers the terminal-services and server flags.
void ApplyNTVersion(const TNTVersion& v, TCompInfo& comp, bool& terminalServices, bool& serverEdition);
std::u16string SuiteMaskText(std::u16string_view product, uint32_t major, uint32_t minor, uint32_t suiteMask);
std::u16string ProductTypeText(std::u16string_view product, uint32_t major, uint8_t productType, uint32_t suiteMask);
// The 9x version text from the product name and the version values that could be read.
std::u16string Win9xVersionText(std::u16string_view product, const std::optional<std::u16string>& versionNumber,
                                const std::optional<std::u16string>& subVersionNumber);
std::u16string ProcessorTextOf(std::u16string_view name, int32_t mhz);
std::u16string MemoryTextOf(uint64_t totalPhys, uint64_t availPhys, uint64_t totalPageFile, uint64_t availPageFile);

// The text of a Remote Desktop Services answer: byte count / 2 - 1 characters (the last is its NUL),
// up to an earlier NUL; false for an answer without even its NUL.
bool SessionTextFromBuffer(std::span<const uint8_t> bytes, std::u16string& text);

// The system report (processor lines, then system lines, each ending CR LF).
std::u16string ComposeSystemReport(const TCPUInfo& cpu, const TCompInfo& comp, const TSysFlags& flags,
                                   std::u16string_view architectureText);
// A number with the given decimals and a point, whatever the locale.
std::string FormatFixed(double value, int decimals);
