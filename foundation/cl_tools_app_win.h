// The application object every role of the program creates first: configuration flags, component
// mask, the virtual printer list with its lock, the update event, the log and the monitor's context.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "foundation/lib_handle_win.h"
#include "foundation/lib_log.h"
#include "foundation/lib_prn_journal_win.h"
#include "foundation/lib_prn_printer_win.h"
#include "foundation/lib_prn_printers.h"

// A critical section entered by attempts one second apart, up to MaxAttempts; not re-entrant across
// threads. Where the system has no non-blocking enter, Enter waits and succeeds.
class TSyncObject {
 public:
  explicit TSyncObject(int32_t maxAttempts);
  ~TSyncObject();
  TSyncObject(const TSyncObject&) = delete;
  TSyncObject& operator=(const TSyncObject&) = delete;
  bool Enter();
  // One attempt without waiting, for a thread that must not block (a window's).
  bool TryEnter();
  void Leave();

  int32_t MaxAttempts;

 private:
  CRITICAL_SECTION section_;
};

class TClientApplication;

// Shared by the monitor's threads, the tray window and the service; filled by the monitor run.
struct TMonitorContext {
  uint8_t Components = 0;
  HWND OwnerWindow = nullptr;
  TKernelHandle StopEvent;
  TKernelHandle SpareEvent;
  TKernelHandle PrinterReadyEvent;
  TKernelHandle CaptureReadyEvent;
  // Manual-reset, signalled while the workers may go on; a service pause resets it and the workers wait
  // for it at their next safe point (a thread suspended at random may hold the heap or the log's lock).
  // No event: never paused.
  TKernelHandle RunGate;
  uint8_t PrintersChanged = 0;
  TKernelHandle PrinterThread;
  TKernelHandle CaptureThread;
  TKernelHandle DirectoryThread;
  DWORD PrinterThreadId = 0;
  DWORD CaptureThreadId = 0;
  DWORD DirectoryThreadId = 0;
  TLogFile* Log = nullptr;  // owned by the application
  TClientApplication* App = nullptr;
};

class TClientApplication {
 public:
  // Never fails: every missing value has its default.
  TClientApplication();
  ~TClientApplication();
  TClientApplication(const TClientApplication&) = delete;
  TClientApplication& operator=(const TClientApplication&) = delete;

  // Logs the start, lists the printers and opens the journal; false when the system's printers were not
  // listed in time.
  bool Start();

  // Opened by the settings roles on a virtual printer; closed at the end.
  TPrinter Printer;
  std::unique_ptr<TPrinters> Printers;
  // Exists only while JournalEnabled.
  std::unique_ptr<TPrintServerMonitor> PrintJournal;
  bool JournalEnabled = false;
  bool TerminalMode = false;
  bool ServiceMode = false;
  bool AsService = false;
  bool Interactive = false;
  bool ModeMonitor = false;
  uint8_t ComponentMask = 0;
  bool WinOrDosFlag = false;
  bool FileSourceFlag = false;
  bool DosFlag = false;
  bool WinFlag = false;
  std::unique_ptr<TSyncObject> Sync;
  TKernelHandle UpdateEvent;
  std::function<void()> UpdateCallback;
  TMonitorContext Context;

 private:
  std::unique_ptr<TLogFile> log_;
};

// The process's application object while RunClient runs (or a start routine made its own); nullptr
// otherwise. Process-wide by design: the exported functions reach the start routines without RunClient.
TClientApplication* ClientApplication();
void SetClientApplication(TClientApplication* app);

// The process's application object, or one made and started for the holder's run alone.
class TAppInUse {
 public:
  TAppInUse();
  TClientApplication& operator*() const { return *app_; }
  TClientApplication* operator->() const { return app_; }

 private:
  TClientApplication* app_;
  std::unique_ptr<TClientApplication> own_;
};
