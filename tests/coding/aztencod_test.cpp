// Aztec Code encoder: settings, symbol sizes, bit costs, stuffing and fill, refusals, and two
// symbols drawn module for module (the standard's "Code 2D!" example and a rune).
#include "coding/aztencod.h"

#include <gtest/gtest.h>

#include <string>

#include "aztec_ascii.h"

namespace {

int EncodeWith(TAztCoder& c, const std::string& data, int sizeMode, int count = 1) {
  c.SetData(data);
  c.SetSizeMode(sizeMode);
  c.SetSymbolCount(count);
  return c.Encode();
}

}  // namespace

TEST(AztCoder, SettersClamp) {
  TAztCoder c;
  c.SetSymbolCount(0);
  EXPECT_EQ(c.SymbolCount(), 1);
  c.SetSymbolCount(40);
  EXPECT_EQ(c.SymbolCount(), 26);
  c.SetMessageId("a1");
  EXPECT_EQ(c.MessageId(), "ZA");
  c.SetGap(-5);
  EXPECT_EQ(c.Gap(), 0);
  c.Reset();
  EXPECT_EQ(c.SymbolCount(), 1);
  EXPECT_EQ(c.Gap(), 1);
  EXPECT_EQ(c.MessageId(), "");
}

TEST(AztCoder, SymbolSizes) {
  const int compact[] = {15, 19, 23, 27};
  const int full[] = {19, 23, 27, 31, 37, 41, 45, 49, 53, 57, 61, 67, 71, 75, 79, 83,
                      87, 91, 95, 101, 105, 109, 113, 117, 121, 125, 131, 135, 139, 143, 147, 151};
  TAztCoder c;
  for (int l = 1; l <= 4; ++l) {
    ASSERT_EQ(EncodeWith(c, "A", 100 + l), AztOk);
    EXPECT_EQ(c.SymbolSize(), compact[l - 1]);
    EXPECT_TRUE(c.Compact());
    EXPECT_EQ(c.Layers(), l);
  }
  for (int l = 1; l <= 32; ++l) {
    ASSERT_EQ(EncodeWith(c, "A", 200 + l), AztOk);
    EXPECT_EQ(c.SymbolSize(), full[l - 1]) << l << " layers";
    EXPECT_EQ(c.PictureWidth(), full[l - 1]);
    EXPECT_EQ(c.Picture().size(), static_cast<size_t>((full[l - 1] + 7) / 8 * full[l - 1]));
    EXPECT_FALSE(c.Compact());
  }
}

TEST(AztCoder, CodeTwoDExample) {
  TAztCoder c;
  ASSERT_EQ(EncodeWith(c, "Code 2D!", 0), AztOk);
  EXPECT_EQ(c.UsedBits(), 56);
  EXPECT_EQ(AztAscii(c),
            "...##...##.....\n"
            "......##.....#.\n"
            "#.##....#...#.#\n"
            ".############..\n"
            "####.......##.#\n"
            "...#.#####.##..\n"
            "#..#.#...#.####\n"
            "..##.#.#.#.#..#\n"
            "..##.#...#.#.#.\n"
            ".#.#.#####.#..#\n"
            "#..#.......#.##\n"
            "#..##########.#\n"
            ".#...##...#..#.\n"
            ".##....##.##.#.\n"
            "###..##.##.....\n");
}

TEST(AztCoder, Rune) {
  TAztCoder c;
  c.SetSymbolCount(3);
  ASSERT_EQ(EncodeWith(c, "65", AztSizeRune, 3), AztOk);
  EXPECT_EQ(c.PictureWidth(), 11) << "a rune is always one symbol";
  EXPECT_EQ(AztAscii(c),
            "#####.#.#.#\n"
            "###########\n"
            "##.......##\n"
            ".#.#####.#.\n"
            ".#.#...#.#.\n"
            ".#.#.#.#.#.\n"
            "##.#...#.#.\n"
            "##.#####.##\n"
            ".#.......#.\n"
            ".##########\n"
            "..##.####..\n");
  TAztCoder d;
  ASSERT_EQ(EncodeWith(d, "321", AztSizeRune), AztOk);
  const std::string r321 = AztAscii(d);
  ASSERT_EQ(EncodeWith(d, "65", AztSizeRune), AztOk);
  EXPECT_EQ(AztAscii(d), AztAscii(c)) << "the value is taken modulo 256";
  ASSERT_EQ(EncodeWith(d, "x", AztSizeRune), AztOk);
  const std::string rx = AztAscii(d);
  ASSERT_EQ(EncodeWith(d, "0", AztSizeRune), AztOk);
  EXPECT_EQ(AztAscii(d), rx) << "not a number reads as 0";
  EXPECT_NE(r321, rx);
}

