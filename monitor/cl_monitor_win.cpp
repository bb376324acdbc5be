// The printer monitor thread: its start and end reports, the spooler check and the rounds.
#include "monitor/cl_monitor_win.h"

#include <exception>
#include <mutex>

#include "foundation/cl_tools_broadcast_win.h"
#include "foundation/cl_tools_cfgkey.h"
#include "foundation/lib_log.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_str.h"
#include "foundation/os_win32_win.h"
#include "monitor/cl_monitor_setup_win.h"

namespace {

// Set once before the monitor starts, read by its thread.
std::mutex gStepsLock;
TMonitorThreadSteps gSteps;

TMonitorThreadSteps ThreadSteps() {
  std::lock_guard<std::mutex> guard(gStepsLock);
  return gSteps;
}

std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

void ReportInfo(TLogFile& log, const std::u16string& text) {
  log.ReportEventText(kEventTypeInformation, kCategorySystemInformation, text, kEventInfoText);
  log.AddWide(text);
}

// The rounds until a stop; false when they ended by an exception.
bool RunRounds(TMonitorContext& context, const TMonitorThreadSteps& steps, TLogFile& log, TStopLatch& stop) {
  TClientApplication& app = *context.App;
  try {
    TQueueSystemWin system(context, steps.Queue);
    TPrintQuuee queue(system, stop, &log);
    TMonitorHostWin host(app);
    TPrinterMonitor monitor(host, queue, stop);
    monitor.Start();
    ReportInfo(log, u"Monitoring started. " + Widen(IntToText(app.Printers->Count())) + u" Printers found");
    if (context.PrinterReadyEvent) SetEvent(context.PrinterReadyEvent.Get());
    monitor.Run();
    ReportInfo(log, u"Monitoring stopped");
    queue.CloseAndFree();
    return true;
  } catch (const std::exception&) {
    log.ReportError(u"Monitoring abnormal termination");
    log.ErrorBoxW(u"Monitoring abnormal termination");
    return false;
  }
}

}  // namespace

TTakingFacts TMonitorHostWin::TakingFacts() {
  TTakingFacts facts;
  facts.RemoteSession = IsRemoteSession();
  facts.TServer = app_.TerminalMode;
  facts.AsService = app_.AsService;
  GetCurrentUserName(facts.CurrentUser);
  return facts;
}

bool TMonitorHostWin::UpdateEventSet() { return IsHandleSignaled(app_.UpdateEvent.Get()); }

void TMonitorHostWin::ResetUpdateEvent() {
  if (app_.UpdateEvent) ResetEvent(app_.UpdateEvent.Get());
}

void TMonitorHostWin::LeaveSync() {
  if (app_.Sync) app_.Sync->Leave();
}

void TMonitorHostWin::PrintersChanged() {
  if (app_.UpdateCallback) app_.UpdateCallback();
}

TStopLatch ContextStopLatch(TMonitorContext& context) {
  return TStopLatch(
      [&context](uint32_t ms) {
        return context.StopEvent && WaitForSingleObject(context.StopEvent.Get(), ms) == WAIT_OBJECT_0;
      },
      [&context] { return WaitRunGate(context.StopEvent.Get(), context.RunGate.Get()); });
}

void SetMonitorThreadSteps(TMonitorThreadSteps steps) {
  std::lock_guard<std::mutex> guard(gStepsLock);
  gSteps = std::move(steps);
}

DWORD WINAPI PrinterMonitorThread(LPVOID argument) {
  auto* context = static_cast<TMonitorContext*>(argument);
  if (context == nullptr || context->App == nullptr || context->Log == nullptr || !context->App->Printers) return 1;
  TMonitorContext& ctx = *context;
  TLogFile& log = *ctx.Log;
  const bool service = ctx.App->ServiceMode;
  // The stop event is not reset here: a stop signalled before the thread ran still counts.
  TStopLatch stop = ContextStopLatch(ctx);
  bool abnormal = false;
  try {
    log.ReportStarted(service);
    log.ReportDebugInfo();
    const TMonitorThreadSteps steps = ThreadSteps();
    const bool spooler = steps.EnsureSpoolerRunning ? steps.EnsureSpoolerRunning() : EnsureSpoolerRunning();
    if (!spooler) {
      const std::u16string text =
          u"Не удается запустить очередь печати Windows. Продолжение работы невозможно. Обратитесь к Администратору.";
      log.ErrorBoxW(text);
      CloseMonitorWindow();
    } else {
      std::string mode;
      ProgramModeText(ctx.Components, mode);
      log.Add("Enter: Cfg=\"" + mode + "\", SrcCount=\"" + IntToText(ctx.App->Printers->Count()) + "\"");
      abnormal = !RunRounds(ctx, steps, log, stop);
    }
  } catch (const std::exception&) {
    abnormal = true;
  }
  log.ReportClosed(abnormal, service);
  // The stopper may still be waiting for the signal this thread consumed.
  if (stop.Seen() && ctx.StopEvent) SetEvent(ctx.StopEvent.Get());
  return abnormal ? 1 : 0;
}
