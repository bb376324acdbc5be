// From raw text runs to the page model: texts under white areas and outside clips go, OEM box drawing and
// line characters become lines, overprinted runs are cut, and runs join into words and phrases. Texts
// are removed by emptying their slots and compacting the list once, so no step moves the list per removal.
#include "coding/enumemf2_runs.h"

#include <algorithm>
#include <map>
#include <string>
#include <optional>
#include <utility>
#include <vector>

#include "coding/cl_emfcoder.h"
#include "coding/cl_macrolib_code.h"
#include "coding/cl_macrolib_payload.h"
#include "coding/enumemf2_measure.h"
#include "coding/enumemf2_runs_index.h"
#include "foundation/lib_codepage.h"

namespace {

TText* TextAt(const TObjectList& list, size_t i) { return dynamic_cast<TText*>(list[i].get()); }

void Compact(TObjectList& list) {
  std::erase_if(list, [](const std::unique_ptr<TRectProTo>& object) { return !object; });
}

// Rectangles keep their sides within 32 bits where a step reaches one past them.
int32_t Beyond(int32_t v, int32_t by) { return static_cast<int32_t>(std::clamp<int64_t>(int64_t{v} + by, INT32_MIN, INT32_MAX)); }

bool VerticalOverlap(const TRect& a, const TRect& b) { return RangesOverlap(a.Top, a.Bottom, b.Top, b.Bottom); }
bool HorizontalOverlap(const TRect& a, const TRect& b) { return RangesOverlap(a.Left, a.Right, b.Left, b.Right); }

int32_t RecordTypeOf(const TRectProTo& object) {
  const auto* line = dynamic_cast<const TLine*>(&object);
  return line ? line->RecordType : 0;
}

int32_t CharCentre(const TText& t, size_t i) { return IntMidpoint(t.Positions[i], t.Positions[i + 1]); }

// A copy of the characters [from, to) of the text, its box from their edges.
std::unique_ptr<TText> PieceOf(TText& text, size_t from, size_t to) {
  // Duplicated without its characters, so that every piece costs only its own length.
  std::u16string chars = std::move(text.Text);
  std::vector<int32_t> edges = std::move(text.Positions);
  text.Text.clear();
  text.Positions.clear();
  std::unique_ptr<TText> piece = text.Duplicate();
  text.Text = std::move(chars);
  text.Positions = std::move(edges);
  piece->Text.assign(text.Text, from, to - from);
  if (text.HasEdges()) {
    piece->Positions.assign(text.Positions.begin() + static_cast<ptrdiff_t>(from),
                            text.Positions.begin() + static_cast<ptrdiff_t>(to) + 1);
    piece->Rect.Left = text.Positions[from];
    piece->Rect.Right = text.Positions[to];
  }
  return piece;
}

// Where the first run of at least n (1 or more) characters c at or after from starts. The pattern is not
// built: n comes from the settings and may be huge.
size_t FindRun(std::u16string_view text, char16_t c, size_t n, size_t from) {
  size_t run = 0;
  for (size_t i = from; i < text.size(); ++i) {
    run = text[i] == c ? run + 1 : 0;
    if (run >= n) return i + 1 - n;
  }
  return std::u16string_view::npos;
}

// Characters P to E (0-based, both included).
struct TSpan {
  size_t P = 0, E = 0;
};

// Cuts the text at each span find gives, every search starting after the span before: the text keeps what
// stands before the first span, and what follows each span goes to the end of the list as a copy. onSpan
// sees each span while the text is still whole.
template <class Find, class OnSpan>
void SplitAtSpans(TObjectList& texts, TText& text, const Find& find, const OnSpan& onSpan, bool trimParts,
                  size_t maxSpans = SIZE_MAX) {
  std::optional<TSpan> span = find(text, size_t{0});
  if (!span) return;
  const size_t first = span->P;
  for (size_t count = 1; span; ++count) {
    onSpan(*span);
    const size_t from = span->E + 1;
    std::optional<TSpan> next = count < maxSpans ? find(text, from) : std::nullopt;
    std::unique_ptr<TText> part = PieceOf(text, from, next ? next->P : text.Text.size());
    if (trimParts) TrimSpaces(*part);
    texts.push_back(std::move(part));
    span = next;
  }
  Truncate(text, first + 1);
}

// A page's text steps with the coder's settings.
class TRunBuilder {
 public:
  explicit TRunBuilder(TEMFCoder& coder) : c_(coder), s_(coder.Settings), texts_(*coder.Texts) {}

