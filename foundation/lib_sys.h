// Small integer, bit and geometry helpers shared by every unit.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int32_t cx = 0;
  int32_t cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  friend bool operator==(const TRect&, const TRect&) = default;
};

using TRectArray = std::vector<TRect>;

int32_t IntMin(int32_t a, int32_t b);
int32_t IntMax(int32_t a, int32_t b);
// Quotient rounded up (towards positive infinity); 0 when b is 0.
int32_t DivRoundUp(int32_t a, int32_t b);
// v rounded up to a multiple of step; v itself when step is 1 or less.
int32_t RoundUpToMultiple(int32_t v, int32_t step);
int32_t IntMidpoint(int32_t a, int32_t b);
// a reduced below b by subtracting b; a unchanged when a < b or b <= 0.
int32_t IntMod(int32_t a, int32_t b);
int32_t IntSign(int32_t v);
int32_t CeilToInt(double x);
// Nearest integer, halves to the even neighbour; false for a value that is not a number or does not fit.
bool TryRoundToInt(double x, int32_t& out);
// RoundToInt's general case.
int32_t RoundToIntSlow(double x);
// The same, clamped to the 32-bit range; 0 for a value that is not a number. Inline, as the parsers call
// it per command: whole values in range, the common case, need no rounding.
inline int32_t RoundToInt(double x) {
  if (x > -2147483649.0 && x < 2147483648.0) {
    const auto whole = static_cast<int32_t>(x);
    if (static_cast<double>(whole) == x) return whole;
  }
  return RoundToIntSlow(x);
}
// a x b / c with the product in 64 bits, halves away from zero, as the system's MulDiv: -1 when c is 0 or
// the result does not fit (the named MulDiv itself is the system's, so this one has its own name).
int32_t IntMulDiv(int32_t a, int32_t b, int32_t c);
// |a / b|; 1.0 when b is 0, either value is not a number, or the quotient is not finite.
double SafeAbsRatio(double a, double b);
int64_t AddInt64(uint32_t a, int32_t b);

void SwapBytes(uint8_t& a, uint8_t& b);
void SwapInts(int32_t& a, int32_t& b);
void TransposeRect(TRect& r);
void ReverseWideChars(std::span<char16_t> chars);

void InitByteArray(std::vector<uint8_t>& a, size_t n);
void InitIntArray(std::vector<int32_t>& a, size_t n);
void InitPointArray(std::vector<TPoint>& a, size_t n);

bool GetBit(uint32_t v, unsigned n);
uint32_t GetBitField(uint32_t v, unsigned shift, unsigned width);
void MakeBitField(uint32_t& d, uint32_t v, unsigned shift, unsigned width);
