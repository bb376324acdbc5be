// Blank files are INI text: a reader that answers as the system's profile functions do, but reads the
// bytes it is given (no short path names) and keeps values of any length.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "foundation/lib_file_reader.h"

class TIniFile {
 public:
  // The whole file: encoding by its byte-order mark, ANSI (through ansi; code page 1251 when none) without.
  static TIniFile Parse(std::span<const uint8_t> bytes, TAnsiDecoder ansi = nullptr);

  // Section and value names without regard to case; nothing when the section or value is missing.
  std::optional<std::u16string> Find(std::u16string_view section, std::u16string_view name) const;
  std::u16string ReadString(std::u16string_view section, std::u16string_view name,
                            std::u16string_view def = {}) const;
  size_t Count() const { return values_.size(); }

 private:
  static std::u16string Key(uint32_t section, std::u16string_view name);
  std::unordered_map<std::u16string, uint32_t> sections_;  // lower-cased name: number
  std::unordered_map<std::u16string, std::u16string> values_;
};
