// A type's blank laid over the page: its lines scaled to the reference device, the values that fail the
// page with their log lines, and the parsing of the stored values.
#include "coding/cl_emfcoder_blank.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "coding/cl_emfcoder.h"
#include "foundation/cl_tools_config.h"
#include "support/coder_fakes.h"

namespace {
const std::u16string kBlank = std::u16string(kConfigKey) + u"\\AB\\Blank";

struct TBlankPage {
  explicit TBlankPage(std::vector<std::pair<std::u16string, std::u16string>> values) {
    for (const auto& [name, value] : values) store.SetText(kBlank, name, value);
    coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, log, TDocIdClass::CreateFromText("AB"));
    coder->Header.szlDeviceCx = 4961;
    coder->Header.szlDeviceCy = 7016;
    log.Lines.clear();
  }
  TMemoryStore store;
  TMemoryLog log;
  std::unique_ptr<TEMFCoder> coder;
};

std::vector<TRect> Rects(const TObjectList& lines) {
  std::vector<TRect> out;
  for (const auto& line : lines) out.push_back(line->Rect);
  return out;
}
}  // namespace

TEST(LoadBlank, LinesAreScaledToTheDevice) {
  TBlankPage page({{u"SizeXY", u"1000,1000"},
                   {u"LineH1", u"100,200,600,200,1"},
                   {u"LineH2", u"0,0,10,0,0"},
                   {u"LineV1", u"10,10,10,11,1"},
                   {u"LineV3", u"500,0,500,1000,1"}});
  ASSERT_TRUE(page.coder->LoadBlank());
  EXPECT_EQ(Rects(*page.coder->HLines), (std::vector<TRect>{{496, 1403, 2977, 1403}})) << "an unused line is skipped";
  EXPECT_EQ(Rects(*page.coder->VLines), (std::vector<TRect>{{50, 70, 50, 77}})) << "LineV3 is past the gap";
  EXPECT_EQ(page.log.Lines, std::vector<std::u16string>{u"  Загрузка бланка"});
  const auto& line = static_cast<const TLine&>(*page.coder->HLines->front());
  EXPECT_EQ(line.RecordType, 0);
  EXPECT_EQ(line.Ident, 0);
}

TEST(LoadBlank, ShortLinesAreJudgedBeforeScaling) {
  TBlankPage page({{u"SizeXY", u"100000,100000"}, {u"LineV1", u"10,10,10,11,1"}});
  ASSERT_TRUE(page.coder->LoadBlank()) << "a line that scales to a point is still vertical as stored";
  EXPECT_EQ(Rects(*page.coder->VLines), (std::vector<TRect>{{0, 1, 0, 1}}));
}

TEST(LoadBlank, BadValuesFailThePage) {
  struct Case {
    std::vector<std::pair<std::u16string, std::u16string>> values;
    std::u16string logged;
    const char* why;
  } cases[] = {
      {{{u"SizeXY", u"0,1000"}}, u"    Error in: SizeXY", "a width below 1"},
      {{{u"SizeXY", u"1000,-5"}}, u"    Error in: SizeXY", "a height that is not positive"},
      {{{u"SizeXY", u"abc,1000"}}, u"    Error in: SizeXY", "a width that is no number counts as 0"},
      {{{u"SizeXY", u"1000,1000"}, {u"LineH1", u"100,200,600,200,1"}, {u"LineH2", u"100,200,600,300,1"}},
       u"    Error in: LineH2", "neither horizontal nor vertical"},
      {{{u"SizeXY", u"1000,1000"}, {u"LineV1", u"5,5,5,5,1"}}, u"    Error in: LineV1", "both horizontal and vertical"},
      {{{u"SizeXY", u"1000,1000"}, {u"LineH1", u"1,2,3,2"}}, u"    Error in: LineH1", "a value short of its flag"},
      {{{u"SizeXY", u"1000,1000"}, {u"LineH1", u"1,2,x,2,1"}}, u"    Error in: LineH1", "a value that is no number"},
      {{{u"SizeXY", u"1000,1000"}, {u"LineH1", u"1,2,99999999999,2,1"}}, u"    Error in: LineH1",
       "a number beyond 32 bits"},
  };
  for (const Case& c : cases) {
    TBlankPage page(c.values);
    EXPECT_FALSE(page.coder->LoadBlank()) << c.why;
    EXPECT_EQ(page.log.Lines, (std::vector<std::u16string>{u"  Загрузка бланка", c.logged})) << c.why;
  }

  TMemoryStore none;
  TMemoryLog log;
  auto coder = TCoder::Create<TEMFCoder>(none, nullptr, nullptr, 0, log, TDocIdClass::CreateFromText("AB"));
  EXPECT_FALSE(coder->LoadBlank()) << "no blank key";
}

TEST(LoadBlank, ValueParsing) {
  EXPECT_EQ(ParseBlankSize(u"21000,29700"), (TSize{21000, 29700}));
  EXPECT_EQ(ParseBlankSize(u"21000"), (TSize{21000, 0}));
  EXPECT_EQ(ParseBlankSize(u""), (TSize{0, 0}));
  const std::optional<TBlankLine> line = ParseBlankLine(u" 1, -2,3 ,4,0");
  ASSERT_TRUE(line);
  EXPECT_EQ(line->A, (TPoint{1, -2}));
  EXPECT_EQ(line->B, (TPoint{3, 4}));
  EXPECT_FALSE(line->Used);
  EXPECT_FALSE(ParseBlankLine(u"1,2,3,4,1,6"));
  EXPECT_FALSE(ParseBlankLine(u"1,2,3,,1"));
  EXPECT_FALSE(ParseBlankLine(u"-"));
}
