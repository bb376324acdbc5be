// The command table: each command letter and switch word against the role it selects.
#include "monitor/client_dispatch.h"

#include <gtest/gtest.h>

namespace {
std::vector<std::u16string> Args(std::initializer_list<std::u16string> rest) {
  std::vector<std::u16string> a{u"client.exe"};
  a.insert(a.end(), rest);
  return a;
}
}  // namespace

TEST(ClientDispatch, CommandTable) {
  struct Case {
    std::vector<std::u16string> args;
    TClientRole role;
    const char* why;
  };
  const TDispatchFacts plain{};
  const Case cases[] = {
      {Args({}), TClientRole::Monitor, "no argument"},
      {Args({u"X"}), TClientRole::Monitor, "unknown letter"},
      {Args({u"/7"}), TClientRole::Monitor, "digit"},
      {Args({u"-m"}), TClientRole::QueueMonitor, "letter upper-cased"},
      {Args({u"/M"}), TClientRole::QueueMonitor, ""},
      {Args({u"/ConfigDos"}), TClientRole::DosBatchOrConfig, ""},
      {Args({u"-configdirdos", u"-Ia"}), TClientRole::DosBatchOrDirConfig, "switch ignores case"},
      {Args({u"/ConfigWin"}), TClientRole::WinConfig, ""},
      {Args({u"C"}), TClientRole::PrinterConfig, "letter without switch"},
      {Args({u"/Config"}), TClientRole::PrinterConfig, "a word that is no switch of the table"},
      {Args({u"D"}), TClientRole::DeletePrinters, ""},
      {Args({u"/Install"}), TClientRole::Install, "service not configured"},
      {Args({u"/RegWin"}), TClientRole::RegisterWin, ""},
      {Args({u"/RegDos"}), TClientRole::RegisterDos, ""},
      {Args({u"/R"}), TClientRole::Support, ""},
      {Args({u"/S30"}), TClientRole::CloseAllWindows, ""},
      {Args({u"/S27", u"C:\\x.exe"}), TClientRole::UninstallFile, "S27 before the second argument"},
      {Args({u"/Start"}), TClientRole::StartMonitor, ""},
      {Args({u"/Start", u"file.tpl"}), TClientRole::ExpandTemplate, "a second argument wins over Start"},
      {Args({u"/Stop"}), TClientRole::StopMonitor, ""},
      {Args({u"/ServerConfig"}), TClientRole::ServerConfig, ""},
      {Args({u"/Service"}), TClientRole::QueueMonitor, ""},
      {Args({u"/S"}), TClientRole::PrinterConfigIfNeeded, ""},
      {Args({u"/UnInstall"}), TClientRole::Uninstall, "no service"},
      {Args({u"U"}), TClientRole::Uninstall, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseClientRole(c.args, plain), c.role) << c.why;
}

TEST(ClientDispatch, ServiceRegistrationDependsOnTheConfiguration) {
  struct Case {
    TDispatchFacts facts;
    TClientRole install, uninstall;
    const char* why;
  };
  const Case cases[] = {
      {{1, true, false}, TClientRole::RegisterService, TClientRole::UnregisterService, "configured, not registered"},
      {{1, true, true}, TClientRole::Install, TClientRole::UnregisterService, "already registered"},
      {{4, true, false}, TClientRole::RegisterService, TClientRole::UnregisterService, "watched directory"},
      {{16, true, false}, TClientRole::Install, TClientRole::UnregisterService, "command line alone needs no service"},
      {{1, false, false}, TClientRole::Install, TClientRole::Uninstall, "not configured as service"},
      {{1, false, true}, TClientRole::Install, TClientRole::UnregisterService, "registered service is removed"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseClientRole(Args({u"/Install"}), c.facts), c.install) << c.why;
    EXPECT_EQ(ChooseClientRole(Args({u"/UnInstall", u"/Silent"}), c.facts), c.uninstall) << c.why;
  }
}

TEST(ClientDispatch, InstallPlan) {
  struct Case {
    TDispatchFacts facts;
    TInstallPlan plan;
    const char* why;
  };
  const Case cases[] = {
      {{0, false, false}, {1, true, false, false}, "mask 0 installs the Windows side"},
      {{2, false, false}, {2, true, true, false}, "DOS side registers both"},
      {{16, false, false}, {16, false, true, false}, "command line alone: DOS configuration"},
      {{1, true, false}, {1, true, false, true}, "service wanted and missing"},
  };
  for (const auto& c : cases) {
    const TInstallPlan p = PlanInstall(c.facts);
    EXPECT_EQ(p.Mask, c.plan.Mask) << c.why;
    EXPECT_EQ(p.RegisterWin, c.plan.RegisterWin) << c.why;
    EXPECT_EQ(p.RegisterDos, c.plan.RegisterDos) << c.why;
    EXPECT_EQ(p.RegisterService, c.plan.RegisterService) << c.why;
  }
  EXPECT_TRUE(StartsMonitorAfterInstall(1, false, false));
  EXPECT_TRUE(StartsMonitorAfterInstall(16, true, false));
  EXPECT_TRUE(StartsMonitorAfterInstall(2, false, true));
  EXPECT_FALSE(StartsMonitorAfterInstall(16, false, true)) << "DOS version alone needs a DOS side";
}
