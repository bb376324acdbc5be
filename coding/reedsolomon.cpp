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

  // Generator: product of (x + alpha^i), i = 1..K, built up from g = 1.
  std::fill_n(rs.Generator.begin(), k + 1, 0);
  rs.Generator[0] = 1;
  for (int32_t i = 1; i <= k; ++i) {
    const int32_t root = t[i % order].Exp;
    const int32_t logRoot = t[root].Log;
    for (int32_t j = i; j >= 1; --j) {
      const int32_t c = rs.Generator[j];
      rs.Generator[j] = rs.Generator[j - 1] ^ (c ? t[t[c].Log + logRoot].Exp : 0);
    }
    const int32_t c0 = rs.Generator[0];
    rs.Generator[0] = c0 ? t[t[c0].Log + logRoot].Exp : 0;
  }

  // Systematic division; the generator is taken in log form once (a zero coefficient stays marked).
  std::vector<int32_t> logGen(static_cast<size_t>(k));
  for (int32_t j = 0; j < k; ++j) {
    const int32_t c = rs.Generator[k - 1 - j];
    logGen[j] = c ? t[c].Log : -1;
  }
  int32_t* r = rs.Words.data() + n;
  std::fill_n(r, k + 1, 0);
  for (int32_t i = 0; i < n; ++i) {
    const int32_t f = r[0] ^ rs.Words[i];
    if (f == 0) {
      for (int32_t j = 0; j < k; ++j) r[j] = r[j + 1];
      continue;
    }
    const int32_t logF = t[f].Log;
    for (int32_t j = 0; j < k; ++j) {
      const int32_t lg = logGen[j];
      r[j] = r[j + 1] ^ (lg < 0 ? 0 : t[lg + logF].Exp);
    }
  }
  return true;
}
