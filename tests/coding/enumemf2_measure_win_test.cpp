// Measuring under Wine with GDI and the Liberation fonts: edges, scales, both signs of lfHeight, lfWidth 0,
// the 8-bit and ANSI-font roads by the injected platform, and runs joined into words on real widths.
#include "coding/enumemf2_measure_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "coding/cl_emfcoder.h"
#include "foundation/cl_tools_config.h"
#include "foundation/lib_handle_win.h"
#include "support/coder_fakes.h"

namespace {

std::unique_ptr<TText> Text(std::u16string chars, int32_t x, int32_t y, int32_t height, std::u16string_view face = u"Arial") {
  auto t = std::make_unique<TText>(1, std::move(chars), TPoint{x, y});
  t->Font.lfHeight = height;
  t->Font.lfWeight = FW_NORMAL;
  t->Font.lfCharSet = 204;
  std::copy(face.begin(), face.end(), t->Font.lfFaceName);
  return t;
}

TText& At(TObjectList& texts, size_t i) { return static_cast<TText&>(*texts[i]); }

class MeasureWin : public ::testing::Test {
 protected:
  void Measure(TObjectList& texts, TMeasurePlatform platform = {}) {
    TGdiMeasurer measurer(dc_.Get(), platform);
    TMeasureOptions options;
    options.Log = log;
    MeasureTexts(texts, measurer, options);
  }
  // The text measured alone.
  TText Measured(std::unique_ptr<TText> text, TMeasurePlatform platform = {}) {
    TObjectList texts;
    texts.push_back(std::move(text));
    Measure(texts, platform);
    return At(texts, 0);
  }

  TDeviceContext dc_{CreateCompatibleDC(nullptr)};
  TMemoryLog log;
};

void ExpectRisingEdges(const TText& t, const char* why) {
  ASSERT_EQ(t.Positions.size(), t.Text.size() + 1) << why;
  for (size_t i = 1; i < t.Positions.size(); ++i) EXPECT_LT(t.Positions[i - 1], t.Positions[i]) << why << " at " << i;
  EXPECT_EQ(t.Positions.front(), t.Rect.Left) << why;
  EXPECT_EQ(t.Positions.back(), t.Rect.Right) << why;
}

}  // namespace

TEST_F(MeasureWin, EdgesNumberLengthPlusOneAndRise) {
  ASSERT_TRUE(dc_);
  for (const char16_t* chars : {u"Hello, world", u"Счёт № 17", u"W", u"iiii"}) {
    const TText t = Measured(Text(chars, 100, 200, -20));
    ExpectRisingEdges(t, "wide");
    EXPECT_GT(t.CharHeight, 20) << "a character height of 20 gives a taller cell";
    EXPECT_GT(t.CharWidth, 0) << "lfWidth 0 takes the font's average width";
    EXPECT_EQ(t.Rect.Top, 200);
    EXPECT_EQ(t.Rect.Bottom, 200 + t.CharHeight);
  }
  EXPECT_TRUE(log.Lines.empty());
}

TEST_F(MeasureWin, WidthsDoubleUnderADoubledWorldScale) {
  const TText plain = Measured(Text(u"Document 2024", 0, 0, -20));
  auto doubled = Text(u"Document 2024", 0, 0, -20);
  doubled->Transform = TXForm{2, 0, 0, 2, 0, 0};
  const TText big = Measured(std::move(doubled));
  ExpectRisingEdges(big, "doubled");
  const int32_t w1 = plain.Rect.Right - plain.Rect.Left, w2 = big.Rect.Right - big.Rect.Left;
  EXPECT_NEAR(w2, 2 * w1, 4 + w1 / 50) << w1 << " and " << w2;
  EXPECT_NEAR(big.CharHeight, 2 * plain.CharHeight, 2);

  auto rotated = Text(u"Document 2024", 0, 0, -20);
  rotated->Transform = TXForm{0, 2, -2, 0, 0, 0};
  const TText turned = Measured(std::move(rotated));
  EXPECT_EQ(turned.Positions, big.Positions) << "a rotated text is as long as an upright one of its scale";
}

TEST_F(MeasureWin, HeightOfEitherSignAndAGivenWidth) {
  const TText cell = Measured(Text(u"Height", 0, 0, 30));
  const TText character = Measured(Text(u"Height", 0, 0, -30));
  EXPECT_EQ(cell.CharHeight, 30) << "a positive lfHeight is the cell height itself";
  EXPECT_GT(character.CharHeight, 30) << "a negative one is the character height within a taller cell";
  EXPECT_LT(cell.Rect.Right, character.Rect.Right);

  auto narrow = Text(u"Height", 0, 0, -30);
  narrow->Font.lfWidth = 5;
  const TText n = Measured(std::move(narrow));
  EXPECT_EQ(n.CharWidth, 5);
  EXPECT_LT(n.Rect.Right, character.Rect.Right) << "a narrow font draws narrower";
  ExpectRisingEdges(n, "narrow");
}

