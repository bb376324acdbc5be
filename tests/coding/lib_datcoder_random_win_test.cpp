// The Windows tick source: seeds follow GetTickCount once it is installed.
#include <gtest/gtest.h>

#include <windows.h>

#include "coding/lib_datcoder_random.h"
#include "coding/lib_datcoder_random_win.h"

TEST(WindowsTick, MonotonicTickFollowsGetTickCount) {
  UseWindowsTickSource();
  const DWORD before = GetTickCount();
  const uint32_t tick = MonotonicTick();
  // At least the system tick (later ones only grow), and never far ahead of it in one test.
  EXPECT_GE(tick, before);
  EXPECT_LT(tick - before, 60000u);
  EXPECT_GT(MonotonicTick(), tick);
  SetTickSource(nullptr);
}
