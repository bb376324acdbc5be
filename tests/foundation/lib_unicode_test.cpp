// UTF-16 string and path routines.
#include "foundation/lib_unicode.h"

#include <gtest/gtest.h>

TEST(WideStrings, PositionsAndComparisons) {
  EXPECT_EQ(PosW(u"вет", u"привет"), 4);
  EXPECT_EQ(PosW(u"x", u"привет"), 0);
  EXPECT_EQ(PosW(u"", u"abc"), 0);
  EXPECT_TRUE(SameTextW(u"ПрИнТеР", u"принтер"));
  EXPECT_TRUE(SameTextW(u"Ёлка", u"ёЛКА"));
  EXPECT_FALSE(SameTextW(u"принтер", u"принтеры"));
  EXPECT_TRUE(SameStrA("Abc", "Abc"));
  EXPECT_FALSE(SameStrA("Abc", "abc"));
  EXPECT_EQ(StrLICompW(u"ABCx", u"abcy", 3), 0);
  EXPECT_LT(StrLICompW(u"ABCx", u"abcy", 4), 0);
  EXPECT_GT(StrLICompW(u"abd", u"ABC", 10), 0);
  EXPECT_LT(StrLICompW(u"ab", u"ABC", 10), 0);
}

TEST(WideStrings, LineBreaks) {
  EXPECT_EQ(AdjustLineBreaksW(u"a\nb\rc"), u"a\r\nb\r\nc");
  EXPECT_EQ(AdjustLineBreaksW(u"a\r\nb\n\rc"), u"a\r\nb\r\n\r\nc");
  EXPECT_EQ(AdjustLineBreaksW(u"a\r\nb\rc", TTextLineBreakStyle::LF), u"a\nb\nc");
  // U+010A has the low byte 0A but is no line feed.
  EXPECT_EQ(AdjustLineBreaksW(u"a\u010Ab"), u"a\u010Ab");
}

TEST(WideStrings, NullTerminatedBuffers) {
  char16_t* buf = StrAllocW(16);
  EXPECT_EQ(StrBufSizeW(buf), 16u);
  StrPLCopyW(buf, u"принтер", 4);
  EXPECT_EQ(StrPasW(buf), u"прин");
  StrPCopyW(buf, u"abcab");
  EXPECT_EQ(StrLenW(buf), 5u);
  EXPECT_EQ(StrScanW(buf, u'b') - buf, 1);
  EXPECT_EQ(StrRScanW(buf, u'b') - buf, 4);
  EXPECT_EQ(StrScanW(buf, u'z'), nullptr);
  EXPECT_EQ(StrPosW(buf, u"ca") - buf, 2);
  EXPECT_EQ(StrEndW(buf) - buf, 5);
  char16_t* copy = StrNewW(buf);
  EXPECT_EQ(StrPasW(copy), u"abcab");
  StrLCopyW(buf, copy, 2);
  EXPECT_EQ(StrPasW(buf), u"ab");
  StrDisposeW(copy);
  StrDisposeW(buf);
  StrDisposeW(nullptr);
  EXPECT_EQ(StrNewW(u""), nullptr);
  char* a = StrNewA("xyz");
  EXPECT_EQ(StrPasA(a), "xyz");
  StrDisposeA(a);
}

TEST(Paths, Pieces) {
  struct Case {
    std::u16string name, path, dir, file, ext;
  } cases[] = {
      {u"C:\\A\\b.txt", u"C:\\A\\", u"C:\\A", u"b.txt", u".txt"},
      {u"C:\\", u"C:\\", u"C:\\", u"", u""},
      {u"C:\\A\\", u"C:\\A\\", u"C:\\A", u"", u""},
      {u"C:\\A.B\\C", u"C:\\A.B\\", u"C:\\A.B", u"C", u""},
      {u"C:file.spl", u"C:", u"C:", u"file.spl", u".spl"},
      {u"report", u"", u"", u"report", u""},
      {u"\\\\srv\\share\\Отчёт.TXT", u"\\\\srv\\share\\", u"\\\\srv\\share", u"Отчёт.TXT", u".TXT"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractFilePathW(c.name), c.path);
    EXPECT_EQ(ExtractFileDirW(c.name), c.dir);
    EXPECT_EQ(ExtractFileNameW(c.name), c.file);
    EXPECT_EQ(ExtractFileExtW(c.name), c.ext);
  }
  EXPECT_EQ(ChangeFileExtW(u"C:\\a.b\\c", u".spl"), u"C:\\a.b\\c.spl");
  EXPECT_EQ(ChangeFileExtW(u"C:\\a\\c.tmp", u".emf"), u"C:\\a\\c.emf");
  EXPECT_EQ(IncludeTrailingPathDelimiterW(u"C:\\a"), u"C:\\a\\");
  EXPECT_EQ(IncludeTrailingPathDelimiterW(u"C:\\a\\"), u"C:\\a\\");
  EXPECT_EQ(IncludeTrailingPathDelimiterW(u""), u"\\");
  EXPECT_EQ(ExcludeTrailingPathDelimiterW(u"C:\\a\\"), u"C:\\a");
  EXPECT_TRUE(IsPathDelimiterW(u"a\\b", 2));
  EXPECT_FALSE(IsPathDelimiterW(u"a\\b", 4));
  EXPECT_TRUE(IsDelimiterW(u".:", u"a:b", 2));
  EXPECT_EQ(LastDelimiterW(u"\\:", u"C:\\x\\y"), 5);
  EXPECT_EQ(LastDelimiterW(u"\\", u"xy"), 0);
}