  void ConvertByOEMTable();
  void EraseUnderWhiteRects();
  void Clip();
  void ConvertCharacters(bool skipOEMConvert);
  void UnderlinesToLines();
  void SplitTransparentBlanks();
  void SortByNumber();
  void RemoveOverprinted();
  void RemoveWhiteTexts();
  void VerticalLineChars();
  void JoinLineCharPieces();
  void UnderscoresToLines();
  void LineCharRunsToLines();
  void TrimAll();
  void RemoveBlankTexts();

  void SplitAtVerticalLines();
  void SplitAtBlankRuns();
  void JoinWords();

 private:
  const TCodePageSystem& Pages() const { return c_.CodeServices ? c_.CodeServices->CodePages() : DefaultCodePages(); }
  bool LineChar(char16_t ch) const { return InCharSet(s_.LineChrH, ch) || InCharSet(s_.LineChrV, ch); }
  int32_t MinRun() const { return std::max(1, s_.LineChHLen); }
  void AddHLine(const TText& t, int32_t left, int32_t right, int32_t y) {
    c_.HLines->push_back(std::make_unique<TLine>(t.RecordType, TRect{std::min(left, right), y, std::max(left, right), y}, t.Ident));
  }
  void ConvertOne(TText& t, bool skipOEMConvert);
  bool CutOverprinted(TObjectList& texts, size_t i, TText& a, const TText& b);
  void RemoveOverprintedIn(TObjectList& texts, std::vector<size_t>& roots);
  bool JoinablePieces(const TText& p, const TText& t) const;

