// The queue processor's system calls on Windows.
#include "monitor/uintemf_win.h"

#include "coding/cl_macrolib_docparam.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_api.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_handle_win.h"
#include "foundation/lib_prn_spool.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_win.h"
#include "monitor/cl_monitor_setup.h"
#include "monitor/cl_monitor_setup_win.h"
#include "monitor/uintemf_print_win.h"
#include "monitor/uintraw.h"
#include "monitor/uintraw_win.h"

namespace {
constexpr char kInstallLockName[] = "Tevoran Printer Install";

std::u16string FailureName(TEmfJobFailure failure) {
  switch (failure) {
    case TEmfJobFailure::Integrity: return u"integrity";
    case TEmfJobFailure::Open: return u"open";
    case TEmfJobFailure::Settings: return u"settings";
    case TEmfJobFailure::DeviceContext: return u"dc";
    default: return u"none";
  }
}

// What a Windows job takes from the queue serving its virtual printer.
class TEmfJobQueueWin : public TEmfJobQueue {
 public:
  TEmfJobQueueWin(TPrintQuuee& queue, TQueueSystemWin& system) : queue_(queue), system_(system) {}
  TLogFile* Log() override { return queue_.Log; }
  void LogLine(std::u16string_view line) override { queue_.Line(line); }
  void JobProceeds() override { queue_.JobProceeds(); }
  std::u16string VirtualPrinterName() override { return queue_.PrinterName; }
  std::u16string SpoolFileName(uint32_t jobId) override { return system_.SpoolFileName(jobId); }
  uint8_t ComponentMask() override { return system_.Components(); }
  std::u16string JobUser(const _JOBINFO& job) override { return queue_.JobUser(job); }
  bool CheckWindowsDestination(const std::u16string& user) override {
    return system_.CheckPrintTo(queue_.PrinterName, user, kPrintToWin);
  }
  TEmfDestination WindowsDestination(const std::u16string& user) override {
    return {system_.PrintToOfUser(queue_.PrinterName, user, kPrintToWin),
            system_.IsPrinterOfUser(queue_.PrinterName, user)};
  }
  uint32_t ReadCorrectEMF() override {
    return static_cast<uint32_t>(MachineSettingsStore().ReadInteger(kConfigKey, u"CorrectEMF", 0));
  }
  DWORD OpenDestination(const std::u16string& printer) override {
    uint32_t error = 0;
    if (system_.OpenDestination(printer, error)) return 0;
    queue_.Line(u"Printer Open Error: \"" + printer + u"\"");
    return error ? error : ERROR_INVALID_PRINTER_NAME;
  }
  void CloseDestination() override { system_.CloseDestination(); }
  bool CancelJob(uint32_t jobId) override { return system_.CancelJob(jobId) == 0; }
  // The queue prints a kept DOS part on its own DOS destination before any Windows job reaches here.
  void PrintPendingDosPart(const std::u16string&) override { queue_.FlushDosRest(); }
  bool FailureBoxDue(const std::u16string& printer, TEmfJobFailure failure) override {
    return queue_.FailureBoxDue(printer, FailureName(failure));
  }
  void DestinationUsable(const std::u16string& printer) override { queue_.DestinationUsable(printer); }
  uint8_t CodePage(uint32_t jobRecordNo, HENHMETAFILE& page, int32_t pageNo, HDC& dc, const _JOBINFO& job,
                   const std::u16string& printerName, std::vector<uint8_t>& devMode, TCodeResultRec& rec) override {
    if (system_.Steps().CodePage)
      return system_.Steps().CodePage(jobRecordNo, page, pageNo, dc, job, printerName, devMode, rec);
    return TEmfJobQueue::CodePage(jobRecordNo, page, pageNo, dc, job, printerName, devMode, rec);
  }

 private:
  TPrintQuuee& queue_;
  TQueueSystemWin& system_;
};

}  // namespace

TQueueSystemWin::TQueueSystemWin(TMonitorContext& context, TQueueSteps steps)
    : context_(context), steps_(std::move(steps)) {}

uint32_t TQueueSystemWin::TickCount() { return GetTickCount(); }
void TQueueSystemWin::Sleep(uint32_t ms) { ::Sleep(ms); }
bool TQueueSystemWin::IsWinNT() { return PrnSystem().IsWinNT; }
uint8_t TQueueSystemWin::Components() { return context_.Components; }
bool TQueueSystemWin::TServer() { return App().TerminalMode; }
bool TQueueSystemWin::AsService() { return App().AsService; }
std::u16string TQueueSystemWin::ErrorText(uint32_t code) { return SysErrorText(code); }

