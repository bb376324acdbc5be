// The monitor service's state as the configuration and the service manager tell it.
#pragma once

#include <windows.h>

#include "foundation/cl_tools_config.h"
#include "foundation/cl_tools_store_win.h"

inline constexpr std::u16string_view kMonitServiceName = u"MonitService";

// On the NT family: whether the service manager and the monitor service could both be opened.
bool IsMonitServiceInstalled();
// On the NT family, with the monitor configured as the service (serverEdition is the default of that
// setting): whether the installed service runs; a state that cannot be read counts as running.
bool IsMonitServiceRunning(bool serverEdition);
