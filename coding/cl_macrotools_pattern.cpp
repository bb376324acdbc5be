// Pattern matching over folded texts.
#include "coding/cl_macrotools_pattern.h"

#include <algorithm>

#include "foundation/lib_str.h"

TCharMap::TCharMap(std::u16string_view source, std::u16string_view target) {
  // A code's first occurrence counts: a later one finds it set already.
  std::vector<std::array<bool, 256>> set;
  for (size_t p = 0; p < source.size() && p < target.size(); ++p) {
    const char16_t c = source[p];
    uint16_t& block = FBlockOf[c >> 8];
    if (block == 0) {
      auto& table = FBlocks.emplace_back();
      for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<char16_t>((c & 0xFF00) | i);
      set.emplace_back().fill(false);
      block = static_cast<uint16_t>(FBlocks.size());
    }
    if (set[block - 1u][c & 0xFF]) continue;
    set[block - 1u][c & 0xFF] = true;
    FBlocks[block - 1u][c & 0xFF] = target[p];
  }
}

namespace {

bool Ignored(char16_t c) { return c == u'\0' || c == u' '; }

class TMatcher {
 public:
  TMatcher(const TPatternRules& rules) : FRules(rules), FDelims(StrToCharSet(rules.WordDelims)) {}

  bool IsWordDelim(char16_t c) const {
    const std::string byte = EncodeCodePage(std::u16string_view(&c, 1), FRules.CodePage);
    return byte.size() == 1 && FDelims[static_cast<uint8_t>(byte[0])];
  }

  std::u16string Fold(std::u16string_view text, bool reverse) const {
    std::u16string out(text.size(), u'\0');
    std::transform(text.begin(), text.end(), out.begin(), [this](char16_t c) { return FRules.CharMap[c]; });
    if (reverse) std::reverse(out.begin(), out.end());
    return out;
  }

 private:
  const TPatternRules& FRules;
  TCharSet FDelims;
};

// Finds piece (spaces already removed) in text[from..], skipping ignored characters of the text.
// Answers the 0-based first and last index of the match.
bool FindPiece(std::u16string_view text, size_t from, std::u16string_view piece, size_t& first, size_t& last) {
  if (piece.empty()) return false;
  std::u16string kept;
  std::vector<size_t> at;
  for (size_t i = from; i < text.size(); ++i)
    if (!Ignored(text[i])) {
      kept.push_back(text[i]);
      at.push_back(i);
    }
  const size_t k = kept.find(piece);
  if (k == std::u16string::npos) return false;
  first = at[k];
  last = at[k + piece.size() - 1];
  return true;
}

}  // namespace

int32_t MatchPattern(const TPatternRules& rules, std::u16string_view pattern, std::u16string_view text,
                     int32_t& length, bool reverse) {
  length = static_cast<int32_t>(text.size());
  if (text.empty()) {
    length = 0;
    return 0;
  }
  const TMatcher matcher(rules);
  const std::u16string folded = matcher.Fold(text, reverse);
  const std::u16string foldedPattern = matcher.Fold(pattern, reverse);
  if (TrimW(foldedPattern).empty()) return 0;
  std::u16string_view pieces = foldedPattern;

  size_t from = 0;     // the text left after the previous piece's match
  size_t firstAt = 0;  // 0-based start of the first piece's match
  bool firstPiece = true;
  while (!pieces.empty()) {
    std::u16string piece = ExtractTokenW(pieces, u'&');
    std::erase(piece, u' ');
    size_t first = 0, last = 0;
    if (!FindPiece(folded, from, piece, first, last)) return 0;
    if (reverse)
      while (first > from && matcher.IsWordDelim(folded[first - 1])) --first;
    if (firstPiece) firstAt = first;
    firstPiece = false;
    from = last + 1;
  }
  if (!reverse)
    while (from < folded.size() && matcher.IsWordDelim(folded[from])) ++from;
  while (from < folded.size() && Ignored(folded[from])) ++from;

  const size_t n = folded.size();
  length = static_cast<int32_t>(from - firstAt);
  if (!reverse) return static_cast<int32_t>(firstAt + 1);
  return static_cast<int32_t>(n - (from - firstAt - 1) - firstAt);
}
