// The monitor window's decisions: the tray menu's items by component mask and "IsMonit", the destination
// submenus by mask and number of virtual printers, the rebuild's start and its retries on a busy lock,
// the launchers' command lines and the sections of message 26 that ask for a reload.
#include "monitor/monitwin.h"

#include <gtest/gtest.h>

TEST(MonitorWindowMenu, VisibilityByMaskAndIsMonit) {
  struct Case {
    uint32_t mask;
    int32_t isMonit;
    TTrayMenuVisibility shown;  // Config, ConfSymb, ConfigDos, Dos
    const char* why;
  } cases[] = {
      {1, 0, {true, true, false, false}, "Windows printing only"},
      {2, 0, {true, true, false, true}, "DOS printing: its settings, no directory settings"},
      {3, 1, {true, true, false, true}, "both sides; IsMonit alone does not show the directory settings"},
      {4, 1, {false, false, true, false}, "watched directory switched on"},
      {4, 0, {false, false, false, false}, "watched directory in the mask, IsMonit 0"},
      {8, 2, {false, false, true, false}, "capture with IsMonit 2"},
      {2 | 8, 1, {true, true, true, true}, "DOS printing with capture"},
      {16, 1, {false, false, false, false}, "command-line processing shows nothing"},
      {0, 0, {false, false, false, false}, "nothing configured"},
  };
  for (const Case& c : cases) EXPECT_EQ(TrayMenuVisibility(c.mask, c.isMonit), c.shown) << c.why;
}

TEST(MonitorWindowMenu, DestinationSubmenusNeedExactlyOneVirtualPrinter) {
  struct Case {
    uint32_t mask;
    int32_t printers;
    bool win, dos, files;
    const char* why;
  } cases[] = {
      {1, 1, true, false, false, "Windows only"},
      {2, 1, false, true, false, "DOS only"},
      {4, 1, false, false, true, "watched directory"},
      {8, 1, false, false, true, "capture"},
      {15, 1, true, true, true, "everything"},
      {15, 2, false, false, false, "two virtual printers: whose destinations would they show?"},
      {15, 0, false, false, false, "none"},
      {16, 1, false, false, false, "command line only"},
  };
  for (const Case& c : cases) {
    const TDestinationMenusPlan plan = PlanDestinationMenus(c.mask, c.printers);
    EXPECT_EQ(plan.Win, (TDestinationMenuPlan{1, c.win})) << c.why;
    EXPECT_EQ(plan.Dos, (TDestinationMenuPlan{2, c.dos})) << c.why;
    EXPECT_EQ(plan.Files, (TDestinationMenuPlan{12, c.files})) << c.why;
  }
}

TEST(MonitorWindowMenu, RebuildStart) {
  using enum TRebuildStart;
  struct Case {
    bool stop, listed;
    int32_t others;
    bool ready;
    TRebuildStart start;
    const char* why;
  } cases[] = {
      {false, true, 2, true, Go, "listed, destinations there, monitor between rounds"},
      {true, true, 2, true, Skip, "stopping"},
      {true, false, 0, true, Skip, "stopping wins over a missing list"},
      {false, true, 0, true, Skip, "no destination printer: the submenus stay"},
      {false, true, 2, false, Skip, "the printer monitor is inside a round"},
      {false, false, 0, false, RefreshFirst, "never listed: list first, whatever the monitor does"},
  };
  for (const Case& c : cases) EXPECT_EQ(RebuildStart(c.stop, c.listed, c.others, c.ready), c.start) << c.why;
}

TEST(MonitorWindowMenu, RebuildDelayAndTenTriesOfTheLock) {
  EXPECT_EQ(RebuildDelayMs(false), 256u);
  EXPECT_EQ(RebuildDelayMs(true), 288u);
  EXPECT_EQ(NextRebuildRetry(1), 1000u) << "a second after the first busy try";
  EXPECT_EQ(NextRebuildRetry(9), 1000u) << "the tenth try still comes";
  EXPECT_EQ(NextRebuildRetry(10), std::nullopt) << "ten tries spent";
  EXPECT_EQ(NextRebuildRetry(0), std::nullopt);
}

TEST(MonitorWindowMenu, LauncherCommandLines) {
  EXPECT_EQ(LauncherCommandLine(TLauncher::Config), u"Client.exe /c");
  EXPECT_EQ(LauncherCommandLine(TLauncher::ConfigWin), u"Client.exe /ConfigWin");
  EXPECT_EQ(LauncherCommandLine(TLauncher::ConfigDos), u"Client.exe /ConfigDos");
  EXPECT_EQ(LauncherCommandLine(TLauncher::ConfigDirDos), u"Client.exe /ConfigDirDos");
}
