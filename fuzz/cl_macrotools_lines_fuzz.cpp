// Fuzz target of line merging and connecting over the ruled lines of a page (a page's metafile comes
// from whoever printed). Input: one byte of settings (bit 0 extend, bits 1-7 the tolerance), then lines
// of four little-endian 32-bit coordinates; a line is horizontal or vertical by its first bit.
#include <cstdint>
#include <cstdlib>

#include "coding/cl_macrotools_lines.h"

namespace {
int32_t Read32(const uint8_t* p) { return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool extend = (data[0] & 1) != 0;
  const int16_t tolerance = int16_t(data[0] >> 1);
  TObjectList hLines, vLines;
  for (size_t at = 1; at + 16 <= size && hLines.size() + vLines.size() < 4096; at += 16) {
    const int32_t a = Read32(data + at), b = Read32(data + at + 4), c = Read32(data + at + 8);
    if (a & 1) {
      vLines.push_back(std::make_unique<TLineProTo>(int32_t(vLines.size()), TRect{a, b, a, c}));
    } else {
      hLines.push_back(std::make_unique<TLineProTo>(int32_t(hLines.size()), TRect{a, b, c, b}));
    }
  }
  const size_t before = hLines.size() + vLines.size();
  MergeLines(hLines, TSmallPoint{tolerance, tolerance}, false);
  MergeLines(vLines, TSmallPoint{tolerance, tolerance}, true);
  if (hLines.size() + vLines.size() > before) std::abort();
  ConnectLines(vLines, hLines, extend, TSmallPoint{tolerance, tolerance});
  for (const auto& line : hLines) {
    if (!line) std::abort();
  }
  return 0;
}
