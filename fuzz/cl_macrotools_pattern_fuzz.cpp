// Fuzz target: text patterns (from the configuration) against page texts.
// Input: one flag byte (bit 0: reversed), then UTF-16LE: the pattern, U+0001, the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "coding/cl_macrotools_pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TCharMap folding(u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя0", u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯO");
  static const TPatternRules rules{folding, std::string_view(".,:-\xB9 \0", 7)};
  if (size == 0) return 0;
  const bool reverse = (data[0] & 1) != 0;
  std::u16string input;
  for (size_t i = 1; i + 1 < size; i += 2) input.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  const size_t split = input.find(u'\x01');
  const std::u16string_view pattern = std::u16string_view(input).substr(0, split);
  const std::u16string_view text =
      split == std::u16string::npos ? std::u16string_view() : std::u16string_view(input).substr(split + 1);

  int32_t length = -1;
  const int32_t pos = MatchPattern(rules, pattern, text, length, reverse);
  // A match lies inside the text.
  const int64_t n = static_cast<int64_t>(text.size());
  if (pos < 0 || pos > n || length < 0 || length > n) std::abort();
  if (pos > 0 && (length < 1 || int64_t{pos} + length - 1 > n)) std::abort();
  return 0;
}
