// A document type's blank as its key stores it: the size it was drawn at and its lines, read as text.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "foundation/lib_sys.h"

// "SizeXY": width and height, each 0 when it is not a number.
TSize ParseBlankSize(std::u16string_view text);

struct TBlankLine {
  TPoint A, B;
  bool Used = false;
};
// "x1,y1,x2,y2,used": five integers; nothing when one is missing or not a number.
std::optional<TBlankLine> ParseBlankLine(std::u16string_view text);