TEST(AztCoder, BitCosts) {
  struct {
    std::string data;
    int bits;
    const char* why;
  } cases[] = {
      {"Code 2D!", 56, "the standard's example"},
      {"0123", 5 + 16, "digits after one latch"},
      {"a. b", 5 + 5 + 10 + 5, "L/L a, P/S with the pair, b"},
      {"A\r\nB", 5 + 10 + 5, "CR LF as one punctuation pair by shift"},
      {std::string(31, '\x80'), 10 + 31 * 8, "the longest short binary shift"},
      {std::string(32, '\x80'), 21 + 32 * 8, "the 11-bit length from 32 bytes on"},
      {std::string(2078, '\x80'), 21 + 2078 * 8, "the longest run one length field holds"},
      {std::string(2079, '\x80'), 21 + 2078 * 8 + 10 + 8, "one byte more starts a second binary shift"},
      {std::string(2078 + 32, '\x80'), 21 + 2078 * 8 + 21 + 32 * 8, "a second long binary shift"},
  };
  TAztCoder c;
  for (const auto& k : cases) {
    c.SetData(k.data);
    c.Capacity(0);
    EXPECT_EQ(c.UsedBits(), k.bits) << k.why;
  }
}

TEST(AztCoder, FlgReading) {
  TAztCoder c;
  c.SetData(std::string("\x1b\x1b" "2" "12", 5));
  c.Capacity(0);
  const int plain = c.UsedBits();
  c.SetFlgEnabled(true);
  c.Capacity(0);
  EXPECT_EQ(c.UsedBits(), 5 + 5 + 3 + 8) << "P/S FLG(2) and two digits";
  c.SetData(std::string("\x1b\x1b" "7" "1234567", 10));
  c.Capacity(0);
  EXPECT_GT(c.UsedBits(), 5 + 5 + 3 + 28) << "FLG(7) is reserved: the bytes are written as they are";
  EXPECT_GT(plain, 21);
}

TEST(AztCoder, CapacityAndFitCount) {
  struct {
    std::string data;
    int mode, ec, count;
    const char* id;
    int capacity, fit;
    const char* why;
  } cases[] = {
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 101, 0, 1, "", 104, 20, "5 bits a letter, below 104"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 101, 50, 1, "", 52, 10, "half of the symbol"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 101, 0, 2, "", 148, 26, "two symbols less 30 bits each"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 101, 0, 2, "AB", 108, 21, "identifier and header allowance"},
      {"A. ", 101, 90, 1, "", 10, 2, "a pair's bits count at its second byte"},
      {"A. ", 101, 84, 1, "", 16, 3, "the pair fits"},
      {"Ab", 101, 90, 1, "", 10, 1, "a latch counts at the byte after it"},
      {"A", 300, 0, 1, "", 0, 0, "a rune holds no message"},
  };
  TAztCoder c;
  for (const auto& k : cases) {
    c.Reset();
    c.SetData(k.data);
    c.SetSizeMode(k.mode);
    c.SetSymbolCount(k.count);
    c.SetMessageId(k.id);
    EXPECT_EQ(c.Capacity(k.ec), k.capacity) << k.why;
    EXPECT_EQ(c.FitCount(), k.fit) << k.why;
    EXPECT_EQ(c.SymbolCount(), k.count) << "restored";
  }
  c.Reset();
  c.SetData(std::string(5000, 'A'));
  EXPECT_EQ(c.Capacity(0), 19968) << "a message too long for any symbol is measured against the largest";
  EXPECT_EQ(c.FitCount(), 19967 / 5);
}

