// The monitor service "MonitService" on the service manager: its registration runs, and its run, in
// which a thread of the service answers the manager's controls and, through a hidden window of class
// "TMonitService", the window messages of the monitor's own process.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>

#include "foundation/cl_tools_app_win.h"
#include "monitor/monitsvc.h"

inline constexpr char kMonitServiceWindowClass[] = "TMonitService";

class TMonitService {
 public:
  explicit TMonitService(TMonitorContext* context) : Context(context) {}
  TMonitService(const TMonitService&) = delete;
  TMonitService& operator=(const TMonitService&) = delete;

  // The controls' handlers: each acts on the context (stop event, run gate) and reports its event-log
  // entry through the context's log.
  void ServiceStart(bool& started);
  void ServiceStop(bool& stopped);
  void ServicePause(bool& paused);
  void ServiceContinue(bool& continued);
  void ServiceShutdown();
  // Message 26: sets the application's update event for the printer monitor's next round; false leaves
  // the message unhandled (another section, or a section name that cannot be read).
  bool WMSettingChange(LPARAM lParam);
  // Message 1131: brings the window of the first parameter to the front; answers 1.
  LRESULT WMActivateDialog(WPARAM wParam);

  // Connects to the service manager and runs the service until it stops; the dispatcher's error code,
  // or 0.
  DWORD Run();
  // The hidden window while the service runs; nullptr otherwise.
  HWND Window() const { return window_.load(); }

  // Not owned; nullptr for the registration runs.
  TMonitorContext* Context;

  // The service's thread and the manager's callbacks; not for other callers.
  void ServiceThread();
  DWORD Control(DWORD code);
  void HandleControl(TServiceControl control);

 private:
  void Act(TServiceControl control);
  // The hidden window and its message loop, until a stop; 0, or the error that ended the start.
  DWORD RunWindow();
  void Report(uint32_t state, DWORD exitCode = 0);

  std::atomic<HWND> window_{nullptr};
  std::mutex statusLock_;
  SERVICE_STATUS_HANDLE status_ = nullptr;
  uint32_t state_ = kServiceStopped;
  DWORD checkPoint_ = 0;
};

// The service object while RunMonitService runs; nullptr otherwise.
TMonitService* MonitService();

// Registers the service ("INSTALL"), removes it ("UNINSTALL"), each with an outcome box unless
// "SILENT", or runs it until it stops. The context may be absent for the registration runs; it is
// not owned. result is 0, or 1 when the run failed on an exception.
void RunMonitService(TMonitorContext* context, int32_t& result);
