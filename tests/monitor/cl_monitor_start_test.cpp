// The monitor run's role, lock, configuration checks and worker threads for each situation it meets.
#include "monitor/cl_monitor_start.h"

#include <gtest/gtest.h>

#include "foundation/cl_tools_cfgkey.h"

namespace {

struct RoleCase {
  const char* why;
  TMonitorRunFacts facts;
  TMonitorRunPlan plan;
};

}  // namespace

TEST(MonitorStart, RoleOfTheProcess) {
  // facts: QueueMonitor, TServer, RemoteSession, AsService, ServiceMode, ServiceInstalled
  // plan: ModeMonitor, Interactive, DisableGUI, RunService
  const RoleCase cases[] = {
      {"a plain interactive monitor watches the queues in the tray", {false, false, false, false, false, false},
       {true, true, false, false}},
      {"a remote session of a terminal server only shows the tray", {false, true, true, false, false, false},
       {false, true, false, false}},
      {"the console session of a terminal server watches", {false, true, false, false, false, false},
       {true, true, false, false}},
      {"a remote session on a machine that is no terminal server watches", {false, false, true, false, false, false},
       {true, true, false, false}},
      {"with the service configured, a user's monitor only shows the tray", {false, false, false, true, false, true},
       {false, true, false, false}},
      {"a terminal server with the service: the remote session's monitor still only shows the tray",
       {false, true, true, true, false, true},
       {false, true, false, false}},
      {"the service process runs the service without boxes", {false, false, false, true, true, true},
       {true, true, true, true}},
      {"service mode without a registered service runs the tray without boxes", {false, false, false, true, true, false},
       {true, true, true, false}},
      {"M always watches and is not interactive", {true, true, true, false, false, false},
       {true, false, false, false}},
      {"M with a registered service runs it whatever the service mode says", {true, false, false, true, false, true},
       {true, false, false, true}},
      {"M with the service configured but not registered runs the window", {true, false, false, true, false, false},
       {true, false, false, false}},
  };
  for (const RoleCase& c : cases) EXPECT_EQ(PlanMonitorRun(c.facts), c.plan) << c.why;
}

TEST(MonitorStart, LockNamesDecodeFromTheirStoredText) {
  EXPECT_EQ(MonitorLockName(true), "Tevoran quuee monitor already started");
  EXPECT_EQ(MonitorLockName(false), "Virtual printer monitor GUI started");
}

TEST(MonitorStart, ConfigurationChecksPerSource) {
  struct Case {
    uint8_t mask;
    bool winOrDos;
    bool fileSource;
    std::vector<uint8_t> sides;
  };
  const Case cases[] = {
      {1, true, false, {kProductWin}},
      {2, true, false, {kProductDos}},
      {3, true, false, {kProductWin, kProductDos}},
      {8, false, true, {kProductDosDirs}},
      {7, true, true, {kProductWin, kProductDos, kProductDosDirs}},
      // A file source whose destination could not be set is checked before the flag is cleared.
      {0, false, false, {kProductWin}},
  };
  for (const Case& c : cases) EXPECT_EQ(MonitorConfigChecks(c.mask, c.winOrDos, c.fileSource), c.sides) << int(c.mask);
}

TEST(MonitorStart, WorkerThreadsPerSourceAndDirectorySetting) {
  struct Case {
    const char* why;
    bool modeMonitor, winOrDos, fileSource;
    int32_t isMonit;
    TMonitorThreadPlan plan;
  };
  const Case cases[] = {
      {"Windows printing", true, true, false, 0, {false, true, false}},
      {"capture only, with the directory", true, false, true, 1, {true, false, true}},
      {"capture only, directory setting 2", true, false, true, 2, {true, false, true}},
      {"everything", true, true, true, 1, {true, true, true}},
      {"a tray-only process starts none", false, true, true, 1, {false, false, false}},
      {"directory alone: no printer or capture monitor, so the run ends", true, false, false, 1, {true, false, false}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlanMonitorThreads(c.modeMonitor, c.winOrDos, c.fileSource, c.isMonit), c.plan) << c.why;
  }
}
