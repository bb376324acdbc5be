// The monitor service's fixed facts: the registration the service manager receives, each control's
// states, action and event-log text, and which settings sections make the printer list reload.
#include "monitor/monitsvc.h"

#include <gtest/gtest.h>

TEST(MonitServiceProperties, AreTheDeclaredRegistration) {
  const TServiceProperties& p = kMonitServiceProperties;
  EXPECT_EQ(p.Name, u"MonitService");
  EXPECT_EQ(p.DisplayName, u"Virtual Printer Monitor Service");
  EXPECT_EQ(p.Dependencies, std::u16string_view(u"Spooler\0\0", 9)) << "one service, the list ended by two NULs";
  EXPECT_EQ(p.Group, u"SpoolerGroup");
  EXPECT_TRUE(p.Account.empty()) << "the local system account";
  EXPECT_EQ(p.ServiceType, 0x10u) << "own process, not interactive";
  EXPECT_EQ(p.StartType, 2u) << "automatic start";
  EXPECT_EQ(p.ErrorControl, 1u);
  EXPECT_EQ(p.AcceptedControls, 1u | 2u | 4u) << "stop, pause and continue, shutdown";
  EXPECT_EQ(p.WaitHintMs, 5000u);
}

TEST(MonitServiceProperties, TheImagePathIsQuotedWithoutSwitches) {
  EXPECT_EQ(ServiceImagePath(u"C:\\Program Files\\Tevoran\\Client.exe"), u"\"C:\\Program Files\\Tevoran\\Client.exe\"");
}

TEST(MonitServiceRun, TheSwitchesDecideTheRun) {
  EXPECT_EQ(ServiceRunKindOf(false, false), TServiceRunKind::Run);
  EXPECT_EQ(ServiceRunKindOf(true, false), TServiceRunKind::Install);
  EXPECT_EQ(ServiceRunKindOf(false, true), TServiceRunKind::Uninstall);
  EXPECT_EQ(ServiceRunKindOf(true, true), TServiceRunKind::Install);
  EXPECT_EQ(ServiceRegistrationText(TServiceRunKind::Install, true, u""), u"Service installed successfully");
  EXPECT_EQ(ServiceRegistrationText(TServiceRunKind::Uninstall, false, u"E"),
            u"Service failed on uninstall with the following error: E");
}

TEST(MonitServiceControls, EachHasItsStatesActionAndText) {
  struct Case {
    TServiceControl control;
    uint32_t code;  // 0: no manager's code
    uint32_t pending;
    uint32_t final;
    bool stop;
    TGateAction gate;
    std::u16string_view text;
  } cases[] = {
      {TServiceControl::Start, 0, kServiceStartPending, kServiceRunning, false, TGateAction::Keep,
       u"\"Virtual Printer Monitor Service\" service started"},
      {TServiceControl::Stop, 1, kServiceStopPending, kServiceStopped, true, TGateAction::Open,
       u"Stoping \"Virtual Printer Monitor Service\" service"},
      {TServiceControl::Pause, 2, kServicePausePending, kServicePaused, false, TGateAction::Close,
       u"\"Virtual Printer Monitor Service\" service paused"},
      {TServiceControl::Continue, 3, kServiceContinuePending, kServiceRunning, false, TGateAction::Open,
       u"\"Virtual Printer Monitor Service\" service resumed"},
      {TServiceControl::Shutdown, 5, kServiceStopPending, kServiceStopped, true, TGateAction::Open,
       u"\"Virtual Printer Monitor Service\" service shutdown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.control));
    const TServiceAction& a = MonitServiceAction(c.control);
    EXPECT_EQ(a.Control, c.control);
    EXPECT_EQ(a.PendingState, c.pending);
    EXPECT_EQ(a.FinalState, c.final);
    EXPECT_EQ(a.SetStopEvent, c.stop);
    EXPECT_EQ(a.Gate, c.gate) << "a stop releases paused workers";
    EXPECT_EQ(MonitServiceEventText(c.control), c.text);
    if (c.code != 0) {
      EXPECT_EQ(ServiceControlOf(c.code), c.control);
    }
  }
  EXPECT_EQ(ServiceControlOf(4), std::nullopt) << "interrogate is answered by the framework";
  EXPECT_EQ(ServiceControlOf(128), std::nullopt) << "user codes are not accepted";
}

TEST(MonitServiceSettingChange, OnlyThePrinterSectionsCount) {
  struct Case {
    std::string_view section;
    bool counts;
  } cases[] = {
      {"devices", true},   {"Windows", true},   {"windows", false}, {"Devices", false},
      {"WINDOWS", false},  {"", false},         {"devices ", false},
      {"intl", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsPrinterSettingsSection(c.section), c.counts) << c.section;
    // The tray window reads the same names in its wide character width.
    const std::u16string wide(c.section.begin(), c.section.end());
    EXPECT_EQ(IsPrinterSettingsSection(wide), c.counts) << c.section;
  }
}
