// The virtual printer list's host on Windows: the spooler, the process's session flags and the update
// event.
#pragma once

#include <windows.h>

#include <memory>

#include "foundation/lib_prn_printers.h"

std::shared_ptr<TPrintersHost> CreateWindowsPrintersHost();

// Sets the update event "VirtualPrinterMonitorUpdateEvent" under the name its owner uses.
void SignalUpdateEvent();
// Opens the update event, or creates it (manual reset, set) so that every user may signal and wait on
// it; nullptr when neither works.
HANDLE OpenOrCreateUpdateEvent();
