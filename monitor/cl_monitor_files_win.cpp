// The capture and directory monitor threads: change notifications, searches, share modes and the DOS job
// coding of monitor/uintraw_win around the rules of cl_monitor_files.
#include "monitor/cl_monitor_files_win.h"

#include <exception>
#include <mutex>
#include <string>

#include "coding/cl_macrolib_docparam.h"
#include "foundation/cl_tools_cfgkey.h"
#include "foundation/cl_tools_cfgkey_win.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_api.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_prn_journal_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_process_win.h"
#include "monitor/cl_monitor_win.h"
#include "monitor/uintraw_win.h"

namespace {

constexpr std::u16string_view kFileJobDocument = u"Tevoran-Клиент: Документ";

std::mutex gStepsLock;
TFileMonitorSteps gSteps;

TFileMonitorSteps Steps() {
  std::lock_guard<std::mutex> guard(gStepsLock);
  return gSteps;
}

struct TChangeTraits : TFindHandleTraits {
  static void Close(HANDLE h) { FindCloseChangeNotification(h); }
};
using TChangeHandle = TOwned<TChangeTraits>;

uint64_t FileTimeValue(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }
uint64_t SizeValue(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

void AddLog(TLogFile* log, std::u16string_view prefix, std::u16string_view text) {
  if (log) log->AddWide(std::u16string(prefix) + std::u16string(text));
}

uint32_t TimeOutMs() { return static_cast<uint32_t>(GetTimeOut(MachineSettingsStore(), ActiveConfigKey())); }

// The watched directory on the system; the listing through the wide or the 8-bit search.
class TWatchedDirWin : public TWatchedDirHost {
 public:
  TWatchedDirWin(TWatchedScan& scan, bool wide) : scan_(scan), wide_(wide) {}

  std::vector<TWatchedFile> List(const std::u16string& dir, const std::u16string& mask) override {
    const std::u16string base = IncludeTrailingPathDelimiterW(dir);
    return wide_ ? ListW(base, mask) : ListA(base, mask);
  }
  bool IsReady(const std::u16string& name) override {
    // Write sharing refused: a writer that still holds the file makes the open fail.
    const TFileHandle file(CreateFileUni(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING));
    return file.Valid();
  }
  bool Process(const std::u16string& name, int32_t mode, const std::u16string& archiveDir) override {
    uint32_t recordNo = 0;
    const _JOBINFO job = FileJobInfo(scan_.App, recordNo);
    if (mode == kWatchArchive)
      return CopyAndProcessDosFile(scan_.App, name, archiveDir, kDosFromDirectory, &job, recordNo);
    return ProcessDosFile(scan_.App, name, mode == kWatchReadOnly, kDosFromDirectory, &job, recordNo);
  }
  std::optional<TWatchedFile> Stat(const std::u16string& name) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const BOOL ok = wide_ ? GetFileAttributesExW(WStr(name), GetFileExInfoStandard, &data)
                          : GetFileAttributesExA(WideToAnsi(name).c_str(), GetFileExInfoStandard, &data);
    if (!ok) return std::nullopt;
    return TWatchedFile{name, SizeValue(data.nFileSizeHigh, data.nFileSizeLow), FileTimeValue(data.ftLastWriteTime),
                        data.dwFileAttributes};
  }
  // Between files: also where a pause holds the scan.
  bool StopSeen() override { return scan_.Stop.Gate(); }
  void Log(std::u16string_view text) override { AddLog(scan_.Log, u"--> DirMonitor: ", text); }

 private:
  static std::vector<TWatchedFile> ListW(const std::u16string& base, const std::u16string& mask) {
    std::vector<TWatchedFile> files;
    TSearchRecW rec;
    for (DWORD r = FindFirstW(base + mask, faArchive, rec); r == 0; r = FindNextW(rec)) {
      const WIN32_FIND_DATAW& d = rec.FindData;
      files.push_back({base + rec.Name, SizeValue(d.nFileSizeHigh, d.nFileSizeLow), FileTimeValue(d.ftLastWriteTime),
                       d.dwFileAttributes});
    }
    FindCloseW(rec);
    return files;
  }
  static std::vector<TWatchedFile> ListA(const std::u16string& base, const std::u16string& mask) {
    std::vector<TWatchedFile> files;
    WIN32_FIND_DATAA d{};
    const TFindHandle search(FindFirstFileA(WideToAnsi(base + mask).c_str(), &d));
    if (!search) return files;
    do {
      // The wide search leaves these out by its attributes; the 8-bit one lists everything.
      if (d.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
      files.push_back({base + AnsiToWide(d.cFileName), SizeValue(d.nFileSizeHigh, d.nFileSizeLow),
                       FileTimeValue(d.ftLastWriteTime), d.dwFileAttributes});
    } while (FindNextFileA(search.Get(), &d));
    return files;
  }

  TWatchedScan& scan_;
  bool wide_;
};

// The capture file's waits: the stop event and the directory's change notification.
class TCaptureWatchWin : public TCaptureHost {
 public:
  TCaptureWatchWin(std::u16string file, HANDLE change, HANDLE stopEvent, TStopLatch& stop)
      : file_(std::move(file)), change_(change), stopEvent_(stopEvent), stop_(stop) {}
  int64_t CaptureSize() override { return GetFileSizeByName(file_); }
  TCaptureWait WaitChange(uint32_t ms) override {
    if (stop_.Seen()) return TCaptureWait::Stop;
    const HANDLE handles[2] = {stopEvent_, change_};
    const DWORD r = WaitForMultipleObjects(2, handles, FALSE, ms == kNoLimit ? INFINITE : ms);
    if (r == WAIT_OBJECT_0) {
      stop_.Mark();
      return TCaptureWait::Stop;
    }
    if (r == WAIT_OBJECT_0 + 1) return FindNextChangeNotification(change_) ? TCaptureWait::Change : TCaptureWait::Failed;
    return r == WAIT_TIMEOUT ? TCaptureWait::TimeOut : TCaptureWait::Failed;
  }

 private:
  std::u16string file_;
  HANDLE change_;
  HANDLE stopEvent_;
  TStopLatch& stop_;
};

// The spool directory, created when missing; empty (after the box) when it cannot be.
std::u16string CaptureDirectory() {
  const TFileMonitorSteps steps = Steps();
  const std::u16string dir = steps.SpoolDir ? steps.SpoolDir() : GetProgramSpoolDir();
  try {
    if (!dir.empty() && (DirPresent(dir) || (ForceDirectoriesW(dir) && DirPresent(dir)))) return dir;
  } catch (const std::exception&) {
  }
  ShowErrorMsg(QuotedNameText(u"Каталог не найден: ", dir) + u".");
  return {};
}

// A capture that is still there after its processing was not sent (or not deleted): the next capture
// would replace it, so it moves to a free name and waits for a person.
void ProcessAndKeep(TClientApplication& app, const std::u16string& dir, const std::u16string& raw, TLogFile* log) {
  const bool sent = ProcessCaptureFile(app, raw);
  if (!FilePresent(raw)) return;
  const std::u16string kept = FreeCaptureName(dir, [](const std::u16string& name) { return FilePresent(name); });
  const std::u16string why = sent ? u"Файл печати не удален, " : u"Файл печати не напечатан, ";
  if (!kept.empty() && MoveFileReplace(raw, kept)) {
    AddLog(log, u"--> CaptureMonitor: ", why + u"сохранен как " + Quoted(kept));
  } else {
    AddLog(log, u"--> CaptureMonitor: ", why + u"его нельзя сохранить: " + Quoted(raw));
  }
}

// The rounds until a stop (true) or an end for a failure (false).
bool CaptureRounds(TMonitorContext& ctx, TStopLatch& stop) {
  TClientApplication& app = *ctx.App;
  while (!stop.Gate()) {
    const std::u16string dir = CaptureDirectory();
    if (dir.empty()) return false;
    const std::u16string spl = dir + u"\\" + std::u16string(kCaptureFileName);
    const std::u16string raw = dir + u"\\" + std::u16string(kCaptureWorkName);
    if (FilePresent(raw)) ProcessAndKeep(app, dir, raw, ctx.Log);
    if (stop.Wait(0)) break;
    TChangeHandle change(WatchDirectory(dir));
    if (!change) {
      ShowErrorMsgA(WideToAnsi(u"Ошибка инициализации монитора файлов печати."));
      return false;
    }
    TCaptureWatchWin watch(spl, change.Get(), ctx.StopEvent.Get(), stop);
    const TCaptureWait rest = WaitCaptureRest(watch, TimeOutMs());
    if (rest == TCaptureWait::Stop) break;
    if (rest == TCaptureWait::Failed) {
      AddLog(ctx.Log, u"--> CaptureMonitor: ", u"Ошибка ожидания: " + AnsiToWide(std::to_string(GetLastError())));
      return false;
    }
    change.Reset();
    if (stop.Gate()) break;
    // A writer that still holds the file makes the rename fail; the next round tries again.
    if (GetFileSizeByName(spl) > 0 && MoveFileReplace(spl, raw)) ProcessAndKeep(app, dir, raw, ctx.Log);
  }
  return true;
}

void DirRound(TMonitorContext& ctx, TRememberedFiles& remembered, TStopLatch& stop) {
  const TSettingsStore& store = MachineSettingsStore();
  if (GetIsMonit(store) != 2) return;
  const std::u16string dir = GetMonitorDir(store);
  const TWatchedDirMode mode = ParseMonitDirEx(GetMonitDirEx(store));
  if (dir.empty() || !DirPresent(dir)) return;
  TWatchedScan scan{*ctx.App, remembered, stop, ctx.Log};
  remembered.BeginRound();
  const bool wide = !IsWin9x();
  for (const std::u16string& mask : SplitMonitorMasks(GetMonitorMask(store))) {
    const bool scanned = wide ? ScanWatchedDirW(scan, mask, dir, mode.ArchiveDir, mode.Mode)
                              : ScanWatchedDirA(scan, mask, dir, mode.ArchiveDir, mode.Mode);
    if (!scanned) return;
  }
  remembered.EndRound();
}

TMonitorContext* UsableContext(LPVOID argument) {
  auto* context = static_cast<TMonitorContext*>(argument);
  if (context == nullptr || context->App == nullptr || !context->StopEvent) return nullptr;
  return context;
}

}  // namespace

void SetFileMonitorSteps(TFileMonitorSteps steps) {
  std::lock_guard<std::mutex> guard(gStepsLock);
  gSteps = std::move(steps);
}

_JOBINFO FileJobInfo(TClientApplication& app, uint32_t& recordNo) {
  std::u16string printer;
  if (app.Printers) app.Printers->GetPrintTo(u"", printer, kDosFromCapture);
  _JOBINFO job = LocalJobInfo(kFileJobDocument, printer);
  recordNo = app.JournalEnabled && app.PrintJournal ? app.PrintJournal->AppendJob(job) : 0;
  return job;
}

bool ProcessCaptureFile(TClientApplication& app, const std::u16string& rawFile) {
  uint32_t recordNo = 0;
  const _JOBINFO job = FileJobInfo(app, recordNo);
  return ProcessDosFile(app, rawFile, false, kDosFromCapture, &job, recordNo);
}

bool ScanWatchedDirW(TWatchedScan& scan, const std::u16string& mask, const std::u16string& dir,
                     const std::u16string& archiveDir, int32_t mode) {
  TWatchedDirWin host(scan, true);
  return ScanWatchedDir(host, scan.Remembered, dir, mask, archiveDir, mode);
}

bool ScanWatchedDirA(TWatchedScan& scan, const std::u16string& mask, const std::u16string& dir,
                     const std::u16string& archiveDir, int32_t mode) {
  TWatchedDirWin host(scan, false);
  return ScanWatchedDir(host, scan.Remembered, dir, mask, archiveDir, mode);
}

DWORD WINAPI CaptureMonitorThread(LPVOID argument) {
  TMonitorContext* context = UsableContext(argument);
  if (context == nullptr) return 1;
  TMonitorContext& ctx = *context;
  // The stop event is not reset: a stop signalled before the thread ran still counts.
  TStopLatch stop = ContextStopLatch(ctx);
  const bool service = ctx.App->ServiceMode;
  bool abnormal = false;
  try {
    if (ctx.Log) {
      ctx.Log->ReportStarted(service);
      ctx.Log->ReportDebugInfo();
    }
    if (ctx.CaptureReadyEvent) SetEvent(ctx.CaptureReadyEvent.Get());
    abnormal = !CaptureRounds(ctx, stop);
  } catch (...) {
    abnormal = true;
  }
  if (ctx.Log) ctx.Log->ReportClosed(abnormal, service);
  // The other monitor threads and the stopper may still be waiting for the signal this one consumed.
  if (stop.Seen()) SetEvent(ctx.StopEvent.Get());
  return abnormal ? 1 : 0;
}

DWORD WINAPI DirMonitorThread(LPVOID argument) {
  TMonitorContext* context = UsableContext(argument);
  if (context == nullptr) return 1;
  TMonitorContext& ctx = *context;
  TStopLatch stop = ContextStopLatch(ctx);
  bool abnormal = false;
  try {
    TRememberedFiles remembered;
    // Settings are read every round, so that the watched-directory dialog takes effect at once.
    while (!stop.Gate()) {
      DirRound(ctx, remembered, stop);
      if (stop.Wait(TimeOutMs())) break;
    }
  } catch (...) {
    abnormal = true;
  }
  if (stop.Seen()) SetEvent(ctx.StopEvent.Get());
  return abnormal ? 1 : 0;
}
