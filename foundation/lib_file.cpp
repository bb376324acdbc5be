// Portable rules of the file layer: line encoding, template placeholders, WININIT.INI, file names.
#include "foundation/lib_file.h"

#include "foundation/lib_codepage.h"
#include "foundation/lib_str.h"
#include "foundation/lib_unicode.h"

std::string EncodeTextLine(std::u16string_view text, TTextEncoding encoding, TAnsiEncoder ansi) {
  std::u16string line(text);
  line += u"\r\n";
  switch (encoding) {
    case TTextEncoding::Utf16LE: {
      std::string out;
      out.reserve(line.size() * 2);
      for (char16_t c : line) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>(c >> 8));
      }
      return out;
    }
    case TTextEncoding::Utf8:
      return WideToUtf8(line);
    default:
      return ansi ? ansi(line) : EncodeCodePage(line, kCodePage1251);
  }
}

bool ReplacePlaceholders(std::string& text, std::span<const std::string> placeholders,
                         std::span<const std::string> values) {
  bool found = false;
  for (size_t i = 0; i < placeholders.size(); ++i) {
    const std::string& placeholder = placeholders[i];
    if (placeholder.empty() || text.find(placeholder) == std::string::npos) continue;
    found = true;
    text = ReplaceAll(text, placeholder, i < values.size() ? std::string_view(values[i]) : std::string_view());
  }
  return found;
}

namespace {
bool IsRenameHeader(std::string_view line) {
  const std::string trimmed = TrimStr(line);
  constexpr std::string_view header = "[rename]";
  if (trimmed.size() != header.size()) return false;
  for (size_t i = 0; i < header.size(); ++i) {
    const char c = trimmed[i];
    if ((c >= 'A' && c <= 'Z' ? char(c + 32) : c) != header[i]) return false;
  }
  return true;
}
}  // namespace

std::string AddWininitRename(std::string_view ini, std::string_view line) {
  const std::string added = std::string(line) + "\r\n";
  size_t start = 0;
  while (start < ini.size()) {
    const size_t end = ini.find('\n', start);
    const size_t next = end == std::string_view::npos ? ini.size() : end + 1;
    if (IsRenameHeader(ini.substr(start, next - start))) {
      std::string out(ini.substr(0, next));
      // A header on the file's last line without a line end gets one before the new line.
      if (out.back() != '\n') out += "\r\n";
      return out + added + std::string(ini.substr(next));
    }
    start = next;
  }
  std::string out(ini);
  if (!out.empty() && out.back() != '\n') out += "\r\n";
  return out + "[rename]\r\n" + added;
}

std::u16string HexFileName(std::u16string_view dir, uint32_t number, std::u16string_view ext) {
  std::u16string out = dir.empty() ? std::u16string() : IncludeTrailingPathDelimiterW(dir);
  for (char c : IntToHex8(number)) out.push_back(static_cast<char16_t>(c));
  out += ext;
  return out;
}
