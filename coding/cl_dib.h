// Long rules of a page found in its 1-bit image: the image is read from the BMP the Windows edge writes,
// compressed into a coarse grid of dark and light cells, and the grid's rows and columns are searched
// for runs long and solid enough to be lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "foundation/lib_file_reader.h"
#include "foundation/lib_sys.h"

class TLogFile;

// The values of the configuration key's "\Graphi" subkey, with their defaults. Lengths are in 0.01 mm.
struct TLineSearchSettings {
  int32_t Disabled = 1;
  // Wanted grid size; once a grid is built they hold its actual width and height in cells.
  int32_t DIBSizeX = 600;
  int32_t DIBSizeY = 800;
  int32_t EELMaxX = 300;
  int32_t EELMaxY = 250;
  int32_t LLenMinX = 900;
  int32_t LLenMinY = 500;
  int32_t StepX = 100;
  int32_t StepY = 100;
  double LevelPerX = 0.95;
  double LevelPerY = 0.9;
  double LevelBWX = 0.95;
  double LevelBWY = 0.9;
};

struct TLineSearchResult {
  bool Found = false;
  // Bitmap pixels per grid cell across and down.
  int32_t CompressionX = 1;
  int32_t CompressionY = 1;
  // In pixels of the rendered bitmap: horizontal lines have Top == Bottom, vertical ones Left == Right.
  TRectArray HorzLines;
  TRectArray VertLines;
};

// The BMP layout the finder writes and reads: file header, information header, two palette entries.
inline constexpr size_t kDibFileHeaderSize = 14;
inline constexpr size_t kDibInfoHeaderSize = 40;
inline constexpr size_t kDibHeadersSize = kDibFileHeaderSize + kDibInfoHeaderSize + 8;

// Bytes of one pixel row of a 1-bit bitmap: whole 32-bit words.
int64_t DibRowBytes(int32_t width);
// The 62 bytes before the pixels of a 1-bit bottom-up bitmap of width x height, palette 0 black and
// 1 white; empty when the file would not fit the format's 32-bit size field.
std::vector<uint8_t> DibFileHeaders(int32_t width, int32_t height);

// A parsed bitmap: Pixels are its rows bottom row first, RowBytes apart.
struct TDibBitmap {
  int32_t Width = 0;
  int32_t Height = 0;
  size_t RowBytes = 0;
  std::span<const uint8_t> Pixels;
};

// Reads the headers at the reader's start and leaves it at the pixel data. Only the bitmap DibFileHeaders
// describes is accepted, its every size and offset checked against the file; the reason otherwise.
std::u16string ReadDibFile(TByteReader& reader, TDibBitmap& bitmap);

// Compression across: f doubles from 1 while below 32 and width div f is at least dibSizeX x 3 / 2.
int32_t DibCompressionX(int32_t width, int32_t dibSizeX);
// Cells across: whole 32-bit words of pixels divided by f, rounded up.
int32_t DibGridWidth(int32_t width, int32_t compressionX);
// Compression down: the nearest whole number of rows per wanted cell, at least 1 (1 when it cannot be
// computed).
int32_t DibCompressionY(int32_t height, int32_t dibSizeY);
int32_t DibGridHeight(int32_t height, int32_t compressionY);

// One byte per cell, 1 dark, rows of Width cells.
struct TDibGrid {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Cells;
};

// The grid of the bitmap: a cell is dark when any of its pixels is black (a 0 bit). Columns reaching
// past the image's last whole cell stay light. Throws std::bad_alloc or std::length_error when the grid
// cannot be held.
TDibGrid BuildDibGrid(const TDibBitmap& bitmap, int32_t compressionX, int32_t compressionY);
// Rows become columns: the result has grid.Height cells across and grid.Width rows.
TDibGrid TransposeDibGrid(const TDibGrid& grid);

enum class TWindowAnswer { Undecided, Line, NoLine };

// Whether the window's cells, folded with period k, look like a solid rule (most cells dark in every
// phase), like no line, or cannot tell; p and q are the thresholds of the mismatch sums.
TWindowAnswer WindowTest(std::span<const uint8_t> cells, int32_t k, double p, double q);

// The parameters of one direction's search, in cells.
struct TRunParams {
  int32_t MinLength = 1;  // m
  int32_t MaxPeriod = 1;  // e
  int32_t Step = 1;       // t
  double LevelPer = 0;    // P
  double LevelBW = 0;     // Q
};

// From lengths in 0.01 mm for a grid of cells cells over sizeMm millimetres.
TRunParams MakeRunParams(int32_t cells, int32_t sizeMm, int32_t lLenMin, int32_t eelMax, int32_t step,
                         double levelPer, double levelBW);

// The rectangle, in bitmap pixels, of the cells from a to b in grid row y; direction (1, 0) searches
// rows of the grid, (0, 1) rows of the transposed grid.
void AddLineRect(TRectArray& lines, int32_t a, int32_t b, int32_t y, int32_t dx, int32_t dy, int32_t compressionX,
                 int32_t compressionY);

// Every row of length cells of grid: runs of at least m dark cells are lines; a shorter run is
// settled by the window test over the m cells from its start, and the search goes on t cells later.
void RunSearch(const TDibGrid& grid, const TRunParams& params, int32_t dx, int32_t dy, int32_t compressionX,
               int32_t compressionY, TRectArray& lines);

// Everything after the page's BMP is written: headers, grid, transposition, both searches, with the log
// lines and times of each stage (startTick is when the whole search began). True when the search ran to
// its end, result.Found telling whether it found a line. settings.DIBSizeX and DIBSizeY take the grid's
// size; sizeMm is the page's reference size in millimetres.
bool SearchBitmapLines(TByteReader& bmp, TLineSearchSettings& settings, TSize sizeMm, TLogFile& log,
                       uint32_t startTick, TLineSearchResult& result);
