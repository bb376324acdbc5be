// Code pictures as the image files that zxing-cpp reads, and writing them, in both builds.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "coding/lib_graph.h"

// One symbol of a picture (columns x0..x0+width-1) with a quiet zone, as a BMP image.
inline std::vector<uint8_t> SymbolImage(const TMonoPicture& picture, TPictureSize size, int x0, int width,
                                        int quiet = 4, int scale = 2) {
  TMonoPicture framed;
  const TPictureSize framedSize{width + 2 * quiet, size.Height + 2 * quiet};
  PutMonoBitmap(framed, framedSize, picture, x0 - quiet, -quiet, size);
  std::vector<uint8_t> bmp;
  WriteMonoBmp(framed, framedSize, bmp, scale);
  return bmp;
}

// The whole file is bytes; false when it cannot be written.
inline bool WriteFileBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}
inline bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  return WriteFileBytes(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// What a printer draws from the PCL raster of a coded DOS print at 300 dots per inch, from its first
// graphics command to the end of its last raster, as a BMP image for zxing-cpp; empty (with the
// reader's complaint in error) when the print carries no readable code.
std::vector<uint8_t> PrintedPclCodeImage(const std::string& printed, std::string& error);
