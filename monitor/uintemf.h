// The queue processor of the printer monitor: for one virtual printer at a time it opens the printer,
// keeps its queue paused, re-checks its configuration, walks its jobs, hands each finished job to the
// Windows job path or the raw path and joins the parts of a DOS job the spooler split. Every system
// call goes through TQueueSystem, so the decisions run and are tested without Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/lib_log.h"
#include "foundation/lib_prn.h"

// The DOS coding's result record (monitor/uintraw.h).
struct TDosCodeResultRec;

// The stop event is auto-reset: a wait that sees it consumes the signal, so whoever saw it first keeps
// it here for everyone else on the thread.
// A pause holds the workers at safe points instead: waitGate waits while they are paused and answers
// true when a stop ended that wait (no waitGate: never paused).
class TStopLatch {
 public:
  explicit TStopLatch(std::function<bool(uint32_t waitMs)> wait, std::function<bool()> waitGate = {})
      : wait_(std::move(wait)), waitGate_(std::move(waitGate)) {}
  // Waits up to waitMs unless a stop was already seen; true once a stop was seen.
  bool Wait(uint32_t waitMs) {
    if (!seen_ && wait_(waitMs)) seen_ = true;
    return seen_;
  }
  // A safe point: a stop test that also waits out a pause; true once a stop was seen.
  bool Gate() {
    if (!Wait(0) && waitGate_ && waitGate_()) seen_ = true;
    return seen_;
  }
  bool Seen() const { return seen_; }
  void Mark() { seen_ = true; }

 private:
  std::function<bool(uint32_t)> wait_;
  std::function<bool()> waitGate_;
  bool seen_ = false;
};

// Component mask bits.
inline constexpr uint8_t kComponentWin = 1;
inline constexpr uint8_t kComponentDos = 2;
inline constexpr uint8_t kComponentDirectories = 4;
inline constexpr uint8_t kComponentCapture = 8;

// Open states of a virtual printer.
inline constexpr uint8_t kOpenKnown = 0;
inline constexpr uint8_t kOpenAgain = 1;
inline constexpr uint8_t kOpenSilent = 2;
inline constexpr uint8_t kOpenLost = 3;
inline constexpr uint8_t kOpenOtherError = 4;
inline constexpr uint8_t kOpenAccessDenied = 5;

// Queue states of a virtual printer.
inline constexpr uint8_t kQueueUsable = 0;
inline constexpr uint8_t kQueueNoAccess = 1;
inline constexpr uint8_t kQueueOpenFailed = 2;
inline constexpr uint8_t kQueueIntegrityError = 8;
inline constexpr uint8_t kQueueFirstPass = 128;

// SetPrinterPause codes.
inline constexpr int32_t kPauseServe = 0;
inline constexpr int32_t kPauseUnusable = -2;
inline constexpr int32_t kPauseStop = -3;
inline constexpr int32_t kPauseIntegrity = -4;

inline constexpr char16_t kDosDocumentNameNT[] = u"No Document Name";
inline constexpr char16_t kDosDocumentName9x[] = u"DOS print job";
// Joining waits shorter than this never keep a part.
inline constexpr uint32_t kMinJoinWaitMs = 100;
inline constexpr uint32_t kBusyRetryMs = 256;

class TPrintQuuee;

// What the queue processor needs of the system.
class TQueueSystem {
 public:
  virtual ~TQueueSystem() = default;

  // Clock and platform.
  virtual uint32_t TickCount() = 0;
  virtual void Sleep(uint32_t ms) = 0;
  virtual bool IsWinNT() = 0;
  virtual uint8_t Components() = 0;
  virtual bool TServer() = 0;
  virtual bool AsService() = 0;
  virtual std::u16string ErrorText(uint32_t code) = 0;

  // The stop event: true when it was signalled within waitMs (consuming the signal).
  virtual bool WaitStop(uint32_t waitMs) = 0;
  // The update event, the installation lock and the application's list lock.
  virtual bool UpdateEventSet() = 0;
  virtual void ResetUpdateEvent() = 0;
  // Waits up to waitMs for the update or the stop event: 1 update, 2 stop, 0 neither.
  virtual int WaitUpdateOrStop(uint32_t waitMs) = 0;
  virtual bool InstallLockExists() = 0;
  virtual bool EnterSync() = 0;
  virtual void LeaveSync() = 0;
  virtual void ReloadPrinters() = 0;
  // The application's printer-list callback and the context's printers-changed byte.
  virtual void PrintersChanged() = 0;

