// Shared reading of fuzz inputs: UTF-16LE text, pieces between separators, and a settings store filled
// from lines of text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/coder_fakes.h"
#include "support/memory_store.h"

// The input's bytes as UTF-16LE units; an odd last byte is dropped.
inline std::u16string FuzzUtf16(const uint8_t* data, size_t size) {
  std::u16string text(size / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  return text;
}

// The pieces between separators; the last piece runs to the end.
template <class Char>
std::vector<std::basic_string<Char>> FuzzPieces(std::basic_string_view<Char> text, Char separator) {
  std::vector<std::basic_string<Char>> pieces;
  for (;;) {
    const size_t at = text.find(separator);
    pieces.emplace_back(text.substr(0, at));
    if (at == std::basic_string_view<Char>::npos) return pieces;
    text.remove_prefix(at + 1);
  }
}

// Lines "key|name=value" below root ("key|" alone makes the key); a value "#n" is the integer n. The
// first 256 lines only: the store in memory looks keys up one by one, and the parsers under test get
// the whole text elsewhere.
inline void FuzzFillStore(TMemoryStore& store, std::u16string_view text, std::u16string_view root) {
  std::vector<std::u16string> lines = FuzzPieces(text, u'\n');
  if (lines.size() > 256) lines.resize(256);
  for (const std::u16string& line : lines) {
    const size_t bar = line.find(u'|');
    const std::u16string key = std::u16string(root) + (bar == std::u16string::npos ? line : line.substr(0, bar));
    if (bar == std::u16string::npos) {
      store.AddKey(key);
      continue;
    }
    const size_t eq = line.find(u'=', bar);
    const std::u16string name = line.substr(bar + 1, eq == std::u16string::npos ? std::u16string::npos : eq - bar - 1);
    const std::u16string value = eq == std::u16string::npos ? std::u16string() : line.substr(eq + 1);
    if (!value.empty() && value[0] == u'#') {
      // Ten digits pass the 32-bit range: the sum wraps as it did in 32 bits, without signed overflow.
      uint32_t n = 0;
      for (size_t i = 1; i < value.size() && i < 11; ++i) n = n * 10 + (value[i] & 7u);
      store.SetInteger(key, name, static_cast<int32_t>(n));
    } else {
      store.SetText(key, name, value);
    }
  }
}
