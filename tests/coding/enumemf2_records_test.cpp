// The record walk on metafiles from the builder: mappings and world transforms composed as GDI composes
// them, saved states, objects, lines, rectangles, polygons and white areas, blits, clips, comments, the
// text records with each ETO flag, the current-position chain, and malformed records that stop the walk.
#include "coding/enumemf2_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/coder_fakes.h"
#include "support/emf_builder.h"
#include "support/hostile_pages.h"

namespace {

struct TPage {
  explicit TPage(bool linesFound = false, TSmallPoint polygones = {2, 300}) {
    seeker.Found = linesFound;
    coder = TCoder::Create<TEMFCoder>(store, &seeker, nullptr, 0, nullptr, TDocIdClass::CreateFromText("AB"));
    coder->Settings.Polygones = polygones;
  }
  TEmfWalkResult Walk(const TEmfBuilder& emf) { return WalkEmfRecords(emf.Bytes(), *coder); }
  TEmfWalkResult Walk(const std::vector<uint8_t>& bytes) { return WalkEmfRecords(bytes, *coder); }

  const TText& Text(size_t i) const { return dynamic_cast<const TText&>(*coder->Texts->at(i)); }
  std::vector<TRect> Lines(bool vertical) const {
    std::vector<TRect> out;
    for (const auto& l : *(vertical ? coder->VLines : coder->HLines)) out.push_back(l->Rect);
    return out;
  }

  TMemoryStore store;
  TLineSearchResult seeker;
  std::unique_ptr<TEMFCoder> coder;
};

TXForm Scale(float sx, float sy, float dx = 0, float dy = 0) { return TXForm{sx, 0, 0, sy, dx, dy}; }

std::string Show(TPoint p) { return std::to_string(p.X) + "," + std::to_string(p.Y); }
std::string Show(const TRect& r) {
  return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," + std::to_string(r.Bottom);
}
std::string Show(const std::vector<TRect>& rects) {
  std::string out;
  for (const TRect& r : rects) out += (out.empty() ? "" : " ") + Show(r);
  return out;
}
std::string Show(const TObjectList& objects) {
  std::string out;
  for (const auto& o : objects) out += (out.empty() ? "" : " ") + Show(o->Rect);
  return out;
}

// The device point of the logical point p after the setup's records: the place of a text drawn there.
TPoint DevicePoint(const std::function<void(TEmfBuilder&)>& setup, TPoint p) {
  TEmfBuilder emf;
  setup(emf);
  emf.TextOutW({.Reference = p, .Text = u"x"});
  TPage page;
  const TEmfWalkResult walked = page.Walk(emf);
  EXPECT_TRUE(walked.Ok) << walked.Error;
  if (page.coder->Texts->size() != 1) return TPoint{INT32_MIN, INT32_MIN};
  return TPoint{page.Text(0).Rect.Left, page.Text(0).Rect.Top};
}

}  // namespace

