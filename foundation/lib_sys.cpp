// Small integer, bit and geometry helpers shared by every unit.
#include "foundation/lib_sys.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

uint32_t MaskOf(unsigned width) { return width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1u; }
}  // namespace

int32_t IntMin(int32_t a, int32_t b) { return a < b ? a : b; }
int32_t IntMax(int32_t a, int32_t b) { return a > b ? a : b; }

int32_t DivRoundUp(int32_t a, int32_t b) {
  if (b == 0) return 0;
  const int64_t q = static_cast<int64_t>(a) / b;
  const int64_t r = static_cast<int64_t>(a) % b;
  return Clamp32((r != 0 && ((r > 0) == (b > 0))) ? q + 1 : q);
}

int32_t RoundUpToMultiple(int32_t v, int32_t step) {
  if (step <= 1) return v;
  return Clamp32(static_cast<int64_t>(DivRoundUp(v, step)) * step);
}

int32_t IntMidpoint(int32_t a, int32_t b) {
  // Summed in 64 bits so large coordinates cannot overflow; truncates towards zero like div.
  return static_cast<int32_t>((static_cast<int64_t>(a) + b) / 2);
}

int32_t IntMod(int32_t a, int32_t b) {
  // Equivalent to subtracting b while b <= a, without the loop that never ends for b <= 0.
  if (b <= 0 || a < b) return a;
  return a % b;
}

int32_t IntSign(int32_t v) { return v >= 0 ? 1 : -1; }

int32_t CeilToInt(double x) {
  const double t = std::trunc(x);
  return Clamp32(static_cast<int64_t>(t) + ((x - t) > 0 ? 1 : 0));
}

bool TryRoundToInt(double x, int32_t& out) {
  if (!(x >= -2147483648.5 && x <= 2147483647.5)) return false;
  const double r = std::nearbyint(x);  // the default rounding mode: to nearest, ties to even
  if (r < -2147483648.0 || r > 2147483647.0) return false;
  out = static_cast<int32_t>(r);
  return true;
}

int32_t RoundToIntSlow(double x) {
  if (std::isnan(x)) return 0;
  int32_t out = 0;
  if (TryRoundToInt(x, out)) return out;
  return x < 0 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
}

int32_t IntMulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  int64_t p = static_cast<int64_t>(a) * b;
  int64_t d = c;
  if (d < 0) {
    p = -p;
    d = -d;
  }
  const int64_t q = p >= 0 ? (p + d / 2) / d : (p - d / 2) / d;
  // The system answers -1 for anything outside +-(2^31 - 1), the most negative value included.
  if (q > std::numeric_limits<int32_t>::max() || q < -std::numeric_limits<int32_t>::max()) return -1;
  return static_cast<int32_t>(q);
}

double SafeAbsRatio(double a, double b) {
  if (b == 0 || std::isnan(a) || std::isnan(b)) return 1.0;
  const double r = std::fabs(a / b);
  return std::isfinite(r) ? r : 1.0;
}

int64_t AddInt64(uint32_t a, int32_t b) { return static_cast<int64_t>(a) + b; }

void SwapBytes(uint8_t& a, uint8_t& b) { std::swap(a, b); }
void SwapInts(int32_t& a, int32_t& b) { std::swap(a, b); }

void TransposeRect(TRect& r) {
  std::swap(r.Left, r.Top);
  std::swap(r.Right, r.Bottom);
}

void ReverseWideChars(std::span<char16_t> chars) { std::reverse(chars.begin(), chars.end()); }

void InitByteArray(std::vector<uint8_t>& a, size_t n) { a.assign(n, 0); }
void InitIntArray(std::vector<int32_t>& a, size_t n) { a.assign(n, 0); }
void InitPointArray(std::vector<TPoint>& a, size_t n) { a.assign(n, TPoint{}); }

bool GetBit(uint32_t v, unsigned n) { return n < 32 && ((v >> n) & 1u) != 0; }

uint32_t GetBitField(uint32_t v, unsigned shift, unsigned width) {
  if (shift >= 32) return 0;
  return (v >> shift) & MaskOf(width);
}

void MakeBitField(uint32_t& d, uint32_t v, unsigned shift, unsigned width) {
  d = shift >= 32 ? 0 : (v & MaskOf(width)) << shift;
}
