// Line finder core: compression factors, the grid cut from BMP words, the headers it accepts, the
// window test and the run search on hand-made grids, and a whole page image searched with its log.
#include "coding/cl_dib.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "support/coder_fakes.h"
#include "support/dib_images.h"

static void PrintTo(const TRect& r, std::ostream* os) {
  *os << "{" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << "}";
}

namespace {

// A grid of one row per text line, '#' dark.
TDibGrid Grid(std::initializer_list<std::string> rows) {
  TDibGrid grid;
  grid.Height = static_cast<int32_t>(rows.size());
  for (const std::string& row : rows) {
    grid.Width = static_cast<int32_t>(row.size());
    for (char c : row) grid.Cells.push_back(c == '#' ? 1 : 0);
  }
  return grid;
}

std::string Row(int32_t length, std::initializer_list<std::pair<int32_t, int32_t>> dark) {
  std::string row(static_cast<size_t>(length), '.');
  for (auto [from, to] : dark)
    for (int32_t x = from; x <= to; ++x) row[static_cast<size_t>(x)] = '#';
  return row;
}

// Evenly spread dark cells: every step-th cell light, or every step-th cell dark.
std::vector<uint8_t> Spread(int32_t m, int32_t step, bool mostlyDark) {
  std::vector<uint8_t> cells(static_cast<size_t>(m));
  for (int32_t i = 0; i < m; ++i) cells[static_cast<size_t>(i)] = ((i % step == step - 1) != mostlyDark) ? 1 : 0;
  return cells;
}

TRunParams Params(int32_t m, int32_t e, int32_t t, double levelPer = 0.95, double levelBW = 0.95) {
  return TRunParams{m, e, t, 0.5 * levelPer * m, m * levelBW};
}

TDibBitmap Parsed(const std::vector<uint8_t>& file, TByteReader& reader) {
  reader.Assign(file);
  TDibBitmap bitmap;
  EXPECT_EQ(ReadDibFile(reader, bitmap), u"");
  return bitmap;
}

std::vector<std::pair<int32_t, int32_t>> DarkCells(const TDibGrid& grid) {
  std::vector<std::pair<int32_t, int32_t>> out;
  for (int32_t y = 0; y < grid.Height; ++y)
    for (int32_t x = 0; x < grid.Width; ++x)
      if (grid.Cells[static_cast<size_t>(y * grid.Width + x)]) out.emplace_back(x, y);
  return out;
}

}  // namespace

TEST(DibCompression, FactorsAndGridSizes) {
  struct Case {
    int32_t pixels, wanted, factor, cells;
    const char* why;
  } across[] = {
      {4960, 600, 8, 620, "A4 at 600 dpi: 4960 div 4 = 1240 is not below 900, 4960 div 8 = 620 is"},
      {2480, 600, 4, 624, "A4 at 300 dpi: 78 words of 32 pixels"},
      {1800, 600, 4, 456, "1800 div 2 = 900 is at least 900; 57 words"},
      {1799, 600, 2, 912, "1799 div 2 = 899 is below 900"},
      {200000, 600, 32, 6250, "never more than 32"},
      {100, 0, 32, 4, "no wanted size: as coarse as it goes"},
      {100, 2000000000, 32, 4, "3 / 2 of the wanted size overflows: MulDiv answers -1"},
      {33, 600, 1, 64, "a second word for one pixel"},
  };
  for (const Case& c : across) {
    EXPECT_EQ(DibCompressionX(c.pixels, c.wanted), c.factor) << c.why;
    EXPECT_EQ(DibGridWidth(c.pixels, c.factor), c.cells) << c.why;
  }
  Case down[] = {
      {7016, 800, 9, 780, "A4 at 600 dpi: nearest(8.77) = 9"},
      {3508, 800, 4, 877, "A4 at 300 dpi: nearest(4.385) = 4"},
      {2500, 1000, 2, 1250, "2.5 goes to the even neighbour"},
      {3500, 1000, 4, 875, "3.5 goes to the even neighbour"},
      {300, 800, 1, 300, "fewer rows than wanted: at least 1"},
      {300, 0, 1, 300, "no wanted size: 1, not a division by zero"},
      {300, -5, 1, 300, "a negative wanted size: 1"},
  };
  for (const Case& c : down) {
    EXPECT_EQ(DibCompressionY(c.pixels, c.wanted), c.factor) << c.why;
    EXPECT_EQ(DibGridHeight(c.pixels, c.factor), c.cells) << c.why;
  }
}

