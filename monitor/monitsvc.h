// The monitor service's fixed facts: its registration, what each control of the service manager does
// and the event-log text it reports, and the settings sections whose change reloads the printer list.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Values of the Windows headers, for the core that includes none.
inline constexpr uint32_t kServiceWin32OwnProcess = 0x10;
inline constexpr uint32_t kServiceAutoStart = 2;
inline constexpr uint32_t kServiceErrorNormal = 1;
inline constexpr uint32_t kServiceAcceptStop = 1;
inline constexpr uint32_t kServiceAcceptPauseContinue = 2;
inline constexpr uint32_t kServiceAcceptShutdown = 4;
inline constexpr uint32_t kServiceStopped = 1;
inline constexpr uint32_t kServiceStartPending = 2;
inline constexpr uint32_t kServiceStopPending = 3;
inline constexpr uint32_t kServiceRunning = 4;
inline constexpr uint32_t kServiceContinuePending = 5;
inline constexpr uint32_t kServicePausePending = 6;
inline constexpr uint32_t kServicePaused = 7;
inline constexpr uint32_t kServiceControlStop = 1;
inline constexpr uint32_t kServiceControlPause = 2;
inline constexpr uint32_t kServiceControlContinue = 3;
inline constexpr uint32_t kServiceControlShutdown = 5;

// What the service manager receives at registration. Dependencies is a list of names each ended by
// NUL, the list by a second NUL; an empty Account is the local system account.
struct TServiceProperties {
  std::u16string_view Name;
  std::u16string_view DisplayName;
  std::u16string_view Dependencies;
  std::u16string_view Group;
  std::u16string_view Account;
  uint32_t ServiceType = 0;
  uint32_t StartType = 0;
  uint32_t ErrorControl = 0;
  uint32_t AcceptedControls = 0;
  uint32_t WaitHintMs = 0;
};

// The dependency is the service "Spooler", not a group (a group's name would start with '+').
inline constexpr TServiceProperties kMonitServiceProperties{
    u"MonitService",
    u"Virtual Printer Monitor Service",
    std::u16string_view(u"Spooler\0", 9),
    u"SpoolerGroup",
    u"",
    kServiceWin32OwnProcess,
    kServiceAutoStart,
    kServiceErrorNormal,
    kServiceAcceptStop | kServiceAcceptPauseContinue | kServiceAcceptShutdown,
    5000};

// The registered command: the program's full path in quotation marks (a path with blanks left bare can
// start another program), no switches.
std::u16string ServiceImagePath(std::u16string_view programPath);

// The switch words of the registration runs.
inline constexpr char kInstallSwitch[] = "INSTALL";
inline constexpr char kUninstallSwitch[] = "UNINSTALL";
inline constexpr char kSilentSwitch[] = "SILENT";

enum class TServiceRunKind { Run, Install, Uninstall };
TServiceRunKind ServiceRunKindOf(bool install, bool uninstall);

// The outcome boxes of the registration runs; error is the system's text of the failure.
std::u16string ServiceRegistrationText(TServiceRunKind kind, bool succeeded, std::u16string_view error);

enum class TServiceControl { Start, Stop, Pause, Continue, Shutdown };

// What the workers' run gate does on a control: paused workers wait at their next safe point.
enum class TGateAction { Keep, Close, Open };

struct TServiceAction {
  TServiceControl Control;
  uint32_t PendingState;
  uint32_t FinalState;
  bool SetStopEvent;
  TGateAction Gate;
  // The event-log text; %s is the service's display name.
  std::u16string_view TextFormat;
};

const TServiceAction& MonitServiceAction(TServiceControl control);
// The control of a service manager's code; none for codes the service does not accept.
std::optional<TServiceControl> ServiceControlOf(uint32_t code);
// The action's event-log text with the display name in place.
std::u16string MonitServiceEventText(TServiceControl control);

// Message 26 concerns the printer list for the section "devices", or "Windows" (case-sensitive).
// The service reads it as 8-bit text, the tray window in its own (wide) character width.
bool IsPrinterSettingsSection(std::string_view section);
bool IsPrinterSettingsSection(std::u16string_view section);
