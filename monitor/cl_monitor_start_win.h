// The monitor's run: the role of the process, its lock, directories and configuration checks, the
// context's events and worker threads, the service or the tray window, then the orderly stop; and the
// monitor service's start and stop from the command line.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "foundation/cl_tools_app_win.h"

// What the run takes from other units; the product fills it once at start, tests with their stand-ins.
struct TMonitorRunSteps {
  // Run until the service stops or the window closes; each resumes the suspended printer monitor.
  std::function<void(TMonitorContext* context, int32_t& result)> RunService;
  std::function<void(TMonitorContext& context, int32_t& result)> RunWindow;
  LPTHREAD_START_ROUTINE PrinterThread = nullptr;
  LPTHREAD_START_ROUTINE CaptureThread = nullptr;
  LPTHREAD_START_ROUTINE DirectoryThread = nullptr;
  // A worker that outlived the stop protocol: the process ends here (tests record it instead).
  std::function<void()> EndProcess;
};
void SetMonitorRunSteps(TMonitorRunSteps steps);

// The default run (serviceFlag clear) and "Start" (set: the monitor service is started first when
// the monitor is configured as the service).
void StartMonitor(bool serviceFlag);
void RunMonitor();
// The letter M and "Service": the process always watches the queues.
void RunQueueMonitor();
// Stops the running monitor service and waits a little for it to stop.
void StopMonitorService();
