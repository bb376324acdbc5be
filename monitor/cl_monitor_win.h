// The printer monitor thread: serves the virtual printers' queues in rounds until its stop event.
#pragma once

#include <windows.h>

#include <functional>

#include "foundation/cl_tools_app_win.h"
#include "monitor/cl_monitor.h"
#include "monitor/uintemf_win.h"

// What the thread takes from other units; a member left empty keeps the behaviour noted beside it.
struct TMonitorThreadSteps {
  // Starts the print spooler when it is not running; empty: the product's start of the "Spooler" service.
  std::function<bool()> EnsureSpoolerRunning;
  TQueueSteps Queue;
};

// The rounds' host over the application object.
class TMonitorHostWin : public TMonitorHost {
 public:
  explicit TMonitorHostWin(TClientApplication& app) : app_(app) {}
  TTakingFacts TakingFacts() override;
  std::vector<TPrinterListItem>& Items() override { return app_.Printers->Items; }
  bool UpdateEventSet() override;
  void ResetUpdateEvent() override;
  bool EnterSync() override { return app_.Sync && app_.Sync->Enter(); }
  void LeaveSync() override;
  void ReloadPrinters() override { app_.Printers->Refresh(); }
  void PrintersChanged() override;

 private:
  TClientApplication& app_;
};

// The monitor threads' stop latch over the context's stop event and run gate.
TStopLatch ContextStopLatch(TMonitorContext& context);

// The thread's steps, set before it is started; the product's defaults otherwise.
void SetMonitorThreadSteps(TMonitorThreadSteps steps);
// The thread function; the argument is the TMonitorContext. Never throws.
DWORD WINAPI PrinterMonitorThread(LPVOID context);
