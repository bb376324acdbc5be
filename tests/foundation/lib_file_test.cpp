// Portable rules of the file layer: a line in each encoding, template placeholders, the WININIT.INI
// [rename] list and random file names.
#include "foundation/lib_file.h"

#include <gtest/gtest.h>

#include <vector>

TEST(TextLines, EachEncodingEndsWithCrLf) {
  EXPECT_EQ(EncodeTextLine(u"Аб", TTextEncoding::Utf16LE), std::string("\x10\x04\x31\x04\r\0\n\0", 8));
  EXPECT_EQ(EncodeTextLine(u"Аб", TTextEncoding::Utf8), "\xD0\x90\xD0\xB1\r\n");
  EXPECT_EQ(EncodeTextLine(u"Аб№", TTextEncoding::Ansi), "\xC0\xE1\xB9\r\n");
  EXPECT_EQ(EncodeTextLine(u"日", TTextEncoding::Ansi), "?\r\n") << "a character 1251 lacks";
  EXPECT_EQ(EncodeTextLine(u"", TTextEncoding::Utf8), "\r\n");
  EXPECT_EQ(EncodeTextLine(u"x", TTextEncoding::Ansi, [](std::u16string_view) { return std::string("sys"); }), "sys");
}

TEST(Placeholders, ReplacedEverywhereByTheValueOfTheSameIndex) {
  struct Case {
    std::string text;
    std::vector<std::string> placeholders, values;
    std::string expected;
    bool found;
    const char* why;
  };
  const Case cases[] = {
      {"a %1 b %1 %2", {"%1", "%2"}, {"X", "Y"}, "a X b X Y", true, "every occurrence"},
      {"%1 %2", {"%1", "%2"}, {"X"}, "X ", true, "fewer values: the empty text"},
      {"abc", {"%1"}, {"X"}, "abc", false, "nothing found"},
      {"abc", {"", "b"}, {"X", "Y"}, "aYc", true, "an empty placeholder is skipped, its index kept"},
      {"%A%%B%", {"%A%", "%B%"}, {"%B%", "1"}, "11", true, "replaced in turn, as the list is walked"},
      {"", {"%1"}, {"X"}, "", false, "empty file"},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(ReplacePlaceholders(text, c.placeholders, c.values), c.found) << c.why;
    EXPECT_EQ(text, c.expected) << c.why;
  }
}

TEST(Wininit, LinesAddedUnderRename) {
  struct Case {
    std::string ini;
    std::string expected;
    const char* why;
  };
  const Case cases[] = {
      {"", "[rename]\r\nNUL=C:\\A.TMP\r\n", "no file yet"},
      {"[rename]\r\nNUL=C:\\OLD.TMP\r\n", "[rename]\r\nNUL=C:\\A.TMP\r\nNUL=C:\\OLD.TMP\r\n",
       "an earlier NUL= line stays (a key would be overwritten)"},
      {"[Other]\r\nx=1\r\n [RENAME] \r\n", "[Other]\r\nx=1\r\n [RENAME] \r\nNUL=C:\\A.TMP\r\n",
       "the header in any case and with blanks"},
      {"[rename]", "[rename]\r\nNUL=C:\\A.TMP\r\n", "a header without a line end"},
      {"[Other]\nx=1", "[Other]\nx=1\r\n[rename]\r\nNUL=C:\\A.TMP\r\n", "another section, no last line end"},
      {"[renamed]\r\n", "[renamed]\r\n[rename]\r\nNUL=C:\\A.TMP\r\n", "a longer name is another section"},
  };
  for (const Case& c : cases) EXPECT_EQ(AddWininitRename(c.ini, "NUL=C:\\A.TMP"), c.expected) << c.why;
}

TEST(FileNames, HexNames) {
  EXPECT_EQ(HexFileName(u"C:\\Темп", 0x1A2B, u".emf"), u"C:\\Темп\\00001A2B.emf");
  EXPECT_EQ(HexFileName(u"C:\\Темп\\", 0x7FFFFFFE, u""), u"C:\\Темп\\7FFFFFFE");
  EXPECT_EQ(HexFileName(u"", 0xFFFFFFFF, u".TMP"), u"FFFFFFFF.TMP");
}
