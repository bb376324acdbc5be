// Coder base: creation through the overridden page parameters, settings read in their order with their
// defaults, code format and picture size, the page-model operations and the type list of the dialogs.
#include "coding/cl_macrolib.h"

#include <gtest/gtest.h>

#include "coding/lib_datcoder_random.h"
#include "foundation/lib_codepage.h"
#include "support/coder_fakes.h"

namespace {
const std::u16string kCfg = u"Cfg";
const std::u16string kAB = u"Cfg\\AB";

class TWinTestCoder : public TCoder {
 public:
  using TCoder::TCoder;
  void AddPageParams() override {
    TCoder::AddPageParams();
    NamedParams->AddObject(u"%Win%", std::make_unique<TNamedParam>());
  }
};

std::unique_ptr<TCoder> MakeCoder(const TMemoryStore& store, TMemoryLog* log = nullptr, TContext* context = nullptr,
                                  std::string_view id = "AB") {
  return TCoder::Create(store, kCfg, context, 0, log ? &log->file : nullptr, TDocIdClass::CreateFromText(id));
}

std::vector<std::u16string> ParamNames(const TCoder& coder) {
  std::vector<std::u16string> names;
  for (const auto& item : coder.NamedParams->Items()) names.push_back(item.Text);
  return names;
}

const TNamedParam& Param(const TCoder& coder, int32_t i) {
  return *dynamic_cast<const TNamedParam*>(coder.NamedParams->Objects(i));
}
}  // namespace

TEST(Coder, CreationRunsTheOverriddenPageParameters) {
  TMemoryStore store;
  TMemoryContextHost host;
  TContext context(host, u"P1");
  context.Context = std::u16string(u"Номер\0" u"42", 8);
  TMemoryLog log;
  log.file.AddFieldStatus(u"Поле", u"1", false, false);
  auto coder = TCoder::Create<TWinTestCoder>(store, kCfg, &context, 3, log, TDocIdClass::CreateFromText("AB"));
  EXPECT_EQ(ParamNames(*coder), (std::vector<std::u16string>{u"%Page%", u"Номер", u"%Win%"}));
  EXPECT_EQ(Param(*coder, 0).Data, u"(1)");
  EXPECT_EQ(Param(*coder, 1).Data, u"42");
  EXPECT_EQ(Param(*coder, 1).FromContext, 1);
  EXPECT_EQ(Param(*coder, 2).Data, u"1");
  EXPECT_EQ(coder->Mode, 3);
  EXPECT_EQ(coder->State, 1);
  EXPECT_NE(coder->AztCoder, nullptr);
  EXPECT_EQ(log.Lines, std::vector<std::u16string>{u"Кодер: инициализация"});
  EXPECT_TRUE(log.file.FieldStatus().empty());
  coder.reset();
  EXPECT_EQ(log.Lines.back(), u"Кодер: конец");
}

TEST(Coder, CarriedContextNeedsANameAndAValue) {
  struct Case {
    std::u16string carried;
    size_t params;
    const char* why;
  } cases[] = {
      {std::u16string(u"A\0B", 3), 2, "name and value"},
      {std::u16string(u"\0B", 2), 1, "NUL first: no name"},
      {std::u16string(u"A\0", 2), 1, "NUL last: no value"},
      {u"AB", 1, "no NUL"},
      {u"", 1, "nothing carried"},
  };
  TMemoryStore store;
  TMemoryContextHost host;
  for (const Case& c : cases) {
    TContext context(host, u"P1");
    context.Context = c.carried;
    EXPECT_EQ(MakeCoder(store, nullptr, &context)->NamedParams->Count(), static_cast<int32_t>(c.params)) << c.why;
  }
  EXPECT_EQ(MakeCoder(store)->NamedParams->Count(), 0) << "no context";
}