bool TQueueSystemWin::WaitStop(uint32_t waitMs) {
  return context_.StopEvent && WaitForSingleObject(context_.StopEvent.Get(), waitMs) == WAIT_OBJECT_0;
}
bool TQueueSystemWin::UpdateEventSet() { return IsHandleSignaled(App().UpdateEvent.Get()); }
void TQueueSystemWin::ResetUpdateEvent() {
  if (App().UpdateEvent) ResetEvent(App().UpdateEvent.Get());
}
int TQueueSystemWin::WaitUpdateOrStop(uint32_t waitMs) {
  HANDLE handles[2];
  DWORD n = 0;
  if (App().UpdateEvent) handles[n++] = App().UpdateEvent.Get();
  if (context_.StopEvent) handles[n++] = context_.StopEvent.Get();
  if (n == 0) {
    ::Sleep(waitMs);
    return 0;
  }
  const DWORD r = WaitForMultipleObjects(n, handles, FALSE, waitMs);
  if (r >= WAIT_OBJECT_0 + n) return 0;
  return handles[r - WAIT_OBJECT_0] == context_.StopEvent.Get() ? 2 : 1;
}
bool TQueueSystemWin::InstallLockExists() { return InstanceLockExists(kInstallLockName, !IsRemoteSession(), 1); }
bool TQueueSystemWin::EnterSync() { return App().Sync && App().Sync->Enter(); }
void TQueueSystemWin::LeaveSync() {
  if (App().Sync) App().Sync->Leave();
}
void TQueueSystemWin::ReloadPrinters() { Printers().Refresh(); }
void TQueueSystemWin::PrintersChanged() {
  if (App().UpdateCallback) App().UpdateCallback();
  context_.PrintersChanged = 1;
}

std::u16string TQueueSystemWin::ListUser() { return Printers().UserName; }
bool TQueueSystemWin::PrinterExists(const std::u16string& name) { return ::PrinterExists(name); }
bool TQueueSystemWin::PrinterListed(const std::u16string& name) { return Printers().AllPrinters.IndexOf(name) >= 0; }
bool TQueueSystemWin::HasDosSide(const std::u16string& name) {
  const int32_t index = Printers().IndexOf(name);
  return index >= 0 && Printers().Items[index].DosSide;
}
bool TQueueSystemWin::IsPrinterOfUser(const std::u16string& name, const std::u16string& user) {
  return Printers().IsPrinterOfUser(name, user);
}
bool TQueueSystemWin::CheckPrintTo(const std::u16string& name, const std::u16string& user, uint8_t kind) {
  return Printers().CheckPrintTo(name, user, kind);
}
std::u16string TQueueSystemWin::PrintToOfUser(const std::u16string& name, const std::u16string& user, uint8_t kind) {
  std::u16string printTo;
  Printers().GetPrintToOfUser(name, user, printTo, kind);
  return printTo;
}
bool TQueueSystemWin::CheckDosPrintingSetup(const std::u16string& name) {
  if (steps_.CheckDosPrintingSetup) return steps_.CheckDosPrintingSetup(name);
  return ::CheckDosPrintingSetup(Printers(), name, context_.OwnerWindow);
}
void TQueueSystemWin::GrantEveryone(const std::u16string& name) { OpenPrinterAclToEveryone(name); }
uint32_t TQueueSystemWin::JoinTimeOut() {
  return static_cast<uint32_t>(GetDosJobTimeOut(MachineSettingsStore(), kConfigDosKey));
}
uint32_t TQueueSystemWin::RestSize() {
  const int32_t size = MachineSettingsStore().ReadInteger(kConfigKey, u"RestSize", 511);
  return size < 0 ? 0 : static_cast<uint32_t>(size);
}
bool TQueueSystemWin::SplDebug() { return MachineSettingsStore().ReadInteger(kConfigKey, u"SPLDebug", 0) != 0; }

bool TQueueSystemWin::OpenVirtual(const std::u16string& name, uint32_t& error) {
  SetLastError(0);
  if (VirtualPrinter.Open(name)) return true;
  error = GetLastError();
  return false;
}
bool TQueueSystemWin::EnsureVirtualOpen(const std::u16string& name) { return VirtualPrinter.EnsureOpen(name); }
void TQueueSystemWin::CloseVirtual() { VirtualPrinter.Close(); }
int32_t TQueueSystemWin::HoldQueue() {
  const bool printerAttrib = MachineSettingsStore().ReadInteger(kConfigKey, u"PrinterAttrib", 0) != 0;
  const int32_t answer = HoldPrinterQueue(VirtualPrinter, holdError_, printerAttrib);
  if (answer > 0) holdError_ = static_cast<DWORD>(answer);
  return answer;
}
bool TQueueSystemWin::CheckSpoolFormat() { return ::CheckSpoolFormat(VirtualPrinter, context_.OwnerWindow); }
bool TQueueSystemWin::JobCount(uint32_t& count) {
  DWORD n = 0;
  if (!GetPrinterJobCount(VirtualPrinter.Handle, n)) return false;
  count = n;
  return true;
}
bool TQueueSystemWin::ListJobs(uint32_t firstJob, uint32_t count, std::vector<_JOBINFO>& jobs) {
  std::vector<uint8_t> bytes;
  DWORD returned = 0;
  if (!ListPrintJobs(VirtualPrinter.Handle, firstJob, count, returned, bytes)) return false;
  jobs.clear();
  for (DWORD i = 0; i < returned; ++i) {
    _JOBINFO job;
    if (CopyJobInfo(bytes, returned, i, job)) jobs.push_back(std::move(job));
  }
  return !jobs.empty();
}
uint32_t TQueueSystemWin::CancelJob(uint32_t jobId) {
  SetLastError(0);
  if (VirtualPrinter.CancelJob(jobId)) return 0;
  const DWORD error = GetLastError();
  return error ? error : ERROR_INVALID_HANDLE;
}