TEST(EmfRecords, TransformsComposeAsInGdi) {
  struct Case {
    const char* why;
    std::function<void(TEmfBuilder&)> setup;
    TPoint logical, expected;
  };
  auto anisotropic = [](TEmfBuilder& e) {
    e.Record(emr::SetMapMode, {8}).Record(emr::SetWindowExtEx, {100, 100}).Record(emr::SetViewportExtEx, {200, 200});
  };
  const std::vector<Case> cases = {
      {"MM_TEXT is the identity", [](TEmfBuilder&) {}, {123, -45}, {123, -45}},
      {"MM_LOMETRIC on 4961 x 7016 px, 210 x 297 mm", [](TEmfBuilder& e) { e.Record(emr::SetMapMode, {2}); },
       {1000, -1000}, {2362, 2362}},
      {"MM_LOENGLISH: an inch is 600 pixels here", [](TEmfBuilder& e) { e.Record(emr::SetMapMode, {4}); }, {100, -100},
       {600, 600}},
      {"MM_HIENGLISH", [](TEmfBuilder& e) { e.Record(emr::SetMapMode, {5}); }, {1000, -1000}, {600, 600}},
      {"MM_TWIPS", [](TEmfBuilder& e) { e.Record(emr::SetMapMode, {6}); }, {1440, -1440}, {600, 600}},
      {"an unknown map mode changes nothing", [](TEmfBuilder& e) { e.Record(emr::SetMapMode, {9}); }, {7, 8}, {7, 8}},
      {"MM_HIMETRIC with a viewport origin",
       [](TEmfBuilder& e) { e.Record(emr::SetMapMode, {3}).Record(emr::SetViewportOrgEx, {100, 200}); },
       {10000, -10000}, {100 + 2362, 200 + 2362}},
      {"anisotropic window and viewport with origins",
       [](TEmfBuilder& e) {
         e.Record(emr::SetMapMode, {8}).Record(emr::SetWindowExtEx, {1000, 1000}).Record(emr::SetViewportExtEx, {500, 250})
             .Record(emr::SetWindowOrgEx, {100, 200}).Record(emr::SetViewportOrgEx, {50, 60});
       },
       {300, 600}, {150, 160}},
      {"isotropic takes the smaller scale, each axis its direction",
       [](TEmfBuilder& e) {
         e.Record(emr::SetMapMode, {7}).Record(emr::SetWindowExtEx, {1000, 1000}).Record(emr::SetViewportExtEx, {500, -250});
       },
       {400, 400}, {100, -100}},
      {"isotropic starts from the MM_LOMETRIC extents", [](TEmfBuilder& e) { e.Record(emr::SetMapMode, {7}); },
       {1000, -1000}, {2362, 2362}},
      {"extents are ignored outside the scalable modes",
       [](TEmfBuilder& e) { e.Record(emr::SetWindowExtEx, {10, 10}).Record(emr::SetViewportExtEx, {20, 20}); }, {5, 5},
       {5, 5}},
      {"SCALEVIEWPORTEXTEX", [&](TEmfBuilder& e) { anisotropic(e); e.Record(emr::ScaleViewportExtEx, {3, 2, 1, 4}); },
       {10, 10}, {30, 5}},
      {"SCALEWINDOWEXTEX", [&](TEmfBuilder& e) { anisotropic(e); e.Record(emr::ScaleWindowExtEx, {2, 1, 4, 1}); },
       {10, 40}, {10, 20}},
      {"a zero factor changes nothing", [&](TEmfBuilder& e) { anisotropic(e); e.Record(emr::ScaleViewportExtEx, {3, 0, 1, 4}); },
       {10, 10}, {20, 20}},
      {"a world transform over an anisotropic mapping: world first",
       [&](TEmfBuilder& e) { anisotropic(e); e.Transform(Scale(1, 1, 10, 20)); }, {5, 5}, {30, 50}},
      {"the mapping set after the world transform composes the same way",
       [&](TEmfBuilder& e) { e.Transform(Scale(1, 1, 10, 20)); anisotropic(e); }, {5, 5}, {30, 50}},
      {"SETWORLDTRANSFORM after SETMAPMODE keeps the map mode's scaling",
       [](TEmfBuilder& e) { e.Record(emr::SetMapMode, {2}).Transform(Scale(1, 1)); }, {1000, -1000}, {2362, 2362}},
      {"MODIFYWORLDTRANSFORM 1: identity", [](TEmfBuilder& e) { e.Transform(Scale(2, 2, 7, 7)).Transform(Scale(5, 5), 1); },
       {10, 10}, {10, 10}},
      {"MODIFYWORLDTRANSFORM 2: the new one applies first",
       [](TEmfBuilder& e) { e.Transform(Scale(2, 2)).Transform(Scale(1, 1, 5, 0), 2); }, {10, 10}, {30, 20}},
      {"MODIFYWORLDTRANSFORM 3: the new one applies last",
       [](TEmfBuilder& e) { e.Transform(Scale(2, 2)).Transform(Scale(1, 1, 5, 0), 3); }, {10, 10}, {25, 20}},
      {"MODIFYWORLDTRANSFORM 2 keeps the map mode",
       [](TEmfBuilder& e) { e.Record(emr::SetMapMode, {2}).Transform(Scale(2, 2), 2); }, {500, -500}, {2362, 2362}},
      {"an unknown MODIFYWORLDTRANSFORM mode changes nothing",
       [](TEmfBuilder& e) { e.Transform(Scale(2, 2)).Transform(Scale(9, 9), 7); }, {10, 10}, {20, 20}},
      {"a rotation of 90 degrees", [](TEmfBuilder& e) { e.Transform(TXForm{0, 1, -1, 0, 0, 0}); }, {10, 20}, {-20, 10}},
      {"RESTOREDC -2 after nested saves",
       [](TEmfBuilder& e) {
         e.Record(emr::SaveDC, {}).Record(emr::SetViewportOrgEx, {100, 0}).Record(emr::SaveDC, {})
             .Record(emr::SetViewportOrgEx, {200, 0}).Record(emr::RestoreDC, {-2});
       },
       {10, 10}, {10, 10}},
      {"RESTOREDC -1 pops one level",
       [](TEmfBuilder& e) {
         e.Record(emr::SaveDC, {}).Record(emr::SetViewportOrgEx, {100, 0}).Record(emr::SaveDC, {})
             .Record(emr::SetViewportOrgEx, {200, 0}).Record(emr::RestoreDC, {-1});
       },
       {10, 10}, {110, 10}},
      {"RESTOREDC 2 brings back the state saved second",
       [](TEmfBuilder& e) {
         e.Record(emr::SaveDC, {}).Record(emr::SetViewportOrgEx, {100, 0}).Record(emr::SaveDC, {})
             .Record(emr::SetViewportOrgEx, {200, 0}).Record(emr::SaveDC, {}).Record(emr::RestoreDC, {2});
       },
       {10, 10}, {110, 10}},
      {"RESTOREDC deeper than the stack changes nothing",
       [](TEmfBuilder& e) { e.Record(emr::SaveDC, {}).Record(emr::SetViewportOrgEx, {100, 0}).Record(emr::RestoreDC, {-2}); },
       {10, 10}, {110, 10}},
      {"RESTOREDC on an empty stack changes nothing",
       [](TEmfBuilder& e) { e.Record(emr::SetViewportOrgEx, {100, 0}).Record(emr::RestoreDC, {-1}); }, {10, 10}, {110, 10}},
      {"coordinates saturate at 32 bits", [](TEmfBuilder& e) { e.Transform(Scale(1e6f, -1e6f)); }, {1 << 20, 1 << 20},
       {INT32_MAX, INT32_MIN}},
  };
  for (const Case& c : cases) EXPECT_EQ(Show(DevicePoint(c.setup, c.logical)), Show(c.expected)) << c.why;
}

TEST(EmfRecords, TextTakesTheComposedTransformAndState) {
  TEmfBuilder emf;
  emf.Record(emr::SetMapMode, {8}).Record(emr::SetWindowExtEx, {100, 100}).Record(emr::SetViewportExtEx, {200, 300});
  emf.Transform(Scale(1, 1, 10, 0));
  emf.Font(3, LogFont(u"Arial", -40)).Select(3).Record(emr::SetTextColor, {0x0000FF}).Record(emr::SetBkMode, {1});
  emf.Record(emr::SetTextAlign, {24});
  emf.TextOutW({.Reference = {0, 0}, .Text = u"Итого", .Dx = {10, 11, 12, 13, 14}}, {1, 2, 3, 4}, 2.5f, 3.5f);
  TPage page;
  ASSERT_TRUE(page.Walk(emf).Ok);
  const TText& t = page.Text(0);
  EXPECT_EQ(t.Text, u"Итого");
  EXPECT_EQ(t.Transform, (TXForm{2, 0, 0, 3, 20, 0}));
  EXPECT_EQ(Show(t.Rect), "20,0,20,0");
  EXPECT_EQ(t.Font.FaceName(), u"Arial");
  EXPECT_NE(t.FontHash, 0u);
  EXPECT_EQ(t.TextAlign, 24u);
  EXPECT_EQ(t.TextColor, 0x0000FFu);
  EXPECT_EQ(t.Transparent, 1);
  EXPECT_EQ(t.XScale, 2.5);
  EXPECT_EQ(t.YScale, 3.5);
  EXPECT_EQ(t.Positions, (std::vector<int32_t>{10, 11, 12, 13}));
  EXPECT_EQ(t.OwnPosition, 1);
  EXPECT_EQ(t.RecordType, emr::ExtTextOutW);
  EXPECT_EQ(t.Ident, emf.Records() - 1);
  EXPECT_EQ(Show(t.BoundsClip), "1,2,3,4");
  EXPECT_EQ(Show(t.ClipRect), "0,0,0,0");
}

