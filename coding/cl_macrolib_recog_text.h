// Small text helpers the recogniser's parts share: numbers as wide text, quoting for log lines, and the
// reading of configured numbers and sort fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/lib_codepage.h"
#include "foundation/lib_str.h"

inline std::u16string NumW(int64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

inline std::u16string QuotedW(std::u16string_view text) { return u"\"" + std::u16string(text) + u"\""; }

// A whole decimal number, optionally signed; 0 for anything else (as the configuration's numbers read).
inline int32_t NumberOrZero(std::u16string_view text) {
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F) return 0;
    ascii += static_cast<char>(c);
  }
  return StrToIntOrZero(TrimStr(ascii));
}

// The sort mode a field gives when it begins with N, S, I or U (0..3); -1 for any other field.
inline int32_t SortModeOf(std::u16string_view field) {
  if (field.empty()) return -1;
  switch (field[0]) {
    case u'N': return 0;
    case u'S': return 1;
    case u'I': return 2;
    case u'U': return 3;
    default: return -1;
  }
}

inline bool IsAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
inline bool IsLatinOrDigit(char16_t c) {
  return IsAsciiDigit(c) || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}
inline char16_t UpperAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }
