// The queue processor's decisions: opening and pausing the virtual printer, the configuration update,
// the job walk, the raw path with the joining of split DOS jobs, and raw printing.
#include "monitor/uintemf.h"

#include <exception>
#include <iterator>
#include <optional>
#include <utility>

#include "foundation/lib_prn_printers.h"
#include "foundation/lib_str.h"
#include "monitor/uintraw.h"

namespace {

constexpr std::string_view kQuueePrefix = "--> ProcessQuuee: ";
constexpr std::string_view kRawPrefix = "--> ProcessRAW: ";
constexpr std::string_view kPrintRawPrefix = "--> PrintRAW: ";

std::u16string Num(int64_t v) {
  const std::string text = IntToText(v);
  return std::u16string(text.begin(), text.end());
}


}  // namespace

TPrintQuuee::TPrintQuuee(TQueueSystem& system, TStopLatch& stop, TLogFile* log)
    : Log(log), system_(system), stop_(stop) {}

void TPrintQuuee::CloseAndFree() {
  system_.CloseDestination();
  destOpen_ = false;
  system_.CloseVirtual();
}

void TPrintQuuee::Write(TLogLine line) {
  if (!Log) return;
  if (holding_) {
    held_.push_back(std::move(line));
  } else if (line.Text.empty()) {
    Log->Add(line.Ansi);
  } else {
    Log->AddWide(line.Text);
  }
}

void TPrintQuuee::ReleaseHeld() {
  holding_ = false;
  for (TLogLine& line : held_) Write(std::move(line));
  held_.clear();
}

void TPrintQuuee::DropHeld() {
  holding_ = false;
  held_.clear();
}

void TPrintQuuee::Line(std::u16string_view text) { Write({{}, std::u16string(text)}); }

void TPrintQuuee::LogAs(std::string_view prefix, std::string_view text) {
  Write({std::string(prefix) + std::string(text), {}});
}

void TPrintQuuee::LogAsW(std::string_view prefix, std::u16string_view text) {
  Write({{}, std::u16string(prefix.begin(), prefix.end()) + std::u16string(text)});
}

void TPrintQuuee::JobWaits(const std::u16string& printer, const std::u16string& failure) {
  jobWait_ = printer + u"\n" + failure;
}

void TPrintQuuee::JobProceeds() { ReleaseHeld(); }

std::map<uint32_t, TWaitingJob> TPrintQuuee::WaitingJobs() const {
  std::map<uint32_t, TWaitingJob> jobs;
  for (auto it = waiting_.lower_bound({PrinterName, 0}); it != waiting_.end() && it->first.first == PrinterName; ++it)
    jobs.emplace(it->first.second, it->second);
  return jobs;
}

void TPrintQuuee::ForgetGoneJobs(const std::vector<_JOBINFO>& jobs) {
  std::set<uint32_t> queued;
  for (const _JOBINFO& job : jobs) queued.insert(job.JobId);
  for (auto it = waiting_.lower_bound({PrinterName, 0}); it != waiting_.end() && it->first.first == PrinterName;)
    it = queued.count(it->first.second) ? std::next(it) : waiting_.erase(it);
}

bool TPrintQuuee::FailureBoxDue(const std::u16string& printer, const std::u16string& failure) {
  return failures_.insert(printer + u"\n" + failure).second;
}

void TPrintQuuee::DestinationUsable(const std::u16string& printer) {
  const std::u16string prefix = printer + u"\n";
  for (auto it = failures_.lower_bound(prefix); it != failures_.end() && it->starts_with(prefix);)
    it = failures_.erase(it);
}

bool TPrintQuuee::OpenVirtualPrinter(const std::u16string& name, uint8_t& openState) {
  try {
    PrinterName = name;
    if (Verbose) Line(u"Open Printer " + name);
    uint32_t error = 0;
    if (system_.OpenVirtual(name, error)) {
      if (Verbose) Line(u"OK");
      if (openState >= kOpenSilent && openState <= kOpenAccessDenied) {
        if (!Verbose) {
          Line(u"Found New Printer: " + name);
          Verbose = true;
        }
        openState = kOpenAgain;
      } else {
        openState = kOpenKnown;
      }
      return true;
    }
    const std::u16string text = system_.ErrorText(error);
    if (Verbose) Line(u"Error: " + Num(error) + u", " + text);
    uint8_t state;
    if (error == 5) {
      state = kOpenAccessDenied;
    } else if (error == 2 || error == 87 || error == 1722 || error == 1801) {
      state = openState <= kOpenAgain ? kOpenLost : kOpenSilent;
    } else {
      state = system_.PrinterListed(name) ? kOpenOtherError : kOpenSilent;
    }
    if (state != openState && state != kOpenSilent && state != kOpenLost && error != 0)
      system_.ErrorBox(u"Ошибка открытия виртуального принтера " + name + u": " + Quoted(text));
    if (openState <= kOpenAgain && (state == kOpenOtherError || state == kOpenAccessDenied))
      system_.GrantEveryone(name);
    openState = state;
    return false;
  } catch (const std::exception&) {
    Line(u"Error in OpenPrinter");
    return false;
  }
}

void TPrintQuuee::CloseVirtualPrinter() {
  system_.CloseVirtual();
  Verbose = false;
}

TPrintQuuee::TUpdate TPrintQuuee::Update() {
  // The printer installation or its settings dialog is changing the configuration right now.
  if (system_.InstallLockExists()) return TUpdate::Skipped;
  if (Verbose) Line(u"Enter Update()");
  if (!system_.EnterSync()) {
    // The reload is deferred, so the update event stays set for a later round.
    if (Verbose) Line(u"Update() Failed");
    return TUpdate::Skipped;
  }
  bool ok = true;
  try {
    system_.ResetUpdateEvent();
    system_.ReloadPrinters();
    system_.GrantEveryone(PrinterName);
    const uint8_t mask = system_.Components();
    const std::u16string user = system_.ListUser();
    if (!Stopped() && (mask & kComponentDos) && system_.HasDosSide(PrinterName))
      ok = system_.CheckDosPrintingSetup(PrinterName) && system_.CheckPrintTo(PrinterName, user, kPrintToDos);
    if (!Stopped() && (mask & kComponentWin) && ok)
      ok = system_.PrinterExists(PrinterName) && system_.CheckPrintTo(PrinterName, user, kPrintToWin) &&
           system_.CheckSpoolFormat();
    // The checks above may signal the update themselves; that signal is this update's own.
    if (!Stopped()) {
      const int seen = system_.WaitUpdateOrStop(500);
      if (seen == 1) system_.ResetUpdateEvent();
      if (seen == 2) stop_.Mark();
    }
    if (!Stopped()) {
      system_.PrintersChanged();
      if (Verbose) Line(u"Leave Update()");
    }
  } catch (const std::exception&) {
    Line(u"Exception in Update()");
    ok = false;
  }
  system_.LeaveSync();
  return ok ? TUpdate::Passed : TUpdate::Failed;
}

void TPrintQuuee::SetPrinterPause(int32_t& code, uint8_t& queueState, uint8_t& openState) {
  if (openState != kOpenKnown && openState != kOpenAgain) {
    code = kPauseUnusable;
    return;
  }
  TUpdate update = TUpdate::Passed;
  if (system_.UpdateEventSet() || openState == kOpenAgain) {
    update = Update();
    openState = kOpenKnown;
  }
  if (Stopped()) {
    code = kPauseStop;
    return;
  }
  if (update != TUpdate::Failed) {
    try {
      if (!system_.PrinterExists(PrinterName)) {
        code = kPauseUnusable;
        return;
      }
      const int32_t held = system_.HoldQueue();
      if (Verbose) Line(u"SetPrinterPause:" + Num(held));
    } catch (const std::exception&) {
      Line(u"Error pausing printer");
    }
  }
  if (!system_.EnsureVirtualOpen(PrinterName) && queueState == kQueueFirstPass) {
    Line(u"Printer Open Error: " + Quoted(PrinterName));
    queueState = kQueueOpenFailed;
    code = kPauseUnusable;
    system_.PrinterOpenErrorBox(PrinterName, 0);
    return;
  }
  if (queueState == kQueueFirstPass && !system_.CheckPrintTo(PrinterName, system_.ListUser(), kPrintToWin)) {
    Line(u"Printer " + Quoted(PrinterName) + u" Integrity error");
    queueState = kQueueIntegrityError;
    code = kPauseIntegrity;
    return;
  }
  queueState = kQueueUsable;
  code = kPauseServe;
}

