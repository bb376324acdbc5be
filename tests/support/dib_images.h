// 1-bit page images for the line finder's tests, fuzz seeds and benchmark: the BMP the finder writes,
// with the pixels a predicate paints black (x from the left, y from the top).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "coding/cl_dib.h"

template <class Black>
std::vector<uint8_t> MakeDibFile(int32_t width, int32_t height, Black black) {
  std::vector<uint8_t> file = DibFileHeaders(width, height);
  const size_t row = static_cast<size_t>(DibRowBytes(width));
  const size_t base = file.size();
  file.resize(base + row * static_cast<size_t>(height), 0xFF);
  for (int32_t y = 0; y < height; ++y) {
    // Bottom row first; in a byte the leftmost pixel is the most significant bit.
    uint8_t* line = file.data() + base + static_cast<size_t>(height - 1 - y) * row;
    for (int32_t x = 0; x < width; ++x)
      if (black(x, y)) line[x / 8] &= static_cast<uint8_t>(~(0x80u >> (x % 8)));
  }
  return file;
}

// A rule as drawn: its pixels, inclusive.
struct TDrawnRule {
  TRect Rect;
  bool Horizontal;
};

// True when the found line lies on the drawn rule within one cell (f across, g down) at both ends and
// across it.
inline bool LineOnRule(const TRect& found, const TDrawnRule& drawn, int32_t f, int32_t g) {
  const TRect& d = drawn.Rect;
  if (drawn.Horizontal)
    return found.Top >= d.Top - g && found.Top <= d.Bottom + g && std::abs(found.Left - d.Left) <= f &&
           std::abs(found.Right - d.Right) <= f;
  return found.Left >= d.Left - f && found.Left <= d.Right + f && std::abs(found.Top - d.Top) <= g &&
         std::abs(found.Bottom - d.Bottom) <= g;
}

// Every rule found and nothing else: empty, or what is missing and what was found where nothing was drawn.
inline std::string RulesMismatch(const TLineSearchResult& result, std::span<const TDrawnRule> rules) {
  std::ostringstream out;
  auto text = [&](const TRect& r) {
    out << "{" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << "}";
  };
  const int32_t f = result.CompressionX, g = result.CompressionY;
  for (const TDrawnRule& rule : rules) {
    const TRectArray& found = rule.Horizontal ? result.HorzLines : result.VertLines;
    if (std::none_of(found.begin(), found.end(), [&](const TRect& r) { return LineOnRule(r, rule, f, g); })) {
      out << "not found: ";
      text(rule.Rect);
      out << "\n";
    }
  }
  for (bool horizontal : {true, false}) {
    for (const TRect& line : horizontal ? result.HorzLines : result.VertLines) {
      if (std::none_of(rules.begin(), rules.end(), [&](const TDrawnRule& d) {
            return d.Horizontal == horizontal && LineOnRule(line, d, f, g);
          })) {
        out << (horizontal ? "stray horizontal: " : "stray vertical: ");
        text(line);
        out << "\n";
      }
    }
  }
  return out.str();
}
