// Spooler access: printer information, the default printer, spool directories, removal and
// security of a printer, and the 9x DOS capture switches.
#include <windows.h>
#include <winspool.h>
#include <aclapi.h>

#include <cstring>

#include "foundation/lib_prn_pack_win.h"
#include "foundation/lib_prn_seam_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"

namespace {

const std::u16string kPrintersKey = u"System\\CurrentControlSet\\Control\\Print\\Printers";

template <class T>
T* EntryPoint(const wchar_t* module, const char* name) {
  HMODULE m = GetModuleHandleW(module);
  if (!m) m = LoadLibraryW(module);
  return m ? reinterpret_cast<T*>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

std::u16string ProfileDevice() {
  std::vector<wchar_t> buffer(260);
  DWORD n = GetProfileStringW(L"Windows", L"Device", L"", buffer.data(), DWORD(buffer.size()));
  if (n + 1 >= buffer.size()) {
    buffer.resize(n + 1024);
    n = GetProfileStringW(L"Windows", L"Device", L"", buffer.data(), DWORD(buffer.size()));
  }
  return FromWStr(buffer.data(), n);
}

std::u16string SystemDirectory(bool windowsDir) {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT n = windowsDir ? GetWindowsDirectoryW(buffer, MAX_PATH + 1) : GetSystemDirectoryW(buffer, MAX_PATH + 1);
  return FromWStr(buffer, n <= MAX_PATH ? n : 0);
}

}  // namespace

bool PrinterExists(const std::u16string& name) {
  if (name.empty()) return false;
  const TPrinterHandle printer = OpenPrinterHandle(name);
  return printer.Valid();
}

bool GetPrinterInfo2ByHandle(HANDLE printer, std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (!printer) return false;
  DWORD needed = 0;
  Spooler().GetPrinter(printer, 2, nullptr, 0, &needed);
  if (needed < sizeof(PRINTER_INFO_2W)) return false;
  bytes.assign(needed, 0);
  if (!Spooler().GetPrinter(printer, 2, bytes.data(), needed, &needed)) bytes.clear();
  return !bytes.empty();
}

bool GetPrinterInfo2(const std::u16string& name, std::vector<uint8_t>& bytes) {
  const TPrinterHandle printer = OpenPrinterHandle(name);
  return GetPrinterInfo2ByHandle(printer.Get(), bytes);
}

bool GetPrinterJobCount(HANDLE printer, DWORD& count) {
  std::vector<uint8_t> bytes;
  count = GetPrinterInfo2ByHandle(printer, bytes) ? PrinterInfo2(bytes)->cJobs : 0;
  return !bytes.empty();
}

void GetDefaultPrinterName(std::u16string& name) {
  name.clear();
  const TPrnSystemFacts sys = PrnSystem();
  if (!sys.IsWinNT) {
    std::vector<uint8_t> bytes;
    DWORD count = 0;
    if (!ListPrinters2ByFlagsA(PRINTER_ENUM_DEFAULT, bytes, count)) return;
    const auto* p = reinterpret_cast<const PRINTER_INFO_2A*>(bytes.data());
    for (DWORD i = 0; i < count; ++i)
      if (p[i].Attributes & PRINTER_ATTRIBUTE_DEFAULT) {
        name = AnsiToWide(p[i].pPrinterName ? p[i].pPrinterName : "");
        return;
      }
    return;
  }
  if (sys.Major >= 5) {
    using TGetDefault = BOOL WINAPI(LPWSTR, LPDWORD);
    if (auto* get = EntryPoint<TGetDefault>(L"winspool.drv", "GetDefaultPrinterW")) {
      DWORD size = 0;
      get(nullptr, &size);
      std::vector<wchar_t> buffer(size + 1);
      if (size && get(buffer.data(), &size)) {
        name = FromWStr(buffer.data());
        return;
      }
    }
  }
  name = DeviceEntryPrinter(ProfileDevice());
}

bool IsDefaultPrinter(const std::u16string& name) {
  if (PrnSystem().IsWinNT) {
    std::u16string current;
    GetDefaultPrinterName(current);
    return !current.empty() && SameTextW(current, name);
  }
  std::vector<uint8_t> info;
  return GetPrinterInfo2(name, info) && (PrinterInfo2(info)->Attributes & PRINTER_ATTRIBUTE_DEFAULT);
}

void BroadcastWindowsSettingChange() {
  if (PrnSystem().IsWin95) {
    SendNotifyMessageA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Windows"));
    return;
  }
  DWORD_PTR result = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Windows"), SMTO_ABORTIFHUNG, 1000,
                      &result);
}

