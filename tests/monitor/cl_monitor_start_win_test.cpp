// The monitor run under Wine with stand-in workers and window: the lock of its role keeps a second
// monitor out; the printer monitor waits suspended until the window releases it; the capture and
// directory monitors start with their sources; the stop protocol ends every worker, also a paused one,
// before the lock and the events are given back; a watched directory the run made is created.
#include "monitor/cl_monitor_start_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "foundation/cl_tools_app_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_win.h"
#include "monitor/cl_monitor_start.h"
#include "support/saved_key_win.h"
#include "support/win_fixtures.h"

namespace {

const std::u16string kConfig = u"Software\\Kavrel\\Client\\Config";
const std::u16string kConfigDos = u"Software\\Kavrel\\Client\\ConfigDos";

std::atomic<int> gPrinterRan{0}, gCaptureRan{0}, gDirectoryRan{0};

// A worker as the real ones behave towards the run: it reports ready, waits at the run gate while
// paused, and on the stop event passes the signal on before it ends.
DWORD Work(TMonitorContext& ctx, std::atomic<int>& ran, HANDLE ready) {
  ++ran;
  if (ready) SetEvent(ready);
  for (;;) {
    if (ctx.RunGate) WaitForSingleObject(ctx.RunGate.Get(), INFINITE);
    if (WaitForSingleObject(ctx.StopEvent.Get(), 20) == WAIT_OBJECT_0) {
      SetEvent(ctx.StopEvent.Get());
      return 0;
    }
  }
}
DWORD WINAPI FakePrinterMonitor(LPVOID p) {
  auto& ctx = *static_cast<TMonitorContext*>(p);
  return Work(ctx, gPrinterRan, ctx.PrinterReadyEvent.Get());
}
DWORD WINAPI FakeCaptureMonitor(LPVOID p) {
  auto& ctx = *static_cast<TMonitorContext*>(p);
  return Work(ctx, gCaptureRan, ctx.CaptureReadyEvent.Get());
}
DWORD WINAPI FakeDirectoryMonitor(LPVOID p) { return Work(*static_cast<TMonitorContext*>(p), gDirectoryRan, nullptr); }

// What the window saw while it ran.
struct TWindowView {
  int Runs = 0;
  bool QueueLockHeld = false;
  bool GuiLockHeld = false;
  bool Interactive = false;
  bool PrinterSuspended = false;
  bool PrinterReadyAfterResume = false;
  bool CaptureStarted = false;
  bool DirectoryStarted = false;
  uint8_t Components = 0;
};

class MonitorRun : public ::testing::Test {
 protected:
  void SetUp() override {
    RegWriteString(HKEY_LOCAL_MACHINE, kConfig, u"Version", u"4.01.23");
    RegWriteString(HKEY_LOCAL_MACHINE, kConfig, u"LogFile", scratch.File(u"client.log"));
    RegWriteIntegerW(HKEY_LOCAL_MACHINE, kConfig, u"AsService", 0);
    gPrinterRan = gCaptureRan = gDirectoryRan = 0;
    view = {};
    TMonitorRunSteps steps;
    steps.PrinterThread = FakePrinterMonitor;
    steps.CaptureThread = FakeCaptureMonitor;
    steps.DirectoryThread = FakeDirectoryMonitor;
    steps.RunWindow = [this](TMonitorContext& ctx, int32_t& result) { RunWindow(ctx, result); };
    steps.RunService = [this](TMonitorContext*, int32_t&) { ++serviceRuns; };
    steps.EndProcess = [this] { ++processEnds; };
    SetMonitorRunSteps(steps);
  }
  void TearDown() override {
    SetMonitorRunSteps({});
    SetClientApplication(nullptr);
  }

  // The application as the program makes it, after the test's configuration is written.
  void StartApplication() {
    app = std::make_unique<TClientApplication>();
    app->Start();
    SetClientApplication(app.get());
  }

  void RunWindow(TMonitorContext& ctx, int32_t& result) {
    ++view.Runs;
    result = 0;
    view.QueueLockHeld = InstanceLockExists(MonitorLockName(true), !IsRemoteSession(), 1);
    view.GuiLockHeld = InstanceLockExists(MonitorLockName(false), !IsRemoteSession(), 1);
    view.Interactive = app->Interactive;
    view.Components = ctx.Components;
    view.PrinterSuspended = ctx.PrinterThread && gPrinterRan == 0 && IsThreadRunning(ctx.PrinterThread.Get());
    if (ctx.PrinterThread) {
      ResumeThread(ctx.PrinterThread.Get());
      view.PrinterReadyAfterResume = WaitForSingleObject(ctx.PrinterReadyEvent.Get(), 5000) == WAIT_OBJECT_0;
    }
    view.CaptureStarted = ctx.CaptureThread && gCaptureRan == 1;
    if (ctx.DirectoryThread) {
      for (int i = 0; i < 100 && gDirectoryRan == 0; ++i) Sleep(10);
      view.DirectoryStarted = gDirectoryRan == 1;
    }
    if (pauseInWindow) ResetEvent(ctx.RunGate.Get());
  }

