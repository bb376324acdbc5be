// Reed-Solomon check words over the Galois fields of Aztec Code (encoding only).
// The caller sets the field, fills Words[0..n-1], calls RsEncode and reads Words[n..n+K-1].
#pragma once

#include <array>
#include <cstdint>
#include <vector>

// A Galois field GF(Size) with its primitive polynomial, top term included.
struct TRsField {
  int32_t Size;
  int32_t Polynomial;
};

// The fields of ISO/IEC 24778: the mode message and the four data word sizes.
inline constexpr TRsField RsGf16{16, 19};      // x^4 + x + 1, mode message nibbles
inline constexpr TRsField RsGf64{64, 67};      // x^6 + x + 1, 6-bit words
inline constexpr TRsField RsGf256{256, 301};   // x^8 + x^5 + x^3 + x^2 + 1, 8-bit words
inline constexpr TRsField RsGf1024{1024, 1033};  // x^10 + x^3 + 1, 10-bit words
inline constexpr TRsField RsGf4096{4096, 4201};  // x^12 + x^6 + x^5 + x^3 + 1, 12-bit words

inline constexpr int RsMaxWords = 1664;  // data plus check words of the largest symbol

struct TRsGfEntry {
  int32_t Log;
  int32_t Exp;
};

struct TReedSolomon {
  int32_t FieldSize = 1;
  int32_t Polynomial = 1;
  int32_t EccCount = 0;
  int32_t DataCount = 0;
  int32_t Spare = 0;
  std::array<int32_t, RsMaxWords + 1> Words{};      // data, then check words, then one 0
  std::array<int32_t, RsMaxWords + 1> Generator{};  // coefficient of x^j at index j
  std::vector<TRsGfEntry> GfTable;                  // 2N-1 entries: Exp doubled, Log of 1..N-1
  // Products of the generator with every 4-bit group, kept while the field and K stay the same.
  int32_t RowsField = 0;
  int32_t RowsEccCount = -1;
  std::vector<uint16_t> Rows;
};

// Parameter triple of RsEncode: check words K, data words n, and a third value kept as is.
struct TRsParams {
  int32_t EccCount;
  int32_t DataCount;
  int32_t Spare;
};

void RsInit(TReedSolomon& rs);
void RsSetField(TReedSolomon& rs, TRsField field);
// False (and nothing computed) when the field is not one of the five, the counts are negative or
// n + K exceeds RsMaxWords, or a data word is not an element of the field.
bool RsEncode(TReedSolomon& rs, const TRsParams& params);
