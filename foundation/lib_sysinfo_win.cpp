// The running Windows: version and environment flags, CPUID and clock, the OS, session, processor and
// memory queries behind the system report.
#include "foundation/lib_sysinfo_win.h"

#include <cpuid.h>
#include <x86intrin.h>

#include <mutex>
#include <optional>

#include "foundation/lib_apiext_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_security_win.h"
#include "foundation/lib_unicode_win.h"

namespace {
// Process-wide by design: every unit reads the flags to choose its calls. One lock guards the record;
// the start flags are written once, the OS information by each report.
struct TSysState {
  std::mutex Lock;
  bool FlagsReady = false;
  bool Initialized = false;
  TSysFlags Flags;
  uint16_t Architecture = 0;
  std::u16string ArchitectureText = u"I386";
  TCPUInfo Cpu;
  TCompInfo Comp;
  std::u16string Report;
};

TSysState& State() {
  static TSysState state;
  return state;
}

bool ReadVersion(OSVERSIONINFOEXW& info) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  info = {};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
  if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return true;
  info = {};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
  return GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
#pragma GCC diagnostic pop
}

// The start flags and the architecture; called with the lock held.
void EnsureFlags(TSysState& s) {
  if (s.FlagsReady) return;
  OSVERSIONINFOEXW v;
  if (!ReadVersion(v)) v.dwPlatformId = GetPlatformId();
  s.Flags = DeriveVersionFlags(v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion);
  s.Flags.IsWow64 = IsProcessWow64();
  s.Flags.IsRemoteSession = s.Flags.IsWinNT && GetSystemMetrics(SM_REMOTESESSION) != 0;
  SYSTEM_INFO info{};
  CallGetNativeSystemInfo(info);
  s.Architecture = info.wProcessorArchitecture;
  s.ArchitectureText = GetArchitectureText(s.Architecture);
  s.FlagsReady = true;
}

template <typename T, typename Fn>
T Read(Fn fn) {
  TSysState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  EnsureFlags(s);
  return fn(s);
}

bool Flag(bool TSysFlags::*member) {
  return Read<bool>([member](TSysState& s) { return s.Flags.*member; });
}

// Whether CPUID exists: the ID bit (21) of EFLAGS can be flipped.
bool HasCpuid() {
#if defined(__i386__)
  uint32_t flipped = 0;
  uint32_t original = 0;
  __asm__ volatile(
      "pushfl\n\t"
      "popl %0\n\t"
      "movl %0, %1\n\t"
      "xorl $0x200000, %0\n\t"
      "pushl %0\n\t"
      "popfl\n\t"
      "pushfl\n\t"
      "popl %0\n\t"
      "pushl %1\n\t"
      "popfl"
      : "=&r"(flipped), "=&r"(original)
      :
      : "cc");
  return ((flipped ^ original) & 0x200000) != 0;
#else
  return true;
#endif
}

TCPUInfo DetectCpu() {
  TCPUInfo cpu;
  if (!HasCpuid()) return cpu;
  ReadCPUInfo(ExecCPUID, cpu);
  if (cpu.Features.Has(cfTSC)) cpu.MHz = MeasureCPUSpeed();
  return cpu;
}

void ReadRegText(HKEY key, const char16_t* name, std::u16string& out) {
  std::u16string value;
  if (RegKeyReadString(key, name, u"", value)) out = value;
}

