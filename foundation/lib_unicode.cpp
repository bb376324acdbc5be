// UTF-16 string and path routines of the portable core.
#include "foundation/lib_unicode.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "foundation/lib_str.h"

int PosW(std::u16string_view sub, std::u16string_view text) {
  if (sub.empty()) return 0;
  const size_t at = text.find(sub);
  return at == std::u16string_view::npos ? 0 : static_cast<int>(at) + 1;
}

bool SameTextW(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerCharW(a[i]) != LowerCharW(b[i])) return false;
  return true;
}

bool SameStrA(std::string_view a, std::string_view b) { return a == b; }

int StrLICompW(std::u16string_view a, std::u16string_view b, size_t maxLen) {
  a = a.substr(0, std::min(maxLen, a.size()));
  b = b.substr(0, std::min(maxLen, b.size()));
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = LowerCharW(a[i]);
    const char16_t y = LowerCharW(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::u16string AdjustLineBreaksW(std::u16string_view text, TTextLineBreakStyle style) {
  std::u16string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      if (style == TTextLineBreakStyle::CRLF) out.push_back(u'\r');
      out.push_back(u'\n');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

char16_t* StrCopyW(char16_t* dest, const char16_t* src) {
  const size_t n = StrLenW(src);
  std::memmove(dest, src, (n + 1) * sizeof(char16_t));
  return dest;
}

char16_t* StrLCopyW(char16_t* dest, const char16_t* src, size_t maxLen) {
  size_t i = 0;
  for (; i < maxLen && src[i] != 0; ++i) dest[i] = src[i];
  dest[i] = 0;
  return dest;
}

char16_t* StrPLCopyW(char16_t* dest, std::u16string_view text, size_t maxLen) {
  const size_t n = std::min(maxLen, text.size());
  std::copy_n(text.data(), n, dest);
  dest[n] = 0;
  return dest;
}

char16_t* StrPCopyW(char16_t* dest, std::u16string_view text) { return StrPLCopyW(dest, text, text.size()); }

const char16_t* StrPosW(const char16_t* str, const char16_t* sub) {
  if (!str || !sub || *sub == 0) return nullptr;
  const std::u16string_view hay(str);
  const size_t at = hay.find(std::u16string_view(sub));
  return at == std::u16string_view::npos ? nullptr : str + at;
}

const char16_t* StrScanW(const char16_t* str, char16_t ch) {
  for (;; ++str) {
    if (*str == ch) return str;
    if (*str == 0) return nullptr;
  }
}

const char16_t* StrRScanW(const char16_t* str, char16_t ch) {
  const char16_t* found = nullptr;
  for (;; ++str) {
    if (*str == ch) found = str;
    if (*str == 0) return found;
  }
}

const char16_t* StrEndW(const char16_t* str) { return str + StrLenW(str); }

size_t StrLenW(const char16_t* str) {
  size_t n = 0;
  while (str[n] != 0) ++n;
  return n;
}

char16_t* StrMoveW(char16_t* dest, const char16_t* src, size_t count) {
  std::memmove(dest, src, count * sizeof(char16_t));
  return dest;
}

namespace {
// Header in front of a buffer: its byte size, padded to the header width (8 for wide, 4 for 8-bit).
template <class Ch, size_t HeaderBytes>
Ch* AllocWithHeader(size_t count) {
  const size_t bytes = HeaderBytes + count * sizeof(Ch);
  auto* raw = static_cast<unsigned char*>(::operator new(bytes));
  const uint32_t size = static_cast<uint32_t>(bytes);
  std::memset(raw, 0, bytes);
  std::memcpy(raw, &size, sizeof size);
  return reinterpret_cast<Ch*>(raw + HeaderBytes);
}

template <class Ch, size_t HeaderBytes>
void FreeWithHeader(Ch* str) {
  if (str) ::operator delete(reinterpret_cast<unsigned char*>(str) - HeaderBytes);
}
}  // namespace

char16_t* StrAllocW(size_t size) { return AllocWithHeader<char16_t, 8>(size); }

size_t StrBufSizeW(const char16_t* str) {
  if (!str) return 0;
  uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<const unsigned char*>(str) - 8, sizeof bytes);
  return (bytes - 8) / sizeof(char16_t);
}

void StrDisposeW(char16_t* str) { FreeWithHeader<char16_t, 8>(str); }

char16_t* StrNewW(const char16_t* str) {
  if (!str || *str == 0) return nullptr;
  const size_t n = StrLenW(str);
  char16_t* copy = StrAllocW(n + 1);
  return StrCopyW(copy, str);
}

char* StrAllocA(size_t size) { return AllocWithHeader<char, 4>(size); }

char* StrNewA(const char* str) {
  if (!str || *str == 0) return nullptr;
  const size_t n = std::strlen(str);
  char* copy = StrAllocA(n + 1);
  std::memcpy(copy, str, n + 1);
  return copy;
}

void StrDisposeA(char* str) { FreeWithHeader<char, 4>(str); }

std::string StrPasA(const char* str) { return str ? std::string(str) : std::string(); }
std::u16string StrPasW(const char16_t* str) { return str ? std::u16string(str) : std::u16string(); }

std::u16string IncludeTrailingPathDelimiterW(std::u16string_view path) {
  std::u16string out(path);
  if (out.empty() || out.back() != u'\\') out.push_back(u'\\');
  return out;
}

std::u16string ExcludeTrailingPathDelimiterW(std::u16string_view path) {
  std::u16string out(path);
  if (!out.empty() && out.back() == u'\\') out.pop_back();
  return out;
}

bool IsPathDelimiterW(std::u16string_view path, int index) {
  return index >= 1 && static_cast<size_t>(index) <= path.size() && path[index - 1] == u'\\';
}

bool IsDelimiterW(std::u16string_view delimiters, std::u16string_view text, int index) {
  return index >= 1 && static_cast<size_t>(index) <= text.size() &&
         delimiters.find(text[index - 1]) != std::u16string_view::npos;
}

int LastDelimiterW(std::u16string_view delimiters, std::u16string_view text) {
  const size_t at = text.find_last_of(delimiters);
  return at == std::u16string_view::npos ? 0 : static_cast<int>(at) + 1;
}

std::u16string ExtractFilePathW(std::u16string_view fileName) {
  return std::u16string(fileName.substr(0, LastDelimiterW(u"\\:", fileName)));
}

std::u16string ExtractFileDirW(std::u16string_view fileName) {
  int i = LastDelimiterW(u"\\:", fileName);
  // The backslash of a drive root stays ("C:\").
  if (i > 1 && fileName[i - 1] == u'\\' && !IsDelimiterW(u"\\:", fileName, i - 1)) --i;
  return std::u16string(fileName.substr(0, i));
}

std::u16string ExtractFileNameW(std::u16string_view fileName) {
  return std::u16string(fileName.substr(LastDelimiterW(u"\\:", fileName)));
}

std::u16string ExtractFileExtW(std::u16string_view fileName) {
  const int i = LastDelimiterW(u".\\:", fileName);
  if (i > 0 && fileName[i - 1] == u'.') return std::u16string(fileName.substr(i - 1));
  return {};
}

std::u16string ChangeFileExtW(std::u16string_view fileName, std::u16string_view extension) {
  const int i = LastDelimiterW(u".\\:", fileName);
  const size_t keep = (i > 0 && fileName[i - 1] == u'.') ? static_cast<size_t>(i - 1) : fileName.size();
  return std::u16string(fileName.substr(0, keep)) + std::u16string(extension);
}
