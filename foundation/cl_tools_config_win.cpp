// The monitor service's state.
#include "foundation/cl_tools_config_win.h"

#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_svc_win.h"

namespace {
std::u16string Str(std::u16string_view s) { return std::u16string(s); }
}  // namespace

bool IsMonitServiceInstalled() {
  if (!UseWideApi()) return false;
  return TNTServiceControlManager(Str(kMonitServiceName)).IsOpen();
}

bool IsMonitServiceRunning(bool serverEdition) {
  const bool nt = UseWideApi();
  if (!nt || !IsRunAsService(MachineSettingsStore(), serverEdition, nt)) return false;
  TNTServiceControlManager service{Str(kMonitServiceName)};
  const DWORD state = service.State();
  return MonitServiceRunningFrom(nt, true, service.IsOpen(), state != 0, state == SERVICE_RUNNING);
}