  TEMFCoder& c_;
  const TEMFSettings& s_;
  TObjectList& texts_;
};

void TRunBuilder::ConvertByOEMTable() {
  if (!s_.OEMConvert || s_.OEMTable.size() != 0x10000) return;
  const bool all = s_.OEMCvtFontList == u"*";
  for (auto& object : texts_) {
    auto* t = dynamic_cast<TText*>(object.get());
    if (!t || !(all || InCommaList(t->Font.FaceName(), s_.OEMCvtFontList))) continue;
    for (char16_t& ch : t->Text) ch = s_.OEMTable[ch];
  }
}

void TRunBuilder::EraseUnderWhiteRects() {
  // A text goes when an area painted after it covers its centre: the highest area over each centre decides.
  std::vector<const TRectProTo*> areas;
  for (const auto& area : c_.WhiteRects)
    if (area) areas.push_back(area.get());
  std::vector<TPoint> centres;
  std::vector<size_t> at;
  for (size_t i = 0; i < texts_.size(); ++i)
    if (const TText* t = TextAt(texts_, i)) {
      centres.push_back(t->Center());
      at.push_back(i);
    }
  const std::vector<int32_t> highest = HighestAreaOver(areas, centres);
  for (size_t k = 0; k < at.size(); ++k)
    if (texts_[at[k]]->Ident < highest[k]) texts_[at[k]].reset();
  c_.WhiteRects.clear();
}

void TRunBuilder::Clip() {
  for (auto& object : texts_) {
    TText* t = dynamic_cast<TText*>(object.get());
    if (!t || IsZeroRect(t->ClipRect)) continue;
    const TRect& clip = t->ClipRect;
    const TPoint centre = t->Center();
    if (int64_t{centre.Y} < int64_t{clip.Top} + 1 || int64_t{centre.Y} > int64_t{clip.Bottom} - 1) {
      t->Text.clear();
    } else if (!t->HasEdges()) {
      // Without edges there is nothing to cut at: the text stays or goes whole.
      if (centre.X < clip.Left || centre.X > clip.Right) t->Text.clear();
    } else {
      size_t keep = t->Text.size();
      while (keep > 0 && t->Positions[keep - 1] > clip.Right) --keep;
      Truncate(*t, keep + 1);
      size_t drop = 0;
      while (drop < t->Text.size() && t->Positions[drop + 1] < clip.Left) ++drop;
      DeleteFirstChars(*t, drop);
    }
    if (t->Text.empty()) object.reset();
  }
}

// The OEM box-drawing codes with a vertical stroke; the rest of 0xB3..0xDA draw horizontal strokes.
bool VerticalBoxCode(uint8_t b) {
  switch (b) {
    case 0xB3: case 0xB4: case 0xB5: case 0xB6: case 0xB9: case 0xBA: case 0xC3:
    case 0xC5: case 0xC6: case 0xC7: case 0xCC: case 0xCE: case 0xD7: case 0xD8:
      return true;
    default:
      return false;
  }
}

uint32_t CodePageOfFontCharset(const TCodePageSystem& pages, uint8_t charset) {
  if (charset == kOemCharset) return pages.OemCodePage();
  const std::optional<TCharsetCodePage> found = pages.LookupCharset(charset);
  return found ? found->CodePage : pages.AnsiCodePage();
}

bool FaceIsLineDraw(std::u16string face) {
  for (char16_t& ch : face)
    if (ch >= u'A' && ch <= u'Z') ch = static_cast<char16_t>(ch - u'A' + u'a');
  return face.find(u"ms linedraw") != std::u16string::npos;
}

void TRunBuilder::ConvertOne(TText& t, bool skipOEMConvert) {
  const std::u16string face = t.Font.FaceName();
  if (t.Font.lfCharSet != kOemCharset && InCommaList(face, s_.OEMFonts)) t.Font.lfCharSet = kOemCharset;
  t.OEMText = (FaceIsLineDraw(face) || t.Font.lfCharSet == kOemCharset) ? 1 : 0;
  if (t.OEMText) {
    const TCodePageSystem& pages = Pages();
    std::string bytes = ToAnsiBytes(pages, t.Text);
    if (!skipOEMConvert)
      for (char& ch : bytes) {
        const auto b = static_cast<uint8_t>(ch);
        if (b >= 0xB3 && b <= 0xDA)
          ch = VerticalBoxCode(b) ? '|' : '-';
        else if (b == 0xFC)
          ch = 'N';
      }
    t.Text = pages.Decode(bytes, CodePageOfFontCharset(pages, t.Font.lfCharSet));
    t.Font.lfCharSet = static_cast<uint8_t>(c_.DefaultCharset);
  }
  for (char16_t& ch : t.Text)
    if (InCharSet(s_.BlankChr, ch)) ch = u' ';
  if (s_.LineChrHA && !t.Text.empty()) {
    ReplaceInPatternW(t.Text, u"L--", u'-', 1, u"=+", u'-');
    ReplaceInPatternW(t.Text, u"--\u00AC", u'-', 3, u"=+", u'-');
    ReplaceInPatternW(t.Text, u"--T--", u'-', 3, u"+", u'-');
  }
}

void TRunBuilder::ConvertCharacters(bool skipOEMConvert) {
  for (auto& object : texts_)
    if (TText* t = dynamic_cast<TText*>(object.get())) ConvertOne(*t, skipOEMConvert);
}

void TRunBuilder::UnderlinesToLines() {
  for (auto& object : texts_) {
    const TText* t = dynamic_cast<const TText*>(object.get());
    if (t && t->Font.lfUnderline) AddHLine(*t, t->Rect.Left, t->Rect.Right, Beyond(t->Rect.Bottom, 1));
  }
}

void TRunBuilder::SplitTransparentBlanks() {
  const size_t before = texts_.size();
  auto twoSpaces = [](const TText& t, size_t from) -> std::optional<TSpan> {
    const size_t at = t.Text.find(u"  ", from);
    if (at == std::u16string::npos) return std::nullopt;
    return TSpan{at, at};
  };
  for (size_t i = 0; i < before; ++i) {
    TText* t = TextAt(texts_, i);
    if (!t || !t->Transparent) continue;
    if (StrippedText(t->Text).empty()) {
      texts_[i].reset();
    } else if (t->HasEdges()) {
      TrimSpaces(*t);
      SplitAtSpans(texts_, *t, twoSpaces, [](const TSpan&) {}, true, 1);
    }
  }
}

void TRunBuilder::SortByNumber() {
  Compact(texts_);
  std::stable_sort(texts_.begin(), texts_.end(), [](const auto& x, const auto& y) {
    if (x->Ident != y->Ident) return x->Ident < y->Ident;
    if (x->Rect.Top != y->Rect.Top) return x->Rect.Top < y->Rect.Top;
    return x->Rect.Left < y->Rect.Left;
  });
}

// A cut by the later text b; true when a is gone (emptied or covered).
bool TRunBuilder::CutOverprinted(TObjectList& texts, size_t i, TText& a, const TText& b) {
  const TRect& ra = a.Rect;
  const TRect& rb = b.Rect;
  if (!a.HasEdges()) return HorizontalOverlap(ra, rb);
  if (IntInRange(rb.Left, rb.Right, ra.Left) && IntInRange(rb.Left, rb.Right, ra.Right)) return true;
  const bool leftIn = IntInRange(ra.Left, ra.Right, rb.Left);
  const bool rightIn = IntInRange(ra.Left, ra.Right, rb.Right);
  auto dropHead = [&](TText& t) {
    size_t n = 0;
    while (n < t.Text.size() && CharCentre(t, n) <= rb.Right) ++n;
    DeleteFirstChars(t, n);
    return n;
  };
  auto dropTail = [&](TText& t) {
    size_t keep = t.Text.size();
    while (keep > 0 && CharCentre(t, keep - 1) >= rb.Left) --keep;
    Truncate(t, keep + 1);
  };
  if (rb.Left < ra.Left && rightIn) {
    dropHead(a);
  } else if (rb.Right > ra.Right && leftIn) {
    dropTail(a);
  } else if (leftIn && rightIn) {
    std::unique_ptr<TText> rest = a.Duplicate();
    const size_t lost = dropHead(*rest);
    dropTail(a);
    if (rest->Text.empty()) return a.Text.empty();
    if (lost > 0) {
      texts.insert(texts.begin() + static_cast<ptrdiff_t>(i) + 1, std::move(rest));
    } else {
      texts[i] = std::move(rest);
      return false;
    }
  }
  return a.Text.empty();
}

// What the pair scan of overprinting tests first, kept apart from the texts so that the scan over all pairs
// reads a small array: the number and the vertical extent.
struct TScanEntry {
  int32_t Ident = 0, Lo = 0, Hi = 0;
  bool Candidate = false;  // a text that overprinting may cut (not OEM)
};

TScanEntry ScanEntryOf(const TRectProTo* object) {
  const auto* t = dynamic_cast<const TText*>(object);
  if (!t) return {};
  return {t->Ident, std::min(t->Rect.Top, t->Rect.Bottom), std::max(t->Rect.Top, t->Rect.Bottom), !t->OEMText};
}

// The pair scan over the texts of one group of rows in the page's order; a rest is inserted after the
// text it was cut from and takes that text's root (its place in the page's list).
void TRunBuilder::RemoveOverprintedIn(TObjectList& texts, std::vector<size_t>& roots) {
  std::vector<TScanEntry> scan;
  scan.reserve(texts.size());
  for (const auto& object : texts) scan.push_back(ScanEntryOf(object.get()));
  for (size_t i = 0; i < texts.size(); ++i) {
    for (size_t j = i + 1; j < texts.size() && scan[i].Candidate; ++j) {
      const TScanEntry& ea = scan[i];
      const TScanEntry& eb = scan[j];
      // Ranges that overlap by their midpoints intersect: most pairs part on these comparisons.
      if (!eb.Candidate || eb.Ident <= ea.Ident || eb.Lo > ea.Hi || eb.Hi < ea.Lo) continue;
      TText& a = static_cast<TText&>(*texts[i]);
      const TText& b = static_cast<const TText&>(*texts[j]);
      if (!VerticalOverlap(a.Rect, b.Rect)) continue;
      const size_t count = texts.size();
      const bool gone = CutOverprinted(texts, i, a, b);
      // A rest inserted after the cut text is not examined against it.
      if (texts.size() > count) {
        scan.insert(scan.begin() + static_cast<ptrdiff_t>(i) + 1, ScanEntryOf(texts[i + 1].get()));
        roots.insert(roots.begin() + static_cast<ptrdiff_t>(i) + 1, roots[i]);
        ++j;
      }
      if (gone) {
        texts[i].reset();
        scan[i].Candidate = false;
      }
    }
  }
}

void TRunBuilder::RemoveOverprinted() {
  // Only texts that overlap vertically cut each other: each group of rows is scanned apart, and its texts
  // (with their rests after them) go back to their places.
  std::vector<std::pair<int32_t, int32_t>> extents;
  std::vector<size_t> candidates;
  for (size_t i = 0; i < texts_.size(); ++i) {
    const TScanEntry e = ScanEntryOf(texts_[i].get());
    if (!e.Candidate) continue;
    candidates.push_back(i);
    extents.emplace_back(e.Lo, e.Hi);
  }
  std::vector<std::pair<size_t, std::unique_ptr<TRectProTo>>> scanned;
  for (const std::vector<size_t>& group : OverlapGroups(extents)) {
    TObjectList texts;
    std::vector<size_t> roots;
    for (const size_t k : group) {
      roots.push_back(candidates[k]);
      texts.push_back(std::move(texts_[candidates[k]]));
    }
    RemoveOverprintedIn(texts, roots);
    for (size_t m = 0; m < texts.size(); ++m) scanned.emplace_back(roots[m], std::move(texts[m]));
  }
  std::stable_sort(scanned.begin(), scanned.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
  TObjectList merged;
  merged.reserve(texts_.size() + scanned.size());
  size_t next = 0;
  for (size_t i = 0; i < texts_.size(); ++i) {
    if (next < scanned.size() && scanned[next].first == i) {
      for (; next < scanned.size() && scanned[next].first == i; ++next) merged.push_back(std::move(scanned[next].second));
    } else {
      merged.push_back(std::move(texts_[i]));
    }
  }
  texts_ = std::move(merged);
  Compact(texts_);
}

void TRunBuilder::RemoveWhiteTexts() {
  for (auto& object : texts_) {
    const TText* t = dynamic_cast<const TText*>(object.get());
    if (t && IsWhiteColor(t->TextColor)) object.reset();
  }
  Compact(texts_);
}

void TRunBuilder::VerticalLineChars() {
  for (auto& object : texts_) {
    const TText* t = dynamic_cast<const TText*>(object.get());
    if (!t || !t->HasEdges()) continue;
    for (size_t i = 0; i < t->Text.size(); ++i) {
      const char16_t ch = t->Text[i];
      if (!InCharSet(s_.LineChrV, ch)) continue;
      const int32_t x = CharCentre(*t, i);
      int32_t top = t->Rect.Top, bottom = t->Rect.Bottom;
      if (ch == u'|') {
        // A bar is drawn taller than the text's box, so that bars of rows above each other meet.
        const int32_t length = RoundToInt((static_cast<double>(bottom) - top + 1) * 1.3);
        top = Beyond(IntMidpoint(top, bottom), -(length / 2));
        bottom = Beyond(top, length);
      }
      auto line = std::make_unique<TLine>(t->RecordType, TRect{x, top, x, bottom}, t->Ident);
      line->Special = InCharSet(s_.LineChrVSpec, ch) ? 1 : 0;
      c_.VLines->push_back(std::move(line));
    }
  }
}

bool TRunBuilder::JoinablePieces(const TText& p, const TText& t) const {
  if (p.Text.empty() || t.Text.empty()) return false;
  if (!(int64_t{p.Rect.Right} - p.CharWidth / 2 < t.Rect.Left)) return false;
  if (!VerticalOverlap(p.Rect, t.Rect) || int64_t{t.Rect.Left} - p.Rect.Right > c_.SortTolerance.X) return false;
  const char16_t last = p.Text.back(), first = t.Text.front();
  const bool lastH = InCharSet(s_.LineChrH, last), firstH = InCharSet(s_.LineChrH, first);
  if (lastH && firstH) return true;
  const bool sameRun = p.FontHash == t.FontHash && p.Rect.Top == t.Rect.Top && p.Rect.Bottom == t.Rect.Bottom &&
                       p.Font.SameBytes(t.Font);
  return sameRun && ((lastH && LineChar(first)) || (firstH && LineChar(last)));
}

// b's characters after a's; with a space between them when spaced. A text without edges leaves the
// joined one without edges.
void AppendText(TText& a, const TText& b, bool spaced) {
  const bool edges = a.HasEdges() && b.HasEdges();
  if (spaced) a.Text.push_back(u' ');
  a.Text += b.Text;
  if (edges) {
    if (!spaced) a.Positions.pop_back();
    a.Positions.insert(a.Positions.end(), b.Positions.begin(), b.Positions.end());
  } else {
    a.Positions.clear();
  }
  a.Rect.Right = b.Rect.Right;
  a.Font = b.Font;
}

void TRunBuilder::JoinLineCharPieces() {
  std::stable_sort(texts_.begin(), texts_.end(), [](const auto& x, const auto& y) {
    if (x->Rect.Top != y->Rect.Top) return x->Rect.Top < y->Rect.Top;
    return x->Rect.Left < y->Rect.Left;
  });
  TText* p = nullptr;
  for (auto& object : texts_) {
    TText* t = dynamic_cast<TText*>(object.get());
    if (!t) continue;
    if (p && JoinablePieces(*p, *t)) {
      const uint8_t oem = p->OEMText | t->OEMText;
      AppendText(*p, *t, false);
      p->OEMText = oem;
      object.reset();
    } else {
      p = t;
    }
  }
  Compact(texts_);
}

void TRunBuilder::UnderscoresToLines() {
  if (!InCharSet(s_.LineChrH, u'_')) return;
  const size_t minRun = static_cast<size_t>(MinRun());
  auto find = [&](const TText& t, size_t from) -> std::optional<TSpan> {
    const size_t at = FindRun(t.Text, u'_', minRun, from);
    if (at == std::u16string::npos) return std::nullopt;
    size_t e = at + minRun - 1;
    while (e + 1 < t.Text.size() && t.Text[e + 1] == u'_') ++e;
    return TSpan{at, e};
  };
  const size_t count = texts_.size();
  for (size_t i = 0; i < count; ++i) {
    TText* t = TextAt(texts_, i);
    if (!t || !t->HasEdges()) continue;
    SplitAtSpans(texts_, *t, find, [&](const TSpan& s) {
      AddHLine(*t, t->Positions[s.P], t->Positions[s.E + 1], t->Rect.Bottom);
    }, false);
  }
}

void TRunBuilder::LineCharRunsToLines() {
  if (s_.LineChrH.none()) return;
  const size_t minRun = static_cast<size_t>(MinRun());
  auto find = [&](const TText& t, size_t from) -> std::optional<TSpan> {
    const std::u16string& s = t.Text;
    for (size_t i = from; i < s.size();) {
      size_t p = i;
      while (p < s.size() && !LineChar(s[p])) ++p;
      if (p >= s.size() || p + minRun > s.size()) return std::nullopt;
      size_t e = p;
      while (e + 1 < s.size() &&
             (InCharSet(s_.LineChrH, s[e + 1]) || (InCharSet(s_.LineChrV, s[e + 1]) && InCharSet(s_.LineChrH, s[e]))))
        ++e;
      if (e - p + 1 >= minRun) return TSpan{p, e};
      i = e + 1;
    }
    return std::nullopt;
  };
  const size_t count = texts_.size();
  for (size_t i = 0; i < count; ++i) {
    TText* t = TextAt(texts_, i);
    if (!t || !t->HasEdges()) continue;
    SplitAtSpans(texts_, *t, find, [&](const TSpan& s) {
      const int32_t left = InCharSet(s_.LineChrH, t->Text[s.P]) ? t->Positions[s.P] : CharCentre(*t, s.P);
      const int32_t right = InCharSet(s_.LineChrH, t->Text[s.E]) ? t->Positions[s.E + 1] : CharCentre(*t, s.E);
      AddHLine(*t, left, right, IntMidpoint(t->Rect.Top, t->Rect.Bottom));
    }, false);
  }
}

void TRunBuilder::TrimAll() {
  for (auto& object : texts_) {
    TText* t = dynamic_cast<TText*>(object.get());
    if (t && t->HasEdges()) TrimSpaces(*t);
  }
}

void TRunBuilder::RemoveBlankTexts() {
  for (auto& object : texts_) {
    const TText* t = dynamic_cast<const TText*>(object.get());
    if (t && StrippedText(t->Text).empty()) object.reset();
  }
  Compact(texts_);
}

void TRunBuilder::SplitAtVerticalLines() {
  const int32_t tol = c_.SortTolerance.X;
  const TVLineIndex lines(*c_.VLines);
  for (size_t code = 0; code < 256; ++code) {
    if (!s_.LineChrV[code]) continue;
    const char16_t ch = static_cast<char16_t>(code);
    const size_t count = texts_.size();
    for (size_t i = 0; i < count; ++i) {
      TText* t = TextAt(texts_, i);
      if (!t || !t->HasEdges()) continue;
      // Only the first occurrence is tried; when it stands on a line, the rest is tried in its turn.
      auto find = [&](const TText& text, size_t from) -> std::optional<TSpan> {
        const size_t p = text.Text.find(ch, from);
        if (p == std::u16string::npos) return std::nullopt;
        const int64_t lo = int64_t{text.Positions[p]} - tol, hi = int64_t{text.Positions[p + 1]} + tol;
        if (lines.AnyOverlapping(lo, hi, text.Rect.Top, text.Rect.Bottom)) return TSpan{p, p};
        return std::nullopt;
      };
      SplitAtSpans(texts_, *t, find, [](const TSpan&) {}, false);
    }
  }
}

void TRunBuilder::SplitAtBlankRuns() {
  if (s_.SplitBL <= 0) return;
  const size_t blanks = static_cast<size_t>(s_.SplitBL);
  auto find = [&](const TText& t, size_t from) -> std::optional<TSpan> {
    // The part after a split starts trimmed.
    if (from > 0)
      while (from < t.Text.size() && t.Text[from] == u' ') ++from;
    const size_t at = FindRun(t.Text, u' ', blanks, from);
    if (at == std::u16string::npos) return std::nullopt;
    return TSpan{at, at};
  };
  const size_t count = texts_.size();
  for (size_t i = 0; i < count; ++i)
    if (TText* t = TextAt(texts_, i)) SplitAtSpans(texts_, *t, find, [](const TSpan&) {}, true);
}

bool SameLook(const TText& a, const TText& b) {
  return a.CharWidth == b.CharWidth && a.CharHeight == b.CharHeight && a.Font.lfItalic == b.Font.lfItalic &&
         a.Font.lfUnderline == b.Font.lfUnderline && a.Font.lfStrikeOut == b.Font.lfStrikeOut;
}

void TRunBuilder::JoinWords() {
  std::stable_sort(texts_.begin(), texts_.end(), [](const auto& x, const auto& y) {
    if (x->Rect.Left != y->Rect.Left) return x->Rect.Left < y->Rect.Left;
    return x->Rect.Top < y->Rect.Top;
  });
  const TVLineIndex lines(*c_.VLines);
  // A text joins only texts that overlap it vertically, so each group of rows is walked apart, in the
  // order of the whole list: the texts of other rows would only be passed over.
  std::vector<std::pair<int32_t, int32_t>> extents;
  for (const auto& object : texts_)
    extents.emplace_back(std::min(object->Rect.Top, object->Rect.Bottom), std::max(object->Rect.Top, object->Rect.Bottom));
  for (const std::vector<size_t>& group : OverlapGroups(extents)) {
    // Where the texts right of each start: those at its own left are passed over.
    std::vector<size_t> further(group.size(), group.size());
    for (size_t k = group.size() - 1; k-- > 0;)
      further[k] = texts_[group[k + 1]]->Rect.Left > texts_[group[k]]->Rect.Left ? k + 1 : further[k + 1];
    for (size_t k = 0; k < group.size(); ++k) {
      TText* a = TextAt(texts_, group[k]);
      if (!a) continue;
      for (size_t m = further[k]; m < group.size(); ++m) {
        const size_t j = group[m];
        const TRectProTo* next = texts_[j].get();
        if (!next || next->Rect.Left <= a->Rect.Left) continue;
        const int64_t gap = int64_t{next->Rect.Left} - a->Rect.Right;
        if (gap > IntMulDiv(a->CharWidth, s_.SplitG, 100)) break;
        if (!VerticalOverlap(a->Rect, next->Rect)) continue;
        const TText* b = TextAt(texts_, j);
        if (!b) continue;
        const TPoint ca = a->Center(), cb = b->Center();
        if (lines.AnyHolding(int64_t{ca.X} + 1, int64_t{cb.X} - 1, ca.Y) || !SameLook(*a, *b)) break;
        AppendText(*a, *b, !(s_.SplitW > 0 && gap <= IntMulDiv(a->CharWidth, s_.SplitW, 100)));
        texts_[j].reset();
      }
    }
  }
  Compact(texts_);
}

}  // namespace

void DeleteFirstChars(TText& text, size_t n) {
  n = std::min(n, text.Text.size());
  if (n == 0) return;
  if (text.HasEdges()) {
    text.Rect.Left = text.Positions[n];
    text.Positions.erase(text.Positions.begin(), text.Positions.begin() + static_cast<ptrdiff_t>(n));
  }
  text.Text.erase(0, n);
}

void DeleteFirstChar(TText& text) { DeleteFirstChars(text, 1); }

void DeleteLastChar(TText& text) {
  if (text.Text.empty()) return;
  Truncate(text, text.Text.size());
}

void Truncate(TText& text, size_t n) {
  if (n < 1) n = 1;
  if (n > text.Text.size()) return;
  if (text.HasEdges()) {
    text.Rect.Right = text.Positions[n - 1];
    text.Positions.resize(n);
  }
  text.Text.resize(n - 1);
}

void TrimSpaces(TText& text) {
  size_t lead = 0;
  while (lead < text.Text.size() && text.Text[lead] == u' ') ++lead;
  DeleteFirstChars(text, lead);
  size_t keep = text.Text.size();
  while (keep > 0 && text.Text[keep - 1] == u' ') --keep;
  Truncate(text, keep + 1);
}

std::u16string_view StrippedText(std::u16string_view text) {
  size_t from = 0, to = text.size();
  while (from < to && text[from] <= u' ') ++from;
  while (to > from && text[to - 1] <= u' ') --to;
  return text.substr(from, to - from);
}

void TEMFCoder::EraseLinesUnderWhiteRects(TPoint margin) {
  // Each list's lines by their place across (a piece keeps its line's), then along, so that an area meets
  // only the lines of its rows or columns that reach into it. Cut lines are emptied and the list compacted
  // once; the pieces go to its end in the order the areas made them.
  size_t work = 0;
  const size_t budget = kWhiteCutWorkPerObject * (HLines->size() + VLines->size() + WhiteRects.size()) + kWhiteCutWorkBase;
  auto erase = [&](TObjectList& lines, bool vertical) {
    using TPlace = std::pair<int32_t, int32_t>;  // across, start along
    auto placeOf = [vertical](const TRect& r) { return vertical ? TPlace{r.Left, r.Top} : TPlace{r.Top, r.Left}; };
    std::multimap<TPlace, size_t> byPlace;
    int64_t longest = 0;  // pieces are never longer than their lines
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i]) {
        const TRect& r = lines[i]->Rect;
        byPlace.emplace(placeOf(r), i);
        longest = std::max(longest, vertical ? int64_t{r.Bottom} - r.Top : int64_t{r.Right} - r.Left);
      }
    std::vector<std::multimap<TPlace, size_t>::iterator> hits;
    for (const auto& area : WhiteRects) {
      if (!area) continue;
      const TRect& r = area->Rect;
      const TRect inner{Beyond(r.Left, margin.X), Beyond(r.Top, margin.Y), Beyond(r.Right, -margin.X),
                        Beyond(r.Bottom, -margin.Y)};
      const int32_t innerLo = vertical ? inner.Top : inner.Left, innerHi = vertical ? inner.Bottom : inner.Right;
      const int32_t acrossLo = vertical ? inner.Left : inner.Top, acrossHi = vertical ? inner.Right : inner.Bottom;
      if (acrossLo > acrossHi) continue;
      // A line that reaches past innerLo starts after innerLo - longest.
      const auto firstStart = static_cast<int32_t>(std::max<int64_t>(INT32_MIN, int64_t{innerLo} - longest));
      hits.clear();
      for (auto it = byPlace.lower_bound({acrossLo, INT32_MIN}); it != byPlace.end() && it->first.first <= acrossHi;) {
        const int32_t at = it->first.first;
        it = byPlace.lower_bound({at, firstStart});
        for (; it != byPlace.end() && it->first.first == at && it->first.second < innerHi; ++it) {
          if (++work > budget) break;
          const TRectProTo& line = *lines[it->second];
          const int32_t hi = vertical ? line.Rect.Bottom : line.Rect.Right;
          if (line.Ident < area->Ident && hi > innerLo) hits.push_back(it);
        }
        if (work > budget || at == INT32_MAX) break;
        ++work;
        it = byPlace.lower_bound({at + 1, INT32_MIN});
      }
      if (work > budget) break;
      std::sort(hits.begin(), hits.end(), [](const auto& a, const auto& b) { return a->second < b->second; });
      for (const auto& hit : hits) {
        std::unique_ptr<TRectProTo>& cut = lines[hit->second];
        const TRect rect = cut->Rect;
        const int32_t type = RecordTypeOf(*cut), ident = cut->Ident;
        const int32_t lo = vertical ? rect.Top : rect.Left, hi = vertical ? rect.Bottom : rect.Right;
        const int32_t at = hit->first.first;
        const int32_t before = Beyond(innerLo, -1), after = Beyond(innerHi, 1);
        const std::pair<int32_t, int32_t> parts[2] = {{std::min(lo, before), std::min(hi, before)},
                                                      {std::max(lo, after), std::max(hi, after)}};
        cut.reset();
        byPlace.erase(hit);
        work += 2;
        for (const auto& [from, to] : parts) {
          if (from >= to) continue;
          const TRect piece = vertical ? TRect{at, from, at, to} : TRect{from, at, to, at};
          lines.push_back(std::make_unique<TLine>(type, piece, ident));
          byPlace.emplace(placeOf(piece), lines.size() - 1);
        }
      }
    }
    Compact(lines);
  };
  erase(*HLines, false);
  erase(*VLines, true);
  if (work > budget && Log)
    Log->Add("    White areas: more than " + std::to_string(budget) +
             " steps to cut the lines under them, the rest are left");
}

