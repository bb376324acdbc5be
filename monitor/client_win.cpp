// Program entry: one executable for every role (monitor, service, settings dialogs, command line). Its
// exports by fixed ordinals (monitor/client.def) are in client_exports_win.
#include <windows.h>

#include <cstdint>

#include "coding/cl_macrolib_docparam.h"
#include "coding/lib_datcoder_random_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_prn_standin_win.h"
#include "foundation/lib_str_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "monitor/cl_monitor_start_win.h"
#include "monitor/client_dispatch_win.h"
#include "monitor/client_exports_win.h"
#include "monitor/monitsvc_win.h"
#include "monitor/monitwin_win.h"

namespace {

// The roles built so far; an empty slot is logged as not available.
TClientRoles MakeClientRoles() {
  TClientRoles roles;
  roles.StartMonitor = StartMonitor;
  roles.RunQueueMonitor = RunQueueMonitor;
  roles.StopMonitorService = StopMonitorService;
  // The registration runs: the command line says whether to register or remove the service.
  roles.RunMonitService = [](TMonitorContext&) {
    int32_t result = 0;
    RunMonitService(nullptr, result);
  };
  roles.ProcessDosCommandLine = ProcessDosCommandLine;
  roles.Support = RunSupport;
  return roles;
}

// The monitor run's service and window.
void PlugMonitorRun() {
  TMonitorRunSteps steps;
  steps.RunService = RunMonitService;
  steps.RunWindow = RunMonitorWindow;
  SetMonitorRunSteps(std::move(steps));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    UsePointDecimalSeparator();
    InitSysInfo();
    UseWindowsTickSource();
    SeedRandomGenerator();
    // Tests and the demo start the program with CLIENT_STANDIN_SPOOLER; nothing else sets it.
    const TStandInSwitch standIn;
    PlugMonitorRun();
    const TClientRoles roles = MakeClientRoles();
    const TInstallerFunctions installer;
    return RunClient(roles, installer, ProgramArguments());
  } catch (...) {
    return 0;
  }
}
