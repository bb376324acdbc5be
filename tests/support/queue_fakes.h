// A queue, clock, spooler and destination kept in memory for the queue processor and the monitor's
// rounds: files are byte strings by name, sleeping moves the clock, and every box, send and cancel is
// recorded.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/lib_unicode.h"
#include "monitor/uintemf.h"
#include "monitor/uintraw.h"

class TFakeQueueSystem : public TQueueSystem {
 public:
  struct TSent {
    std::u16string Destination;
    std::string Bytes;
    std::u16string Document;
  };

  static constexpr int kStopTestLimit = 100000;

  // The clock.
  uint32_t Now = 1000;
  bool WinNT = true;
  uint8_t Mask = kComponentDos;
  bool IsTServer = false;
  bool IsAsService = false;
  // Stop signals: each true is one signal, consumed by one wait.
  int StopSignals = 0;
  // Called on each stop test with the count of tests so far; may add signals.
  std::function<void(int)> OnStopTest;
  int StopTests = 0;
  bool UpdateSet = false;
  bool InstallLock = false;
  bool SyncBusy = false;
  int Reloads = 0;
  int Changed = 0;
  std::function<void()> OnReload;

  // The printers.
  std::set<std::u16string> Existing{u"Virt"};
  std::set<std::u16string> Listed{u"Virt"};
  std::set<std::u16string> DosSide{u"Virt"};
  std::set<std::u16string> IntegrityFails;
  std::set<std::u16string> NotOfUser;
  std::map<std::u16string, uint32_t> OpenErrors;  // virtual printer name -> error
  std::map<std::u16string, uint32_t> DestErrors;  // destination name -> error
  std::u16string DosDest = u"DosDest";
  std::u16string WinDest = u"WinDest";
  uint32_t TimeOut = 2000;
  uint32_t Rest = 511;
  bool SplDebugOn = false;
  bool DosSetupOk = true;
  bool SpoolFormatOk = true;
  int HoldAnswer = 0;

  // The queue: jobs in spooler order with their spool files.
  std::vector<_JOBINFO> Jobs;
  std::map<std::u16string, std::string> Files;
  // Read checks answering an error once per entry, by file.
  std::map<std::u16string, std::deque<uint32_t>> ReadErrors;
  uint32_t CancelError = 0;
  bool ListFails = false;
  uint8_t EncodeStatus = kDosJobPrintAsIs;

  std::vector<std::u16string> Boxes;
  std::vector<TSent> Sent;
  std::vector<uint32_t> Cancelled;
  std::vector<uint32_t> EmfJobs;
  std::vector<std::u16string> Captures;
  std::u16string VirtualOpen;
  std::u16string DestOpen;
  int TempCount = 0;
  int Sleeps = 0;
  std::function<void(int)> OnSleep;

  uint32_t AddJob(const std::u16string& document, const std::string& bytes, uint32_t status = 0) {
    _JOBINFO job;
    job.JobId = nextId_++;
    job.Document = document;
    job.PrinterName = u"Virt";
    job.UserName = u"user";
    job.StatusCode = status;
    Jobs.push_back(job);
    Files[SpoolFileName(job.JobId)] = bytes;
    return job.JobId;
  }
  std::string Printed() const {
    std::string all;
    for (const auto& s : Sent) all += s.Bytes;
    return all;
  }
  size_t TempFilesLeft() const {
    size_t n = 0;
    for (const auto& [name, bytes] : Files)
      if (name.starts_with(u"TMP")) ++n;
    return n;
  }

