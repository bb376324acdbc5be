// The page model redrawn into a DIB section, probed by pixels: mode 6 (white page, lines as thick as the
// redraw width, texts in their colour), mode 7 (the page's own records first, texts blue), characters at
// their edges, the frame fitted to the DC, and the software scale of a DC that refuses the world transform.
#include "coding/cl_emfcoder_draw_win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "foundation/lib_handle_win.h"
#include "support/coder_fakes.h"
#include "support/dib_canvas.h"
#include "support/emf_header.h"

namespace {
// 1200 x 1654 pixels on 51 x 70 mm: about 600 dpi.
constexpr TSize kDevice{1200, 1654};
constexpr TSize kMillimeters{51, 70};
constexpr RECT kFrame{0, 0, 5100, 7000};
constexpr uint32_t kRed = 0x0000FF;  // COLORREF

// The page's own records: a black square at (100, 100)-(300, 300), recorded against the screen and then
// given the 600-dpi reference device.
TEnhMetaFile RecordPage() {
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &kFrame, nullptr);
  RECT square{100, 100, 300, 300};
  FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  TEnhMetaFile recorded(CloseEnhMetaFile(dc));
  std::vector<uint8_t> bits(GetEnhMetaFileBits(recorded.Get(), 0, nullptr));
  GetEnhMetaFileBits(recorded.Get(), static_cast<UINT>(bits.size()), bits.data());
  auto* header = reinterpret_cast<ENHMETAHEADER*>(bits.data());
  header->szlDevice = SIZEL{kDevice.cx, kDevice.cy};
  header->szlMillimeters = SIZEL{kMillimeters.cx, kMillimeters.cy};
  if (header->nSize >= sizeof(ENHMETAHEADER)) header->szlMicrometers = SIZEL{kMillimeters.cx * 1000, kMillimeters.cy * 1000};
  return TEnhMetaFile(SetEnhMetaFileBits(static_cast<UINT>(bits.size()), bits.data()));
}

std::unique_ptr<TText> MakeText(std::u16string text, TPoint at, uint32_t color, std::vector<int32_t> positions = {}) {
  auto t = std::make_unique<TText>(1, std::move(text), at);
  t->Rect = TRect{at.X, at.Y, at.X + 200, at.Y + 40};
  t->TextColor = color;
  t->Positions = std::move(positions);
  t->Font.lfHeight = -40;
  t->Font.lfWeight = FW_BOLD;
  std::memcpy(t->Font.lfFaceName, u"Arial", sizeof(u"Arial"));
  return t;
}

struct TDrawFixture {
  explicit TDrawFixture(uint8_t mode) {
    coder = TCoder::Create<TEMFCoder>(store, nullptr, nullptr, mode, nullptr, TDocIdClass::CreateFromText("AB"));
    coder->HLines->push_back(std::make_unique<TLine>(0, TRect{100, 500, 1100, 500}, 1));
    coder->VLines->push_back(std::make_unique<TLine>(0, TRect{900, 600, 900, 1500}, 2));
    coder->Texts->push_back(MakeText(u"Итого", {100, 700}, kRed));
    coder->Texts->push_back(MakeText(u"II", {100, 800}, 0, {100, 300, 400}));
  }
  TMemoryStore store;
  std::unique_ptr<TEMFCoder> coder;
  TEnhMetaFile page = RecordPage();
};

// Pixels of the box whose colour is close to the pure one (0x00RRGGBB).
int CountNear(const TCanvas& canvas, RECT box, uint32_t rgb) {
  int n = 0;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) {
      const uint32_t p = canvas.Pixel(x, y);
      bool close = true;
      for (int shift : {0, 8, 16}) {
        const int got = (p >> shift) & 0xFF, want = (rgb >> shift) & 0xFF;
        close = close && (got > want ? got - want : want - got) < 60;
      }
      n += close;
    }
  return n;
}

int CountNotWhite(const TCanvas& canvas, RECT box) {
  int n = 0;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) n += canvas.Pixel(x, y) != 0xFFFFFF;
  return n;
}
}  // namespace

TEST(DrawPage, LinesAndTextsInTheirColourOnAWhitePage) {
  TDrawFixture f(6);
  TCanvas canvas(kDevice.cx, kDevice.cy);
  DrawPage(*f.coder, canvas.dc, f.page.Get(), kDevice, false);
  EXPECT_EQ(f.coder->Header.szlDeviceCx, kDevice.cx) << "the header is read from the page";
  EXPECT_EQ(canvas.Pixel(200, 200), 0xFFFFFFu) << "the page's own records are not played";
  // DrawWidth 9 is 2 pixels at 600 dpi: 3 rows (columns) centred on the line.
  for (int y : {499, 500, 501}) EXPECT_EQ(canvas.At(600, y), 1) << y;
  for (int y : {498, 502}) EXPECT_EQ(canvas.At(600, y), 0) << y;
  for (int x : {899, 900, 901}) EXPECT_EQ(canvas.At(x, 1000), 1) << x;
  for (int x : {898, 902}) EXPECT_EQ(canvas.At(x, 1000), 0) << x;
  EXPECT_GT(CountNear(canvas, {100, 700, 300, 745}, 0xFF0000), 50) << "the text in its own red";
  EXPECT_EQ(CountNear(canvas, {100, 700, 300, 745}, 0x0000FF), 0);
}

