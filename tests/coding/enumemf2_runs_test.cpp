// Text runs into words and lines: editing at character edges, BuildPageTexts over texts measured with
// fixed metrics (characters 10 wide and 20 high, spaces 5 wide), JoinTexts over measured texts made
// directly, and white areas cutting lines.
#include "coding/enumemf2_runs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "coding/cl_emfcoder.h"
#include "coding/enumemf2_measure.h"
#include "foundation/cl_tools_config.h"
#include "support/coder_fakes.h"
#include "support/hostile_pages.h"

namespace {
const std::u16string kCfg(kConfigKey);

struct TPage {
  TPage() {
    store.AddKey(kCfg);
    coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, log, TDocIdClass::CreateFromText("AB"));
    coder->SortTolerance = TSmallPoint{5, 5};
  }

  // A text as the records give it: a reference point, a font 20 high.
  TText& Raw(int32_t number, std::u16string chars, int32_t x = 100, int32_t y = 200, int32_t height = 20) {
    auto t = std::make_unique<TText>(number, std::move(chars), TPoint{x, y});
    t->Font.lfHeight = -height;
    t->Font.lfFaceName[0] = u'A';
    TText& ref = *t;
    coder->Texts->push_back(std::move(t));
    return ref;
  }
  // A measured text: characters `width` wide from x, 20 high from y.
  TText& Measured(int32_t number, std::u16string chars, int32_t x, int32_t y = 200, int32_t width = 10) {
    TText& t = Raw(number, std::move(chars), x, y);
    for (size_t i = 0; i <= t.Text.size(); ++i) t.Positions.push_back(x + static_cast<int32_t>(i) * width);
    t.Rect = TRect{x, y, t.Positions.back(), y + 20};
    t.CharWidth = width;
    t.CharHeight = 20;
    return t;
  }
  void VLine(int32_t x, int32_t top, int32_t bottom) {
    coder->VLines->push_back(std::make_unique<TLine>(0, TRect{x, top, x, bottom}, 0));
  }
  void White(int32_t number, TRect r) { coder->WhiteRects.push_back(std::make_unique<TRectProTo>(number, r)); }
  void Build() { coder->BuildPageTexts(measurer); }

  std::string Texts() const {
    std::string out;
    for (const auto& object : *coder->Texts) {
      const auto& t = static_cast<const TText&>(*object);
      if (!out.empty()) out += " | ";
      out += WideToUtf8(t.Text) + "#" + std::to_string(t.Ident) + "[" + std::to_string(t.Rect.Left) + "," +
             std::to_string(t.Rect.Right) + "]";
    }
    return out;
  }
  std::string HLines() const { return Lines(*coder->HLines, false); }
  std::string VLines() const { return Lines(*coder->VLines, true); }
  static std::string Lines(const TObjectList& lines, bool vertical) {
    std::string out;
    for (const auto& object : lines) {
      const auto& l = static_cast<const TLine&>(*object);
      const TRect& r = l.Rect;
      if (!out.empty()) out += " | ";
      out += vertical ? std::to_string(r.Left) + ":" + std::to_string(r.Top) + "-" + std::to_string(r.Bottom)
                      : std::to_string(r.Left) + "-" + std::to_string(r.Right) + "@" + std::to_string(r.Top);
      if (l.Special) out += "*";
    }
    return out;
  }

  TMemoryStore store;
  TMemoryLog log;
  std::unique_ptr<TEMFCoder> coder;
  TFixedMeasurer measurer;
};

struct TPageCase {
  const char* why;
  std::function<void(TPage&)> setup;
  std::string texts, hlines, vlines;
};

void RunCases(const std::vector<TPageCase>& cases, const std::function<void(TPage&)>& step) {
  for (const TPageCase& c : cases) {
    TPage page;
    c.setup(page);
    step(page);
    EXPECT_EQ(page.Texts(), c.texts) << c.why;
    EXPECT_EQ(page.HLines(), c.hlines) << c.why;
    EXPECT_EQ(page.VLines(), c.vlines) << c.why;
  }
}