  TScratchDir scratch{u"monitor_run"};
  TSavedKey config{kConfig, u"monitor_run"};
  TSavedKey configDos{kConfigDos, u"monitor_run"};
  std::unique_ptr<TClientApplication> app;
  TWindowView view;
  int serviceRuns = 0;
  int processEnds = 0;
  bool pauseInWindow = false;
};

}  // namespace

TEST_F(MonitorRun, WindowsPrintingRunsThePrinterMonitorBehindTheWindowAndStopsIt) {
  StartApplication();
  RunMonitor();
  EXPECT_EQ(view.Runs, 1);
  EXPECT_EQ(serviceRuns, 0);
  EXPECT_TRUE(view.QueueLockHeld);
  EXPECT_FALSE(view.GuiLockHeld);
  EXPECT_TRUE(view.Interactive);
  EXPECT_EQ(view.Components, 1);
  EXPECT_TRUE(view.PrinterSuspended) << "the printer monitor waits for the window";
  EXPECT_TRUE(view.PrinterReadyAfterResume);
  EXPECT_FALSE(view.CaptureStarted);
  EXPECT_EQ(gDirectoryRan, 0);

  TMonitorContext& ctx = app->Context;
  EXPECT_FALSE(ctx.PrinterThread) << "stopped and closed";
  EXPECT_FALSE(ctx.StopEvent) << "the events are given back";
  EXPECT_EQ(processEnds, 0);
  EXPECT_FALSE(InstanceLockExists(MonitorLockName(true), !IsRemoteSession(), 1)) << "the lock is given back";
  const std::string log = ReadFixture(scratch.File(u"client.log"));
  EXPECT_NE(log.find(";DisableGUI=0;ModeMonitor=1;ServiceMode=0;AsService=0;"), std::string::npos) << log;
}

TEST_F(MonitorRun, SecondMonitorOfTheSameRoleEndsAtOnce) {
  StartApplication();
  {
    const TInstanceLock other(MonitorLockName(true), !IsRemoteSession(), 1);
    ASSERT_TRUE(other.Held());
    RunMonitor();
    EXPECT_EQ(view.Runs, 0);
    EXPECT_EQ(gPrinterRan, 0);
  }
  {
    // A tray-only monitor does not keep the queue watcher out, nor the other way round.
    const TInstanceLock gui(MonitorLockName(false), !IsRemoteSession(), 1);
    RunMonitor();
    EXPECT_EQ(view.Runs, 1);
  }
}

TEST_F(MonitorRun, WithTheServiceConfiguredAUsersMonitorOnlyShowsTheTray) {
  RegWriteIntegerW(HKEY_LOCAL_MACHINE, kConfig, u"AsService", 1);
  StartApplication();
  if (!app->AsService) GTEST_SKIP() << "this system does not allow the monitor service";
  RunMonitor();
  EXPECT_EQ(view.Runs, 1);
  EXPECT_TRUE(view.GuiLockHeld);
  EXPECT_FALSE(view.QueueLockHeld);
  EXPECT_EQ(gPrinterRan, 0) << "the service watches the queues";
  EXPECT_FALSE(app->Context.PrinterThread);
}

TEST_F(MonitorRun, EverySourceStartsItsWorkerAndAPausedWorkerStillStops) {
  RegWriteString(HKEY_LOCAL_MACHINE, kConfigDos, u"Version", u"4.01.23");
  RegWriteIntegerW(HKEY_LOCAL_MACHINE, kConfigDos, u"IsCap", 1);
  RegWriteIntegerW(HKEY_LOCAL_MACHINE, kConfigDos, u"IsMonit", 1);
  const std::u16string watched = scratch.File(u"in\\deeper");
  RegWriteString(HKEY_LOCAL_MACHINE, kConfigDos, u"MonitorDir", watched);
  StartApplication();
  pauseInWindow = true;
  RunMonitor();
  ASSERT_EQ(view.Runs, 1);
  EXPECT_EQ(view.Components & 15, 15);
  EXPECT_TRUE(view.PrinterReadyAfterResume);
  EXPECT_TRUE(view.CaptureStarted) << "the run waited for the capture monitor's start";
  EXPECT_TRUE(view.DirectoryStarted);
  EXPECT_TRUE(DirectoryExistsW(watched)) << "the watched directory is made with its parents";
  TMonitorContext& ctx = app->Context;
  EXPECT_FALSE(ctx.PrinterThread);
  EXPECT_FALSE(ctx.CaptureThread);
  EXPECT_FALSE(ctx.DirectoryThread);
  EXPECT_EQ(processEnds, 0);
}

TEST_F(MonitorRun, QueueMonitorIsNotInteractiveAndLogsNoUserLine) {
  StartApplication();
  RunQueueMonitor();
  EXPECT_EQ(view.Runs, 1);
  EXPECT_TRUE(view.QueueLockHeld);
  EXPECT_FALSE(view.Interactive);
  EXPECT_TRUE(view.PrinterReadyAfterResume);
  EXPECT_EQ(ReadFixture(scratch.File(u"client.log")).find("UserName="), std::string::npos);
}
