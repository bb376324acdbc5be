// The redraw's geometry: the pen width from the redraw width, the zig-zag over a line's rows or columns,
// the frame in device pixels, and the plan of lines and texts with its colours and software scale.
#include "coding/cl_emfcoder_draw.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/emf_header.h"

namespace {
std::unique_ptr<TText> MakeText(std::u16string text, TRect rect, uint32_t color, std::vector<int32_t> positions = {}) {
  auto t = std::make_unique<TText>(1, std::move(text), TPoint{rect.Left, rect.Top});
  t->Rect = rect;
  t->TextColor = color;
  t->Positions = std::move(positions);
  t->Font.lfHeight = -40;
  t->Font.lfWidth = 10;
  return t;
}
}  // namespace

TEST(Redraw, PenWidth) {
  const TEnhMetaHeader a4 = A4At600Dpi();
  EXPECT_EQ(RedrawPenWidth(9, a4, 1.0), 2) << "0.09 mm at 600 dpi";
  EXPECT_EQ(RedrawPenWidth(9, a4, 0.5), 1);
  EXPECT_EQ(RedrawPenWidth(100, MakePageHeader({2480, 3508}, {210, 297}), 1.0), 12) << "1 mm at 300 dpi";
  EXPECT_EQ(RedrawPenWidth(9, MakePageHeader({2480, 3508}, {210, 0}), 1.0), 0) << "no millimetres, no width";
  EXPECT_EQ(RedrawPenWidth(-9, a4, 1.0), 0);
  EXPECT_EQ(RedrawPenWidth(0x7FFFFFFF, MakePageHeader({1, 0x7FFFFFFF}, {1, 1}), 1.0), kMaxRedrawPen)
      << "a hostile width and header";
}

TEST(Redraw, ZigZagCoversTwoHalvesAndTheMiddle) {
  using P = std::vector<TPoint>;
  EXPECT_EQ(ZigZagLine({10, 5, 20, 5}, false, 0), (P{{10, 5}, {20, 5}}));
  EXPECT_EQ(ZigZagLine({10, 5, 20, 5}, false, 1), (P{{10, 4}, {20, 4}, {20, 5}, {10, 5}, {10, 6}, {20, 6}}));
  EXPECT_EQ(ZigZagLine({7, 30, 7, 90}, true, 1), (P{{6, 30}, {6, 90}, {7, 90}, {7, 30}, {8, 30}, {8, 90}}));
  const P two = ZigZagLine({0, 50, 100, 50}, false, 2);
  ASSERT_EQ(two.size(), 10u);
  EXPECT_EQ(two.front().Y, 48);
  EXPECT_EQ(two.back().Y, 52);
  EXPECT_EQ(ZigZagLine({10, 5, 20, 5}, false, -3).size(), 2u) << "a negative half is no half";
  EXPECT_EQ(ZigZagLine({10, 5, 20, 5}, false, 0x7FFFFFFF).size(), 2u + 4u * (kMaxRedrawPen / 2));
  EXPECT_EQ(ZigZagLine({0, INT32_MAX, 10, INT32_MAX}, false, 2).back(), (TPoint{10, INT32_MAX}))
      << "rows beyond the 32-bit range stay at its edge";
}

TEST(Redraw, FrameInDevicePixels) {
  EXPECT_EQ(FrameToDevice({0, 0, 20999, 29699}, 300 / 25.4, 300 / 25.4), (TRect{0, 0, 2480, 3508}));
  EXPECT_EQ(FrameToDevice({-100, 50, 100, 150}, 10, 20), (TRect{-10, 10, 10, 30}));
}

TEST(Redraw, PlanByModeWithColoursAndSoftwareScale) {
  TObjectList h, v, texts;
  h.push_back(std::make_unique<TLine>(0, TRect{100, 500, 1100, 500}, 1));
  h.push_back(nullptr);
  v.push_back(std::make_unique<TLine>(0, TRect{900, 600, 900, 1500}, 2));
  texts.push_back(MakeText(u"Итого", {100, 700, 300, 740}, 0x0000FF));
  texts.push_back(MakeText(u"II", {100, 800, 400, 840}, 0x00FF00, {100, 300, 400}));

  struct Case {
    uint8_t mode;
    size_t lines;
    size_t texts;
    uint32_t color;
  };
  for (const Case& c : {Case{6, 2, 2, 0x0000FF}, Case{7, 2, 2, kRedrawBlue}, Case{2, 2, 0, 0}, Case{4, 0, 2, 0x0000FF},
                        Case{5, 0, 2, kRedrawBlue}, Case{1, 0, 0, 0}}) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    const TRedrawPlan plan = PlanRedraw(c.mode, h, v, texts, 2, {});
    EXPECT_EQ(plan.Lines.size(), c.lines);
    ASSERT_EQ(plan.Texts.size(), c.texts);
    if (c.texts) {
      EXPECT_EQ(plan.Texts[0].Color, c.color);
      EXPECT_EQ(plan.Texts[0].At, (TPoint{100, 700}));
      EXPECT_TRUE(plan.Texts[0].Edges.empty()) << "no edges: the whole text";
      EXPECT_EQ(plan.Texts[1].Edges, (std::vector<int32_t>{100, 300}));
    }
  }

  const TRedrawPlan half = PlanRedraw(6, h, v, texts, 1, {0.5, 0.25});
  EXPECT_EQ(half.Lines[0], (std::vector<TPoint>{{50, 125}, {550, 125}}));
  EXPECT_EQ(half.Lines[1], (std::vector<TPoint>{{450, 150}, {450, 375}}));
  EXPECT_EQ(half.Texts[0].At, (TPoint{50, 175}));
  EXPECT_EQ(half.Texts[0].Font.lfHeight, -10);
  EXPECT_EQ(half.Texts[0].Font.lfWidth, 5);
  EXPECT_EQ(half.Texts[1].Edges, (std::vector<int32_t>{50, 150}));
  EXPECT_EQ(h[0]->Rect, (TRect{100, 500, 1100, 500})) << "the page objects keep their own pixels";
  EXPECT_EQ(dynamic_cast<TText&>(*texts[0]).Font.lfHeight, -40);
}