std::string Edges(const TText& t) {
  std::string out;
  for (int32_t e : t.Positions) out += (out.empty() ? "" : ",") + std::to_string(e);
  return out;
}
}  // namespace

TEST(TextEdits, CutAtCharacterEdgesAndKeepTheBox) {
  struct Case {
    const char* why;
    std::function<void(TText&)> edit;
    std::u16string text;
    std::string edges;
  } cases[] = {
      {"DeleteFirstChar", [](TText& t) { DeleteFirstChar(t); }, u" ab  ", "110,120,130,140,150,160"},
      {"DeleteFirstChars 3", [](TText& t) { DeleteFirstChars(t, 3); }, u"b  ", "130,140,150,160"},
      {"DeleteFirstChars beyond the end", [](TText& t) { DeleteFirstChars(t, 9); }, u"", "160"},
      {"DeleteLastChar", [](TText& t) { DeleteLastChar(t); }, u"  ab ", "100,110,120,130,140,150"},
      {"Truncate 3 keeps two", [](TText& t) { Truncate(t, 3); }, u"  ", "100,110,120"},
      {"Truncate 1 keeps none", [](TText& t) { Truncate(t, 1); }, u"", "100"},
      {"TrimSpaces", [](TText& t) { TrimSpaces(t); }, u"ab", "120,130,140"},
  };
  for (const Case& c : cases) {
    TPage page;
    TText& t = page.Measured(1, u"  ab  ", 100);
    c.edit(t);
    EXPECT_EQ(t.Text, c.text) << c.why;
    EXPECT_EQ(Edges(t), c.edges) << c.why;
    EXPECT_EQ(t.Rect.Left, t.Positions.front()) << c.why;
    EXPECT_EQ(t.Rect.Right, t.Positions.back()) << c.why;
  }

  TPage page;
  TText& bare = page.Raw(1, u"  ab  ");
  bare.Rect = TRect{100, 200, 160, 220};
  TrimSpaces(bare);
  EXPECT_EQ(bare.Text, u"ab");
  EXPECT_TRUE(bare.Positions.empty());
  EXPECT_EQ(bare.Rect, (TRect{100, 200, 160, 220})) << "a text without edges keeps its box";
}