void QueryNTInfo(const TSysFlags& flags, TCompInfo& c, bool& admin, bool& terminal, bool& server) {
  if (flags.IsRemoteSession) {
    QuerySessionString(WTSClientName, c.ClientName);
    QuerySessionString(WTSWinStationName, c.WinStationName);
    QuerySessionString(WTSDomainName, c.DomainName);
    uint32_t id = 0;
    c.SessionId = QuerySessionInteger(WTSSessionId, id) ? static_cast<int32_t>(id) : GetConsoleSessionId();
  } else {
    c.SessionId = GetConsoleSessionId();
    QuerySessionString(WTSDomainName, c.DomainName);
  }
  admin = IsAdminToken();

  TRegKey key;
  c.ProductName = u"Microsoft Windows NT";
  if (RegOpenPath(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", key)) {
    RegKeyReadString(key.Get(), u"ProductName", c.ProductName, c.ProductName);
    std::u16string ext = c.ProductName;
    std::u16string part;
    for (const char16_t* name : {u"CurrentVersion", u"CurrentBuildNumber"}) {
      RegKeyReadString(key.Get(), name, u"", part);
      AppendInfoPart(ext, u" ", part);
    }
    for (const char16_t* name : {u"BuildLab", u"CSDVersion", u"CurrentType"}) {
      RegKeyReadString(key.Get(), name, u"", part);
      AppendInfoPart(ext, u"; ", part);
    }
    c.OSExtendedInfo = ext;
  } else {
    c.OSExtendedInfo = c.ProductName;
  }

  OSVERSIONINFOEXW v;
  if (!ReadVersion(v)) return;
  GetLocalComputerName(c.ComputerName);
  const TNTVersion nt{v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber, v.wServicePackMajor,
                      v.wServicePackMinor, v.wSuiteMask,   v.wProductType};
  ApplyNTVersion(nt, c, terminal, server);
}

void Query9xInfo(TCompInfo& c) {
  c.OSExtendedInfo.clear();  // an NT text; none on this family
  TRegKey key;
  if (!RegOpenPath(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", key)) return;
  GetLocalComputerName(c.ComputerName);
  ReadRegText(key.Get(), u"ProductName", c.ProductName);
  std::optional<std::u16string> version;
  std::optional<std::u16string> subVersion;
  std::u16string value;
  if (RegKeyReadString(key.Get(), u"VersionNumber", u"", value)) version = value;
  if (RegKeyReadString(key.Get(), u"SubVersionNumber", u"", value)) subVersion = value;
  c.OSVersionText = Win9xVersionText(c.ProductName, version, subVersion);
}

void QueryLanguage(TCompInfo& c) {
  const LCTYPE type = LOCALE_NOUSEROVERRIDE | LOCALE_SLANGUAGE;
  if (UseWideApi()) {
    wchar_t buf[261] = {};
    if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, type, buf, 261) > 0) c.SystemLanguage = FromWStr(buf);
  } else {
    char buf[261] = {};
    if (GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, type, buf, 261) > 0) c.SystemLanguage = AnsiToWide(buf);
  }
}

void QueryProcessorText(bool nt, TCompInfo& c) {
  TRegKey key;
  std::u16string name;
  int32_t mhz = 0;
  if (RegOpenPath(HKEY_LOCAL_MACHINE, u"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", key)) {
    if (nt) RegKeyReadString(key.Get(), u"ProcessorNameString", u"", name);
    if (name.empty()) RegKeyReadString(key.Get(), u"Identifier", u"", name);
    mhz = RegKeyReadInteger(key.Get(), u"~MHz", 0);
  }
  c.ProcessorText = ProcessorTextOf(name, mhz);
}

void QueryMemory(TCompInfo& c) {
  MEMORYSTATUSEX m{};
  CallGlobalMemoryStatusEx(m);
  c.MemoryText = MemoryTextOf(m.ullTotalPhys, m.ullAvailPhys, m.ullTotalPageFile, m.ullAvailPageFile);
}
}  // namespace

void InitSysInfo() {
  TSysState& s = State();
  {
    std::lock_guard<std::mutex> lock(s.Lock);
    EnsureFlags(s);
    if (s.Initialized) return;
  }
  // Measured without the lock: the clock takes ~135 ms.
  TCPUInfo cpu = DetectCpu();
  std::lock_guard<std::mutex> lock(s.Lock);
  if (s.Initialized) return;
  s.Cpu = std::move(cpu);
  s.Initialized = true;
}

TSysFlags SysFlags() {
  return Read<TSysFlags>([](TSysState& s) { return s.Flags; });
}