TEST(EmfRecords, RectanglesBarsAndInk) {
  // 2 mm x 50 mm on 4961 px / 210 mm: about 47 x 1181 pixels.
  auto run = [](const std::function<void(TEmfBuilder&)>& ink, bool linesFound = false) {
    TEmfBuilder emf;
    ink(emf);
    emf.Rectangle(100, 100, 1281, 147);
    TPage page(linesFound);
    EXPECT_TRUE(page.Walk(emf).Ok);
    return Show(page.Lines(false)) + " | " + Show(page.Lines(true));
  };
  auto blackBrush = [](TEmfBuilder& e) { e.Brush(1, 0, 0).Select(1); };
  auto nullBrush = [](TEmfBuilder& e) { e.Select(emr::StockObject(5)); };
  EXPECT_EQ(run(blackBrush), "100,123,1281,123 | ") << "a filled bar is one line along its middle";
  EXPECT_EQ(run(nullBrush), "100,100,1281,100 100,147,1281,147 | 1281,100,1281,147 100,100,100,147")
      << "an outline is four lines";
  EXPECT_EQ(run([](TEmfBuilder& e) { e.Select(emr::StockObject(5)).Select(emr::StockObject(8)); }), " | ")
      << "null pen and null brush: no ink";
  EXPECT_EQ(run([](TEmfBuilder& e) { e.Select(emr::StockObject(8)); }), " | ") << "the default white brush is no ink";
  EXPECT_EQ(run([](TEmfBuilder& e) { e.Select(emr::StockObject(8)).Select(emr::StockObject(4)); }), "100,123,1281,123 | ")
      << "a stock black brush fills";
  EXPECT_EQ(run([](TEmfBuilder& e) { e.Record(emr::ExtCreatePen, {7, 0, 0, 0, 0, 0x10005, 3, 0, 0, 0, 0}).Select(7).Select(emr::StockObject(5)); }),
            " | ")
      << "a geometric null pen draws nothing";
  EXPECT_EQ(run(blackBrush, true), " | ") << "the line finder's lines replace the records'";
  EXPECT_EQ(run([](TEmfBuilder& e) { e.Record(emr::CreateMonoBrush, {9, 0, 0, 0, 0, 0}).Select(9); }),
            "100,123,1281,123 | ")
      << "a pattern brush counts as black";
}

TEST(EmfRecords, LinesAndCurrentPosition) {
  TEmfBuilder emf;
  emf.MoveTo(10, 10).LineTo(500, 12).LineTo(502, 900);
  emf.Poly(emr::Polyline16, {{0, 1000}, {400, 1000}, {400, -5}});
  emf.Poly(emr::PolylineTo, {{800, 900}, {800, 100}});
  emf.PolyPoly(emr::PolyPolyline, {{{0, 2000}, {100, 2000}}, {{0, 3000}, {0, 3300}}});
  emf.Select(emr::StockObject(8)).LineTo(0, 0);     // a null pen draws nothing
  emf.Select(emr::StockObject(6)).LineTo(900, 0);   // nor does a white one
  emf.Select(emr::StockObject(7)).LineTo(900, 40);
  TPage page;
  ASSERT_TRUE(page.Walk(emf).Ok);
  EXPECT_EQ(Show(page.Lines(false)), "10,11,500,11 0,1000,400,1000 502,900,800,900 0,2000,100,2000");
  EXPECT_EQ(Show(page.Lines(true)), "501,12,501,900 400,-5,400,1000 800,100,800,900 0,3000,0,3300 900,0,900,40");
}

TEST(EmfRecords, PolygonsEdgesAndWhiteAreas) {
  // 3 mm is 71 x 71 pixels on the default page.
  auto run = [](int16_t mode, const std::function<void(TEmfBuilder&)>& draw, bool linesFound = false) {
    TEmfBuilder emf;
    emf.Brush(1, 0, 0xFFFFFF).Select(1);
    draw(emf);
    TPage page(linesFound, TSmallPoint{mode, 300});
    EXPECT_TRUE(page.Walk(emf).Ok);
    return Show(page.Lines(false)) + " | " + Show(page.Lines(true)) + " | " + Show(page.coder->WhiteRects);
  };
  auto tick = [](TEmfBuilder& e) { e.Poly(emr::Polygon, {{0, 0}, {50, 0}, {50, 60}}); };
  EXPECT_EQ(run(2, tick), " |  | 25,0,50,60") << "mode 2 drops edges shorter than 3 mm both ways";
  EXPECT_EQ(run(1, tick), "0,0,50,0 | 50,0,50,60 25,0,25,60 | 25,0,50,60") << "mode 1 keeps them";
  EXPECT_EQ(run(0, tick), " |  | ") << "mode 0 ignores polygons";
  auto box = [](TEmfBuilder& e) { e.Poly(emr::Polygon16, {{100, 100}, {900, 100}, {900, 400}, {100, 400}}); };
  EXPECT_EQ(run(2, box), "100,100,900,100 100,400,900,400 | 900,100,900,400 100,100,100,400 | 100,100,900,400")
      << "a white-filled box: its edges and one white area between its vertical sides";
  EXPECT_EQ(run(2, box, true), " |  | 100,100,900,400") << "white areas come also when the finder found lines";
  EXPECT_EQ(run(2, [&](TEmfBuilder& e) { e.Select(emr::StockObject(8)); box(e); }), " |  | 100,100,900,400")
      << "white on white: only the area";
  auto two = [](TEmfBuilder& e) {
    e.Select(emr::StockObject(8)).PolyPoly(emr::PolyPolygon, {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {{20, 20}, {40, 20}, {40, 30}, {20, 30}}});
  };
  EXPECT_EQ(run(2, two), " |  | 0,0,10,10 20,20,40,30");
  EXPECT_EQ(run(3, two), " |  | ") << "polypolygons only in modes 1 and 2";
  // An L shape: the sweep pairs the spans piece by piece.
  auto ell = [](TEmfBuilder& e) {
    e.Select(emr::StockObject(8)).Poly(emr::Polygon, {{0, 0}, {10, 0}, {10, 20}, {30, 20}, {30, 30}, {0, 30}});
  };
  EXPECT_EQ(run(2, ell), " |  | 0,0,10,20 0,20,30,30");
}