bool TPrintQuuee::ProcessQuuee(uint8_t& queueState) {
  if (Verbose) LogAs(kQuueePrefix, "Enter ProcessQuuee");
  DosRest.Clear();
  handledJobs_.clear();
  const uint8_t remembered = queueState;
  queueState = kQueueUsable;
  bool result = false;
  bool handled = false;
  std::vector<_JOBINFO> jobs;
  while (!Stopped()) {
    const TQueueJobs answer = GetQueueJobs(jobs);
    if (answer == TQueueJobs::NoJobs || answer == TQueueJobs::Stop) break;
    if (answer == TQueueJobs::WaitAgain) continue;
    bool busy = false;
    bool accessDenied = false;
    const size_t before = handledJobs_.size();
    ServeJobs(jobs, queueState, remembered, busy, accessDenied, result, handled);
    if (accessDenied || Stopped()) break;
    // Only jobs left for a later round while a part waits: wait as for an empty queue, not spin.
    if (busy || (DosRest.Pending() && handledJobs_.size() == before)) {
      system_.Sleep(kBusyRetryMs);
      continue;
    }
    if (!DosRest.Pending()) break;
  }
  // A part still kept is never dropped: a stop prints it.
  if (DosRest.Pending()) FlushDosRest();
  system_.CloseDestination();
  destOpen_ = false;
  system_.CloseVirtual();
  if (handled && result) LogAs(kQuueePrefix, "Exit");
  if (Verbose) LogAs(kQuueePrefix, "Return:" + IntToText(queueState));
  return result;
}

void TPrintQuuee::ServeJobs(const std::vector<_JOBINFO>& jobs, uint8_t& queueState, uint8_t remembered, bool& busy,
                            bool& accessDenied, bool& result, bool& handled) {
  std::set<uint32_t> boxedCodes;
  for (const _JOBINFO& job : jobs) {
    if (Stopped()) return;
    if (handledJobs_.count(job.JobId)) continue;
    if (job.StatusCode != 0) {
      busy = true;
      continue;
    }
    const std::u16string file = system_.SpoolFileName(job.JobId);
    const uint32_t error = system_.CheckReadable(file);
    // Whoever holds it open (the spooler still writing, a virus scanner) lets go soon.
    if (error == 32 || error == 33) {
      busy = true;
      continue;
    }
    handledJobs_.insert(job.JobId);
    if (error == 0) {
      handled = true;
      result = ServeReadableJob(job, file);
      continue;
    }
    waiting_.erase({PrinterName, job.JobId});
    LogJob(job, file, error);
    const uint32_t cancelError = system_.CancelJob(job.JobId);
    if (cancelError == 5) {
      accessDenied = true;
      queueState = kQueueNoAccess;
      if (boxedCodes.insert(error).second) {
        system_.FileOpenErrorBox(file, error);
        if (remembered == kQueueUsable) {
          LogAs(kQuueePrefix, "Cannot work with Print Spooler! No Access");
          system_.ErrorBox(u"Cannot work with Print Spooler! No Access");
        }
      }
    }
  }
}

