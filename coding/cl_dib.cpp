// Line finder core: the page's BMP read into a grid of cells, and the run and window search over it.
#include "coding/cl_dib.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <string_view>

#include "coding/cl_macrolib_recog_text.h"
#include "coding/lib_graph.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_log.h"
#include "foundation/lib_str.h"

namespace {
constexpr uint32_t kMaxFileSize = 0x7FFFFFFF;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
constexpr uint8_t kPalette[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};

// Pixel bytes of the image; 0 when the sizes are not positive or the file would pass 2 GB.
uint64_t DibImageBytes(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return 0;
  const uint64_t bytes = static_cast<uint64_t>(DibRowBytes(width)) * static_cast<uint64_t>(height);
  return bytes > kMaxFileSize - kDibHeadersSize ? 0 : bytes;
}

// Cells of f bits are cut from a word least significant bit first, but the bytes inside the word hold
// their pixels most significant bit first: within a byte the cell order is mirrored.
int32_t CellSwap(int32_t f) { return f == 1 ? 7 : f == 2 ? 3 : f == 4 ? 1 : 0; }

// Periods beyond the window see each cell alone; with a LevelPer below 1 the answer is settled by k = m
// at the latest, and above it further periods only cost time.
int32_t LastPeriod(const TRunParams& params) { return std::max(2, std::min(params.MaxPeriod - 1, params.MinLength)); }

TWindowAnswer WindowTestWith(std::span<const uint8_t> cells, int32_t k, double p, double q,
                             std::vector<int32_t>& counts) {
  if (k < 1) k = 1;
  counts.assign(static_cast<size_t>(k), 0);
  int32_t phase = 0;
  for (uint8_t cell : cells) {
    counts[static_cast<size_t>(phase)] += cell ? 1 : 0;
    if (++phase == k) phase = 0;
  }
  const double c0 = static_cast<double>(cells.size()) * 0.5 / k;
  double s1 = 0;
  double s2 = 0;
  for (int32_t n : counts) {
    const double d = c0 - n;
    s1 += std::fabs(d);
    s2 += std::fabs(d) - d;
  }
  if (s1 <= p) return TWindowAnswer::Undecided;
  return s2 > q ? TWindowAnswer::Line : TWindowAnswer::NoLine;
}

void SearchRow(std::span<const uint8_t> row, int32_t y, const TRunParams& params, int32_t dx, int32_t dy,
               int32_t compressionX, int32_t compressionY, std::vector<int32_t>& counts, TRectArray& lines) {
  const int64_t length = static_cast<int64_t>(row.size());
  const int64_t m = params.MinLength;
  const int32_t lastPeriod = LastPeriod(params);
  int64_t x = 0;
  while (x + m < length) {
    if (!row[static_cast<size_t>(x)]) {
      ++x;
      continue;
    }
    int64_t end = x;
    while (end < length && row[static_cast<size_t>(end)]) ++end;
    if (end - x >= m) {
      AddLineRect(lines, static_cast<int32_t>(x), static_cast<int32_t>(end - 1), y, dx, dy, compressionX,
                  compressionY);
      x = end;
      continue;
    }
    const std::span<const uint8_t> window = row.subspan(static_cast<size_t>(x), static_cast<size_t>(m));
    TWindowAnswer answer = TWindowAnswer::Undecided;
    for (int32_t k = 2; answer == TWindowAnswer::Undecided && k <= lastPeriod; ++k)
      answer = WindowTestWith(window, k, params.LevelPer, params.LevelBW, counts);
    if (answer == TWindowAnswer::Line) {
      int64_t last = x + m - 1;
      while (!row[static_cast<size_t>(last)]) --last;  // row[x] is dark, so this stops there at the latest
      AddLineRect(lines, static_cast<int32_t>(x), static_cast<int32_t>(last), y, dx, dy, compressionX, compressionY);
    }
    x += params.Step;
  }
}

}  // namespace

int64_t DibRowBytes(int32_t width) { return width <= 0 ? 0 : (static_cast<int64_t>(width) + 31) / 32 * 4; }

std::vector<uint8_t> DibFileHeaders(int32_t width, int32_t height) {
  std::vector<uint8_t> out;
  out.reserve(kDibHeadersSize);
  AppendMonoBmpHeaders(out, width, height, 0x00000000, 0x00FFFFFF);  // 0 black, as the grid reads it
  return out;
}