void SetDefaultPrinterName(const std::u16string& name) {
  const TPrnSystemFacts sys = PrnSystem();
  if (!sys.IsWinNT) {
    const TPrinterHandle printer = OpenPrinterHandle(name, PRINTER_ALL_ACCESS);
    std::vector<uint8_t> info;
    if (!GetPrinterInfo2ByHandle(printer.Get(), info)) return;
    auto* p = reinterpret_cast<PRINTER_INFO_2W*>(info.data());
    p->Attributes |= PRINTER_ATTRIBUTE_DEFAULT;
    Spooler().SetPrinter(printer.Get(), 2, info.data(), 0);
    BroadcastWindowsSettingChange();
    return;
  }
  bool done = false;
  if (sys.Major >= 5) {
    using TSetDefault = BOOL WINAPI(LPCWSTR);
    if (auto* set = EntryPoint<TSetDefault>(L"winspool.drv", "SetDefaultPrinterW")) done = set(WStr(name)) != FALSE;
  }
  if (!done) {
    const std::u16string entry = ReplaceDeviceEntryPrinter(ProfileDevice(), name);
    WriteProfileStringW(L"Windows", L"Device", WStr(entry));
  }
  BroadcastWindowsSettingChange();
}

void GetSpoolDirectory(const std::u16string& printer, std::u16string& directory) {
  if (Spooler().SpoolDirectoryOf(printer, directory)) return;
  if (!PrnSystem().IsWinNT) {
    directory = SystemDirectory(true) + u"\\Spool\\PRINTERS";
    return;
  }
  directory = PrnHooks().ReadString(HKEY_LOCAL_MACHINE, kPrintersKey + u"\\" + printer, u"SpoolDirectory");
  if (directory.empty()) directory = PrnHooks().ReadString(HKEY_LOCAL_MACHINE, kPrintersKey, u"DefaultSpoolDirectory");
  if (directory.empty()) directory = SystemDirectory(false) + u"\\Spool\\PRINTERS";
}

void GetSpoolFileName(const std::u16string& printer, uint32_t jobId, std::u16string& file) {
  std::u16string directory;
  GetSpoolDirectory(printer, directory);
  file = FormatSpoolFileName(directory, jobId);
}

void ShowPrinterProperties(HWND owner, const std::u16string& printer, bool modal) {
  BOOL shown = FALSE;
  if (PrnSystem().IsWinNT) {
    using TInvoke = BOOL WINAPI(HWND, UINT, LPCWSTR, LPCWSTR, BOOL);
    if (auto* invoke = EntryPoint<TInvoke>(L"shell32.dll", "SHInvokePrinterCommandW"))
      shown = invoke(owner, 1, WStr(printer), nullptr, modal);
  } else {
    using TInvoke = BOOL WINAPI(HWND, UINT, LPCSTR, LPCSTR, BOOL);
    if (auto* invoke = EntryPoint<TInvoke>(L"shell32.dll", "SHInvokePrinterCommandA"))
      shown = invoke(owner, 1, WideToAnsi(printer).c_str(), nullptr, modal);
  }
  if (!shown) WinExec("control printers", SW_SHOW);
}

