// Text and number helpers: hexadecimal texts, tokenizers, pieces of strings, number texts, case folding.
#include "foundation/lib_str.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <limits>
#include <utility>
#include <vector>

#include "foundation/lib_codepage.h"

namespace {
const char kHexDigits[] = "0123456789ABCDEF";

bool IsHexChar(char16_t ch) {
  return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
}

template <class Str>
Str TrimOf(std::basic_string_view<typename Str::value_type> text) {
  size_t b = 0;
  size_t e = text.size();
  while (b < e && static_cast<uint32_t>(text[b]) <= 0x20) ++b;
  while (e > b && static_cast<uint32_t>(text[e - 1]) <= 0x20) --e;
  return Str(text.substr(b, e - b));
}

// Token before the first delimiter, trimmed; the text keeps what follows the delimiter, and becomes empty
// when nothing but delimiters is left.
template <class Str, class IsDelim>
Str TakeToken(Str& text, IsDelim isDelim) {
  size_t i = 0;
  while (i < text.size() && !isDelim(text[i])) ++i;
  Str token = TrimOf<Str>(std::basic_string_view<typename Str::value_type>(text).substr(0, i));
  if (i >= text.size()) {
    text.clear();
    return token;
  }
  text.erase(0, i + 1);
  if (std::all_of(text.begin(), text.end(), isDelim)) text.clear();
  return token;
}

// The same tokens from a view that only moves. Delimiters at the end give no token (the rest is
// dropped once nothing but delimiters is left), so they are cut off as soon as a token is taken:
// every character is looked at a bounded number of times over the whole list.
template <class Char, class IsDelim>
std::basic_string<Char> TakeTokenView(std::basic_string_view<Char>& text, IsDelim isDelim) {
  size_t i = 0;
  while (i < text.size() && !isDelim(text[i])) ++i;
  std::basic_string<Char> token = TrimOf<std::basic_string<Char>>(text.substr(0, i));
  text.remove_prefix(i < text.size() ? i + 1 : text.size());
  while (!text.empty() && isDelim(text.back())) text.remove_suffix(1);
  return token;
}

template <class Str>
Str ReplaceAllOf(std::basic_string_view<typename Str::value_type> text,
                 std::basic_string_view<typename Str::value_type> oldText,
                 std::basic_string_view<typename Str::value_type> newText) {
  if (oldText.empty()) return Str(text);
  Str result;
  result.reserve(text.size());
  if (newText.size() >= oldText.size()) {
    // The search goes on after the inserted text, which always ends, also when the replacement
    // contains the pattern.
    size_t from = 0;
    for (size_t at; (at = text.find(oldText, from)) != Str::npos; from = at + oldText.size()) {
      result.append(text.substr(from, at - from));
      result.append(newText);
    }
    result.append(text.substr(from));
    return result;
  }
  // A shorter replacement may form new occurrences with the text around it (collapsing runs of spaces
  // relies on that). Characters go onto the result one by one and an occurrence is replaced as soon as
  // it is complete, the replacement's own characters included: all occurrences are as long as the
  // pattern, so the first to end is the first to start, as a search from the front would find it, and
  // nothing is copied twice. Each replacement shortens the text, so it ends.
  // Characters still to go onto the result, the next one last: a replacement's characters go first.
  Str pending;
  for (const auto c : text) {
    pending.push_back(c);
    while (!pending.empty()) {
      result.push_back(pending.back());
      pending.pop_back();
      if (result.size() >= oldText.size() &&
          std::basic_string_view<typename Str::value_type>(result).substr(result.size() - oldText.size()) == oldText) {
        result.resize(result.size() - oldText.size());
        pending.append(newText.rbegin(), newText.rend());
      }
    }
  }
  return result;
}

uint32_t FoldPair(char16_t c, bool toLower) {
  // Ranges where upper and lower case alternate (even upper, odd lower, or the reverse).
  struct Alt {
    char16_t first, last;
    bool upperEven;
  };
  static constexpr Alt kAlternating[] = {
      {0x0100, 0x012F, true}, {0x0132, 0x0137, true}, {0x0139, 0x0148, false}, {0x014A, 0x0177, true},
      {0x0179, 0x017E, false}, {0x0460, 0x0481, true}, {0x048A, 0x04BF, true}, {0x04C1, 0x04CE, false},
      {0x04D0, 0x04FF, true},
  };
  if (toLower) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
    if (c >= 0x0410 && c <= 0x042F) return c + 32;
    if (c >= 0x0400 && c <= 0x040F) return c + 80;
    if (c >= 0x0391 && c <= 0x03AB && c != 0x03A2) return c + 32;
    if (c == 0x0386) return 0x03AC;
    if (c >= 0x0388 && c <= 0x038A) return c + 37;
    if (c == 0x04C0) return 0x04CF;
    if (c == 0x0178) return 0x00FF;
  } else {
    if (c >= 'a' && c <= 'z') return c - 32;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
    if (c >= 0x0430 && c <= 0x044F) return c - 32;
    if (c >= 0x0450 && c <= 0x045F) return c - 80;
    if (c >= 0x03B1 && c <= 0x03CB && c != 0x03C2) return c - 32;
    if (c == 0x03AC) return 0x0386;
    if (c >= 0x03AD && c <= 0x03AF) return c - 37;
    if (c == 0x04CF) return 0x04C0;
    if (c == 0x00FF) return 0x0178;
  }
  for (const Alt& a : kAlternating) {
    if (c < a.first || c > a.last) continue;
    const bool even = (c % 2) == 0;
    const bool isUpper = even == a.upperEven;
    if (toLower && isUpper) return c + 1;
    if (!toLower && !isUpper) return c - 1;
    return c;
  }
  return c;
}

