// The virtual printer list's host on Windows: the registry under the configuration keys, the spooler,
// the process's session flags and the update event.
#pragma once

#include <windows.h>

#include <memory>

#include "foundation/lib_prn_printers.h"

// machineRoot and userRoot stand for HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER (tests give keys of
// their own); the handles stay the caller's.
std::shared_ptr<TPrintersHost> CreateWindowsPrintersHost(HKEY machineRoot = HKEY_LOCAL_MACHINE,
                                                         HKEY userRoot = HKEY_CURRENT_USER);

// Sets the update event "VirtualPrinterMonitorUpdateEvent" under the name its owner uses.
void SignalUpdateEvent();
// Opens the update event, or creates it (manual reset, set) so that every user may signal and wait on
// it; nullptr when neither works.
HANDLE OpenOrCreateUpdateEvent();
