// The stand-in spooler's calls: each one locks the directory, reads the state file, acts as the
// Windows spooler would on a stand-in printer and writes the state back.
#include "foundation/lib_prn_standin_win.h"

#include <algorithm>
#include <cstring>

#include "foundation/lib_prn_pack_win.h"
#include "foundation/lib_prn_spoolwriter.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"

namespace {

constexpr DWORD kStatusPendingDeletion = 0x4;  // PRINTER_STATUS_PENDING_DELETION

bool ReadWholeFile(const std::u16string& name, std::string& out, DWORD& error) {
  HANDLE file = CreateFileW(WStr(name), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return false;
  }
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (64 << 20);
  if (ok) {
    out.resize(size_t(size.QuadPart));
    DWORD done = 0;
    ok = out.empty() || (ReadFile(file, out.data(), DWORD(out.size()), &done, nullptr) && done == out.size());
  }
  error = ok ? 0 : ERROR_READ_FAULT;
  CloseHandle(file);
  return ok;
}

bool WriteWholeFile(const std::u16string& name, std::span<const uint8_t> bytes) {
  HANDLE file = CreateFileW(WStr(name), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  const bool ok = bytes.empty() || (WriteFile(file, bytes.data(), DWORD(bytes.size()), &done, nullptr) && done == bytes.size());
  CloseHandle(file);
  if (!ok) DeleteFileW(WStr(name));
  return ok;
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
  const auto* p = reinterpret_cast<const uint8_t*>(&dm);
  return std::vector<uint8_t>(p, p + sizeof dm);
}

// A DEVMODE held as bytes is used only when its own sizes fit in them.
bool IsWholeDevMode(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < offsetof(DEVMODEW, dmFields) + sizeof(DWORD)) return false;
  DEVMODEW head{};
  std::memcpy(&head, bytes.data(), std::min(bytes.size(), sizeof head));
  return head.dmSize >= offsetof(DEVMODEW, dmFields) + sizeof(DWORD) && size_t(head.dmSize) + head.dmDriverExtra <= bytes.size();
}

TSystemTime NowUtc() {
  SYSTEMTIME t;
  GetSystemTime(&t);
  return {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

SYSTEMTIME ToSystemTime(const TSystemTime& t) {
  return {t.Year, t.Month, t.DayOfWeek, t.Day, t.Hour, t.Minute, t.Second, t.Milliseconds};
}

std::vector<uint8_t> ToBytes(const void* p, size_t n) {
  const auto* b = static_cast<const uint8_t*>(p);
  return std::vector<uint8_t>(b, b + n);
}

std::u16string Text(LPCWSTR s) { return FromWStr(s); }
LPWSTR Ptr(const std::u16string& s) { return const_cast<LPWSTR>(WStr(s)); }
DEVMODEW* DevModePtr(const std::vector<uint8_t>& dm) {
  return IsWholeDevMode(dm) ? reinterpret_cast<DEVMODEW*>(const_cast<uint8_t*>(dm.data())) : nullptr;
}

// The access a handle was granted; the stand-in grants what was asked, as it does for an administrator.
ACCESS_MASK GrantedAccess(const PRINTER_DEFAULTSW* defaults) {
  const ACCESS_MASK asked = defaults ? defaults->DesiredAccess : 0;
  if (asked == 0) return PRINTER_ACCESS_USE;
  if (asked & GENERIC_ALL) return PRINTER_ALL_ACCESS;
  return asked;
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace

struct TSpoolerStandIn::THandle {
  std::u16string Printer;
  ACCESS_MASK Access = PRINTER_ACCESS_USE;
  uint32_t DocJob = 0;  // the job StartDocPrinter opened, 0 outside a document
  HANDLE DocFile = INVALID_HANDLE_VALUE;
};

// Holds the directory's lock file (shared with other processes using the same directory) and the
// state read under it.
class TSpoolerStandIn::TSession {
 public:
  explicit TSession(const std::u16string& directory) : directory_(directory) {
    const std::u16string lockName = directory + u"\\lock";
    for (int attempt = 0; attempt < 2000 && lock_ == INVALID_HANDLE_VALUE; ++attempt) {
      lock_ = CreateFileW(WStr(lockName), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (lock_ == INVALID_HANDLE_VALUE) Sleep(5);
    }
    if (lock_ == INVALID_HANDLE_VALUE) return;
    std::string text;
    DWORD error = 0;
    if (!ReadWholeFile(directory + u"\\state.txt", text, error)) {
      ok_ = error == ERROR_FILE_NOT_FOUND;  // a new directory
      return;
    }
    std::string why;
    ok_ = ParseStandInState(text, state_, why);
  }
  ~TSession() {
    if (lock_ != INVALID_HANDLE_VALUE) CloseHandle(lock_);
  }
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;

  // A damaged or unreadable state is never written over.
  bool Ok() const { return ok_; }
  TStandInState& State() { return state_; }
  TStandInPrinter* Find(const std::u16string& name) { return ok_ ? state_.Find(name) : nullptr; }

  bool Save() {
    if (!ok_) return false;
    const std::string text = FormatStandInState(state_);
    const std::u16string target = directory_ + u"\\state.txt", temp = directory_ + u"\\state.tmp";
    return WriteWholeFile(temp, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size())) &&
           MoveFileExW(WStr(temp), WStr(target), MOVEFILE_REPLACE_EXISTING);
  }

 private:
  std::u16string directory_;
  HANDLE lock_ = INVALID_HANDLE_VALUE;
  TStandInState state_;
  bool ok_ = false;
};

TSpoolerStandIn::TSpoolerStandIn(std::u16string directory) : directory_(std::move(directory)) {
  ForceDirectoriesW(directory_ + u"\\spool");
}

TSpoolerStandIn::~TSpoolerStandIn() {
  for (auto& [handle, state] : handles_)
    if (state->DocFile != INVALID_HANDLE_VALUE) CloseHandle(state->DocFile);
}

TSpoolerStandIn::THandle* TSpoolerStandIn::Find(HANDLE handle) {
  std::lock_guard guard(handlesLock_);
  const auto it = handles_.find(handle);
  return it == handles_.end() ? nullptr : it->second.get();
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

bool TSpoolerStandIn::AddStandInPrinter(const TStandInPrinter& printer) {
  TSession session(directory_);
  TStandInPrinter p = printer;
  p.Jobs.clear();
  if (p.PrintProcessor.empty()) p.PrintProcessor = u"WinPrint";
  if (p.Datatype.empty()) p.Datatype = u"RAW";
  if (p.DevMode.empty()) p.DevMode = DefaultDevMode(p.Name);
  if (!session.Ok() || !session.State().NewPrinter(std::move(p))) return false;
  if (!ForceDirectoriesW(SpoolDir(session.State().Printers.back().Id))) return false;
  return session.Save();
}

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

uint32_t TSpoolerStandIn::SubmitJob(const std::u16string& printer, const TStandInSubmit& submit,
                                    std::span<const uint8_t> spoolFile) {
  TSession session(directory_);
  TStandInPrinter* p = session.Find(printer);
  if (!p) return 0;
  TStandInJob job;
  job.Document = submit.Document;
  job.Datatype = submit.Datatype;
  job.UserName = submit.UserName.empty() ? UserName() : submit.UserName;
  job.NotifyName = job.UserName;
  job.MachineName = submit.MachineName.empty() ? ComputerName() : submit.MachineName;
  job.PrintProcessor = p->PrintProcessor;
  job.TotalPages = submit.TotalPages;
  job.Size = uint32_t(spoolFile.size());
  job.DevMode = submit.DevMode;
  if (submit.Copies != 0) {
    if (!IsWholeDevMode(job.DevMode)) job.DevMode = IsWholeDevMode(p->DevMode) ? p->DevMode : DefaultDevMode(p->Name);
    auto* dm = reinterpret_cast<DEVMODEW*>(job.DevMode.data());
    dm->dmCopies = short(submit.Copies);
    dm->dmFields |= DM_COPIES;
  }
  job.Submitted = NowUtc();
  job.Status = STANDIN_JOB_SPOOLING;
  const uint32_t id = session.State().QueueJob(*p, std::move(job));
  if (!WriteWholeFile(FormatSpoolFileName(SpoolDir(p->Id), id), spoolFile)) return 0;
  p->FindJob(id)->Status &= ~STANDIN_JOB_SPOOLING;
  DeleteSpoolFiles(*p, DespoolStandInQueue(*p));
  return session.Save() ? id : 0;
}

uint32_t TSpoolerStandIn::SubmitRawJob(const std::u16string& printer, const std::u16string& document,
                                       std::span<const uint8_t> bytes) {
  TStandInSubmit job;
  job.Document = document;
  return SubmitJob(printer, job, bytes);
}

uint32_t TSpoolerStandIn::SubmitEmfJob(const std::u16string& printer, const std::u16string& document,
                                       const std::vector<std::vector<uint8_t>>& pages, uint16_t copies) {
  TStandInSubmit job;
  job.Document = document;
  job.Datatype = u"NT EMF 1.008";
  job.TotalPages = uint32_t(pages.size());
  job.Copies = copies;
  {
    TSession session(directory_);
    const TStandInPrinter* p = session.Find(printer);
    if (!p) return 0;
    job.DevMode = IsWholeDevMode(p->DevMode) ? p->DevMode : DefaultDevMode(p->Name);
  }
  auto* dm = reinterpret_cast<DEVMODEW*>(job.DevMode.data());
  dm->dmCopies = short(copies);
  dm->dmFields |= DM_COPIES;
  TEmfSpoolWriter writer(document, printer);
  writer.AddDevMode(job.DevMode);
  for (const auto& page : pages) writer.AddPage(page);
  return SubmitJob(printer, job, writer.Bytes());
}

BOOL TSpoolerStandIn::EnumPrinters(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size,
                                   LPDWORD needed, LPDWORD returned) {
  const TPackedLayout* layout = PrinterInfoLayout(level);
  const bool local = (flags & (PRINTER_ENUM_LOCAL | PRINTER_ENUM_NAME)) && (!name || !*name);
  if (!layout || !local) return TSpoolerApi::EnumPrinters(flags, name, level, buffer, size, needed, returned);
  TPackedRecords records(*layout);
  // winspool's own printers first, as they are.
  DWORD realNeeded = 0, realCount = 0;
  TSpoolerApi::EnumPrinters(flags, name, level, nullptr, 0, &realNeeded, &realCount);
  std::vector<BYTE> real(realNeeded);
  if (realNeeded && TSpoolerApi::EnumPrinters(flags, name, level, real.data(), realNeeded, &realNeeded, &realCount))
    for (DWORD i = 0; i < realCount; ++i) records.Add(real.data() + i * layout->RecordSize);
  TSession session(directory_);
  if (session.Ok())
    for (const auto& p : session.State().Printers) {
      PRINTER_INFO_2W info{};
      info.pPrinterName = Ptr(p.Name);
      info.pShareName = Ptr(p.ShareName);
      info.pPortName = Ptr(p.PortName);
      info.pDriverName = Ptr(p.DriverName);
      info.pComment = Ptr(p.Comment);
      info.pLocation = Ptr(p.Location);
      info.pDevMode = DevModePtr(p.DevMode);
      info.pSepFile = Ptr(p.SepFile);
      info.pPrintProcessor = Ptr(p.PrintProcessor);
      info.pDatatype = Ptr(p.Datatype);
      info.pParameters = Ptr(p.Parameters);
      info.Attributes = p.Attributes;
      info.Priority = p.Priority;
      info.DefaultPriority = p.DefaultPriority;
      info.StartTime = p.StartTime;
      info.UntilTime = p.UntilTime;
      info.Status = p.Status;
      info.cJobs = DWORD(p.Jobs.size());
      const std::u16string description = p.Name + u"," + p.DriverName + u"," + p.Location;
      PRINTER_INFO_1W info1{PRINTER_ENUM_ICON8, Ptr(description), Ptr(p.Name), Ptr(p.Comment)};
      PRINTER_INFO_4W info4{Ptr(p.Name), nullptr, p.Attributes};
      PRINTER_INFO_5W info5{Ptr(p.Name), Ptr(p.PortName), p.Attributes, 15000, 45000};
      const void* record = level == 1 ? static_cast<const void*>(&info1)
                           : level == 2 ? static_cast<const void*>(&info)
                           : level == 4 ? static_cast<const void*>(&info4)
                                        : static_cast<const void*>(&info5);
      records.Add(record);
    }
  return records.Deliver(buffer, size, needed, returned);
}

BOOL TSpoolerStandIn::OpenPrinter(LPWSTR name, LPHANDLE handle, LPPRINTER_DEFAULTSW defaults) {
  if (!name || !handle) return TSpoolerApi::OpenPrinter(name, handle, defaults);
  const std::u16string printer = Text(name);
  {
    TSession session(directory_);
    const TStandInPrinter* p = session.Find(printer);
    if (!p) return TSpoolerApi::OpenPrinter(name, handle, defaults);
    auto state = std::make_unique<THandle>();
    state->Printer = p->Name;
    state->Access = GrantedAccess(defaults);
    std::lock_guard guard(handlesLock_);
    *handle = reinterpret_cast<HANDLE>(state.get());
    handles_[*handle] = std::move(state);
  }
  return TRUE;
}

BOOL TSpoolerStandIn::ClosePrinter(HANDLE handle) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::ClosePrinter(handle);
  // A document left open is abandoned, as when a program ends mid-job.
  if (h->DocJob != 0) {
    CloseHandle(h->DocFile);
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

BOOL TSpoolerStandIn::GetPrinter(HANDLE handle, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::GetPrinter(handle, level, buffer, size, needed);
  if (!PrinterInfoLayout(level)) return Fail(ERROR_INVALID_LEVEL);
  // The enumeration of one printer, answered from the state.
  DWORD count = 0, total = 0;
  std::vector<BYTE> all;
  EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, level, nullptr, 0, &total, &count);
  all.resize(total);
  if (!EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, level, all.data(), total, &total, &count)) return FALSE;
  const TPackedLayout& layout = *PrinterInfoLayout(level);
  const size_t nameOffset = level == 1 ? offsetof(PRINTER_INFO_1W, pName)
                            : level == 2 ? offsetof(PRINTER_INFO_2W, pPrinterName)
                                         : 0;  // levels 4 and 5 lead with the name
  for (DWORD i = 0; i < count; ++i) {
    const BYTE* record = all.data() + i * layout.RecordSize;
    LPWSTR entryName = nullptr;
    std::memcpy(&entryName, record + nameOffset, sizeof entryName);
    if (!entryName || !SameTextW(Text(entryName), h->Printer)) continue;
    TPackedRecords one(layout);
    one.Add(record);
    return one.Deliver(buffer, size, needed);
  }
  return Fail(ERROR_INVALID_HANDLE);
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
    if (pi->pDevMode && pi->pDevMode->dmSize >= offsetof(DEVMODEW, dmFields) + sizeof(DWORD))
      p->DevMode = ToBytes(pi->pDevMode, size_t(pi->pDevMode->dmSize) + pi->pDevMode->dmDriverExtra);
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
  EnumPrinterDriversW(nullptr, environment, level, nullptr, 0, &total, &count);
  std::vector<BYTE> all(total);
  if (!total || !EnumPrinterDriversW(nullptr, environment, level, all.data(), total, &total, &count))
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
  if ((mode & DM_IN_BUFFER) && in && in->dmSize >= offsetof(DEVMODEW, dmCollate)) {
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

BOOL TSpoolerStandIn::EnumJobs(HANDLE handle, DWORD firstJob, DWORD count, DWORD level, LPBYTE buffer, DWORD size,
                               LPDWORD needed, LPDWORD returned) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::EnumJobs(handle, firstJob, count, level, buffer, size, needed, returned);
  const TPackedLayout* layout = JobInfoLayout(level);
  if (!layout) return Fail(ERROR_INVALID_LEVEL);
  TSession session(directory_);
  const TStandInPrinter* p = session.Find(h->Printer);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  TPackedRecords records(*layout);
  for (size_t i = firstJob; i < p->Jobs.size() && i - firstJob < count; ++i) {
    const TStandInJob& j = p->Jobs[i];
    const SYSTEMTIME submitted = ToSystemTime(j.Submitted);
    if (level == 1) {
      JOB_INFO_1W info{j.JobId, Ptr(p->Name), Ptr(j.MachineName), Ptr(j.UserName), Ptr(j.Document), Ptr(j.Datatype),
                       nullptr, j.Status, j.Priority, DWORD(i + 1), j.TotalPages, j.PagesPrinted, submitted};
      records.Add(&info);
    } else {
      JOB_INFO_2W info{};
      info.JobId = j.JobId;
      info.pPrinterName = Ptr(p->Name);
      info.pMachineName = Ptr(j.MachineName);
      info.pUserName = Ptr(j.UserName);
      info.pDocument = Ptr(j.Document);
      info.pNotifyName = Ptr(j.NotifyName);
      info.pDatatype = Ptr(j.Datatype);
      info.pPrintProcessor = Ptr(j.PrintProcessor);
      info.pParameters = Ptr(j.Parameters);
      info.pDriverName = Ptr(p->DriverName);
      info.pDevMode = DevModePtr(j.DevMode);
      info.Status = j.Status;
      info.Priority = j.Priority;
      info.Position = DWORD(i + 1);
      info.TotalPages = j.TotalPages;
      info.Size = j.Size;
      info.Submitted = submitted;
      info.PagesPrinted = j.PagesPrinted;
      records.Add(&info);
    }
  }
  return records.Deliver(buffer, size, needed, returned);
}

BOOL TSpoolerStandIn::GetJob(HANDLE handle, DWORD jobId, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::GetJob(handle, jobId, level, buffer, size, needed);
  const TPackedLayout* layout = JobInfoLayout(level);
  if (!layout) return Fail(ERROR_INVALID_LEVEL);
  DWORD total = 0, count = 0;
  EnumJobs(handle, 0, 0xFFFFFFFF, level, nullptr, 0, &total, &count);
  std::vector<BYTE> all(total);
  if (!EnumJobs(handle, 0, 0xFFFFFFFF, level, all.data(), total, &total, &count)) return FALSE;
  for (DWORD i = 0; i < count; ++i) {
    const BYTE* record = all.data() + i * layout->RecordSize;
    DWORD id = 0;
    std::memcpy(&id, record, sizeof id);  // JobId leads both levels
    if (id != jobId) continue;
    TPackedRecords one(*layout);
    one.Add(record);
    return one.Deliver(buffer, size, needed);
  }
  return Fail(ERROR_INVALID_PARAMETER);
}

BOOL TSpoolerStandIn::SetJob(HANDLE handle, DWORD jobId, DWORD level, LPBYTE info, DWORD command) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::SetJob(handle, jobId, level, info, command);
  if (level != 0) return Fail(ERROR_INVALID_LEVEL);
  TSession session(directory_);
  TStandInPrinter* p = session.Find(h->Printer);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  TStandInJob* job = p->FindJob(jobId);
  if (!job) return Fail(ERROR_INVALID_PARAMETER);
  switch (command) {
    case JOB_CONTROL_CANCEL:
    case JOB_CONTROL_DELETE:
      RemoveStandInJob(*p, jobId);
      DeleteSpoolFiles(*p, {jobId});
      break;
    case JOB_CONTROL_PAUSE: job->Status |= STANDIN_JOB_PAUSED; break;
    case JOB_CONTROL_RESUME: job->Status &= ~STANDIN_JOB_PAUSED; break;
    case JOB_CONTROL_RESTART: job->Status &= ~STANDIN_JOB_PRINTED, job->PagesPrinted = 0; break;
    default: return Fail(ERROR_INVALID_PARAMETER);
  }
  DeleteSpoolFiles(*p, DespoolStandInQueue(*p));
  FinishPendingDeletion(session.State(), h->Printer);
  return session.Save() ? TRUE : Fail(ERROR_WRITE_FAULT);
}

DWORD TSpoolerStandIn::StartDocPrinter(HANDLE handle, DWORD level, LPBYTE docInfo) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::StartDocPrinter(handle, level, docInfo);
  if (level != 1 || !docInfo) return Fail(ERROR_INVALID_LEVEL);
  if (h->DocJob != 0) return Fail(ERROR_INVALID_PRINTER_STATE);
  const auto* doc = reinterpret_cast<const DOC_INFO_1W*>(docInfo);
  TSession session(directory_);
  TStandInPrinter* p = session.Find(h->Printer);
  if (!p) return Fail(ERROR_INVALID_HANDLE);
  TStandInJob job;
  job.Document = Text(doc->pDocName);
  job.Datatype = doc->pDatatype ? Text(doc->pDatatype) : p->Datatype;
  job.UserName = job.NotifyName = UserName();
  job.MachineName = ComputerName();
  job.PrintProcessor = p->PrintProcessor;
  job.Status = STANDIN_JOB_SPOOLING;
  job.Submitted = NowUtc();
  const uint32_t id = session.State().QueueJob(*p, std::move(job));
  const std::u16string file = FormatSpoolFileName(SpoolDir(p->Id), id);
  h->DocFile = CreateFileW(WStr(file), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h->DocFile == INVALID_HANDLE_VALUE) return Fail(GetLastError());
  if (!session.Save()) {
    CloseHandle(h->DocFile);
    h->DocFile = INVALID_HANDLE_VALUE;
    DeleteFileW(WStr(file));
    return Fail(ERROR_WRITE_FAULT);
  }
  h->DocJob = id;
  return id;
}

BOOL TSpoolerStandIn::WritePrinter(HANDLE handle, LPVOID data, DWORD size, LPDWORD written) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::WritePrinter(handle, data, size, written);
  if (written) *written = 0;
  if (h->DocJob == 0) return Fail(ERROR_SPL_NO_STARTDOC);
  DWORD done = 0;
  if (size && !WriteFile(h->DocFile, data, size, &done, nullptr)) return FALSE;
  if (written) *written = done;
  return TRUE;
}

BOOL TSpoolerStandIn::EndDocPrinter(HANDLE handle) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::EndDocPrinter(handle);
  if (h->DocJob == 0) return Fail(ERROR_SPL_NO_STARTDOC);
  LARGE_INTEGER size{};
  GetFileSizeEx(h->DocFile, &size);
  CloseHandle(h->DocFile);
  h->DocFile = INVALID_HANDLE_VALUE;
  const uint32_t id = h->DocJob;
  h->DocJob = 0;
  TSession session(directory_);
  TStandInPrinter* p = session.Find(h->Printer);
  TStandInJob* job = p ? p->FindJob(id) : nullptr;
  if (!job) return TRUE;  // cancelled while it was spooling
  job->Status &= ~STANDIN_JOB_SPOOLING;
  job->Size = uint32_t(size.QuadPart);
  DeleteSpoolFiles(*p, DespoolStandInQueue(*p));
  FinishPendingDeletion(session.State(), h->Printer);
  return session.Save() ? TRUE : Fail(ERROR_WRITE_FAULT);
}
