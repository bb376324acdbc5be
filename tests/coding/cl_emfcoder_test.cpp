// The Windows-page coder: creation with the line finder's result and "%Win%", the settings read in their
// order with their defaults, the blank mode, the OEM table and the failure of a missing type.
#include "coding/cl_emfcoder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/cl_tools_config.h"
#include "coding/enumemf2_records.h"
#include "support/coder_fakes.h"
#include "support/emf_builder.h"

namespace {
const std::u16string kCfg(kConfigKey);
const std::u16string kAB = kCfg + u"\\AB";
const std::u16string kCode = kAB + u"\\Code";

std::unique_ptr<TEMFCoder> MakeCoder(const TMemoryStore& store, TMemoryLog* log = nullptr,
                                     const TLineSearchResult* seeker = nullptr) {
  return TCoder::Create<TEMFCoder>(store, seeker, nullptr, 0, log ? &log->file : nullptr,
                                   TDocIdClass::CreateFromText("AB"));
}

TCharSet Chars(std::string_view bytes) { return StrToCharSet(bytes); }

// The reads from the blank switch on, the base's own reads left out.
std::vector<std::string> OwnReads(const TMemoryStore& store) {
  std::vector<std::string> reads;
  bool started = false;
  for (const std::string& read : store.Reads) {
    started = started || read.ends_with("|UseBlank");
    if (started) reads.push_back(read);
  }
  return reads;
}
}  // namespace

TEST(EMFCoder, CreationTakesTheLineFinderResultAndAddsWin) {
  TLineSearchResult found, none;
  found.Found = true;
  TMemoryStore store;
  EXPECT_TRUE(MakeCoder(store, nullptr, &found)->LinesFound);
  EXPECT_FALSE(MakeCoder(store, nullptr, &none)->LinesFound);
  auto coder = MakeCoder(store);
  EXPECT_FALSE(coder->LinesFound);
  EXPECT_EQ(coder->LineSeeker, nullptr);
  EXPECT_TRUE(coder->WhiteRects.empty());
  EXPECT_EQ(coder->ConfigKey, kCfg);
  ASSERT_EQ(coder->NamedParams->Count(), 1);
  EXPECT_EQ(coder->NamedParams->Items()[0].Text, u"%Win%");
  EXPECT_EQ(dynamic_cast<const TNamedParam*>(coder->NamedParams->Objects(0))->Data, u"1");
  coder->Reinit();
  EXPECT_EQ(coder->NamedParams->Count(), 1);
}

TEST(EMFCoder, DefaultsAreReadInOrder) {
  TMemoryStore store;
  store.AddKey(kAB);
  auto coder = MakeCoder(store);
  ASSERT_TRUE(coder->LoadParam());
  const TEMFSettings& s = coder->Settings;
  EXPECT_EQ(s.BlankChr, Chars("\xA0"));
  EXPECT_EQ(s.LineChrH, Chars("+_-="));
  EXPECT_EQ(s.LineChrV, Chars("|\xA6+"));
  EXPECT_EQ(s.LineChrVSpec, Chars("+"));
  EXPECT_EQ(coder->LineChrH, s.LineChrH);
  EXPECT_EQ(coder->LineChrV, s.LineChrV);
  EXPECT_EQ(s.HPGdiComment, 1);
  EXPECT_EQ(s.LineChrHA, 1);
  EXPECT_EQ(s.LineLen, (TSmallPoint{900, 300}));
  EXPECT_EQ(s.LineWidth, (TSmallPoint{30, 30}));
  EXPECT_EQ(s.LineChHLen, 3);
  EXPECT_EQ(s.SplitW, 25);
  EXPECT_EQ(s.SplitG, 200);
  EXPECT_EQ(s.SplitBL, 3);
  EXPECT_EQ(s.ExtractBL, 0);
  EXPECT_EQ(s.Polygones, (TSmallPoint{2, 300}));
  EXPECT_EQ(s.NoUnicode, u"*");
  EXPECT_EQ(s.OEMFonts, u"CourierDOSCTT");
  EXPECT_EQ(s.OEMConvert, 0);
  EXPECT_TRUE(s.OEMTable.empty());
  EXPECT_EQ(s.OEMCvtFontList, u"*");
  EXPECT_EQ(s.LongSign, std::u16string(1, char16_t{0x2DF0}));
  EXPECT_EQ(s.PointSize, (TSmallPoint{128, 256}));
  EXPECT_EQ(s.FileType, (TSmallPoint{0, 8}));
  EXPECT_EQ(s.LogoText, 0);
  EXPECT_EQ(s.DrawWidth, 9);
  EXPECT_EQ(s.ReDrawEMF, 0);
  EXPECT_EQ(coder->BlankMode, 0);

  const std::string cfg = "Software\\Kavrel\\Client\\Config", ab = cfg + "\\AB", code = ab + "\\Code";
  std::vector<std::string> expected;
  auto reads = [&](char kind, const std::string& key, std::initializer_list<const char*> names) {
    for (const char* name : names) expected.push_back(std::string{kind, ' '} + key + "|" + name);
  };
  reads('I', ab, {"UseBlank"});
  expected.push_back("K " + ab);
  reads('B', ab, {"BlankChr", "LineChrH", "LineChrV"});
  reads('A', ab, {"LineChrVSpec"});
  reads('I', ab, {"HPGdiComment", "LineChrHA", "LineLen", "LineWidth", "LineChHLen", "SplitW%", "SplitG%", "SplitBL",
                  "ExtractBL", "Polygones"});
  reads('T', ab, {"NoUnicode", "OEMFonts", "OEMCvtSrc", "OEMCvtDst", "OEMCvtFontList", "LongSign"});
  reads('I', ab, {"PointSize"});
  reads('I', code, {"FileType", "LogoText"});
  reads('I', cfg, {"DrawWidth", "ReDrawEMF"});
  EXPECT_EQ(OwnReads(store), expected);
}

