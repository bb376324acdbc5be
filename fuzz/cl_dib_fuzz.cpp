// Fuzz target of the line finder's bitmap reader: any bytes as the page's BMP; an accepted one is cut
// into the grid and searched both ways, and every line found must lie on the image.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "coding/cl_dib.h"

namespace {
// A cell's centre may lie past the image's edge only in the last, partly filled cell row.
void CheckInside(const TRectArray& lines, const TDibBitmap& bitmap, int32_t g) {
  for (const TRect& r : lines)
    if (r.Left < 0 || r.Top < 0 || r.Left > r.Right || r.Top > r.Bottom || r.Right >= bitmap.Width ||
        r.Bottom >= bitmap.Height + g / 2)
      std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TByteReader reader(std::span<const uint8_t>(data, size));
  TDibBitmap bitmap;
  if (!ReadDibFile(reader, bitmap).empty()) {
    if (!bitmap.Pixels.empty()) std::abort();
    return 0;
  }
  // The pixels are the file's last bytes, whole rows of whole words.
  if (bitmap.Pixels.data() + bitmap.Pixels.size() != data + size || bitmap.RowBytes % 4 != 0 ||
      bitmap.Pixels.size() != bitmap.RowBytes * static_cast<size_t>(bitmap.Height))
    std::abort();
  // Fine and coarse grids alike: the wanted sizes come from the file's own first pixel bytes.
  const int32_t wantX = bitmap.Pixels.empty() ? 600 : bitmap.Pixels[0] * 8 - 100;
  const int32_t wantY = bitmap.Pixels.size() < 2 ? 800 : bitmap.Pixels[1] * 4 - 100;
  const int32_t f = DibCompressionX(bitmap.Width, wantX);
  const int32_t g = DibCompressionY(bitmap.Height, wantY);
  const TDibGrid rows = BuildDibGrid(bitmap, f, g);
  if (rows.Cells.size() != static_cast<size_t>(rows.Width) * static_cast<size_t>(rows.Height)) std::abort();
  const TDibGrid columns = TransposeDibGrid(rows);
  TRectArray horizontal, vertical;
  RunSearch(rows, MakeRunParams(rows.Width, 210, 900, 300, 100, 0.95, 0.95), 1, 0, f, g, horizontal);
  RunSearch(columns, MakeRunParams(columns.Width, 297, 500, 250, 100, 0.9, 0.9), 0, 1, f, g, vertical);
  CheckInside(horizontal, bitmap, g);
  CheckInside(vertical, bitmap, g);
  for (const TRect& r : horizontal)
    if (r.Top != r.Bottom) std::abort();
  for (const TRect& r : vertical)
    if (r.Left != r.Right) std::abort();
  return 0;
}
