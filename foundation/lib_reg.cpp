// Registry value data into texts and numbers.
#include "foundation/lib_reg.h"

#include <charconv>
#include <cstdint>
#include <cstring>

bool IsRegTextType(uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

std::u16string RegTextFromWideData(std::span<const uint8_t> data) {
  std::u16string text;
  text.reserve(data.size() / 2);
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    const char16_t ch = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (ch == 0) break;
    text.push_back(ch);
  }
  return text;
}

std::string RegTextFromAnsiData(std::span<const uint8_t> data) {
  const auto* bytes = reinterpret_cast<const char*>(data.data());
  const void* nul = data.empty() ? nullptr : std::memchr(bytes, 0, data.size());
  const size_t n = nul ? static_cast<size_t>(static_cast<const char*>(nul) - bytes) : data.size();
  return std::string(bytes, n);
}

std::optional<int32_t> RegIntegerFromData(uint32_t type, std::span<const uint8_t> data) {
  if ((type != kRegDword && type != kRegBinary) || data.size() != 4) return std::nullopt;
  const uint32_t v = static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
                     (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24);
  return static_cast<int32_t>(v);
}

bool TryParseRegFloat(std::string_view text, double& value) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  // Whole numbers, the common case, need no conversion.
  if (int64_t whole = 0; TryParseDigits(text.substr(i), whole)) {
    value = negative ? -static_cast<double>(whole) : static_cast<double>(whole);
    return true;
  }
  std::string number;
  if (negative) number.push_back('-');
  // Checked by hand so that from_chars sees only the plain decimal form (no inf, nan or hex).
  auto digits = [&] {
    size_t n = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      number.push_back(text[i++]);
      ++n;
    }
    return n;
  };
  size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    number.push_back(text[i++]);
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    number.push_back('e');
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) number.push_back(text[i++]);
    if (digits() == 0) return false;
  }
  if (i != text.size()) return false;
  double parsed = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), parsed);
  if (ec != std::errc() || end != number.data() + number.size()) return false;
  value = parsed;
  return true;
}