TEST(EMFCoder, StoredValuesOverTheDefaults) {
  struct Case {
    const char* name;
    std::function<void(TMemoryStore&)> set;
    std::function<void(const TEMFSettings&)> check;
  };
  const std::vector<Case> cases = {
      {"PointSize without a height takes the width", [](TMemoryStore& m) { m.SetInteger(kAB, u"PointSize", 0x96); },
       [](const TEMFSettings& s) { EXPECT_EQ(s.PointSize, (TSmallPoint{150, 150})); }},
      {"PointSize with both halves", [](TMemoryStore& m) { m.SetInteger(kAB, u"PointSize", (200 << 16) | 150); },
       [](const TEMFSettings& s) { EXPECT_EQ(s.PointSize, (TSmallPoint{150, 200})); }},
      {"FileType 0 is a plain WMF", [](TMemoryStore& m) { m.SetInteger(kCode, u"FileType", 0); },
       [](const TEMFSettings& s) { EXPECT_EQ(s.FileType, (TSmallPoint{0, 0})); }},
      {"FileType 0x00080000 is a WMF handing 8 on", [](TMemoryStore& m) { m.SetInteger(kCode, u"FileType", 0x00080000); },
       [](const TEMFSettings& s) { EXPECT_EQ(s.FileType, (TSmallPoint{0, 8})); }},
      {"FileType 1 is an EMF", [](TMemoryStore& m) { m.SetInteger(kCode, u"FileType", 1); },
       [](const TEMFSettings& s) { EXPECT_EQ(s.FileType, (TSmallPoint{1, 0})); }},
      {"FileType 0x00010001 is an EMF handing 1 on",
       [](TMemoryStore& m) { m.SetInteger(kCode, u"FileType", 0x00010001); },
       [](const TEMFSettings& s) { EXPECT_EQ(s.FileType, (TSmallPoint{1, 1})); }},
      {"vertical characters joined with the special ones",
       [](TMemoryStore& m) {
         m.SetBytes(kAB, u"LineChrV", "|");
         m.SetText(kAB, u"LineChrVSpec", u"+");
       },
       [](const TEMFSettings& s) { EXPECT_EQ(s.LineChrV, Chars("|+")); }},
      {"three source and two target OEM characters",
       [](TMemoryStore& m) {
         m.SetText(kAB, u"OEMCvtSrc", u"абв");
         m.SetText(kAB, u"OEMCvtDst", u"AB");
       },
       [](const TEMFSettings& s) {
         EXPECT_EQ(s.OEMConvert, 1);
         ASSERT_EQ(s.OEMTable.size(), 0x10000u);
         EXPECT_EQ(s.OEMTable[u'а'], u'A');
         EXPECT_EQ(s.OEMTable[u'б'], u'B');
         EXPECT_EQ(s.OEMTable[u'в'], u'в');
         EXPECT_EQ(s.OEMTable[u'x'], u'x');
         EXPECT_EQ(s.OEMTable[0xFFFF], 0xFFFF);
       }},
      {"the first occurrence of a source character wins",
       [](TMemoryStore& m) {
         m.SetText(kAB, u"OEMCvtSrc", u"aab");
         m.SetText(kAB, u"OEMCvtDst", u"XYZ");
       },
       [](const TEMFSettings& s) {
         ASSERT_EQ(s.OEMTable.size(), 0x10000u);
         EXPECT_EQ(s.OEMTable[u'a'], u'X');
         EXPECT_EQ(s.OEMTable[u'b'], u'Z');
       }},
      {"no target characters, no conversion", [](TMemoryStore& m) { m.SetText(kAB, u"OEMCvtSrc", u"абв"); },
       [](const TEMFSettings& s) {
         EXPECT_EQ(s.OEMConvert, 0);
         EXPECT_TRUE(s.OEMTable.empty());
       }},
      {"bytes kept low, pairs split, side-wide values",
       [](TMemoryStore& m) {
         m.SetInteger(kAB, u"HPGdiComment", 0x100);
         m.SetInteger(kAB, u"Polygones", 0x00640001);
         m.SetInteger(kAB, u"SplitW%", 40);
         m.SetInteger(kCode, u"LogoText", 7);
         m.SetInteger(kCfg, u"DrawWidth", 20);
         m.SetInteger(kCfg, u"ReDrawEMF", 1);
       },
       [](const TEMFSettings& s) {
         EXPECT_EQ(s.HPGdiComment, 0);
         EXPECT_EQ(s.Polygones, (TSmallPoint{1, 100}));
         EXPECT_EQ(s.SplitW, 40);
         EXPECT_EQ(s.LogoText, 7);
         EXPECT_EQ(s.DrawWidth, 20);
         EXPECT_EQ(s.ReDrawEMF, 1);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMemoryStore store;
    store.AddKey(kAB);
    c.set(store);
    auto coder = MakeCoder(store);
    ASSERT_TRUE(coder->LoadParam());
    c.check(coder->Settings);
  }
}

TEST(EMFCoder, BlankModeFromTheBlankSwitches) {
  struct Case {
    int32_t useBlank;
    const char16_t* debugBlank;  // nullptr: not set
    uint8_t mode;
  };
  const Case cases[] = {{0, u"AB", 0},     {1, u"AB", 0},     {4, u"AB", 0},   {2, nullptr, 1}, {3, u"CD", 1},
                        {2, u"AB", 3},     {3, u"AB", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "UseBlank " << c.useBlank);
    TMemoryStore store;
    store.SetInteger(kAB, u"UseBlank", c.useBlank);
    if (c.debugBlank) store.SetText(kCfg, u"DebugBlank", c.debugBlank);
    auto coder = MakeCoder(store);
    ASSERT_TRUE(coder->LoadParam());
    EXPECT_EQ(coder->BlankMode, c.mode);
  }
}

TEST(EMFCoder, MissingTypeKeyFails) {
  TMemoryStore store;
  store.AddKey(kCfg + u"\\CD");
  TMemoryLog log;
  auto coder = MakeCoder(store, &log);
  EXPECT_FALSE(coder->LoadParam());
  ASSERT_GE(log.Lines.size(), 2u);
  EXPECT_EQ(log.Lines[log.Lines.size() - 2], u"--> common \"LoadParam\" aborted!");
  EXPECT_EQ(log.Lines.back(), u"--> Main \"LoadParam\" aborted!");
}

TEST(EMFCoder, DumpObjectsListsRecordTypesLinesAndTexts) {
  TMemoryStore store;
  TMemoryLog log;
  auto coder = MakeCoder(store, &log);
  TEmfBuilder emf;
  emf.MoveTo(10, 20).LineTo(10, 900).MoveTo(0, 50).LineTo(700, 50);
  emf.Font(1, LogFont(u"Arial", -40)).Select(1).Record(emr::SetTextAlign, {24});
  emf.TextOutW({.Reference = {100, 200}, .Text = std::u16string(u"Сумма\0x", 7)});
  emf.Font(2, LogFont(u"Courier New", -40)).Select(2).TextOutA({.Reference = {300, 400}, .Text = u"\xC8\xCD\xCD"});
  emf.Font(3, LogFont(u"ARIAL", -60)).Select(3).SmallText({5, 5}, u"Ok", 0x300);
  ASSERT_TRUE(WalkEmfRecords(emf.Bytes(), *coder).Ok);
  coder->Found->AddObject(u"Итого", coder->Texts->at(1).get());
  coder->Found->AddObject(u"Рамка", coder->VLines->at(0).get());
  log.Lines.clear();
  coder->DumpObjects();
  EXPECT_EQ(log.Lines, (std::vector<std::u16string>{
                           u"P-Objects:", u"  [%Win%]: \"1\"",
                           u"EMR-Types:", u"  54 = EMR_LINETO", u"  83 = EMR_EXTTEXTOUTA", u"  84 = EMR_EXTTEXTOUTW",
                           u"  108 = EMR_SMALLTEXTOUT",
                           u"V-Objects:", u"  3 [54], (10,20,10,900) - [Рамка]",
                           u"H-Objects:", u"  5 [54], (0,50,700,50) ",
                           u"T-Objects:", u"  Fonts:", u"    --> 1: \"Arial\"", u"    --> 2: \"Courier New\"",
                           u"  9 [84,24,1], (100,200), (100,200,100,200), \"Сумма x\" ",
                           u"  12 [83,24,2], (300,400), (300,400,300,400), \"ИНН\" - [Итого]",
                           u"  15 [108,24,1], (5,5), (5,5,5,5), \"Ok\" ",
                       }));
  TMemoryLog off(false);
  auto quiet = MakeCoder(store, &off);
  quiet->DumpObjects();
  EXPECT_TRUE(off.Lines.empty());
}
