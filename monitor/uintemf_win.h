// The queue processor's system on Windows: the virtual and destination printers through the spooler
// seam, the application's list, lock and events, spool and temporary files, and the boxes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cl_tools_app_win.h"
#include "foundation/lib_prn_printer_win.h"
#include "monitor/createcode.h"
#include "monitor/uintemf.h"

// The steps other units provide: a member left empty keeps the behaviour noted beside it.
struct TQueueSteps {
  // The DOS job coding; empty: the product's.
  std::function<uint8_t(uint32_t jobRecordNo, const _JOBINFO& job, const std::u16string& file,
                        TDosCodeResultRec& rec)>
      EncodeDosJob;
  // The DOS printing setup check of a printer; empty: the product's, with its boxes.
  std::function<bool(const std::u16string& printer)> CheckDosPrintingSetup;
  // A Windows job's page coding (TEmfJobQueue::CodePage's arguments); empty: the product's.
  std::function<uint8_t(uint32_t jobRecordNo, HENHMETAFILE& page, int32_t pageNo, HDC& dc, const _JOBINFO& job,
                        const std::u16string& printerName, std::vector<uint8_t>& devMode, TCodeResultRec& rec)>
      CodePage;
};

class TQueueSystemWin : public TQueueSystem {
 public:
  explicit TQueueSystemWin(TMonitorContext& context, TQueueSteps steps = {});

  uint32_t TickCount() override;
  void Sleep(uint32_t ms) override;
  bool IsWinNT() override;
  uint8_t Components() override;
  bool TServer() override;
  bool AsService() override;
  std::u16string ErrorText(uint32_t code) override;

  bool WaitStop(uint32_t waitMs) override;
  bool UpdateEventSet() override;
  void ResetUpdateEvent() override;
  int WaitUpdateOrStop(uint32_t waitMs) override;
  bool InstallLockExists() override;
  bool EnterSync() override;
  void LeaveSync() override;
  void ReloadPrinters() override;
  void PrintersChanged() override;

  std::u16string ListUser() override;
  bool PrinterExists(const std::u16string& name) override;
  bool PrinterListed(const std::u16string& name) override;
  bool HasDosSide(const std::u16string& name) override;
  bool IsPrinterOfUser(const std::u16string& name, const std::u16string& user) override;
  bool CheckPrintTo(const std::u16string& name, const std::u16string& user, uint8_t kind) override;
  std::u16string PrintToOfUser(const std::u16string& name, const std::u16string& user, uint8_t kind) override;
  bool CheckDosPrintingSetup(const std::u16string& name) override;
  void GrantEveryone(const std::u16string& name) override;
  uint32_t JoinTimeOut() override;
  uint32_t RestSize() override;
  bool SplDebug() override;

  bool OpenVirtual(const std::u16string& name, uint32_t& error) override;
  bool EnsureVirtualOpen(const std::u16string& name) override;
  void CloseVirtual() override;
  int32_t HoldQueue() override;
  bool CheckSpoolFormat() override;
  bool JobCount(uint32_t& count) override;
  bool ListJobs(uint32_t firstJob, uint32_t count, std::vector<_JOBINFO>& jobs) override;
  uint32_t CancelJob(uint32_t jobId) override;

  std::u16string SpoolFileName(uint32_t jobId) override;
  uint32_t CheckReadable(const std::u16string& file) override;
  bool FileExists(const std::u16string& file) override;
  bool FileSize(const std::u16string& file, uint64_t& size) override;
  bool IsNativeSpoolFile(const std::u16string& file) override;
  std::u16string NewTempFileName() override;
  bool CopyFileTo(const std::u16string& from, const std::u16string& to) override;
  bool AppendFileTo(const std::u16string& to, const std::u16string& from) override;
  void DeleteFile(const std::u16string& file) override;

  uint32_t AppendJournal(const _JOBINFO& job) override;
  void ShowSplCapture(const std::u16string& file, const _JOBINFO& job, const std::u16string& text) override;

  bool OpenDestination(const std::u16string& name, uint32_t& error) override;
  void CloseDestination() override;
  bool SendRaw(const std::u16string& file, bool deleteAfter, const std::u16string& document) override;
  uint8_t EncodeDosJob(uint32_t jobRecordNo, const _JOBINFO& job, const std::u16string& file,
                       TDosCodeResultRec& rec) override;
  bool ProcessEMF(TPrintQuuee& queue, uint32_t jobId, uint32_t jobRecordNo, const _JOBINFO& job) override;
  std::u16string PrintStatusText(bool ok) override;
  void SetProgramTitle(const std::u16string& title) override;

  void ErrorBox(const std::u16string& text) override;
  void PrinterOpenErrorBox(const std::u16string& printer, uint32_t error) override;
  void FileOpenErrorBox(const std::u16string& file, uint32_t error) override;
  void FileWriteErrorBox(const std::u16string& file, uint32_t error) override;
  void FileNotFoundBox(const std::u16string& file) override;

  const TQueueSteps& Steps() const { return steps_; }

  // The printers the queue works with.
  TPrinter DestPrinter;
  TPrinter VirtualPrinter;

 private:
  TClientApplication& App() { return *context_.App; }
  TPrinters& Printers() { return *context_.App->Printers; }

  TMonitorContext& context_;
  TQueueSteps steps_;
  DWORD holdError_ = 0;
};
