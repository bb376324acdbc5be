// Text patterns: pieces joined by "&" found in order in a text, after look-alike characters of both are
// folded together, with spaces and NULs of the text ignored inside a match.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/lib_codepage.h"

// Folding table over every UTF-16 code, by blocks of 256 codes: only a block that holds a code mapped
// elsewhere has a table (a coder builds one per document type, and most codes map to themselves).
class TCharMap {
 public:
  // Every code maps to itself.
  TCharMap() = default;
  // A code found in source at position p maps to target[p] (its first occurrence counts); a code that is
  // not in source, or whose position lies past the end of target, maps to itself.
  TCharMap(std::u16string_view source, std::u16string_view target);

  char16_t operator[](char16_t c) const {
    const uint16_t block = FBlockOf[c >> 8];
    return block ? FBlocks[block - 1u][c & 0xFF] : c;
  }

 private:
  std::array<uint16_t, 256> FBlockOf{};  // 1 + the block's table, 0 for none
  std::vector<std::array<char16_t, 256>> FBlocks;
};

// What the matcher reads besides the pattern and the text: the folding table and the word delimiters
// (8-bit, in codePage, against which text characters are compared after conversion).
struct TPatternRules {
  const TCharMap& CharMap;
  std::string_view WordDelims;
  uint32_t CodePage = kCodePage1251;
};

// 1-based position of the match in text, 0 when there is none. length gets the match's extent: from the
// first piece through the last, plus the word delimiters (forward only), spaces and NULs that follow.
// Reverse finds the last match: text and pattern are reversed, each piece's match also takes in the word
// delimiters after it, and the answer is turned back into a position in the unreversed text. length is
// the text's length when nothing matches, 0 for an empty text.
int32_t MatchPattern(const TPatternRules& rules, std::u16string_view pattern, std::u16string_view text,
                     int32_t& length, bool reverse);