TEST(DibGrid, OneBlackPixelLandsOnItsCell) {
  // Pixels are placed the way every BMP stores them; the grid has to undo the word and bit order.
  constexpr int32_t kWidth = 100, kHeight = 7;
  const int32_t columns[] = {0, 1, 6, 7, 8, 15, 16, 31, 32, 45, 63, 64, 95, 96, 99};
  for (int32_t f : {1, 2, 4, 8, 16, 32}) {
    for (int32_t x : columns) {
      for (int32_t y : {0, 4, 6}) {
        const auto file = MakeDibFile(kWidth, kHeight, [&](int32_t px, int32_t py) { return px == x && py == y; });
        TByteReader reader;
        const TDibGrid grid = BuildDibGrid(Parsed(file, reader), f, 3);
        ASSERT_EQ(grid.Width, DibGridWidth(kWidth, f));
        ASSERT_EQ(grid.Height, 3);
        std::vector<std::pair<int32_t, int32_t>> expected;
        // A cell reaching past the image's last whole cell is not looked at.
        if (x / f < kWidth / f) expected.emplace_back(x / f, y / 3);
        EXPECT_EQ(DarkCells(grid), expected) << "f " << f << ", pixel (" << x << ", " << y << ")";
      }
    }
  }
}

TEST(DibGrid, TransposeSwapsRowsAndColumns) {
  const TDibGrid grid = Grid({"#..", "..#"});
  const TDibGrid t = TransposeDibGrid(grid);
  EXPECT_EQ(t.Width, 2);
  EXPECT_EQ(t.Height, 3);
  EXPECT_EQ(t.Cells, (std::vector<uint8_t>{1, 0, 0, 0, 0, 1}));
}

TEST(DibFile, AcceptsOnlyTheBitmapItWrites) {
  const auto good = MakeDibFile(40, 3, [](int32_t x, int32_t) { return x == 5; });
  ASSERT_EQ(good.size(), kDibHeadersSize + 8 * 3);
  {
    TByteReader reader(good);
    TDibBitmap bitmap;
    EXPECT_EQ(ReadDibFile(reader, bitmap), u"");
    EXPECT_EQ(bitmap.Width, 40);
    EXPECT_EQ(bitmap.Height, 3);
    EXPECT_EQ(bitmap.RowBytes, 8u);
    EXPECT_EQ(bitmap.Pixels.data(), good.data() + kDibHeadersSize);
    EXPECT_EQ(reader.Position(), kDibHeadersSize);
  }
  struct Case {
    size_t offset;
    std::vector<uint8_t> bytes;
    const char* why;
  } damage[] = {
      {0, {'B', 'A'}, "signature"},
      {2, {0x51}, "file size one more than the file"},
      {6, {1}, "reserved field"},
      {10, {0x3D}, "pixel offset one less"},
      {10, {0x3F}, "pixel offset one more"},
      {14, {0x6C}, "a version 4 header"},
      {18, {0}, "width 0"},
      {22, {0xFD, 0xFF, 0xFF, 0xFF}, "top-down rows (negative height)"},
      {26, {2}, "two planes"},
      {28, {8}, "8 bits per pixel"},
      {30, {1}, "run-length compressed"},
      {34, {0x19}, "image size one more"},
      {46, {3}, "three palette entries"},
      {54, {0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0}, "palette 0 white, 1 black"},
      {57, {1}, "palette reserved byte"},
  };
  for (const Case& c : damage) {
    auto file = good;
    std::copy(c.bytes.begin(), c.bytes.end(), file.begin() + static_cast<ptrdiff_t>(c.offset));
    TByteReader reader(file);
    TDibBitmap bitmap;
    EXPECT_NE(ReadDibFile(reader, bitmap), u"") << c.why;
    EXPECT_TRUE(bitmap.Pixels.empty()) << c.why;
  }
  for (size_t size : {size_t{0}, size_t{13}, kDibHeadersSize - 1, kDibHeadersSize, good.size() - 1, good.size() + 1}) {
    auto file = good;
    file.resize(size, 0xFF);
    TByteReader reader(file);
    TDibBitmap bitmap;
    EXPECT_NE(ReadDibFile(reader, bitmap), u"") << "a file of " << size << " bytes";
  }
  auto unsized = good;
  unsized[34] = 0;  // the image size may be left 0 in an uncompressed bitmap
  TByteReader reader(unsized);
  TDibBitmap bitmap;
  EXPECT_EQ(ReadDibFile(reader, bitmap), u"");
  EXPECT_TRUE(DibFileHeaders(0, 5).empty());
  EXPECT_TRUE(DibFileHeaders(5, -1).empty());
  EXPECT_TRUE(DibFileHeaders(2000000000, 2000).empty()) << "beyond the 32-bit file size";
}