std::u16string ReadDibFile(TByteReader& reader, TDibBitmap& bitmap) {
  bitmap = {};
  uint8_t head[kDibHeadersSize];
  if (!reader.Seek(0) || !reader.ReadBuf(head)) return u"файл короче заголовков";
  const uint8_t* info = head + kDibFileHeaderSize;
  if (head[0] != 'B' || head[1] != 'M') return u"нет подписи BM";
  const uint32_t fileSize = Le32(head + 2);
  const uint32_t offBits = Le32(head + 10);
  if (fileSize != reader.Size()) return u"размер в заголовке не равен размеру файла";
  if (Le32(head + 6) != 0) return u"заполнены резервные поля";
  if (Le32(info) != kDibInfoHeaderSize) return u"неизвестный заголовок изображения";
  const int32_t width = static_cast<int32_t>(Le32(info + 4));
  const int32_t height = static_cast<int32_t>(Le32(info + 8));
  if (width <= 0 || height <= 0) return u"размеры не положительны или строки сверху вниз";
  if (Le16(info + 12) != 1 || Le16(info + 14) != 1 || Le32(info + 16) != 0) return u"не 1 бит на точку без сжатия";
  const uint32_t used = Le32(info + 32);
  const uint32_t important = Le32(info + 36);
  if (used > 2 || important > 2) return u"палитра больше двух цветов";
  if (!std::equal(std::begin(kPalette), std::end(kPalette), head + kDibFileHeaderSize + kDibInfoHeaderSize))
    return u"палитра не чёрно-белая";
  const uint64_t image = DibImageBytes(width, height);
  if (image == 0) return u"изображение больше 2 ГБ";
  const uint32_t sizeImage = Le32(info + 20);
  if (sizeImage != 0 && sizeImage != image) return u"размер точек в заголовке неверен";
  if (offBits < kDibHeadersSize || offBits > fileSize || fileSize - offBits != image)
    return u"смещение точек не сходится с размером файла";
  if (!reader.Seek(offBits)) return u"смещение точек за концом файла";
  bitmap.Width = width;
  bitmap.Height = height;
  bitmap.RowBytes = static_cast<size_t>(DibRowBytes(width));
  bitmap.Pixels = reader.CurrentAddress(static_cast<size_t>(image));
  return {};
}

int32_t DibCompressionX(int32_t width, int32_t dibSizeX) {
  const int32_t limit = IntMulDiv(dibSizeX, 3, 2);
  int32_t f = 1;
  while (f < 32 && width / f >= limit) f *= 2;
  return f;
}

int32_t DibGridWidth(int32_t width, int32_t compressionX) {
  if (width <= 0 || compressionX <= 0) return 0;
  const int64_t bits = DibRowBytes(width) * 8;
  return static_cast<int32_t>((bits + compressionX - 1) / compressionX);
}

int32_t DibCompressionY(int32_t height, int32_t dibSizeY) {
  int32_t g = 1;
  if (dibSizeY == 0 || !TryRoundToInt(static_cast<double>(height) / dibSizeY, g)) return 1;
  return std::max(1, g);
}

int32_t DibGridHeight(int32_t height, int32_t compressionY) { return DivRoundUp(height, std::max(1, compressionY)); }

TDibGrid BuildDibGrid(const TDibBitmap& bitmap, int32_t compressionX, int32_t compressionY) {
  const int32_t f = compressionX;
  if (f != 1 && f != 2 && f != 4 && f != 8 && f != 16 && f != 32) throw std::invalid_argument("compression X");
  const int32_t g = std::max(1, compressionY);
  TDibGrid grid;
  grid.Width = DibGridWidth(bitmap.Width, f);
  grid.Height = DibGridHeight(bitmap.Height, g);
  const uint64_t cells = static_cast<uint64_t>(grid.Width) * static_cast<uint64_t>(grid.Height);
  if (cells > static_cast<uint64_t>(std::numeric_limits<ptrdiff_t>::max())) throw std::length_error("grid");
  grid.Cells.assign(static_cast<size_t>(cells), 0);

  const size_t words = bitmap.RowBytes / 4;
  const int32_t perWord = 32 / f;
  const int32_t swap = CellSwap(f);
  const uint32_t mask = f == 32 ? 0xFFFFFFFFu : (1u << f) - 1u;
  const int64_t columns = bitmap.Width / f;
  for (int32_t r = 0; r < bitmap.Height; ++r) {
    const int32_t imageRow = bitmap.Height - 1 - r;
    uint8_t* out = grid.Cells.data() + static_cast<size_t>(imageRow / g) * static_cast<size_t>(grid.Width);
    const uint8_t* in = bitmap.Pixels.data() + static_cast<size_t>(r) * bitmap.RowBytes;
    for (size_t w = 0; w < words; ++w) {
      const uint32_t word = Le32(in + w * 4);
      if (word == 0xFFFFFFFFu) continue;
      for (int32_t c = 0; c < perWord; ++c) {
        if (((word >> (c * f)) & mask) == mask) continue;
        const int64_t column = static_cast<int64_t>(w) * perWord + (c ^ swap);
        if (column < columns) out[column] = 1;
      }
    }
  }
  return grid;
}

TDibGrid TransposeDibGrid(const TDibGrid& grid) {
  TDibGrid out;
  out.Width = grid.Height;
  out.Height = grid.Width;
  out.Cells.assign(grid.Cells.size(), 0);
  const size_t w = static_cast<size_t>(grid.Width);
  const size_t h = static_cast<size_t>(grid.Height);
  for (size_t y = 0; y < h; ++y)
    for (size_t x = 0; x < w; ++x) out.Cells[x * h + y] = grid.Cells[y * w + x];
  return out;
}

