// Row flipping and gradient colours of the dialogs' pictures.
#include "ui/visualutil.h"

#include <algorithm>
#include <cmath>

namespace {

uint32_t Channel(uint32_t color, int shift) { return (color >> shift) & 0xFF; }

}  // namespace

uint32_t GradientColumnColor(uint32_t from, uint32_t to, int x, int width) {
  if (width <= 0) return from & 0xFFFFFF;
  const double r = static_cast<double>(x) / width;
  uint32_t color = 0;
  for (const int shift : {0, 8, 16}) {
    // nearbyint rounds halves to even in the default rounding mode.
    const double value = std::nearbyint((1.0 - r) * Channel(from, shift) + r * Channel(to, shift));
    color |= static_cast<uint32_t>(std::clamp(value, 0.0, 255.0)) << shift;
  }
  return color;
}

size_t FlipRowBytes(int width, int bitsPerPixel) {
  if (width <= 0) return 0;
  const size_t w = static_cast<size_t>(width);
  switch (bitsPerPixel) {
    case 1:
      return (w + 7) / 8;
    case 4:
      return (w + 1) / 2;
    case 8:
      return w;
    case 15:
    case 16:
      return 2 * w;
    case 24:
      return 3 * w;
    case 32:
      return 4 * w;
    default:
      return 0;
  }
}

bool FlipRowsVertically(std::span<uint8_t> bits, size_t stride, int width, int height, int bitsPerPixel) {
  const size_t row = FlipRowBytes(width, bitsPerPixel);
  if (row == 0 || height < 0 || row > stride) return false;
  const size_t rows = static_cast<size_t>(height);
  if (rows > 0 && (bits.size() < row || rows - 1 > (bits.size() - row) / stride)) return false;
  for (size_t k = 0; k < rows / 2; ++k) {
    uint8_t* top = bits.data() + k * stride;
    uint8_t* bottom = bits.data() + (rows - 1 - k) * stride;
    std::swap_ranges(top, top + row, bottom);
  }
  return true;
}
