// The virtual printer installation worker: makes the printer driver available (the driver pack
// folder, the Windows files through a generated INF, or the driver store), creates the virtual
// printer, records it in the virtual printer list and pauses its queue, on a thread of its own.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/lib_handle_win.h"
#include "ui/instprnthread.h"

class TLogFile;
class TPrinters;

// Deletes the RunOnce values "Tevoran_cfgW" and "Tevoran_cfgD".
void ClearConfigRunOnce();

// The facts of the running Windows (the process's system information flags).
TInstallSystem CurrentInstallSystem();
// The spooler's printer-driver directory with a trailing backslash.
std::u16string DriverDirectory();

// Set by a successful installation; the printer settings tell the monitor and clear it.
bool PrinterSettingsChanged();
void SetPrinterSettingsChanged(bool changed);

// The system calls of the driver stages; tests replace them (a member left empty keeps its default).
struct TInstallHooks {
  // The driver from the driver store: 0 or the error code.
  std::function<uint32_t(const std::u16string& driver)> InstallFromPackage;
  // Installs the INF's DefaultInstall section; true when the installation ran.
  std::function<bool(const std::u16string& infPath, HWND owner)> InstallInf;
};
void SetInstallHooks(TInstallHooks hooks);

// Everything the worker reads, copied when it starts: the wizard may go while it runs.
struct TInstallJob {
  std::u16string PrinterName;
  std::u16string PortName;
  std::u16string DriverName;
  std::u16string DestPrinter;
  std::u16string OwnerUserName;
  std::u16string ModelDriverName;
  std::u16string DriverDir;    // with a trailing backslash
  std::u16string ProgramDir;   // with a trailing backslash
  std::vector<std::string> DriverFiles;
  TInstallSystem System;
  uint8_t Components = 0;      // bit 1 Windows printing, bit 2 DOS printing
  bool AllUsers = false;
  bool PrinterAttrib = false;  // "PrinterAttrib" of the Config key
  HWND Owner = nullptr;        // the wizard, owner of the INF installation
  HWND CapLabel = nullptr;     // action and state labels, written by cross-thread sends
  HWND MsgLabel = nullptr;
  TLogFile* Log = nullptr;     // the process's log; lives to the end of the process
  TPrinters* Printers = nullptr;  // the application's list
};

// What the wizard and the worker share.
struct TInstallState {
  std::atomic<int32_t> Status{isRunning};
  // Asked for by the wizard's abort; the worker stops before its next stage.
  std::atomic<bool> CancelRequested{false};
};

// The driver files into the driver directory, from the pack folder or through the INF; true when
// every file is there. The INF is written to the temp directory and deleted afterwards.
bool CopyDriverFiles(const TInstallJob& job);
// Deletes each driver file from the driver directory (NT family).
void DeleteCopiedDriverFiles(const TInstallJob& job);
// Runs the stages on this thread; the outcome is in state.Status.
void RunInstallation(const TInstallJob& job, TInstallState& state);

// One worker at a time. Never waits for a running worker: a stage inside the spooler cannot be
// interrupted, so an abandoned one ends by itself in the background.
class TInstallWorker {
 public:
  // Starts a worker with its own copy of the job unless one still runs; false when none started.
  bool Start(const TInstallJob& job);
  bool Running() const;
  int32_t Status() const { return state_ ? state_->Status.load() : int32_t(isRunning); }
  // The running worker stops before its next stage; the state it reports to is left to it.
  void RequestCancel();

 private:
  std::shared_ptr<TInstallState> state_;
  TKernelHandle thread_;
};
