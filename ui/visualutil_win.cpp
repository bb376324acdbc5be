// Bitmap flipping and the gradient band on GDI.
#include "ui/visualutil_win.h"

#include <cstdlib>
#include <span>
#include <vector>

#include "foundation/lib_handle_win.h"
#include "ui/visualutil.h"

namespace {

// A device-dependent bitmap's pixels read as a 32-bit DIB, turned and written back.
bool FlipThroughDib(HBITMAP bitmap, const BITMAP& bm) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = bm.bmWidth;
  info.bmiHeader.biHeight = bm.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const size_t stride = static_cast<size_t>(bm.bmWidth) * 4;
  std::vector<uint8_t> bits(stride * static_cast<size_t>(bm.bmHeight));
  HDC screen = GetDC(nullptr);
  bool ok = GetDIBits(screen, bitmap, 0, bm.bmHeight, bits.data(), &info, DIB_RGB_COLORS) == bm.bmHeight &&
            FlipRowsVertically(bits, stride, bm.bmWidth, bm.bmHeight, 32) &&
            SetDIBits(screen, bitmap, 0, bm.bmHeight, bits.data(), &info, DIB_RGB_COLORS) == bm.bmHeight;
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace

bool FlipBitmapVertically(HBITMAP bitmap) {
  DIBSECTION dib{};
  const int got = bitmap ? GetObjectW(bitmap, sizeof dib, &dib) : 0;
  if (got == sizeof dib && dib.dsBm.bmBits) {
    const BITMAP& bm = dib.dsBm;
    GdiFlush();
    const size_t stride = static_cast<size_t>(bm.bmWidthBytes);
    const size_t rows = static_cast<size_t>(std::abs(bm.bmHeight));
    std::span<uint8_t> pixels(static_cast<uint8_t*>(bm.bmBits), stride * rows);
    return FlipRowsVertically(pixels, stride, bm.bmWidth, static_cast<int>(rows), bm.bmBitsPixel);
  }
  BITMAP bm{};
  if (!bitmap || GetObjectW(bitmap, sizeof bm, &bm) != sizeof bm || bm.bmWidth <= 0 || bm.bmHeight <= 0) return false;
  return FlipThroughDib(bitmap, bm);
}

void PaintHorizontalGradient(HDC dc, const RECT& rect, uint32_t from, uint32_t to) {
  const int width = rect.right - rect.left;
  if (width <= 0 || rect.bottom <= rect.top) return;
  for (int x = 0; x < width; ++x) {
    // A one-pixel column is a vertical line; filling it avoids a pen per column.
    TGdiObject brush(CreateSolidBrush(GradientColumnColor(from, to, x, width)));
    const RECT column{rect.left + x, rect.top, rect.left + x + 1, rect.bottom};
    FillRect(dc, &column, static_cast<HBRUSH>(brush.Get()));
  }
}

HBITMAP MakeGradientBitmap(int width, int height, uint32_t from, uint32_t to) {
  if (width <= 0 || height <= 0) return nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  TDeviceContext memory(CreateCompatibleDC(screen));
  ReleaseDC(nullptr, screen);
  if (!bitmap || !memory.Get()) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  const HGDIOBJ old = SelectObject(memory.Get(), bitmap);
  PaintHorizontalGradient(memory.Get(), RECT{0, 0, width, height}, from, to);
  SelectObject(memory.Get(), old);
  return bitmap;
}