TEST(Coder, LoadParamReadsInOrder) {
  TMemoryStore store;
  store.SetText(kAB, u"DocType", u"Счёт");
  store.SetText(kAB + u"\\Params\\Z", u"Data", u"Z*");
  store.SetText(kAB + u"\\Params\\A", u"Data", u"");
  store.SetText(kAB + u"\\Format", u"Version", u"G");
  store.AddKey(kAB + u"\\Code");
  TMemoryLog log;
  auto coder = MakeCoder(store, &log);
  store.Reads.clear();
  ASSERT_TRUE(coder->LoadParam());
  const std::vector<std::string> expected = {
      "K Cfg\\AB", "T Cfg\\AB|DocType", "I Cfg\\AB|DefaultCharset", "A Cfg\\AB|WordsDelim", "A Cfg\\AB|Pages",
      "I Cfg|AckPages", "I Cfg\\AB|AckPages", "I Cfg\\AB|PicTop", "I Cfg\\AB|MaxAllowedPages",
      "I Cfg\\AB|PicPlace", "T Cfg\\AB|ChrCnvSrc", "T Cfg\\AB|ChrCnvDst", "T Cfg\\AB|CharList",
      // Named parameters in the store's order; "Demo" only after a non-blank "Data".
      "S Cfg\\AB\\Params", "K Cfg\\AB\\Params\\Z", "T Cfg\\AB\\Params\\Z|Desc", "T Cfg\\AB\\Params\\Z|Data",
      "T Cfg\\AB\\Params\\Z|Demo", "K Cfg\\AB\\Params\\A", "T Cfg\\AB\\Params\\A|Desc",
      "T Cfg\\AB\\Params\\A|Data", "I Cfg|Debug",
      "K Cfg\\AB\\Format", "B Cfg\\AB\\Format|FieldDelim", "B Cfg\\AB\\Format|LinesDelim",
      "A Cfg\\AB\\Format|LabelDelim", "A Cfg\\AB\\Format|LabelEnd", "A Cfg\\AB\\Format|LabelTrunc",
      "B Cfg\\AB\\Format|GridCDelim", "B Cfg\\AB\\Format|GridLDelim", "A Cfg\\AB\\Format|GridHead",
      "I Cfg\\AB\\Model|TimeOut",
      "A Cfg\\AB\\Format|Version", "I Cfg\\AB\\Format|Unicode", "K Cfg\\AB\\Code", "I Cfg\\AB\\Code|IsCompact",
      "I Cfg\\AB\\Code|Rotated", "I Cfg\\AB\\Code|ECP", "I Cfg\\AB\\Code|ModuleSize", "I Cfg\\AB\\Code|Layers",
      "I Cfg\\AB\\Code|Symbols", "I Cfg\\AB\\Code|SymOffsets", "I Cfg\\AB\\Code|SymLines",
      "A Cfg\\AB\\Code|AppEndHdr"};
  EXPECT_EQ(store.Reads, expected);
  EXPECT_EQ(ParamNames(*coder), (std::vector<std::u16string>{u"Z", u"A"}));
  EXPECT_EQ(log.Lines[1], u"Документ: \"AB\", чтение параметров");
  EXPECT_EQ(log.Lines[2], u"Тип документа: \"Счёт\"");
  EXPECT_EQ(log.Lines[3], u"  Параметр (): \"Z\"=\"Z*\"");
}

TEST(Coder, MissingTypeKeyAbortsLoadParam) {
  TMemoryStore store;
  TMemoryLog log;
  auto coder = MakeCoder(store, &log);
  EXPECT_FALSE(coder->LoadParam());
  EXPECT_EQ(log.Lines.back(), u"--> common \"LoadParam\" aborted!");
}

