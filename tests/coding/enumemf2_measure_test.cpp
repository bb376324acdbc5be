// Measuring texts with fixed metrics: boxes by alignment, character edges from widths or record advances,
// blank extraction, the scales of transformed and rotated texts, fonts made once, and failures.
#include "coding/enumemf2_measure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/coder_fakes.h"

namespace {

// A text at (x, y) in a font whose cells are `height` high and height / 2 wide (fixed metrics).
std::unique_ptr<TText> Text(std::u16string chars, int32_t x, int32_t y, int32_t height = 20) {
  auto t = std::make_unique<TText>(1, std::move(chars), TPoint{x, y});
  t->Font.lfHeight = -height;
  t->Font.lfFaceName[0] = u'A';
  return t;
}

TText& At(TObjectList& texts, size_t i) { return static_cast<TText&>(*texts[i]); }

void Measure(TObjectList& texts, TFixedMeasurer& measurer, int32_t extractBL = 0, TLogFile* log = nullptr) {
  TMeasureOptions options;
  options.ExtractBL = extractBL;
  options.Log = log;
  MeasureTexts(texts, measurer, options);
}

}  // namespace

TEST(MeasureTexts, WidthsGiveEdgesBoxAndCharacterSize) {
  TObjectList texts;
  texts.push_back(Text(u"ab c", 100, 200));
  TFixedMeasurer measurer;
  Measure(texts, measurer);
  const TText& t = At(texts, 0);
  EXPECT_EQ(t.Positions, (std::vector<int32_t>{100, 110, 120, 125, 135})) << "length + 1 edges, a space half wide";
  EXPECT_EQ(t.Rect, (TRect{100, 200, 135, 220}));
  EXPECT_EQ(t.CharWidth, 10);
  EXPECT_EQ(t.CharHeight, 20) << "a character height (negative lfHeight) becomes the cell height";
  EXPECT_EQ(t.Font.lfHeight, 20);
  EXPECT_EQ(t.Font.lfWidth, 10) << "lfWidth 0 takes the average width";
}

TEST(MeasureTexts, AlignmentFlagsAreMasks) {
  struct Case {
    uint32_t align;
    TRect box;
    const char* why;
  } cases[] = {
      {0, {1000, 900, 1300, 920}, "left and top"},
      {2, {700, 900, 1000, 920}, "TA_RIGHT: a total of 300 at x 1000 spans 700 to 1000"},
      {6, {850, 900, 1150, 920}, "TA_CENTER holds TA_RIGHT's bit and is centred"},
      {4, {1000, 900, 1300, 920}, "the bit of 4 alone is no alignment"},
      {8, {1000, 880, 1300, 900}, "TA_BOTTOM"},
      {24, {1000, 880, 1300, 900}, "TA_BASELINE is placed like TA_BOTTOM"},
      {16, {1000, 900, 1300, 920}, "the bit of 16 alone is no alignment"},
      {6 | 24 | 1, {850, 880, 1150, 900}, "TA_UPDATECP does not move the box"},
  };
  for (const Case& c : cases) {
    TObjectList texts;
    texts.push_back(Text(std::u16string(30, u'x'), 1000, 900));
    At(texts, 0).TextAlign = c.align;
    TFixedMeasurer measurer;
    Measure(texts, measurer);
    EXPECT_EQ(At(texts, 0).Rect, c.box) << c.why;
    EXPECT_EQ(At(texts, 0).Positions.front(), c.box.Left) << c.why;
    EXPECT_EQ(At(texts, 0).Positions.back(), c.box.Right) << c.why;
  }
}

TEST(MeasureTexts, TextWithoutOwnPositionStartsWhereThePreviousEnded) {
  TObjectList texts;
  texts.push_back(Text(std::u16string(50, u'x'), 1000, 900));  // ends at x 1500
  texts.push_back(Text(u"", 0, 0));                            // empty: neither measured nor moving the end
  texts.push_back(Text(u"ab", 0, 0));
  At(texts, 2).OwnPosition = 0;
  At(texts, 2).TextAlign = 8;
  TFixedMeasurer measurer;
  Measure(texts, measurer);
  EXPECT_EQ(At(texts, 2).Rect, (TRect{1500, 880, 1520, 900})) << "from (1500, 900), then its own alignment";
  EXPECT_TRUE(At(texts, 1).Positions.empty());
}