  // The virtual printer list and configuration.
  virtual std::u16string ListUser() = 0;
  virtual bool PrinterExists(const std::u16string& name) = 0;
  // The system's printer list as the virtual printer list last read it.
  virtual bool PrinterListed(const std::u16string& name) = 0;
  virtual bool HasDosSide(const std::u16string& name) = 0;
  virtual bool IsPrinterOfUser(const std::u16string& name, const std::u16string& user) = 0;
  virtual bool CheckPrintTo(const std::u16string& name, const std::u16string& user, uint8_t kind) = 0;
  virtual std::u16string PrintToOfUser(const std::u16string& name, const std::u16string& user, uint8_t kind) = 0;
  virtual bool CheckDosPrintingSetup(const std::u16string& name) = 0;
  virtual void GrantEveryone(const std::u16string& name) = 0;
  // "TimeOut" of the DOS key (0 to 29999), "RestSize" (negative read as 0), "SPLDebug".
  virtual uint32_t JoinTimeOut() = 0;
  virtual uint32_t RestSize() = 0;
  virtual bool SplDebug() = 0;

  // The virtual printer's handle.
  virtual bool OpenVirtual(const std::u16string& name, uint32_t& error) = 0;
  virtual bool EnsureVirtualOpen(const std::u16string& name) = 0;
  virtual void CloseVirtual() = 0;
  // 0 paused, else what HoldPrinterQueue answered.
  virtual int32_t HoldQueue() = 0;
  virtual bool CheckSpoolFormat() = 0;
  // The queue's job count; false when it cannot be read.
  virtual bool JobCount(uint32_t& count) = 0;
  // The jobs from firstJob; false when listing failed or found none.
  virtual bool ListJobs(uint32_t firstJob, uint32_t count, std::vector<_JOBINFO>& jobs) = 0;
  // 0, or the error of the failed cancel.
  virtual uint32_t CancelJob(uint32_t jobId) = 0;

  // Spool and temporary files.
  virtual std::u16string SpoolFileName(uint32_t jobId) = 0;
  // 0 when the file can be opened for reading, else the system error code.
  virtual uint32_t CheckReadable(const std::u16string& file) = 0;
  virtual bool FileExists(const std::u16string& file) = 0;
  // The size of a file; false when it cannot be read.
  virtual bool FileSize(const std::u16string& file, uint64_t& size) = 0;
  virtual bool IsNativeSpoolFile(const std::u16string& file) = 0;
  virtual std::u16string NewTempFileName() = 0;
  virtual bool CopyFileTo(const std::u16string& from, const std::u16string& to) = 0;
  virtual bool AppendFileTo(const std::u16string& to, const std::u16string& from) = 0;
  virtual void DeleteFile(const std::u16string& file) = 0;

  // The journal's record number of a job (0 when the journal is off).
  virtual uint32_t AppendJournal(const _JOBINFO& job) = 0;
  // The capture of a spool file before its job is handled.
  virtual void ShowSplCapture(const std::u16string& file, const _JOBINFO& job, const std::u16string& text) = 0;

  // The destination printer.
  virtual bool OpenDestination(const std::u16string& name, uint32_t& error) = 0;
  virtual void CloseDestination() = 0;
  // The file sent unchanged as raw data to the open destination.
  virtual bool SendRaw(const std::u16string& file, bool deleteAfter, const std::u16string& document) = 0;
  virtual uint8_t EncodeDosJob(uint32_t jobRecordNo, const _JOBINFO& job, const std::u16string& file,
                               TDosCodeResultRec& rec) = 0;
  // The Windows job path; it reaches back into the queue for the destination and the pending DOS part.
  virtual bool ProcessEMF(TPrintQuuee& queue, uint32_t jobId, uint32_t jobRecordNo, const _JOBINFO& job) = 0;
  virtual std::u16string PrintStatusText(bool ok) = 0;
  virtual void SetProgramTitle(const std::u16string& title) = 0;

  // Boxes.
  virtual void ErrorBox(const std::u16string& text) = 0;
  virtual void PrinterOpenErrorBox(const std::u16string& printer, uint32_t error) = 0;
  virtual void FileOpenErrorBox(const std::u16string& file, uint32_t error) = 0;
  virtual void FileWriteErrorBox(const std::u16string& file, uint32_t error) = 0;
  virtual void FileNotFoundBox(const std::u16string& file) = 0;
};

// The pending first part of a split DOS job.
struct TQuueeStatus {
  uint32_t StartTick = 0;
  uint32_t Wait = 0;  // 0: nothing pending
  uint32_t RestSize = 0;
  std::u16string RestFile;
  std::u16string Document;
  // The kept part's job record and journal number, for printing it later.
  _JOBINFO Job;
  uint32_t JobRecordNo = 0;
  void Clear() { *this = TQuueeStatus(); }
  bool Pending() const { return Wait != 0; }
  // Within the wait, across the wrap of the tick counter.
  bool InTime(uint32_t now) const { return now - StartTick <= Wait; }
};

enum class TQueueJobs { NoJobs, Stop, WaitAgain, List };

