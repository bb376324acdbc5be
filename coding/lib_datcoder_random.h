// The 32-bit shift register behind every random choice of the coding subsystem, and its seeds.
#pragma once

#include <cstdint>

// Taps at bits 31, 21, 1 and 0.
inline constexpr uint32_t kLfsrTaps = 0x80200003u;

// Millisecond tick source behind the seeds. The portable default is the steady clock; the Windows
// build installs GetTickCount at start (UseWindowsTickSource). Returns the previous source.
using TTickSource = uint32_t (*)();
TTickSource SetTickSource(TTickSource source);

// The tick count, but always at least the previous result plus 1 (across all threads); when the
// counter wraps, the tick follows it from 0. For seeds only: it runs ahead of the clock when called
// often, so time limits and elapsed times take ClockTick.
uint32_t MonotonicTick();
// The tick count of the source as it is.
uint32_t ClockTick();

// value mod m + 1, m being limit with every bit below its highest bit set; 1 when limit is 0.
uint32_t SeedFromValue(uint32_t value, uint32_t limit);

// Four bytes (first lowest), each (LfsrNextByte(kLfsrTaps, n) + 1) taken to 8 bits, from a register
// seeded by the tick. n = 255 gives bytes 1..255, so the result is never 0.
uint32_t RandomSeed(uint32_t n);

// Eight register steps; the whole state modulo range (range > 0).
uint32_t LfsrNextByte(uint32_t taps, uint32_t range, uint32_t& state);
// Eight register steps; the low byte of the state.
uint8_t LfsrXorByte(uint32_t taps, uint32_t& state);
