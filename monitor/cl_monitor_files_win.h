// The capture monitor thread (the parallel-port capture file in the program's spool directory) and the
// directory monitor thread (print files in the watched directory), both coding and printing DOS files
// until the monitor context's stop event.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "foundation/cl_tools_app_win.h"
#include "foundation/lib_prn.h"
#include "monitor/cl_monitor_files.h"
#include "monitor/uintemf.h"

// What the threads take from other units; a member left empty keeps the behaviour noted beside it.
struct TFileMonitorSteps {
  // The capture's directory; empty: the program's spool directory.
  std::function<std::u16string()> SpoolDir;
};
// Set before the threads are started; the product's defaults otherwise.
void SetFileMonitorSteps(TFileMonitorSteps steps);

// The job record of a file job: submitted now, this computer and user, the coded document's name and the
// current user's destination of the capture kind; appended to the journal when it is on (recordNo is
// then its number, else 0).
_JOBINFO FileJobInfo(TClientApplication& app, uint32_t& recordNo);

// Codes and prints the capture's working file on the destination of the capture kind; it is deleted
// after a good send. False when it was not sent.
bool ProcessCaptureFile(TClientApplication& app, const std::u16string& rawFile);

// One scan of one mask of the watched directory, through the wide search (NT family) or the 8-bit one.
struct TWatchedScan {
  TClientApplication& App;
  TRememberedFiles& Remembered;
  TStopLatch& Stop;
  TLogFile* Log = nullptr;
};
bool ScanWatchedDirW(TWatchedScan& scan, const std::u16string& mask, const std::u16string& dir,
                     const std::u16string& archiveDir, int32_t mode);
bool ScanWatchedDirA(TWatchedScan& scan, const std::u16string& mask, const std::u16string& dir,
                     const std::u16string& archiveDir, int32_t mode);

// The thread functions; the argument is the TMonitorContext. Never throw.
DWORD WINAPI CaptureMonitorThread(LPVOID context);
DWORD WINAPI DirMonitorThread(LPVOID context);
