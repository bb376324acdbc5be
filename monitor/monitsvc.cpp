// The monitor service's registration, its controls' actions and texts, and the settings sections it
// answers.
#include "monitor/monitsvc.h"

#include <array>

namespace {

// Stop and shutdown open the gate as well: a paused worker must reach its stop test to end.
constexpr std::array<TServiceAction, 5> kActions{{
    {TServiceControl::Start, kServiceStartPending, kServiceRunning, false, TGateAction::Keep,
     u"\"%s\" service started"},
    {TServiceControl::Stop, kServiceStopPending, kServiceStopped, true, TGateAction::Open, u"Stoping \"%s\" service"},
    {TServiceControl::Pause, kServicePausePending, kServicePaused, false, TGateAction::Close,
     u"\"%s\" service paused"},
    {TServiceControl::Continue, kServiceContinuePending, kServiceRunning, false, TGateAction::Open,
     u"\"%s\" service resumed"},
    {TServiceControl::Shutdown, kServiceStopPending, kServiceStopped, true, TGateAction::Open,
     u"\"%s\" service shutdown"},
}};

}  // namespace

std::u16string ServiceImagePath(std::u16string_view programPath) {
  return u"\"" + std::u16string(programPath) + u"\"";
}

TServiceRunKind ServiceRunKindOf(bool install, bool uninstall) {
  if (install) return TServiceRunKind::Install;
  return uninstall ? TServiceRunKind::Uninstall : TServiceRunKind::Run;
}

std::u16string ServiceRegistrationText(TServiceRunKind kind, bool succeeded, std::u16string_view error) {
  const bool install = kind == TServiceRunKind::Install;
  if (succeeded) return install ? u"Service installed successfully" : u"Service uninstalled successfully";
  return std::u16string(install ? u"Service failed on install with the following error: "
                                : u"Service failed on uninstall with the following error: ") +
         std::u16string(error);
}

const TServiceAction& MonitServiceAction(TServiceControl control) {
  return kActions[static_cast<size_t>(control)];
}

std::optional<TServiceControl> ServiceControlOf(uint32_t code) {
  switch (code) {
    case kServiceControlStop: return TServiceControl::Stop;
    case kServiceControlPause: return TServiceControl::Pause;
    case kServiceControlContinue: return TServiceControl::Continue;
    case kServiceControlShutdown: return TServiceControl::Shutdown;
    default: return std::nullopt;
  }
}

std::u16string MonitServiceEventText(TServiceControl control) {
  std::u16string text(MonitServiceAction(control).TextFormat);
  const size_t at = text.find(u"%s");
  if (at != std::u16string::npos) text.replace(at, 2, kMonitServiceProperties.DisplayName);
  return text;
}

// A byte comparison: the locale's case-sensitive comparison of these ASCII names is the same, and it
// cannot ignore characters the way a collation may.
bool IsPrinterSettingsSection(std::string_view section) { return section == "devices" || section == "Windows"; }
bool IsPrinterSettingsSection(std::u16string_view section) { return section == u"devices" || section == u"Windows"; }
