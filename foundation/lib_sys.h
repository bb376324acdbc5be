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
