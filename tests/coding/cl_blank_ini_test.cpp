// The blank file reader against what the system's profile functions answer for the same file.
#include "coding/cl_blank_ini.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "foundation/lib_codepage.h"
#include "foundation/lib_file.h"

namespace {
std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}
}  // namespace

TEST(BlankIni, AnswersAsTheProfileFunctions) {
  const std::string file =
      ";Version=4.01.23\r\n"
      "Loose=before any section\r\n"
      "[Main]\r\n"
      "  Header  =  1.00,Blank,Data  \r\n"
      "Quoted=\"  kept blanks  \"\r\n"
      "Single='x'\r\n"
      "Unmatched=\"x'\r\n"
      "LoneQuote=\"\r\n"
      "EmptyQuotes=\"\"\r\n"
      "NoEquals\r\n"
      "Twice=first\r\n"
      "twice=second\r\n"
      "Equals=a=b\r\n"
      "; Comment=not a value\r\n"
      "[MAIN]\r\n"
      "Header=later section of the same name\r\n"
      "Other=also ignored\r\n"
      "[ data ]\r\n"
      "Text1=1,2,3,4,1,A\rText2=5,6,7,8,1,B\n\n\nEmpty=\r\n"
      "[Open\r\n"
      "Last=no line break";
  const TIniFile ini = TIniFile::Parse(Bytes(file));
  struct Case {
    std::u16string_view section, name;
    std::optional<std::u16string> value;
    const char* why;
  } cases[] = {
      {u"", u"Loose", u"before any section", "values before the first section belong to the nameless one"},
      {u"main", u"HEADER", u"1.00,Blank,Data", "names without regard to case, blanks around trimmed"},
      {u"Main", u"Quoted", u"  kept blanks  ", "one pair of quotes goes, the blanks inside stay"},
      {u"Main", u"Single", u"x", "single quotes as well"},
      {u"Main", u"Unmatched", u"\"x'", "quotes that do not match stay"},
      {u"Main", u"LoneQuote", u"\"", "a lone quote is no pair"},
      {u"Main", u"EmptyQuotes", u"", "a pair around nothing"},
      {u"Main", u"NoEquals", std::nullopt, "a line without '=' holds no value"},
      {u"Main", u"Twice", u"first", "the first occurrence wins"},
      {u"Main", u"Equals", u"a=b", "the value runs from the first '='"},
      {u"Main", u"; Comment", std::nullopt, "comment lines hold nothing"},
      {u"Data", u"Text1", u"1,2,3,4,1,A", "section names trimmed; a lone CR ends a line"},
      {u"Data", u"Text2", u"5,6,7,8,1,B", "a lone LF ends a line"},
      {u"Data", u"Empty", u"", "an empty value is a value"},
      {u"Main", u"Other", std::nullopt, "a later section of a name already seen is not read"},
      {u"Open", u"Last", std::nullopt, "a header without ']' opens no section"},
      {u"Data", u"Last", u"no line break", "... and the lines after it stay in the section before"},
      {u"Missing", u"Text1", std::nullopt, "a missing section"},
  };
  for (const Case& c : cases) EXPECT_EQ(ini.Find(c.section, c.name), c.value) << c.why;
  EXPECT_EQ(ini.ReadString(u"Missing", u"X", u"def"), u"def");
}

TEST(BlankIni, EncodingFromTheByteOrderMark) {
  const std::u16string text = u"[Данные]\r\nТекст1=Итого: 5\r\n";
  struct Case {
    std::string bytes;
    const char* why;
  } cases[] = {
      {EncodeCodePage(text, kCodePage1251), "ANSI without a mark"},
      {"\xEF\xBB\xBF" + WideToUtf8(text), "UTF-8 with its mark"},
      {std::string(EncodingMarkBytes(TTextEncoding::Utf16LE)) + EncodeTextLine(text, TTextEncoding::Utf16LE),
       "UTF-16LE with its mark"},
  };
  for (const Case& c : cases) {
    const TIniFile ini = TIniFile::Parse(Bytes(c.bytes));
    EXPECT_EQ(ini.ReadString(u"данные", u"ТЕКСТ1"), u"Итого: 5") << c.why << ": Cyrillic names fold too";
  }
}

TEST(BlankIni, LongValuesAndNulsAndLargeFiles) {
  // The profile functions cut values to their buffer (2047 characters here); this reader does not.
  const std::string longValue(100000, 'x');
  const TIniFile big = TIniFile::Parse(Bytes("[S]\r\nV=" + longValue + "\r\n"));
  EXPECT_EQ(big.ReadString(u"S", u"V"), std::u16string(longValue.begin(), longValue.end()));

  const std::string withNul("[S]\r\nV=ab\0cd\r\n", 14);
  EXPECT_EQ(TIniFile::Parse(Bytes(withNul)).ReadString(u"S", u"V"), u"ab") << "a value ends at a NUL";

  // Many sections and values in one pass: a quadratic reader would take minutes under the sanitizers.
  std::string many;
  for (int i = 0; i < 50000; ++i) many += "[S" + std::to_string(i % 100) + "]\nText" + std::to_string(i) + "=v\n";
  const TIniFile ini = TIniFile::Parse(Bytes(many));
  EXPECT_EQ(ini.Count(), 100u) << "only the first section of each name is read";
  EXPECT_EQ(ini.ReadString(u"s99", u"text99"), u"v");
  EXPECT_FALSE(ini.Find(u"s0", u"text100"));
}

// A section's name is kept once however many values it holds: a 20,000-character name with 5,000 values
// held 200 MB of copies of it.
TEST(BlankIni, LongSectionNameWithManyValues) {
  const std::string name(20000, 'N');
  std::string file = "[" + name + "]\r\n";
  for (int i = 0; i < 5000; ++i) file += "V" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  const TIniFile ini = TIniFile::Parse(Bytes(file));
  EXPECT_EQ(ini.Count(), 5000u);
  const std::u16string lower(20000, u'n');
  EXPECT_EQ(ini.ReadString(lower, u"v4999"), u"4999");
  EXPECT_FALSE(ini.Find(lower.substr(1), u"v0"));
}

// A header with no name opens the nameless section the values before any header are in; the first
// value of a name wins there too, and a later header of that name is skipped as any other.
TEST(BlankIni, HeaderWithoutAName) {
  const TIniFile ini = TIniFile::Parse(Bytes("A=before\r\n[ ]\r\nA=after\r\nB=b\r\n[]\r\nC=skipped\r\n"));
  EXPECT_EQ(ini.ReadString(u"", u"A"), u"before");
  EXPECT_EQ(ini.ReadString(u"", u"B"), u"b");
  EXPECT_FALSE(ini.Find(u"", u"C"));
}
