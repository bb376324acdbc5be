// A 32-bit top-down DIB section in a memory DC, filled grey (neither dark nor light), whose pixels the
// tests of GDI drawing probe.
#pragma once

#include <windows.h>

#include <cstdint>

struct TCanvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
  int width = 0, height = 0;
  TCanvas(int w, int h) : width(w), height(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    void* p = nullptr;
    bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint32_t*>(p);
    old = SelectObject(dc, bitmap);
    RECT r{0, 0, w, h};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));  // neither dark nor light
  }
  ~TCanvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  // The pixel as 0x00RRGGBB.
  uint32_t Pixel(int x, int y) const {
    GdiFlush();
    return bits[y * width + x] & 0xFFFFFF;
  }
  // 1 dark, 0 light, -1 neither (the picture did not cover it).
  int At(int x, int y) const {
    const uint32_t v = Pixel(x, y);
    const int sum = (v & 0xFF) + ((v >> 8) & 0xFF) + ((v >> 16) & 0xFF);
    return sum < 100 ? 1 : sum > 665 ? 0 : -1;
  }
};
