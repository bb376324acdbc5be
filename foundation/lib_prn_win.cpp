// Spooler access: hooks, the spooler environment, enumerations, ports and drivers.
#include "foundation/lib_prn_win.h"

#include <winspool.h>

#include <mutex>

#include "foundation/lib_api_win.h"
#include "foundation/lib_prn_seam_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"

namespace {

const std::u16string kPrintKey = u"System\\CurrentControlSet\\Control\\Print";

TPrnSystemFacts SystemFromWindows() {
  const TSysFlags flags = SysFlags();
  return {flags.IsWinNT, flags.MajorVersion, flags.MinorVersion, ProcessorArchitecture(), flags.IsWin95};
}

TPrnHooks DefaultHooks() {
  TPrnHooks h;
  h.ReadString = [](HKEY root, const std::u16string& path, const std::u16string& name) {
    std::u16string out;
    RegReadString(root, path, name, out, u"");
    return out;
  };
  h.KeyExists = [](HKEY root, const std::u16string& path) {
    TRegKey key;
    return RegOpenPath(root, path, key);
  };
  h.ReadDword = [](HKEY root, const std::u16string& path, const std::u16string& name, uint32_t& value) {
    TRegKey key;
    std::vector<uint8_t> bytes;
    if (!RegOpenPath(root, path, key) || !RegKeyReadBytes(key.Get(), name, {}, bytes) || bytes.size() != 4) return false;
    value = uint32_t(RegKeyReadInteger(key.Get(), name, 0));
    return true;
  };
  h.WriteDword = [](HKEY root, const std::u16string& path, const std::u16string& name, uint32_t value) {
    return RegWriteIntegerW(root, path, name, int32_t(value));
  };
  h.ReadBinary = [](HKEY root, const std::u16string& path, const std::u16string& name, std::vector<uint8_t>& value) {
    return RegReadBytes(root, path, name, value, {});
  };
  h.WriteBinary = [](HKEY root, const std::u16string& path, const std::u16string& name, const std::vector<uint8_t>& value) {
    return RegWriteBytes(root, path, name, value);
  };
  h.System = SystemFromWindows;
  h.MessageBox = [](const std::u16string& text, const std::u16string& caption, UINT flags, HWND owner) {
    return MsgBox(text, caption, flags, owner);
  };
  h.ErrorText = [](DWORD code) { return FormatErrorCode(code); };
  return h;
}

// Set at start-up (or by a test) before the spooler units run; read-only afterwards.
TPrnHooks gHooks = DefaultHooks();

// Process-wide: the environment argument is decided once for every spooler call of the process.
std::mutex gEnvironmentLock;
bool gEnvironmentDecided = false;
std::u16string gEnvironment;  // empty: nil, the spooler's own

std::u16string EnvironmentKey(const std::u16string& name) { return kPrintKey + u"\\Environments\\" + name + u"\\"; }

// Size query with an empty buffer, then the call into a buffer of that size.
template <class Call>
bool EnumerateInto(Call call, std::vector<uint8_t>& bytes, DWORD& count) {
  DWORD needed = 0;
  count = 0;
  call(nullptr, 0, &needed, &count);
  bytes.assign(needed, 0);
  count = 0;
  return call(bytes.empty() ? nullptr : bytes.data(), needed, &needed, &count) != FALSE;
}

DWORD LocalPrinterFlags() { return PrnSystem().IsWinNT ? PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS : PRINTER_ENUM_LOCAL; }

}  // namespace

TPrnHooks& PrnHooks() { return gHooks; }

void SetPrnHooks(TPrnHooks hooks) {
  const TPrnHooks d = DefaultHooks();
  if (!hooks.ReadString) hooks.ReadString = d.ReadString;
  if (!hooks.KeyExists) hooks.KeyExists = d.KeyExists;
  if (!hooks.ReadDword) hooks.ReadDword = d.ReadDword;
  if (!hooks.WriteDword) hooks.WriteDword = d.WriteDword;
  if (!hooks.ReadBinary) hooks.ReadBinary = d.ReadBinary;
  if (!hooks.WriteBinary) hooks.WriteBinary = d.WriteBinary;
  if (!hooks.System) hooks.System = d.System;
  if (!hooks.MessageBox) hooks.MessageBox = d.MessageBox;
  if (!hooks.ErrorText) hooks.ErrorText = d.ErrorText;
  gHooks = std::move(hooks);
}

