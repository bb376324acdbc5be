// The installation wizard's decisions: its pages both ways, where a worker's outcome leads, texts,
// rejected drivers, the all-users rules, the driver list, and the Add Printer item's joined list.
#include "ui/instprnfrm.h"

#include <gtest/gtest.h>

#include "ui/instprnthread.h"

TEST(InstPrnWizard, PagesBothWays) {
  const TWizardRoute plain{false, false}, skip{true, false}, adv{false, true}, skipAdv{true, true};
  const struct {
    TWizardRoute route;
    std::vector<int> forward;  // the pages Next shows from the welcome page on
  } cases[] = {
      {plain, {0, 1, 2, 3, 5, 6}},
      {skip, {0, 1, 3, 5, 6}},
      {adv, {0, 1, 2, 3, 4, 5, 6}},
      {skipAdv, {0, 1, 3, 4, 5, 6}},
  };
  for (const auto& c : cases) {
    std::vector<int> seen{wpWelcome};
    for (int page = wpWelcome; page != wpFinished;) seen.push_back(page = NextPage(page, c.route));
    EXPECT_EQ(seen, c.forward);
    // Back retraces the road from the progress page, never showing the port page when it is skipped.
    std::vector<int> back{wpProgress};
    for (int page = wpProgress; page != wpWelcome;) back.push_back(page = BackPage(page, c.route));
    std::vector<int> expected(c.forward.rbegin() + 1, c.forward.rend());
    EXPECT_EQ(back, expected);
  }
  EXPECT_EQ(BackPage(wpWelcome, plain), wpWelcome);
  EXPECT_EQ(NextPage(wpFinished, plain), wpFinished);
}

TEST(InstPrnWizard, WorkerOutcomes) {
  EXPECT_EQ(PageAfterStatus(isInstalled, false), wpFinished);
  EXPECT_EQ(PageAfterStatus(isPrinterFailed, false), wpDestination);
  EXPECT_EQ(PageAfterStatus(isPrinterFailed, true), wpDriver);
  EXPECT_EQ(PageAfterStatus(isDriverFailed, true), wpDestination);
  EXPECT_EQ(PageAfterStatus(isRunning, false), wpProgress);
}

TEST(InstPrnWizard, Texts) {
  EXPECT_EQ(StepTextsOf(wpWelcome).Title, u"Установка виртуального принтера Tevoran");
  EXPECT_EQ(StepTextsOf(wpName).Step, u"Выбор виртуального принтера для установки");
  EXPECT_EQ(StepTextsOf(wpFinished).Title, u"Установка завершена");
  EXPECT_TRUE(StepTextsOf(7).Title.empty());
  const std::u16string welcome = WelcomeText();
  EXPECT_EQ(welcome.find(u"%0:s"), std::u16string::npos);
  EXPECT_NE(welcome.find(u"пакет драйверов \"Tevoran Driver Pack\""), std::u16string::npos);
  EXPECT_NE(PortExplanation(u"LPT1:").find(u"локальным LPT портом."), std::u16string::npos);
  EXPECT_NE(PortExplanation(u"CO").find(u"локальным CO портом."), std::u16string::npos);
  EXPECT_EQ(RecommendedText(u"LPT1:"), u"Рекомендуемое значение - LPT1:");
  const std::u16string driver = DriverExplanation();
  EXPECT_NE(driver.find(u"выберите драйвер \"Tevoran Printer Driver\", в"), std::u16string::npos);
  EXPECT_NE(driver.find(u"путь к \"Tevoran Driver Pack\"."), std::u16string::npos);
  EXPECT_EQ(InstalledDriverText(u"Epson LQ-200", u"Epson LQ-200", u"Windows NT x86"),
            u"Tevoran Printer Driver [Windows NT x86]");
  EXPECT_EQ(InstalledDriverText(u"HP", u"Epson LQ-200", u"Windows x64"), u"HP [Windows x64]");
}