TEST(BuildPageTexts, LineCharactersBecomeLines) {
  const std::vector<TPageCase> cases = {
      {"five hyphens: one line at the middle height, no text", [](TPage& p) { p.Raw(1, u"-----"); }, "", "100-150@210", ""},
      {"two hyphens are shorter than LineChHLen and stay text", [](TPage& p) { p.Raw(1, u"--"); }, "--#1[100,120]", "", ""},
      {"plus, hyphens, plus: one line edge to edge, the pluses also special vertical pieces",
       [](TPage& p) { p.Raw(1, u"+-----+"); }, "", "100-170@210", "105:200-220* | 165:200-220*"},
      {"a bar is drawn 1.3 times the text's height about its middle",
       [](TPage& p) { p.Raw(1, u"|", 100, 100, 10); }, "|#1[100,105]", "", "102:98-112"},
      {"a run starting at a bar starts at its centre", [](TPage& p) { p.Raw(1, u"ab|---"); }, "ab#1[100,120]",
       "125-160@210", "125:197-224"},
      {"LineChHLen below 1 counts as 1", [](TPage& p) { p.coder->Settings.LineChHLen = 0; p.Raw(1, u"a-b"); },
       "a#1[100,110] | b#1[120,130]", "110-120@210", ""},
      {"a LineChHLen beyond any text's length makes no line",
       [](TPage& p) {
         p.coder->Settings.LineChHLen = INT32_MAX;
         p.Raw(1, u"a_____-----");
       },
       "a_____-----#1[100,210]", "", ""},
      {"underscores give a line at the bottom and leave the label",
       [](TPage& p) { p.Raw(1, u"Name:_____"); }, "Name:#1[100,150]", "150-200@220", ""},
      {"two underscores between letters stay", [](TPage& p) { p.Raw(1, u"a__b"); }, "a__b#1[100,140]", "", ""},
      {"underscore fields on both sides of a word", [](TPage& p) { p.Raw(1, u"___x___"); }, "x#1[130,140]",
       "100-130@220 | 140-170@220", ""},
      {"L as a corner of a drawn line", [](TPage& p) { p.Raw(1, u"L----"); }, "", "100-150@210", ""},
      {"T as a joint of a drawn line", [](TPage& p) { p.Raw(1, u"--T--"); }, "", "100-150@210", ""},
      {"corners stay letters with LineChrHA off", [](TPage& p) { p.coder->Settings.LineChrHA = 0; p.Raw(1, u"L----"); },
       "L#1[100,110]", "110-150@210", ""},
      {"pieces of a line drawn in two runs join first",
       [](TPage& p) {
         p.Raw(1, u"---");
         p.Raw(2, u"--", 130);
       },
       "", "100-150@210", ""},
      {"OEM box drawing: 0xC4 three times becomes a line",
       [](TPage& p) { p.Raw(1, u"ДДД").Font.lfCharSet = 255; }, "", "100-130@210", ""},
      {"OEM face of OEMFonts: treated as OEM",
       [](TPage& p) {
         TText& t = p.Raw(1, u"ДДД");
         const std::u16string face = u"CourierDOSCTT";
         std::copy(face.begin(), face.end(), t.Font.lfFaceName);
       },
       "", "100-130@210", ""},
      {"SkipOEMConvert leaves box drawing as it is",
       [](TPage& p) {
         p.store.SetInteger(kCfg, u"SkipOEMConvert", 1);
         p.Raw(1, u"ДДД").Font.lfCharSet = 255;
       },
       "───#1[100,130]", "", ""},
      {"an underlined text gives a line under its box",
       [](TPage& p) { p.Raw(1, u"abc").Font.lfUnderline = 1; }, "abc#1[100,130]", "100-130@221", ""},
  };
  RunCases(cases, [](TPage& p) { p.Build(); });
}

TEST(BuildPageTexts, CoveredClippedAndOverprintedTexts) {
  const std::vector<TPageCase> cases = {
      {"a word drawn twice keeps the later copy",
       [](TPage& p) {
         p.Raw(1, u"word");
         p.Raw(2, u"word");
       },
       "word#2[100,140]", "", ""},
      {"a run drawn over the middle of another cuts it in two",
       [](TPage& p) {
         p.Raw(1, u"abcdef");
         p.Raw(2, u"XY", 120);
       },
       "ab#1[100,120] | XY#2[120,140] | ef#1[140,160]", "", ""},
      {"a run over the end of another cuts its tail",
       [](TPage& p) {
         p.Raw(1, u"abcdef");
         p.Raw(2, u"XY", 140);
       },
       "abcd#1[100,140] | XY#2[140,160]", "", ""},
      {"a run over the start of another cuts its head",
       [](TPage& p) {
         p.Raw(1, u"abcdef", 120);
         p.Raw(2, u"WXYZ", 100);
       },
       "WXYZ#2[100,140] | cdef#1[140,180]", "", ""},
      {"an OEM text is not cut by overprinting",
       [](TPage& p) {
         p.Raw(1, u"abc").Font.lfCharSet = 255;
         p.Raw(2, u"xyz");
       },
       "abc#1[100,130] | xyz#2[100,130]", "", ""},
      {"a text under a later white area goes; one drawn after the area stays",
       [](TPage& p) {
         p.Raw(1, u"gone");
         p.White(2, TRect{90, 190, 200, 230});
         p.Raw(3, u"kept", 100, 200);
       },
       "kept#3[100,140]", "", ""},
      {"a white text goes", [](TPage& p) { p.Raw(1, u"abc").TextColor = 0x00FFFFFF; }, "", "", ""},
      {"a clip cuts the characters outside it",
       [](TPage& p) { p.Raw(1, u"abcdef").ClipRect = TRect{115, 190, 135, 230}; }, "bcd#1[110,140]", "", ""},
      {"a text whose middle is outside the clip goes",
       [](TPage& p) { p.Raw(1, u"abc").ClipRect = TRect{0, 0, 500, 205}; }, "", "", ""},
      {"a text without edges outside a clip goes whole",
       [](TPage& p) {
         p.measurer.FailingFaces = {u"B"};
         TText& t = p.Raw(1, u"abc");
         t.Font.lfFaceName[0] = u'B';
         t.ClipRect = TRect{0, 190, 50, 230};
       },
       "", "", ""},
      {"a text without edges inside a clip stays whole",
       [](TPage& p) {
         p.measurer.FailingFaces = {u"B"};
         TText& t = p.Raw(1, u"abc");
         t.Font.lfFaceName[0] = u'B';
         t.ClipRect = TRect{0, 190, 150, 230};
       },
       "abc#1[100,100]", "", ""},
      {"a transparent text is trimmed and split at two spaces",
       [](TPage& p) { p.Raw(1, u"  ab  cd ").Transparent = 1; }, "ab#1[110,130] | cd#1[140,160]", "", ""},
      {"a transparent blank text goes", [](TPage& p) { p.Raw(1, u" \u00A0 ").Transparent = 1; }, "", "", ""},
  };
  RunCases(cases, [](TPage& p) { p.Build(); });
}