std::string Format(const char* fmt, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}
}  // namespace

std::string TrimStr(std::string_view text) { return TrimOf<std::string>(text); }
std::u16string TrimW(std::u16string_view text) { return TrimOf<std::u16string>(text); }

std::string HexDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 2);
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    if (!IsHexChar(static_cast<unsigned char>(text[i])) || !IsHexChar(static_cast<unsigned char>(text[i + 1])))
      break;
    out.push_back(static_cast<char>(HexDigitValue(static_cast<unsigned char>(text[i])) * 16 +
                                    HexDigitValue(static_cast<unsigned char>(text[i + 1]))));
  }
  return out;
}

int HexDigitValue(char16_t ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  return 0;
}

namespace {
uint32_t HexValueOfWidth(std::string_view text, size_t width) {
  std::string padded(text);
  if (padded.size() < width) padded.insert(0, width - padded.size(), '0');
  uint32_t v = 0;
  for (size_t i = 0; i < width; ++i) v = v * 16 + HexDigitValue(static_cast<unsigned char>(padded[i]));
  return v;
}
}  // namespace

uint8_t Hex2ToByte(std::string_view text) { return static_cast<uint8_t>(HexValueOfWidth(text, 2)); }
uint32_t Hex8ToInt(std::string_view text) { return HexValueOfWidth(text, 8); }

std::string ByteToHex2(uint8_t b) { return {kHexDigits[b >> 4], kHexDigits[b & 15]}; }

std::string IntToHex8(uint32_t v) {
  std::string s(8, '0');
  for (int i = 7; i >= 0; --i, v >>= 4) s[i] = kHexDigits[v & 15];
  return s;
}

std::string IntToHexMin(uint32_t v) { return IntToHexN(v, 1); }

std::string IntToHexN(uint32_t v, int minDigits) {
  std::string s = IntToHex8(v);
  const size_t keep = static_cast<size_t>(std::clamp(minDigits, 0, 8));
  size_t drop = 0;
  while (s.size() - drop > keep && s[drop] == '0') ++drop;
  return s.substr(drop);
}

std::string HexListToStr(std::string_view list, char delimiter) {
  std::string_view rest = list;
  std::string out;
  while (!rest.empty()) out.push_back(static_cast<char>(Hex2ToByte(ExtractToken(rest, delimiter))));
  return out;
}

std::string StrToHexList(std::string_view bytes) {
  std::string out;
  for (unsigned char b : bytes) AppendWithSeparator(",", ByteToHex2(b), out);
  return out;
}

std::string IntToBase36(uint32_t v, int digits) {
  if (digits < 1) return {};
  std::string s(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, v /= 36) {
    const uint32_t d = v % 36;
    s[i] = static_cast<char>(d < 10 ? '0' + d : 'A' + d - 10);
  }
  return s;
}

std::string IntToText(int64_t v) { return std::to_string(v); }

