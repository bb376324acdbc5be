// A Windows page parsed from its metafile bytes for one type: texts and ruled lines in reference-device
// pixels, the line finder's lines in place of drawn ones, the tolerances in pixels, and the pages that do
// not parse (not a metafile, no millimetres, a damaged record, a bad blank) with what each reports.
#include "coding/cl_emfcoder_parse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "coding/cl_blank.h"
#include "foundation/cl_tools_config.h"
#include "foundation/lib_codepage.h"
#include "support/coder_fakes.h"
#include "support/emf_builder.h"

namespace {
const std::u16string kCfg(kConfigKey);

struct TParsedPage {
  TMemoryStore store;
  TMemoryLog log;
  TRecordingServices services;
  TFixedPageDevice device;
  std::unique_ptr<TEMFCoder> coder;

  explicit TParsedPage(const TLineSearchResult* seeker = nullptr, int32_t useBlank = 0) {
    store.AddKey(kCfg + u"\\AB");
    if (useBlank) store.Set(kCfg + u"\\AB", u"UseBlank", useBlank);
    coder = TCoder::Create<TEMFCoder>(store, seeker, nullptr, 0, log, TDocIdClass::CreateFromText("AB"));
    coder->CodeServices = &services;
    EXPECT_TRUE(coder->LoadParam());
    log.host.Lines.clear();
  }
  bool Parse(const std::vector<uint8_t>& bytes) { return ParsePageBytes(*coder, bytes, device); }

  std::vector<std::u16string> Texts() const {
    std::vector<std::u16string> texts;
    for (const auto& t : *coder->Texts) texts.push_back(static_cast<const TTextProTo&>(*t).Text);
    std::sort(texts.begin(), texts.end());
    return texts;
  }
  bool Logged(std::u16string_view text) const {
    return std::any_of(log.host.Lines.begin(), log.host.Lines.end(),
                       [&](const std::u16string& line) { return line.find(text) != std::u16string::npos; });
  }
};

// A4 at 600 dpi: a two-cell ruled row with a label and a value.
TEmfBuilder RuledPage() {
  TEmfBuilder emf;
  emf.MoveTo(500, 500).LineTo(4000, 500).MoveTo(500, 800).LineTo(4000, 800);
  emf.MoveTo(500, 500).LineTo(500, 800).MoveTo(2500, 500).LineTo(2500, 800).MoveTo(4000, 500).LineTo(4000, 800);
  emf.Font(1, LogFont(u"Arial", -100)).Select(1);
  emf.TextOutW({.Reference = {600, 600}, .Text = u"Счёт"});
  emf.TextOutW({.Reference = {2600, 600}, .Text = u"№ 42"});
  return emf;
}

std::vector<std::string> Lines(const TObjectList& lines) {
  std::vector<std::string> shown;
  for (const auto& l : lines) {
    const auto& line = static_cast<const TLine&>(*l);
    const TRect& r = line.Rect;
    shown.push_back(std::to_string(line.Ident) + ":" + std::to_string(line.RecordType) + " " +
                    std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
                    std::to_string(r.Bottom));
  }
  std::sort(shown.begin(), shown.end());
  return shown;
}
}  // namespace

TEST(ParsePage, RecordsBecomeTextsAndLinesInPixels) {
  TParsedPage page;
  ASSERT_TRUE(page.Parse(RuledPage().Bytes()));
  EXPECT_EQ(page.coder->Header.szlDeviceCx, 4961);
  // PointSize 128 x 256 hundredths of a millimetre on 4961 x 7016 pixels over 210 x 297 mm.
  EXPECT_EQ(page.coder->SortTolerance, (TSmallPoint{30, 60}));
  EXPECT_EQ(page.Texts(), (std::vector<std::u16string>{u"Счёт", u"№ 42"}));
  EXPECT_EQ(page.coder->HLines->size(), 2u);
  EXPECT_EQ(page.coder->VLines->size(), 3u);
  EXPECT_TRUE(page.Logged(u"  Сканирование"));
  EXPECT_TRUE(page.Logged(u"- время выполнения: "));
  EXPECT_TRUE(page.coder->WhiteRects.empty());
}

TEST(ParsePage, FoundLinesReplaceDrawnOnes) {
  TLineSearchResult found;
  found.Found = true;
  found.HorzLines = {{500, 500, 4000, 500}, {500, 801, 4000, 801}};
  found.VertLines = {{2500, 500, 2500, 800}};
  TParsedPage page(&found);
  ASSERT_TRUE(page.Parse(RuledPage().Bytes()));
  // Numbered by their place in the finder's lists, record type 0; the drawn lines are not taken.
  EXPECT_EQ(Lines(*page.coder->HLines), (std::vector<std::string>{"0:0 500,500,4000,500", "1:0 500,801,4000,801"}));
  // The clean-up connects the vertical line to the lower one.
  EXPECT_EQ(Lines(*page.coder->VLines), (std::vector<std::string>{"0:0 2500,500,2500,801"}));
}

TEST(ParsePage, PagesThatDoNotParse) {
  std::vector<uint8_t> noMillimetres = RuledPage().Bytes();
  std::fill(noMillimetres.begin() + 80, noMillimetres.begin() + 88, 0);
  std::vector<uint8_t> damaged = RuledPage().Record(emr::LineTo, {1}).Bytes();  // a LINETO without its y
  std::vector<uint8_t> tooLong = RuledPage().Bytes();
  tooLong[tooLong.size() - 16] = 0xFF;  // the EOF record's size runs past the page

  struct Case {
    const char* why;
    std::vector<uint8_t> bytes;
    std::vector<std::u16string> logged, notLogged;
  } cases[] = {
      {"not a metafile", {'n', 'o', 't', ' ', 'E', 'M', 'F'}, {u"GetEnhMetaFileHeader"}, {u"EnumEnhMetaFile"}},
      {"no millimetres: silently", noMillimetres, {u"- время выполнения: "}, {u"EnumEnhMetaFile", u"GetEnhMetaFileHeader"}},
      {"a record too short for its points", damaged, {u"EnumEnhMetaFile", u"record 16 (EMR_LINETO)"}, {}},
      {"a record size past the end", tooLong, {u"EnumEnhMetaFile"}, {}},
  };
  for (const Case& c : cases) {
    TParsedPage page;
    EXPECT_FALSE(page.Parse(c.bytes)) << c.why;
    for (const auto& text : c.logged) EXPECT_TRUE(page.Logged(text)) << c.why << ": " << WideToUtf8(text);
    for (const auto& text : c.notLogged) EXPECT_FALSE(page.Logged(text)) << c.why << ": " << WideToUtf8(text);
  }
}

TEST(ParsePage, AMissingBlankFailsWithItsBox) {
  TParsedPage page(nullptr, 2);  // the type's blank is used, and it has none
  ASSERT_EQ(page.coder->BlankMode, 1);
  EXPECT_FALSE(page.Parse(RuledPage().Bytes()));
  EXPECT_EQ(page.services.Boxes, (std::vector<std::u16string>{std::u16string(kBlankParamsErrorText)}));
}
