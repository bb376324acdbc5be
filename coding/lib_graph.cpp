// Code pictures: rotating, cutting and combining 1-bit module pictures, and their BMP file image.
#include "coding/lib_graph.h"

#include <algorithm>
#include <limits>

namespace {

int64_t Stride(int32_t width) { return (static_cast<int64_t>(width) + 7) / 8; }

bool Valid(const TMonoPicture& picture, TPictureSize size) {
  return size.Width >= 0 && size.Height >= 0 && static_cast<int64_t>(picture.size()) >= PictureByteSize(size);
}

// Modules outside the picture, or past the end of a short buffer, read as light.
bool Module(const TMonoPicture& p, TPictureSize s, int64_t x, int64_t y) {
  if (x < 0 || y < 0 || x >= s.Width || y >= s.Height) return false;
  const int64_t i = y * Stride(s.Width) + x / 8;
  return i < static_cast<int64_t>(p.size()) && ((p[static_cast<size_t>(i)] >> (7 - x % 8)) & 1);
}

void SetModule(TMonoPicture& p, TPictureSize s, int64_t x, int64_t y) {
  p[static_cast<size_t>(y * Stride(s.Width) + x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
}

void Put16(std::vector<uint8_t>& o, uint32_t v) {
  o.push_back(static_cast<uint8_t>(v));
  o.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& o, uint32_t v) {
  Put16(o, v & 0xFFFF);
  Put16(o, v >> 16);
}

}  // namespace

int64_t PictureByteSize(TPictureSize size) {
  if (size.Width < 0 || size.Height < 0) return 0;
  return Stride(size.Width) * size.Height;
}

void RotateMonoBitmap(TMonoPicture& picture, TPictureSize& size) {
  if (size.Width < 0 || size.Height < 0) return;
  const TPictureSize turned{size.Height, size.Width};
  TMonoPicture out(static_cast<size_t>(PictureByteSize(turned)), 0);
  for (int64_t y = 0; y < size.Height; ++y)
    for (int64_t x = 0; x < size.Width; ++x)
      if (Module(picture, size, x, y)) SetModule(out, turned, size.Height - 1 - y, x);
  picture.swap(out);
  size = turned;
}

void PutMonoBitmap(TMonoPicture& out, TPictureSize size, const TMonoPicture& source, int32_t x, int32_t y,
                   TPictureSize sourceSize) {
  out.assign(static_cast<size_t>(PictureByteSize(size)), 0);
  if (size.Width <= 0 || size.Height <= 0) return;
  for (int64_t py = 0; py < size.Height; ++py)
    for (int64_t px = 0; px < size.Width; ++px)
      if (Module(source, sourceSize, px + x, py + y)) SetModule(out, size, px, py);
}

void OrMonoBitmap(TMonoPicture& picture, TPictureSize size, int32_t x, int32_t y, TPictureSize sourceSize,
                  const TMonoPicture& source) {
  if (!Valid(picture, size) || sourceSize.Width < 0 || sourceSize.Height < 0) return;
  for (int64_t sy = 0; sy < sourceSize.Height; ++sy) {
    const int64_t ty = sy + y;
    if (ty < 0 || ty >= size.Height) continue;
    for (int64_t sx = 0; sx < sourceSize.Width; ++sx) {
      const int64_t tx = sx + x;
      if (tx >= 0 && tx < size.Width && Module(source, sourceSize, sx, sy)) SetModule(picture, size, tx, ty);
    }
  }
}

bool AppendMonoBmpHeaders(std::vector<uint8_t>& stream, int64_t width, int64_t height, uint32_t color0,
                          uint32_t color1) {
  if (width <= 0 || height <= 0 || width > std::numeric_limits<int32_t>::max() ||
      height > std::numeric_limits<int32_t>::max())
    return false;
  const int64_t image = (width + 31) / 32 * 4 * height;
  if (image + 62 > std::numeric_limits<int32_t>::max()) return false;
  stream.push_back('B');
  stream.push_back('M');
  Put32(stream, static_cast<uint32_t>(62 + image));
  Put32(stream, 0);
  Put32(stream, 62);
  Put32(stream, 40);
  Put32(stream, static_cast<uint32_t>(width));
  Put32(stream, static_cast<uint32_t>(height));  // positive: bottom row first
  Put16(stream, 1);                               // planes
  Put16(stream, 1);                               // bits per pixel
  Put32(stream, 0);                               // uncompressed
  Put32(stream, static_cast<uint32_t>(image));
  Put32(stream, 0);  // pixels per metre across and down: not used
  Put32(stream, 0);
  Put32(stream, 2);  // palette entries used and important
  Put32(stream, 2);
  Put32(stream, color0);
  Put32(stream, color1);
  return true;
}

bool WriteMonoBmp(const TMonoPicture& picture, TPictureSize size, std::vector<uint8_t>& stream, int32_t scale) {
  const int32_t s = (scale == 2 || scale == 4 || scale == 8) ? scale : 1;
  if (size.Width <= 0 || size.Height <= 0 || !Valid(picture, size)) return false;
  const int64_t pixelsWide = static_cast<int64_t>(size.Width) * s;
  const int64_t pixelsHigh = static_cast<int64_t>(size.Height) * s;
  const int64_t row = (pixelsWide + 31) / 32 * 4;  // rows padded to whole 32-bit words
  if (!AppendMonoBmpHeaders(stream, pixelsWide, pixelsHigh, 0x00FFFFFF, 0x00000000)) return false;  // 1 black
  stream.reserve(stream.size() + static_cast<size_t>(row * pixelsHigh));
  std::vector<uint8_t> line(static_cast<size_t>(row));
  for (int64_t y = size.Height - 1; y >= 0; --y) {
    std::fill(line.begin(), line.end(), 0);
    for (int64_t x = 0; x < size.Width; ++x)
      if (Module(picture, size, x, y))
        for (int64_t k = x * s; k < (x + 1) * s; ++k) line[static_cast<size_t>(k / 8)] |= static_cast<uint8_t>(0x80 >> (k % 8));
    for (int32_t r = 0; r < s; ++r) stream.insert(stream.end(), line.begin(), line.end());
  }
  return true;
}
