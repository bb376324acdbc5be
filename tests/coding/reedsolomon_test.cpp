// Reed-Solomon check words: known values, and every codeword vanishes at alpha^1..alpha^K.
#include "coding/reedsolomon.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Field product by shift and reduce, independent of the coder's tables.
int32_t GfMul(int32_t a, int32_t b, TRsField f) {
  int32_t r = 0;
  while (b) {
    if (b & 1) r ^= a;
    b >>= 1;
    a <<= 1;
    if (a >= f.Size) a ^= f.Polynomial;
  }
  return r;
}

int32_t GfPow2(int e, TRsField f) {
  int32_t r = 1;
  for (int i = 0; i < e; ++i) r = GfMul(r, 2, f);
  return r;
}

}  // namespace

TEST(ReedSolomon, SmallCases) {
  struct {
    TRsField field;
    std::vector<int32_t> data;
    int k;
    std::vector<int32_t> check;
    const char* why;
  } cases[] = {
      {RsGf16, {1}, 1, {2}, "one check word of 1 is alpha^1"},
      {RsGf64, {0, 0, 0}, 4, {0, 0, 0, 0}, "zero data give zero check words"},
      {RsGf256, {7, 9}, 0, {}, "no check words leave the data alone"},
  };
  for (const auto& c : cases) {
    TReedSolomon rs;
    RsInit(rs);
    RsSetField(rs, c.field);
    rs.Words.fill(77);
    for (size_t i = 0; i < c.data.size(); ++i) rs.Words[i] = c.data[i];
    const int n = static_cast<int>(c.data.size());
    ASSERT_TRUE(RsEncode(rs, {c.k, n, 5})) << c.why;
    for (int i = 0; i < n; ++i) EXPECT_EQ(rs.Words[i], c.data[i]) << c.why;
    for (int j = 0; j < c.k; ++j) EXPECT_EQ(rs.Words[n + j], c.check[j]) << c.why;
    EXPECT_EQ(rs.Words[n + c.k], 0) << c.why << ": the word after the check words is cleared";
    EXPECT_EQ(rs.Spare, 5);
  }
}

TEST(ReedSolomon, CodewordsHaveTheGeneratorRoots) {
  std::mt19937 rng(24778);
  struct {
    TRsField field;
    int n, k;
  } cases[] = {{RsGf16, 2, 5}, {RsGf16, 4, 6}, {RsGf64, 10, 7}, {RsGf256, 60, 16},
               {RsGf1024, 300, 120}, {RsGf4096, 1300, 364}, {RsGf4096, 1, 1663}};
  for (const auto& c : cases) {
    TReedSolomon rs;
    RsInit(rs);
    RsSetField(rs, c.field);
    for (int i = 0; i < c.n; ++i) rs.Words[i] = static_cast<int32_t>(rng() % c.field.Size);
    ASSERT_TRUE(RsEncode(rs, {c.k, c.n, 0}));
    // The word sequence is the polynomial's coefficients from the highest power down.
    for (int j = 1; j <= c.k; j += (c.k > 40 ? 37 : 1)) {
      const int32_t x = GfPow2(j, c.field);
      int32_t v = 0;
      for (int i = 0; i < c.n + c.k; ++i) v = GfMul(v, x, c.field) ^ rs.Words[i];
      EXPECT_EQ(v, 0) << "GF(" << c.field.Size << ") root alpha^" << j;
    }
  }
}

TEST(ReedSolomon, RefusesWhatItCannotEncode) {
  TReedSolomon rs;
  RsInit(rs);
  EXPECT_FALSE(RsEncode(rs, {1, 1, 0})) << "no field set";
  RsSetField(rs, TRsField{64, 19});
  EXPECT_FALSE(RsEncode(rs, {1, 1, 0})) << "wrong polynomial for the size";
  RsSetField(rs, RsGf64);
  EXPECT_TRUE(RsEncode(rs, {1000, RsMaxWords - 1000, 0})) << "exactly the largest symbol";
  EXPECT_FALSE(RsEncode(rs, {1001, RsMaxWords - 1000, 0})) << "one word more";
  EXPECT_FALSE(RsEncode(rs, {-1, 3, 0}));
  rs.Words[0] = 64;
  EXPECT_FALSE(RsEncode(rs, {2, 1, 0})) << "a data word outside GF(64)";
}