TEST(MeasureTexts, RecordAdvancesWithBlankExtraction) {
  // Characters 40 wide, a space 20 wide, ExtractBL 50: the threshold is 10.
  TObjectList texts;
  texts.push_back(Text(u"abcd", 0, 0, 80));
  At(texts, 0).Positions = {50, 50, 200};
  TFixedMeasurer measurer;
  Measure(texts, measurer, 50);
  EXPECT_EQ(At(texts, 0).Text, u"abc d") << "the gap of 160 after the third character became a space";
  EXPECT_EQ(At(texts, 0).Positions, (std::vector<int32_t>{0, 50, 100, 140, 300, 340}));

  TObjectList off;
  off.push_back(Text(u"abcd", 0, 0, 80));
  At(off, 0).Positions = {50, 50, 200};
  Measure(off, measurer, 0);
  EXPECT_EQ(At(off, 0).Text, u"abcd");
  EXPECT_EQ(At(off, 0).Positions, (std::vector<int32_t>{0, 50, 100, 300, 340}));
}

TEST(MeasureTexts, ScalesOfTheTransformAndTheRecord) {
  struct Case {
    TXForm xf;
    double xScale, yScale;
    std::vector<int32_t> advances;
    int32_t madeHeight;
    std::vector<int32_t> edges;
    const char* why;
  } cases[] = {
      {{}, 0, 0, {}, -20, {0, 10, 20, 30}, "no record scales"},
      {{2, 0, 0, 2, 0, 0}, 0, 0, {}, -40, {0, 20, 40, 60}, "a doubled world scale doubles the widths"},
      {{0, 2, -2, 0, 0, 0}, 0, 0, {}, -40, {0, 20, 40, 60}, "rotated by 90 degrees: the axes' lengths are the scales"},
      {{}, 2, 0, {}, -20, {0, 10, 20, 30}, "a zero YScale counts as r = 1, not as a zero-height font"},
      {{}, 0, 3, {}, -20, {0, 10, 20, 30}, "a zero XScale counts as r = 1"},
      {{}, 2, 1, {}, -10, {0, 2, 5, 8}, "r = 1/2: the rounding of the running sum is carried, halves to even"},
      {{2, 0, 0, 2, 0, 0}, 0, 0, {10, 10}, -40, {0, 20, 40, 60}, "record advances in logical units, times |M11|"},
      {{2, 0, 0, 0, 0, 0}, 0, 0, {10, 10}, 0, {0, 20, 40, 56}, "no vertical scale: advances not divided by zero"},
  };
  for (const Case& c : cases) {
    TObjectList texts;
    texts.push_back(Text(u"abc", 0, 0));
    TText& t = At(texts, 0);
    t.Transform = c.xf;
    t.XScale = c.xScale;
    t.YScale = c.yScale;
    t.Positions = c.advances;
    TFixedMeasurer measurer;
    Measure(texts, measurer);
    ASSERT_FALSE(measurer.Made.empty()) << c.why;
    EXPECT_EQ(measurer.Made[0].lfHeight, c.madeHeight) << c.why;
    EXPECT_EQ(t.Positions, c.edges) << c.why;
  }
}

TEST(MeasureTexts, EachDistinctFontIsMadeOncePerPage) {
  TObjectList texts;
  for (int i = 0; i < 10; ++i) texts.push_back(Text(u"ab", 0, 0, i % 2 ? 20 : 30));
  TFixedMeasurer measurer;
  Measure(texts, measurer);
  // Each font is made once to learn its size and once at that size for the widths.
  ASSERT_EQ(measurer.Made.size(), 4u);
  EXPECT_EQ(measurer.Made[0].lfHeight, -30);
  EXPECT_EQ(measurer.Made[1].lfHeight, 30);
  EXPECT_EQ(measurer.Made[2].lfHeight, -20);
  EXPECT_EQ(At(texts, 9).CharHeight, 20);
  EXPECT_EQ(At(texts, 8).CharHeight, 30);

  TObjectList scaled;
  scaled.push_back(Text(u"ab", 0, 0));
  scaled.push_back(Text(u"ab", 0, 0));
  At(scaled, 1).Transform.M22 = 2;
  TFixedMeasurer other;
  Measure(scaled, other);
  EXPECT_EQ(other.Made.size(), 4u) << "the same LOGFONTW under another scale is another font";
  EXPECT_EQ(At(scaled, 1).CharHeight, 40);
}