  uint32_t TickCount() override { return Now; }
  void Sleep(uint32_t ms) override {
    ++Sleeps;
    Now += ms;
    if (OnSleep) OnSleep(Sleeps);
  }
  bool IsWinNT() override { return WinNT; }
  uint8_t Components() override { return Mask; }
  bool TServer() override { return IsTServer; }
  bool AsService() override { return IsAsService; }
  std::u16string ErrorText(uint32_t code) override {
    const std::string t = "error " + std::to_string(code);
    return std::u16string(t.begin(), t.end());
  }
  bool WaitStop(uint32_t waitMs) override {
    ++StopTests;
    if (OnStopTest) OnStopTest(StopTests);
    // A test whose own stop never comes still ends.
    if (StopTests > kStopTestLimit) return true;
    if (StopSignals > 0) {
      --StopSignals;
      return true;
    }
    Now += waitMs;
    return false;
  }
  bool UpdateEventSet() override { return UpdateSet; }
  void ResetUpdateEvent() override { UpdateSet = false; }
  int WaitUpdateOrStop(uint32_t waitMs) override {
    if (UpdateSet) return 1;
    if (StopSignals > 0) {
      --StopSignals;
      return 2;
    }
    Now += waitMs;
    return 0;
  }
  bool InstallLockExists() override { return InstallLock; }
  bool EnterSync() override { return !SyncBusy; }
  void LeaveSync() override {}
  void ReloadPrinters() override {
    ++Reloads;
    if (OnReload) OnReload();
  }
  void PrintersChanged() override { ++Changed; }

  std::u16string ListUser() override { return u"user"; }
  bool PrinterExists(const std::u16string& name) override { return Existing.count(name) != 0; }
  bool PrinterListed(const std::u16string& name) override { return Listed.count(name) != 0; }
  bool HasDosSide(const std::u16string& name) override { return DosSide.count(name) != 0; }
  bool IsPrinterOfUser(const std::u16string& name, const std::u16string&) override {
    return NotOfUser.count(name) == 0;
  }
  bool CheckPrintTo(const std::u16string& name, const std::u16string&, uint8_t) override {
    return IntegrityFails.count(name) == 0;
  }
  std::u16string PrintToOfUser(const std::u16string&, const std::u16string&, uint8_t kind) override {
    return kind == 2 ? DosDest : WinDest;
  }
  bool CheckDosPrintingSetup(const std::u16string&) override { return DosSetupOk; }
  void GrantEveryone(const std::u16string& name) override { Granted.push_back(name); }
  uint32_t JoinTimeOut() override { return TimeOut; }
  uint32_t RestSize() override { return Rest; }
  bool SplDebug() override { return SplDebugOn; }

  bool OpenVirtual(const std::u16string& name, uint32_t& error) override {
    auto it = OpenErrors.find(name);
    if (it != OpenErrors.end()) {
      error = it->second;
      return false;
    }
    if (!Existing.count(name)) {
      error = 1801;
      return false;
    }
    VirtualOpen = name;
    OpenedPrinters.push_back(name);
    return true;
  }
  bool EnsureVirtualOpen(const std::u16string& name) override { return VirtualOpen == name && Existing.count(name); }
  void CloseVirtual() override { VirtualOpen.clear(); }
  int32_t HoldQueue() override {
    ++Holds;
    return HoldAnswer;
  }
  bool CheckSpoolFormat() override { return SpoolFormatOk; }
  bool JobCount(uint32_t& count) override {
    count = static_cast<uint32_t>(Jobs.size());
    return true;
  }
  bool ListJobs(uint32_t firstJob, uint32_t, std::vector<_JOBINFO>& jobs) override {
    ++Listings;
    if (ListFails) return false;
    jobs.assign(Jobs.begin() + std::min<size_t>(firstJob, Jobs.size()), Jobs.end());
    return !jobs.empty();
  }
  uint32_t CancelJob(uint32_t jobId) override {
    if (CancelError) return CancelError;
    Cancelled.push_back(jobId);
    std::erase_if(Jobs, [&](const _JOBINFO& j) { return j.JobId == jobId; });
    Files.erase(SpoolFileName(jobId));
    return 0;
  }

  std::u16string SpoolFileName(uint32_t jobId) override {
    const std::string t = "SPOOL\\" + std::to_string(jobId) + ".spl";
    return std::u16string(t.begin(), t.end());
  }
  uint32_t CheckReadable(const std::u16string& file) override {
    auto it = ReadErrors.find(file);
    if (it != ReadErrors.end() && !it->second.empty()) {
      const uint32_t e = it->second.front();
      if (it->second.size() > 1) it->second.pop_front();
      return e;
    }
    return Files.count(file) ? 0 : 2;
  }
  bool FileExists(const std::u16string& file) override { return Files.count(file) != 0; }
  bool FileSize(const std::u16string& file, uint64_t& size) override {
    auto it = Files.find(file);
    if (it == Files.end()) return false;
    size = it->second.size();
    return true;
  }
  bool IsNativeSpoolFile(const std::u16string& file) override { return Files[file].starts_with("EMF"); }
  std::u16string NewTempFileName() override {
    const std::string t = "TMP" + std::to_string(++TempCount);
    return std::u16string(t.begin(), t.end());
  }
  bool CopyFileTo(const std::u16string& from, const std::u16string& to) override {
    if (!Files.count(from) || CopyFails) return false;
    Files[to] = Files[from];
    return true;
  }
  bool AppendFileTo(const std::u16string& to, const std::u16string& from) override {
    if (!Files.count(from) || !Files.count(to)) return false;
    Files[to] += Files[from];
    return true;
  }
  void DeleteFile(const std::u16string& file) override { Files.erase(file); }

