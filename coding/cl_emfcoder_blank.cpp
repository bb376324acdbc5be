// Loading a document type's blank: its lines scaled from the blank's own units to the page's device.
#include "coding/cl_emfcoder_blank.h"

#include <limits>
#include <string>
#include <vector>

#include "coding/cl_emfcoder.h"

namespace {
std::u16string_view TrimBlanks(std::u16string_view t) {
  while (!t.empty() && t.front() == u' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == u' ') t.remove_suffix(1);
  return t;
}

std::optional<int32_t> ParseInt(std::u16string_view text) {
  std::u16string_view t = TrimBlanks(text);
  bool negative = false;
  if (!t.empty() && (t.front() == u'-' || t.front() == u'+')) {
    negative = t.front() == u'-';
    t.remove_prefix(1);
  }
  if (t.empty()) return std::nullopt;
  int64_t v = 0;
  for (char16_t c : t) {
    if (c < u'0' || c > u'9') return std::nullopt;
    v = v * 10 + (c - u'0');
    if (v > int64_t{std::numeric_limits<int32_t>::max()} + 1) return std::nullopt;
  }
  v = negative ? -v : v;
  if (v > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(v);
}

std::vector<std::u16string_view> CommaParts(std::u16string_view text) {
  std::vector<std::u16string_view> parts;
  for (size_t from = 0;;) {
    const size_t comma = text.find(u',', from);
    parts.push_back(text.substr(from, comma == std::u16string_view::npos ? std::u16string_view::npos : comma - from));
    if (comma == std::u16string_view::npos) return parts;
    from = comma + 1;
  }
}

int32_t Scaled(int32_t v, int32_t device, int32_t blank) {
  return RoundToInt(static_cast<double>(v) * device / blank);
}
}  // namespace

TSize ParseBlankSize(std::u16string_view text) {
  const std::vector<std::u16string_view> parts = CommaParts(text);
  TSize size;
  size.cx = ParseInt(parts[0]).value_or(0);
  if (parts.size() > 1) size.cy = ParseInt(parts[1]).value_or(0);
  return size;
}

std::optional<TBlankLine> ParseBlankLine(std::u16string_view text) {
  const std::vector<std::u16string_view> parts = CommaParts(text);
  if (parts.size() != 5) return std::nullopt;
  int32_t v[5];
  for (size_t i = 0; i < 5; ++i) {
    const std::optional<int32_t> n = ParseInt(parts[i]);
    if (!n) return std::nullopt;
    v[i] = *n;
  }
  return TBlankLine{TPoint{v[0], v[1]}, TPoint{v[2], v[3]}, v[4] != 0};
}

bool TEMFCoder::LoadBlank() {
  LogLine(u"  Загрузка бланка");
  const std::u16string key = SubKeyPath(SubKeyPathA(Store(), ConfigKey, DocId.GetText()), u"Blank");
  if (!Store().KeyExists(key)) return false;
  const TSize size = ParseBlankSize(Store().ReadText(key, u"SizeXY", u""));
  if (size.cx < 1 || size.cy <= 0) {
    LogLine(u"    Error in: SizeXY");
    return false;
  }
  for (const char16_t* letter : {u"H", u"V"}) {
    TObjectList& lines = letter[0] == u'H' ? *HLines : *VLines;
    for (int32_t n = 1;; ++n) {
      const std::string digits = std::to_string(n);
      std::u16string name = u"Line" + std::u16string(letter);
      name.append(digits.begin(), digits.end());
      const std::u16string value = Store().ReadText(key, name, u"");
      if (value.empty()) break;
      const std::optional<TBlankLine> line = ParseBlankLine(value);
      // A line is judged as drawn, before scaling: a short one must not fail by collapsing to a point.
      if (!line || ((line->A.X == line->B.X) == (line->A.Y == line->B.Y))) {
        LogLine(u"    Error in: " + name);
        return false;
      }
      if (!line->Used) continue;
      const TPoint a{Scaled(line->A.X, Header.szlDeviceCx, size.cx), Scaled(line->A.Y, Header.szlDeviceCy, size.cy)};
      const TPoint b{Scaled(line->B.X, Header.szlDeviceCx, size.cx), Scaled(line->B.Y, Header.szlDeviceCy, size.cy)};
      lines.push_back(std::make_unique<TLine>(0, a, b, 0));
    }
  }
  return true;
}
