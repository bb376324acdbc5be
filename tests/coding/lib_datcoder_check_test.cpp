// Check values against their published check values, and the XOR fold.
#include <gtest/gtest.h>

#include <string>

#include "coding/lib_datcoder_check.h"

namespace {

const std::string kDigits = "123456789";

TEST(CheckValues, PublishedCheckValuesOfTheNineDigits) {
  EXPECT_EQ(Crc8(kDigits, 0), 0xA1);          // CRC-8/MAXIM
  EXPECT_EQ(Crc16(kDigits, 0), 0xBB3D);       // CRC-16/ARC
  EXPECT_EQ(Crc32(kDigits, 0xFFFFFFFFu), 0xCBF43926u);
  EXPECT_EQ(ComputeCheck(kDigits, 1), 0xA1u);
  EXPECT_EQ(ComputeCheck(kDigits, 2), 0xBB3Du);
  EXPECT_EQ(ComputeCheck(kDigits, 3), 0xCBF43926u);
}

TEST(CheckValues, OtherModesGiveZeroAndEmptyStringsGiveZero) {
  for (uint8_t mode : {0, 4, 255}) EXPECT_EQ(ComputeCheck(kDigits, mode), 0u) << int(mode);
  for (uint8_t mode : {1, 2, 3}) EXPECT_EQ(ComputeCheck("", mode), 0u) << int(mode);
}

TEST(CheckValues, ChainedCallsEqualOneCall) {
  const std::string a = "12345", b = "6789";
  EXPECT_EQ(Crc8(b, Crc8(a, 0)), 0xA1);
  EXPECT_EQ(Crc16(b, Crc16(a, 0)), 0xBB3D);
  EXPECT_EQ(Crc32(b, ~Crc32(a, 0xFFFFFFFFu)), 0xCBF43926u);
}

TEST(CheckValues, HighBytesAreReadUnsigned) {
  // Single high bytes (values from an independent bitwise CRC): a sign-extended byte would misindex.
  EXPECT_EQ(Crc32(std::string("\xFF", 1), 0xFFFFFFFFu), 0xFF000000u);
  EXPECT_EQ(Crc16(std::string("\x80", 1), 0), 0xA001);
}

TEST(XorFold, Words) {
  struct {
    std::string bytes;
    uint32_t expected;
    const char* why;
  } cases[] = {
      {"", 0, "no word"},
      {std::string("\x01\x02\x03\x04", 4), 0x04030201u, "one word, little-endian"},
      {std::string("\x01\x02\x03\x04\x10", 5), 0x04030211u, "fifth byte into the low byte"},
      {std::string("\x01\x02\x03\x04\x01\x02\x03\x04", 8), 0, "equal words cancel"},
      {std::string("\xAA\xBB\xCC", 3), 0x00CCBBAAu, "short tail in the low bytes"},
      {std::string("\x00\x00\x00\x80\x00\x00\x01", 7), 0x80010000u, "tail of 3 after a word"},
  };
  for (const auto& c : cases) EXPECT_EQ(XorFold(c.bytes), c.expected) << c.why;
}

}  // namespace
