// A module picture as rows of '#' (dark) and '.' (light), for readable expectations.
#pragma once

#include <string>

#include "coding/aztencod.h"

inline std::string AztAscii(const TAztCoder& c) {
  std::string s;
  const int stride = (c.PictureWidth() + 7) / 8;
  for (int y = 0; y < c.SymbolSize(); ++y) {
    for (int x = 0; x < c.PictureWidth(); ++x) s += (c.Picture()[y * stride + x / 8] >> (7 - x % 8)) & 1 ? '#' : '.';
    s += '\n';
  }
  return s;
}