TEST(WindowTest, DensityDecidesAnEvenlySpreadWindow) {
  // With the default levels an evenly spread window is a line above a density of 0.975, rejected below
  // 0.025 and undecided between.
  struct Case {
    std::vector<uint8_t> cells;
    TWindowAnswer answer;
    const char* why;
  } cases[] = {
      {Spread(80, 80, true), TWindowAnswer::Line, "79 of 80 dark: 0.9875"},
      {Spread(80, 80, false), TWindowAnswer::NoLine, "1 of 80 dark: 0.0125"},
      {Spread(80, 40, true), TWindowAnswer::Undecided, "78 of 80 dark: 0.975 itself is not above"},
      {Spread(80, 20, true), TWindowAnswer::Undecided, "76 of 80 dark: 0.95"},
      {Spread(80, 20, false), TWindowAnswer::Undecided, "4 of 80 dark: 0.05"},
      {std::vector<uint8_t>(80, 1), TWindowAnswer::Line, "solid"},
      {std::vector<uint8_t>(80, 0), TWindowAnswer::NoLine, "empty"},
  };
  for (const Case& c : cases) {
    const double m = static_cast<double>(c.cells.size());
    EXPECT_EQ(WindowTest(c.cells, 2, 0.5 * 0.95 * m, m * 0.95), c.answer) << c.why;
  }
  // Dashes of three cells in four: balanced at period 2, but folded at their own period one phase is
  // empty, and the mostly dark ones are not dark enough for a rule.
  const std::vector<uint8_t> dashes = Spread(40, 4, true);
  EXPECT_EQ(WindowTest(dashes, 2, 19, 38), TWindowAnswer::Undecided);
  EXPECT_EQ(WindowTest(dashes, 4, 19, 38), TWindowAnswer::NoLine);
}

TEST(RunSearch, RowsOfHandMadeGrids) {
  struct Case {
    std::string row;
    TRunParams params;
    TRectArray lines;
    const char* why;
  } cases[] = {
      {Row(40, {{5, 30}}), Params(20, 5, 3), {{5, 0, 30, 0}}, "a solid rule of 26 cells, 20 wanted"},
      {Row(40, {{5, 24}}), Params(20, 5, 3), {{5, 0, 24, 0}}, "exactly m cells"},
      {Row(40, {{2, 8}, {12, 30}}), Params(10, 5, 3), {{12, 0, 30, 0}}, "a short run first is no line"},
      {Row(80, {{0, 19}, {21, 49}}), Params(50, 5, 5), {{0, 0, 49, 0}},
       "a short rule with a nearly solid continuation: to the window's last dark cell"},
      {Row(130, {{0, 39}, {41, 98}}), Params(100, 5, 5), {{0, 0, 98, 0}},
       "the window's last cells light: the line ends at its last dark cell"},
      {Row(80, {{0, 19}, {21, 40}, {42, 49}}), Params(50, 5, 5), {}, "two gaps in 50: 0.96 is no rule"},
      {Row(30, {{20, 29}}), Params(10, 5, 3), {}, "a run starting in the last m cells is not examined"},
      {Row(30, {{19, 29}}), Params(10, 5, 3), {{19, 0, 29, 0}}, "one cell earlier it is"},
      {Row(40, {{5, 30}}), Params(40, 5, 3), {}, "m as long as the row: nothing fits"},
  };
  for (const Case& c : cases) {
    TRectArray lines;
    RunSearch(Grid({c.row}), c.params, 1, 0, 1, 1, lines);
    EXPECT_EQ(lines, c.lines) << c.why << "\n" << c.row;
  }
}

