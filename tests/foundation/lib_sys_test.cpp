// Integer and bit helpers: the boundaries where a naive version overflows, hangs or rounds wrongly.
#include "foundation/lib_sys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
}  // namespace

TEST(LibSys, DivRoundUpAndMultiples) {
  struct Case {
    int32_t a, b, expected;
  } cases[] = {
      {7, 2, 4}, {8, 2, 4}, {0, 5, 0}, {1, 5, 1}, {5, 0, 0}, {-7, 2, -3}, {7, -2, -3}, {-7, -2, 4},
      {kMax, 1, kMax}, {kMax, 2, 1073741824},
  };
  for (const Case& c : cases) EXPECT_EQ(DivRoundUp(c.a, c.b), c.expected) << c.a << " / " << c.b;

  EXPECT_EQ(RoundUpToMultiple(13, 4), 16);
  EXPECT_EQ(RoundUpToMultiple(16, 4), 16);
  EXPECT_EQ(RoundUpToMultiple(13, 1), 13);
  EXPECT_EQ(RoundUpToMultiple(13, 0), 13);
  EXPECT_EQ(RoundUpToMultiple(13, -3), 13);
}

TEST(LibSys, IntModNeverHangsAndIsExact) {
  EXPECT_EQ(IntMod(10, 3), 1);
  EXPECT_EQ(IntMod(2, 3), 2);
  EXPECT_EQ(IntMod(3, 3), 0);
  EXPECT_EQ(IntMod(-5, 3), -5);  // nothing to subtract: a is already below b
  // These looped for ever, or for billions of steps, when written as a subtraction loop.
  EXPECT_EQ(IntMod(10, 0), 10);
  EXPECT_EQ(IntMod(10, -3), 10);
  EXPECT_EQ(IntMod(kMax, 1), 0);
  EXPECT_EQ(IntMod(kMax, 2), 1);
}

TEST(LibSys, MidpointAndSignAtTheLimits) {
  EXPECT_EQ(IntMidpoint(kMax, kMax), kMax);
  EXPECT_EQ(IntMidpoint(kMin, kMin), kMin);
  EXPECT_EQ(IntMidpoint(3, 4), 3);
  EXPECT_EQ(IntMidpoint(-3, -4), -3);
  EXPECT_EQ(IntSign(0), 1);
  EXPECT_EQ(IntSign(-1), -1);
  EXPECT_EQ(IntMin(kMin, kMax), kMin);
  EXPECT_EQ(IntMax(kMin, kMax), kMax);
}

TEST(LibSys, CeilToIntAndRatios) {
  EXPECT_EQ(CeilToInt(1.0), 1);
  EXPECT_EQ(CeilToInt(1.0001), 2);
  EXPECT_EQ(CeilToInt(-1.5), -1);
  EXPECT_EQ(CeilToInt(0.0), 0);
  EXPECT_DOUBLE_EQ(SafeAbsRatio(-6, 3), 2.0);
  EXPECT_DOUBLE_EQ(SafeAbsRatio(6, 0), 1.0);
  EXPECT_DOUBLE_EQ(SafeAbsRatio(std::nan(""), 2), 1.0);
  EXPECT_DOUBLE_EQ(SafeAbsRatio(2, std::nan("")), 1.0);
  EXPECT_DOUBLE_EQ(SafeAbsRatio(1e308, 1e-308), 1.0);  // the quotient overflows
  EXPECT_EQ(AddInt64(0xFFFFFFFFu, 1), 0x100000000LL);
  EXPECT_EQ(AddInt64(0, -1), -1);
}

TEST(LibSys, RoundingHalvesToEven) {
  struct Case {
    double x;
    bool fits;
    int32_t expected;
  } cases[] = {
      {8.77, true, 9},   {2.5, true, 2},    {3.5, true, 4},   {-2.5, true, -2},    {-0.5, true, 0},
      {0.49999, true, 0}, {2147483647.0, true, kMax}, {2147483647.5, false, 0}, {-2147483648.5, true, kMin},
      {-2147483649.0, false, 0}, {std::nan(""), false, 0}, {INFINITY, false, 0},
  };
  for (const Case& c : cases) {
    int32_t out = 12345;
    EXPECT_EQ(TryRoundToInt(c.x, out), c.fits) << c.x;
    if (c.fits) {
      EXPECT_EQ(out, c.expected) << c.x;
    }
  }
  EXPECT_EQ(RoundToInt(1e300), kMax);
  EXPECT_EQ(RoundToInt(-INFINITY), kMin);
  EXPECT_EQ(RoundToInt(std::nan("")), 0);
  EXPECT_EQ(RoundToInt(26.57), 27);
}

TEST(LibSys, MulDivAsTheSystemDoes) {
  struct Case {
    int32_t a, b, c, expected;
    const char* why;
  } cases[] = {
      {600, 3, 2, 900, "exact"},
      {601, 3, 2, 902, "901.5: a half goes away from zero"},
      {-601, 3, 2, -902, "-901.5: away from zero too"},
      {601, -3, 2, -902, "negative multiplier"},
      {601, 3, -2, -902, "negative divisor"},
      {-601, 3, -2, 902, "two negatives"},
      {10, 1, 3, 3, "3.33 rounds down"},
      {20, 1, 3, 7, "6.67 rounds up"},
      {5, 7, 0, -1, "no divisor"},
      {kMax, kMax, kMax, kMax, "the product needs 64 bits"},
      {kMax, 2, 1, -1, "too large"},
      {kMin, 1, 1, -1, "the most negative value is out of range too"},
      {kMin, 1, -1, -1, "and its negation does not fit"},
      {-kMax, 1, 1, -kMax, "the most negative value that fits"},
      {kMin, kMin, kMin, -1, "2^31 does not fit"},
  };
  for (const Case& c : cases) EXPECT_EQ(IntMulDiv(c.a, c.b, c.c), c.expected) << c.why;
}

TEST(LibSys, BitFields) {
  EXPECT_TRUE(GetBit(0x80000000u, 31));
  EXPECT_FALSE(GetBit(0x80000000u, 30));
  EXPECT_FALSE(GetBit(0xFFFFFFFFu, 32));
  EXPECT_EQ(GetBitField(0xABCD1234u, 8, 8), 0x12u);
  EXPECT_EQ(GetBitField(0xABCD1234u, 0, 0), 0u);
  EXPECT_EQ(GetBitField(0xABCD1234u, 0, 31), 0x2BCD1234u);
  uint32_t d = 0xFFFFFFFF;
  MakeBitField(d, 0x1FF, 4, 8);
  EXPECT_EQ(d, 0xFF0u);
  MakeBitField(d, 5, 40, 3);
  EXPECT_EQ(d, 0u);
}

TEST(LibSys, SwapsAndArrays) {
  TRect r{1, 2, 3, 4};
  TransposeRect(r);
  EXPECT_EQ(r, (TRect{2, 1, 4, 3}));
  std::u16string s = u"abc";
  ReverseWideChars(s);
  EXPECT_EQ(s, u"cba");
  std::vector<int32_t> ints{5, 6};
  InitIntArray(ints, 3);
  EXPECT_EQ(ints, (std::vector<int32_t>{0, 0, 0}));
}