std::u16string Quoted(std::u16string_view text) { return u"\"" + std::u16string(text) + u"\""; }

int32_t StrToIntOrZero(std::string_view text) {
  std::string_view t = text;
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  if (t.empty()) return 0;
  bool negative = false;
  if (t.front() == '-' || t.front() == '+') {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (t.empty()) return 0;
  int64_t v = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + (c - '0');
    if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1) return 0;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min()) return 0;
  return static_cast<int32_t>(v);
}

std::string FormatByteSize(int64_t size) {
  if (size == -1) return {};
  constexpr double kKB = 1024.0;
  constexpr double kMB = 1048576.0;
  const double s = static_cast<double>(size);
  double q;
  const char* unit;
  if (s < kKB) {
    q = s;
    unit = " B";
  } else if (s < kMB) {
    q = s / kKB;
    unit = " KB";
  } else if (s < kKB * kMB) {
    q = s / kMB;
    unit = " MB";
  } else {
    q = s / (kKB * kMB);
    unit = " GB";
  }
  const char* fmt = q < 10 ? "%4.3f" : q < 100 ? "%4.2f" : q < 1000 ? "%4.1f" : "%5.0f";
  return Format(fmt, q) + unit;
}

std::string SizeToText(const TSize& s) { return IntToText(s.cx) + "x" + IntToText(s.cy); }
std::string PointToText(const TPoint& p) { return IntToText(p.X) + "," + IntToText(p.Y); }
std::string RectToText(const TRect& r) {
  return IntToText(r.Left) + "," + IntToText(r.Top) + "," + IntToText(r.Right) + "," + IntToText(r.Bottom);
}

std::string ExtractToken(std::string& text, char delimiter) {
  return TakeToken(text, [delimiter](char c) { return c == delimiter; });
}

std::u16string ExtractTokenW(std::u16string& text, char16_t delimiter) {
  return TakeToken(text, [delimiter](char16_t c) { return c == delimiter; });
}

std::string ExtractToken(std::string_view& text, char delimiter) {
  return TakeTokenView(text, [delimiter](char c) { return c == delimiter; });
}

std::u16string ExtractTokenW(std::u16string_view& text, char16_t delimiter) {
  return TakeTokenView(text, [delimiter](char16_t c) { return c == delimiter; });
}

std::u16string ExtractTokenWA(std::u16string& text, char delimiter) {
  const char16_t wide = DecodeCodePage(std::string_view(&delimiter, 1), kCodePage1251)[0];
  return ExtractTokenW(text, wide);
}

namespace {
// The 8-bit form of one character, as the ANSI (1251) conversion gives it.
unsigned char AnsiByteOf(char16_t ch) {
  return static_cast<unsigned char>(EncodeCodePage(std::u16string_view(&ch, 1), kCodePage1251)[0]);
}
}  // namespace

void ExtractTokenAndDelimW(std::u16string& text, const TCharSet& set, char& delimiter, std::u16string& token) {
  delimiter = 0;
  size_t i = 0;
  while (i < text.size() && !set.test(AnsiByteOf(text[i]))) ++i;
  if (i < text.size()) delimiter = static_cast<char>(AnsiByteOf(text[i]));
  token = TakeToken(text, [&set](char16_t c) { return set.test(AnsiByteOf(c)); });
}

void ExtractTokenBySetW(std::u16string& text, const TCharSet& set, std::u16string& token) {
  char delimiter;
  ExtractTokenAndDelimW(text, set, delimiter, token);
}

void ExtractTokenBySetSkipW(std::u16string& text, const TCharSet& set, bool skipRun, std::u16string& token) {
  ExtractTokenBySetW(text, set, token);
  if (!skipRun) return;
  size_t i = 0;
  while (i < text.size() && set.test(AnsiByteOf(text[i]))) ++i;
  text.erase(0, i);
}

std::u16string ExtractTokensW(std::u16string& text, const TCharSet& set, int count) {
  std::u16string joined;
  for (int k = 0; k < count && !text.empty(); ++k) {
    char delimiter;
    std::u16string token;
    ExtractTokenAndDelimW(text, set, delimiter, token);
    joined += token;
    if (delimiter != 0 && k + 1 < count && !text.empty())
      joined += DecodeCodePage(std::string_view(&delimiter, 1), kCodePage1251);
  }
  return joined;
}

