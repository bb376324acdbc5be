// Pictures the dialogs share: a bitmap turned upside down and the horizontal gradient band.
#pragma once

#include <windows.h>

#include <cstdint>

// Turns a DIB section's rows upside down in place (1, 4, 8, 15, 16, 24 and 32 bits per pixel; any
// other format is left as it is). A device-dependent bitmap goes through its 32-bit pixels. False
// when nothing was turned.
bool FlipBitmapVertically(HBITMAP bitmap);

// Paints rect with a horizontal gradient from `from` at the left to `to` (colours 0x00BBGGRR), one
// vertical line per pixel column (GradientColumnColor).
void PaintHorizontalGradient(HDC dc, const RECT& rect, uint32_t from, uint32_t to);
// A bitmap of the size painted with that gradient; null when it cannot be made. The caller owns it.
HBITMAP MakeGradientBitmap(int width, int height, uint32_t from, uint32_t to);
