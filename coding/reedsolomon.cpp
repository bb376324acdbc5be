// Reed-Solomon check words over GF(16)..GF(4096) for Aztec Code: generator with roots alpha^1..alpha^K.
#include "coding/reedsolomon.h"

#include <algorithm>

void RsInit(TReedSolomon& rs) {
  rs.Words.fill(0);
  rs.FieldSize = 1;
  rs.Polynomial = 1;
  rs.EccCount = 0;
  rs.DataCount = 0;
  rs.Spare = 0;
}

void RsSetField(TReedSolomon& rs, TRsField field) {
  rs.FieldSize = field.Size;
  rs.Polynomial = field.Polynomial;
}

namespace {

bool KnownField(int32_t size, int32_t polynomial) {
  for (const TRsField& f : {RsGf16, RsGf64, RsGf256, RsGf1024, RsGf4096})
    if (f.Size == size && f.Polynomial == polynomial) return true;
  return false;
}

void BuildTable(TReedSolomon& rs) {
  const int32_t n = rs.FieldSize;
  rs.GfTable.assign(static_cast<size_t>(2 * n - 1), TRsGfEntry{0, 0});
  rs.GfTable[0].Exp = 1;
  rs.GfTable[0].Log = 1 - n;
  int32_t power = 1;
  for (int32_t i = 1; i < n; ++i) {
    power <<= 1;
    if (power >= n) power ^= rs.Polynomial;
    rs.GfTable[i].Exp = power;
    rs.GfTable[n - 1 + i].Exp = power;
    rs.GfTable[power].Log = i;
  }
}

}  // namespace

bool RsEncode(TReedSolomon& rs, const TRsParams& params) {
  const int32_t k = params.EccCount;
  const int32_t n = params.DataCount;
  if (!KnownField(rs.FieldSize, rs.Polynomial)) return false;
  if (k < 0 || n < 0 || n + k > RsMaxWords) return false;
  for (int32_t i = 0; i < n; ++i)
    if (rs.Words[i] < 0 || rs.Words[i] >= rs.FieldSize) return false;
  rs.EccCount = k;
  rs.DataCount = n;
  rs.Spare = params.Spare;
  BuildTable(rs);
  const auto& t = rs.GfTable;
  const int32_t order = rs.FieldSize - 1;

  int bitsPerWord = 0;
  while ((1 << bitsPerWord) < rs.FieldSize) ++bitsPerWord;
  const int groups = (bitsPerWord + 3) / 4;
  const size_t kk = static_cast<size_t>(k);
  if (rs.RowsField != rs.FieldSize || rs.RowsEccCount != k) {
    // 16-bit copies of the tables for the loops below; log of 0 points into a run of zeros past the
    // doubled powers, so products with 0 need no test.
    const int32_t zeroLog = 2 * rs.FieldSize - 1;
    std::vector<uint16_t> ex(static_cast<size_t>(zeroLog + rs.FieldSize), 0);
    std::vector<uint16_t> lg(static_cast<size_t>(rs.FieldSize));
    for (int32_t i = 0; i < zeroLog; ++i) ex[i] = static_cast<uint16_t>(t[i].Exp);
    for (int32_t v = 1; v < rs.FieldSize; ++v) lg[v] = static_cast<uint16_t>(t[v].Log);
    lg[0] = static_cast<uint16_t>(zeroLog);

    // Generator: product of (x + alpha^i), i = 1..K, built up from g = 1.
    std::vector<uint16_t> g(static_cast<size_t>(k + 1), 0);
    g[0] = 1;
    for (int32_t i = 1; i <= k; ++i) {
      const int32_t logRoot = i % order;
      for (int32_t j = i; j >= 1; --j) g[j] = static_cast<uint16_t>(g[j - 1] ^ ex[lg[g[j]] + logRoot]);
      g[0] = ex[lg[g[0]] + logRoot];
    }
    std::copy(g.begin(), g.end(), rs.Generator.begin());

    // Products of the generator with each 4-bit group of a field element, for the division below.
    std::vector<uint16_t>& rows = rs.Rows;  // [group][nibble][j]
    rows.assign(static_cast<size_t>(groups) * 16 * kk, 0);
    for (int q = 0; q < groups; ++q)
      for (int v = 1; v < 16; ++v) {
        uint16_t* row = rows.data() + (static_cast<size_t>(q) * 16 + v) * kk;
        const uint16_t* rest = rows.data() + (static_cast<size_t>(q) * 16 + (v & (v - 1))) * kk;
        int low = 0;
        while (!((v >> low) & 1)) ++low;
        const int b = 4 * q + low;
        for (size_t j = 0; j < kk; ++j) row[j] = rest[j] ^ (b < bitsPerWord ? ex[lg[g[kk - 1 - j]] + b] : 0);
      }
    rs.RowsField = rs.FieldSize;
    rs.RowsEccCount = k;
  }

  // Systematic division with a window that moves along the words instead of shifting a register:
  // the remainder of the first i data words lies in r[i..i+K-1]. A product f x g is the XOR of the
  // products of g with each 4-bit group of f, so each step XORs a few precomputed rows.
  const std::vector<uint16_t>& rows = rs.Rows;
  std::vector<uint16_t> r(static_cast<size_t>(n + k + 1), 0);
  for (int32_t i = 0; i < n; ++i) {
    const int32_t f = r[i] ^ rs.Words[i];
    uint16_t* w = r.data() + i + 1;
    for (int q = 0; q < groups; ++q) {
      const int v = (f >> (4 * q)) & 15;
      if (!v) continue;
      const uint16_t* row = rows.data() + (static_cast<size_t>(q) * 16 + v) * kk;
      for (size_t j = 0; j < kk; ++j) w[j] ^= row[j];
    }
  }
  for (int32_t j = 0; j < k; ++j) rs.Words[n + j] = r[n + j];
  rs.Words[n + k] = 0;
  return true;
}