  uint32_t AppendJournal(const _JOBINFO& job) override {
    Journaled.push_back(job);
    return Journal ? ++JournalNo : 0;
  }
  void ShowSplCapture(const std::u16string&, const _JOBINFO&, const std::u16string& text) override {
    Captures.push_back(text);
  }

  bool OpenDestination(const std::u16string& name, uint32_t& error) override {
    auto it = DestErrors.find(name);
    if (it != DestErrors.end() || name.empty()) {
      error = name.empty() ? 1801 : it->second;
      return false;
    }
    DestOpen = name;
    return true;
  }
  void CloseDestination() override { DestOpen.clear(); }
  bool SendRaw(const std::u16string& file, bool deleteAfter, const std::u16string& document) override {
    if (DestOpen.empty() || !Files.count(file)) return false;
    Sent.push_back({DestOpen, Files[file], document});
    if (deleteAfter) Files.erase(file);
    return true;
  }
  uint8_t EncodeDosJob(uint32_t jobRecordNo, const _JOBINFO&, const std::u16string& file,
                       TDosCodeResultRec& rec) override {
    ++Encoded;
    RecordNos.push_back(jobRecordNo);
    if (EncodeStatus == kDosJobCoded) {
      Files[u"TMPcoded"] = "CODED:" + Files[file];
      const std::u16string name = u"TMPcoded";
      std::copy(name.begin(), name.end(), rec.OutputFile);
    }
    return EncodeStatus;
  }
  // A Windows destination in DestErrors leaves the job queued, as the Windows path does.
  bool ProcessEMF(TPrintQuuee& queue, uint32_t jobId, uint32_t jobRecordNo, const _JOBINFO&) override {
    if (DestErrors.count(WinDest)) {
      queue.Line(u"Printer Open Error: \"" + WinDest + u"\"");
      if (queue.FailureBoxDue(WinDest, u"open")) Boxes.push_back(u"open " + WinDest);
      queue.JobWaits(WinDest, u"open");
      return false;
    }
    queue.JobProceeds();
    queue.DestinationUsable(WinDest);
    RecordNos.push_back(jobRecordNo);
    EmfJobs.push_back(jobId);
    CancelJob(jobId);
    return true;
  }
  std::u16string PrintStatusText(bool ok) override { return ok ? u"status Ok" : u"status Error"; }
  void SetProgramTitle(const std::u16string&) override {}

  void ErrorBox(const std::u16string& text) override { Boxes.push_back(text); }
  void PrinterOpenErrorBox(const std::u16string& printer, uint32_t) override { Boxes.push_back(u"open " + printer); }
  void FileOpenErrorBox(const std::u16string& file, uint32_t error) override {
    Boxes.push_back(u"file " + file + u" " + ErrorText(error));
  }
  void FileWriteErrorBox(const std::u16string& file, uint32_t) override { Boxes.push_back(u"write " + file); }
  void FileNotFoundBox(const std::u16string& file) override { Boxes.push_back(u"missing " + file); }

  std::vector<std::u16string> Granted;
  std::vector<std::u16string> OpenedPrinters;
  int Holds = 0;
  int Listings = 0;
  int Encoded = 0;
  bool CopyFails = false;
  bool Journal = false;
  uint32_t JournalNo = 0;
  std::vector<_JOBINFO> Journaled;
  // The journal record each coded or printed job came with.
  std::vector<uint32_t> RecordNos;

 private:
  uint32_t nextId_ = 7;
};