void TPrintQuuee::LogJob(const _JOBINFO& job, const std::u16string& file, uint32_t error) {
  LogAsW(kQuueePrefix, u"Job: JobId=" + Num(job.JobId) + u", FileName=" + Quoted(file) + u", FileOpenError=" +
                           Quoted(system_.ErrorText(error)) + u", DataType=" + Quoted(job.Datatype) +
                           u", Document=" + Quoted(job.Document) + u", PrinterName=" + Quoted(job.PrinterName) +
                           u", MachineName=" + Quoted(job.MachineName) + u", UserName=" + Quoted(job.UserName) +
                           u", Copies=\"" + Num(job.Copies) + u"\"");
}

bool TPrintQuuee::ServeReadableJob(const _JOBINFO& job, const std::u16string& file) {
  // Routed by what the file holds: the document name only marks candidates for joining. A kept DOS part
  // goes out before a Windows job, and its lines are its own, never held with this job's.
  const bool windowsJob = system_.IsNativeSpoolFile(file);
  if (windowsJob && DosRest.Pending()) FlushDosRest();
  const auto key = std::make_pair(PrinterName, job.JobId);
  const auto found = waiting_.find(key);
  const std::optional<TWaitingJob> waited =
      found == waiting_.end() ? std::nullopt : std::optional<TWaitingJob>(found->second);
  // Handled again after it was left waiting: its lines are held until the round shows how it went, and
  // whatever is still held when the handling ends, however it ends, is written.
  holding_ = waited.has_value();
  struct TRelease {
    TPrintQuuee& queue;
    ~TRelease() { queue.ReleaseHeld(); }
  } release{*this};
  LogJob(job, file, 0);
  // The capture shows a job once, as the journal counts it once.
  if (!waited && system_.SplDebug()) {
    uint64_t size = 0;
    system_.FileSize(file, size);
    const std::string sizeText = FormatByteSize(static_cast<int64_t>(size));
    const size_t slash = file.find_last_of(u"\\/");
    system_.ShowSplCapture(file, job,
                           u"JobId=" + Num(job.JobId) + u"\r\nFile Name=" +
                               Quoted(slash == std::u16string::npos ? file : file.substr(slash + 1)) +
                               u"\r\nFile Size=" + std::u16string(sizeText.begin(), sizeText.end()) +
                               u"\r\nData Type=" + Quoted(job.Datatype) + u"\r\nDocument=" + Quoted(job.Document) +
                               u"\r\nMachine Name=" + Quoted(job.MachineName) + u"\r\nUser Name=" +
                               Quoted(job.UserName) + u"\r\n");
  }
  const uint32_t recordNo = waited ? waited->RecordNo : system_.AppendJournal(job);
  jobWait_.clear();
  const bool answer =
      windowsJob ? system_.ProcessEMF(*this, job.JobId, recordNo, job) : ProcessRAW(job.JobId, recordNo, job);
  if (jobWait_.empty()) {
    waiting_.erase(key);
    return answer;
  }
  // Waiting for the same reason as the last round says nothing new.
  if (waited && waited->Reason == jobWait_) DropHeld();
  waiting_[key] = TWaitingJob{recordNo, jobWait_};
  return answer;
}

TQueueJobs TPrintQuuee::GetQueueJobs(std::vector<_JOBINFO>& jobs) {
  jobs.clear();
  uint32_t count = 0;
  if (!system_.JobCount(count)) count = 1;
  if (count != 0) {
    // A kept part that ran out of time goes out even while other jobs keep coming.
    if (!DosRest.Pending() || DosRest.InTime(system_.TickCount())) {
      if (system_.ListJobs(0, count, jobs) && !jobs.empty()) {
        lastJobs_ = jobs;
        ForgetGoneJobs(jobs);
        return TQueueJobs::List;
      }
    }
  } else {
    ForgetGoneJobs(jobs);
  }
  if (!DosRest.Pending()) return count == 0 ? TQueueJobs::NoJobs : TQueueJobs::Stop;
  // An empty queue waits for the rest like a failed listing.
  if (DosRest.InTime(system_.TickCount())) {
    system_.Sleep(kBusyRetryMs);
    return TQueueJobs::WaitAgain;
  }
  LogAs(kQuueePrefix, "Timeout...");
  FlushDosRest();
  return TQueueJobs::Stop;
}