TEST(EmfRecords, ObjectsAndStockObjects) {
  TEmfBuilder emf;
  emf.Font(5, LogFont(u"Times New Roman", -50)).Select(5);
  emf.Select(emr::StockObject(13));  // a stock font leaves the font alone
  emf.Select(77);                    // an unknown handle too
  emf.TextOutW({.Reference = {1, 1}, .Text = u"a"});
  emf.Record(emr::DeleteObject, {5}).Font(5, LogFont(u"Arial", -50)).Record(emr::DeleteObject, {5}).Select(5);
  emf.Record(emr::DeleteObject, {99});
  emf.TextOutW({.Reference = {1, 1}, .Text = u"b"});
  emf.Font(6, LogFont(u"Arial", -50)).Select(6).TextOutW({.Reference = {1, 1}, .Text = u"c"});
  TPage page;
  ASSERT_TRUE(page.Walk(emf).Ok);
  ASSERT_EQ(page.coder->Texts->size(), 3u);
  EXPECT_EQ(page.Text(0).Font.FaceName(), u"Times New Roman");
  EXPECT_EQ(page.Text(1).Font.FaceName(), u"Times New Roman") << "a deleted handle selects nothing";
  EXPECT_EQ(page.Text(2).Font.FaceName(), u"Arial");
  EXPECT_NE(page.Text(0).FontHash, page.Text(2).FontHash);
}

TEST(EmfRecords, CurrentPositionChain) {
  TEmfBuilder emf;
  emf.Record(emr::SetTextAlign, {1 | 24});
  emf.MoveTo(300, 400);
  emf.TextOutW({.Reference = {0, 0}, .Text = u"Сумма"});
  emf.TextOutW({.Reference = {0, 0}, .Text = u" прописью"});
  emf.Record(emr::SetTextAlign, {0});
  emf.TextOutW({.Reference = {50, 60}, .Text = u"own"});
  TPage page;
  ASSERT_TRUE(page.Walk(emf).Ok);
  ASSERT_EQ(page.coder->Texts->size(), 3u);
  EXPECT_EQ(Show(page.Text(0).Rect), "300,400,300,400");
  EXPECT_EQ(page.Text(0).OwnPosition, 1) << "the first text starts at the current position";
  EXPECT_EQ(page.Text(1).OwnPosition, 0) << "the second follows the first once measured";
  EXPECT_EQ(page.Text(2).OwnPosition, 1);
  EXPECT_EQ(Show(page.Text(2).Rect), "50,60,50,60");
}

TEST(EmfRecords, ClipRectangles) {
  TEmfBuilder emf;
  emf.Record(emr::IntersectClipRect, {100, 100, 500, 300});
  emf.TextOutW({.Reference = {120, 120}, .Text = u"in clip"}, {110, 110, 200, 130});
  emf.TextOutW({.Reference = {120, 120}, .Text = u"eto", .Options = 4, .Rect = {50, 150, 400, 400}});
  emf.Record(emr::OffsetClipRgn, {10, 20});
  emf.TextOutW({.Reference = {1, 1}, .Text = u"moved"});
  emf.Record(emr::ExcludeClipRect, {0, 0, 1, 1});
  emf.TextOutW({.Reference = {1, 1}, .Text = u"free"});
  emf.Record(emr::SetMapMode, {2}).Record(emr::IntersectClipRect, {0, 0, 100, -100});
  emf.TextOutW({.Reference = {1, 1}, .Text = u"flipped"});
  TPage page;
  ASSERT_TRUE(page.Walk(emf).Ok);
  ASSERT_EQ(page.coder->Texts->size(), 5u);
  EXPECT_EQ(Show(page.Text(0).ClipRect), "100,100,500,300");
  EXPECT_EQ(Show(page.Text(0).BoundsClip), "110,110,200,130") << "rclBounds stays a candidate";
  EXPECT_EQ(Show(page.Text(1).ClipRect), "100,150,400,300") << "ETO_CLIPPED intersects the state's clip";
  EXPECT_EQ(Show(page.Text(1).BoundsClip), "0,0,0,0");
  EXPECT_EQ(Show(page.Text(2).ClipRect), "110,120,510,320");
  EXPECT_EQ(Show(page.Text(3).ClipRect), "0,0,0,0");
  EXPECT_EQ(Show(page.Text(4).ClipRect), "0,0,236,236") << "a flipped mapping still gives an upright clip";
}

TEST(EmfRecords, PathBecomesClip) {
  TEmfBuilder emf;
  emf.MoveTo(0, 0).LineTo(1000, 0);
  emf.Record(emr::BeginPath, {}).Select(emr::StockObject(8));
  emf.MoveTo(100, 100).LineTo(600, 100).LineTo(600, 700).LineTo(100, 700).LineTo(100, 100);
  emf.Record(emr::EndPath, {}).Record(emr::SelectClipPath, {5});
  emf.TextOutW({.Reference = {200, 200}, .Text = u"clipped"});
  emf.Record(emr::SelectClipPath, {5});
  emf.TextOutW({.Reference = {200, 200}, .Text = u"open"});
  TPage page;
  ASSERT_TRUE(page.Walk(emf).Ok);
  EXPECT_EQ(Show(page.Lines(false)), "0,0,1000,0") << "the path's outline is no ruling";
  EXPECT_EQ(Show(page.Lines(true)), "");
  EXPECT_EQ(Show(page.Text(0).ClipRect), "100,100,600,700");
  EXPECT_EQ(Show(page.Text(1).ClipRect), "0,0,0,0") << "no path left: the clip is cleared";
}