TEST(Coder, DefaultsOfAnEmptyTypeKey) {
  TMemoryStore store;
  store.AddKey(kAB);
  TMemoryLog log(false);
  auto coder = MakeCoder(store, &log);
  ASSERT_TRUE(coder->LoadParam());
  EXPECT_EQ(coder->DocType, u"Неизвестный тип документа");
  EXPECT_EQ(coder->DefaultCharset, 204);
  EXPECT_EQ(coder->WordDelims, std::string(".,:- \0", 6));
  EXPECT_EQ(coder->Pages, "C");
  EXPECT_EQ(coder->AckPages, 1);
  EXPECT_EQ(coder->MaxAllowedPages, 1);
  EXPECT_EQ(coder->ModelTimeOut, 5000);
  EXPECT_EQ(coder->Delims.FieldDelim, "\t");
  EXPECT_EQ(coder->Delims.LinesDelim, u"^");
  EXPECT_EQ(coder->Delims.GridCDelim, "\r");
  EXPECT_EQ(coder->Delims.GridLDelim, "\n");
  EXPECT_EQ(coder->Delims.GridHead, "%d,%d,");
  EXPECT_EQ(coder->Delims.LabelDelim + coder->Delims.LabelEnd + coder->Delims.LabelTrunc, ":-.");
  EXPECT_EQ(coder->Format.FormatLetter, 'E');
  EXPECT_EQ(coder->Format.PictureSize, (TSize{71 * 91, 71 * 91}));
  EXPECT_EQ(coder->Debug, 0);
  // The default folding: Cyrillic look-alikes to Latin capitals, zero and degree to "O".
  EXPECT_EQ(coder->CharMap[u'Р'], u'P');
  EXPECT_EQ(coder->CharMap[u'щ'], u'Ш');
  EXPECT_EQ(coder->CharMap[u'ё'], u'E');
  EXPECT_EQ(coder->CharMap[u'0'], u'O');
  EXPECT_EQ(coder->CharMap[u'°'], u'O');
  EXPECT_EQ(coder->CharMap[u'7'], u'7');
  // The default character list, with the space and the line delimiter added.
  for (char16_t c : std::u16string(u"'\"`№%()+-=.,:;/\\09AZazАяЁё ^")) EXPECT_TRUE(InWideCharSet(c, coder->CharList)) << int(c);
  for (char16_t c : std::u16string(u"!?*_\t")) EXPECT_FALSE(InWideCharSet(c, coder->CharList)) << int(c);
}

TEST(Coder, StoredSettings) {
  TMemoryStore store;
  store.SetText(kAB, u"Pages", std::u16string(70, u'C'));
  store.SetText(kAB, u"WordsDelim", u";");
  store.SetText(kAB, u"ChrCnvSrc", u"abc");
  store.SetText(kAB, u"ChrCnvDst", u"X");
  store.SetText(kAB, u"CharList", u"A..C");
  store.SetInteger(kAB, u"AckPages", 0);
  store.SetInteger(kCfg, u"Debug", 1);
  store.SetInteger(kAB + u"\\Model", u"TimeOut", 0);
  store.SetBytes(kAB + u"\\Format", u"FieldDelim", std::string("\x1F\x00", 2));
  store.SetBytes(kAB + u"\\Format", u"LinesDelim", "\xA6|");  // ¦ in code page 1251
  store.SetText(kAB + u"\\Format", u"GridCDelim", u"\u2116");  // a text value: its 8-bit text
  TMemoryLog log;
  auto coder = MakeCoder(store, &log);
  ASSERT_TRUE(coder->LoadParam());
  EXPECT_EQ(coder->Pages, std::string(64, 'C'));
  EXPECT_EQ(coder->WordDelims, std::string("; \0", 3));
  EXPECT_EQ(coder->CharMap[u'a'], u'X');
  EXPECT_EQ(coder->CharMap[u'b'], u'b') << "past the end of ChrCnvDst";
  EXPECT_EQ(coder->AckPages, 0);
  EXPECT_EQ(coder->Debug, 1);
  EXPECT_EQ(coder->ModelTimeOut, 0);
  EXPECT_EQ(coder->Delims.FieldDelim, std::string("\x1F\x00", 2)) << "byte blocks as stored";
  EXPECT_EQ(coder->Delims.LinesDelim, u"¦|");
  EXPECT_EQ(coder->Delims.GridCDelim, "\xB9");
  EXPECT_EQ(coder->CharList.Chars(), u"\n\r ABC|¦");
}

