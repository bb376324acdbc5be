// The stand-in spooler's state and printers: each call locks the directory, reads the state file,
// acts as the Windows spooler would on a stand-in printer and writes the state back. Its jobs are in
// lib_prn_standin_jobs_win.cpp, its listings in lib_prn_standin_list_win.cpp.
#include "foundation/lib_prn_standin_win.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "foundation/lib_file_win.h"
#include "foundation/os_win32_win.h"
#include "foundation/lib_prn_spool.h"
#include "foundation/lib_prn_standin_session_win.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"

using namespace standin;

namespace standin {

bool IsWholeDevMode(std::span<const uint8_t> bytes) {
  if (bytes.size() < kDevModeFieldsEnd) return false;
  DEVMODEW head{};
  std::memcpy(&head, bytes.data(), std::min(bytes.size(), sizeof head));
  return head.dmSize >= kDevModeFieldsEnd && size_t(head.dmSize) + head.dmDriverExtra <= bytes.size();
}

bool TakeDevMode(const DEVMODEW* in, std::vector<uint8_t>& out) {
  out.clear();
  if (!in) return true;
  if (in->dmSize < kDevModeFieldsEnd) return false;
  out = ToBytes(in, size_t(in->dmSize) + in->dmDriverExtra);
  return true;
}

std::vector<uint8_t> DefaultDevMode(const std::u16string& printer) {
  DEVMODEW dm{};
  const size_t n = std::min<size_t>(printer.size(), CCHDEVICENAME - 1);
  std::memcpy(dm.dmDeviceName, printer.data(), n * sizeof(wchar_t));
  dm.dmSpecVersion = DM_SPECVERSION;
  dm.dmSize = sizeof(DEVMODEW);
  dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES;
  dm.dmOrientation = DMORIENT_PORTRAIT;
  dm.dmPaperSize = DMPAPER_A4;
  dm.dmCopies = 1;
  return ToBytes(&dm, sizeof dm);
}

DEVMODEW* DevModePtr(const std::vector<uint8_t>& bytes) {
  return IsWholeDevMode(bytes) ? reinterpret_cast<DEVMODEW*>(const_cast<uint8_t*>(bytes.data())) : nullptr;
}

std::vector<uint8_t> DevModeToAnsi(const DEVMODEW& dm) {
  // DEVMODEA is DEVMODEW with its two 32-character names in 8-bit characters: the fields between
  // and behind them keep their order.
  const auto* w = reinterpret_cast<const uint8_t*>(&dm);
  const size_t size = dm.dmSize, nameEnd = offsetof(DEVMODEW, dmSpecVersion), formAt = offsetof(DEVMODEW, dmFormName),
               formEnd = offsetof(DEVMODEW, dmLogPixels);
  const auto name = [](const WCHAR* text) {
    std::string a = WideToAnsi(FromWStr(text, std::min<size_t>(std::wcslen(text), CCHDEVICENAME - 1)));
    a.resize(CCHDEVICENAME, '\0');
    return a;
  };
  // The name field may run to its end without a NUL; a copy ends it.
  WCHAR device[CCHDEVICENAME + 1] = {}, form[CCHFORMNAME + 1] = {};
  std::memcpy(device, dm.dmDeviceName, sizeof dm.dmDeviceName);
  std::vector<uint8_t> out;
  const std::string deviceA = name(device);
  out.insert(out.end(), deviceA.begin(), deviceA.end());
  out.insert(out.end(), w + nameEnd, w + std::min(size, formAt));
  if (size >= formEnd) {
    std::memcpy(form, dm.dmFormName, sizeof dm.dmFormName);
    const std::string formA = name(form);
    out.insert(out.end(), formA.begin(), formA.end());
    out.insert(out.end(), w + formEnd, w + size);
  }
  auto* a = reinterpret_cast<DEVMODEA*>(out.data());
  a->dmSize = WORD(out.size());
  out.insert(out.end(), w + size, w + size + dm.dmDriverExtra);
  return out;
}

std::u16string Text(LPCWSTR s) { return FromWStr(s); }
LPWSTR Ptr(const std::u16string& s) { return const_cast<LPWSTR>(WStr(s)); }

std::vector<uint8_t> ToBytes(const void* p, size_t n) {
  const auto* b = static_cast<const uint8_t*>(p);
  return std::vector<uint8_t>(b, b + n);
}

TSystemTime NowUtc() {
  SYSTEMTIME t;
  GetSystemTime(&t);
  return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

SYSTEMTIME ToSystemTime(const TSystemTime& t) {
  return {t.Year, t.Month, t.DayOfWeek, t.Day, t.Hour, t.Minute, t.Second, t.Milliseconds};
}

std::u16string ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(name, &size) ? u"\\\\" + FromWStr(name, size) : std::u16string();
}

std::u16string UserName() {
  wchar_t name[257];
  DWORD size = 257;
  return GetUserNameW(name, &size) ? FromWStr(name) : std::u16string();
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace standin

namespace {

// The access a handle was granted; the stand-in grants what was asked, as it does for an administrator.
ACCESS_MASK GrantedAccess(const PRINTER_DEFAULTSW* defaults) {
  const ACCESS_MASK asked = defaults ? defaults->DesiredAccess : 0;
  if (asked == 0) return PRINTER_ACCESS_USE;
  if (asked & GENERIC_ALL) return PRINTER_ALL_ACCESS;
  return asked;
}

// Whether winspool has the driver installed (the stand-in's printers print through winspool's drivers).
bool DriverInstalled(TSpoolerApi& winspool, const std::u16string& driver) {
  DWORD needed = 0, count = 0;
  winspool.EnumPrinterDrivers(nullptr, nullptr, 2, nullptr, 0, &needed, &count);
  std::vector<BYTE> all(needed);
  if (!needed || !winspool.EnumPrinterDrivers(nullptr, nullptr, 2, all.data(), needed, &needed, &count)) return false;
  const auto* d = reinterpret_cast<const DRIVER_INFO_2W*>(all.data());
  for (DWORD i = 0; i < count; ++i)
    if (d[i].pName && SameTextW(Text(d[i].pName), driver)) return true;
  return false;
}

}  // namespace

TSpoolerStandIn::TSession::TSession(const std::u16string& directory) : directory_(directory) {
  const std::u16string lockName = directory + u"\\lock";
  for (int attempt = 0; attempt < 2000 && !lock_; ++attempt) {
    lock_.Reset(CreateFileW(WStr(lockName), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!lock_) Sleep(5);
  }
  if (!lock_) return;
  const std::u16string stateName = directory + u"\\state.txt";
  if (!FilePresent(stateName)) {
    ok_ = true;  // a new directory
    return;
  }
  std::string why;
  ok_ = ParseStandInState(ReadFileToString(stateName), state_, why);
}

bool TSpoolerStandIn::TSession::Save() {
  if (!ok_) return false;
  const std::string text = FormatStandInState(state_);
  const std::u16string target = directory_ + u"\\state.txt", temp = directory_ + u"\\state.tmp";
  return SaveStringToFile(temp, text) && MoveFileExW(WStr(temp), WStr(target), MOVEFILE_REPLACE_EXISTING);
}

TSpoolerStandIn::TSpoolerStandIn(std::u16string directory) : directory_(std::move(directory)) {
  ForceDirectoriesW(directory_ + u"\\spool");
}

TSpoolerStandIn::~TSpoolerStandIn() = default;

TSpoolerStandIn::THandle* TSpoolerStandIn::Find(HANDLE handle) {
  std::lock_guard guard(handlesLock_);
  const auto it = handles_.find(handle);
  return it == handles_.end() ? nullptr : it->second.get();
}

HANDLE TSpoolerStandIn::NewHandle(const std::u16string& printer, ACCESS_MASK access) {
  auto state = std::make_unique<THandle>();
  state->Printer = printer;
  state->Access = access;
  const HANDLE handle = reinterpret_cast<HANDLE>(state.get());
  std::lock_guard guard(handlesLock_);
  handles_[handle] = std::move(state);
  return handle;
}

std::u16string TSpoolerStandIn::SpoolDir(uint32_t printerId) const {
  return directory_ + u"\\spool\\" + AnsiToWide(std::to_string(printerId));
}

void TSpoolerStandIn::DeleteSpoolFiles(const TStandInPrinter& printer, const std::vector<uint32_t>& jobIds) const {
  for (uint32_t id : jobIds) DeleteFileW(WStr(FormatSpoolFileName(SpoolDir(printer.Id), id)));
}

void TSpoolerStandIn::FinishPendingDeletion(TStandInState& state, const std::u16string& name) const {
  TStandInPrinter* p = state.Find(name);
  if (!p || !(p->Status & kStatusPendingDeletion) || !p->Jobs.empty()) return;
  RemoveDirectoryW(WStr(SpoolDir(p->Id)));
  state.Printers.erase(state.Printers.begin() + (p - state.Printers.data()));
}

DWORD TSpoolerStandIn::NewPrinter(TStandInPrinter p) {
  p.Jobs.clear();
  if (p.PrintProcessor.empty()) p.PrintProcessor = u"WinPrint";
  if (p.Datatype.empty()) p.Datatype = u"RAW";
  if (p.DevMode.empty()) p.DevMode = DefaultDevMode(p.Name);
  if (!IsWholeDevMode(p.DevMode)) return ERROR_INVALID_PARAMETER;
  TSession session(directory_);
  if (!session.Ok()) return ERROR_INVALID_DATA;
  if (p.Name.empty()) return ERROR_INVALID_PRINTER_NAME;
  if (!session.State().NewPrinter(std::move(p))) return ERROR_PRINTER_ALREADY_EXISTS;
  if (!ForceDirectoriesW(SpoolDir(session.State().Printers.back().Id))) return ERROR_PATH_NOT_FOUND;
  return session.Save() ? 0 : ERROR_WRITE_FAULT;
}

bool TSpoolerStandIn::AddStandInPrinter(const TStandInPrinter& printer) { return NewPrinter(printer) == 0; }

bool TSpoolerStandIn::IsStandInPrinter(const std::u16string& name) {
  TSession session(directory_);
  return session.Find(name) != nullptr;
}

bool TSpoolerStandIn::ReadStandInPrinter(const std::u16string& name, TStandInPrinter& printer) {
  TSession session(directory_);
  const TStandInPrinter* p = session.Find(name);
  if (p) printer = *p;
  return p != nullptr;
}

bool TSpoolerStandIn::SpoolDirectoryOf(const std::u16string& printer, std::u16string& directory) {
  TSession session(directory_);
  const TStandInPrinter* p = session.Find(printer);
  if (p) directory = SpoolDir(p->Id);
  return p != nullptr;
}

BOOL TSpoolerStandIn::OpenPrinter(LPWSTR name, LPHANDLE handle, LPPRINTER_DEFAULTSW defaults) {
  if (!name || !handle) return TSpoolerApi::OpenPrinter(name, handle, defaults);
  std::u16string printer;
  {
    TSession session(directory_);
    const TStandInPrinter* p = session.Find(Text(name));
    if (!p) return TSpoolerApi::OpenPrinter(name, handle, defaults);
    printer = p->Name;
  }
  *handle = NewHandle(printer, GrantedAccess(defaults));
  return TRUE;
}

BOOL TSpoolerStandIn::ClosePrinter(HANDLE handle) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::ClosePrinter(handle);
  // A document left open is abandoned, as when a program ends mid-job.
  if (h->DocJob != 0) {
    h->DocFile.Reset();
    TSession session(directory_);
    if (TStandInPrinter* p = session.Find(h->Printer)) {
      RemoveStandInJob(*p, h->DocJob);
      DeleteSpoolFiles(*p, {h->DocJob});
      FinishPendingDeletion(session.State(), h->Printer);
      session.Save();
    }
  }
  std::lock_guard guard(handlesLock_);
  handles_.erase(handle);
  return TRUE;
}

HANDLE TSpoolerStandIn::AddPrinter(LPWSTR server, DWORD level, LPBYTE info) {
  // Another server's printers are its own.
  if (server && *server) return TSpoolerApi::AddPrinter(server, level, info);
  if (level != 2) return Fail(ERROR_INVALID_LEVEL), nullptr;
  if (!info) return Fail(ERROR_INVALID_PARAMETER), nullptr;
  const auto* pi = reinterpret_cast<const PRINTER_INFO_2W*>(info);
  TStandInPrinter p;
  p.Name = Text(pi->pPrinterName);
  // The spooler refuses the characters that separate server, printer and device-entry parts.
  if (p.Name.empty() || p.Name.find_first_of(u"\\,") != std::u16string::npos)
    return Fail(ERROR_INVALID_PRINTER_NAME), nullptr;
  // One name, one printer: winspool's printers count too.
  HANDLE existing = nullptr;
  if (TSpoolerApi::OpenPrinter(pi->pPrinterName, &existing, nullptr)) {
    TSpoolerApi::ClosePrinter(existing);
    return Fail(ERROR_PRINTER_ALREADY_EXISTS), nullptr;
  }
  p.DriverName = Text(pi->pDriverName);
  if (!DriverInstalled(*this, p.DriverName)) return Fail(ERROR_UNKNOWN_PRINTER_DRIVER), nullptr;
  if (!TakeDevMode(pi->pDevMode, p.DevMode)) return Fail(ERROR_INVALID_PARAMETER), nullptr;
  p.ShareName = Text(pi->pShareName);
  p.PortName = Text(pi->pPortName);
  p.Comment = Text(pi->pComment);
  p.Location = Text(pi->pLocation);
  p.SepFile = Text(pi->pSepFile);
  p.PrintProcessor = Text(pi->pPrintProcessor);
  p.Datatype = Text(pi->pDatatype);
  p.Parameters = Text(pi->pParameters);
  p.Attributes = pi->Attributes;
  p.Priority = pi->Priority;
  p.DefaultPriority = pi->DefaultPriority;
  p.StartTime = pi->StartTime;
  p.UntilTime = pi->UntilTime;
  p.Status = PRN_STATUS_PAUSED;
  const std::u16string name = p.Name;
  if (const DWORD error = NewPrinter(std::move(p))) return Fail(error), nullptr;
  return NewHandle(name, PRINTER_ALL_ACCESS);
}

BOOL TSpoolerStandIn::DeletePrinter(HANDLE handle) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::DeletePrinter(handle);
  if (!(h->Access & DELETE)) return Fail(ERROR_ACCESS_DENIED);
  TSession session(directory_);
  TStandInPrinter* p = session.Find(h->Printer);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  // A printer with jobs waits for them to leave, as the spooler's pending deletion does.
  p->Status |= kStatusPendingDeletion;
  FinishPendingDeletion(session.State(), h->Printer);
  return session.Save() ? TRUE : Fail(ERROR_WRITE_FAULT);
}

BOOL TSpoolerStandIn::SetPrinter(HANDLE handle, DWORD level, LPBYTE info, DWORD command) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::SetPrinter(handle, level, info, command);
  if (!(h->Access & PRINTER_ACCESS_ADMINISTER)) return Fail(ERROR_ACCESS_DENIED);
  if (level != 0 && level != 2) return Fail(ERROR_INVALID_LEVEL);
  if (level == 2 && !info) return Fail(ERROR_INVALID_PARAMETER);
  TSession session(directory_);
  TStandInPrinter* p = session.Find(h->Printer);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  if (level == 2) {
    const auto* pi = reinterpret_cast<const PRINTER_INFO_2W*>(info);
    std::vector<uint8_t> devMode;
    if (!TakeDevMode(pi->pDevMode, devMode)) return Fail(ERROR_INVALID_PARAMETER);
    if (pi->pPrinterName && !SameTextW(Text(pi->pPrinterName), p->Name)) {
      if (pi->pPrinterName[0] == 0 || session.State().Find(Text(pi->pPrinterName))) return Fail(ERROR_INVALID_PRINTER_NAME);
      p->Name = h->Printer = Text(pi->pPrinterName);
    }
    const std::pair<LPWSTR, std::u16string*> texts[] = {
        {pi->pShareName, &p->ShareName},   {pi->pPortName, &p->PortName}, {pi->pDriverName, &p->DriverName},
        {pi->pComment, &p->Comment},       {pi->pLocation, &p->Location}, {pi->pSepFile, &p->SepFile},
        {pi->pPrintProcessor, &p->PrintProcessor}, {pi->pDatatype, &p->Datatype}, {pi->pParameters, &p->Parameters}};
    for (const auto& [value, field] : texts)
      if (value) *field = Text(value);
    if (!devMode.empty()) p->DevMode = std::move(devMode);
    p->Attributes = pi->Attributes;
    p->Priority = pi->Priority;
    p->DefaultPriority = pi->DefaultPriority;
    p->StartTime = pi->StartTime;
    p->UntilTime = pi->UntilTime;
  }
  switch (command) {
    case 0: break;
    case PRINTER_CONTROL_PAUSE: p->Status |= PRN_STATUS_PAUSED; break;
    case PRINTER_CONTROL_RESUME: p->Status &= ~PRN_STATUS_PAUSED; break;
    case PRINTER_CONTROL_PURGE: {
      std::vector<uint32_t> ids;
      for (const auto& job : p->Jobs) ids.push_back(job.JobId);
      for (uint32_t id : ids) RemoveStandInJob(*p, id);
      DeleteSpoolFiles(*p, ids);
      break;
    }
    default: return Fail(ERROR_INVALID_PRINTER_COMMAND);
  }
  DeleteSpoolFiles(*p, DespoolStandInQueue(*p));
  FinishPendingDeletion(session.State(), h->Printer);
  return session.Save() ? TRUE : Fail(ERROR_WRITE_FAULT);
}

