// Text runs of a page made into words, phrases and lines: editing measured texts at character edges, and
// the steps from raw runs to the page model (TEMFCoder's BuildPageTexts, JoinTexts and
// EraseLinesUnderWhiteRects are defined with them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "coding/enumemf2.h"
#include "foundation/lib_str.h"

// Line steps the white areas of a page may take to cut the lines under them, per line and area and on top;
// a page past them keeps the remaining lines whole, and the log says so.
inline constexpr size_t kWhiteCutWorkPerObject = 64;
inline constexpr size_t kWhiteCutWorkBase = size_t{1} << 18;

// Editing a text whose Positions hold its length + 1 character edges: the box follows the edges. A text
// without edges changes only its characters (its box stays). Counts are 1-based as characters are.
void DeleteFirstChars(TText& text, size_t n);
void DeleteFirstChar(TText& text);
void DeleteLastChar(TText& text);
// Keeps characters 1 to n - 1.
void Truncate(TText& text, size_t n);
void TrimSpaces(TText& text);

// Characters at most U+0020 stripped from both ends.
std::u16string_view StrippedText(std::u16string_view text);
inline bool InCharSet(const TCharSet& set, char16_t c) { return c <= 0xFF && set[c]; }