TEST_F(MeasureWin, EightBitAndAnsiFontRoadsMeasureAlike) {
  for (const char16_t* chars : {u"Invoice 17", u"Накладная"}) {
    const TText wide = Measured(Text(chars, 0, 0, -24));
    const TText eight = Measured(Text(chars, 0, 0, -24), TMeasurePlatform{true, false});
    const TText ansi = Measured(Text(chars, 0, 0, -24), TMeasurePlatform{false, true});
    ExpectRisingEdges(eight, "8-bit");
    EXPECT_EQ(ansi.Positions, wide.Positions) << "a font made from the LOGFONTA is the same font";
    ASSERT_EQ(eight.Positions.size(), wide.Positions.size());
    for (size_t i = 0; i < wide.Positions.size(); ++i)
      EXPECT_NEAR(eight.Positions[i], wide.Positions[i], 1 + static_cast<int>(i)) << "edge " << i;
  }
  EXPECT_TRUE(log.Lines.empty());
}

TEST_F(MeasureWin, LogFontToAnsiCutsTheFaceName) {
  LOGFONTW w{};
  w.lfHeight = -17;
  w.lfCharSet = 204;
  const std::u16string face = u"Шрифт";
  std::copy(face.begin(), face.end(), w.lfFaceName);
  const LOGFONTA a = LogFontToAnsi(w);
  EXPECT_EQ(a.lfHeight, -17);
  EXPECT_EQ(a.lfCharSet, 204);
  EXPECT_EQ(std::string(a.lfFaceName), "\xD8\xF0\xE8\xF4\xF2");
  for (wchar_t& c : w.lfFaceName) c = L'x';  // 32 characters and no terminating zero
  const LOGFONTA full = LogFontToAnsi(w);
  EXPECT_EQ(std::string(full.lfFaceName), std::string(31, 'x'));
}

TEST_F(MeasureWin, RunsJoinOnRealWidthsClearOfTheLimits) {
  // The first run measured alone tells where it ends and how wide its characters are.
  const TText first = Measured(Text(u"Договор", 300, 500, -25));
  struct Case {
    double gapInCharWidths;
    std::u16string expected;
  } cases[] = {{0.0, u"Договорномер"}, {1.0, u"Договор номер"}, {4.0, u"Договор"}};
  for (const Case& c : cases) {
    TMemoryStore store;
    store.AddKey(std::u16string(kConfigKey));
    auto coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, nullptr, TDocIdClass::CreateFromText("AB"));
    coder->SortTolerance = TSmallPoint{5, 5};
    coder->Texts->push_back(Text(u"Договор", 300, 500, -25));
    coder->Texts->push_back(Text(u"номер", first.Rect.Right + static_cast<int32_t>(c.gapInCharWidths * first.CharWidth), 500, -25));
    At(*coder->Texts, 1).Ident = 2;
    BuildPageTextsOnDevice(*coder, dc_.Get());
    coder->JoinTexts();
    ASSERT_FALSE(coder->Texts->empty());
    const TText& t = At(*coder->Texts, 0);
    EXPECT_EQ(t.Text, c.expected) << c.gapInCharWidths;
    ExpectRisingEdges(t, "joined");
  }
}

TEST_F(MeasureWin, DesktopDeviceWhenNoneIsGiven) {
  TMemoryStore store;
  store.AddKey(std::u16string(kConfigKey));
  auto coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, log, TDocIdClass::CreateFromText("AB"));
  coder->Texts->push_back(Text(u"Итого: 100", 50, 60, -18));
  log.Lines.clear();  // the coder's own opening line
  BuildPageTextsOnDevice(*coder, nullptr);
  ASSERT_EQ(coder->Texts->size(), 1u);
  ExpectRisingEdges(At(*coder->Texts, 0), "desktop");
  EXPECT_TRUE(log.Lines.empty()) << "no call failed";

  // The device context keeps its own font.
  const HGDIOBJ before = GetCurrentObject(dc_.Get(), OBJ_FONT);
  TObjectList texts;
  texts.push_back(Text(u"abc", 0, 0, -20));
  Measure(texts);
  EXPECT_EQ(GetCurrentObject(dc_.Get(), OBJ_FONT), before);
}