void ExtractTokenByStrW(std::u16string& text, std::u16string_view separator, std::u16string& token) {
  const size_t at = separator.empty() ? std::u16string::npos : text.find(separator);
  if (at == std::u16string::npos) {
    token = text;
    text.clear();
    return;
  }
  token = text.substr(0, at);
  text.erase(0, at + separator.size());
}

void AppendWithSeparator(std::string_view separator, std::string_view value, std::string& list) {
  if (value.empty()) return;
  if (!list.empty()) list += separator;
  list += value;
}

void AppendWithSeparatorW(std::u16string_view separator, std::u16string_view value, std::u16string& list) {
  if (value.empty()) return;
  if (!list.empty()) list += separator;
  list += value;
}

std::string ReplaceAll(std::string_view text, std::string_view oldText, std::string_view newText) {
  return ReplaceAllOf<std::string>(text, oldText, newText);
}

std::u16string ReplaceAllW(std::u16string_view text, std::u16string_view oldText, std::u16string_view newText) {
  return ReplaceAllOf<std::u16string>(text, oldText, newText);
}

void ReplaceInPatternW(std::u16string& text, std::u16string_view pattern, char16_t newChar, int index,
                       std::u16string_view classChars, char16_t classChar) {
  if (pattern.empty() || index < 1 || static_cast<size_t>(index) > pattern.size()) return;
  std::u16string shape = text;
  for (char16_t& c : shape)
    if (classChars.find(c) != std::u16string_view::npos) c = classChar;
  // Occurrences may overlap ("1.2.3" holds two digit-point-digit shapes).
  for (size_t at = shape.find(pattern); at != std::u16string::npos; at = shape.find(pattern, at + 1))
    text[at + index - 1] = newChar;
}

std::string CopyFromPos(std::string_view text, int pos) {
  if (pos < 1) pos = 1;
  if (static_cast<size_t>(pos) > text.size()) return {};
  return std::string(text.substr(pos - 1));
}

std::u16string CopyFromPosW(std::u16string_view text, int pos) {
  if (pos < 1) pos = 1;
  if (static_cast<size_t>(pos) > text.size()) return {};
  return std::u16string(text.substr(pos - 1));
}

bool CopyStrToBuf(std::span<uint8_t> buffer, std::string_view text, int pos, int count) {
  if (pos < 0 || count < 0) return false;
  if (static_cast<size_t>(pos) + static_cast<size_t>(count) > text.size()) return false;
  if (static_cast<size_t>(count) > buffer.size()) return false;
  std::copy_n(text.begin() + pos, count, buffer.begin());
  return true;
}

int PosInBuffer(std::string_view pattern, std::span<const uint8_t> buffer) {
  if (buffer.empty() || pattern.empty() || pattern.size() > buffer.size()) return 0;
  const std::string_view hay(reinterpret_cast<const char*>(buffer.data()), buffer.size());
  const size_t at = hay.find(pattern);
  if (at == std::string_view::npos || at >= static_cast<size_t>(std::numeric_limits<int>::max())) return 0;
  return static_cast<int>(at) + 1;
}

std::string BufToStr(std::span<const uint8_t> buffer, int n) {
  if (n <= 0) return {};
  const size_t len = std::min(buffer.size(), static_cast<size_t>(n));
  return std::string(reinterpret_cast<const char*>(buffer.data()), len);
}

std::u16string BufToStrW(std::span<const char16_t> buffer, int n) {
  if (n <= 0) return {};
  return std::u16string(buffer.data(), std::min(buffer.size(), static_cast<size_t>(n)));
}

std::u16string LowBytesToStrW(std::span<const char16_t> buffer, int n) {
  std::u16string out;
  if (n <= 0) return out;
  const size_t len = std::min(buffer.size(), static_cast<size_t>(n));
  for (size_t i = 0; i < len; ++i) out.push_back(static_cast<char16_t>(buffer[i] & 0xFF));
  return out;
}

bool HasHighBytes(std::span<const char16_t> buffer, int n) {
  if (n <= 0) return false;
  const size_t len = std::min(buffer.size(), static_cast<size_t>(n));
  return std::any_of(buffer.begin(), buffer.begin() + len, [](char16_t c) { return (c & 0xFF00) != 0; });
}