TEST(EmfRecords, Blits) {
  // BITBLT: bounds, dest, rop, src, xform, bk colour, usage, bitmap info and bits.
  auto blit = [](TEmfBuilder& e, uint32_t rop, std::vector<uint8_t> bmi = {}, uint32_t bits = 0) {
    std::vector<uint8_t> p = TEmfBuilder::Words({10, 20, 810, 24, 10, 20, 801, 5, int32_t(rop), 0, 0, 1, 0, 0, 1, 0, 0, 0, 0});
    const uint32_t offBmi = bmi.empty() ? 0 : 100, offBits = bmi.empty() ? 0 : 100 + static_cast<uint32_t>(bmi.size());
    for (uint32_t v : {offBmi, static_cast<uint32_t>(bmi.size()), offBits, bits}) TEmfBuilder::Append(p, v);
    p.insert(p.end(), bmi.begin(), bmi.end());
    p.resize(p.size() + bits);
    e.Raw(emr::BitBlt, p);
  };
  // A 1-bit DIB header whose first colour is black (or white).
  auto mono = [](uint8_t first) {
    std::vector<uint8_t> bmi = TEmfBuilder::Words({40, 8, 1, 0x00010001, 0, 0, 0, 0, 0, 0});
    for (uint8_t c : {first, first, first, uint8_t{0}, uint8_t{255}, uint8_t{255}, uint8_t{255}, uint8_t{0}}) bmi.push_back(c);
    return bmi;
  };
  struct Case {
    const char* why;
    std::function<void(TEmfBuilder&)> draw;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"BLACKNESS is a line", [&](TEmfBuilder& e) { blit(e, 0x42); }, "10,22,810,22 | "},
      {"WHITENESS is a white area", [&](TEmfBuilder& e) { blit(e, 0xFF0062); }, " | 10,20,810,24"},
      {"SRCCOPY of a dark mono bitmap", [&](TEmfBuilder& e) { blit(e, 0xCC0020, mono(0), 4); }, "10,22,810,22 | "},
      {"SRCCOPY of a white-first mono bitmap", [&](TEmfBuilder& e) { blit(e, 0xCC0020, mono(255), 4); }, " | 10,20,810,24"},
      {"PATCOPY with a dark brush", [&](TEmfBuilder& e) { e.Brush(1, 0, 0x80).Select(1); blit(e, 0xF00021); }, "10,22,810,22 | "},
      {"PATCOPY with the white brush", [&](TEmfBuilder& e) { blit(e, 0xF00021); }, " | 10,20,810,24"},
      {"a brush of the literal style 5 stops blits", [&](TEmfBuilder& e) { e.Brush(1, 5, 0).Select(1); blit(e, 0x42); }, " | "},
  };
  for (const Case& c : cases) {
    TEmfBuilder emf;
    c.draw(emf);
    TPage page;
    const TEmfWalkResult walked = page.Walk(emf);
    EXPECT_TRUE(walked.Ok) << walked.Error;
    EXPECT_EQ(Show(page.Lines(false)) + " | " + Show(page.coder->WhiteRects), c.expected) << c.why;
  }
  TEmfBuilder emf;
  blit(emf, 0x42);
  TPage found(true);
  ASSERT_TRUE(found.Walk(emf).Ok);
  EXPECT_TRUE(found.Lines(false).empty() && found.coder->WhiteRects.empty()) << "no blits when the finder found lines";
}

TEST(EmfRecords, CommentsAndEscapes) {
  auto words = [](std::initializer_list<int32_t> w) { return TEmfBuilder::Words(w); };
  TEmfBuilder emf;
  emf.Comment(words({0x43494447, 2, 0, 0, 300, 300, 0}));  // GDIC: comments at 300 dpi
  // HDIC: x 100, y 200, cx 600, cy 0 as 16-bit values at offset 16.
  emf.Comment(words({0x43494448, 1, 0, 0, 100 | 200 << 16, 600, 0}));
  emf.Comment(words({0x00004358, 15, 10, 20, 10, 900, 0}));  // XC: a vertical line
  emf.Comment(words({0x2B464D45, 1, 0, 0, 0, 0, 0}));       // EMF+: skipped
  emf.Record(emr::ExtEscape, {25, 20, 50, 60, 700, 0, 0});   // DRAWPATTERNRECT
  emf.Record(emr::ExtEscape, {25, 16, 50, 60, 700, 0});      // not 20 data bytes
  TPage page;
  const TEmfWalkResult walked = page.Walk(emf);
  ASSERT_TRUE(walked.Ok) << walked.Error;
  // 100 px at 300 dpi on a 4961-px page scaled by 4961 / 300.
  EXPECT_EQ(Show(page.Lines(false)), "1654,4677,11576,4677 50,60,750,60");
  EXPECT_EQ(Show(page.Lines(true)), "10,20,10,900");
  TPage off;
  off.coder->Settings.HPGdiComment = 0;
  ASSERT_TRUE(off.Walk(emf).Ok);
  EXPECT_TRUE(off.Lines(false).empty() && off.Lines(true).empty()) << "HPGdiComment off";
}

