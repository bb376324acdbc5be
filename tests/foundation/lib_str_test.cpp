// Text utilities: hexadecimal texts, number texts, tokenizers and replacements.
#include "foundation/lib_str.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "foundation/lib_codepage.h"

TEST(HexText, DecodeStopsAtTheFirstPairThatIsNotHex) {
  struct Case {
    std::string in, out, why;
  } cases[] = {
      {"C0D0", "\xC0\xD0", "two pairs, upper case"},
      {"c0d0", "\xC0\xD0", "lower case digits"},
      {"41 42", "A", "the pair holding a space stops it"},
      {"414", "A", "an odd last character is ignored"},
      {"41:2", "A", "':' lies between '0' and 'f' but is no digit"},
      {"41G0", "A", "'G' lies between '0' and 'f' but is no digit"},
      {"", "", "empty"},
      {"CFF0E8E2E5F2", "\xCF\xF0\xE8\xE2\xE5\xF2", "Russian word in 1251"},
  };
  for (const Case& c : cases) EXPECT_EQ(HexDecode(c.in), c.out) << c.why;
}

TEST(HexText, FixedWidthValuesAndDigits) {
  EXPECT_EQ(HexDigitValue(u'f'), 15);
  EXPECT_EQ(HexDigitValue(u'G'), 0);
  EXPECT_EQ(Hex2ToByte("A"), 0x0A);
  EXPECT_EQ(Hex2ToByte("ABC"), 0xAB);
  EXPECT_EQ(Hex2ToByte("zz"), 0);
  EXPECT_EQ(Hex8ToInt("FFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(Hex8ToInt("1"), 1u);
  EXPECT_EQ(ByteToHex2(0x0F), "0F");
  EXPECT_EQ(IntToHex8(0xABC), "00000ABC");
  EXPECT_EQ(IntToHexMin(0), "0");
  EXPECT_EQ(IntToHexMin(0x1F0), "1F0");
  EXPECT_EQ(IntToHexN(0, 0), "");
  EXPECT_EQ(IntToHexN(0x1F, 4), "001F");
  EXPECT_EQ(IntToHexN(0x12345678, 2), "12345678");
  EXPECT_EQ(HexListToStr("41, 42,43", ','), "ABC");
  EXPECT_EQ(StrToHexList("\x01\xFF"), "01,FF");
  EXPECT_EQ(StrToHexList(""), "");
}

TEST(NumberText, Base36AndDecimal) {
  EXPECT_EQ(IntToBase36(1295, 2), "ZZ");
  EXPECT_EQ(IntToBase36(1296, 2), "00");  // higher digits dropped
  EXPECT_EQ(IntToBase36(35, 3), "00Z");
  EXPECT_EQ(IntToBase36(0xFFFFFFFFu, 7), "1Z141Z3");
  EXPECT_EQ(IntToBase36(5, 0), "");
  EXPECT_EQ(IntToText(-42), "-42");
  struct Case {
    const char* text;
    int32_t value;
  } cases[] = {{"12", 12}, {"-7", -7}, {" 5", 5}, {"", 0}, {"12a", 0}, {"-", 0},
               {"2147483647", 2147483647}, {"2147483648", 0}, {"-2147483648", -2147483647 - 1}};
  for (const Case& c : cases) EXPECT_EQ(StrToIntOrZero(c.text), c.value) << c.text;
}

TEST(NumberText, FormatByteSize) {
  struct Case {
    int64_t size;
    std::string text;
  } cases[] = {
      {5, "5.000 B"},        {1000, " 1000 B"},     {1536, "1.500 KB"},   {10 * 1024, "10.00 KB"},
      {1023, " 1023 B"},     {100 * 1024, "100.0 KB"}, {1048576, "1.000 MB"}, {1073741824, "1.000 GB"},
      {-1, ""},              {0, "0.000 B"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatByteSize(c.size), c.text) << c.size;
  EXPECT_EQ(SizeToText({3, 4}), "3x4");
  EXPECT_EQ(PointToText({-3, 4}), "-3,4");
  EXPECT_EQ(RectToText({1, 2, 3, 4}), "1,2,3,4");
}

TEST(Tokens, ExtractToken) {
  struct Case {
    std::string text;
    char delim;
    std::string token, rest;
  } cases[] = {
      {"a;;", ';', "a", ""},       // only delimiters remain
      {" b ;c", ';', "b", "c"},
      {"abc", ';', "abc", ""},     // no delimiter: the whole trimmed text
      {";x", ';', "", "x"},
      {"", ';', "", ""},
      {"a;b;", ';', "a", "b;"},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(ExtractToken(text, c.delim), c.token) << c.text;
    EXPECT_EQ(text, c.rest) << c.text;
  }
  std::u16string w = u" Печать ;Копия";
  EXPECT_EQ(ExtractTokenW(w, u';'), u"Печать");
  EXPECT_EQ(w, u"Копия");
  w = u"а\u0431б";  // "\xE1" in 1251 is б: the 8-bit delimiter is compared as the character it stands for
  EXPECT_EQ(ExtractTokenWA(w, '\xE1'), u"а");
}

TEST(Tokens, AViewGivesTheTokensTheStringGives) {
  // Lists walked to their end: runs of delimiters, delimiters alone, blanks between them.
  const std::string lists[] = {"", ";", ";;;", "a", "a;;", ";;a", "a;;b;;", " ; ", "a; ;", " b ;c;;d ;", ";x;;", "a;b;"};
  for (const std::string& list : lists) {
    std::vector<std::string> erased, viewed;
    for (std::string text = list; !text.empty();) erased.push_back(ExtractToken(text, ';'));
    for (std::string_view view = list; !view.empty();) viewed.push_back(ExtractToken(view, ';'));
    EXPECT_EQ(viewed, erased) << '"' << list << '"';
  }
  std::u16string_view w = u" Печать ;Копия;;";
  EXPECT_EQ(ExtractTokenW(w, u';'), u"Печать");
  EXPECT_EQ(w, u"Копия");
}

TEST(Tokens, BySetWithDelimiter) {
  const TCharSet set = StrToCharSet(",;");
  std::u16string text = u"один,два;три";
  char delim = 0;
  std::u16string token;
  ExtractTokenAndDelimW(text, set, delim, token);
  EXPECT_EQ(token, u"один");
  EXPECT_EQ(delim, ',');
  ExtractTokenAndDelimW(text, set, delim, token);
  EXPECT_EQ(token, u"два");
  EXPECT_EQ(delim, ';');
  ExtractTokenAndDelimW(text, set, delim, token);
  EXPECT_EQ(token, u"три");
  EXPECT_EQ(delim, 0);
  EXPECT_TRUE(text.empty());

  text = u"a,,,b";
  ExtractTokenBySetSkipW(text, set, true, token);
  EXPECT_EQ(token, u"a");
  EXPECT_EQ(text, u"b");

  text = u"a,b;c,d";
  EXPECT_EQ(ExtractTokensW(text, set, 3), u"a,b;c");
  EXPECT_EQ(text, u"d");

  text = u"key=>value=>x";
  ExtractTokenByStrW(text, u"=>", token);
  EXPECT_EQ(token, u"key");
  EXPECT_EQ(text, u"value=>x");
  ExtractTokenByStrW(text, u"##", token);
  EXPECT_EQ(token, u"value=>x");
  EXPECT_TRUE(text.empty());
}

TEST(Pieces, AppendWithSeparator) {
  std::string list = "a";
  AppendWithSeparator(", ", "", list);
  EXPECT_EQ(list, "a");
  AppendWithSeparator(", ", "b", list);
  EXPECT_EQ(list, "a, b");
  std::string empty;
  AppendWithSeparator(", ", "x", empty);
  EXPECT_EQ(empty, "x");
}

TEST(Pieces, ReplaceAllAlwaysEnds) {
  struct Case {
    std::string text, oldText, newText, expected, why;
  } cases[] = {
      {"a-b-c", "-", "+", "a+b+c", "plain"},
      {"x", "", "y", "x", "empty pattern changes nothing"},
      {"ab", "ab", "abab", "abab", "replacement holding the pattern: scanned past, once"},
      {"a b", " ", "  ", "a  b", "doubling spaces ends"},
      {"a    b", "  ", " ", "a b", "collapsing a run of spaces takes it down to one"},
      {"abb", "ab", "a", "a", "a shorter replacement is searched again where it joins the rest"},
      {"", "a", "b", "", "empty text"},
      {"aaaab", "ab", "b", "b", "each join forms the next occurrence, back to the start"},
      {"xaabbx", "ab", "", "xx", "an empty replacement joins what was around it"},
      {"aaa", "aa", "b", "ba", "overlapping occurrences: the first from the front"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReplaceAll(c.text, c.oldText, c.newText), c.expected) << c.why;
  EXPECT_EQ(ReplaceAllW(u"да-да", u"да", u"нет"), u"нет-нет");
}

TEST(Pieces, ReplaceAllGivesWhatASearchFromTheFrontGives) {
  // The plain definition, one search and one replacement at a time, against short texts of few letters.
  const auto reference = [](std::string text, const std::string& from, const std::string& to) {
    const bool rescan = to.size() < from.size();
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos;) {
      text.replace(at, from.size(), to);
      at = rescan ? (at >= from.size() - 1 ? at - (from.size() - 1) : 0) : at + to.size();
    }
    return text;
  };
  std::mt19937 random(23);
  const auto word = [&](size_t maxLength) {
    std::string w(random() % (maxLength + 1), 'a');
    for (char& c : w) c = "ab "[random() % 3];
    return w;
  };
  for (int round = 0; round < 20000; ++round) {
    const std::string text = word(12), from = word(3), to = word(3);
    if (from.empty()) continue;
    ASSERT_EQ(ReplaceAll(text, from, to), reference(text, from, to)) << '"' << text << "\" \"" << from << "\" -> \"" << to << '"';
  }
}

TEST(Pieces, ReplaceInPatternTouchesOnlyTheShapedPosition) {
  std::u16string text = u"1.2.3 a.b 45.6";
  ReplaceInPatternW(text, u"9.9", u',', 2, u"0123456789", u'9');
  EXPECT_EQ(text, u"1,2,3 a.b 45,6");
  std::u16string same = u"abc";
  ReplaceInPatternW(same, u"b", u'x', 5, u"", u'9');  // index outside the pattern
  EXPECT_EQ(same, u"abc");
}

TEST(Pieces, BuffersAndPositions) {
  EXPECT_EQ(CopyFromPos("hello", 2), "ello");
  EXPECT_EQ(CopyFromPos("hello", 9), "");
  EXPECT_EQ(CopyFromPosW(u"привет", 4), u"вет");

  std::vector<uint8_t> buf(4, 0);
  EXPECT_TRUE(CopyStrToBuf(buf, "abcdef", 1, 3));
  EXPECT_EQ(std::string(buf.begin(), buf.begin() + 3), "bcd");
  EXPECT_FALSE(CopyStrToBuf(buf, "abcdef", 4, 3));  // text too short
  EXPECT_FALSE(CopyStrToBuf(buf, "abcdef", -1, 1));
  EXPECT_FALSE(CopyStrToBuf(buf, "abcdefgh", 0, 5));  // buffer too small

  // A pattern straddling the 16 KB window boundary is still found.
  std::vector<uint8_t> big(40000, 'x');
  big[16383] = 'A';
  big[16384] = 'B';
  EXPECT_EQ(PosInBuffer("AB", big), 16384);
  EXPECT_EQ(PosInBuffer("AC", big), 0);
  EXPECT_EQ(PosInBuffer("x", std::span<const uint8_t>()), 0);

  const uint8_t bytes[] = {'a', 'b', 'c'};
  EXPECT_EQ(BufToStr(bytes, 2), "ab");
  EXPECT_EQ(BufToStr(bytes, 0), "");
  EXPECT_EQ(BufToStr(bytes, 9), "abc");
  const char16_t units[] = {0x0041, 0x0442, 0x00FF};
  EXPECT_EQ(LowBytesToStrW(units, 3), std::u16string(u"\u0041\u0042\u00FF"));
  EXPECT_TRUE(HasHighBytes(units, 2));
  EXPECT_FALSE(HasHighBytes(units, 1));
  EXPECT_EQ(BufToStrW(units, -1), u"");
}

TEST(Pieces, CharactersAndSets) {
  EXPECT_EQ(RepeatChar('-', 3), "---");
  EXPECT_EQ(RepeatChar('-', -3), "");
  std::string s = "ab";
  PadRight(s, 4, '.');
  EXPECT_EQ(s, "ab..");
  PadRight(s, 1, '.');
  EXPECT_EQ(s, "ab..");
  EXPECT_EQ(HeadChar(""), '\0');
  EXPECT_EQ(TailChar("xyz"), 'z');
  EXPECT_EQ(CharAtPos("xyz", 0), '\0');
  EXPECT_EQ(CharAtPos("xyz", 3), 'z');
  EXPECT_EQ(CharAtPosW(u"xyz", 4), u'\0');
  EXPECT_EQ(HeadCharW(u"я"), u'я');
  EXPECT_EQ(LastCharPos('b', "abcb"), 4);
  EXPECT_EQ(LastCharPos('q', "abcb"), 0);
  EXPECT_EQ(CharSetToStr(StrToCharSet("cabca")), "abc");
}

TEST(Pieces, WideCharLists) {
  TWideCharSet set;
  ParseWideCharList(set, u"a..cx");
  EXPECT_EQ(set.Chars(), u"abcx");
  ParseWideCharList(set, u"z..a");  // y below x: nothing
  EXPECT_EQ(set.Chars(), u"");
  EXPECT_TRUE(set.Empty());
  ParseWideCharList(set, u"q..");  // y missing: nothing
  EXPECT_EQ(set.Chars(), u"");
  ParseWideCharList(set, u"а..гаа");
  EXPECT_EQ(set.Chars(), u"абвг");
  IncludeWideChar(set, u'а');
  EXPECT_EQ(set.Chars(), u"абвг");
  EXPECT_EQ(set.Size(), 4u);
  EXPECT_TRUE(InWideCharSet(u'в', set));
  EXPECT_FALSE(InWideCharSet(u'д', set));
}

// Ranges to the ends of the plane, over one another and in any order give the characters a walk over
// every listed character would; a list of a thousand whole-plane ranges is read at once.
TEST(Pieces, WideCharListRanges) {
  const struct {
    std::u16string list;
    size_t size;
    std::u16string in, out;
  } cases[] = {
      {u"\u0002..\uFFFF", 0xFFFE, u"\u0002\u0040\uFFFF", u"\u0001"},
      {std::u16string(1, u'\0') + u"..\uFFFF", 0x10000, std::u16string(1, u'\0') + u"\uFFFF", u""},
      {u"x..zc..ea..d", 8, u"abcdexyz", u"fw"},
      {u"m..mm..m", 1, u"m", u"ln"},
      {u"....", 1, u".", u"-"},            // "." to "."
      {u"ab..", 1, u"a", u"b."},           // "b.." without its end is nothing
      {u"\u003F..\u0040\u007F..\u0080", 4, u"\u003F\u0040\u007F\u0080", u"\u003E\u0041\u007E\u0081"},  // across words
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.list));
    TWideCharSet set;
    ParseWideCharList(set, c.list);
    EXPECT_EQ(set.Size(), c.size);
    EXPECT_EQ(set.Chars().size(), c.size);
    for (char16_t ch : c.in) EXPECT_TRUE(InWideCharSet(ch, set)) << int(ch);
    for (char16_t ch : c.out) EXPECT_FALSE(InWideCharSet(ch, set)) << int(ch);
  }
  std::u16string many;
  for (int i = 0; i < 1000; ++i) many += u"\u0001..\uFFFF";
  TWideCharSet set;
  ParseWideCharList(set, many);
  EXPECT_EQ(set.Size(), 0xFFFFu);
}

TEST(Pieces, CaseFolding) {
  EXPECT_EQ(LowerCaseW(u"ПРИВЕТ, World! ЁЇ"), u"привет, world! ёї");
  EXPECT_EQ(UpperCaseW(u"ёжик straße"), u"ЁЖИК STRAßE");
  EXPECT_EQ(LowerCharW(u'×'), u'×');
  EXPECT_EQ(LowerCharW(u'Ā'), u'ā');
  EXPECT_EQ(UpperCharW(u'ґ'), u'Ґ');
}
