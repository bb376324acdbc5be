// Registry value data into texts and numbers: terminating NULs, integer sizes and types, number texts.
#include "foundation/lib_reg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {
std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
  std::vector<uint8_t> out;
  for (int b : list) out.push_back(static_cast<uint8_t>(b));
  return out;
}

std::vector<uint8_t> WideBytes(std::u16string_view text) {
  std::vector<uint8_t> out;
  for (char16_t ch : text) {
    out.push_back(static_cast<uint8_t>(ch & 0xFF));
    out.push_back(static_cast<uint8_t>(ch >> 8));
  }
  return out;
}
}  // namespace

TEST(RegText, WideDataUpToTheFirstNul) {
  struct Case {
    std::vector<uint8_t> data;
    std::u16string expected;
    const char* why;
  } cases[] = {
      {WideBytes(std::u16string(u"Привет\0", 7)), u"Привет", "as written, with its NUL"},
      {WideBytes(u"Привет"), u"Привет", "stored without a NUL: the last character stays"},
      {WideBytes(std::u16string(u"ab\0\0\0", 5)), u"ab", "padding NULs"},
      {WideBytes(std::u16string(u"ab\0cd\0", 6)), u"ab", "a multi-string gives its first string"},
      {{}, u"", "no data"},
      {Bytes({0x41}), u"", "a lone byte is no character"},
      {Bytes({0x41, 0x00, 0x42}), u"A", "an odd last byte is dropped"},
      {WideBytes(std::u16string(u"\0x", 2)), u"", "NUL first"},
  };
  for (const auto& c : cases) EXPECT_EQ(RegTextFromWideData(c.data), c.expected) << c.why;
}

TEST(RegText, AnsiDataUpToTheFirstNul) {
  struct Case {
    std::vector<uint8_t> data;
    std::string expected;
    const char* why;
  } cases[] = {
      {Bytes({0xCF, 0xF0, 0xE8, 0x00}), "\xCF\xF0\xE8", "1251 bytes with NUL"},
      {Bytes({0xCF, 0xF0, 0xE8}), "\xCF\xF0\xE8", "no NUL: nothing lost"},
      {Bytes({0x00}), "", "only the NUL"},
      {{}, "", "no data"},
      {Bytes({'a', 0, 'b', 0}), "a", "stops at the first NUL"},
  };
  for (const auto& c : cases) EXPECT_EQ(RegTextFromAnsiData(c.data), c.expected) << c.why;
}

TEST(RegInteger, OnlyFourBytesOfDwordOrBinary) {
  struct Case {
    uint32_t type;
    std::vector<uint8_t> data;
    std::optional<int32_t> expected;
    const char* why;
  } cases[] = {
      {kRegDword, Bytes({0x78, 0x56, 0x34, 0x12}), 0x12345678, "little-endian DWORD"},
      {kRegDword, Bytes({0xFF, 0xFF, 0xFF, 0xFF}), -1, "signed"},
      {kRegBinary, Bytes({1, 0, 0, 0}), 1, "binary of exactly four bytes"},
      {kRegBinary, Bytes({1, 0, 0}), std::nullopt, "binary one byte short"},
      {kRegBinary, Bytes({1, 0, 0, 0, 0}), std::nullopt, "binary one byte over"},
      {kRegDword, Bytes({1, 0}), std::nullopt, "short DWORD data"},
      {kRegDword, {}, std::nullopt, "empty DWORD data"},
      {kRegSz, Bytes({'1', '2', '3', 0}), std::nullopt, "a four-byte text is not a number"},
      {kRegSz, WideBytes(u"1\0"), std::nullopt, "a wide text is not a number"},
      {11, Bytes({1, 0, 0, 0, 0, 0, 0, 0}), std::nullopt, "REG_QWORD"},
      {kRegNone, Bytes({1, 0, 0, 0}), std::nullopt, "REG_NONE"},
  };
  for (const auto& c : cases) EXPECT_EQ(RegIntegerFromData(c.type, c.data), c.expected) << c.why;
}

TEST(RegFloat, WholeTextWithAPoint) {
  struct Case {
    const char* text;
    bool ok;
    double expected;
  } cases[] = {
      {"12.5", true, 12.5},       {"12,5", false, 0},     {"", false, 0},         {"-0.25", true, -0.25},
      {"+3", true, 3},            {"7", true, 7},         {"5.", true, 5},        {".5", true, 0.5},
      {"  2.5", true, 2.5},       {"2.5 ", false, 0},     {"1e3", true, 1000},    {"1.5E-2", true, 0.015},
      {"1e", false, 0},           {".", false, 0},        {"-", false, 0},        {"inf", false, 0},
      {"nan", false, 0},          {"0x10", false, 0},     {"1e400", false, 0},    {"12.5x", false, 0},
      {"--1", false, 0},          {"1..2", false, 0},
      // Whole numbers, read without conversion up to 15 digits and with it beyond.
      {"-12", true, -12},         {"  -7", true, -7},     {"+", false, 0},        {"0012", true, 12},
      {"123456789012345", true, 123456789012345.0},     {"12345678901234567", true, 12345678901234567.0},
      {"7 ", false, 0},           {"- 7", false, 0},
  };
  for (const auto& c : cases) {
    double value = -99;
    EXPECT_EQ(TryParseRegFloat(c.text, value), c.ok) << c.text;
    EXPECT_DOUBLE_EQ(value, c.ok ? c.expected : -99) << c.text;
  }
  double zero = 0;
  ASSERT_TRUE(TryParseRegFloat("-0", zero));
  EXPECT_TRUE(std::signbit(zero));
}