TEST(Coder, SideWideAckPagesOverrulesTheType) {
  struct Case {
    std::optional<int32_t> side, type;
    uint8_t expected;
  } cases[] = {{{}, {}, 1}, {{}, 0, 0}, {0, 1, 0}, {0, {}, 0}, {2, {}, 2}, {1, 5, 5}};
  for (const Case& c : cases) {
    TMemoryStore store;
    store.AddKey(kAB);
    if (c.side) store.SetInteger(kCfg, u"AckPages", *c.side);
    if (c.type) store.SetInteger(kAB, u"AckPages", *c.type);
    auto coder = MakeCoder(store);
    ASSERT_TRUE(coder->LoadParam());
    EXPECT_EQ(coder->AckPages, c.expected);
  }
}

TEST(Coder, ReinitKeepsTheTypesNamedParameters) {
  TMemoryStore store;
  store.SetText(kAB + u"\\Params\\Server", u"Data", u"1");
  TMemoryContextHost host;
  TContext context(host, u".Default");
  TMemoryLog log;
  auto coder = TCoder::Create<TWinTestCoder>(store, kCfg, &context, 0, log, TDocIdClass::CreateFromText("AB"));
  ASSERT_TRUE(coder->LoadParam());
  const auto first = ParamNames(*coder);
  EXPECT_EQ(first, (std::vector<std::u16string>{u"%Page%", u"%Win%", u"Server"}));
  coder->Texts->push_back(std::make_unique<TTextProTo>(1, u"x", TPoint{1, 1}));
  coder->Found->AddObject(u"x", coder->Texts->back().get());
  coder->Errors->Add(u"e");
  coder->Picture = {1, 2};
  log.file.AddFieldStatus(u"Поле", u"1", false, false);
  context.SetPage(2);
  coder->Reinit();
  EXPECT_EQ(ParamNames(*coder), first);
  EXPECT_EQ(Param(*coder, 0).Data, u"(1)");
  EXPECT_TRUE(coder->Texts->empty());
  EXPECT_EQ(coder->Found->Count(), 0);
  EXPECT_EQ(coder->Errors->Count(), 0);
  EXPECT_TRUE(coder->Picture.empty());
  EXPECT_TRUE(log.file.FieldStatus().empty());
}

TEST(Coder, DocTypeIdPrefersAVirtualTypeOfTwoOrFourCharacters) {
  struct Case {
    std::optional<std::u16string> virtualDT;
    std::string expected;
  } cases[] = {{{}, "AB"}, {u"XY ", "XY"}, {u"WXYZ", "WXYZ"}, {u"XYZ", "AB"}, {u"", "AB"}, {u"  X ", "AB"}};
  for (const Case& c : cases) {
    TMemoryStore store;
    if (c.virtualDT) store.SetText(kAB, u"VirtualDT", *c.virtualDT);
    EXPECT_EQ(MakeCoder(store)->GetDocTypeId(), c.expected);
  }
}

TEST(Coder, DumpObjectsShowsParametersAndTables) {
  TMemoryStore store;
  TMemoryContextHost host;
  TContext context(host, u"P1");
  context.Context = std::u16string(u"Ctx\0secret", 10);
  TMemoryLog log;
  auto coder = MakeCoder(store, &log, &context);
  auto described = std::make_unique<TNamedParam>(u"v");
  described->Desc = u"описание";
  coder->NamedParams->AddObject(u"D", std::move(described));
  auto grid = std::make_unique<TGrid>(u"T1", u"3,2");
  grid->Rect = TRect{1, 2, 30, 40};
  coder->Grids->push_back(std::move(grid));
  log.Lines.clear();
  coder->DumpObjects();
  EXPECT_EQ(log.Lines, (std::vector<std::u16string>{u"P-Objects:", u"  [%Page%]: \"(1)\"", u"  [Ctx]: \"[... 6 ...]\"",
                                                     u"  [D]: \"v\", (описание)", u"G-Objects:",
                                                     u"  [T1], (1,2,30,40), [3,2]"}));
  TMemoryLog quiet(false);
  coder->Log = quiet;
  coder->DumpObjects();
  EXPECT_TRUE(quiet.Lines.empty());
  coder->Log = log;
}

