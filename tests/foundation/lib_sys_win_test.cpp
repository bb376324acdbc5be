// The portable MulDiv against the system's own, over signs, halves, overflow and a zero divisor.
#include <gtest/gtest.h>
#include <windows.h>

#include <limits>

#include "foundation/lib_sys.h"

TEST(LibSysWin, IntMulDivAnswersAsTheSystem) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  // The most negative value is left out: Wine negates it in 32 bits and flips the sign of the answer
  // (-2^31 x 1 / -2 gives -2^30); the portable one answers 2^30.
  const int32_t values[] = {0, 1, -1, 2, -2, 3, 7, -7, 600, 601, -601, 4960, 65536, kMax, -kMax, kMax / 2 + 1};
  for (int32_t a : values)
    for (int32_t b : values)
      for (int32_t c : values) EXPECT_EQ(IntMulDiv(a, b, c), MulDiv(a, b, c)) << a << " x " << b << " / " << c;
}