TEST(EmfRecords, EachTextOption) {
  struct Case {
    const char* why;
    std::function<void(TEmfBuilder&)> draw;
    std::u16string text;
    std::string clip, bounds;
    std::vector<int32_t> positions;
  };
  const TRect bounds{5, 6, 7, 8};
  const std::vector<Case> cases = {
      {"no options", [&](TEmfBuilder& e) { e.TextOutW({.Reference = {1, 1}, .Text = u"ab"}, bounds); }, u"ab", "0,0,0,0", "5,6,7,8", {}},
      {"ETO_OPAQUE changes nothing here",
       [&](TEmfBuilder& e) { e.TextOutW({.Reference = {1, 1}, .Text = u"ab", .Options = 2, .Rect = {1, 2, 3, 4}}, bounds); },
       u"ab", "0,0,0,0", "5,6,7,8", {}},
      {"ETO_CLIPPED: the rectangle clips",
       [&](TEmfBuilder& e) { e.TextOutW({.Reference = {1, 1}, .Text = u"ab", .Options = 4, .Rect = {1, 2, 3, 4}}, bounds); },
       u"ab", "1,2,3,4", "0,0,0,0", {}},
      {"ETO_CLIPPED with an empty rectangle: the bounds are the candidate",
       [&](TEmfBuilder& e) { e.TextOutW({.Reference = {1, 1}, .Text = u"ab", .Options = 4}, bounds); }, u"ab", "0,0,0,0",
       "5,6,7,8", {}},
      {"ETO_GLYPH_INDEX", [&](TEmfBuilder& e) { e.TextOutW({.Reference = {1, 1}, .Text = u"\x24\x25", .Options = 0x10}); },
       u"AB", "0,0,0,0", "0,0,-1,-1", {}},
      {"ETO_GLYPH_INDEX in an 8-bit record",
       [&](TEmfBuilder& e) { e.TextOutA({.Reference = {1, 1}, .Text = u"\x24\x25", .Options = 0x10}); }, u"AB", "0,0,0,0",
       "0,0,-1,-1", {}},
      {"advances: one fewer than the characters",
       [&](TEmfBuilder& e) { e.TextOutW({.Reference = {1, 1}, .Text = u"abc", .Dx = {10, 20, 30}}); }, u"abc", "0,0,0,0",
       "0,0,-1,-1", {10, 20}},
      {"ETO_PDY: the dx of (dx, dy) pairs",
       [&](TEmfBuilder& e) { e.TextOutW({.Reference = {1, 1}, .Text = u"abc", .Options = 0x2000, .Dx = {10, 1, 20, 2, 30, 3}}); },
       u"abc", "0,0,0,0", "0,0,-1,-1", {10, 20}},
      {"ETO_RTLREADING and ETO_IGNORELANGUAGE are read past",
       [&](TEmfBuilder& e) { e.TextOutW({.Reference = {1, 1}, .Text = u"ab", .Options = 0x1080}); }, u"ab", "0,0,0,0",
       "0,0,-1,-1", {}},
      {"8-bit EXTTEXTOUTA by the Russian set", [&](TEmfBuilder& e) { e.TextOutA({.Reference = {1, 1}, .Text = u"\xD1\xF7"}); },
       u"Сч", "0,0,0,0", "0,0,-1,-1", {}},
      {"SMALLTEXTOUT with ETO_SMALL_CHARS and ETO_NO_RECT",
       [&](TEmfBuilder& e) { e.SmallText({1, 1}, u"\xD1\xF7", 0x300); }, u"Сч", "0,0,0,0", "0,0,0,0", {}},
      {"SMALLTEXTOUT 16-bit with ETO_CLIPPED", [&](TEmfBuilder& e) { e.SmallText({1, 1}, u"Ё", 4, {1, 2, 3, 4}); }, u"Ё",
       "1,2,3,4", "0,0,0,0", {}},
      {"SMALLTEXTOUT with a rectangle but no ETO_CLIPPED", [&](TEmfBuilder& e) { e.SmallText({1, 1}, u"Ё", 0, {1, 2, 3, 4}); },
       u"Ё", "0,0,0,0", "0,0,0,0", {}},
      {"SMALLTEXTOUT glyphs", [&](TEmfBuilder& e) { e.SmallText({1, 1}, u"\x24", 0x310); }, u"A", "0,0,0,0", "0,0,0,0", {}},
      {"SMALLTEXTOUT makes a text even of nothing", [&](TEmfBuilder& e) { e.SmallText({1, 1}, u"", 0x100); }, u"", "0,0,0,0",
       "0,0,0,0", {}},
  };
  for (const Case& c : cases) {
    TEmfBuilder emf;
    emf.Font(1, LogFont(u"Arial", -40)).Select(1);
    c.draw(emf);
    TPage page;
    const TEmfWalkResult walked = page.Walk(emf);
    EXPECT_TRUE(walked.Ok) << c.why << ": " << walked.Error;
    ASSERT_EQ(page.coder->Texts->size(), 1u) << c.why;
    const TText& t = page.Text(0);
    EXPECT_EQ(t.Text, c.text) << c.why;
    EXPECT_EQ(Show(t.ClipRect), c.clip) << c.why;
    EXPECT_EQ(Show(t.BoundsClip), c.bounds) << c.why;
    EXPECT_EQ(t.Positions, c.positions) << c.why;
    EXPECT_EQ(Show(t.Rect), "1,1,1,1") << c.why;
  }
}

TEST(EmfRecords, PolyTextOutMakesATextPerString) {
  TEmfBuilder emf;
  emf.Font(1, LogFont(u"Arial", -40)).Select(1);
  emf.PolyText(emr::PolyTextOutW, {{.Reference = {10, 10}, .Text = u"один"}, {.Reference = {10, 50}, .Text = u""},
                                   {.Reference = {10, 90}, .Text = u"три", .Dx = {5, 6, 7}}});
  emf.PolyText(emr::PolyTextOutA, {{.Reference = {20, 20}, .Text = u"\xE4\xE2\xE0"}});
  emf.TextOutW({.Reference = {1, 1}, .Text = u""});  // an empty EXTTEXTOUT makes nothing
  TPage page;
  ASSERT_TRUE(page.Walk(emf).Ok);
  ASSERT_EQ(page.coder->Texts->size(), 3u);
  EXPECT_EQ(page.Text(0).Text, u"один");
  EXPECT_EQ(page.Text(1).Text, u"три");
  EXPECT_EQ(page.Text(1).Positions, (std::vector<int32_t>{5, 6}));
  EXPECT_EQ(Show(page.Text(1).Rect), "10,90,10,90");
  EXPECT_EQ(page.Text(2).Text, u"два");
  EXPECT_EQ(page.Text(0).Ident, page.Text(1).Ident);
}

TEST(EmfRecords, RecordNumbersCountEveryRecord) {
  TEmfBuilder emf;
  emf.Record(200, {1, 2}).Record(70 /*empty comment*/, {0}).LineTo(100, 0);
  TPage page;
  const TEmfWalkResult walked = page.Walk(emf);
  ASSERT_TRUE(walked.Ok) << walked.Error;
  EXPECT_EQ(walked.Records, 5);
  ASSERT_EQ(page.coder->HLines->size(), 1u);
  EXPECT_EQ(page.coder->HLines->at(0)->Ident, 4);
  EXPECT_EQ(dynamic_cast<const TLine&>(*page.coder->HLines->at(0)).RecordType, emr::LineTo);
  EXPECT_EQ(page.coder->Header.szlDeviceCx, 4961);
  EXPECT_EQ(page.coder->Header.szlMillimetersCy, 297);
}