DWORD TSpoolerStandIn::GetPrinterData(HANDLE handle, LPWSTR valueName, LPDWORD type, LPBYTE data, DWORD size,
                                      LPDWORD needed) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::GetPrinterData(handle, valueName, type, data, size, needed);
  if (!valueName || !needed) return ERROR_INVALID_PARAMETER;
  TSession session(directory_);
  const TStandInPrinter* p = session.Find(h->Printer);
  if (!p) return ERROR_INVALID_HANDLE;
  const TStandInPrinterData* value = p->FindData(Text(valueName));
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (type) *type = value->Type;
  *needed = DWORD(value->Value.size());
  if (size < value->Value.size() || (!data && !value->Value.empty())) return ERROR_MORE_DATA;
  if (!value->Value.empty()) std::memcpy(data, value->Value.data(), value->Value.size());
  return ERROR_SUCCESS;
}

DWORD TSpoolerStandIn::SetPrinterData(HANDLE handle, LPWSTR valueName, DWORD type, LPBYTE data, DWORD size) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::SetPrinterData(handle, valueName, type, data, size);
  if (!(h->Access & PRINTER_ACCESS_ADMINISTER)) return ERROR_ACCESS_DENIED;
  if (!valueName || (!data && size)) return ERROR_INVALID_PARAMETER;
  TSession session(directory_);
  TStandInPrinter* p = session.Find(h->Printer);
  if (!p) return ERROR_INVALID_HANDLE;
  p->SetData(Text(valueName), type, size ? ToBytes(data, size) : std::vector<uint8_t>());
  return session.Save() ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

