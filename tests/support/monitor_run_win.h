// Running the printer monitor thread on the stand-in spooler, for its Wine test and the demo: a virtual
// printer as the thread takes it (queued, local, paused), its queue's length, and the thread's stop.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <string>
#include <vector>

#include "foundation/lib_prn.h"
#include "foundation/lib_prn_standin.h"
#include "foundation/lib_prn_seam_win.h"
#include "support/prn_test_support.h"

inline TStandInPrinter MonitoredPrinter(const std::u16string& name) {
  TStandInPrinter p = StandInPrinter(name, u"LPT1:", u"NT EMF 1.008");
  p.Status = PRN_STATUS_PAUSED;
  return p;
}

// The jobs in the printer's queue; 0 when it cannot be opened.
inline DWORD QueuedJobs(const std::u16string& printer) {
  TPrinterHandle h = OpenPrinterHandle(printer);
  if (!h) return 0;
  DWORD needed = 0, count = 0;
  Spooler().EnumJobs(h.Get(), 0, 100, 1, nullptr, 0, &needed, &count);
  std::vector<BYTE> bytes(needed);
  if (needed == 0 || !Spooler().EnumJobs(h.Get(), 0, 100, 1, bytes.data(), needed, &needed, &count)) return 0;
  return count;
}

// Signals the stop until the thread ends (at most ten seconds), as the monitor's stopper does.
inline bool StopMonitorThread(HANDLE stopEvent, HANDLE thread) {
  for (int i = 0; i < 40; ++i) {
    SetEvent(stopEvent);
    if (WaitForSingleObject(thread, 250) == WAIT_OBJECT_0) return true;
  }
  return false;
}

#endif