int32_t RemovePrinter(const std::u16string& name) {
  if (!PrinterExists(name)) return 0;
  const TPrinterHandle printer = OpenPrinterHandle(name, PrnSystem().IsWinNT ? PRINTER_ALL_ACCESS : 0);
  if (!printer) return -1;
  // Every job of the queue goes, however many there are; a job that will not go ends the loop.
  for (;;) {
    std::vector<uint8_t> bytes;
    DWORD count = 0;
    if (!ListPrintJobs(printer.Get(), 0, 0xFFFFFFFF, count, bytes)) break;
    DWORD cancelled = 0;
    for (DWORD i = 0; i < count; ++i)
      cancelled += Spooler().SetJob(printer.Get(), reinterpret_cast<const JOB_INFO_2W*>(bytes.data())[i].JobId, 0,
                                    nullptr, JOB_CONTROL_CANCEL)
                       ? 1
                       : 0;
    if (cancelled == 0) break;
  }
  return Spooler().DeletePrinter(printer.Get()) ? 0 : int32_t(GetLastError());
}

int32_t OpenPrinterAclToEveryone(const std::u16string& name) {
  const TPrnSystemFacts sys = PrnSystem();
  if (!sys.IsWinNT) return -1;
  TEveryoneSecurity everyone;
  if (!everyone.Build()) return 0;
  const ACL* dacl = everyone.Dacl();

  const TPrinterHandle printer = OpenPrinterHandle(name, READ_CONTROL | WRITE_DAC);
  if (!printer) return 0;
  DWORD needed = 0;
  Spooler().GetPrinter(printer.Get(), 3, nullptr, 0, &needed);
  std::vector<uint8_t> current(needed);
  if (needed >= sizeof(PRINTER_INFO_3) && Spooler().GetPrinter(printer.Get(), 3, current.data(), needed, &needed)) {
    const auto* info = reinterpret_cast<const PRINTER_INFO_3*>(current.data());
    BOOL present = FALSE, defaulted = FALSE;
    PACL old = nullptr;
    if (info->pSecurityDescriptor && GetSecurityDescriptorDacl(info->pSecurityDescriptor, &present, &old, &defaulted) &&
        present && old && old->AclSize == dacl->AclSize && std::memcmp(old, dacl, dacl->AclSize) == 0)
      return 1;
  }
  PRINTER_INFO_3 info{&everyone.Descriptor};
  return Spooler().SetPrinter(printer.Get(), 3, reinterpret_cast<LPBYTE>(&info), 0) ? 1 : 0;
}

uint32_t DosSpoolMask() {
  uint32_t mask = 0;
  return PrnHooks().ReadDword(HKEY_LOCAL_MACHINE, kPrintersKey, u"DOSSpoolMask", mask) ? mask : 0;
}

bool IsDosSpoolEnabled(int n) {
  const bool nt = PrnSystem().IsWinNT;
  return DosSpoolQueued(nt, nt ? 0 : DosSpoolMask(), n);
}

bool EnableDosSpool(int n) {
  if (PrnSystem().IsWinNT || IsDosSpoolEnabled(n)) return true;
  if (n < 1 || n > 32) return false;
  const uint32_t mask = DosSpoolMask();
  std::vector<uint8_t> printers;
  PrnHooks().ReadBinary(HKEY_LOCAL_MACHINE, kPrintersKey, u"PrintersMask", printers);
  if (printers.empty()) printers.push_back(0);
  // Only the first byte of "PrintersMask" carries a port bit; ports above 8 leave it as it is.
  if (n <= 8) printers[0] |= uint8_t(1u << (n - 1));
  return PrnHooks().WriteDword(HKEY_LOCAL_MACHINE, kPrintersKey, u"DOSSpoolMask", mask | (1u << (n - 1))) &&
         PrnHooks().WriteBinary(HKEY_LOCAL_MACHINE, kPrintersKey, u"PrintersMask", printers);
}
