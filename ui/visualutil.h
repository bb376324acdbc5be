// Pictures the dialogs share, without the drawing calls: turning a bitmap's rows upside down and the
// colours of a horizontal gradient band (visualutil_win draws them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Colours as the system keeps them: 0x00BBGGRR.
inline constexpr uint32_t kGradientNavy = 0x800000;    // RGB 0, 0, 128
inline constexpr uint32_t kGradientSilver = 0xC0C0C0;  // RGB 192, 192, 192
inline constexpr uint32_t kGradientWhite = 0xFFFFFF;

// The colour of column x of a band width pixels wide that runs from `from` at the left to `to`:
// r = x / width, each channel round((1 - r) * from + r * to), halves to even; `from` for a width of 0.
uint32_t GradientColumnColor(uint32_t from, uint32_t to, int x, int width);

// The bytes of a row's pixels for a pixel format (1, 4, 8, 15, 16, 24 or 32 bits); 0 for any other.
size_t FlipRowBytes(int width, int bitsPerPixel);
// Swaps row k with row height-1-k for every k below height/2; rows lie stride bytes apart (a DIB pads
// them to 4 bytes) and only their pixel bytes move. False, with nothing changed, for another pixel
// format or when the rows do not fit in bits or in the stride.
bool FlipRowsVertically(std::span<uint8_t> bits, size_t stride, int width, int height, int bitsPerPixel);