std::u16string TPrintQuuee::JobUser(const _JOBINFO& job) {
  return system_.TServer() || system_.AsService() ? job.UserName : system_.ListUser();
}

bool TPrintQuuee::FlushDosRest() {
  if (!DosRest.Pending()) return false;
  const TQuueeStatus rest = DosRest;
  DosRest.Clear();
  const std::u16string user = system_.TServer() ? rest.Job.UserName : system_.ListUser();
  const std::u16string dest = system_.PrintToOfUser(PrinterName, user, kPrintToDos);
  try {
    return PrintRAW(dest, rest.RestFile, true, rest.Job, rest.JobRecordNo);
  } catch (const std::exception&) {
    LogAs(kQuueePrefix, "Error in PrintRAWPage");
    return false;
  }
}

bool TPrintQuuee::OpenDestinationPrinter(const std::u16string& name) {
  if (destOpen_ && destName_ == name) return true;
  system_.CloseDestination();
  destOpen_ = false;
  uint32_t error = 0;
  if (system_.OpenDestination(name, error)) {
    destOpen_ = true;
    destName_ = name;
    DestinationUsable(name);
    return true;
  }
  Line(u"Printer Open Error: " + Quoted(name));
  if (FailureBoxDue(name, u"open")) system_.PrinterOpenErrorBox(name, error);
  system_.CloseDestination();
  return false;
}

bool TPrintQuuee::KeepDosPart(const std::u16string& file, const _JOBINFO& job, uint32_t jobRecordNo) {
  const std::u16string rest = system_.NewTempFileName();
  if (rest.empty() || !system_.CopyFileTo(file, rest)) {
    system_.FileWriteErrorBox(rest, 0);
    if (!rest.empty()) system_.DeleteFile(rest);
    return false;
  }
  DosRest.StartTick = system_.TickCount();
  DosRest.Wait = system_.JoinTimeOut();
  DosRest.RestSize = system_.RestSize();
  DosRest.Document = job.Document;
  DosRest.RestFile = rest;
  DosRest.Job = job;
  DosRest.JobRecordNo = jobRecordNo;
  LogAsW(kRawPrefix, u"Wait For rest, copy file to " + Quoted(rest));
  return true;
}

bool TPrintQuuee::JoinDosPart(const std::u16string& file, const std::u16string& dest) {
  LogAs(kRawPrefix, "Concatenate files...");
  const TQuueeStatus rest = DosRest;
  DosRest.Clear();
  const bool appended = system_.AppendFileTo(rest.RestFile, file);
  const bool printed = PrintRAW(dest, rest.RestFile, true, rest.Job, rest.JobRecordNo);
  return appended && printed;
}