TEST(InstPrnWizard, ForbiddenDrivers) {
  const struct {
    std::u16string_view driver;
    bool forbidden;
  } cases[] = {
      {u"FinePrint 9", true},
      {u"Microsoft XPS Document Writer v4", true},
      {u"Microsoft Office Document Image Writer Driver", true},
      {u"Microsoft Shared Fax Driver", true},
      {u"fineprint", false},
      {u"HP LaserJet", false},
      {u"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsForbiddenDriver(c.driver), c.forbidden) << std::string(c.driver.begin(), c.driver.end());
}

TEST(InstPrnWizard, AllUsersRules) {
  EXPECT_EQ(InitialAllUsers(1, false).Checked, true);
  EXPECT_EQ(InitialAllUsers(1, false).Enabled, false);
  EXPECT_EQ(InitialAllUsers(3, false).Checked, false);
  EXPECT_EQ(InitialAllUsers(3, true).Checked, true);
  EXPECT_EQ(InitialAllUsers(3, true).Enabled, true);
  EXPECT_TRUE(AllUsersNeedsWarning(true, true, 2, false));
  EXPECT_FALSE(AllUsersNeedsWarning(false, true, 2, false));
  EXPECT_FALSE(AllUsersNeedsWarning(true, false, 2, false));
  EXPECT_FALSE(AllUsersNeedsWarning(true, true, 1, false));
  EXPECT_FALSE(AllUsersNeedsWarning(true, true, 2, true));
  EXPECT_FALSE(UserChoiceEnabled(true, InitialAllUsers(1, false))) << "one printer: the combo stays disabled";
  EXPECT_TRUE(UserChoiceEnabled(true, InitialAllUsers(2, false)));
  EXPECT_FALSE(UserChoiceEnabled(false, InitialAllUsers(2, false)));
  EXPECT_FALSE(UserChoiceEnabled(true, InitialAllUsers(2, true)));
}

TEST(InstPrnWizard, DriverList) {
  using V = std::vector<std::u16string>;
  EXPECT_EQ(DriverEntries({u"HP", u"Epson LQ-200"}, u"Epson LQ-200"), (V{u"HP", u"Tevoran Printer Driver"}));
  EXPECT_EQ(DriverEntries({u"HP"}, u"Epson LQ-200"), (V{u"HP", u"Tevoran Printer Driver"}));
  EXPECT_EQ(DriverEntries({}, u"X"), (V{u"Tevoran Printer Driver"}));
  EXPECT_EQ(ProposedDriver(false, u"HP"), u"Tevoran Printer Driver");
  EXPECT_EQ(ProposedDriver(true, u"HP"), u"HP");
  EXPECT_EQ(ProposedDriver(true, u""), u"Tevoran Printer Driver");
  EXPECT_EQ(EntryIndexOr0({u"a", u"b"}, u"b"), 1);
  EXPECT_EQ(EntryIndexOr0({u"a", u"b"}, u"B"), 0);
  EXPECT_EQ(EntryIndexOr0({}, u"a"), -1);
}

TEST(InstPrnWizard, ItemListJoin) {
  using B = std::vector<uint8_t>;
  const B folder{4, 0, 'a', 'b', 3, 0, 'c', 0, 0};
  const B item{3, 0, 'x', 0, 0};
  EXPECT_EQ(JoinItemLists(folder, item), (B{4, 0, 'a', 'b', 3, 0, 'c', 3, 0, 'x', 0, 0}));
  EXPECT_EQ(JoinItemLists(B{0, 0}, item), (B{3, 0, 'x', 0, 0}));
  const B broken[] = {{}, {0}, {5, 0, 'a', 0, 0}, {1, 0, 0, 0}, {3, 0, 'x'}};
  for (const B& b : broken) {
    EXPECT_TRUE(JoinItemLists(b, item).empty());
    EXPECT_TRUE(JoinItemLists(folder, b).empty());
  }
}