bool IsWinNT() { return Flag(&TSysFlags::IsWinNT); }
bool IsWin9x() { return Flag(&TSysFlags::IsWin9x); }
bool IsWin95() { return Flag(&TSysFlags::IsWin95); }
bool IsWin98() { return Flag(&TSysFlags::IsWin98); }
bool IsWinME() { return Flag(&TSysFlags::IsWinME); }
bool IsWinNT3() { return Flag(&TSysFlags::IsWinNT3); }
bool IsWinNT4() { return Flag(&TSysFlags::IsWinNT4); }
bool IsWin2000() { return Flag(&TSysFlags::IsWin2000); }
bool IsWinXP() { return Flag(&TSysFlags::IsWinXP); }
bool IsWin2003() { return Flag(&TSysFlags::IsWin2003); }
bool IsWinVista() { return Flag(&TSysFlags::IsWinVista); }
bool IsWin7() { return Flag(&TSysFlags::IsWin7); }
bool IsWinNT5Up() { return Flag(&TSysFlags::IsWinNT5Up); }
bool IsWinXPUp() { return Flag(&TSysFlags::IsWinXPUp); }
bool IsWinVistaUp() { return Flag(&TSysFlags::IsWinVistaUp); }
bool IsWow64() { return Flag(&TSysFlags::IsWow64); }
bool IsRemoteSession() { return Flag(&TSysFlags::IsRemoteSession); }
bool IsAdministrator() { return Flag(&TSysFlags::IsAdministrator); }
bool IsTerminalServer() { return Flag(&TSysFlags::IsTerminalServer); }
bool IsServerEdition() { return Flag(&TSysFlags::IsServerEdition); }
bool IsRemoteSessionActive() { return IsRemoteSession(); }

void SetSysFlagsForTesting(const TSysFlags& flags) {
  TSysState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  EnsureFlags(s);
  s.Flags = flags;
  SetPlatformIdForTesting(flags.PlatformId);
}

void ResetSysFlagsForTesting() {
  TSysState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  SetPlatformIdForTesting(0);
  s.FlagsReady = false;
  EnsureFlags(s);
}

uint16_t ProcessorArchitecture() {
  return Read<uint16_t>([](TSysState& s) { return s.Architecture; });
}

std::u16string ProcessorArchitectureText() {
  return Read<std::u16string>([](TSysState& s) { return s.ArchitectureText; });
}

TCPUInfo CPUInfo() {
  return Read<TCPUInfo>([](TSysState& s) { return s.Cpu; });
}

TCompInfo CompInfo() {
  return Read<TCompInfo>([](TSysState& s) { return s.Comp; });
}

std::u16string SystemReportText() {
  return Read<std::u16string>([](TSysState& s) { return s.Report; });
}

void QueryOSInfo() {
  const TSysFlags flags = SysFlags();
  TCompInfo c = CompInfo();
  GetLocalComputerName(c.ComputerName);
  GetCurrentUserName(c.UserName);
  bool admin = true;
  bool terminal = false;
  bool server = false;
  if (flags.IsWinNT) {
    QueryNTInfo(flags, c, admin, terminal, server);
  } else {
    Query9xInfo(c);
  }
  QueryLanguage(c);
  QueryProcessorText(flags.IsWinNT, c);
  QueryMemory(c);

  TSysState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  s.Comp = std::move(c);
  s.Flags.IsAdministrator = admin;
  s.Flags.IsTerminalServer = s.Flags.IsTerminalServer || terminal;
  s.Flags.IsServerEdition = server;
}

std::u16string GetSystemReport() {
  QueryOSInfo();
  TSysState& s = State();
  std::lock_guard<std::mutex> lock(s.Lock);
  s.Report = ComposeSystemReport(s.Cpu, s.Comp, s.Flags, s.ArchitectureText);
  return s.Report;
}

TCpuidRegs ExecCPUID(uint32_t leaf) {
  TCpuidRegs r;
  __cpuid_count(leaf, 0, r.EAX, r.EBX, r.ECX, r.EDX);
  return r;
}

