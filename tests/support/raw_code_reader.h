// A reader of the graphics commands a raw printer stream may carry (PCL raster and rectangles,
// HP-GL/2 rectangles, Tally plot lines, ESC/P and IBM bit images), written from the command sets
// alone: it rebuilds what a printer would draw, so tests can compare it with the code picture.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Dots drawn, growing in every direction; y grows downward.
class TDotCanvas {
 public:
  void Set(int64_t x, int64_t y);
  bool Get(int64_t x, int64_t y) const;
  // Every dot of [x0, x1) x [y0, y1).
  void Fill(int64_t x0, int64_t y0, int64_t x1, int64_t y1);
  bool Empty() const { return rows_.empty(); }
  int64_t Top() const { return rows_.empty() ? 0 : rows_.begin()->first; }
  int64_t Bottom() const { return rows_.empty() ? 0 : rows_.rbegin()->first + 1; }
  int64_t Right() const;
  // The rows [top, bottom) and columns [0, right) as text, '#' dark, '.' light, one line per row.
  std::string Ascii(int64_t top, int64_t bottom, int64_t right) const;
  size_t DotCount() const;

 private:
  std::map<int64_t, std::vector<uint8_t>> rows_;
};

struct TReadCode {
  TDotCanvas Dots;
  int32_t UnitsX = 0;  // dots per inch of the canvas
  int32_t UnitsY = 0;
  std::string Error;  // empty when everything was understood
  // Text-line moves met before the graphics (PCL: the rows of ESC & a R; others: line feeds).
  int32_t LinesBefore = 0;
  int32_t ColumnsBefore = 0;  // PCL: ESC & a C; bit images: blanks before the first image
};

// PCL 5 with HP-GL/2 inside: the canvas starts at the cursor where the first graphics command meets it,
// in PCL units of pclUnits per inch (HP-GL/2 in plotter units, 1016 per inch, pen start at (0, 0)).
TReadCode ReadPclCode(std::string_view stream, int32_t pclUnits);
// Tally plot mode: the canvas starts at the first plot line.
TReadCode ReadTallyPlot(std::string_view stream);

enum class TPinDialect { EscP9, EscP24, Ibm };
// ESC/P or IBM Proprinter bit images: the canvas starts at the head position of the first image
// command, x at the left margin; blanks move the head by 1 / pitch inch.
TReadCode ReadBitImage(std::string_view stream, TPinDialect dialect, double pitch);

// The module picture, rows of (width + 7) / 8 bytes with the most significant bit leftmost, from the dot
// under each module's centre; rowShift is the modules the code was drawn above its place.
std::vector<uint8_t> SampleModules(const TReadCode& read, int32_t width, int32_t height, int32_t moduleSize,
                                   int32_t rowShift);
