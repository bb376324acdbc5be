// What the printer monitor checks of the system around it: that the print spooler runs, that a virtual
// printer can take the printing of DOS programs (asking the user to fix what is missing), the print
// status text of its log and the LPT number of a port. The decisions live here; the calls they make of
// the system stay behind TServiceStartSteps and TDosSetupSystem.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "foundation/cl_tools_store.h"

// A service that is not running is started and then watched while its start is pending.
inline constexpr int kServiceStartPolls = 50;
inline constexpr uint32_t kServiceStartPollMs = 100;

// The steps of a service start, supplied by the caller (the service controller, or a test's script).
struct TServiceStartSteps {
  std::function<bool()> IsRunning;
  std::function<bool()> IsStartPending;
  std::function<bool()> Start;
  std::function<void(uint32_t)> Pause;
};

// True at once for a running service; otherwise starts it, pauses while the start is pending (at most
// 50 pauses of 100 ms) and answers whether it runs then.
bool RunServiceStart(const TServiceStartSteps& steps);

// "Статус печати: Ok" or "Статус печати: Error".
std::u16string FormatPrintStatus(bool success);

// The number after "LPT" in "LPTn:" or "LPTn"; 0 for any other name or a number too large for a port.
int32_t GetLptPortNumber(std::u16string_view port);

// What the DOS printing check needs of the system. Boxes are shown over the owner window the system
// side was made with.
class TDosSetupSystem {
 public:
  virtual ~TDosSetupSystem() = default;

  virtual bool PrinterExists(std::u16string_view printer) = 0;
  // The printer carries the DOS side of the virtual printer list.
  virtual bool IsDosPrinter(std::u16string_view printer) = 0;
  virtual bool IsVirtualPrinter(std::u16string_view printer) = 0;

  // The machine's first local port ("LPTn:" of the lowest number, else "COMn:"); empty without one.
  virtual std::u16string FirstLocalPort() = 0;
  // The printer's port as the spooler names it; empty when the printer cannot be read.
  virtual std::u16string PrinterPortName(std::u16string_view printer) = 0;
  // A port of the machine that is neither network-attached nor redirected.
  virtual bool IsLocalPort(std::u16string_view port) = 0;

  virtual bool IsDefaultPrinter(std::u16string_view printer) = 0;
  virtual std::u16string DefaultPrinterName() = 0;
  virtual void SetDefaultPrinter(std::u16string_view printer) = 0;

  virtual bool IsTerminalServer() = 0;
  virtual TSettingsStore& MachineStore() = 0;
  virtual TSettingsStore& UserStore() = 0;
  virtual std::u16string ActiveConfigKey() = 0;

  virtual bool IsWinNT() = 0;
  virtual uint32_t DosSpoolMask() = 0;
  // False when the queue could not be switched on.
  virtual bool EnableDosSpool(int32_t lpt) = 0;
  // WM_SETTINGCHANGE with the section "Windows" to every top-level window.
  virtual void BroadcastSettingChange() = 0;
  // Copies an empty file to the port, abandoning the copy after 3000 ms.
  virtual void SendEmptyFileToPort(std::u16string_view port) = 0;

  // A Yes/No question (caption "Внимание!", question icon); true for Yes.
  virtual bool AskYesNo(const std::u16string& text) = 0;
  // An error box (caption "Ошибка!"), over the owner window or over none.
  virtual void ErrorBox(const std::u16string& text, bool overOwner) = 0;
  virtual void RestartSystem() = 0;
};

// True when the printer is ready for the printing of DOS programs: it is the default printer (the user
// may make it so) and prints to a local LPT or COM port whose DOS queue is on (the user may switch it on
// and restart the system, which answers false).
bool CheckDosPrintingSetup(TDosSetupSystem& system, std::u16string_view printer);
