// The printer object and the queue operations on a virtual printer.
#include "foundation/lib_prn_printer_win.h"

#include <cstring>

#include "foundation/lib_prn_seam_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"

namespace {

const std::u16string kConfigKey = u"Software\\Kavrel\\Client\\Config";

LPWSTR W(const std::u16string& s) { return const_cast<LPWSTR>(WStr(s)); }

}  // namespace

void TPrinter::Init(const std::u16string& environmentOverride) {
  InitPrinterEnvironment(environmentOverride);
  Handle = nullptr;
  Info.clear();
}

void TPrinter::Done() {
  Close();
  Info.clear();
}

bool TPrinter::OpenWithAccess(const std::u16string& name, PRINTER_DEFAULTSW* defaults) {
  Close();
  HANDLE h = nullptr;
  if (!Spooler().OpenPrinter(W(name), &h, defaults)) return false;
  Handle = h;
  Name = name;
  return true;
}

bool TPrinter::Open(const std::u16string& name) { return OpenWithAccess(name, nullptr); }

bool TPrinter::EnsureOpen(const std::u16string& name) {
  if (Handle && Name == name) return PrinterExists(name);
  return Open(name);
}

void TPrinter::Close() {
  if (Handle) Spooler().ClosePrinter(Handle);
  Handle = nullptr;
  Info.clear();
  Name.clear();
}

bool TPrinter::RefreshInfo() { return GetPrinterInfo2ByHandle(Handle, Info); }

bool TPrinter::CancelJob(DWORD jobId) { return Handle && Spooler().SetJob(Handle, jobId, 0, nullptr, JOB_CONTROL_CANCEL); }

bool TPrinter::ListJobs(DWORD firstJob, DWORD count, DWORD& returned, std::vector<uint8_t>& bytes) {
  return ListPrintJobs(Handle, firstJob, count, returned, bytes);
}

const PRINTER_INFO_2W* TPrinter::Info2() const { return PrinterInfo2(Info); }

bool TPrinter::ChangeAttributes(DWORD set, DWORD clear, DWORD& lastError) {
  if (const PRINTER_INFO_2W* p = Info2(); p && (p->Attributes & set) == set && (p->Attributes & clear) == 0) return true;
  const bool nt = PrnSystem().IsWinNT;
  const std::u16string name = Name;
  if (nt) {
    PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenWithAccess(name, &all) || !RefreshInfo()) {
      if (!Handle) Open(name);
      return false;
    }
  }
  if (!Info2()) return false;
  auto* p = reinterpret_cast<PRINTER_INFO_2W*>(Info.data());
  p->Attributes = (p->Attributes | set) & ~(p->Attributes & clear);
  // The security descriptor is not ours to rewrite here.
  p->pSecurityDescriptor = nullptr;
  bool ok = Spooler().SetPrinter(Handle, 2, Info.data(), 0) != FALSE;
  const DWORD code = ok ? 0 : GetLastError();
  if (!ok && code != lastError)
    PrnErrorBox(u"Не удалось установить нужный режим работы принтера " + name + u"\r\n" + PrnHooks().ErrorText(code) +
                u"\r\nОбратитесь к Администратору.");
  lastError = code;
  if (nt) ok = Open(name) && ok;
  return RefreshInfo() && ok;
}