TPrnSystemFacts PrnSystem() { return gHooks.System(); }

void PrnErrorBox(const std::u16string& text, HWND owner) {
  gHooks.MessageBox(text, u"Ошибка!", MB_OK | MB_ICONERROR, owner);
}
void PrnWarningBox(const std::u16string& text, HWND owner) {
  gHooks.MessageBox(text, u"Внимание!", MB_OK | MB_ICONWARNING, owner);
}
int PrnQuestionBox(const std::u16string& text, UINT icon, HWND owner) {
  return gHooks.MessageBox(text, u"Внимание!", MB_YESNO | icon, owner);
}
void PrnPrinterOpenErrorBox(const std::u16string& printer, DWORD error, HWND owner) {
  PrnErrorBox(u"Ошибка открытия принтера: \"" + printer + u"\"\r\n" + gHooks.ErrorText(error), owner);
}
void PrnFileErrorBox(const std::u16string& what, const std::u16string& file, DWORD error, HWND owner) {
  PrnErrorBox(what + u": \"" + file + u"\"\r\n" + gHooks.ErrorText(error), owner);
}

void GetPrinterEnvironmentName(std::string& name) {
  const TPrnSystemFacts sys = PrnSystem();
  const bool x64Key = sys.IsWinNT && sys.ProcessorArchitecture == 9 && sys.Major == 5 && sys.Minor == 2 &&
                      gHooks.KeyExists(HKEY_LOCAL_MACHINE, EnvironmentKey(u"Windows x64"));
  name = PrinterEnvironmentNameFor(sys, x64Key);
}

bool InitPrinterEnvironment(const std::u16string& overrideName) {
  std::lock_guard guard(gEnvironmentLock);
  if (gEnvironmentDecided && !gEnvironment.empty()) return false;
  std::string name;
  GetPrinterEnvironmentName(name);
  gEnvironment = name == "Windows AMD64" ? AnsiToWide(name) : std::u16string();
  if (!overrideName.empty() && gHooks.KeyExists(HKEY_LOCAL_MACHINE, EnvironmentKey(overrideName))) gEnvironment = overrideName;
  gEnvironmentDecided = true;
  return true;
}

LPWSTR PrinterEnvironmentArg() {
  std::lock_guard guard(gEnvironmentLock);
  // The decided name lives for the process; it changes only from nil to a name.
  return gEnvironment.empty() ? nullptr : const_cast<LPWSTR>(WStr(gEnvironment));
}

bool ListPrinters2W(std::vector<uint8_t>& bytes, DWORD& count) {
  const DWORD flags = LocalPrinterFlags();
  return EnumerateInto([&](LPBYTE b, DWORD s, LPDWORD n, LPDWORD r) { return Spooler().EnumPrinters(flags, nullptr, 2, b, s, n, r); },
                       bytes, count);
}
bool ListPrinters5W(std::vector<uint8_t>& bytes, DWORD& count) {
  const DWORD flags = LocalPrinterFlags();
  return EnumerateInto([&](LPBYTE b, DWORD s, LPDWORD n, LPDWORD r) { return Spooler().EnumPrinters(flags, nullptr, 5, b, s, n, r); },
                       bytes, count);
}
bool ListPrinters2ByFlagsA(DWORD flags, std::vector<uint8_t>& bytes, DWORD& count) {
  return EnumerateInto([&](LPBYTE b, DWORD s, LPDWORD n, LPDWORD r) { return Spooler().EnumPrintersA(flags, nullptr, 2, b, s, n, r); },
                       bytes, count);
}
bool ListPrinters2A(std::vector<uint8_t>& bytes, DWORD& count) { return ListPrinters2ByFlagsA(LocalPrinterFlags(), bytes, count); }
bool ListPrinters5A(std::vector<uint8_t>& bytes, DWORD& count) {
  const DWORD flags = LocalPrinterFlags();
  return EnumerateInto([&](LPBYTE b, DWORD s, LPDWORD n, LPDWORD r) { return Spooler().EnumPrintersA(flags, nullptr, 5, b, s, n, r); },
                       bytes, count);
}
bool ListPorts2W(std::vector<uint8_t>& bytes, DWORD& count) {
  return EnumerateInto([](LPBYTE b, DWORD s, LPDWORD n, LPDWORD r) { return Spooler().EnumPorts(nullptr, 2, b, s, n, r); }, bytes, count);
}
bool ListPorts2A(std::vector<uint8_t>& bytes, DWORD& count) {
  return EnumerateInto([](LPBYTE b, DWORD s, LPDWORD n, LPDWORD r) { return Spooler().EnumPortsA(nullptr, 2, b, s, n, r); }, bytes, count);
}
bool ListDrivers2W(std::vector<uint8_t>& bytes, DWORD& count) {
  LPWSTR env = PrinterEnvironmentArg();
  return EnumerateInto([&](LPBYTE b, DWORD s, LPDWORD n, LPDWORD r) { return Spooler().EnumPrinterDrivers(nullptr, env, 2, b, s, n, r); },
                       bytes, count);
}
namespace {

// The 8-bit driver enumerations pass the environment argument as 8-bit text.
bool ListDriversA(DWORD level, std::vector<uint8_t>& bytes, DWORD& count) {
  LPWSTR envW = PrinterEnvironmentArg();
  std::string env = envW ? WideToAnsi(FromWStr(envW)) : std::string();
  LPSTR envA = envW ? env.data() : nullptr;
  return EnumerateInto(
      [&](LPBYTE b, DWORD s, LPDWORD n, LPDWORD r) { return Spooler().EnumPrinterDriversA(nullptr, envA, level, b, s, n, r); }, bytes,
      count);
}

}  // namespace