TEST(RunSearch, TextRowsGiveNoLine) {
  // Glyphs of three cells with one blank, and words of them with wider gaps: regular rhythms.
  const std::string letters = std::string(".") + [] {
    std::string s;
    for (int i = 0; i < 30; ++i) s += "###.";
    return s;
  }();
  const std::string words = [] {
    std::string s;
    for (int i = 0; i < 12; ++i) s += "##.##.###..";
    return s;
  }();
  for (const std::string& row : {letters, words}) {
    TRectArray lines;
    RunSearch(Grid({row, row, row}), Params(27, 9, 3), 1, 0, 1, 1, lines);
    EXPECT_TRUE(lines.empty()) << row << "\n" << lines.size() << " lines, the first " << testing::PrintToString(lines.empty() ? TRect{} : lines[0]);
  }
  // The same row without its gaps is a rule.
  TRectArray lines;
  RunSearch(Grid({std::string(100, '#')}), Params(27, 9, 3), 1, 0, 1, 1, lines);
  EXPECT_EQ(lines, (TRectArray{{0, 0, 99, 0}}));
}

TEST(RunSearch, DirectionsAndCompressionGivePixels) {
  // A vertical search walks the transposed grid: its rows are the page's columns.
  const TDibGrid page = Grid({"....", ".#..", ".#..", ".#..", "...."});
  TRectArray vertical;
  RunSearch(TransposeDibGrid(page), Params(3, 2, 1), 0, 1, 8, 9, vertical);
  EXPECT_EQ(vertical, (TRectArray{{12, 13, 12, 31}}));

  TRectArray lines;
  AddLineRect(lines, 2, 5, 3, 1, 0, 8, 9);
  AddLineRect(lines, 2, 5, 3, 0, 1, 8, 9);
  AddLineRect(lines, 0, 0, 0, 1, 0, 1, 1);
  EXPECT_EQ(lines, (TRectArray{{20, 31, 44, 31}, {28, 22, 28, 49}, {0, 0, 0, 0}}));
}

TEST(RunSearch, ParametersFromMillimetres) {
  // The default settings on an A4 grid of 620 x 780 cells.
  const TRunParams x = MakeRunParams(620, 210, 900, 300, 100, 0.95, 0.95);
  EXPECT_EQ(x.MinLength, 27);  // 26.57
  EXPECT_EQ(x.MaxPeriod, 9);   // 8.86
  EXPECT_EQ(x.Step, 3);        // 2.95
  EXPECT_DOUBLE_EQ(x.LevelPer, 0.5 * 0.95 * 27);
  EXPECT_DOUBLE_EQ(x.LevelBW, 27 * 0.95);
  const TRunParams y = MakeRunParams(780, 297, 500, 250, 100, 0.9, 0.9);
  EXPECT_EQ(y.MinLength, 13);  // 13.13
  EXPECT_EQ(y.MaxPeriod, 7);   // 6.57
  EXPECT_EQ(y.Step, 3);        // 2.63
  const TRunParams tiny = MakeRunParams(620, 210, 0, -300, 1, 0.95, 0.95);
  EXPECT_EQ(tiny.MinLength, 1);
  EXPECT_EQ(tiny.MaxPeriod, 1);
  EXPECT_EQ(tiny.Step, 1);
}