TEST(MeasureTexts, PositiveHeightAndGivenWidthAreKept) {
  TObjectList texts;
  texts.push_back(Text(u"ab", 0, 0));
  At(texts, 0).Font.lfHeight = 24;
  At(texts, 0).Font.lfWidth = 7;
  TFixedMeasurer measurer;
  Measure(texts, measurer);
  ASSERT_EQ(measurer.Made.size(), 1u) << "nothing to prepare: the font made serves the widths";
  EXPECT_EQ(At(texts, 0).CharHeight, 24);
  EXPECT_EQ(At(texts, 0).CharWidth, 7);
  EXPECT_EQ(At(texts, 0).Positions, (std::vector<int32_t>{0, 7, 14}));
}

TEST(MeasureTexts, EightBitWidthsAreScaledByTheAxes) {
  TObjectList texts;
  texts.push_back(Text(u"aб", 0, 0));
  At(texts, 0).Transform = TXForm{2, 0, 0, 1, 0, 0};
  TFixedMeasurer measurer(false);
  Measure(texts, measurer);
  ASSERT_EQ(measurer.Made.size(), 1u) << "8-bit widths come from the font made first";
  EXPECT_EQ(At(texts, 0).Positions, (std::vector<int32_t>{0, 20, 40})) << "widths times |M11 / M22|";
  EXPECT_EQ(At(texts, 0).CharWidth, 20);
}

TEST(MeasureTexts, FailuresAreReportedAndLeaveNoEdges) {
  TMemoryLog log;
  TObjectList texts;
  texts.push_back(Text(std::u16string(10, u'x'), 100, 50));
  texts.push_back(Text(u"ab", 500, 60));
  At(texts, 1).Font.lfFaceName[0] = u'B';
  texts.push_back(Text(u"ab", 0, 0));
  At(texts, 2).Font.lfFaceName[0] = u'B';
  texts.push_back(Text(u"cd", 0, 0));
  At(texts, 3).OwnPosition = 0;
  TFixedMeasurer measurer;
  measurer.FailingFaces = {u"B"};
  Measure(texts, measurer, 0, log);
  EXPECT_TRUE(At(texts, 1).Positions.empty());
  EXPECT_EQ(At(texts, 1).Rect, (TRect{500, 60, 500, 60})) << "the box stays the reference point";
  EXPECT_EQ(At(texts, 3).Rect.Left, 200) << "the next text follows the last one measured";
  EXPECT_EQ(log.Lines, std::vector<std::u16string>{u"CreateFontIndirect"}) << "one report for the font";

  TMemoryLog log8;
  TObjectList eight;
  eight.push_back(Text(u"ab", 0, 0));
  TFixedMeasurer failing(false);
  failing.FailCharWidths = true;
  Measure(eight, failing, 0, log8);
  EXPECT_EQ(log8.Lines, std::vector<std::u16string>{u"GetCharWidth"});
  EXPECT_EQ(At(eight, 0).Positions, (std::vector<int32_t>{0, 0, 0})) << "the widths stay zero";
}

TEST(MeasureTexts, SizesOfInt32MinHaveAMagnitude) {
  struct Case {
    int32_t height, width;
    TFontMetrics metrics;
  };
  const Case cases[] = {
      {INT32_MIN, 0, {INT32_MAX, INT32_MAX / 2}},
      {-20, INT32_MIN, {20, INT32_MAX}},
      {INT32_MIN, INT32_MIN, {INT32_MAX, INT32_MAX}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.height) + " " + std::to_string(c.width));
    TFixedMeasurer measurer;
    TLogFontW font;
    font.lfHeight = c.height;
    font.lfWidth = c.width;
    std::vector<std::u16string> failures;
    TFontMetrics metrics;
    ASSERT_NE(measurer.MakeFont(font, &metrics, failures), nullptr);
    EXPECT_EQ(metrics.Height, c.metrics.Height);
    EXPECT_EQ(metrics.AveCharWidth, c.metrics.AveCharWidth);
    // And a text in such a font is measured without overflow.
    TObjectList texts;
    texts.push_back(Text(u"ab", 100, 200));
    At(texts, 0).Font = font;
    Measure(texts, measurer);
  }
}