TEST(AztCoder, Refusals) {
  struct {
    std::string data;
    int mode, count;
    bool readerInit;
    int result;
    const char* why;
  } cases[] = {
      {std::string(121, 'A'), 104, 1, false, AztErrNoCheckWords, "605 bits leave no 8-bit word for checks"},
      {std::string(122, 'A'), 104, 1, false, AztErrTooLong, "610 bits exceed 608"},
      {std::string(54, '\0'), 104, 1, false, AztErrTooLong, "65 stuffed words: a compact mode message counts 64"},
      {"", 0, 1, false, AztErrTooLong, "an empty symbol is read as nothing"},
      {"AB", 0, 3, false, AztErrTooLong, "a structured-append symbol without a character"},
      {"ABC", 0, 3, false, AztOk, "one character for each symbol"},
      {"A", 102, 1, true, AztErrTooLong, "reader initialisation in a compact symbol of 2 layers"},
      {"A", 223, 1, true, AztErrTooLong, "reader initialisation above 22 layers"},
      {"A", 222, 1, true, AztOk, "reader initialisation at 22 layers"},
      {"A", 105, 1, false, AztErrTooLong, "no such size mode"},
      {"A", 233, 1, false, AztErrTooLong, "no such size mode"},
      {"A", -1, 1, false, AztErrTooLong, "no such size mode"},
      {std::string(3071, 'A'), 0, 1, false, AztOk, "(15355 + 18) / 0.77 fits 19968 bits"},
      {std::string(3072, 'A'), 0, 1, false, AztErrTooLong, "one letter more asks for 19971"},
  };
  TAztCoder c;
  for (const auto& k : cases) {
    c.Reset();
    c.SetReaderInit(k.readerInit);
    EXPECT_EQ(EncodeWith(c, k.data, k.mode, k.count), k.result) << k.why;
    if (k.result != AztOk) {
      EXPECT_TRUE(c.Picture().empty()) << k.why;
      EXPECT_EQ(c.PictureWidth(), 0);
    }
  }
}

TEST(AztCoder, CompactCountOverflowTakesFullSymbol) {
  TAztCoder c;
  ASSERT_EQ(EncodeWith(c, std::string(54, '\0'), 1), AztOk);
  EXPECT_FALSE(c.Compact()) << "the percentage asks for compact 4 layers, whose mode message cannot count the words";
  ASSERT_EQ(EncodeWith(c, std::string(40, '\0'), 1), AztOk);
  EXPECT_TRUE(c.Compact());
}

TEST(AztCoder, StructuredAppendPicture) {
  TAztCoder c;
  ASSERT_EQ(EncodeWith(c, "AB", 101, 2), AztOk);
  EXPECT_EQ(c.PictureWidth(), 31);
  EXPECT_EQ(c.SymbolSize(), 15);
  EXPECT_EQ(c.Picture().size(), 4u * 15);
  const std::string a = AztAscii(c);
  for (int y = 0; y < 15; ++y) EXPECT_EQ(a[y * 32 + 15], '.') << "the gap column stays light";
  c.SetGap(4);
  ASSERT_EQ(c.Encode(), AztOk);
  EXPECT_EQ(c.PictureWidth(), 34);
}

TEST(AztCoder, StuffingAndFill) {
  struct {
    TAztBits bits;
    int w;
    bool latchFill;
    TAztMode end;
    std::vector<int32_t> words;
    const char* why;
  } cases[] = {
      {{0, 0, 0, 1, 0}, 12, true, azU, {0b000101110011}, "U: 5 data bits, 28, then two ones"},
      {{0, 0, 0, 1, 0}, 12, false, azU, {0b000101111111}, "up to 22 layers: ones only"},
      {{0, 0, 0, 1}, 12, true, azD, {0b000111101111}, "D: 14 in 4 bits"},
      {{1, 1, 1, 1, 1}, 6, false, azU, {0b111110}, "all ones: the last bit is the stuffed 0"},
      {{0, 0, 0, 0, 0, 0, 1}, 6, false, azU, {0b000001, 0b011111}, "five zeros take a stuffed 1"},
      {{1, 0, 1, 0, 1, 0}, 6, false, azU, {0b101010}, "ends on a word boundary: no fill"},
      {{}, 6, false, azU, {0b111110}, "nothing: one word of fill"},
  };
  for (const auto& k : cases) {
    std::vector<int32_t> words;
    AztStuff(k.bits, k.w, k.latchFill, k.end, words);
    EXPECT_EQ(words, k.words) << k.why;
  }
}

TEST(AztCoder, DataChangeReplans) {
  TAztCoder c;
  ASSERT_EQ(EncodeWith(c, "AAAA", 0), AztOk);
  const std::string first = AztAscii(c);
  ASSERT_EQ(EncodeWith(c, "AAAB", 0), AztOk);
  EXPECT_NE(AztAscii(c), first);
  ASSERT_EQ(EncodeWith(c, "AAAA", 0), AztOk);
  EXPECT_EQ(AztAscii(c), first);
}
