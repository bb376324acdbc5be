// Bitmaps turned upside down through GDI (DIB sections of every format, top-down ones, a device bitmap)
// and the gradient band painted column by column.
#include "ui/visualutil_win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "foundation/lib_handle_win.h"
#include "ui/visualutil.h"

namespace {

struct TDib {
  HBITMAP Bitmap = nullptr;
  uint8_t* Bits = nullptr;
  size_t Stride = 0;
};

// A DIB section; height < 0 makes it top-down.
TDib MakeDib(int width, int height, int bits) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info{};
  info.header.biSize = sizeof info.header;
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bits);
  info.header.biCompression = BI_RGB;
  void* pixels = nullptr;
  TDib dib;
  dib.Bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
  dib.Bits = static_cast<uint8_t*>(pixels);
  dib.Stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
  return dib;
}

}  // namespace

TEST(FlipBitmapWin, DibSectionsOfEveryFormat) {
  for (const int bits : {1, 4, 8, 16, 24, 32}) {
    for (const int height : {3, -4}) {
      const int width = 5;
      const int rows = height < 0 ? -height : height;
      TDib dib = MakeDib(width, height, bits);
      ASSERT_NE(dib.Bitmap, nullptr) << bits;
      const size_t size = dib.Stride * rows;
      for (size_t i = 0; i < size; ++i) dib.Bits[i] = static_cast<uint8_t>(i * 13 + 5);
      const std::vector<uint8_t> before(dib.Bits, dib.Bits + size);
      ASSERT_TRUE(FlipBitmapVertically(dib.Bitmap)) << bits;
      GdiFlush();
      const size_t row = FlipRowBytes(width, bits);
      for (int y = 0; y < rows; ++y) {
        EXPECT_EQ(std::memcmp(dib.Bits + y * dib.Stride, before.data() + (rows - 1 - y) * dib.Stride, row), 0)
            << bits << " bpp, height " << height << ", row " << y;
      }
      DeleteObject(dib.Bitmap);
    }
  }
}

TEST(FlipBitmapWin, ThreeByThreeDeviceBitmap) {
  HDC screen = GetDC(nullptr);
  TGdiObject bitmap(CreateCompatibleBitmap(screen, 3, 3));
  TDeviceContext dc(CreateCompatibleDC(screen));
  ReleaseDC(nullptr, screen);
  const HGDIOBJ old = SelectObject(dc.Get(), bitmap.Get());
  const COLORREF rowColor[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) SetPixel(dc.Get(), x, y, rowColor[y]);
  }
  SelectObject(dc.Get(), old);
  ASSERT_TRUE(FlipBitmapVertically(static_cast<HBITMAP>(bitmap.Get())));
  SelectObject(dc.Get(), bitmap.Get());
  EXPECT_EQ(GetPixel(dc.Get(), 1, 0), rowColor[2]) << "rows 0 and 2 change places";
  EXPECT_EQ(GetPixel(dc.Get(), 1, 1), rowColor[1]) << "the middle row stays";
  EXPECT_EQ(GetPixel(dc.Get(), 1, 2), rowColor[0]);
  SelectObject(dc.Get(), old);
  EXPECT_FALSE(FlipBitmapVertically(nullptr));
}

TEST(GradientWin, OneColourPerColumn) {
  const int width = 101, height = 6;
  TDib dib = MakeDib(width, -height, 32);
  ASSERT_NE(dib.Bitmap, nullptr);
  TDeviceContext dc(CreateCompatibleDC(nullptr));
  const HGDIOBJ old = SelectObject(dc.Get(), dib.Bitmap);
  PaintHorizontalGradient(dc.Get(), RECT{0, 0, width, height}, kGradientNavy, kGradientSilver);
  GdiFlush();
  for (const int x : {0, 1, 50, 99, 100}) {
    const uint32_t want = GradientColumnColor(kGradientNavy, kGradientSilver, x, width);
    for (int y = 0; y < height; ++y) {
      EXPECT_EQ(GetPixel(dc.Get(), x, y), static_cast<COLORREF>(want)) << "column " << x << ", row " << y;
    }
  }
  EXPECT_EQ(GetPixel(dc.Get(), 0, 0), static_cast<COLORREF>(RGB(0, 0, 128))) << "navy at the left";
  SelectObject(dc.Get(), old);
  DeleteObject(dib.Bitmap);

  TGdiObject band(MakeGradientBitmap(40, 10, kGradientNavy, kGradientSilver));
  ASSERT_TRUE(band);
  BITMAP bm{};
  GetObjectW(band.Get(), sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 40);
  EXPECT_EQ(bm.bmHeight, 10);
  EXPECT_EQ(MakeGradientBitmap(0, 10, kGradientNavy, kGradientSilver), nullptr);
}