BOOL TSpoolerStandIn::GetPrinterDriver(HANDLE handle, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                                       LPDWORD needed) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::GetPrinterDriver(handle, environment, level, buffer, size, needed);
  const TPackedLayout* layout = DriverInfoLayout(level);
  if (!layout) return Fail(ERROR_INVALID_LEVEL);
  std::u16string driver;
  {
    TSession session(directory_);
    const TStandInPrinter* p = session.Find(h->Printer);
    if (!p) return Fail(ERROR_INVALID_HANDLE);
    driver = p->DriverName;
  }
  // The stand-in printer's driver is one installed in winspool.
  DWORD total = 0, count = 0;
  EnumPrinterDrivers(nullptr, environment, level, nullptr, 0, &total, &count);
  std::vector<BYTE> all(total);
  if (!total || !EnumPrinterDrivers(nullptr, environment, level, all.data(), total, &total, &count))
    return Fail(ERROR_UNKNOWN_PRINTER_DRIVER);
  for (DWORD i = 0; i < count; ++i) {
    const BYTE* record = all.data() + i * layout->RecordSize;
    LPWSTR name = nullptr;
    std::memcpy(&name, record + offsetof(DRIVER_INFO_2W, pName), sizeof name);
    if (!name || !SameTextW(Text(name), driver)) continue;
    TPackedRecords one(*layout);
    one.Add(record);
    return one.Deliver(buffer, size, needed);
  }
  return Fail(ERROR_UNKNOWN_PRINTER_DRIVER);
}

