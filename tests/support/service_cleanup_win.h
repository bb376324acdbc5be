// The monitor service stopped and removed at both ends of a test, so that a failed test leaves no
// automatic service behind in the prefix.
#pragma once

#include <windows.h>

#include "foundation/lib_handle_win.h"

class TServiceCleanup {
 public:
  TServiceCleanup() { Remove(); }
  ~TServiceCleanup() { Remove(); }
  TServiceCleanup(const TServiceCleanup&) = delete;
  TServiceCleanup& operator=(const TServiceCleanup&) = delete;
  static void Remove() {
    const TServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    const TServiceHandle service(OpenServiceW(manager.Get(), L"MonitService", SERVICE_ALL_ACCESS));
    if (!service) return;
    SERVICE_STATUS status{};
    ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
    DeleteService(service.Get());
  }
};