TEST(Coder, FoundObjectsByNameAndByObject) {
  TMemoryStore store;
  auto coder = MakeCoder(store);
  coder->Texts->push_back(std::make_unique<TTextProTo>(1, u"x", TPoint{1, 1}));
  TRectProTo* text = coder->Texts->back().get();
  TNamedParam param;
  coder->Found->AddObject(u"Итого", text);
  coder->Found->AddObject(u"P", &param);
  EXPECT_EQ(coder->FindRectObject(u"итого"), text);
  EXPECT_EQ(coder->FindRectObject(u"P"), nullptr) << "not a page object";
  EXPECT_EQ(coder->FindRectObject(u"none"), nullptr);
  EXPECT_EQ(coder->FindNameOfObject(text), u"- [Итого]");
  EXPECT_EQ(coder->FindNameOfObject(nullptr), u"");
  coder->Found->Clear();  // borrowed: nothing is freed
}

TEST(Coder, SetNewContextNeedsAContext) {
  TMemoryStore store;
  TMemoryContextHost host;
  TContext context(host, u"P1");
  MakeCoder(store, nullptr, &context)->SetNewContext(u"N", u"V");
  EXPECT_EQ(context.NewContext, std::u16string(u"N\0V", 3));
  MakeCoder(store)->SetNewContext(u"N", u"V");  // no context: nothing happens
}

TEST(Coder, RemoveShortLines) {
  struct Case {
    int16_t length;
    TRect rect;
    uint8_t special;
    bool kept;
    const char* why;
  } cases[] = {
      {0, {5, 5, 5, 5}, 0, true, "length 0 keeps every plain line"},
      {1, {5, 5, 5, 5}, 0, true, "length 1 too"},
      {2, {5, 5, 5, 5}, 0, false, "length 2 removes a point"},
      {2, {5, 5, 6, 5}, 0, true, "but not a line of width 1"},
      {10, {0, 5, 8, 5}, 0, false, "width 8 is below 9"},
      {10, {0, 5, 9, 5}, 0, true, "width 9 is not"},
      {0, {0, 5, 100, 5}, 1, false, "special lines always go"},
      {10, {INT32_MIN, 5, INT32_MAX, 5}, 0, true, "the widest line does not overflow"},
  };
  TMemoryStore store;
  for (const Case& c : cases) {
    auto coder = MakeCoder(store);
    auto h = std::make_unique<TLineProTo>(1, c.rect);
    h->Special = c.special;
    coder->HLines->push_back(std::move(h));
    const TRect v{c.rect.Top, c.rect.Left, c.rect.Bottom, c.rect.Right};
    auto vl = std::make_unique<TLineProTo>(2, v);
    vl->Special = c.special;
    coder->VLines->push_back(std::move(vl));
    coder->RemoveShortLines(TSmallPoint{c.length, 0});
    EXPECT_EQ(coder->HLines->size(), c.kept ? 1u : 0u) << c.why;
    coder->RemoveShortLines(TSmallPoint{0, c.length});
    EXPECT_EQ(coder->VLines->size(), c.kept ? 1u : 0u) << c.why << " (vertical)";
  }
}

TEST(Coder, LineCleanUpGoesToThePageModel) {
  TMemoryStore store;
  auto coder = MakeCoder(store);
  coder->VLines->push_back(std::make_unique<TLineProTo>(1, TRect{50, 0, 50, 98}));
  coder->HLines->push_back(std::make_unique<TLineProTo>(2, TRect{50, 100, 200, 100}));
  coder->ConnectLines(true, TSmallPoint{3, 3});
  EXPECT_EQ((*coder->VLines)[0]->Rect.Bottom, 100);
  coder->HLines->push_back(std::make_unique<TLineProTo>(3, TRect{201, 100, 300, 100}));
  coder->MergeLines(TSmallPoint{3, 0}, false);
  ASSERT_EQ(coder->HLines->size(), 1u);
  EXPECT_EQ((*coder->HLines)[0]->Rect.Right, 300);
  coder->PageExtent = TRect{0, 0, 999, 1999};
  EXPECT_EQ(coder->NormalizeRect(TRect{500, 1000, 1000, 2000}), (TRect{500, 500, 1000, 1000}));
}