std::u16string TQueueSystemWin::SpoolFileName(uint32_t jobId) {
  std::u16string file;
  GetSpoolFileName(VirtualPrinter.Name, jobId, file);
  return file;
}
uint32_t TQueueSystemWin::CheckReadable(const std::u16string& file) { return CheckFileAccess(file, false); }
bool TQueueSystemWin::FileExists(const std::u16string& file) { return FilePresent(file); }
bool TQueueSystemWin::FileSize(const std::u16string& file, uint64_t& size) {
  const int64_t n = GetFileSizeByName(file);
  if (n < 0) return false;
  size = static_cast<uint64_t>(n);
  return true;
}
bool TQueueSystemWin::IsNativeSpoolFile(const std::u16string& file) { return ::IsNativeSpoolFile(file); }
std::u16string TQueueSystemWin::NewTempFileName() { return MakeTempFileName(); }
bool TQueueSystemWin::CopyFileTo(const std::u16string& from, const std::u16string& to) {
  return CopyFileReplace(from, to);
}
bool TQueueSystemWin::AppendFileTo(const std::u16string& to, const std::u16string& from) {
  TFileHandle source(CreateFileW(WStr(from), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  TFileHandle target(
      CreateFileW(WStr(to), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!source || !target) return false;
  std::vector<uint8_t> buffer(64 * 1024);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(source.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return false;
    if (read == 0) return true;
    DWORD written = 0;
    if (!WriteFile(target.Get(), buffer.data(), read, &written, nullptr) || written != read) return false;
  }
}
void TQueueSystemWin::DeleteFile(const std::u16string& file) { DeleteFileIfExists(file); }

uint32_t TQueueSystemWin::AppendJournal(const _JOBINFO& job) {
  return App().JournalEnabled && App().PrintJournal ? App().PrintJournal->AppendJob(job) : 0;
}
void TQueueSystemWin::ShowSplCapture(const std::u16string&, const _JOBINFO&, const std::u16string& text) {
  // No capture dialog in this build: the capture's text goes to the log.
  if (context_.Log) context_.Log->AddWide(u"SPLDebug:\r\n" + text);
}

bool TQueueSystemWin::OpenDestination(const std::u16string& name, uint32_t& error) {
  SetLastError(0);
  if (!name.empty() && DestPrinter.Open(name)) return true;
  error = name.empty() ? ERROR_INVALID_PRINTER_NAME : GetLastError();
  DestPrinter.Close();
  return false;
}
void TQueueSystemWin::CloseDestination() { DestPrinter.Close(); }
bool TQueueSystemWin::SendRaw(const std::u16string& file, bool deleteAfter, const std::u16string& document) {
  return DestPrinter.Handle && SendFileToPrinter(DestPrinter.Handle, file, deleteAfter, document, DestPrinter.Name);
}
uint8_t TQueueSystemWin::EncodeDosJob(uint32_t jobRecordNo, const _JOBINFO& job, const std::u16string& file,
                                      TDosCodeResultRec& rec) {
  if (steps_.EncodeDosJob) return steps_.EncodeDosJob(jobRecordNo, job, file, rec);
  return ::EncodeDosJob(jobRecordNo, &job, file.c_str(), rec);
}
bool TQueueSystemWin::ProcessEMF(TPrintQuuee& queue, uint32_t jobId, uint32_t jobRecordNo, const _JOBINFO& job) {
  TEmfJobQueueWin emfQueue(queue, *this);
  const TEmfJobResult result = ::ProcessEMF(emfQueue, jobId, jobRecordNo, job);
  if (result.Queued) queue.JobWaits(result.FailedPrinter, FailureName(result.Failure));
  return result.Answer;
}
std::u16string TQueueSystemWin::PrintStatusText(bool ok) { return FormatPrintStatus(ok); }
void TQueueSystemWin::SetProgramTitle(const std::u16string& title) { ::SetProgramTitle(title); }

void TQueueSystemWin::ErrorBox(const std::u16string& text) { PrnErrorBox(text, context_.OwnerWindow); }
void TQueueSystemWin::PrinterOpenErrorBox(const std::u16string& printer, uint32_t error) {
  PrnPrinterOpenErrorBox(printer, error ? error : GetLastError(), context_.OwnerWindow);
}
void TQueueSystemWin::FileOpenErrorBox(const std::u16string& file, uint32_t error) {
  PrnFileErrorBox(u"Ошибка открытия файла", file, error, context_.OwnerWindow);
}
void TQueueSystemWin::FileWriteErrorBox(const std::u16string& file, uint32_t error) {
  PrnFileErrorBox(u"Ошибка записи в файл", file, error ? error : GetLastError(), context_.OwnerWindow);
}
void TQueueSystemWin::FileNotFoundBox(const std::u16string& file) {
  PrnFileErrorBox(u"Файл не найден", file, ERROR_FILE_NOT_FOUND, context_.OwnerWindow);
}
