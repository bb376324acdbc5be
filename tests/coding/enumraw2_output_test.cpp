// The code as printer commands: the small encoders by their tables, exact bytes where the printer
// languages leave no choice, and every output form read back by the test-side reader, which must give
// the code picture again (and zxing-cpp the message of a real Aztec symbol).
#include "coding/enumraw2_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "coding/aztencod.h"
#include "coding/enumraw2.h"
#include "coding/lib_graph.h"
#include "support/code_image.h"
#include "support/raw_code_reader.h"

#ifndef _WIN32
#include "aztec_readers.h"
#endif

namespace {

using namespace std::string_literals;

// A picture from rows of '#' (dark) and '.'.
struct TTestPicture {
  TMonoPicture Bits;
  int32_t Width = 0;
  int32_t Height = 0;
  bool Dark(int32_t x, int32_t y) const { return (Bits[static_cast<size_t>(y) * ((Width + 7) / 8) + x / 8] >> (7 - x % 8)) & 1; }
};

TTestPicture FromAscii(const std::vector<std::string>& rows) {
  TTestPicture p;
  p.Height = static_cast<int32_t>(rows.size());
  p.Width = rows.empty() ? 0 : static_cast<int32_t>(rows[0].size());
  p.Bits.assign(static_cast<size_t>((p.Width + 7) / 8) * p.Height, 0);
  for (int32_t y = 0; y < p.Height; ++y)
    for (int32_t x = 0; x < p.Width; ++x)
      if (rows[y][x] == '#') p.Bits[static_cast<size_t>(y) * ((p.Width + 7) / 8) + x / 8] |= 0x80 >> (x % 8);
  return p;
}

std::string Ascii(const TTestPicture& p) {
  std::string s;
  for (int32_t y = 0; y < p.Height; ++y) {
    for (int32_t x = 0; x < p.Width; ++x) s += p.Dark(x, y) ? '#' : '.';
    s += '\n';
  }
  return s;
}

TTestPicture Aztec(const std::string& message, int symbols = 1) {
  TAztCoder coder;
  coder.SetData(message);
  coder.SetSymbolCount(symbols);
  coder.SetGap(3);
  EXPECT_EQ(coder.Encode(), AztOk);
  return {coder.Picture(), coder.PictureWidth(), coder.SymbolSize()};
}

// Two pictures, the second below the first after `gap` light rows and moved right by `shift` columns.
TTestPicture Stacked(const TTestPicture& a, const TTestPicture& b, int32_t gap, int32_t shift) {
  TTestPicture p;
  p.Width = std::max(a.Width, b.Width + shift);
  p.Height = a.Height + gap + b.Height;
  p.Bits.assign(static_cast<size_t>(PictureByteSize({p.Width, p.Height})), 0);
  OrMonoBitmap(p.Bits, {p.Width, p.Height}, 0, 0, {a.Width, a.Height}, a.Bits);
  OrMonoBitmap(p.Bits, {p.Width, p.Height}, shift, a.Height + gap, {b.Width, b.Height}, b.Bits);
  return p;
}

TTestPicture Random(int32_t width, int32_t height, uint32_t seed, std::vector<int32_t> lightRows) {
  std::mt19937 rng(seed);
  std::vector<std::string> rows(static_cast<size_t>(height), std::string(static_cast<size_t>(width), '.'));
  for (int32_t y = 0; y < height; ++y) {
    if (std::find(lightRows.begin(), lightRows.end(), y) != lightRows.end()) continue;
    for (int32_t x = 0; x < width; ++x) rows[y][x] = rng() % 2 ? '#' : '.';
  }
  return FromAscii(rows);
}

TCodeOutputInput Input(const TTestPicture& p, int32_t mode, int32_t moduleSize, int32_t dpiX, int32_t dpiY) {
  TCodeOutputInput in;
  in.Picture = p.Bits;
  in.Width = p.Width;
  in.Height = p.Height;
  in.ModuleSize = moduleSize;
  in.OutputMode = mode;
  in.DpiX = dpiX;
  in.DpiY = dpiY;
  in.CurrentPitch = 10;
  return in;
}

std::string Commands(const TCodeOutputInput& in) {
  std::string out;
  EXPECT_TRUE(MakeCodeCommandsFor(in, out));
  return out;
}

// ---------------------------------------------------------------------------------------------------
// The small encoders.

TEST(RawCodeOutput, LineFeedTextByAutoCRLF) {
  struct {
    int32_t autoCRLF, n;
    std::string expected;
  } cases[] = {
      {0, 3, "\r\n\n\n"}, {1, 3, "\n\n\n"}, {2, 3, "\r\r\r"},
      {0, 0, "\r"},       {1, 0, "\n"},     {2, 0, "\r"},  // one line end at least, except CR alone
      {0, -2, "\r"},      {1, -2, "\n"},    {7, 1, "\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(LineFeedText(c.autoCRLF, c.n), c.expected) << c.autoCRLF << " " << c.n;
}

TEST(RawCodeOutput, RowSignAndPclHeader) {
  struct {
    int16_t row;
    int32_t picTop;
    std::string header;
  } cases[] = {
      {-2, 0, "\x1b&f0S\x1b&a-2R\x1b&a5C"},  // the number carries its sign
      {-2, 1, "\x1b&f0S\x1b&a+0R\x1b&a5C"},  // code on top: the row offset counts as 0
      {3, 0, "\x1b&f0S\x1b&a+3R\x1b&a5C"},
      {0, 0, "\x1b&f0S\x1b&a+0R\x1b&a5C"},
  };
  const TTestPicture p = FromAscii({"#"});
  for (const auto& c : cases) {
    EXPECT_EQ(RelativeRowSign(c.row, c.picTop), c.row < 0 && c.picTop == 0 ? "" : "+");
    for (int32_t mode : {kModeRastr, kModeRect, kModeRectMF, kModeHPGL}) {
      TCodeOutputInput in = Input(p, mode, 100, 300, 300);
      in.PicPlace = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(c.row)) << 16 | 5);
      in.PicTop = c.picTop;
      EXPECT_EQ(Commands(in).substr(0, c.header.size()), c.header) << mode << " " << c.row;
    }
  }
}

TEST(RawCodeOutput, PackRasterRowRuns) {
  struct {
    std::string row, packed, why;
  } cases[] = {
      {"", "", "an empty row packs to nothing"},
      {"\x01", "\x00\x01"s, "a single byte"},
      {"\x05\x05\x05\x07", "\x02\x05\x00\x07"s, "a run, then a different byte"},
      {std::string(256, '\xFF'), "\xFF\xFF"s, "256 equal bytes make one pair"},
      {std::string(257, '\xFF'), "\xFF\xFF\x00\xFF"s, "the 257th starts a new pair"},
      {"\x00\xF0\x00"s, "\x00\x00\x00\xF0\x00\x00"s, "no run across changes"},
  };
  for (const auto& c : cases) {
    std::string out = "keep";
    PackRasterRow(c.row, out);
    EXPECT_EQ(out, "keep" + c.packed) << c.why;
  }
}

TEST(RawCodeOutput, EncodePlotCount) {
  struct {
    int32_t v;
    std::string out;
  } cases[] = {{0, ""}, {1, "\x21"}, {15, "\x2F"}, {16, "\x20\x31"}, {45, "\x2D\x32"}, {255, "\x2F\x3F"}};
  for (const auto& c : cases) {
    std::string out;
    EncodePlotCount(c.v, out);
    EXPECT_EQ(out, c.out) << c.v;
  }
}

TEST(RawCodeOutput, ExpandModeTemplate) {
  const std::string data(100, '\x5A');
  struct {
    std::string tmpl;
    int32_t count;
    std::string expected, why;
  } cases[] = {
      {"#1B*%b%w%s#1BJ#18", 100, "\x1b*\x64\x64\x00"s + data + "\x1bJ\x18", "an 8-pin band of 100 columns"},
      {"%B%W%S", 0x1234, "\x34\x34\x12"s + data, "upper-case tokens"},
      {"%i:%I", 1234, "1234:1234", "decimal count; the colon outside tokens is kept"},
      {"/x/%/#", 0, "x%#", "a slash gives the next character, whatever it is"},
      {"%z%", 0, "", "an unknown % token and a % alone at the end give nothing"},
      {"ab/", 0, "ab", "a slash alone at the end gives nothing; letters before are kept"},
      {"#4", 0, "\x04", "one digit at the end is the low digit"},
      {"#", 0, "", "a # alone at the end gives nothing"},
      {"#G1#zz", 0, "\x01\x00"s, "a character that is not a hex digit counts as 0"},
      {"#1b#Ff", 0, "\x1b\xff", "hex digits of either case"},
      {"", 3, "", "an empty template"},
  };
  for (const auto& c : cases) {
    std::string out;
    ExpandModeTemplate(c.tmpl, data, c.count, out);
    EXPECT_EQ(out, c.expected) << c.why;
  }
}

// ---------------------------------------------------------------------------------------------------
// Exact bytes.

TEST(RawCodeOutput, RastrLightRowIsAnEmptyTransferWithItsRepeats) {
  // 100 x 300 / 2540 = 11.8 dots: rows end at dot rows 12, 24, 35.
  const TTestPicture p = FromAscii({"#.", "..", ".#"});
  const std::string out = Commands(Input(p, kModeRastr, 100, 300, 300));
  const std::string r11 = [] {
    std::string s;
    for (int i = 0; i < 11; ++i) s += "\x1b*b3m0W";
    return s;
  }();
  EXPECT_EQ(out, "\x1b&f0S\x1b&a+0R\x1b&a0C\x1b*t300R\x1b*r0F\x1b*r1A"
                 "\x1b*b1m4W\x00\xFF\x00\xF0"s + r11 +                       // dots 0-11
                     "\x1b*b1m0W" + r11 +                                     // all light
                     "\x1b*b1m6W\x00\x00\x00\x0F\x00\xFF"s + r11.substr(7) +  // dots 12-23, 11 dot rows
                     "\x1b*rB\r\x1b&f1S");
}

TEST(RawCodeOutput, RectMovesDownExactlyToEveryDrawnRow) {
  // 254 x 300 / 2540 = 30 dots a module. The second row is light, so the cursor goes two rows down;
  // the third row's run lies right of the cursor, so it moves right and down at once.
  const TTestPicture p = FromAscii({"#..", "...", "..#", "#.#"});
  EXPECT_EQ(Commands(Input(p, kModeRect, 254, 300, 300)),
            "\x1b&f0S\x1b&a+0R\x1b&a0C"
            "\x1b*p+0X\x1b*c31a31b0P"
            "\x1b*p+60x+60Y\x1b*c31a31b0P"
            "\x1b*p-60x+30Y\x1b*c31a31b0P"
            "\x1b*p+60X\x1b*c31a31b0P"
            "\x1b&f1S");
  // Decipoints: 254 x 720 / 2540 = 72 a module; the fill is 254 x 300 / 2540 + 1 = 31 dots square.
  EXPECT_EQ(Commands(Input(p, kModeRectMF, 254, 300, 300)),
            "\x1b&f0S\x1b&a+0R\x1b&a0C"
            "\x1b&a+0H\x1b*c31a31b0P"
            "\x1b&a+144h+144V\x1b*c31a31b0P"
            "\x1b&a-144h+72V\x1b*c31a31b0P"
            "\x1b&a+144H\x1b*c31a31b0P"
            "\x1b&f1S");
}

TEST(RawCodeOutput, HpglRowsInPlotterUnits) {
  // 100 / 2.5 = 40 plotter units a module; Y grows upward, so rows go down by negative steps.
  const TTestPicture p = FromAscii({".##", "...", "#.#"});
  EXPECT_EQ(Commands(Input(p, kModeHPGL, 100, 300, 300)),
            "\x1b&f0S\x1b&a+0R\x1b&a0C\x1b%1B\r\nSP1;PU;FT1;\r\n"
            "PR40,0;RR80,40;\r\n"
            "\r\n"
            "PR-40,-80;RR40,40;PR80,0;RR40,40;\r\n"
            "\x1b%1A\r\x1b&f1S");
}

TEST(RawCodeOutput, MTPlotOffsetAndLines) {
  const TTestPicture p = FromAscii({"#.#"});
  struct {
    int16_t column;
    int32_t dpi;
    std::string offset, why;
  } cases[] = {
      {0, 360, "", "column 0 has no offset"},
      {50, 360, "@\x2F\x3F@\x2D\x32", "300 groups: 255, then 45"},
      {1, 60, "@\x21", "1 / 10 inch at 60 dpi is one group"},
  };
  for (const auto& c : cases) {
    TCodeOutputInput in = Input(p, kModeMTPlot, 254, c.dpi, 72);  // 7.2 dot rows: 7 lines
    in.PicPlace = c.column | 2 << 16;
    in.AutoCRLF = 1;
    const std::string out = Commands(in);
    const int32_t dotsPerModule = c.dpi / 10;
    std::string groups((3 * dotsPerModule + 5) / 6, '\0');
    for (int32_t d = 0; d < 3 * dotsPerModule; ++d)
      if (d < dotsPerModule || d >= 2 * dotsPerModule) groups[d / 6] = static_cast<char>(groups[d / 6] | 1 << d % 6);
    for (char& g : groups) g = static_cast<char>(g + 0x40);
    std::string lines;
    for (int i = 0; i < 7; ++i) lines += c.offset + groups + "\n";
    EXPECT_EQ(out, "\n\n\x1b[" + std::to_string(c.dpi) + ";72!q\x1b[<3h\n" + lines + "\x1b[<3l\x1bP@") << c.why;
  }
}

TEST(RawCodeOutput, TwentyFourPinBandsSplitModules) {
  // 71 x 180 / 2540 = 5.03: module 0 covers dots 0-4; module row 4 covers dot rows 20-24, the last four
  // pins of band 0 and the top pin of band 1.
  const TTestPicture p = FromAscii({"#", ".", ".", ".", "#"});
  TCodeOutputInput in = Input(p, 24, 71, 180, 180);
  in.ModeTemplate = "#1B*#27%w%s#1BJ#18";
  in.AutoCRLF = 1;
  in.PicPlace = 2;
  const std::string band0 = [] {
    std::string s;
    for (int i = 0; i < 5; ++i) s += "\xF8\x00\x0F"s;
    return s;
  }();
  const std::string band1 = [] {
    std::string s;
    for (int i = 0; i < 5; ++i) s += "\x80\x00\x00"s;
    return s;
  }();
  EXPECT_EQ(Commands(in), "\n  \x1b*\x27\x05\x00"s + band0 + "\x1bJ\x18\r  \x1b*\x27\x05\x00"s + band1 + "\x1bJ\x18\r");
  in.AutoCRLF = 2;  // CR feeds a line there: no CR after a band
  EXPECT_EQ(Commands(in), "\r  \x1b*\x27\x05\x00"s + band0 + "\x1bJ\x18  \x1b*\x27\x05\x00"s + band1 + "\x1bJ\x18");
}

TEST(RawCodeOutput, NinePinEntriesAndLeadingLightBand) {
  // 254 x 72 / 2540 = 7.2 dots: module row 1 covers dot rows 7-13, pins 8 and 9 of band 0 and pins 1-5
  // of band 1; 254 x 60 / 2540 = 6 columns.
  const TTestPicture p = FromAscii({".", "#"});
  TCodeOutputInput in = Input(p, 9, 254, 60, 72);
  in.ModeTemplate = "#1B^#00%w%s#1BJ#1B";
  const auto columns = [](const std::string& entry) {
    std::string s;
    for (int i = 0; i < 6; ++i) s += entry;
    return s;
  };
  EXPECT_EQ(Commands(in), "\r\x1b^\x00\x06\x00"s + columns("\x01\x80"s) + "\x1bJ\x1B\r\x1b^\x00\x06\x00"s +
                              columns("\xF8\x00"s) + "\x1bJ\x1B\r");
}

TEST(RawCodeOutput, LongBandIsCutAtAWholeColumn) {
  // 230 modules of 100 dots: 23000 columns, 69000 bytes; 21845 columns of 3 bytes fit 65535.
  TTestPicture p = FromAscii({std::string(230, '#')});
  TCodeOutputInput in = Input(p, 24, 254, 1000, 180);
  in.ModeTemplate = "%w|%s|";
  const std::string out = Commands(in);
  ASSERT_EQ(out.size(), 1 + 2 + 1 + 65535 + 1 + 1);
  EXPECT_EQ(out.substr(1, 3), "\x55\x55|");  // 21845
  EXPECT_EQ(out.substr(out.size() - 2), "|\r");
}

TEST(RawCodeOutput, RefusedInputsLeaveNoCommands) {
  const TTestPicture p = FromAscii({"#.", ".#"});
  struct {
    const char* why;
    void (*change)(TCodeOutputInput&);
  } cases[] = {
      {"unknown mode", [](TCodeOutputInput& in) { in.OutputMode = 12; }},
      {"mode 0", [](TCodeOutputInput& in) { in.OutputMode = 0; }},
      {"module size 0", [](TCodeOutputInput& in) { in.ModuleSize = 0; }},
      {"negative dpi", [](TCodeOutputInput& in) { in.DpiY = -300; }},
      {"picture shorter than its size", [](TCodeOutputInput& in) { in.Height = 3; }},
      {"negative width", [](TCodeOutputInput& in) { in.Width = -1; }},
      {"code wider than the limit", [](TCodeOutputInput& in) { in.ModuleSize = 1000000, in.DpiX = 100; }},
      {"Tally without a pitch", [](TCodeOutputInput& in) { in.OutputMode = kModeMTPlot, in.CurrentPitch = 0; }},
      {"Tally offset off the paper",
       [](TCodeOutputInput& in) { in.OutputMode = kModeMTPlot, in.CurrentPitch = 0.001, in.PicPlace = 100; }},
  };
  for (const auto& c : cases) {
    TCodeOutputInput in = Input(p, kModeRastr, 50, 300, 300);
    c.change(in);
    std::string out = "stale";
    EXPECT_FALSE(MakeCodeCommandsFor(in, out)) << c.why;
    EXPECT_TRUE(out.empty()) << c.why;
  }
  // The limit itself fits: two modules of 41614 at 1000 dpi are 32766.9 dots; of 41615, 32767.7.
  TCodeOutputInput in = Input(p, kModeRect, 41614, 1000, 1000);
  std::string out;
  EXPECT_TRUE(MakeCodeCommandsFor(in, out));
  in.ModuleSize = 41615;
  EXPECT_FALSE(MakeCodeCommandsFor(in, out));
}

// ---------------------------------------------------------------------------------------------------
// Read back.

struct TForm {
  const char* Name;
  int32_t Mode;
  int32_t DpiX, DpiY;
  const char* Template;
  TPinDialect Dialect;
  int32_t RowShift;  // modules the reader finds the code above the insertion point
};

const TForm kForms[] = {
    {"PCL raster 300", kModeRastr, 300, 300, "", TPinDialect::Ibm, 0},
    {"PCL raster 600", kModeRastr, 600, 600, "", TPinDialect::Ibm, 0},
    {"PCL rectangles", kModeRect, 300, 300, "", TPinDialect::Ibm, 0},
    {"PCL rectangles 600", kModeRect, 600, 600, "", TPinDialect::Ibm, 0},
    {"PCL module rectangles", kModeRectMF, 300, 300, "", TPinDialect::Ibm, 0},
    {"PCL module rectangles 600", kModeRectMF, 600, 600, "", TPinDialect::Ibm, 0},
    // RR fills from the pen upward (Y grows up), so each row is drawn over the row above its place.
    {"HP-GL/2", kModeHPGL, 300, 300, "", TPinDialect::Ibm, -1},
    {"Tally plot 144", kModeMTPlot, 144, 144, "", TPinDialect::Ibm, 0},
    {"Tally plot 180x72", kModeMTPlot, 180, 72, "", TPinDialect::Ibm, 0},
    {"ESC/P 8-pin", 8, 120, 72, "#1B*#01%w%s#1BJ#18", TPinDialect::EscP9, 0},
    {"ESC/P 9-pin", 9, 120, 72, "#1B^#01%w%s#1BJ#1B", TPinDialect::EscP9, 0},
    {"ESC/P 24-pin 180", 24, 180, 180, "#1B*#27%w%s#1BJ#18", TPinDialect::EscP24, 0},
    {"ESC/P 24-pin 360x180", 24, 360, 180, "#1B*#28%w%s#1BJ#18", TPinDialect::EscP24, 0},
    {"IBM 8-pin", 8, 240, 72, "#1BZ%w%s#1BJ#18", TPinDialect::Ibm, 0},
};

TReadCode ReadForm(const TForm& form, const std::string& commands, double pitch) {
  if (form.Mode == kModeMTPlot) return ReadTallyPlot(commands);
  if (form.Mode < 0) return ReadPclCode(commands, form.DpiX);
  return ReadBitImage(commands, form.Dialect, pitch);
}

// The module picture again, from the dot under each module's centre.
TTestPicture Sample(const TReadCode& read, const TTestPicture& like, int32_t moduleSize, int32_t rowShift) {
  return {SampleModules(read, like.Width, like.Height, moduleSize, rowShift), like.Width, like.Height};
}

// The dots an exact form must print: module k spans [nearest(k m d / 2540), nearest((k + 1) m d / 2540)).
int64_t Edge(int64_t k, int32_t moduleSize, int32_t dpi) {
  const double v = static_cast<double>(k) * moduleSize * dpi / 2540;
  return static_cast<int64_t>(std::nearbyint(v));
}

std::string ExpectedDots(const TTestPicture& p, int32_t moduleSize, int32_t dpiX, int32_t dpiY) {
  TDotCanvas c;
  for (int32_t y = 0; y < p.Height; ++y)
    for (int32_t x = 0; x < p.Width; ++x)
      if (p.Dark(x, y))
        c.Fill(Edge(x, moduleSize, dpiX), Edge(y, moduleSize, dpiY), Edge(x + 1, moduleSize, dpiX),
               Edge(y + 1, moduleSize, dpiY));
  return c.Ascii(0, Edge(p.Height, moduleSize, dpiY), Edge(p.Width, moduleSize, dpiX));
}

struct TPictureCase {
  const char* Name;
  TTestPicture Picture;
};

std::vector<TPictureCase> ReadBackPictures() {
  const TTestPicture a = Aztec("STACKED-1"), b = Aztec("2");
  return {
      {"light rows inside, first and last", Random(13, 10, 7, {0, 3, 4, 9})},
      {"light first column and single dots", FromAscii({"...", ".#.", "...", "..#", "#.."})},
      {"two symbols side by side with a gap", Aztec("SIDE BY SIDE", 2)},
      {"stacked symbols with a gap of light rows", Stacked(a, b, 4, 6)},
  };
}

TEST(RawCodeOutputReadBack, EveryFormGivesThePictureBack) {
  const std::vector<TPictureCase> pictures = ReadBackPictures();
  for (const TForm& form : kForms) {
    // Modules of at least one dot in the coarser direction.
    const int32_t minimum = (2540 + std::min(form.DpiX, form.DpiY) - 1) / std::min(form.DpiX, form.DpiY);
    for (int32_t moduleSize : {std::max(25, minimum), 33, 71, 100}) {
      if (moduleSize < minimum) continue;
      for (const TPictureCase& pc : pictures) {
        SCOPED_TRACE(std::string(form.Name) + ", module " + std::to_string(moduleSize) + ", " + pc.Name);
        TCodeOutputInput in = Input(pc.Picture, form.Mode, moduleSize, form.DpiX, form.DpiY);
        in.ModeTemplate = form.Template;
        const std::string commands = Commands(in);
        const TReadCode read = ReadForm(form, commands, in.CurrentPitch);
        ASSERT_EQ(read.Error, "");
        if (form.Mode != kModeHPGL) {
          EXPECT_EQ(read.UnitsX, form.DpiX);
          EXPECT_EQ(read.UnitsY, form.DpiY);
        }
        EXPECT_EQ(Ascii(Sample(read, pc.Picture, moduleSize, form.RowShift)), Ascii(pc.Picture));
        const bool exact = form.Mode == kModeRastr || form.Mode == kModeMTPlot || form.Mode > 0;
        if (exact) {
          const int64_t w = Edge(pc.Picture.Width, moduleSize, form.DpiX);
          const int64_t h = Edge(pc.Picture.Height, moduleSize, form.DpiY);
          EXPECT_EQ(read.Dots.Ascii(0, h, w), ExpectedDots(pc.Picture, moduleSize, form.DpiX, form.DpiY));
          EXPECT_GE(read.Dots.Top(), 0);
          EXPECT_LE(read.Dots.Right(), w);
        }
      }
    }
  }
}

TEST(RawCodeOutputReadBack, PlaceBeforeTheCode) {
  const TTestPicture p = FromAscii({"#"});
  for (const TForm& form : kForms) {
    SCOPED_TRACE(form.Name);
    TCodeOutputInput in = Input(p, form.Mode, 100, form.DpiX, form.DpiY);
    in.ModeTemplate = form.Template;
    in.AutoCRLF = 1;
    in.PicPlace = 4 | 3 << 16;
    const TReadCode read = ReadForm(form, Commands(in), in.CurrentPitch);
    ASSERT_EQ(read.Error, "");
    EXPECT_EQ(read.LinesBefore, 3);
    if (form.Mode == kModeMTPlot) {
      // 4 characters at 10 per inch: 0.4 inch in groups of six dots.
      const int64_t left = std::llround(std::nearbyint(0.4 * form.DpiX / 6) * 6);
      EXPECT_TRUE(read.Dots.Get(left, 0));
      EXPECT_FALSE(read.Dots.Get(left - 1, 0));
    } else {
      EXPECT_EQ(read.ColumnsBefore, 4);
    }
  }
}

#ifndef _WIN32
TEST(RawCodeOutputReadBack, ZxingDecodesEveryFormOfARealSymbol) {
  using namespace aztec_readers;
  ASSERT_TRUE(HaveZxing()) << "python3-zxing-cpp for /usr/bin/python3 is needed (scripts/setup installs it)";
  const std::string message = "Счёт 4711 от 12.03.2024; сумма 1.234,56";
  const TTestPicture symbol = Aztec(message);
  std::vector<std::vector<uint8_t>> images;
  std::vector<std::string> names;
  for (const TForm& form : kForms) {
    const int32_t moduleSize = form.DpiY < 100 ? 71 : 33;
    TCodeOutputInput in = Input(symbol, form.Mode, moduleSize, form.DpiX, form.DpiY);
    in.ModeTemplate = form.Template;
    const TReadCode read = ReadForm(form, Commands(in), in.CurrentPitch);
    ASSERT_EQ(read.Error, "") << form.Name;
    const TTestPicture rebuilt = Sample(read, symbol, moduleSize, form.RowShift);
    images.push_back(SymbolImage(rebuilt.Bits, {rebuilt.Width, rebuilt.Height}, 0, rebuilt.Width));
    names.push_back(form.Name);
    if (form.Mode == kModeRastr && form.DpiX == 300) {
      // The printed dots themselves, not sampled.
      const int64_t w = read.Dots.Right(), h = read.Dots.Bottom();
      TTestPicture dots{TMonoPicture(static_cast<size_t>(PictureByteSize({static_cast<int32_t>(w), static_cast<int32_t>(h)})), 0),
                        static_cast<int32_t>(w), static_cast<int32_t>(h)};
      for (int64_t y = 0; y < h; ++y)
        for (int64_t x = 0; x < w; ++x)
          if (read.Dots.Get(x, y)) dots.Bits[static_cast<size_t>(y) * ((w + 7) / 8) + x / 8] |= 0x80 >> (x % 8);
      images.push_back(SymbolImage(dots.Bits, {dots.Width, dots.Height}, 0, dots.Width, 16, 1));
      names.push_back("PCL raster dots");
    }
  }
  TTempDir dir;
  const std::vector<TDecoded> decoded = ZxingDecode(dir, images);
  for (size_t i = 0; i < decoded.size(); ++i) {
    EXPECT_TRUE(decoded[i].Found) << names[i];
    EXPECT_EQ(decoded[i].Bytes, message) << names[i];
  }
}
#endif

}  // namespace