TEST(Coder, CheckTimeOut) {
  static uint32_t now = 0;
  const TTickSource previous = SetTickSource([] { return now; });
  TMemoryStore store;
  TMemoryLog log;
  auto coder = MakeCoder(store, &log);
  now = 1000000;
  const uint32_t start = MonotonicTick();
  coder->ModelTimeOut = 5000;
  now = start + 4999;
  EXPECT_TRUE(coder->CheckTimeOut(start));
  now = start + 6000;
  EXPECT_FALSE(coder->CheckTimeOut(start));
  EXPECT_EQ(log.Lines.back(), u"--> Timeout error!");
  coder->ModelTimeOut = 0;  // the default limit, never "no limit"
  EXPECT_FALSE(coder->CheckTimeOut(start));
  EXPECT_TRUE(coder->ScanStarted());
  EXPECT_EQ(log.Lines.back(), u"  Сканирование");
  SetTickSource(previous);
}

TEST(CodeFormat, SymbolSidesAreRangeChecked) {
  struct Case {
    bool compact;
    int32_t layers, side;
  } cases[] = {{true, 1, 15},  {true, 4, 27},   {true, 5, 27},   {true, 0, 15},    {true, -7, 15},
               {false, 1, 19}, {false, 16, 83}, {false, 18, 91}, {false, 22, 109}, {false, 32, 151},
               {false, 33, 151}, {false, 0, 19}, {false, 65534, 151}};
  for (const Case& c : cases) EXPECT_EQ(SymbolSide(c.compact, c.layers), c.side) << c.compact << " " << c.layers;
}

TEST(CodeFormat, OffsetInModules) {
  struct Case {
    int32_t value, module, expected;
  } cases[] = {{1, 71, 1},  {1, 200, 1},  {-1, 200, -1}, {3, 200, 2}, {50, 100, 50},
               {5, 0, 500}, {5, -9, 500}, {INT32_MAX, 1, -1}, {INT32_MIN, 1, -1}, {21474836, 1, 2147483600}};
  for (const Case& c : cases) EXPECT_EQ(OffsetInModules(c.value, c.module), c.expected) << c.value << "/" << c.module;
}

TEST(CodeFormat, PictureSizes) {
  struct Case {
    std::u16string letter;
    std::vector<std::pair<std::u16string, int32_t>> code;  // empty: no Code key
    TSize size;
    bool several;
    const char* why;
  } cases[] = {
      {u"E", {}, {71 * 91, 71 * 91}, false, "no Code key: 18 full layers"},
      {u"E", {{u"Layers", 16}}, {71 * 83, 71 * 83}, false, "16 layers"},
      {u"E", {{u"Layers", 0x20010}, {u"Symbols", 0x20004}}, {71 * 91, 71 * 91}, false, "E reads no symbols"},
      {u"E", {{u"IsCompact", 1}, {u"Layers", 0x10002}}, {71 * 23, 71 * 23}, false, "compact 3 layers"},
      {u"G", {{u"ModuleSize", 100}}, {100 * (1 * 5 + 91 * 6), 100 * 91}, true, "six symbols in a row"},
      {u"p", {{u"ModuleSize", 100}, {u"SymLines", 0x10001}}, {100 * (1 * 2 + 91 * 3), 100 * (1 + 91 * 2)}, true,
       "p: two rows of three"},
      {u"q", {{u"ModuleSize", 100}}, {100 * 91, 100 * 91}, false, "q is one symbol"},
      {u"G", {{u"Symbols", 1}}, {71 * 91, 71 * 91}, false, "one symbol"},
      {u"G", {{u"ModuleSize", 100}, {u"SymLines", 0}}, {100 * -1, 100 * -1}, true, "no rows: no columns"},
      {u"G", {{u"ModuleSize", 10}, {u"Rotated", 1}, {u"SymLines", 2}}, {10 * (10 + 91 * 2), 10 * (20 + 91 * 3)},
       true, "turned; the gap of 0.01 mm x 100 is 10 modules of 0.1 mm"},
      {u"E", {{u"ModuleSize", INT32_MAX}}, {static_cast<int32_t>(0x7FFFFFFFu * 91u), static_cast<int32_t>(0x7FFFFFFFu * 91u)},
       false, "wraps as a 32-bit size"},
  };
  for (const Case& c : cases) {
    TMemoryStore store;
    store.SetText(kAB + u"\\Format", u"Version", c.letter + u"1");
    if (!c.code.empty() || std::string_view(c.why).find("E reads") != std::string_view::npos)
      store.AddKey(kAB + u"\\Code");
    for (const auto& [name, value] : c.code) store.SetInteger(kAB + u"\\Code", name, value);
    const TCodeFormat f = ReadCodeFormat(store, kCfg, TDocIdClass::CreateFromText("AB"));
    EXPECT_EQ(f.PictureSize, c.size) << c.why;
    EXPECT_EQ(f.SeveralSymbols, c.several) << c.why;
    if (c.letter == u"E") {
      EXPECT_TRUE(f.AppEndHdr.empty()) << c.why;
    }
  }
}