TEST(EmfRecords, MalformedRecordsStopTheWalk) {
  // Each case damages a good page's bytes; the offsets count from the page's first record after the header.
  auto page = [](const std::function<void(TEmfBuilder&)>& draw) {
    TEmfBuilder emf;
    draw(emf);
    return emf.Bytes();
  };
  auto set32 = [](std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  constexpr size_t R = 88;  // the first record after the header
  struct Case {
    const char* why;
    std::vector<uint8_t> bytes;
    std::string error;
  };
  std::vector<Case> cases;
  auto add = [&](const char* why, const std::function<void(TEmfBuilder&)>& draw,
                 const std::function<void(std::vector<uint8_t>&)>& damage, const char* error) {
    std::vector<uint8_t> b = page(draw);
    damage(b);
    cases.push_back({why, b, error});
  };
  auto line = [](TEmfBuilder& e) { e.LineTo(10, 10); };
  auto text = [](TEmfBuilder& e) { e.TextOutW({.Reference = {1, 1}, .Text = u"abcd", .Dx = {1, 2, 3, 4}}); };
  add("a size that is not whole words", line, [&](auto& b) { set32(b, R + 4, 15); }, "record 2 (EMR_LINETO): size 15");
  add("a size below the record head", line, [&](auto& b) { set32(b, R + 4, 4); }, "record 2 (EMR_LINETO): size 4");
  add("a size past the end", line, [&](auto& b) { set32(b, R + 4, 4096); }, "record 2 (EMR_LINETO): size 4096");
  add("a record cut after its head", line, [&](auto& b) { b.resize(R + 4); }, "record 2: truncated");
  add("a LINETO without its point", line, [&](auto& b) { set32(b, R + 4, 12); set32(b, R + 12, 0x36); set32(b, R + 16, 12); },
      "record 2 (EMR_LINETO): record too short");
  add("a string past the record", text, [&](auto& b) { set32(b, R + 44, 1000); }, "record 2 (EMR_EXTTEXTOUTW): string outside");
  add("a string offset past the record", text, [&](auto& b) { set32(b, R + 48, 0xFFFFFFF0u); }, "string outside");
  add("advances past the record", text, [&](auto& b) { set32(b, R + 72, 200); }, "advances outside");
  add("ETO_PDY doubles the advances needed", text, [&](auto& b) { set32(b, R + 52, 0x2000); }, "advances outside");
  add("a point count past the record", [](TEmfBuilder& e) { e.Poly(emr::Polygon, {{0, 0}, {1, 1}}); },
      [&](auto& b) { set32(b, R + 24, 0x40000000); }, "points outside");
  add("polygon counts beyond the points", [](TEmfBuilder& e) { e.PolyPoly(emr::PolyPolygon16, {{{0, 0}, {1, 1}}}); },
      [&](auto& b) { set32(b, R + 32, 3); }, "polygon counts exceed");
  add("polygon counts past the record", [](TEmfBuilder& e) { e.PolyPoly(emr::PolyPolyline, {{{0, 0}, {1, 1}}}); },
      [&](auto& b) { set32(b, R + 24, 0x10000000); }, "polygon counts outside");
  add("a font record without its LOGFONTW", [](TEmfBuilder& e) { e.Record(emr::ExtCreateFontIndirectW, {1, 2, 3}); },
      [](auto&) {}, "font outside");
  add("comment data past the record", [](TEmfBuilder& e) { e.Comment(TEmfBuilder::Words({1, 2})); },
      [&](auto& b) { set32(b, R + 8, 9); }, "comment data outside");
  add("escape data past the record", [](TEmfBuilder& e) { e.Record(emr::ExtEscape, {25, 20, 1}); }, [](auto&) {},
      "escape data outside");
  add("POLYTEXTOUT strings past the record", [](TEmfBuilder& e) { e.PolyText(emr::PolyTextOutW, {{.Text = u"a"}}); },
      [&](auto& b) { set32(b, R + 36, 2); }, "texts outside");
  add("SMALLTEXTOUT characters past the record", [](TEmfBuilder& e) { e.SmallText({1, 1}, u"ab", 0x300); },
      [&](auto& b) { set32(b, R + 16, 9); }, "string outside");
  add("a blit's bitmap past the record", [](TEmfBuilder& e) { e.Record(emr::BitBlt, {0, 0, 1, 1, 0, 0, 1, 1, 0xCC0020, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 100, 40, 140, 8}); },
      [](auto&) {}, "bitmap");
  add("no header", line, [&](auto& b) { set32(b, 0, 2); }, "no enhanced metafile header");
  add("no signature", line, [&](auto& b) { set32(b, 40, 0); }, "no enhanced metafile header");
  add("no reference device", line, [&](auto& b) { set32(b, 80, 0); }, "no reference device");
  add("a second header", line, [&](auto& b) { set32(b, R, 1); }, "record 2: a header out of place");
  add("shorter than a header", line, [](auto& b) { b.resize(60); }, "shorter than a metafile header");
  for (const Case& c : cases) {
    TPage p;
    const TEmfWalkResult walked = p.Walk(c.bytes);
    EXPECT_FALSE(walked.Ok) << c.why;
    EXPECT_NE(walked.Error.find(c.error), std::string::npos) << c.why << ": " << walked.Error;
  }
}

TEST(EmfRecords, WalkStopsAtEofAndAcceptsAMissingOne) {
  TEmfBuilder emf;
  emf.LineTo(100, 0);
  std::vector<uint8_t> bytes = emf.Bytes();
  std::vector<uint8_t> trailing = bytes;
  trailing.insert(trailing.end(), {0xFF, 0xFF});  // after EOF nothing is read
  TPage a;
  EXPECT_TRUE(a.Walk(trailing).Ok);
  bytes.resize(bytes.size() - 20);
  TPage b;
  EXPECT_TRUE(b.Walk(bytes).Ok);
  EXPECT_EQ(b.coder->HLines->size(), 1u);
}

TEST(EmfRecords, BoundsJoinTheClipOnlyWhenTheyFitTheMeasuredText) {
  struct Case {
    const char* why;
    TRect box, clip, bounds;
    std::string expected;
  };
  // The measured box of a text on the baseline y = 500: 100..400 wide, 460..510 high.
  const TRect box{100, 460, 400, 510};
  const std::vector<Case> cases = {
      {"Windows' own bounds clip", box, {}, {100, 455, 380, 512}, "100,455,380,512"},
      {"and meet the state's clip", box, {0, 0, 300, 9999}, {100, 455, 380, 512}, "100,455,300,512"},
      {"bounds in logical units do not", box, {}, {10, 46, 40, 51}, "0,0,0,0"},
      {"nor a box from the baseline down", box, {}, {100, 500, 400, 550}, "0,0,0,0"},
      {"nor the empty bounds", box, {0, 0, 300, 9999}, {0, 0, -1, -1}, "0,0,300,9999"},
      {"nor no bounds", box, {}, {}, "0,0,0,0"},
  };
  for (const Case& c : cases) {
    TText t(1, u"text", TPoint{});
    t.Rect = c.box;
    t.ClipRect = c.clip;
    t.BoundsClip = c.bounds;
    ApplyBoundsClip(t);
    EXPECT_EQ(Show(t.ClipRect), c.expected) << c.why;
    EXPECT_EQ(Show(t.BoundsClip), "0,0,0,0") << c.why;
  }
}

// Hostile records at sizes where a walk that copied or scanned per record would be slow or large: the
// page keeps only what the records can really give, and says in the log what it left.
TEST(HostileRecords, SharedStringsClipFloodsAndSaveFloods) {
  auto walk = [](const std::vector<uint8_t>& bytes, TMemoryLog& log) {
    TMemoryStore store;
    auto coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, 0, log, TDocIdClass::CreateFromText("AB"));
    EXPECT_TRUE(WalkEmfRecords(bytes, *coder).Ok);
    return coder;
  };
  auto logged = [](const TMemoryLog& log, std::u16string_view what) {
    return std::count_if(log.Lines.begin(), log.Lines.end(),
                         [&](const std::u16string& line) { return line.find(what) != std::u16string::npos; });
  };
  {
    SCOPED_TRACE("2000 entries of one string of 2000 characters");
    TMemoryLog log;
    const std::vector<uint8_t> bytes = hostile::SharedStringPolyText(2000);
    auto coder = walk(bytes, log);
    // The record: its head, 2000 EMRTEXTs and the string; its texts hold no more characters than its bytes.
    const size_t recordBytes = 40 + 40 * 2000 + 2 * 2000;
    ASSERT_EQ(coder->Texts->size(), recordBytes / 2000);
    for (const auto& object : *coder->Texts) EXPECT_EQ(static_cast<const TText&>(*object).Text.size(), 2000u);
    EXPECT_EQ(logged(log, u"texts past the record's own characters are not read"), 1);
  }
  {
    SCOPED_TRACE("entries that share a short string all stay");
    TMemoryLog log;
    TEmfBuilder emf;
    std::vector<uint8_t> p = TEmfBuilder::Words({0, 0, -1, -1, 1, 0, 0, 3});
    for (int32_t i = 0; i < 3; ++i)
      for (int32_t v : {100, 100 + 30 * i, 2, 8 + 32 + 3 * 40, 0, 0, 0, 0, 0, 0}) TEmfBuilder::Append(p, static_cast<uint32_t>(v));
    TEmfBuilder::Append16(p, u'О');
    TEmfBuilder::Append16(p, u'К');
    auto coder = walk(emf.Raw(emr::PolyTextOutW, p).Bytes(), log);
    ASSERT_EQ(coder->Texts->size(), 3u);
    EXPECT_EQ(static_cast<const TText&>(*coder->Texts->back()).Text, u"ОК");
    EXPECT_EQ(logged(log, u"not read"), 0);
  }
  {
    SCOPED_TRACE("3000 ruled lines, then 3000 clip paths");
    TMemoryLog log;
    auto coder = walk(hostile::ClipPathFlood(3000), log);
    // The paths' own outlines become clips and leave; every ruled line stays, in its order.
    ASSERT_EQ(coder->HLines->size(), 3000u);
    for (size_t i = 0; i < 3000; ++i) EXPECT_EQ(coder->HLines->at(i)->Rect.Top, 100 + static_cast<int32_t>(i));
  }
  {
    SCOPED_TRACE("a path restored and selected twice clips once");
    TMemoryLog log;
    TEmfBuilder emf;
    emf.Record(emr::BeginPath, {}).MoveTo(10, 20).LineTo(300, 20).Record(emr::EndPath, {}).Record(emr::SaveDC, {});
    emf.MoveTo(10, 500).LineTo(300, 500).Record(emr::SelectClipPath, {5}).TextOutW({.Reference = {50, 20}, .Text = u"a"});
    emf.Record(emr::RestoreDC, {-1}).Record(emr::SelectClipPath, {5}).TextOutW({.Reference = {50, 20}, .Text = u"b"});
    auto coder = walk(emf.Bytes(), log);
    ASSERT_EQ(coder->Texts->size(), 2u);
    EXPECT_EQ(Show(static_cast<const TText&>(*coder->Texts->at(0)).ClipRect), "10,20,300,20");
    EXPECT_EQ(Show(static_cast<const TText&>(*coder->Texts->at(1)).ClipRect), "0,0,0,0");
    EXPECT_EQ(Show(*coder->HLines), "10,500,300,500");
  }
  {
    SCOPED_TRACE("300,000 SAVEDC records");
    TMemoryLog log;
    std::vector<uint8_t> bytes = hostile::SaveDCFlood(300000);
    // Then the first saved state back, and a text drawn in it.
    TEmfBuilder tail;
    tail.Record(emr::SetTextColor, {0x0000FF}).Record(emr::RestoreDC, {1}).TextOutW({.Reference = {5, 5}, .Text = u"x"});
    std::vector<uint8_t> more = tail.Bytes();
    bytes.resize(bytes.size() - 20);  // its EOF
    bytes.insert(bytes.end(), more.begin() + 88, more.end());
    auto coder = walk(bytes, log);
    ASSERT_EQ(coder->Texts->size(), 1u);
    EXPECT_EQ(static_cast<const TText&>(*coder->Texts->at(0)).TextColor, 0x102030u);
    EXPECT_EQ(logged(log, u"SaveDC: more than 4096 saved states"), 1);
  }
}