LONG TSpoolerStandIn::DocumentProperties(HWND owner, HANDLE handle, LPWSTR deviceName, PDEVMODEW out, PDEVMODEW in,
                                         DWORD mode) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::DocumentProperties(owner, handle, deviceName, out, in, mode);
  std::vector<uint8_t> dm;
  {
    TSession session(directory_);
    const TStandInPrinter* p = session.Find(h->Printer);
    if (!p) return -1;
    dm = IsWholeDevMode(p->DevMode) ? p->DevMode : DefaultDevMode(p->Name);
  }
  if (mode == 0) return LONG(dm.size());
  auto* settings = reinterpret_cast<DEVMODEW*>(dm.data());
  // The fields a caller may set and the stand-in keeps: orientation, paper and copies.
  if ((mode & DM_IN_BUFFER) && in && in->dmSize >= kDevModeFieldsEnd) {
    if (in->dmFields & DM_ORIENTATION) settings->dmOrientation = in->dmOrientation;
    if (in->dmFields & DM_PAPERSIZE) settings->dmPaperSize = in->dmPaperSize;
    if (in->dmFields & DM_COPIES) settings->dmCopies = in->dmCopies;
    settings->dmFields |= in->dmFields & (DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES);
  }
  if (mode & DM_OUT_BUFFER) {
    if (!out) return -1;
    std::memcpy(out, dm.data(), dm.size());
  }
  return IDOK;
}

TStandInSwitch::TStandInSwitch() {
  const std::u16string directory = TestSwitchValue(kStandInSpoolerVariable);
  if (directory.empty()) return;
  standIn_ = std::make_unique<TSpoolerStandIn>(directory);
  UseSpooler(standIn_.get());
}

TStandInSwitch::~TStandInSwitch() {
  if (standIn_) UseSpooler(nullptr);
}

std::u16string StandInSpoolerDirectory() {
  const auto* standIn = dynamic_cast<const TSpoolerStandIn*>(&Spooler());
  return standIn ? standIn->Directory() : std::u16string();
}