TEST(CodeFormat, SeveralSymbolLetters) {
  for (char c = 0x21; c < 0x7F; ++c)
    EXPECT_EQ(LetterAllowsSeveralSymbols(c), std::string_view("GILMNOPp").find(c) != std::string_view::npos) << c;
}

TEST(DocParams, LoadedForEveryTypeInIdentifierOrder) {
  TMemoryStore store;
  store.SetText(u"Cfg\\ZZ", u"DocType", u"Последний");
  store.SetText(u"Cfg\\AB", u"DocType", u"Первый");
  store.SetText(u"Cfg\\AB", u"Pages", std::u16string(70, u'K'));
  store.SetInteger(u"Cfg\\AB", u"SavePgDlg", 1);
  store.SetInteger(u"Cfg\\AB", u"PicTop", 1);
  store.SetInteger(u"Cfg\\AB", u"PicPlace", 0x01020304);
  store.SetText(u"Cfg\\AB\\Format", u"Version", u"G");
  store.SetInteger(u"Cfg\\AB\\Code", u"Rotated", 1);
  store.SetInteger(u"Cfg\\AB\\Code", u"ModuleSize", 10);
  store.AddKey(u"Cfg\\ABC");  // three characters: not a type
  store.AddKey(u"Cfg\\DCXY");
  auto list = LoadDocParams(store, kCfg);
  ASSERT_EQ(list->Count(), 3);
  EXPECT_EQ(list->Strings(0), u"Первый");
  EXPECT_EQ(list->Strings(1), u"Неизвестный тип документа");
  EXPECT_EQ(list->Strings(2), u"Последний");
  const auto& ab = *dynamic_cast<const TDocParam*>(list->Objects(0));
  EXPECT_EQ(ab.DocId.GetText(), "AB");
  EXPECT_EQ(ab.Pages, std::string(64, 'K'));
  EXPECT_EQ(ab.SavePgDlg, 1);
  EXPECT_EQ(ab.AckPages, 1);
  EXPECT_EQ(ab.PicTop, 1);
  EXPECT_EQ(ab.PicPlace, 0x01020304);
  EXPECT_EQ(ab.SeveralSymbols, 1);
  EXPECT_EQ(ab.Rotated, 1);
  EXPECT_EQ(ab.PictureSize, (TSize{10 * 91, 10 * (10 * 5 + 91 * 6)}));
  const auto& zz = *dynamic_cast<const TDocParam*>(list->Objects(2));
  EXPECT_EQ(zz.Pages, "C");
  EXPECT_EQ(zz.SeveralSymbols, 0);
}
