// The monitor's checks of the system around it: the decisions, without a system call.
#include "monitor/cl_monitor_setup.h"

#include <climits>

#include "foundation/cl_tools_config_names.h"
#include "foundation/lib_prn.h"
#include "foundation/lib_str.h"

namespace {

constexpr std::u16string_view kLpt = u"LPT";

bool IsLptOrComPort(std::u16string_view port) {
  return MatchPortName(port, kLpt, true) || MatchPortName(port, u"COM", true);
}


std::u16string MustBeTextFor(std::u16string_view printer) {
  return u"Для обеспечения печати из приложений DOS, принтер\r\n" + Quoted(printer) + u" должен быть ";
}

// The remembered default goes where the printer list looks for it: the user's key on a terminal server,
// the machine's elsewhere. An empty name would only wipe an earlier one.
void RememberPreviousDefault(TDosSetupSystem& system, const std::u16string& previous) {
  if (previous.empty() || system.IsVirtualPrinter(previous)) return;
  TSettingsStore& store = system.IsTerminalServer() ? system.UserStore() : system.MachineStore();
  store.WriteText(system.ActiveConfigKey(), SpoolerName(TSpoolerName::DefaultPrn), previous);
}

// False when the user declined to make the printer the default one.
bool EnsureDefaultPrinter(TDosSetupSystem& system, std::u16string_view printer) {
  if (system.IsDefaultPrinter(printer)) return true;
  if (!system.AskYesNo(MustBeTextFor(printer) + u"принтером по-умолчанию.\r\nСделать его принтером по-умолчанию?"))
    return false;
  const std::u16string previous = system.DefaultPrinterName();
  system.SetDefaultPrinter(printer);
  RememberPreviousDefault(system, previous);
  return true;
}

// False when the user chose to restart the system now.
bool EnsureDosQueue(TDosSetupSystem& system, std::u16string_view port) {
  const int32_t lpt = GetLptPortNumber(port);
  const bool nt = system.IsWinNT();
  if (DosSpoolQueued(nt, nt ? 0 : system.DosSpoolMask(), lpt)) {
    system.SendEmptyFileToPort(port);
    return true;
  }
  if (!system.AskYesNo(u"Для обеспечения печати из приложений DOS, в настройках\r\nпараллельного порта принтера "
                       u"должен быть включен режим\r\n\"Очередь для заданий печати DOS\".\r\nВключить данный режим?"))
    return true;
  // A queue that did not switch on (a COM port has none) changed nothing a restart would take up.
  if (!system.EnableDosSpool(lpt)) return true;
  system.BroadcastSettingChange();
  if (!system.AskYesNo(
          u"Для корректной работы необходимо перезагрузить компьютер.\r\nПроизвести перезагруку сейчас?\r\n"))
    return true;
  system.RestartSystem();
  return false;
}

}  // namespace

bool RunServiceStart(const TServiceStartSteps& steps) {
  if (steps.IsRunning()) return true;
  steps.Start();
  for (int poll = 0; poll < kServiceStartPolls && steps.IsStartPending(); ++poll) steps.Pause(kServiceStartPollMs);
  return steps.IsRunning();
}

std::u16string FormatPrintStatus(bool success) { return success ? u"Статус печати: Ok" : u"Статус печати: Error"; }

int32_t GetLptPortNumber(std::u16string_view port) {
  if (!MatchPortName(port, kLpt, true) && !MatchPortName(port, kLpt, false)) return 0;
  const int n = PortNumber(port, kLpt.size());
  return n == INT_MAX ? 0 : n;
}

bool CheckDosPrintingSetup(TDosSetupSystem& system, std::u16string_view printer) {
  if (!system.PrinterExists(printer) || !system.IsDosPrinter(printer)) return false;
  const std::u16string portKind = system.FirstLocalPort().substr(0, 3);
  if (!EnsureDefaultPrinter(system, printer)) return false;

  const std::u16string portName = system.PrinterPortName(printer);
  const bool lptOrCom = IsLptOrComPort(portName);
  const bool local = lptOrCom && system.IsLocalPort(portName);
  if (local && MatchPortName(portName, portKind, true)) {
    if (!EnsureDosQueue(system, portName)) return false;
  } else {
    system.ErrorBox(MustBeTextFor(printer) + u"на локальном " + portKind + u"-порту.", false);
  }

  if (local) return true;
  system.ErrorBox(u"В качестве порта для печати принтера " + Quoted(printer) + u" выбран " + portName +
                      u".\r\nДля обеспечения печати из приложений DOS должен быть выбран локальный LPT- или COM-порт",
                  true);
  return false;
}