std::string RepeatChar(char ch, int n) { return n > 0 ? std::string(static_cast<size_t>(n), ch) : std::string(); }

void PadRight(std::string& text, int width, char ch) {
  if (width > 0 && text.size() < static_cast<size_t>(width)) text.append(width - text.size(), ch);
}

char HeadChar(std::string_view text) { return text.empty() ? '\0' : text.front(); }
char TailChar(std::string_view text) { return text.empty() ? '\0' : text.back(); }
char16_t HeadCharW(std::u16string_view text) { return text.empty() ? u'\0' : text.front(); }
char16_t TailCharW(std::u16string_view text) { return text.empty() ? u'\0' : text.back(); }

char CharAtPos(std::string_view text, int pos) {
  return (pos >= 1 && static_cast<size_t>(pos) <= text.size()) ? text[pos - 1] : '\0';
}

char16_t CharAtPosW(std::u16string_view text, int pos) {
  return (pos >= 1 && static_cast<size_t>(pos) <= text.size()) ? text[pos - 1] : u'\0';
}

int LastCharPos(char ch, std::string_view text) {
  const size_t at = text.rfind(ch);
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

std::string CharSetToStr(const TCharSet& set) {
  std::string out;
  for (int c = 0; c < 256; ++c)
    if (set.test(c)) out.push_back(static_cast<char>(c));
  return out;
}

TCharSet StrToCharSet(std::string_view text) {
  TCharSet set;
  for (unsigned char c : text) set.set(c);
  return set;
}

char16_t LowerCharW(char16_t ch) { return static_cast<char16_t>(FoldPair(ch, true)); }
char16_t UpperCharW(char16_t ch) { return static_cast<char16_t>(FoldPair(ch, false)); }

std::u16string LowerCaseW(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = LowerCharW(c);
  return out;
}

std::u16string UpperCaseW(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = UpperCharW(c);
  return out;
}

void TWideCharSet::Clear() {
  words_.fill(0);
  count_ = 0;
}

void TWideCharSet::Include(char16_t ch) {
  const uint64_t bit = uint64_t{1} << (ch % 64);
  if (words_[ch / 64] & bit) return;
  words_[ch / 64] |= bit;
  ++count_;
}

void TWideCharSet::IncludeRange(char16_t from, char16_t to) {
  if (to < from) return;
  for (size_t w = from / 64; w <= size_t{to} / 64; ++w) {
    uint64_t mask = ~uint64_t{0};
    if (w == from / 64) mask &= ~uint64_t{0} << (from % 64);
    if (w == to / 64) mask &= ~uint64_t{0} >> (63 - to % 64);
    count_ += static_cast<size_t>(std::popcount(mask & ~words_[w]));
    words_[w] |= mask;
  }
}

std::u16string TWideCharSet::Chars() const {
  std::u16string out;
  out.reserve(count_);
  for (size_t w = 0; w < words_.size(); ++w)
    for (uint64_t bits = words_[w]; bits != 0; bits &= bits - 1)
      out.push_back(static_cast<char16_t>(w * 64 + static_cast<size_t>(std::countr_zero(bits))));
  return out;
}

bool InWideCharSet(char16_t ch, const TWideCharSet& set) { return set.Contains(ch); }

void IncludeWideChar(TWideCharSet& set, char16_t ch) { set.Include(ch); }

void ParseWideCharList(TWideCharSet& set, std::u16string_view text) {
  set.Clear();
  // The ranges merged first: many ranges over one another fill each word once.
  std::vector<std::pair<char16_t, char16_t>> ranges;
  size_t i = 0;
  while (i < text.size()) {
    if (i + 2 < text.size() && text[i + 1] == u'.' && text[i + 2] == u'.') {
      if (i + 3 < text.size() && text[i + 3] >= text[i]) ranges.emplace_back(text[i], text[i + 3]);
      i += 4;
      continue;
    }
    set.Include(text[i]);
    ++i;
  }
  std::sort(ranges.begin(), ranges.end());
  for (size_t r = 0; r < ranges.size();) {
    const char16_t from = ranges[r].first;
    char16_t to = ranges[r].second;
    for (++r; r < ranges.size() && ranges[r].first <= to; ++r) to = std::max(to, ranges[r].second);
    set.IncludeRange(from, to);
  }
}