bool ListDrivers2A(std::vector<uint8_t>& bytes, DWORD& count) { return ListDriversA(2, bytes, count); }
bool ListDrivers3A(std::vector<uint8_t>& bytes, DWORD& count) { return ListDriversA(3, bytes, count); }

namespace {

std::vector<TPortEntry> AllPorts() {
  std::vector<TPortEntry> ports;
  std::vector<uint8_t> bytes;
  DWORD count = 0;
  if (PrnSystem().IsWinNT) {
    if (!ListPorts2W(bytes, count)) return ports;
    const auto* p = reinterpret_cast<const PORT_INFO_2W*>(bytes.data());
    for (DWORD i = 0; i < count; ++i) ports.push_back({FromWStr(p[i].pPortName), p[i].fPortType});
  } else {
    if (!ListPorts2A(bytes, count)) return ports;
    const auto* p = reinterpret_cast<const PORT_INFO_2A*>(bytes.data());
    for (DWORD i = 0; i < count; ++i) ports.push_back({AnsiToWide(p[i].pPortName ? p[i].pPortName : ""), p[i].fPortType});
  }
  return ports;
}

}  // namespace

void ListHardwarePorts(TWideStringArray& list) {
  list.Clear();
  for (const auto& port : SelectHardwarePorts(AllPorts())) list.Add(port);
}

void FindDefaultLocalPort(std::u16string& name) { name = ChooseDefaultLocalPort(SelectHardwarePorts(AllPorts())); }

bool IsLocalPort(const std::u16string& name) {
  for (const auto& port : AllPorts())
    if (port.Name == name) return (port.PortType & (4 | 8)) == 0;
  return false;
}

void GetPrinterPortName(const std::u16string& printer, std::u16string& port) {
  std::vector<uint8_t> info;
  const PRINTER_INFO_2W* p = GetPrinterInfo2(printer, info) ? PrinterInfo2(info) : nullptr;
  port = p ? FromWStr(p->pPortName) : std::u16string();
}

void GetPrinterLptComPort(const std::u16string& printer, std::u16string& port) {
  GetPrinterPortName(printer, port);
  if (!MatchPortName(port, u"LPT", true) && !MatchPortName(port, u"COM", true)) port.clear();
}

void ListDriverNames(TWideStringArray& list) {
  std::vector<uint8_t> bytes;
  DWORD count = 0;
  if (!ListDrivers2W(bytes, count)) return;
  const auto* d = reinterpret_cast<const DRIVER_INFO_2W*>(bytes.data());
  for (DWORD i = 0; i < count; ++i) list.Add(FromWStr(d[i].pName));
}

