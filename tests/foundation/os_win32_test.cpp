// The kernel-object naming rule and the stop protocol of worker threads.
#include "foundation/os_win32.h"

#include <gtest/gtest.h>

TEST(KernelObjectName, SessionPrefixFromWindows2000On) {
  struct Case {
    const char* name;
    bool global;
    bool ntFiveUp;
    const char* expected;
    const char* why;
  } cases[] = {
      {"Tevoran Printer Install", true, true, "Global\\Tevoran Printer Install", "all sessions"},
      {"Tevoran Printer Install", false, true, "Local\\Tevoran Printer Install", "own session"},
      {"A", true, false, "A", "NT 4 and 9x: one namespace"},
      {"A", false, false, "A", "the flag means nothing there"},
      {"", true, true, "Global\\", "empty name still gets the prefix"},
  };
  for (const Case& c : cases) EXPECT_EQ(MakeKernelObjectName(c.name, c.global, c.ntFiveUp), c.expected) << c.why;
}

TEST(KernelObjectName, MutexOrSemaphore) {
  EXPECT_TRUE(InstanceLockIsMutex(1, true));
  EXPECT_FALSE(InstanceLockIsMutex(2, true));
  EXPECT_TRUE(InstanceLockIsMutex(2, false)) << "no counting locks before Windows 2000";
  EXPECT_TRUE(InstanceLockIsMutex(0, true)) << "a count below one is one instance";
  EXPECT_TRUE(InstanceLockIsMutex(-5, true));
}

namespace {
// A thread that ends after a given number of stop signals (never when 0).
struct FakeThread {
  int endsAfterSignals = 0;
  int signals = 0;
  int pauses = 0;
  bool running = true;
  TStopThreadSteps Steps() {
    return {[this] {
              ++signals;
              if (endsAfterSignals && signals >= endsAfterSignals) running = false;
            },
            [this] { return running; }, [this](uint32_t ms) {
              EXPECT_EQ(ms, 40u);
              ++pauses;
            }};
  }
};
}  // namespace

TEST(StopThreadRounds, SignalsAndPauses) {
  struct Case {
    int endsAfter;
    bool running;
    bool hasEvent;
    bool ended;
    int signals;
    int pauses;
    const char* why;
  } cases[] = {
      {0, true, true, false, 16, 17, "never ends: 16 signals, 17 pauses, left running"},
      {1, true, true, true, 1, 0, "ends on the first signal"},
      {3, true, true, true, 3, 2, "ends on the third"},
      {16, true, true, true, 16, 15, "ends on the last signal"},
      {0, false, true, true, 1, 0, "already ended"},
      {0, false, false, true, 0, 0, "already ended, no event"},
      {0, true, false, false, 0, 1, "no event: one pause, then given up"},
  };
  for (const Case& c : cases) {
    FakeThread t;
    t.endsAfterSignals = c.endsAfter;
    t.running = c.running;
    EXPECT_EQ(RunThreadStopRounds(t.Steps(), c.hasEvent, 40), c.ended) << c.why;
    EXPECT_EQ(t.signals, c.signals) << c.why;
    EXPECT_EQ(t.pauses, c.pauses) << c.why;
  }
}