TWindowAnswer WindowTest(std::span<const uint8_t> cells, int32_t k, double p, double q) {
  std::vector<int32_t> counts;
  return WindowTestWith(cells, k, p, q, counts);
}

TRunParams MakeRunParams(int32_t cells, int32_t sizeMm, int32_t lLenMin, int32_t eelMax, int32_t step,
                         double levelPer, double levelBW) {
  const double s = cells * 0.01 / sizeMm;
  TRunParams params;
  params.MinLength = std::max(1, RoundToInt(lLenMin * s));
  params.MaxPeriod = std::max(1, RoundToInt(eelMax * s));
  params.Step = std::max(1, RoundToInt(step * s));
  params.LevelPer = 0.5 * levelPer * params.MinLength;
  params.LevelBW = params.MinLength * levelBW;
  return params;
}

void AddLineRect(TRectArray& lines, int32_t a, int32_t b, int32_t y, int32_t dx, int32_t dy, int32_t compressionX,
                 int32_t compressionY) {
  const int64_t f = compressionX;
  const int64_t g = compressionY;
  auto at = [](int64_t scale, int64_t cell) { return static_cast<int32_t>(scale * cell + scale / 2); };
  lines.push_back(TRect{at(f, dx * a + dy * y), at(g, dy * a + dx * y), at(f, dx * b + dy * y), at(g, dy * b + dx * y)});
}

void RunSearch(const TDibGrid& grid, const TRunParams& params, int32_t dx, int32_t dy, int32_t compressionX,
               int32_t compressionY, TRectArray& lines) {
  std::vector<int32_t> counts;
  const size_t length = static_cast<size_t>(grid.Width);
  for (int32_t y = 0; y < grid.Height; ++y) {
    const std::span<const uint8_t> row(grid.Cells.data() + static_cast<size_t>(y) * length, length);
    SearchRow(row, y, params, dx, dy, compressionX, compressionY, counts, lines);
  }
}

namespace {
void SearchDirection(TLogFile& log, std::u16string_view title, const TDibGrid& grid, const TRunParams& params,
                     int32_t dx, int32_t dy, int32_t f, int32_t g, TRectArray& lines) {
  log.AddWide(title);
  const uint32_t tick = log.TickCount();
  RunSearch(grid, params, dx, dy, f, g, lines);
  log.AddElapsed(tick);
}

// Steps that may run out of memory: the grid, its transposition and the two searches.
void SearchGrids(const TDibBitmap& bitmap, TLineSearchSettings& settings, TSize sizeMm, TLogFile& log,
                 TLineSearchResult& result) {
  uint32_t tick = log.TickCount();
  const int32_t f = DibCompressionX(bitmap.Width, settings.DIBSizeX);
  const int32_t g = DibCompressionY(bitmap.Height, settings.DIBSizeY);
  result.CompressionX = f;
  result.CompressionY = g;
  settings.DIBSizeX = DibGridWidth(bitmap.Width, f);
  settings.DIBSizeY = DibGridHeight(bitmap.Height, g);
  log.AddWide(u"    Сжатие по X x" + NumW(f));
  const TDibGrid rows = BuildDibGrid(bitmap, f, g);
  log.AddElapsed(tick);
  log.AddWide(u"    Сжатие по Y x" + NumW(g));
  tick = log.TickCount();
  const TDibGrid columns = TransposeDibGrid(rows);
  log.AddElapsed(tick);

  SearchDirection(log, u"    Поиск по X", rows,
                  MakeRunParams(rows.Width, sizeMm.cx, settings.LLenMinX, settings.EELMaxX, settings.StepX,
                                settings.LevelPerX, settings.LevelBWX),
                  1, 0, f, g, result.HorzLines);
  SearchDirection(log, u"    Поиск по Y", columns,
                  MakeRunParams(columns.Width, sizeMm.cy, settings.LLenMinY, settings.EELMaxY, settings.StepY,
                                settings.LevelPerY, settings.LevelBWY),
                  0, 1, f, g, result.VertLines);
}
}  // namespace

bool SearchBitmapLines(TByteReader& bmp, TLineSearchSettings& settings, TSize sizeMm, TLogFile& log,
                       uint32_t startTick, TLineSearchResult& result) {
  result = TLineSearchResult{};
  log.AddElapsed(startTick);
  log.AddWide(u"  Обработка");
  if (sizeMm.cx <= 0 || sizeMm.cy <= 0) {
    log.AddWide(u"    Неверный размер страницы в миллиметрах");
    return false;
  }
  TDibBitmap bitmap;
  const std::u16string error = ReadDibFile(bmp, bitmap);
  if (!error.empty()) {
    log.AddWide(u"    Неверный файл изображения: " + error);
    return false;
  }
  try {
    SearchGrids(bitmap, settings, sizeMm, log, result);
  } catch (const std::exception&) {
    log.AddWide(u"    ОШИБКА!");
    result.HorzLines.clear();
    result.VertLines.clear();
    return false;
  }
  result.Found = !result.HorzLines.empty() || !result.VertLines.empty();
  return true;
}