double MeasureCPUSpeed() {
  const HANDLE process = GetCurrentProcess();
  const HANDLE thread = GetCurrentThread();
  const DWORD priorityClass = GetPriorityClass(process);
  const int threadPriority = GetThreadPriority(thread);
  SetPriorityClass(process, REALTIME_PRIORITY_CLASS);
  SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL);
  Sleep(10);
  LARGE_INTEGER freq{};
  LARGE_INTEGER t0{};
  LARGE_INTEGER t1{};
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  const uint64_t c0 = __rdtsc();
  Sleep(125);
  const uint64_t c1 = __rdtsc();
  QueryPerformanceCounter(&t1);
  SetThreadPriority(thread, threadPriority);
  SetPriorityClass(process, priorityClass);
  const uint64_t cycles = c1 >= c0 ? c1 - c0 : c0 - c1;
  // The sleep's real length, when the performance counter can tell it; a sleep often lasts longer.
  double micros = 125000.0;
  if (freq.QuadPart > 0 && t1.QuadPart > t0.QuadPart)
    micros = static_cast<double>(t1.QuadPart - t0.QuadPart) * 1e6 / static_cast<double>(freq.QuadPart);
  return static_cast<double>(cycles) / micros;
}

void GetCurrentUserName(std::u16string& name) {
  DWORD n = 261;
  if (UseWideApi()) {
    wchar_t buf[261] = {};
    if (GetUserNameW(buf, &n) && n > 0) name = FromWStr(buf, std::min<DWORD>(n - 1, 260));
  } else {
    char buf[261] = {};
    if (GetUserNameA(buf, &n) && n > 0) name = AnsiToWide(std::string_view(buf, std::min<DWORD>(n - 1, 260)));
  }
}

void GetLocalComputerName(std::u16string& name) {
  DWORD n = 261;
  if (UseWideApi()) {
    wchar_t buf[261] = {};
    if (GetComputerNameW(buf, &n)) name = FromWStr(buf, std::min<DWORD>(n, 260));
  } else {
    char buf[261] = {};
    if (GetComputerNameA(buf, &n)) name = AnsiToWide(std::string_view(buf, std::min<DWORD>(n, 260)));
  }
}

void GetLocalSystemAccountName(std::u16string& name) {
  std::u16string found;
  if (UseWideApi()) {
    const TSidPtr system = CreateLocalSystemSid();
    GetAccountNameOfSid(system.get(), found);
  }
  name = found.empty() ? u"SYSTEM" : found;
}

int32_t GetConsoleSessionId() {
  using Fn = DWORD(WINAPI*)();
  const auto fn = FindEntryPointAs<Fn>(GetModuleHandleW(L"kernel32.dll"), "WTSGetActiveConsoleSessionId");
  return fn ? static_cast<int32_t>(fn()) : -1;
}

bool QuerySessionInfo(HANDLE server, DWORD sessionId, WTS_INFO_CLASS infoClass, std::vector<uint8_t>& data) {
  using QueryFn = BOOL(WINAPI*)(HANDLE, DWORD, WTS_INFO_CLASS, LPWSTR*, DWORD*);
  using FreeFn = void(WINAPI*)(PVOID);
  // The buffer goes back to the library that made it before the library is freed.
  const TModuleHandle lib(LoadLibraryW(L"wtsapi32.dll"));
  const auto query = FindEntryPointAs<QueryFn>(lib.Get(), "WTSQuerySessionInformationW");
  const auto release = FindEntryPointAs<FreeFn>(lib.Get(), "WTSFreeMemory");
  if (!query) return false;
  LPWSTR buffer = nullptr;
  DWORD bytes = 0;
  if (!query(server, sessionId, infoClass, &buffer, &bytes)) return false;
  const auto* p = reinterpret_cast<const uint8_t*>(buffer);
  data.assign(p, p ? p + bytes : p);
  if (buffer && release) release(buffer);
  return true;
}

bool QuerySessionString(WTS_INFO_CLASS infoClass, std::u16string& text) {
  std::vector<uint8_t> data;
  return QuerySessionInfo(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, infoClass, data) &&
         SessionTextFromBuffer(data, text);
}

bool QuerySessionInteger(WTS_INFO_CLASS infoClass, uint32_t& value) {
  std::vector<uint8_t> data;
  if (!QuerySessionInfo(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, infoClass, data) || data.size() != 4)
    return false;
  value = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24);
  return true;
}
