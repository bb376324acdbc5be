// Registry value data as the system hands it back, turned into texts and numbers; the rules every
// registry reader shares, kept apart from the registry calls.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Registry value types (winnt.h numbering).
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;

// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ: the types a text reader accepts.
bool IsRegTextType(uint32_t type);

// The text of string data of 16-bit characters: up to the first NUL, or all of it when another program
// stored it without one; an odd last byte is no character.
std::u16string RegTextFromWideData(std::span<const uint8_t> data);
// The same for 8-bit string data.
std::string RegTextFromAnsiData(std::span<const uint8_t> data);

// The 32-bit value of REG_DWORD data, or of REG_BINARY data of exactly 4 bytes; nothing for any other
// type or size (a text is never reinterpreted as a number).
std::optional<int32_t> RegIntegerFromData(uint32_t type, std::span<const uint8_t> data);

// A decimal number with a point as separator, the whole text (leading blanks allowed, nothing after it);
// false for a comma, an empty text, infinities, NaN and values out of the double range.
bool TryParseRegFloat(std::string_view text, double& value);
// 1 to 15 decimal digits and nothing else, the whole numbers a double holds exactly; inline, as the raw
// interpreters read one per command.
inline bool TryParseDigits(std::string_view digits, int64_t& value) {
  if (digits.empty() || digits.size() > 15) return false;
  int64_t whole = 0;
  for (const char ch : digits) {
    if (ch < '0' || ch > '9') return false;
    whole = whole * 10 + (ch - '0');
  }
  value = whole;
  return true;
}
