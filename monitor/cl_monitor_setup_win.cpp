// The monitor's checks of the system on Windows.
#include "monitor/cl_monitor_setup_win.h"

#include "foundation/cl_tools_cfgkey_win.h"
#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_process_win.h"
#include "foundation/os_win32_svc_win.h"
#include "foundation/os_win32_win.h"

bool EnsureSpoolerRunning() {
  TNTServiceControlManager spooler(u"Spooler");
  TServiceStartSteps steps;
  steps.IsRunning = [&] { return spooler.IsRunning(); };
  steps.IsStartPending = [&] { return spooler.IsStartPending(); };
  steps.Start = [&] { return spooler.Start(); };
  steps.Pause = [](uint32_t ms) { Sleep(ms); };
  return RunServiceStart(steps);
}

TDosSetupSystemWin::TDosSetupSystemWin(TPrinters& printers, HWND owner, TSettingsStore& machine, TSettingsStore& user)
    : Restart(RebootSystem), printers_(printers), owner_(owner), machine_(machine), user_(user) {}

bool TDosSetupSystemWin::PrinterExists(std::u16string_view printer) { return ::PrinterExists(std::u16string(printer)); }
bool TDosSetupSystemWin::IsDosPrinter(std::u16string_view printer) { return printers_.IsDosPrinter(printer); }
bool TDosSetupSystemWin::IsVirtualPrinter(std::u16string_view printer) { return printers_.Contains(printer); }

std::u16string TDosSetupSystemWin::FirstLocalPort() {
  std::u16string port;
  FindDefaultLocalPort(port);
  return port;
}

std::u16string TDosSetupSystemWin::PrinterPortName(std::u16string_view printer) {
  std::u16string port;
  GetPrinterPortName(std::u16string(printer), port);
  return port;
}

bool TDosSetupSystemWin::IsLocalPort(std::u16string_view port) { return ::IsLocalPort(std::u16string(port)); }
bool TDosSetupSystemWin::IsDefaultPrinter(std::u16string_view printer) {
  return ::IsDefaultPrinter(std::u16string(printer));
}

std::u16string TDosSetupSystemWin::DefaultPrinterName() {
  std::u16string name;
  GetDefaultPrinterName(name);
  return name;
}

void TDosSetupSystemWin::SetDefaultPrinter(std::u16string_view printer) {
  SetDefaultPrinterName(std::u16string(printer));
}
bool TDosSetupSystemWin::IsTerminalServer() { return ::IsTerminalServer(); }
std::u16string TDosSetupSystemWin::ActiveConfigKey() { return ::ActiveConfigKey(); }
bool TDosSetupSystemWin::IsWinNT() { return PrnSystem().IsWinNT; }
uint32_t TDosSetupSystemWin::DosSpoolMask() { return ::DosSpoolMask(); }
bool TDosSetupSystemWin::EnableDosSpool(int32_t lpt) { return ::EnableDosSpool(lpt); }
void TDosSetupSystemWin::BroadcastSettingChange() { BroadcastWindowsSettingChange(); }
void TDosSetupSystemWin::SendEmptyFileToPort(std::u16string_view port) { ::SendEmptyFileToPort(WideToAnsi(port)); }
bool TDosSetupSystemWin::AskYesNo(const std::u16string& text) {
  return PrnQuestionBox(text, MB_ICONQUESTION, owner_) == IDYES;
}
void TDosSetupSystemWin::ErrorBox(const std::u16string& text, bool overOwner) {
  PrnErrorBox(text, overOwner ? owner_ : nullptr);
}

bool CheckDosPrintingSetup(TPrinters& printers, const std::u16string& printer, HWND owner) {
  TDosSetupSystemWin system(printers, owner, MachineSettingsStore(), UserSettingsStore());
  return CheckDosPrintingSetup(system, printer);
}
