// The stand-in spooler's jobs: submitted whole by a test or the demo, or written by a program through
// StartDocPrinter, WritePrinter and EndDocPrinter; listed, paused, resumed and cancelled.
#include <windows.h>
#include <winspool.h>

#include <cstring>

#include "foundation/lib_prn_spool.h"
#include "foundation/lib_prn_spoolwriter.h"
#include "foundation/lib_prn_standin_session_win.h"
#include "foundation/lib_prn_standin_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_unicode_win.h"

using namespace standin;

namespace {

// The job's device settings with the copy count in them: its own when they are whole, else the
// printer's (or the default ones).
void SetJobCopies(TStandInJob& job, const TStandInPrinter& printer, uint16_t copies) {
  if (!IsWholeDevMode(job.DevMode)) job.DevMode = IsWholeDevMode(printer.DevMode) ? printer.DevMode : DefaultDevMode(printer.Name);
  auto* dm = reinterpret_cast<DEVMODEW*>(job.DevMode.data());
  dm->dmCopies = short(copies);
  dm->dmFields |= DM_COPIES;
}

}  // namespace

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
  if (submit.Copies != 0) SetJobCopies(job, *p, submit.Copies);
  job.Submitted = NowUtc();
  job.Status = STANDIN_JOB_SPOOLING;
  const uint32_t id = session.State().QueueJob(*p, std::move(job));
  if (id == 0) return 0;
  const std::u16string file = FormatSpoolFileName(SpoolDir(p->Id), id);
  if (!WriteBufferToFile(file, spoolFile)) {
    DeleteFileIfExists(file);
    return 0;
  }
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
    TStandInJob settings;
    SetJobCopies(settings, *p, copies);
    job.DevMode = std::move(settings.DevMode);
  }
  TEmfSpoolWriter writer(document, printer);
  writer.AddDevMode(job.DevMode);
  for (const auto& page : pages) writer.AddPage(page);
  return SubmitJob(printer, job, writer.Bytes());
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
  if (id == 0) return Fail(ERROR_NOT_ENOUGH_QUOTA);
  const std::u16string file = FormatSpoolFileName(SpoolDir(p->Id), id);
  TFileHandle spool(
      CreateFileW(WStr(file), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!spool) return Fail(GetLastError());
  if (!session.Save()) {
    spool.Reset();
    DeleteFileW(WStr(file));
    return Fail(ERROR_WRITE_FAULT);
  }
  h->DocFile = std::move(spool);
  h->DocJob = id;
  return id;
}

BOOL TSpoolerStandIn::WritePrinter(HANDLE handle, LPVOID data, DWORD size, LPDWORD written) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::WritePrinter(handle, data, size, written);
  if (written) *written = 0;
  if (h->DocJob == 0) return Fail(ERROR_SPL_NO_STARTDOC);
  DWORD done = 0;
  if (size && !WriteFile(h->DocFile.Get(), data, size, &done, nullptr)) return FALSE;
  if (written) *written = done;
  return TRUE;
}

BOOL TSpoolerStandIn::EndDocPrinter(HANDLE handle) {
  THandle* h = Find(handle);
  if (!h) return TSpoolerApi::EndDocPrinter(handle);
  if (h->DocJob == 0) return Fail(ERROR_SPL_NO_STARTDOC);
  LARGE_INTEGER size{};
  GetFileSizeEx(h->DocFile.Get(), &size);
  h->DocFile.Reset();
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
