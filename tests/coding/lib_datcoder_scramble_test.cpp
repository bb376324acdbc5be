// Scramblers: round trips through the reader's unscrambling, the frozen class table, and the cases
// the additive scramble cannot carry.
#include <gtest/gtest.h>

#include <string>

#include "coding/lib_datcoder_check.h"
#include "coding/lib_datcoder_random.h"
#include "coding/lib_datcoder_scramble.h"
#include "support/datcoder_decoders.h"
#include "support/datcoder_payloads.h"
#include "support/golden.h"

namespace {

std::string WithoutFF(std::string s) {
  for (char& c : s)
    if (c == '\xFF') c = '\xFE';
  return s;
}

TEST(ScrambleText, OtherModesCopyWithoutSeed) {
  const std::string text = Cp1251("Счёт 15\t");
  for (uint8_t mode : {0, 1, 4, 5, 200}) EXPECT_EQ(ScrambleText(text, mode), text) << int(mode);
}

TEST(AdditiveScramble, RoundTripsEveryPayloadWithoutFF) {
  for (const auto& p : PayloadCases()) {
    const std::string text = WithoutFF(p.bytes);
    const auto s = ScrambleText(text, 2);
    ASSERT_TRUE(s.has_value()) << p.name;
    ASSERT_EQ(s->size(), text.size() + 4) << p.name;
    EXPECT_TRUE(AdditiveUnscramble(*s) == text) << p.name;
  }
}

TEST(AdditiveScramble, EmptyTextIsTheSeed) {
  const auto s = AdditiveScramble("");
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(s->size(), 4u);
}

TEST(AdditiveScramble, RefusesTheByteFFThatItWouldTurnIntoZero) {
  // Windows-1251 "я" is FF: coded, it would come back as 0 wherever the keystream is not 0.
  EXPECT_FALSE(AdditiveScramble(Cp1251("заявка")).has_value());
  EXPECT_FALSE(ScrambleText(std::string(1, '\xFF'), 2).has_value());
  EXPECT_TRUE(AdditiveScramble(std::string(1, '\xFE')).has_value());
}

TEST(ClassScramble, RoundTripsEveryPayload) {
  std::string table;
  BuildClassTable(table);
  for (const auto& p : PayloadCases()) {
    const auto s = ScrambleText(p.bytes, 3);
    ASSERT_TRUE(s.has_value()) << p.name;
    EXPECT_TRUE(ClassUnscramble(*s, table) == p.bytes) << p.name;
    std::string cached;  // SubstituteText builds a missing table
    EXPECT_TRUE(ClassUnscramble(SubstituteText(p.bytes, cached), table) == p.bytes) << p.name;
    EXPECT_EQ(cached, table);
  }
}

TEST(ClassScramble, EveryByteStaysInItsClass) {
  std::string table;
  BuildClassTable(table);
  std::string text;
  for (int round = 0; round < 40; ++round)
    for (int i = 0; i < 256; ++i) text.push_back(static_cast<char>(i));
  const std::string s = ClassScramble(text).substr(4);
  for (size_t i = 0; i < text.size(); ++i) {
    const auto in = static_cast<unsigned char>(text[i]), out = static_cast<unsigned char>(s[i]);
    EXPECT_EQ(table[4 * in + 2], table[4 * out + 2]) << "byte " << int(in) << " left its class";
  }
}

// Readers of the symbols build the same table: these values must never change.
TEST(ClassTable, FrozenForReaders) {
  std::string table;
  BuildClassTable(table);
  ASSERT_EQ(table.size(), kClassTableSize);
  struct {
    unsigned char byte;
    int index, size, start;
    const char* why;
  } cases[] = {
      {'A', 0, 26, 0, "Latin capitals first"},
      {'z', 25, 26, 26, "Latin small letters"},
      {0x09, 8, 24, 52, "TAB among the mixed-set controls"},
      {0x7F, 23, 24, 52, "DEL closes the mixed set"},
      {'}', 22, 23, 76, "punctuation"},
      {'0', 0, 10, 99, "digits"},
      {'.', 1, 2, 109, "the digit-set signs"},
      {' ', 0, 1, 111, "space is kept"},
      {0x0D, 0, 1, 112, "CR is kept"},
      {0x0A, 0, 1, 113, "LF is kept"},
      {0x00, 0, 1, 114, "NUL is kept"},
      {0x0E, 0, 141, 115, "the eleventh class starts with the unused controls"},
      {0xE0, 13 + 64, 141, 115, "small а takes the place of capital А"},
      {0xC0, 13 + 96, 141, 115, "capital А takes the place of small а"},
      {0xB8, 13 + 40, 141, 115, "ё takes the place of Ё"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<unsigned char>(table[4 * c.byte]), c.index) << c.why;
    EXPECT_EQ(static_cast<unsigned char>(table[4 * c.byte + 1]), c.size) << c.why;
    EXPECT_EQ(static_cast<unsigned char>(table[4 * c.byte + 2]), c.start) << c.why;
  }
  EXPECT_TRUE(MatchesGolden("class_table", "class table", HexOf(Crc32(table, 0xFFFFFFFFu)))) << "whole table";
}

std::string Unhex(const std::string& h) {
  std::string s;
  for (size_t i = 0; i + 1 < h.size(); i += 2) s.push_back(static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16)));
  return s;
}

// Messages as a reader receives them (seed first): the class table and keystream must keep
// reading them back to the same text.
TEST(Scramblers, ReaderVectors) {
  const std::string text = "Aa0, " + Cp1251("Ёж ИНН:7701\r\n");
  std::string table;
  BuildClassTable(table);
  // Seed 841C883E; A->X a->y 0->5 ,->, kept space, Ё->F8 ж->95, Н->1A (an unused control of the
  // same class), :->}, digits to digits, CR LF kept.
  const std::string classed = Unhex("841C883E5879352C20F89520D9851A7D313438360D0A");
  const std::string added = Unhex("AEB39014DCEADD8F4F8D5C22413158E9197C58C39FF0");
  EXPECT_EQ(ClassUnscramble(classed, table), text);
  EXPECT_EQ(AdditiveUnscramble(added), text);
}

TEST(XorScramble, RoundTrips) {
  for (const auto& p : PayloadCases()) {
    const std::string s = XorScramble(p.bytes);
    EXPECT_EQ(s.size(), p.bytes.size() + 4) << p.name;
    EXPECT_TRUE(XorUnscramble(s) == p.bytes) << p.name;
  }
}

TEST(XorUnscramble, ShortInputIsEmpty) {
  for (const char* s : {"", "a", "abcd"}) EXPECT_EQ(XorUnscramble(s), "") << s;
  EXPECT_EQ(XorUnscramble("abcde").size(), 1u);
}

}  // namespace
