#include "monitor/cl_monitor_start_win.h"

#include <optional>
#include <string>

#include "foundation/cl_tools_cfgcheck.h"
#include "foundation/cl_tools_cfgcheck_win.h"
#include "foundation/cl_tools_cfgkey.h"
#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_config_win.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_api.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_log_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_security_win.h"
#include "foundation/lib_str_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_svc_win.h"
#include "foundation/os_win32_win.h"
#include "monitor/cl_monitor_files_win.h"
#include "monitor/cl_monitor_start.h"
#include "monitor/cl_monitor_win.h"

namespace {

const std::u16string kKavrelKey = u"Software\\Kavrel";

TMonitorRunSteps& Steps() {
  static TMonitorRunSteps steps;
  return steps;
}

LPTHREAD_START_ROUTINE ThreadOr(LPTHREAD_START_ROUTINE chosen, LPTHREAD_START_ROUTINE product) {
  return chosen ? chosen : product;
}

void AddLog(TMonitorContext& ctx, std::string_view text) {
  if (ctx.Log) ctx.Log->Add(text);
}

// A directory this run made is opened to everyone; one that existed (any path a user typed) keeps
// its permissions.
void PrepareDirectory(const std::u16string& path) {
  if (DirectoryExistsW(path)) return;
  if (ForceDirectoriesW(path)) OpenFileAclToEveryone(path);
}

void PrepareFirstSpoolDir(TClientApplication& app) {
  std::u16string printer;
  app.Printers->GetFirstPrinter(printer);
  if (printer.empty()) return;
  std::u16string dir;
  GetSpoolDirectory(printer, dir);
  if (dir.empty()) return;
  ForceDirectoriesW(dir);
  OpenFileAclToEveryone(dir);
}

bool CheckSides(uint8_t mask, bool winOrDos, bool fileSource) {
  for (uint8_t side : MonitorConfigChecks(mask, winOrDos, fileSource)) {
    if (!CheckConfiguration(side, false, true)) return false;
  }
  return true;
}

HANDLE NewEvent(bool manualReset, bool signalled) { return CreateEventW(nullptr, manualReset, signalled, nullptr); }

void CreateContextEvents(TMonitorContext& ctx) {
  ctx.StopEvent.Reset(NewEvent(false, false));
  ctx.SpareEvent.Reset(NewEvent(true, true));
  ctx.PrinterReadyEvent.Reset(NewEvent(true, true));
  ctx.CaptureReadyEvent.Reset(NewEvent(true, true));
  ctx.RunGate.Reset(NewEvent(true, true));
}

void CloseContextEvents(TMonitorContext& ctx) {
  ctx.StopEvent.Reset();
  ctx.SpareEvent.Reset();
  ctx.PrinterReadyEvent.Reset();
  ctx.CaptureReadyEvent.Reset();
  ctx.RunGate.Reset();
}

void LogRunFlags(TClientApplication& app, bool tServer) {
  std::u16string user;
  GetCurrentUserName(user);
  const std::string line = "UserName=" + WideToAnsi(user) + ";DisableGUI=" + std::to_string(GetDisableGUI() ? 1 : 0) +
                           ";ModeMonitor=" + std::to_string(app.ModeMonitor ? 1 : 0) +
                           ";ServiceMode=" + std::to_string(app.ServiceMode ? 1 : 0) +
                           ";AsService=" + std::to_string(app.AsService ? 1 : 0) +
                           ";ServInstalled=" + std::to_string(IsMonitServiceInstalled() ? 1 : 0) +
                           ";TerminalMode=" + std::to_string(tServer ? 1 : 0);
  AddLog(app.Context, line);
}

// The threads of the plan; false when neither the printer nor the capture monitor runs.
bool StartWorkers(TClientApplication& app, const TMonitorThreadPlan& plan, bool waitCapture) {
  TMonitorContext& ctx = app.Context;
  const TMonitorRunSteps& steps = Steps();
  if (plan.Directory &&
      !StartThread(ThreadOr(steps.DirectoryThread, DirMonitorThread), &ctx, ctx.DirectoryThreadId, false,
                   ctx.DirectoryThread)) {
    ShowErrorMsgA(WideToAnsi(u"Ошибка инициализации монитора файлов печати."));
  }
  bool printer = false;
  bool capture = false;
  if (plan.Printer) {
    ResetEvent(ctx.PrinterReadyEvent.Get());
    printer = StartThread(ThreadOr(steps.PrinterThread, PrinterMonitorThread), &ctx, ctx.PrinterThreadId, true,
                          ctx.PrinterThread);
  }
  if (plan.Capture) {
    ResetEvent(ctx.CaptureReadyEvent.Get());
    capture = StartThread(ThreadOr(steps.CaptureThread, CaptureMonitorThread), &ctx, ctx.CaptureThreadId, false,
                          ctx.CaptureThread);
    if (capture && waitCapture) WaitForSingleObject(ctx.CaptureReadyEvent.Get(), 1000);
  }
  return printer || capture;
}

// The stop protocol for each worker that still runs; false when one of them outlived it.
bool StopWorkers(TMonitorContext& ctx) {
  // A paused worker must reach its stop check.
  if (ctx.RunGate) SetEvent(ctx.RunGate.Get());
  struct TWorker {
    TKernelHandle& Thread;
    DWORD Id;
    uint32_t PauseMs;
    const char* Name;
  };
  const TWorker workers[] = {
      {ctx.PrinterThread, ctx.PrinterThreadId, kStopPausePrinterMs, "printer monitor"},
      {ctx.CaptureThread, ctx.CaptureThreadId, kStopPauseCaptureMs, "capture monitor"},
      {ctx.DirectoryThread, ctx.DirectoryThreadId, kStopPauseDirectoryMs, "directory monitor"},
  };
  bool all = true;
  for (const TWorker& w : workers) {
    if (!w.Thread) continue;
    // A thread created suspended and never resumed (the window or service failed first) cannot see
    // the stop event.
    while (ResumeThread(w.Thread.Get()) > 1) {
    }
    if (!StopThread(ctx.StopEvent.Get(), w.Id, w.Thread, w.PauseMs)) {
      AddLog(ctx, std::string("Monitor: the ") + w.Name + " thread did not stop; the process ends");
      all = false;
    }
  }
  return all;
}

enum class TRunKind { Monitor, QueueMonitor, ServiceStartFailed };

void RunMonitorAs(TRunKind kind) {
  TAppInUse app;
  TMonitorContext& ctx = app->Context;
  TSettingsStore& store = MachineSettingsStore();
  TMonitorRunFacts facts;
  facts.QueueMonitor = kind != TRunKind::Monitor;
  facts.TServer = GetTServer(store, IsTerminalServer());
  facts.RemoteSession = IsRemoteSession();
  facts.AsService = app->AsService;
  facts.ServiceMode = app->ServiceMode;
  facts.ServiceInstalled = IsMonitServiceInstalled();
  TMonitorRunPlan plan = PlanMonitorRun(facts);
  if (kind == TRunKind::ServiceStartFailed) {
    // The service that should watch the queues did not start: this process watches them.
    plan.Interactive = true;
    plan.RunService = false;
  }
  app->ModeMonitor = plan.ModeMonitor;
  app->Interactive = plan.Interactive;
  SetDisableGUI(plan.DisableGUI);
  ctx.PrintersChanged = 0;

  const TInstanceLock lock(MonitorLockName(plan.ModeMonitor), !IsRemoteSession(), 1);
  if (!lock.Held()) return;

  const uint32_t mask = GetProgramModes(store, static_cast<TConfigVersionCheck>(IsConfigVersionValid)).Mask;
  ctx.Components = static_cast<uint8_t>(mask);
  app->WinOrDosFlag = (mask & (kModeWin | kModeDos)) != 0;
  app->FileSourceFlag = (mask & (kModeMonitorDir | kModeCapture)) != 0;

  OpenRegistryTreeToEveryone(HKEY_LOCAL_MACHINE, kKavrelKey);
  OpenRegistryTreeToEveryone(HKEY_CURRENT_USER, kKavrelKey);
  GetTempDirectory();
  if (app->WinOrDosFlag) PrepareFirstSpoolDir(*app);
  if (app->FileSourceFlag) {
    const std::u16string dir = GetMonitorDir(store);
    const std::u16string archive = GetMonitDirEx(store);
    if (!dir.empty()) PrepareDirectory(dir);
    if (!archive.empty()) PrepareDirectory(archive);
  }
  if (!CheckSides(ctx.Components, app->WinOrDosFlag, app->FileSourceFlag)) return;
  if (app->FileSourceFlag && !app->Printers->CheckCommonPrintTo(kPrintToFiles)) app->FileSourceFlag = false;

  CreateContextEvents(ctx);
  if (kind == TRunKind::Monitor) LogRunFlags(*app, facts.TServer);

  bool running = true;
  if (plan.ModeMonitor) {
    const TMonitorThreadPlan threads =
        PlanMonitorThreads(true, app->WinOrDosFlag, app->FileSourceFlag, GetIsMonit(store));
    running = StartWorkers(*app, threads, kind == TRunKind::Monitor);
  }
  if (running) {
    int32_t result = 0;
    const TMonitorRunSteps& steps = Steps();
    if (plan.RunService) {
      if (steps.RunService) steps.RunService(&ctx, result);
    } else if (steps.RunWindow) {
      steps.RunWindow(ctx, result);
    }
  }
  if (plan.ModeMonitor && !StopWorkers(ctx)) {
    // The worker still uses the events and the application object: nothing of them is freed.
    if (ctx.Log) ctx.Log->Flush();
    if (Steps().EndProcess) {
      Steps().EndProcess();
      return;
    }
    ExitProcess(0);
  }
  CloseContextEvents(ctx);
}

// The monitor service is started and watched a little; false when it does not run then.
bool StartMonitServiceAndWait() {
  TNTServiceControlManager service{std::u16string(kMonitServiceName)};
  if (!service.IsOpen() || service.IsRunning()) return true;
  if (service.Start()) return true;
  for (int poll = 0; poll < kServiceRunPolls; ++poll) {
    Sleep(kServiceRunPollMs);
    if (service.IsRunning()) return true;
  }
  return false;
}

}  // namespace

void SetMonitorRunSteps(TMonitorRunSteps steps) { Steps() = std::move(steps); }

void StartMonitor(bool serviceFlag) {
  TAppInUse app;
  if (serviceFlag && app->AsService && !StartMonitServiceAndWait()) {
    const std::unique_ptr<TLogFile> log = CreateLogFile(kConfigKey, false);
    log->ErrorBox("Unable to start monitor service");
    RunMonitorAs(TRunKind::ServiceStartFailed);
    return;
  }
  RunMonitorAs(TRunKind::Monitor);
}

void RunMonitor() { RunMonitorAs(TRunKind::Monitor); }

void RunQueueMonitor() { RunMonitorAs(TRunKind::QueueMonitor); }

void StopMonitorService() {
  TAppInUse app;
  if (!IsWinNT() || !app->AsService) return;
  TNTServiceControlManager service{std::u16string(kMonitServiceName)};
  if (!service.IsOpen()) return;
  if (service.IsRunning()) service.Stop();
  for (int poll = 0; poll < kServiceRunPolls && !service.IsStopped(); ++poll) Sleep(kServiceRunPollMs);
}
