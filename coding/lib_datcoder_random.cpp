// Shift register, seeds and the process-wide monotonic tick.
#include "coding/lib_datcoder_random.h"

#include <atomic>
#include <bit>
#include <chrono>

namespace {

uint32_t SteadyTick() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<uint32_t>(ms.count());
}

// Process-wide by design: seeds drawn in the same millisecond, by any thread, must still differ.
std::atomic<TTickSource> gTickSource{&SteadyTick};
std::atomic<uint32_t> gLastTick{0};

// The counter starts again from 0 after 49.7 days: a tick behind the last one by more than half the
// range is that new round, not a step back, and is followed.
bool TickIsAhead(uint32_t now, uint32_t last) { return now > last || last - now > 0x80000000u; }

void LfsrStep8(uint32_t taps, uint32_t& state) {
  for (int i = 0; i < 8; ++i) state = (state << 1) | (std::popcount(state & taps) & 1u);
}

}  // namespace

TTickSource SetTickSource(TTickSource source) {
  return gTickSource.exchange(source ? source : &SteadyTick);
}

uint32_t ClockTick() { return gTickSource.load(std::memory_order_relaxed)(); }

uint32_t MonotonicTick() {
  const uint32_t now = gTickSource.load()();
  uint32_t last = gLastTick.load();
  uint32_t next;
  do {
    next = TickIsAhead(now, last) ? now : last + 1;
  } while (!gLastTick.compare_exchange_weak(last, next));
  return next;
}

uint32_t SeedFromValue(uint32_t value, uint32_t limit) {
  if (limit == 0) return 1;
  const uint32_t m = ~0u >> std::countl_zero(limit);
  return value % m + 1;
}

uint32_t LfsrNextByte(uint32_t taps, uint32_t range, uint32_t& state) {
  LfsrStep8(taps, state);
  return state % range;
}

uint8_t LfsrXorByte(uint32_t taps, uint32_t& state) {
  LfsrStep8(taps, state);
  return static_cast<uint8_t>(state);
}

uint32_t RandomSeed(uint32_t n) {
  uint32_t state = SeedFromValue(MonotonicTick(), kLfsrTaps);
  uint32_t seed = 0;
  for (int i = 0; i < 4; ++i) seed |= ((LfsrNextByte(kLfsrTaps, n, state) + 1) & 0xFFu) << (8 * i);
  return seed;
}