void TEMFCoder::BuildPageTexts(TTextMeasurer& measurer) {
  const bool skipOEMConvert = Store().ReadInteger(ConfigKey, u"SkipOEMConvert", 0) != 0;
  TRunBuilder runs(*this);
  runs.ConvertByOEMTable();
  TMeasureOptions options;
  options.ExtractBL = Settings.ExtractBL;
  options.DefaultCharset = static_cast<uint8_t>(DefaultCharset);
  options.CodePages = CodeServices ? &CodeServices->CodePages() : nullptr;
  options.Log = Log;
  MeasureTexts(*Texts, measurer, options);
  // Producers fill the record bounds in every way; only bounds that fit the measured text may clip it.
  for (auto& object : *Texts)
    if (auto* text = dynamic_cast<TText*>(object.get())) ApplyBoundsClip(*text);
  runs.EraseUnderWhiteRects();
  runs.Clip();
  runs.ConvertCharacters(skipOEMConvert);
  runs.UnderlinesToLines();
  runs.SplitTransparentBlanks();
  runs.SortByNumber();
  runs.RemoveOverprinted();
  runs.RemoveWhiteTexts();
  runs.VerticalLineChars();
  runs.JoinLineCharPieces();
  runs.UnderscoresToLines();
  runs.LineCharRunsToLines();
  runs.TrimAll();
  runs.RemoveBlankTexts();
}

void TEMFCoder::JoinTexts() {
  if (Texts->empty()) return;
  TRunBuilder runs(*this);
  runs.SplitAtVerticalLines();
  runs.SplitAtBlankRuns();
  runs.RemoveBlankTexts();
  runs.JoinWords();
}