TEST(JoinTexts, TheGapDecidesHowTwoRunsJoin) {
  // "ab" spans 100 to 120 in characters 10 wide; "cd" starts at x.
  struct Case {
    int32_t x;
    std::string texts;
    const char* why;
  } cases[] = {
      {121, "abcd#1[100,141]", "a gap of 10 % joins without a space"},
      {123, "abcd#1[100,143]", "a gap of 25 % (rounded as MulDiv) still joins without a space"},
      {124, "ab cd#1[100,144]", "a gap of 40 % joins with a space"},
      {130, "ab cd#1[100,150]", "a gap of 100 % joins with one space"},
      {140, "ab cd#1[100,160]", "a gap of exactly SplitG joins"},
      {141, "ab#1[100,120] | cd#2[141,161]", "a gap just over SplitG does not"},
      {145, "ab#1[100,120] | cd#2[145,165]", "a gap of 250 % keeps them apart"},
  };
  for (const Case& c : cases) {
    TPage page;
    page.Measured(1, u"ab", 100);
    page.Measured(2, u"cd", c.x);
    page.coder->JoinTexts();
    EXPECT_EQ(page.Texts(), c.texts) << c.why;
  }
}

TEST(JoinTexts, RunsJoinIntoWordsAndPhrases) {
  const std::vector<TPageCase> cases = {
      {"a vertical border between them keeps them apart",
       [](TPage& p) {
         p.Measured(1, u"ab", 100);
         p.Measured(2, u"cd", 125);
         p.VLine(122, 190, 230);
       },
       "ab#1[100,120] | cd#2[125,145]", "", "122:190-230"},
      {"a line that does not reach the first text's middle does not part them",
       [](TPage& p) {
         p.Measured(1, u"ab", 100);
         p.Measured(2, u"cd", 125);
         p.VLine(122, 100, 180);
       },
       "ab cd#1[100,145]", "", "122:100-180"},
      {"another character height keeps them apart",
       [](TPage& p) {
         p.Measured(1, u"ab", 100);
         p.Measured(2, u"cd", 125).CharHeight = 30;
       },
       "ab#1[100,120] | cd#2[125,145]", "", ""},
      {"italic against upright keeps them apart",
       [](TPage& p) {
         p.Measured(1, u"ab", 100);
         p.Measured(2, u"cd", 125).Font.lfItalic = 1;
       },
       "ab#1[100,120] | cd#2[125,145]", "", ""},
      {"runs of other rows do not join", [](TPage& p) {
         p.Measured(1, u"ab", 100, 200);
         p.Measured(2, u"cd", 125, 300);
       },
       "ab#1[100,120] | cd#2[125,145]", "", ""},
      {"three runs in a row become one phrase; a text of another row between them is passed over",
       [](TPage& p) {
         p.Measured(3, u"ef", 150);
         p.Measured(1, u"ab", 100);
         p.Measured(4, u"zz", 110, 400);
         p.Measured(2, u"cd", 125);
       },
       "ab cd ef#1[100,170] | zz#4[110,130]", "", ""},
      {"four spaces split a run into two words (SplitBL 3)", [](TPage& p) { p.Measured(1, u"ab    cd", 100); },
       "ab#1[100,120] | cd#1[160,180]", "", ""},
      {"a SplitBL beyond any text's length splits nothing",
       [](TPage& p) {
         p.coder->Settings.SplitBL = INT32_MAX;
         p.Measured(1, u"ab    cd", 100);
       },
       "ab    cd#1[100,180]", "", ""},
      {"two spaces do not", [](TPage& p) { p.Measured(1, u"ab  cd", 100); }, "ab  cd#1[100,160]", "", ""},
      {"three words apart by wide gaps", [](TPage& p) { p.Measured(1, u"ab   cd   ef", 100); },
       "ab#1[100,120] | cd#1[150,170] | ef#1[200,220]", "", ""},
      {"a bar standing on a vertical line is dropped and parts the run",
       [](TPage& p) {
         p.Measured(1, u"a|b", 100);
         p.VLine(115, 190, 230);
       },
       "a#1[100,110] | b#1[120,130]", "", "115:190-230"},
      {"a bar away from any line stays",
       [](TPage& p) {
         p.Measured(1, u"a|b", 100);
         p.VLine(300, 190, 230);
       },
       "a|b#1[100,130]", "", "300:190-230"},
      {"blank texts go", [](TPage& p) { p.Measured(1, u"   ", 100); }, "", "", ""},
  };
  RunCases(cases, [](TPage& p) { p.coder->JoinTexts(); });
}