int32_t HoldPrinterQueue(TPrinter& printer, DWORD lastError, bool printerAttrib) {
  if (printer.Info.empty() && !printer.RefreshInfo()) return -1;
  const bool nt = PrnSystem().IsWinNT;
  DWORD changeError = lastError;
  if (!printerAttrib || !printer.ChangeAttributes(nt ? 0x101 : 0x1, 0x1682, changeError)) return int32_t(lastError);
  if (printer.Info2() && (printer.Info2()->Status & PRINTER_STATUS_PAUSED)) return 0;

  DWORD error = 0;
  const std::u16string name = printer.Name;
  if (nt) {
    PRINTER_DEFAULTSW admin{nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
    if (!printer.OpenWithAccess(name, &admin)) error = GetLastError();
    if (!error && !Spooler().SetPrinter(printer.Handle, 0, nullptr, PRINTER_CONTROL_PAUSE)) error = GetLastError();
    if (!printer.Open(name) && !error) error = GetLastError();
  } else if (!Spooler().SetPrinter(printer.Handle, 0, nullptr, PRINTER_CONTROL_PAUSE)) {
    error = GetLastError();
  }
  if (!printer.RefreshInfo() && !error) error = GetLastError();
  int32_t answer = int32_t(error);
  if (!error) answer = printer.Info2() && (printer.Info2()->Status & PRINTER_STATUS_PAUSED) ? 0 : -1;
  if (error != 0 && error != lastError && error != ERROR_FILE_NOT_FOUND)
    PrnErrorBox(u"Попытка остановить очередь принтера \"" + name + u"\".\r\n" + PrnHooks().ErrorText(error));
  return answer;
}

bool IsEmfCapableDriver(TPrinter& printer) {
  if (printer.Info.empty() && !printer.RefreshInfo()) return false;
  CorrectPrintProcessor(printer.Info);
  DWORD needed = 0;
  Spooler().GetPrinterDriver(printer.Handle, PrinterEnvironmentArg(), 3, nullptr, 0, &needed);
  std::vector<uint8_t> bytes(needed);
  if (needed >= sizeof(DRIVER_INFO_3W) &&
      Spooler().GetPrinterDriver(printer.Handle, PrinterEnvironmentArg(), 3, bytes.data(), needed, &needed)) {
    const auto* d = reinterpret_cast<const DRIVER_INFO_3W*>(bytes.data());
    std::u16string file = LowerCaseW(ExtractFileNameW(FromWStr(d->pDriverPath)));
    file = file.substr(0, file.rfind(u'.'));
    if (file == u"unidrv" || file == u"pscript5" || file == u"rasdd" || IsEmfDatatype(FromWStr(d->pDefaultDataType)))
      return true;
  }
  return printer.Info2() && IsEmfDatatype(FromWStr(printer.Info2()->pDatatype));
}

bool CheckSpoolFormat(TPrinter& printer, HWND owner) {
  if (!printer.Handle) return false;
  if (printer.Info.empty() && (!printer.EnsureOpen(printer.Name) || !printer.RefreshInfo())) return false;
  const std::u16string datatype = FromWStr(printer.Info2()->pDatatype);
  if (IsEmfDatatype(datatype)) return true;
  const std::u16string name = printer.Name;
  const std::u16string text = u"Формат очереди печати принтера \"" + name + u"\"\r\nустановлен как \"" + datatype +
                              u"\". Для правильной работы\r\nвиртуального принтера следует установить\r\nформат очереди печати \"" +
                              WantedEmfDatatype(PrnSystem().IsWinNT) + u"\".";
  const bool capable = IsEmfCapableDriver(printer);
  std::vector<uint8_t> corrected = printer.Info;
  PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!printer.OpenWithAccess(name, &all)) printer.Handle = nullptr;
  if (printer.Handle) {
    if (capable) {
      if (PrnQuestionBox(text + u"\r\n\r\nВыполнить?", MB_ICONEXCLAMATION, owner) == IDYES) {
        DWORD one = 1;
        Spooler().SetPrinterData(printer.Handle, W(u"EmfDespoolingSetting"), REG_DWORD, reinterpret_cast<LPBYTE>(&one), 4);
        if (CorrectPrintProcessor(corrected)) {
          reinterpret_cast<PRINTER_INFO_2W*>(corrected.data())->pSecurityDescriptor = nullptr;
          Spooler().SetPrinter(printer.Handle, 2, corrected.data(), 0);
        }
      }
    } else {
      PrnWarningBox(text, owner);
    }
  } else {
    PrnWarningBox(text + u"\r\n\r\nДля коррекции недостаточно прав", owner);
  }
  return printer.Open(name);
}