// A job left in the queue for a later round: its journal record and why it waits.
struct TWaitingJob {
  uint32_t RecordNo = 0;
  std::u16string Reason;  // the printer and its failure, as FailureBoxDue names them
};

class TPrintQuuee {
 public:
  // log may be nil.
  TPrintQuuee(TQueueSystem& system, TStopLatch& stop, TLogFile* log);
  TPrintQuuee(const TPrintQuuee&) = delete;
  TPrintQuuee& operator=(const TPrintQuuee&) = delete;
  ~TPrintQuuee() { CloseAndFree(); }
  void CloseAndFree();

  bool OpenVirtualPrinter(const std::u16string& name, uint8_t& openState);
  void SetPrinterPause(int32_t& code, uint8_t& queueState, uint8_t& openState);
  bool ProcessQuuee(uint8_t& queueState);
  void CloseVirtualPrinter();

  TQueueJobs GetQueueJobs(std::vector<_JOBINFO>& jobs);
  bool ProcessRAW(uint32_t jobId, uint32_t jobRecordNo, const _JOBINFO& job);
  bool PrintRAW(const std::u16string& dest, const std::u16string& file, bool deleteAfter, const _JOBINFO& job,
                uint32_t jobRecordNo);
  bool OpenDestinationPrinter(const std::u16string& name);
  // The pending part printed alone on the DOS destination; false when nothing was printed.
  bool FlushDosRest();

  // The job's user when "TServer" is on or the program runs as a service, else the list's user.
  std::u16string JobUser(const _JOBINFO& job);
  // Boxes of failures that leave a job queued come once per printer (a destination, or the virtual
  // printer for its integrity) and failure, until the printer is usable again.
  bool FailureBoxDue(const std::u16string& printer, const std::u16string& failure);
  void DestinationUsable(const std::u16string& printer);

  // A job waiting for its printer keeps its journal record and logs its handling again only when a
  // round goes otherwise than the last: while it might still wait as before, its lines are held.
  // JobWaits: the job being handled stays queued for this failure of this printer (the destination,
  // or the virtual printer for its integrity).
  void JobWaits(const std::u16string& printer, const std::u16string& failure);
  // The job being handled is past every reason to wait: its held lines are written now.
  void JobProceeds();
  // The jobs of this printer left waiting, by job id.
  std::map<uint32_t, TWaitingJob> WaitingJobs() const;

  // The log lines: bare, and with a routine's prefix.
  void Line(std::u16string_view text);
  void LogAs(std::string_view prefix, std::string_view text);
  void LogAsW(std::string_view prefix, std::u16string_view text);

  bool Verbose = true;
  std::u16string PrinterName;
  TQuueeStatus DosRest;
  TLogFile* Log;

 private:
  enum class TUpdate { Skipped, Passed, Failed };
  TUpdate Update();
  bool Stopped() { return stop_.Wait(0); }
  std::u16string DosDocumentName() { return system_.IsWinNT() ? kDosDocumentNameNT : kDosDocumentName9x; }
  // One pass over a job list; false when the pass must end the call.
  void ServeJobs(const std::vector<_JOBINFO>& jobs, uint8_t& queueState, uint8_t remembered, bool& busy,
                 bool& accessDenied, bool& result, bool& handled);
  bool KeepDosPart(const std::u16string& file, const _JOBINFO& job, uint32_t jobRecordNo);
  bool JoinDosPart(const std::u16string& file, const std::u16string& dest);
  void LogJob(const _JOBINFO& job, const std::u16string& file, uint32_t error);
  // One readable job: captured, journaled and routed, or, when it was left waiting, routed again under
  // its record. The answer of its routing.
  bool ServeReadableJob(const _JOBINFO& job, const std::u16string& file);
  // Waiting jobs of this printer that are no longer in its queue are forgotten.
  void ForgetGoneJobs(const std::vector<_JOBINFO>& jobs);

  struct TLogLine {
    std::string Ansi;  // an 8-bit line, when Text is empty
    std::u16string Text;
  };
  void Write(TLogLine line);
  void ReleaseHeld();
  void DropHeld();

  // Per printer and job id, for the life of the monitor thread.
  std::map<std::pair<std::u16string, uint32_t>, TWaitingJob> waiting_;
  std::u16string jobWait_;  // the reason the job being handled waits; empty when it does not
  bool holding_ = false;
  std::vector<TLogLine> held_;  // the lines of one job's handling at most

  TQueueSystem& system_;
  TStopLatch& stop_;
  std::vector<_JOBINFO> lastJobs_;
  std::set<uint32_t> handledJobs_;  // this call's: a job left queued waits for a later round
  std::set<std::u16string> failures_;
  std::u16string destName_;
  bool destOpen_ = false;
};
