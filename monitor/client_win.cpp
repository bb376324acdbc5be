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
#include "monitor/client_dispatch_win.h"
#include "monitor/client_exports_win.h"

namespace {

// The roles built so far; an empty slot is logged as not available.
TClientRoles MakeClientRoles() {
  TClientRoles roles;
  roles.ProcessDosCommandLine = ProcessDosCommandLine;
  roles.Support = RunSupport;
  return roles;
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
    const TClientRoles roles = MakeClientRoles();
    const TInstallerFunctions installer;
    return RunClient(roles, installer, ProgramArguments());
  } catch (...) {
    return 0;
  }
}