TEST(DrawPage, PageFirstThenTextsInBlue) {
  TDrawFixture f(7);
  TCanvas canvas(kDevice.cx, kDevice.cy);
  DrawPage(*f.coder, canvas.dc, f.page.Get(), kDevice, false);
  EXPECT_EQ(canvas.At(200, 200), 1) << "the page's black square";
  EXPECT_EQ(canvas.Pixel(700, 200), 0xFFFFFFu);
  EXPECT_EQ(canvas.At(600, 500), 1);
  EXPECT_GT(CountNear(canvas, {100, 700, 300, 745}, 0x0000FF), 50);
  EXPECT_EQ(CountNear(canvas, {100, 700, 300, 745}, 0xFF0000), 0) << "not in its own colour";
}

TEST(DrawPage, CharactersAtTheirEdges) {
  TDrawFixture f(4);
  TCanvas canvas(kDevice.cx, kDevice.cy);
  DrawPage(*f.coder, canvas.dc, f.page.Get(), kDevice, false);
  EXPECT_GT(CountNotWhite(canvas, {100, 800, 130, 845}), 20) << "the first I at the first edge";
  EXPECT_EQ(CountNotWhite(canvas, {160, 800, 290, 845}), 0) << "nothing between the edges";
  EXPECT_GT(CountNotWhite(canvas, {300, 800, 330, 845}), 20) << "the second I at the second edge";
  EXPECT_EQ(canvas.Pixel(600, 500), 0xFFFFFFu) << "mode 4 draws no lines";
}

TEST(DrawPage, HalfSizeWithAndWithoutTheWorldTransform) {
  const TSize half{kDevice.cx / 2, kDevice.cy / 2};
  for (bool refused : {false, true}) {
    SCOPED_TRACE(refused ? "scaled in software" : "scaled by the DC");
    SetWorldTransformRefusedForTesting(refused);
    TDrawFixture f(6);
    TCanvas canvas(half.cx, half.cy);
    DrawPage(*f.coder, canvas.dc, f.page.Get(), half, false);
    SetWorldTransformRefusedForTesting(false);
    EXPECT_EQ(canvas.At(300, 250), 1);
    EXPECT_EQ(canvas.At(450, 500), 1);
    EXPECT_EQ(canvas.At(300, 246), 0);
    EXPECT_EQ(canvas.At(300, 254), 0);
    EXPECT_GT(CountNear(canvas, {50, 350, 150, 375}, 0xFF0000), 10);
    if (refused) {
      // A pen of 1 pixel at half size: one row.
      EXPECT_EQ(canvas.At(300, 249), 0);
      EXPECT_EQ(canvas.At(300, 251), 0);
    }
    EXPECT_EQ(f.coder->HLines->at(0)->Rect, (TRect{100, 500, 1100, 500})) << "the page objects stay in page pixels";
    EXPECT_EQ(f.coder->Texts->at(0)->Rect.Left, 100);
    EXPECT_EQ(dynamic_cast<TText&>(*f.coder->Texts->at(0)).Font.lfHeight, -40);
  }
}

TEST(DrawPage, FitFillsTheFrameInTheDCsPixels) {
  TDrawFixture f(6);
  TCanvas canvas(600, 600);
  const double perMmX = static_cast<double>(GetDeviceCaps(canvas.dc, HORZRES)) / GetDeviceCaps(canvas.dc, HORZSIZE);
  const double perMmY = static_cast<double>(GetDeviceCaps(canvas.dc, VERTRES)) / GetDeviceCaps(canvas.dc, VERTSIZE);
  const int right = static_cast<int>(51 * perMmX + 0.5), bottom = static_cast<int>(70 * perMmY + 0.5);
  ASSERT_LT(right, 590);
  ASSERT_LT(bottom, 590);
  DrawPage(*f.coder, canvas.dc, f.page.Get(), TSize{}, true);
  EXPECT_EQ(canvas.At(right - 3, 2), 0) << "white inside the frame";
  EXPECT_EQ(canvas.At(right + 5, bottom + 5), -1) << "untouched outside it";
}

TEST(DrawPage, NothingWithoutDCOrMode) {
  TDrawFixture f(0);
  TCanvas canvas(100, 100);
  DrawPage(*f.coder, canvas.dc, f.page.Get(), TSize{100, 100}, false);
  EXPECT_EQ(canvas.At(50, 50), -1);
  f.coder->Mode = 6;
  DrawPage(*f.coder, nullptr, f.page.Get(), TSize{100, 100}, false);
}