void GetPrinterDriverName(const std::u16string& printer, std::u16string& driver) {
  std::vector<uint8_t> info;
  const PRINTER_INFO_2W* p = GetPrinterInfo2(printer, info) ? PrinterInfo2(info) : nullptr;
  driver = p && SameTextW(FromWStr(p->pPrinterName), printer) ? FromWStr(p->pDriverName) : std::u16string();
}

int GetDriverVersionNumber() { return DriverVersionNumberFor(PrnSystem()); }

void GetDriverVersionDir(std::u16string& text) {
  text.clear();
  if (!PrnSystem().IsWinNT) return;
  std::string env;
  GetPrinterEnvironmentName(env);
  const std::u16string number = AnsiToWide(std::to_string(GetDriverVersionNumber()));
  text = gHooks.ReadString(HKEY_LOCAL_MACHINE, EnvironmentKey(AnsiToWide(env)) + u"Drivers\\Version-" + number, u"Directory");
  if (text.empty()) text = number;
}

void GetDriverDirectoryPath(std::u16string& path) {
  wchar_t buffer[MAX_PATH * 2] = {};
  DWORD needed = 0;
  path.clear();
  if (Spooler().GetPrinterDriverDirectory(nullptr, PrinterEnvironmentArg(), 1, reinterpret_cast<LPBYTE>(buffer), sizeof buffer, &needed))
    path = IncludeTrailingPathDelimiterW(FromWStr(buffer));
}

DWORD InstallDriverFromPackage(const std::u16string& server, const std::u16string& infPath,
                               const std::u16string& driverName, const std::u16string& environment, DWORD flags) {
  using TInstall = HRESULT(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, DWORD);
  HMODULE winspool = GetModuleHandleW(L"winspool.drv");
  const auto install = winspool ? reinterpret_cast<TInstall>(reinterpret_cast<void*>(
                                      GetProcAddress(winspool, "InstallPrinterDriverFromPackageW")))
                                : nullptr;
  if (!install) return 1;
  const auto arg = [](const std::u16string& s) { return s.empty() ? nullptr : WStr(s); };
  return DWORD(install(arg(server), arg(infPath), WStr(driverName), arg(environment), flags));
}

std::string GetEpsonLqModelName() { return EpsonLqModelNameFor(PrnSystem()); }

bool AddEpsonLqDriver() {
  const TPrnSystemFacts sys = PrnSystem();
  TEpsonLqDriver d = EpsonLqDriverFor(sys);
  if (d.Version == 0) return false;
  std::string name = EpsonLqModelNameFor(sys), env;
  GetPrinterEnvironmentName(env);
  std::string empty, emf = "EMF";
  DRIVER_INFO_3A info{};
  info.cVersion = d.Version;
  info.pName = name.data();
  info.pEnvironment = env.data();
  info.pDriverPath = d.DriverPath.data();
  info.pDataFile = d.DataFile.data();
  info.pConfigFile = d.ConfigFile.data();
  info.pHelpFile = d.HelpFile.data();
  info.pDependentFiles = d.DependentFiles.data();
  if (d.EmptyMonitorAndEmfDatatype) info.pMonitorName = empty.data(), info.pDefaultDataType = emf.data();
  return Spooler().AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&info)) != FALSE;
}

bool TEveryoneSecurity::Build() {
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return false;
  const DWORD jobRights = PrnSystem().Major >= 5 ? 0xF0030 : GENERIC_ALL;
  const DWORD size = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(everyone));
  Acl.assign(size, 0);
  auto* dacl = reinterpret_cast<PACL>(Acl.data());
  const bool built = InitializeAcl(dacl, size, ACL_REVISION) &&
                     AddAccessAllowedAceEx(dacl, ACL_REVISION, CONTAINER_INHERIT_ACE, PRINTER_ALL_ACCESS, everyone) &&
                     AddAccessAllowedAceEx(dacl, ACL_REVISION, OBJECT_INHERIT_ACE | INHERIT_ONLY_ACE, jobRights, everyone) &&
                     InitializeSecurityDescriptor(&Descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                     SetSecurityDescriptorDacl(&Descriptor, TRUE, dacl, FALSE);
  FreeSid(everyone);
  return built;
}

const PRINTER_INFO_2W* PrinterInfo2(const std::vector<uint8_t>& bytes) {
  return bytes.size() >= sizeof(PRINTER_INFO_2W) ? reinterpret_cast<const PRINTER_INFO_2W*>(bytes.data()) : nullptr;
}
