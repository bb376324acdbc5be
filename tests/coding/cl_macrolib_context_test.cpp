// Document context: the Id text, section names, the context-file rule, and load, page and store
// behaviour over a store kept in memory.
#include "coding/cl_macrolib_context.h"

#include <gtest/gtest.h>

#include "coding/lib_datcoder_scramble.h"
#include "support/coder_fakes.h"

namespace {
using Id = std::array<uint8_t, 4>;

// A value of the store; empty when missing.
std::u16string V(const TMemoryContextHost& host, std::u16string_view section, std::u16string_view name) {
  const auto it = host.Values.find({std::u16string(section), std::u16string(name)});
  return it == host.Values.end() ? std::u16string() : it->second;
}

const std::u16string kFile = u"C:\\TEMP\\0000ABCD.TMP";

// A store whose section holds what the previous call left.
TMemoryContextHost Stored(std::u16string_view id, std::u16string_view context = {}) {
  TMemoryContextHost host;
  if (!id.empty()) host.Values[{u"P1", u"Id"}] = std::u16string(id);
  if (!context.empty()) {
    host.Values[{u"P1", u"Context"}] = kFile;
    host.Files[kFile] = XorScramble(host.ToAnsi(context));
  }
  return host;
}
}  // namespace

TEST(ContextId, FormatsAndParses) {
  struct Case {
    int32_t page;
    Id id;
    std::string text;
  } cases[] = {
      {3, {0x41, 0x42, 0x43, 0x44}, "3,41,42,43,44"},
      {0, {0x20, 0xFF, 0x00, 0x7F}, "0,20,FF,00,7F"},
      {0x1A, {1, 2, 3, 4}, "1A,01,02,03,04"},          // upper case, no leading zeros
      {-1, {0, 0, 0, 0}, "FFFFFFFF,00,00,00,00"},      // the 32-bit pattern as stored
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatContextId(c.page, c.id), c.text);
    const TContextId parsed = ParseContextId(c.text);
    EXPECT_EQ(parsed.PageNo, c.page) << c.text;
    EXPECT_EQ(parsed.DocumentId, c.id) << c.text;
  }
}

TEST(ContextId, ParsesDamagedTexts) {
  struct Case {
    std::string text;
    int32_t page;
    Id id;
    const char* why;
  } cases[] = {
      {"5", 5, {0, 0, 0, 0}, "no bytes: zeros"},
      {"5,41", 5, {0x41, 0, 0, 0}, "missing bytes are 0"},
      {"2,41,42,43,44,45,46", 2, {0x41, 0x42, 0x43, 0x44}, "only four bytes count"},
      {"123456789,01", 0x12345678, {1, 0, 0, 0}, "at most eight digits"},
      {"1Z,01", 0x10, {1, 0, 0, 0}, "a non-hexadecimal character counts as 0"},
      {",41", 0, {0x41, 0, 0, 0}, "empty page"},
  };
  for (const Case& c : cases) {
    const TContextId parsed = ParseContextId(c.text);
    EXPECT_EQ(parsed.PageNo, c.page) << c.why;
    EXPECT_EQ(parsed.DocumentId, c.id) << c.why;
  }
}

TEST(ContextSection, TrimmedOrUnknown) {
  EXPECT_EQ(ContextSectionName(u""), u".Unknown");
  EXPECT_EQ(ContextSectionName(u"   "), u".Unknown");
  EXPECT_EQ(ContextSectionName(u"  HP LaserJet "), u"HP LaserJet");
  EXPECT_EQ(ContextSectionName(u".Default"), u".Default");
}

TEST(ContextFileName, OnlyTheStoresOwnFiles) {
  const std::u16string dir = u"C:\\TEMP\\";
  struct Case {
    std::u16string name;
    bool ok;
    const char* why;
  } cases[] = {
      {u"C:\\TEMP\\0123ABCD.TMP", true, "made by the store"},
      {u"c:\\temp\\0123abcd.tmp", true, "paths ignore case"},
      {u"C:\\TEMP\\0123ABC.TMP", false, "seven digits"},
      {u"C:\\TEMP\\0123ABCDE.TMP", false, "nine digits"},
      {u"C:\\TEMP\\0123ABCG.TMP", false, "not hexadecimal"},
      {u"C:\\TEMP\\0123ABCD.TXT", false, "another extension"},
      {u"C:\\TEMP\\sub\\0123ABCD.TMP", false, "a subfolder"},
      {u"C:\\TEMP\\..\\0123ABCD.TMP", false, "climbs out"},
      {u"C:\\WINDOWS\\0123ABCD.TMP", false, "another folder"},
      {u"C:\\WINDOWS\\win.ini", false, "anything else"},
      {u"0123ABCD.TMP", false, "no folder"},
  };
  for (const Case& c : cases) EXPECT_EQ(IsContextFileName(c.name, dir), c.ok) << c.why;
  EXPECT_FALSE(IsContextFileName(u"0123ABCD.TMP", u""));
}

TEST(Context, FirstPageStartsADocument) {
  TMemoryContextHost host;
  {
    TContext context(host, u"P1");
    context.SetPage(1);
    EXPECT_EQ(context.PageNo, 1);
    EXPECT_EQ(context.PageCount, 0);
    for (uint8_t b : context.DocumentId) EXPECT_GE(b, 32);
    EXPECT_FALSE(context.HasContext());
  }
  // No new context: nothing is stored.
  EXPECT_TRUE(host.Values.empty());
}

