// Compressors: round trips through reader-side decoders, and the frozen form of their streams.
#include <gtest/gtest.h>

#include <string>

#include "coding/lib_datcoder_check.h"
#include "coding/lib_datcoder_compress.h"
#include "support/datcoder_decoders.h"
#include "support/datcoder_payloads.h"
#include "support/golden.h"

namespace {

TEST(Lzhuf, RoundTripsEveryPayload) {
  for (const auto& p : PayloadCases()) {
    uint32_t length = static_cast<uint32_t>(p.bytes.size());
    const std::string packed = LzhCompress(p.bytes, length);
    EXPECT_EQ(length, p.bytes.size()) << p.name;
    const auto back = LzhDecompress(packed, p.bytes.size());
    ASSERT_TRUE(back.has_value()) << p.name;
    EXPECT_TRUE(*back == p.bytes) << p.name;
  }
}

TEST(Lzhuf, LengthIsCutToTheData) {
  const std::string data = "abcdef";
  uint32_t length = 100;
  const std::string packed = LzhCompress(data, length);
  EXPECT_EQ(length, 6u);
  EXPECT_EQ(LzhDecompress(packed, 6), data);
  length = 3;
  EXPECT_EQ(LzhDecompress(LzhCompress(data, length), 3), "abc");
}

TEST(Lzhuf, EmptyGivesEmpty) {
  uint32_t length = 0;
  EXPECT_EQ(LzhCompress("", length), "");
}

TEST(Lzhuf, RepetitiveTextShrinks) {
  const std::string text(10000, 'x');
  uint32_t length = 10000;
  EXPECT_LT(LzhCompress(text, length).size(), 300u);
}

// Readers decode these bytes: a change to the stream is a change of an outside interface.
TEST(Lzhuf, FrozenStreams) {
  struct {
    std::string input, hex;
  } cases[] = {
      {"A", "E680"},  // leaf 65 of the starting tree: 9 bits 111001101
      {"ABABABABAB", "E6F3A44020"},
  };
  for (const auto& c : cases) {
    uint32_t length = static_cast<uint32_t>(c.input.size());
    EXPECT_EQ(HexOf(LzhCompress(c.input, length)), c.hex) << c.input;
  }
}

// The whole streams of the payload table, as CRC-32 digests (golden set "compressors"): a faster match
// search or tree update must give the same bytes.
TEST(Compressors, FrozenDigestsOfThePayloadTable) {
  for (const auto& p : PayloadCases()) {
    uint32_t length = static_cast<uint32_t>(p.bytes.size());
    const uint32_t lzh = Crc32(LzhCompress(p.bytes, length), 0xFFFFFFFFu);
    length = static_cast<uint32_t>(p.bytes.size());
    const uint32_t six = Crc32(LzWindowCompress(p.bytes, length), 0xFFFFFFFFu);
    EXPECT_TRUE(MatchesGolden("compressors", "lzhuf " + p.name, HexOf(lzh)));
    EXPECT_TRUE(MatchesGolden("compressors", "sixpack " + p.name, HexOf(six)));
  }
}

TEST(Sixpack, RoundTripsEveryPayload) {
  for (const auto& p : PayloadCases()) {
    uint32_t length = static_cast<uint32_t>(p.bytes.size());
    const std::string packed = LzWindowCompress(p.bytes, length);
    EXPECT_EQ(length, packed.size()) << p.name;
    EXPECT_EQ(packed.size() % 2, 0u) << p.name << ": whole 16-bit words";
    const auto back = SixpackDecompress(packed);
    ASSERT_TRUE(back.has_value()) << p.name;
    EXPECT_TRUE(*back == p.bytes) << p.name;
  }
}

TEST(Sixpack, FrozenStreams) {
  struct {
    std::string input, hex;
    const char* why;
  } cases[] = {
      {"", "80BA", "only the end symbol: node 885, bits 101110101, word BA80 low byte first"},
      {"A", "2E5B00A0", "one byte and the end symbol"},
      {"abcabcabcabcabcabc", "466BECC290080928", "a copy after three literals"},
  };
  for (const auto& c : cases) {
    uint32_t length = static_cast<uint32_t>(c.input.size());
    EXPECT_EQ(HexOf(LzWindowCompress(c.input, length)), c.hex) << c.why;
  }
}

TEST(Sixpack, TextAndBinarySearchesBothRoundTrip) {
  // A high byte in the read-ahead switches to the shallower binary search; the data must not care.
  std::string text = RussianText(30000);
  std::string ascii = text;
  for (char& c : ascii) c = static_cast<char>(static_cast<unsigned char>(c) & 0x7F);
  for (const std::string* s : {&text, &ascii}) {
    uint32_t length = static_cast<uint32_t>(s->size());
    EXPECT_EQ(SixpackDecompress(LzWindowCompress(*s, length)), *s);
  }
}

TEST(CompressText, Modes) {
  const std::string data = "0123456789";
  struct {
    uint8_t mode;
    uint32_t length;
    std::string expected;
    const char* why;
  } cases[] = {
      {0, 4, data, "mode 0 gives the data unchanged, whole"},
      {3, 5, "01234", "unknown mode: the first length bytes"},
      {9, 50, data, "unknown mode, length cut to the data"},
  };
  for (const auto& c : cases) {
    uint32_t length = c.length;
    EXPECT_EQ(CompressText(data, length, c.mode), c.expected) << c.why;
  }
  uint32_t length = 10;
  EXPECT_EQ(LzhDecompress(CompressText(data, length, 1), 10), data);
  length = 10;
  EXPECT_EQ(SixpackDecompress(CompressText(data, length, 2)), data);
}

}  // namespace
