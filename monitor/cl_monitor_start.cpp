#include "monitor/cl_monitor_start.h"

#include "foundation/cl_tools_cfgkey.h"
#include "foundation/cl_tools_config.h"
#include "foundation/lib_str.h"

TMonitorRunPlan PlanMonitorRun(const TMonitorRunFacts& f) {
  TMonitorRunPlan plan;
  if (f.QueueMonitor) {
    plan.ModeMonitor = true;
    plan.Interactive = false;
    plan.RunService = f.AsService && f.ServiceInstalled;
  } else {
    // In a remote session of a terminal server the console's process watches the queues; with the
    // service configured, only the service does.
    const bool remoteViewer = f.TServer && f.RemoteSession && !f.AsService;
    const bool serviceElsewhere = f.AsService && !f.ServiceMode;
    plan.ModeMonitor = !remoteViewer && !serviceElsewhere;
    plan.Interactive = true;
    plan.RunService = f.AsService && f.ServiceInstalled && f.ServiceMode;
  }
  plan.DisableGUI = f.AsService && f.ServiceMode;
  return plan;
}

std::string MonitorLockName(bool modeMonitor) {
  return HexDecode(modeMonitor ? kQueueMonitorLockHex : kGuiMonitorLockHex);
}

std::vector<uint8_t> MonitorConfigChecks(uint8_t mask, bool winOrDosFlag, bool fileSourceFlag) {
  std::vector<uint8_t> sides;
  if (winOrDosFlag && (mask & kModeWin)) sides.push_back(kProductWin);
  if (winOrDosFlag && (mask & kModeDos)) sides.push_back(kProductDos);
  if (fileSourceFlag) sides.push_back(kProductDosDirs);
  if (!winOrDosFlag && !fileSourceFlag) sides.push_back(kProductWin);
  return sides;
}

TMonitorThreadPlan PlanMonitorThreads(bool modeMonitor, bool winOrDosFlag, bool fileSourceFlag, int32_t isMonit) {
  TMonitorThreadPlan plan;
  if (!modeMonitor) return plan;
  plan.Directory = isMonit != 0;
  plan.Printer = winOrDosFlag;
  plan.Capture = fileSourceFlag;
  return plan;
}