TEST(JoinTexts, EdgesFollowTheJoin) {
  TPage page;
  page.Measured(1, u"ab", 100);
  page.Measured(2, u"cd", 121);
  page.Measured(3, u"ef", 151);
  page.coder->JoinTexts();
  ASSERT_EQ(page.coder->Texts->size(), 1u);
  const auto& t = static_cast<const TText&>(*page.coder->Texts->front());
  EXPECT_EQ(t.Text, u"abcd ef");
  EXPECT_EQ(Edges(t), "100,110,121,131,141,151,161,171") << "no edge for the gap joined directly; the space spans the gap";
}

TEST(JoinTexts, TextsWithoutEdgesSplitWithoutEdges) {
  TPage page;
  TText& t = page.Raw(1, u"ab    cd");
  t.Rect = TRect{100, 200, 180, 220};
  page.coder->JoinTexts();
  ASSERT_EQ(page.coder->Texts->size(), 2u);
  for (const auto& object : *page.coder->Texts) {
    const auto& piece = static_cast<const TText&>(*object);
    EXPECT_TRUE(piece.Positions.empty());
    EXPECT_EQ(piece.Rect, (TRect{100, 200, 180, 220}));
  }
}

TEST(EraseLinesUnderWhiteRects, LinesDrawnBeforeAnAreaLoseTheirPartUnderIt) {
  // The white area 40..60 both ways, drawn as record 2, shrunk by the margin 2 to 42..58.
  struct Case {
    TPoint a, b;
    int32_t number;
    std::string hlines, vlines;
    const char* why;
  } cases[] = {
      {{0, 50}, {100, 50}, 1, "0-41@50 | 59-100@50", "", "a horizontal line across the area keeps both ends"},
      {{50, 0}, {50, 50}, 1, "", "50:0-41", "a vertical line ending inside the area keeps its top"},
      {{0, 50}, {100, 50}, 3, "0-100@50", "", "a line drawn after the area stays"},
      {{0, 41}, {100, 41}, 1, "0-100@41", "", "a line along the area's border, within the margin, stays"},
      {{45, 50}, {55, 50}, 1, "", "", "a line wholly under the area goes"},
  };
  for (const Case& c : cases) {
    TPage page;
    TObjectList& lines = TLine::IsVertical(c.a, c.b) ? *page.coder->VLines : *page.coder->HLines;
    lines.push_back(std::make_unique<TLine>(54, c.a, c.b, c.number));
    page.White(2, TRect{40, 40, 60, 60});
    page.coder->EraseLinesUnderWhiteRects(TPoint{2, 2});
    EXPECT_EQ(page.HLines(), c.hlines) << c.why;
    EXPECT_EQ(page.VLines(), c.vlines) << c.why;
  }

  TPage page;
  page.coder->HLines->push_back(std::make_unique<TLine>(54, TPoint{0, 50}, TPoint{100, 50}, 7));
  page.White(9, TRect{40, 40, 60, 60});
  page.coder->EraseLinesUnderWhiteRects(TPoint{2, 2});
  for (const auto& object : *page.coder->HLines) {
    EXPECT_EQ(static_cast<const TLine&>(*object).RecordType, 54);
    EXPECT_EQ(object->Ident, 7);
  }
}

