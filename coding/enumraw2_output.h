// The code picture of a DOS job written as printer commands: PCL raster, PCL rectangles, HP-GL/2,
// Tally plot lines, or dot-matrix bit images built from the model's command template.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// What the output needs of the raw coder.
struct TCodeOutputInput {
  std::span<const uint8_t> Picture;  // rows of (Width + 7) / 8 bytes, most significant bit leftmost, 1 dark
  int32_t Width = 0;                 // modules
  int32_t Height = 0;
  int32_t ModuleSize = 0;  // 0.01 mm
  int32_t OutputMode = 0;  // kModeHPGL .. kModeMTPlot, or 8, 9, 24 pins
  int32_t DpiX = 0;
  int32_t DpiY = 0;
  std::string_view ModeTemplate;  // 8-bit
  int32_t AutoCRLF = 0;
  double CurrentPitch = 0;  // characters per inch
  int32_t PicPlace = 0;     // low half column (characters), high half row offset (lines), both signed
  int32_t PicTop = 0;
};

// Neither side of the code may pass this many dots, nor its left offset: beyond it the commands would be
// pages long and the code off the paper.
inline constexpr int32_t kMaxCodeDots = 32767;

// Replaces commands with the code's commands. False, and commands empty, when the picture is shorter
// than its size, the mode is none of the eight, or the geometry is out of range (module size or
// resolution below 1, the code or its offset wider than kMaxCodeDots, no usable pitch for Tally).
bool MakeCodeCommandsFor(const TCodeOutputInput& input, std::string& commands);

// The line-end bytes the AutoCRLF setting asks for, for n lines.
std::string LineFeedText(int32_t autoCRLF, int32_t n);
// "+" unless the row offset is negative and counts (picTop 0); the number then carries its sign.
std::string_view RelativeRowSign(int32_t rowOffset, int32_t picTop);
// PCL run-length form: each run of up to 256 equal bytes as (length - 1, byte).
void PackRasterRow(std::string_view row, std::string& out);
// Appends the template with its tokens filled: #hh a byte, %b %w %i the count as a byte, a word (low
// byte first) or decimal text, %s the data, /c the character c; other characters as they are.
void ExpandModeTemplate(std::string_view modeTemplate, std::string_view data, int32_t count, std::string& out);
// A Tally count 0..255: nothing for 0, 0x20 + v below 16, else 0x20 + v mod 16 and 0x30 + v div 16.
void EncodePlotCount(int32_t value, std::string& out);