bool TPrintQuuee::ProcessRAW(uint32_t jobId, uint32_t jobRecordNo, const _JOBINFO& job) {
  const std::u16string user = JobUser(job);
  // A printer without the DOS side passes raw jobs on to its Windows destination.
  const bool dosSide = system_.HasDosSide(PrinterName);
  const uint8_t kind = dosSide ? kPrintToDos : kPrintToWin;
  if (!system_.CheckPrintTo(PrinterName, user, kind)) {
    LogAsW(kRawPrefix, u"Printer " + Quoted(PrinterName) + u" Integrity error");
    JobWaits(PrinterName, u"integrity");
    if (FailureBoxDue(PrinterName, u"integrity"))
      system_.ErrorBox(u"Ошибка целостности данных конфигурации принтера " + Quoted(PrinterName));
    return false;
  }
  DestinationUsable(PrinterName);
  const std::u16string dest = system_.PrintToOfUser(PrinterName, user, kind);
  LogAsW(kRawPrefix, u"Print to=" + Quoted(dest));
  if (!system_.IsPrinterOfUser(PrinterName, user)) {
    LogAsW(kRawPrefix, u"Printer " + Quoted(PrinterName) + u" is not allowed for user " + Quoted(user));
    system_.CancelJob(jobId);
    return false;
  }
  system_.SetProgramTitle(u"Tevoran-Клиент для DOS");
  // No job is lost to a destination that cannot be opened: it stays queued for a later round.
  if (!OpenDestinationPrinter(dest)) {
    JobWaits(dest, u"open");
    return false;
  }
  JobProceeds();
  const std::u16string file = system_.SpoolFileName(jobId);
  if (!dosSide) {
    const bool sent = system_.SendRaw(file, false, job.Document);
    system_.CancelJob(jobId);
    return sent;
  }
  LogAsW(kRawPrefix, u"FileName=" + Quoted(file));
  bool answer = false;
  bool done = false;
  const uint32_t timeOut = system_.JoinTimeOut();
  const uint32_t now = system_.TickCount();
  // Parts are joined only where DOS printing is on: the joining wait is one of its settings, and only
  // with it is a printer given its DOS side.
  if (!DosRest.Pending() && (system_.Components() & kComponentDos) && job.Document == DosDocumentName() &&
      timeOut >= kMinJoinWaitMs) {
    answer = done = KeepDosPart(file, job, jobRecordNo);
  } else if (DosRest.Pending()) {
    uint64_t size = 0;
    if (job.Document == DosRest.Document && system_.FileSize(file, size) && size <= DosRest.RestSize &&
        DosRest.InTime(now)) {
      answer = JoinDosPart(file, dest);
      done = true;
    } else {
      FlushDosRest();
    }
  }
  if (!done) {
    DosRest.Clear();
    answer = PrintRAW(dest, file, false, job, jobRecordNo);
  }
  system_.CancelJob(jobId);
  return answer;
}

bool TPrintQuuee::PrintRAW(const std::u16string& dest, const std::u16string& file, bool deleteAfter,
                           const _JOBINFO& job, uint32_t jobRecordNo) {
  LogAsW(kPrintRawPrefix, u"FileName=" + Quoted(file));
  if (!system_.FileExists(file)) {
    LogAsW(kPrintRawPrefix, u"File Not Found: " + Quoted(file));
    system_.FileNotFoundBox(file);
    return false;
  }
  if (!OpenDestinationPrinter(dest)) {
    // The part kept for joining has no job left in the queue to come back to.
    if (deleteAfter) system_.DeleteFile(file);
    return false;
  }
  uint8_t status = kDosJobPrintAsIs;
  TDosCodeResultRec rec{};
  if (system_.Components() & (kComponentDos | kComponentCapture | kComponentDirectories)) {
    LogAs(kPrintRawPrefix, "Call \"CreateCode\"...");
    status = system_.EncodeDosJob(jobRecordNo, job, file, rec);
  }
  bool sent = false;
  if (status == kDosJobProgramError || status == kDosJobPrintAsIs) {
    LogAsW(kPrintRawPrefix, u"Print file: " + Quoted(file));
    sent = system_.SendRaw(file, deleteAfter, job.Document);
    LogAsW(kPrintRawPrefix, system_.PrintStatusText(sent));
  } else if (status == kDosJobCoded) {
    const std::u16string output = RecordFileName(rec);
    LogAsW(kPrintRawPrefix, u"Print file: " + Quoted(output));
    sent = system_.SendRaw(output, true, job.Document);
    LogAsW(kPrintRawPrefix, system_.PrintStatusText(sent));
    if (deleteAfter) system_.DeleteFile(file);
  } else if (deleteAfter) {
    system_.DeleteFile(file);  // cancelled: nothing printed, and no temporary file stays
  }
  return sent;
}