DWORD AddVirtualPrinter(TPrinter& printer, const std::u16string& name, const std::u16string& port,
                        const std::u16string& comment, const std::u16string& driver) {
  printer.Close();
  const std::u16string processor = u"WinPrint", datatype = WantedEmfDatatype(PrnSystem().IsWinNT);
  PRINTER_INFO_2W info{};
  info.pPrinterName = W(name);
  info.pPortName = W(port);
  info.pDriverName = W(driver);
  info.pComment = W(comment);
  info.pPrintProcessor = W(processor);
  info.pDatatype = W(datatype);
  info.Attributes = PRINTER_ATTRIBUTE_QUEUED | PRINTER_ATTRIBUTE_LOCAL | PRINTER_ATTRIBUTE_KEEPPRINTEDJOBS;
  info.Status = PRINTER_STATUS_PAUSED;
  // The print processor and EMF datatype are chosen on a copy laid out as the spooler gives it.
  std::vector<uint8_t> bytes(sizeof info);
  std::memcpy(bytes.data(), &info, sizeof info);
  std::vector<uint8_t> chosen = bytes;
  const PRINTER_INFO_2W* source = CorrectPrintProcessor(chosen) ? PrinterInfo2(chosen) : &info;
  PRINTER_INFO_2W add = *source;
  // Everyone may print and manage the queue; the same rights OpenPrinterAclToEveryone grants.
  TEveryoneSecurity everyone;
  if (PrnSystem().IsWinNT && everyone.Build()) add.pSecurityDescriptor = &everyone.Descriptor;
  HANDLE h = Spooler().AddPrinter(nullptr, 2, reinterpret_cast<LPBYTE>(&add));
  if (!h) return GetLastError();
  printer.Handle = h;
  printer.Name = name;
  DWORD one = 1;
  Spooler().SetPrinterData(h, W(u"EmfDespoolingSetting"), REG_DWORD, reinterpret_cast<LPBYTE>(&one), 4);
  printer.RefreshInfo();
  const bool capable = IsEmfCapableDriver(printer);
  if (printer.Info2() && (capable || !IsEmfDatatype(FromWStr(printer.Info2()->pDatatype)))) {
    CorrectPrintProcessor(printer.Info);
    auto* p = reinterpret_cast<PRINTER_INFO_2W*>(printer.Info.data());
    p->Attributes |= PRINTER_ATTRIBUTE_KEEPPRINTEDJOBS;
    p->pSecurityDescriptor = nullptr;
    Spooler().SetPrinter(h, 2, printer.Info.data(), 0);
    Spooler().SetPrinter(h, 0, nullptr, PRINTER_CONTROL_PAUSE);
    printer.RefreshInfo();
  }
  return 0;
}

bool SaveDeviceSettings(const std::u16string& printer, const std::vector<uint8_t>& settings) {
  return PrnHooks().WriteBinary(HKEY_LOCAL_MACHINE, kConfigKey, u"DeviceSettings." + printer, settings);
}

bool LoadDeviceSettings(const std::u16string& printer, std::vector<uint8_t>& settings) {
  settings.clear();
  if (PrnHooks().ReadBinary(HKEY_LOCAL_MACHINE, kConfigKey, u"DeviceSettings." + printer, settings) &&
      settings.size() >= offsetof(DEVMODEW, dmCollate))
    return true;
  settings.clear();
  TPrinter p;
  if (!p.Open(printer)) return false;
  const LONG size = Spooler().DocumentProperties(nullptr, p.Handle, W(printer), nullptr, nullptr, 0);
  if (size < LONG(offsetof(DEVMODEW, dmCollate))) return false;
  settings.assign(size_t(size), 0);
  reinterpret_cast<DEVMODEW*>(settings.data())->dmSize = WORD(size);
  if (Spooler().DocumentProperties(nullptr, p.Handle, W(printer), reinterpret_cast<DEVMODEW*>(settings.data()), nullptr,
                                   DM_OUT_BUFFER) < 0) {
    settings.clear();
    return false;
  }
  return true;
}

TDeviceContext CreateDCForPrinter(const std::u16string& printer, const std::vector<uint8_t>& settings) {
  const DEVMODEW* dm = settings.size() >= offsetof(DEVMODEW, dmCollate) ? reinterpret_cast<const DEVMODEW*>(settings.data()) : nullptr;
  return TDeviceContext(CreateDCW(PrnSystem().IsWinNT ? nullptr : L"WINSPL16", WStr(printer), nullptr, dm));
}
