// Code pictures: helpers for 1-bit module pictures (rows of (width + 7) / 8 bytes, most significant
// bit leftmost, 1 dark) and writers that save them as BMP, placeable WMF or EMF files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TPictureSize {
  int32_t Width;
  int32_t Height;
};

using TMonoPicture = std::vector<uint8_t>;

// (width + 7) / 8 x height; 0 for a negative size.
int64_t PictureByteSize(TPictureSize size);

// Turns the picture by 90 degrees clockwise and swaps width and height.
void RotateMonoBitmap(TMonoPicture& picture, TPictureSize& size);
// A new picture of the given size holding the source window that starts at column x, row y.
void PutMonoBitmap(TMonoPicture& out, TPictureSize size, const TMonoPicture& source, int32_t x, int32_t y,
                   TPictureSize sourceSize);
// ORs the source into the picture with its top left module at column x, row y.
void OrMonoBitmap(TMonoPicture& picture, TPictureSize size, int32_t x, int32_t y, TPictureSize sourceSize,
                  const TMonoPicture& source);

// Appends the 62 bytes before the pixels of a bottom-up 1-bit BMP of width x height with the palette
// colours 0x00RRGGBB of indexes 0 and 1; false, and nothing appended, when the file would pass 2 GB.
bool AppendMonoBmpHeaders(std::vector<uint8_t>& stream, int64_t width, int64_t height, uint32_t color0,
                          uint32_t color1);
// Appends a BMP file image (bottom-up, 2 colours, each module scale x scale pixels; scale 2, 4 or 8,
// anything else 1). False, and nothing written, for an empty or short picture or one too large.
bool WriteMonoBmp(const TMonoPicture& picture, TPictureSize size, std::vector<uint8_t>& stream, int32_t scale);

// Module size in 0.01 mm (2540 units per inch); bitmap scale 0 draws one rectangle per dark module,
// 2, 4 or 8 embed a bitmap of that many pixels per module, other values one pixel per module.
// False when the picture is empty, a coordinate does not fit the format, or the file cannot be written.
bool SaveCodeWmf(const TMonoPicture& picture, TPictureSize size, int32_t moduleSize, const std::u16string& fileName,
                 int32_t bitmapScale);
bool SaveCodeEmf(const TMonoPicture& picture, TPictureSize size, int32_t moduleSize, const std::u16string& fileName,
                 int32_t bitmapScale);

// The file images the two savers write.
bool BuildCodeWmf(const TMonoPicture& picture, TPictureSize size, int32_t moduleSize, int32_t bitmapScale,
                  std::vector<uint8_t>& out);
bool BuildCodeEmf(const TMonoPicture& picture, TPictureSize size, int32_t moduleSize, int32_t bitmapScale,
                  std::vector<uint8_t>& out);

// "EMR_" and the name of an enhanced-metafile record type.
std::string EmfRecordName(uint32_t type);