// Hostile page models at sizes where a step that tested every pair would be slow: what each step leaves.
TEST(HostilePages, WhiteAreasColumnsAndRuledBars) {
  {
    SCOPED_TRACE("4000 texts and lines, 2000 white areas over every other text");
    TPage page;
    hostile::WhiteAreasOverTexts(*page.coder, 4000);
    page.coder->EraseLinesUnderWhiteRects(TPoint{2, 2});
    page.Build();
    ASSERT_EQ(page.coder->Texts->size(), 2000u);
    for (const auto& t : *page.coder->Texts) EXPECT_EQ(t->Ident % 2, 0) << "text " << t->Ident << " stood under an area";
    // Each area cuts the start of the line under its text and the whole of the bar left of it.
    EXPECT_EQ(page.coder->HLines->size(), 4000u);
    EXPECT_EQ(page.coder->VLines->size(), 4000u);
    size_t cut = 0;
    for (const auto& line : *page.coder->HLines) cut += line->Rect.Right - line->Rect.Left < 105;
    EXPECT_EQ(cut, 2000u);
  }
  {
    SCOPED_TRACE("6000 figures in one column");
    TPage page;
    hostile::TextColumn(*page.coder, 6000);
    page.Build();
    page.coder->JoinTexts();
    ASSERT_EQ(page.coder->Texts->size(), 6000u);
    for (const auto& t : *page.coder->Texts) EXPECT_EQ(t->Rect.Right, 1000);
  }
  {
    SCOPED_TRACE("3000 rows of 12|34 with their bars on ruled pieces");
    TPage page;
    hostile::RuledBars(*page.coder, 3000);
    page.Build();
    page.coder->JoinTexts();
    ASSERT_EQ(page.coder->Texts->size(), 6000u);
    for (size_t i = 0; i < 6000; ++i)
      EXPECT_EQ(static_cast<const TText&>(*page.coder->Texts->at(i)).Text, i < 3000 ? u"12" : u"34");
  }
}

TEST(HostilePages, LinesUnderManyAreasStopAtTheStepBudget) {
  // Every area spans the page and every line lies under each: past the budget the areas left keep the
  // lines whole, and the log says so.
  TPage page;
  const int32_t lines = 200, areas = 2000;
  for (int32_t i = 0; i < lines; ++i)
    page.coder->HLines->push_back(std::make_unique<TLine>(54, TRect{0, 100, 100000, 100}, 1 + i));
  for (int32_t i = 0; i < areas; ++i) page.White(lines + 1 + i, TRect{10 + 30 * i, 0, 30 + 30 * i, 200});
  page.coder->EraseLinesUnderWhiteRects(TPoint{0, 0});
  EXPECT_GT(page.coder->HLines->size(), size_t{lines});
  EXPECT_EQ(std::count_if(page.log.Lines.begin(), page.log.Lines.end(),
                          [](const std::u16string& l) { return l.find(u"White areas: more than") != std::u16string::npos; }),
            1);
}
