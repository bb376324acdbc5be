// Shift register, seeds and the monotonic tick (also across threads).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "coding/lib_datcoder_random.h"

namespace {

std::atomic<uint32_t> gFixedTick{0};
uint32_t FixedTick() { return gFixedTick.load(); }

// Installs a fixed tick for one test and restores the previous source.
class FixedTickTest : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = SetTickSource(&FixedTick); }
  void TearDown() override { SetTickSource(previous_); }
  TTickSource previous_ = nullptr;
};

TEST(Lfsr, StepFeedsTheParityOfTheTappedBitsIntoBitZero) {
  // From 1: bit 0 is tapped, so the first step feeds 1 in; the register doubles plus 1, then the
  // next steps see taps 0 and 1 set (parity 0), and so on. Worked by hand for 8 steps:
  // 1 -> 3 -> 6 -> 13 -> 27 -> 54 -> 109 -> 219 -> 438.
  uint32_t state = 1;
  EXPECT_EQ(LfsrNextByte(kLfsrTaps, 0xFFFFFFFFu, state), 438u);
  EXPECT_EQ(state, 438u);
  // Bit 31's tap counts before it drops out: the first step gives 1, then the seven steps above.
  state = 0x80000000u;
  EXPECT_EQ(LfsrXorByte(kLfsrTaps, state), 219);
  EXPECT_EQ(state, 219u);
}

TEST(Lfsr, ZeroStaysZero) {
  uint32_t state = 0;
  EXPECT_EQ(LfsrXorByte(kLfsrTaps, state), 0);
  EXPECT_EQ(state, 0u);
}

TEST(Lfsr, NextByteIsTheWholeStateModuloTheRange) {
  uint32_t a = 0x12345678u, b = a;
  const uint32_t v = LfsrNextByte(kLfsrTaps, 26, a);
  LfsrXorByte(kLfsrTaps, b);
  EXPECT_EQ(a, b);
  EXPECT_EQ(v, a % 26);
}

TEST(SeedFromValue, Table) {
  struct {
    uint32_t value, limit, expected;
    const char* why;
  } cases[] = {
      {5, 0, 1, "no limit"},
      {1000, kLfsrTaps, 1001, "taps fill every bit: value + 1"},
      {0xFFFFFFFEu, kLfsrTaps, 0xFFFFFFFFu, "last value below the modulus"},
      {0xFFFFFFFFu, kLfsrTaps, 1, "the modulus itself wraps to 1"},
      {10, 4, 4, "limit 4 -> m 7: 10 mod 7 + 1"},
      {7, 4, 1, "limit 4 -> m 7: 7 mod 7 + 1"},
      {3, 1, 1, "limit 1 -> m 1"},
  };
  for (const auto& c : cases) EXPECT_EQ(SeedFromValue(c.value, c.limit), c.expected) << c.why;
}

TEST_F(FixedTickTest, TickWithinOneMillisecondStillGrows) {
  gFixedTick = 500000;
  const uint32_t a = MonotonicTick();
  const uint32_t b = MonotonicTick();
  EXPECT_GE(a, 500000u);
  EXPECT_EQ(b, a + 1);
}

TEST_F(FixedTickTest, WrapOfTheCounterIsFollowedButAStepBackIsNot) {
  gFixedTick = 0xFFFFFF00u;
  EXPECT_GE(MonotonicTick(), 0xFFFFFF00u);
  gFixedTick = 5;  // the counter wrapped
  EXPECT_EQ(MonotonicTick(), 5u);
  gFixedTick = 3;  // a step back
  EXPECT_EQ(MonotonicTick(), 6u);
  gFixedTick = 1000;
  EXPECT_EQ(MonotonicTick(), 1000u);
}

TEST_F(FixedTickTest, TickIsUniqueAcrossThreads) {
  gFixedTick = 700000;
  constexpr int kThreads = 8, kCalls = 2000;
  std::vector<std::vector<uint32_t>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&seen, t] {
      for (int i = 0; i < kCalls; ++i) seen[t].push_back(MonotonicTick());
    });
  for (auto& th : threads) th.join();
  std::set<uint32_t> all;
  for (const auto& s : seen) {
    EXPECT_TRUE(std::is_sorted(s.begin(), s.end()));
    all.insert(s.begin(), s.end());
  }
  EXPECT_EQ(all.size(), static_cast<size_t>(kThreads * kCalls));
}

TEST_F(FixedTickTest, SeedBytesStayInTheirRanges) {
  gFixedTick = 123456;
  for (int i = 0; i < 500; ++i) {
    const uint32_t s255 = RandomSeed(255), s224 = RandomSeed(224);
    for (int k = 0; k < 4; ++k) {
      const unsigned b255 = (s255 >> (8 * k)) & 0xFF, b224 = (s224 >> (8 * k)) & 0xFF;
      EXPECT_GE(b255, 1u);
      EXPECT_GE(b224, 1u);
      EXPECT_LE(b224, 224u);
    }
  }
}

TEST_F(FixedTickTest, SeedFollowsTheTick) {
  // A fixed tick past the last one gives a reproducible seed: the register starts at tick + 1.
  SetTickSource(&FixedTick);
  gFixedTick = 0xF0000000u;
  const uint32_t first = RandomSeed(255);
  uint32_t state = 0xF0000001u;
  uint32_t expected = 0;
  for (int k = 0; k < 4; ++k) expected |= ((LfsrNextByte(kLfsrTaps, 255, state) + 1) & 0xFF) << (8 * k);
  EXPECT_EQ(first, expected);
}

}  // namespace
