// The monitor's checks of the system on Windows: the print spooler's service, and the DOS printing
// check over the spooler, the virtual printer list, the settings stores and the message boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "foundation/lib_prn_printers.h"
#include "monitor/cl_monitor_setup.h"

// True when the service "Spooler" runs, after starting it when it did not (true off the NT family).
bool EnsureSpoolerRunning();

// The system side of the DOS printing check. Boxes go through the spooler units' box routine
// (PrnHooks), over the owner window.
class TDosSetupSystemWin : public TDosSetupSystem {
 public:
  TDosSetupSystemWin(TPrinters& printers, HWND owner, TSettingsStore& machine, TSettingsStore& user);

  bool PrinterExists(std::u16string_view printer) override;
  bool IsDosPrinter(std::u16string_view printer) override;
  bool IsVirtualPrinter(std::u16string_view printer) override;
  std::u16string FirstLocalPort() override;
  std::u16string PrinterPortName(std::u16string_view printer) override;
  bool IsLocalPort(std::u16string_view port) override;
  bool IsDefaultPrinter(std::u16string_view printer) override;
  std::u16string DefaultPrinterName() override;
  void SetDefaultPrinter(std::u16string_view printer) override;
  bool IsTerminalServer() override;
  TSettingsStore& MachineStore() override { return machine_; }
  TSettingsStore& UserStore() override { return user_; }
  std::u16string ActiveConfigKey() override;
  bool IsWinNT() override;
  uint32_t DosSpoolMask() override;
  bool EnableDosSpool(int32_t lpt) override;
  void BroadcastSettingChange() override;
  void SendEmptyFileToPort(std::u16string_view port) override;
  bool AskYesNo(const std::u16string& text) override;
  void ErrorBox(const std::u16string& text, bool overOwner) override;
  void RestartSystem() override { Restart(); }

  // The system restart; tests put a recorder in its place.
  std::function<void()> Restart;

 private:
  TPrinters& printers_;
  HWND owner_;
  TSettingsStore& machine_;
  TSettingsStore& user_;
};

// The check over the product's settings stores (HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER).
bool CheckDosPrintingSetup(TPrinters& printers, const std::u16string& printer, HWND owner);