TEST(Context, DocumentGoesOnWhileEachPageLeavesAContext) {
  TMemoryContextHost host = Stored(u"2,41,42,43,44", std::u16string(u"Счёт\0№ 15", 9));
  {
    TContext context(host, u"  P1 ");
    EXPECT_EQ(context.Section, u"P1");
    EXPECT_EQ(context.Context, std::u16string(u"Счёт\0№ 15", 9));
    // The file was read once and is gone; the store no longer names it.
    EXPECT_EQ(host.Files.count(kFile), 0u);
    EXPECT_EQ(V(host, u"P1", u"Context"), u"");
    context.SetPage(3);
    EXPECT_EQ(context.PageNo, 3);  // 2 from the store, one more because 3 is past the first page
    EXPECT_EQ(context.DocumentId, (Id{0x41, 0x42, 0x43, 0x44}));
    context.NewContext = std::u16string(u"Счёт\0№ 16", 9);
    context.UpdatePageCount();
    EXPECT_EQ(context.PageCount, 0);
  }
  // Stored: the identifier and a new scrambled file in the store's folder.
  EXPECT_EQ(V(host, u"P1", u"Id"), u"3,41,42,43,44");
  const std::u16string name = V(host, u"P1", u"Context");
  ASSERT_TRUE(IsContextFileName(name, TMemoryContextHost::kDir));
  const std::string bytes = host.Files[name];
  ASSERT_GE(bytes.size(), 5u);  // the keystream's seed comes first
  EXPECT_EQ(XorUnscramble(bytes), host.ToAnsi(std::u16string(u"Счёт\0№ 16", 9)));
  EXPECT_EQ(host.Violations, 0);
}

TEST(Context, PageWithoutCarriedContextStartsOver) {
  TMemoryContextHost host = Stored(u"2,41,42,43,44");
  TContext context(host, u"P1");
  context.SetPage(2);
  EXPECT_EQ(context.PageNo, 1);
  EXPECT_NE(context.DocumentId, (Id{0x41, 0x42, 0x43, 0x44}));
}

TEST(Context, LastPageCountsThePages) {
  TMemoryContextHost host = Stored(u"3,41,42,43,44", u"A");
  TContext context(host, u"P1");
  context.SetPage(4);
  EXPECT_EQ(context.PageNo, 4);
  context.UpdatePageCount();
  EXPECT_EQ(context.PageCount, 4);
}

TEST(Context, CommitCarriesTheNewContextWithinAJob) {
  TMemoryContextHost host;
  TContext context(host, u".Default");
  context.NewContext = u"X";
  context.Commit();
  EXPECT_EQ(context.Context, u"X");
  EXPECT_TRUE(context.NewContext.empty());
  context.SetPage(2);
  EXPECT_EQ(context.PageNo, 2);
}

TEST(Context, PageCounterWrapsAsStored) {
  TMemoryContextHost host = Stored(u"7FFFFFFF,41,42,43,44", u"A");
  TContext context(host, u"P1");
  context.SetPage(2);
  EXPECT_EQ(context.PageNo, INT32_MIN);
}

TEST(Context, ForeignFileNamesAreNeitherReadNorDeleted) {
  for (const std::u16string name : {u"C:\\WINDOWS\\win.ini", u"C:\\TEMP\\..\\0000ABCD.TMP", u"D:\\0000ABCD.TMP"}) {
    TMemoryContextHost host;
    host.Values[{u"P1", u"Context"}] = name;
    host.Files[name] = XorScramble("secret");
    {
      TContext context(host, u"P1");
      EXPECT_FALSE(context.HasContext());
    }
    EXPECT_TRUE(host.FileReads.empty());
    EXPECT_EQ(host.Files.count(name), 1u);
    EXPECT_EQ(V(host, u"P1", u"Context"), u"");
    EXPECT_TRUE(host.Errors.empty());
  }
}

TEST(Context, UnreadableContextFileIsReported) {
  TMemoryContextHost host;
  host.Values[{u"P1", u"Context"}] = kFile;  // named, but the file is gone
  TContext context(host, u"P1");
  EXPECT_FALSE(context.HasContext());
  ASSERT_EQ(host.Errors.size(), 1u);
  EXPECT_EQ(host.Errors[0], u"Ошибка восстановления контекста документа из файла: \"C:\\TEMP\\0000ABCD.TMP\".");
  EXPECT_EQ(V(host, u"P1", u"Context"), u"");
  EXPECT_EQ(host.Violations, 0);
}

TEST(Context, UnwritableContextFileIsReportedAndLeavesNothing) {
  TMemoryContextHost host;
  host.FailWrites = true;
  {
    TContext context(host, u"P1");
    context.NewContext = u"A";
  }
  ASSERT_EQ(host.Errors.size(), 1u);
  EXPECT_EQ(host.Errors[0], u"Ошибка сохранения контекста документа в файл: \"C:\\TEMP\\1A2B3C4D.TMP\".");
  EXPECT_TRUE(host.Files.empty());  // the empty file made for it is gone
  EXPECT_EQ(host.Values.count({u"P1", u"Context"}), 0u);
  EXPECT_EQ(host.Violations, 0);
}

TEST(Context, EmptySectionIsUnknown) {
  TMemoryContextHost host;
  {
    TContext context(host, u"");
    context.NewContext = u"A";
  }
  EXPECT_EQ(host.Values.count({u".Unknown", u"Id"}), 1u);
}

TEST(Context, ValuesOfAnySectionAreTrimmed) {
  TMemoryContextHost host;
  host.Values[{u"DrawOutSize", u"Width"}] = u"  2100 ";
  TContext context(host, u"P1");
  EXPECT_EQ(context.ReadSectionValue(u"DrawOutSize", u"Width", u"0"), u"2100");
  EXPECT_EQ(context.ReadSectionValue(u"DrawOutSize", u"Height", u" 5 "), u"5");
  context.WriteValue(u"Option", u"3");
  EXPECT_EQ(context.ReadValue(u"Option", u""), u"3");
  EXPECT_EQ(V(host, u"P1", u"Option"), u"3");
}