namespace {
// An A4 page at 300 dpi: a frame, a ruled table and rows of text-like dashes.
constexpr int32_t kPageWidth = 2480, kPageHeight = 3508;

const TDrawnRule kRules[] = {
    {{200, 200, 2280, 202}, true},     // frame
    {{200, 3300, 2280, 3302}, true},   //
    {{200, 200, 202, 3302}, false},    //
    {{2278, 200, 2280, 3302}, false},  //
    {{400, 600, 2000, 601}, true},     // table
    {{400, 900, 2000, 901}, true},     //
    {{400, 1200, 2000, 1201}, true},   //
    {{400, 600, 401, 1201}, false},    //
    {{1200, 600, 1201, 1201}, false},  //
    {{2000, 600, 2001, 1201}, false},  //
};

bool PageBlack(int32_t x, int32_t y) {
  for (const TDrawnRule& r : kRules)
    if (x >= r.Rect.Left && x <= r.Rect.Right && y >= r.Rect.Top && y <= r.Rect.Bottom) return true;
  // Text rows: glyphs 18 pixels wide, 6 apart, 30 high, words of five.
  for (int32_t row = 0; row < 6; ++row) {
    const int32_t top = 1500 + row * 80;
    if (y < top || y >= top + 30 || x < 400 || x >= 2000) continue;
    const int32_t inWord = (x - 400) % 150;
    return inWord < 120 && inWord % 24 < 18;
  }
  return false;
}

}  // namespace

TEST(SearchBitmapLines, FindsTheRulesOfAPageAndLogsEachStage) {
  const auto file = MakeDibFile(kPageWidth, kPageHeight, PageBlack);
  TByteReader reader(file);
  TMemoryLog log;
  TLineSearchSettings settings;
  TLineSearchResult result;
  ASSERT_TRUE(SearchBitmapLines(reader, settings, TSize{210, 297}, log.file, 0, result));
  EXPECT_TRUE(result.Found);
  EXPECT_EQ(result.CompressionX, 4);
  EXPECT_EQ(result.CompressionY, 4);
  EXPECT_EQ(settings.DIBSizeX, 624);
  EXPECT_EQ(settings.DIBSizeY, 877);
  const std::u16string time = u"- время выполнения: 0, ms";
  EXPECT_EQ(log.Lines, (std::vector<std::u16string>{time, u"  Обработка", u"    Сжатие по X x4", time,
                                                     u"    Сжатие по Y x4", time, u"    Поиск по X", time,
                                                     u"    Поиск по Y", time}));

  EXPECT_EQ(RulesMismatch(result, kRules), "");
}

TEST(SearchBitmapLines, RefusesWhatItCannotSearch) {
  struct Case {
    std::vector<uint8_t> file;
    TSize sizeMm;
    std::u16string lastLine;
    const char* why;
  } cases[] = {
      {MakeDibFile(64, 64, [](int32_t, int32_t y) { return y == 10; }), {0, 297},
       u"    Неверный размер страницы в миллиметрах", "no width in millimetres"},
      {MakeDibFile(64, 64, [](int32_t, int32_t y) { return y == 10; }), {210, -1},
       u"    Неверный размер страницы в миллиметрах", "a negative height in millimetres"},
      {std::vector<uint8_t>(20, 'B'), {210, 297}, u"    Неверный файл изображения: файл короче заголовков",
       "a short file"},
  };
  for (const Case& c : cases) {
    TByteReader reader(c.file);
    TMemoryLog log;
    TLineSearchSettings settings;
    TLineSearchResult result;
    result.Found = true;
    result.HorzLines.push_back({1, 2, 3, 4});
    EXPECT_FALSE(SearchBitmapLines(reader, settings, c.sizeMm, log.file, 0, result)) << c.why;
    EXPECT_FALSE(result.Found) << c.why;
    EXPECT_TRUE(result.HorzLines.empty()) << c.why;
    ASSERT_FALSE(log.Lines.empty());
    EXPECT_EQ(log.Lines.back(), c.lastLine) << c.why;
  }
  // A white page is searched to the end and has nothing.
  const auto white = MakeDibFile(64, 64, [](int32_t, int32_t) { return false; });
  TByteReader reader(white);
  TMemoryLog log;
  TLineSearchSettings settings;
  TLineSearchResult result;
  EXPECT_TRUE(SearchBitmapLines(reader, settings, TSize{210, 297}, log.file, 0, result));
  EXPECT_FALSE(result.Found);
  EXPECT_EQ(log.Lines.size(), 10u);
}
