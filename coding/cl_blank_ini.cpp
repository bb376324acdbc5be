// One pass over the lines: a section header opens its section, "name=value" lines fill it, the first
// occurrence of a section or of a value in it wins, as with GetPrivateProfileString.
#include "coding/cl_blank_ini.h"

#include <vector>

#include "foundation/lib_str.h"

namespace {
bool IsBlank(char16_t c) { return c <= u' '; }

std::u16string_view Trimmed(std::u16string_view text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// One pair of matching enclosing quotes goes, as the profile functions strip it.
std::u16string_view Unquoted(std::u16string_view value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// A value ends at its first NUL, as the profile functions hand it to their caller.
std::u16string_view UpToNul(std::u16string_view text) { return text.substr(0, text.find(u'\0')); }
}  // namespace

// The section's number, then the lower-cased name: each section's name is kept once, in sections_,
// however many values it holds.
std::u16string TIniFile::Key(uint32_t section, std::u16string_view name) {
  std::u16string key(2 + name.size(), u'\0');
  key[0] = static_cast<char16_t>(section >> 16);
  key[1] = static_cast<char16_t>(section & 0xFFFF);
  for (size_t i = 0; i < name.size(); ++i) key[2 + i] = LowerCharW(name[i]);
  return key;
}

TIniFile TIniFile::Parse(std::span<const uint8_t> bytes, TAnsiDecoder ansi) {
  const std::u16string text = DecodeText(bytes, ansi);
  const std::u16string_view all(text);
  TIniFile ini;
  // Values before the first header belong to the nameless section, which a header may still open.
  uint32_t section = ini.sections_.try_emplace(std::u16string(), 0).first->second;
  std::vector<bool> headerSeen(1, false);
  bool skipSection = false;  // a later section of a name already seen
  size_t pos = 0;
  while (pos < all.size()) {
    size_t end = all.find_first_of(u"\r\n", pos);
    if (end == std::u16string_view::npos) end = all.size();
    const std::u16string_view line = Trimmed(all.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == u';') continue;
    if (line.front() == u'[') {
      const size_t close = line.rfind(u']');
      if (close != std::u16string_view::npos) {
        const auto it =
            ini.sections_.try_emplace(LowerCaseW(Trimmed(line.substr(1, close - 1))), static_cast<uint32_t>(ini.sections_.size())).first;
        section = it->second;
        if (section == headerSeen.size()) headerSeen.push_back(false);
        skipSection = headerSeen[section];
        headerSeen[section] = true;
        continue;
      }
    }
    const size_t eq = line.find(u'=');
    if (eq == std::u16string_view::npos || skipSection) continue;
    const std::u16string_view name = Trimmed(line.substr(0, eq));
    const std::u16string_view value = Unquoted(Trimmed(line.substr(eq + 1)));
    ini.values_.try_emplace(Key(section, name), UpToNul(value));
  }
  return ini;
}

std::optional<std::u16string> TIniFile::Find(std::u16string_view section, std::u16string_view name) const {
  const auto s = sections_.find(LowerCaseW(section));
  if (s == sections_.end()) return std::nullopt;
  const auto it = values_.find(Key(s->second, name));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::u16string TIniFile::ReadString(std::u16string_view section, std::u16string_view name,
                                    std::u16string_view def) const {
  std::optional<std::u16string> value = Find(section, name);
  return value ? std::move(*value) : std::u16string(def);
}
