// The raw coder's page: the page loop over the stream (text on the character grid, line feeds, form
// feeds, the marker and code-pitch commands, everything else to the interpreters), where the code goes
// in the stream, and the page model from the texts: lines from underlines and line characters, texts
// cut at the lines, overprints resolved and converted from CP866.
#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <functional>
#include <typeinfo>

#include "coding/enumraw2_interp.h"
#include "coding/enumraw2_overprint.h"
#include "coding/cl_macrotools_lines.h"
#include "coding/lib_datcoder_random.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_str.h"
#include "foundation/lib_sys.h"

using enumraw2::TLine;
using enumraw2::TLineFeed;
using enumraw2::TText;
using enumraw2_interp::ClampToInt;

namespace {

constexpr char16_t kNul = 0;
constexpr char16_t kBlank = u' ';

int16_t Small(double v) { return static_cast<int16_t>(std::clamp<int64_t>(RoundToInt(std::clamp(v, -1e9, 1e9)), INT16_MIN, INT16_MAX)); }
std::u16string Num(int64_t v) { return Utf8ToWide(IntToText(v)); }

// Blanks, controls and NUL only.
bool TrimsEmpty(const std::u16string& s) {
  return std::all_of(s.begin(), s.end(), [](char16_t ch) { return ch <= 0x20; });
}

bool IsNotBlank(const TText& t) {
  return !TrimsEmpty(t.Text) || (t.Underline && !t.Text.empty()) || t.Text.find(kNul) != std::u16string::npos;
}

TText* AsText(const std::unique_ptr<TRectProTo>& object) { return static_cast<TText*>(object.get()); }

// Stable sorting; the lists come mostly in order already (rows follow the stream), and then cost one pass.
template <class Items, class Less>
void StableSort(Items& items, Less less) {
  if (!std::is_sorted(items.begin(), items.end(), less)) std::stable_sort(items.begin(), items.end(), less);
}

bool TopLeftLess(const TText* a, const TText* b) {
  return a->Rect.Top != b->Rect.Top ? a->Rect.Top < b->Rect.Top : a->Rect.Left < b->Rect.Left;
}

std::unique_ptr<TText> TextLike(TRAWCoder& coder, const TText& from, std::u16string_view text, int32_t left, int32_t right) {
  auto t = coder.NewText(from.Ident, TPoint{left, from.Rect.Top});
  t->Rect = TRect{left, from.Rect.Top, right, from.Rect.Bottom};
  t->Text.assign(text);
  t->Underline = from.Underline;
  t->Height = from.Height;
  t->CharWidth = from.CharWidth;
  t->AttributeText = from.AttributeText;
  t->EndOffset = from.EndOffset;
  return t;
}

// The runs of the text between NULs and double blanks, each a text on its grid, handed to put with
// whether it is one run as IsOneRun sees it (always, unless a coordinate was clamped); the last run keeps
// the text's own object. A run is a stretch of the text: a blank is dropped only at a run's start.
template <class Put>
void SplitTextRuns(TRAWCoder& coder, std::unique_ptr<TRectProTo> whole, Put&& put) {
  TText& text = *AsText(whole);
  const std::u16string& s = text.Text;
  const int64_t w = text.CharWidth;
  struct TRun {
    size_t Start = 0, End = 0;
    int32_t Left = 0, Right = 0;
    bool Exact = false;  // Left unclamped
  };
  TRun last;  // the run found last, put out when the next one is found
  size_t start = 0;  // the run's first character; == i while the run is empty
  auto flush = [&](size_t end, int64_t right) {
    if (end <= start) return;
    if (last.End > last.Start)
      put(TextLike(coder, text, std::u16string_view(s).substr(last.Start, last.End - last.Start), last.Left, last.Right), last.Exact);
    const int32_t r = ClampToInt(right);
    const int64_t left = int64_t{r} - static_cast<int64_t>(end - start) * w;
    last = TRun{start, end, ClampToInt(left), r, left == ClampToInt(left)};
  };
  const char16_t* const chars16 = s.data();  // s stays as it is until the end
  const size_t n = s.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t ch = chars16[i];
    if (ch != kNul && ch != kBlank) continue;
    const bool blankNext = i + 1 < n && (chars16[i + 1] == kBlank || chars16[i + 1] == kNul);
    if (ch == kNul || blankNext) {
      flush(i, text.Rect.Left + static_cast<int64_t>(i) * w);
      start = i + 1;
    } else if (ch == kBlank && start == i) {
      start = i + 1;
    }
  }
  flush(n, text.Rect.Right);
  if (last.End == last.Start) return;
  text.Text.erase(last.End);
  text.Text.erase(0, last.Start);
  text.Rect.Left = last.Left;
  text.Rect.Right = last.Right;
  text.Special = text.Used = 0;
  put(std::move(whole), last.Exact);
}

// Whether SplitTextRuns would give text back whole: no NUL, no blank first, no blank before a blank.
bool IsOneRun(const TText& text) {
  const std::u16string& s = text.Text;
  if (s.empty() || s[0] == kBlank) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == kNul) return false;
    if (s[i] == kBlank && i + 1 < s.size() && (s[i + 1] == kBlank || s[i + 1] == kNul)) return false;
  }
  return int64_t{text.Rect.Right} - static_cast<int64_t>(s.size()) * text.CharWidth == text.Rect.Left;
}

// Lines of one direction sorted by their fixed coordinate, for the texts to find theirs by search.
struct TLineIndex {
  struct TEntry {
    int32_t At;   // x of a vertical line, y of a horizontal one
    int32_t Lo;   // the extent along the line
    int32_t Hi;
  };
  std::vector<TEntry> Entries;
  TLineIndex(const TLineRecords& lines, bool vertical) {
    Entries.reserve(lines.size());
    for (const TLineRecord& line : lines) {
      const TRect& r = line.Rect;
      if (vertical)
        Entries.push_back({r.Left, std::min(r.Top, r.Bottom), std::max(r.Top, r.Bottom)});
      else
        Entries.push_back({r.Top, std::min(r.Left, r.Right), std::max(r.Left, r.Right)});
    }
    std::sort(Entries.begin(), Entries.end(), [](const TEntry& a, const TEntry& b) { return a.At < b.At; });
  }
  template <class F>
  void ForRange(int64_t from, int64_t to, F&& f) const {
    auto it = std::lower_bound(Entries.begin(), Entries.end(), from, [](const TEntry& e, int64_t v) { return e.At < v; });
    for (; it != Entries.end() && it->At <= to; ++it) f(*it);
  }
};

bool BlankLike(char16_t ch, const TCharSet& lineChrV) { return ch == kNul || ch == kBlank || (ch < 256 && lineChrV.test(ch)); }

// Characters under the lines become NUL; measured from the text's left edge.
void ClearCoveredChars(std::u16string& s, const TText& text, const TLineIndex& v, const TLineIndex& h,
                       const TCharSet& lineChrV, int32_t t) {
  const int64_t w = text.CharWidth;
  if (w <= 0 || s.empty()) return;
  const int64_t left = text.Rect.Left, right = text.Rect.Right;
  const int64_t mid = (int64_t{text.Rect.Top} + text.Rect.Bottom) / 2;
  const int64_t len = static_cast<int64_t>(s.size());
  v.ForRange(left - t, right + t, [&](const TLineIndex::TEntry& line) {
    if (mid < line.Lo || mid > line.Hi) return;
    const int64_t x = line.At;
    if (x >= left && x <= right) {
      const int64_t i = (x - left) / w + 1;
      if (1 < i && i < len) {
        char16_t& here = s[static_cast<size_t>(i - 1)];
        const int64_t side = (x - left) - i * w + w / 2;
        char16_t* neighbour = side < 0 ? &s[static_cast<size_t>(i - 2)] : side > 0 ? &s[static_cast<size_t>(i)] : nullptr;
        if (BlankLike(here, lineChrV))
          here = kNul;
        else if (neighbour && BlankLike(*neighbour, lineChrV))
          *neighbour = kNul;
        else
          here = kNul;
      }
    }
    // Only the characters whose cells (widened by t) hold x: a line far right of a long text costs nothing.
    const int64_t first = std::max<int64_t>(0, (x - t - left - w + 1) / w - 1);
    for (int64_t j = first; j < len; ++j) {
      const int64_t cell = left + j * w;
      if (cell - t > x) break;
      if (x <= cell + w - 1 + t && s[static_cast<size_t>(j)] < 256 && lineChrV.test(s[static_cast<size_t>(j)]))
        s[static_cast<size_t>(j)] = kNul;
    }
  });
  h.ForRange(mid, mid, [&](const TLineIndex::TEntry& line) {
    const int64_t firstCentre = left + w / 2;
    const int64_t from = std::max<int64_t>(0, (line.Lo - firstCentre + w - 1) / w);
    for (int64_t j = from; j < len; ++j) {
      const int64_t centre = firstCentre + j * w;
      if (centre > line.Hi) break;
      if (centre >= line.Lo) s[static_cast<size_t>(j)] = kNul;
    }
  });
}

// CP866 bytes to the ANSI text the recogniser reads, in place: each byte through the OEM-to-ANSI table
// and the ANSI code page.
void OemTextToAnsi(std::u16string& s) {
  static const std::array<char16_t, 256> kTable = [] {
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b) {
      const std::u16string one = DecodeCodePage(std::string(1, static_cast<char>(Oem866ToAnsi1251(static_cast<uint8_t>(b)))), kCodePage1251);
      table[static_cast<size_t>(b)] = one.size() == 1 ? one[0] : u'?';
    }
    return table;
  }();
  for (char16_t& ch : s) ch = kTable[ch & 0xFF];
}

}  // namespace

// The page loop and the model steps, with the coder's fields.
class TRawPageParser {
 public:
  TRawPageParser(TRAWCoder& coder, TByteReader& reader, bool& pageEnded, int32_t& errors)
      : HLines(coder.pageHLines_),
        VLines(coder.pageVLines_),
        c_(coder),
        ctx_(RawInterpContext(coder)),
        reader_(reader),
        pageEnded_(pageEnded),
        errors_(errors),
        lineChars_(coder.pageLineChars_) {
    HLines.clear();
    VLines.clear();
    lineChars_.clear();
  }

  int32_t ParseRawStream(uint32_t startTick);
  void FindCodePosition(size_t pageEnd);  // pageEnd: where the page's own bytes end
  double LinesFromUnderlines();
  double LinesFromLineChars();
  // False when the page ran out of time.
  bool AssembleTexts(int32_t t, uint32_t startTick);
  void TrailingText(size_t from, size_t end, size_t pageEnd);
  // Lines are records until the clean-up is over: most of them are merged away.
  void TakeLineObjects();
  void PutLineObjects();

  // The coder's, emptied: the pages of a job reuse their room.
  TLineRecords& HLines;
  TLineRecords& VLines;

  double HeightSum = 0;
  int64_t CharCount = 0;
  TRawParseState Parse;

 private:
  void BeginText(size_t offset);
  int32_t PitchWidth();
  void NextText(size_t offset);
  void Append(char16_t ch, size_t end);
  void UnderlinePiece(size_t end);
  int32_t Abandon();

  TRAWCoder& c_;
  TRawInterpContext ctx_;
  TByteReader& reader_;
  bool& pageEnded_;
  int32_t& errors_;
  TText* text_ = nullptr;
  // The line characters of the texts this parse makes, in stream order (which is the texts' order, each
  // text's characters in turn), so that the lines need no second look at every character. Kept unless
  // NUL is a line character (an underline piece holds one, in the middle of another text's characters).
  enum : uint8_t { kVertical = 1, kHorizontal = 2 };
  std::array<uint8_t, 256> lineKinds_{};
  using TLineChar = TRAWCoder::TPageLineChar;
  std::vector<TLineChar>& lineChars_;
  bool keptLineChars_ = false;
  size_t firstNewText_ = 0;
  double widthPitch_ = 0;  // the pitch width_ was computed for: texts begin after every command
  int32_t width_ = 0;
  TObjectList oldH_, oldV_;  // lines the model held before the page (Index - 1 into these)
};

int32_t TRawPageParser::PitchWidth() {
  if (c_.CurrentPitch != widthPitch_ || width_ == 0) {
    widthPitch_ = c_.CurrentPitch;
    width_ = RoundToInt(2540.0 / widthPitch_);
  }
  return width_;
}

void TRawPageParser::BeginText(size_t offset) {
  auto t = c_.NewText(ClampToInt(static_cast<int64_t>(offset)), Parse.Point);
  t->CharWidth = PitchWidth();
  t->Underline = c_.Underline ? 1 : 0;
  t->AttributeText = Parse.AttributeText;
  t->EndOffset = t->Ident;
  text_ = t.get();
  c_.Texts->push_back(std::move(t));
  Parse.CurrentText = text_;
}

// A text that holds something is closed; an empty one starts again at the point.
void TRawPageParser::NextText(size_t offset) {
  if (!text_) return;
  if (!text_->Text.empty()) {
    text_ = nullptr;
    Parse.CurrentText = nullptr;
    return;
  }
  text_->Rect = TRect{Parse.Point.X, Parse.Point.Y, Parse.Point.X, Parse.Point.Y};
  text_->CharWidth = PitchWidth();
  text_->Underline = c_.Underline ? 1 : 0;
  text_->AttributeText = Parse.AttributeText;
  text_->Ident = text_->EndOffset = ClampToInt(static_cast<int64_t>(offset));
}

void TRawPageParser::Append(char16_t ch, size_t end) {
  if (lineKinds_[ch & 0xFF] != 0) lineChars_.push_back(TLineChar{text_, text_->Text.size()});
  text_->Text.push_back(ch);
  text_->Rect.Right = ClampToInt(int64_t{text_->Rect.Right} + text_->CharWidth);
  text_->EndOffset = ClampToInt(static_cast<int64_t>(end));
  HeightSum += LineHeight48(c_.CurrentSpacing);
  ++CharCount;
}

void TRawPageParser::UnderlinePiece(size_t end) {
  auto piece = c_.NewText(ClampToInt(static_cast<int64_t>(end) - 1), TPoint{text_->Rect.Right, text_->Rect.Top});
  piece->Underline = 1;
  piece->CharWidth = text_->CharWidth;
  piece->AttributeText = text_->AttributeText;
  piece->Text.assign(1, kNul);
  piece->Rect.Right = ClampToInt(int64_t{piece->Rect.Left} + piece->CharWidth);
  piece->EndOffset = ClampToInt(static_cast<int64_t>(end));
  c_.Texts->push_back(std::move(piece));
}

int32_t TRawPageParser::Abandon() {
  reader_.Seek(static_cast<int64_t>(reader_.Size()));
  return -1;
}

int32_t TRawPageParser::ParseRawStream(uint32_t startTick) {
  pageEnded_ = true;
  errors_ = 0;
  Parse.Errors = 0;
  Parse.Point = {0, 0};
  Parse.AttributeText.clear();
  Parse.PageHoldsText = false;
  Parse.PageGoesOn = true;
  int32_t pages = 1;
  if (c_.Log && c_.Log->Enabled()) c_.Log->Add("    Start at: " + IntToText(static_cast<int64_t>(reader_.Position())));
  const std::span<const uint8_t> bytes = reader_.Bytes();
  const std::string& marker = c_.Marker;
  const bool hasMarker = !marker.empty();
  const uint8_t marker0 = hasMarker ? static_cast<uint8_t>(marker[0]) : 0;
  const bool hasPitchCodes = c_.CodePitchTable.FirstBytes.any();
  const int32_t tab = std::max(1, c_.TabWidth);
  // Of each byte in a plain run: whether the run stops at it, whether it prints as a blank, and whether
  // what it prints is a line character.
  enum : uint8_t { kStop = 1, kPrintsBlank = 2, kLineChar = 4 };
  for (size_t b = 0; b < 256; ++b)
    lineKinds_[b] = static_cast<uint8_t>((c_.LineChrV.test(b) ? kVertical : 0) | (c_.LineChrH.test(b) ? kHorizontal : 0));
  std::array<uint8_t, 256> plain{};
  for (size_t b = 0; b < 256; ++b) {
    const bool stop = b < 0x20 || (hasMarker && b == marker0) || (hasPitchCodes && c_.CodePitchTable.FirstBytes.test(b)) ||
                      c_.LineChHSub.test(b);
    const bool blank = b == 0x20 || c_.BlankChr.test(b);
    plain[b] = static_cast<uint8_t>((stop ? kStop : 0) | (blank ? kPrintsBlank : 0) |
                                    (lineKinds_[blank ? 0x20 : b] != 0 ? kLineChar : 0));
  }
  keptLineChars_ = lineKinds_[0] == 0;
  firstNewText_ = c_.Texts->size();
  size_t sinceCheck = 0;
  for (;;) {
    if (++sinceCheck >= 100) {
      sinceCheck = 0;
      if (!c_.CheckTimeOut(startTick)) return Abandon();
    }
    const size_t at = reader_.Position();
    uint8_t ch = 0;
    if (!reader_.ReadByte(ch)) break;
    if (!text_) BeginText(at);
    if (hasPitchCodes && c_.CodePitchTable.FirstBytes.test(ch)) {
      bool matched = false;
      for (const TPitchCode& code : c_.CodePitchTable.Codes) {
        if (code.FirstByte != ch) continue;
        const size_t back = reader_.Position();
        if (!code.Tail.empty() && enumraw2_interp::MatchOrEnd(reader_, code.Tail) != enumraw2_interp::TMatch::Yes) {
          reader_.Seek(static_cast<int64_t>(back));
          continue;
        }
        c_.CurrentPitch = code.Pitch;
        matched = true;
        break;
      }
      if (matched && !reader_.ReadByte(ch)) break;
    }
    if (hasMarker && ch == marker0) {
      if (marker.size() == 1) {
        pageEnded_ = false;
        return 1;
      }
      if (enumraw2_interp::StreamText(reader_).substr(reader_.Position(), marker.size() - 1) == std::string_view(marker).substr(1)) {
        reader_.Skip(static_cast<int64_t>(marker.size() - 1));
        pageEnded_ = false;
        return static_cast<int32_t>(std::min<size_t>(marker.size(), INT32_MAX));
      }
    }
    const size_t after = reader_.Position();
    if (ch >= 0x20) {
      if (ch == 0x20) {
        Append(kBlank, after);
        continue;
      }
      Parse.PageHoldsText = true;
      if (c_.LineChHSub.test(ch)) {
        UnderlinePiece(after);
        Append(kBlank, after);
      } else {
        Append(c_.BlankChr.test(ch) ? kBlank : static_cast<char16_t>(ch), after);
      }
      // The rest of a plain run at once, in one pass: no marker, pitch code or underline among it.
      const size_t limit = std::min(bytes.size(), after + 96);
      if (limit > after && (plain[bytes[after]] & kStop) == 0) {
        const size_t from = text_->Text.size();
        text_->Text.resize(from + (limit - after));
        char16_t* out = text_->Text.data() + from;
        size_t end = after;
        for (; end < limit; ++end) {
          const uint8_t b = bytes[end];
          const uint8_t kind = plain[b];
          if (kind & kStop) break;
          out[end - after] = (kind & kPrintsBlank) ? kBlank : static_cast<char16_t>(b);
          if (kind & kLineChar) lineChars_.push_back(TLineChar{text_, from + (end - after)});
        }
        const size_t n = end - after;
        text_->Text.resize(from + n);
        const int32_t w = text_->CharWidth;
        text_->Rect.Right = ClampToInt(int64_t{text_->Rect.Right} + static_cast<int64_t>(n) * w);
        text_->EndOffset = ClampToInt(static_cast<int64_t>(end));
        HeightSum += static_cast<double>(LineHeight48(c_.CurrentSpacing)) * static_cast<double>(n);
        CharCount += static_cast<int64_t>(n);
        sinceCheck += n;
        reader_.Seek(static_cast<int64_t>(end));
      }
      continue;
    }
    switch (ch) {
      case '\t': {
        const int64_t w = std::max(1, text_->CharWidth);
        const int64_t column = RoundToInt(static_cast<double>(text_->Rect.Right) / static_cast<double>(w));
        // In double: a tab size and a character width near the 32-bit limits overflow even 64 bits.
        const double stop = static_cast<double>(column / tab + 1) * tab * static_cast<double>(w);
        Parse.Point.X = static_cast<int32_t>(std::clamp(stop, double{INT32_MIN}, double{INT32_MAX}));
        break;
      }
      case '\n': DoLineFeed(ctx_, Parse, at, 1, false); break;
      case '\r':
        Parse.Point.X = 0;
        if (c_.AutoCRLF == 2) DoLineFeed(ctx_, Parse, at, 1, false);
        break;
      case '\f':
        if (pages < c_.MaxAllowedPages - 1) {
          ++pages;
          if (c_.Log && c_.Log->Enabled()) c_.Log->AddWide(u"--> Обработка следующей страницы: N " + Num((pages)));
          break;
        }
        if (c_.Log && c_.Log->Enabled())
          c_.Log->AddWide(u"--> Превышен порог кол-ва страниц: N " + Num((int64_t{pages} + 1)) + u". Выход!");
        pageEnded_ = false;
        return 1;
      default: {
        Parse.Point = {text_->Rect.Right, text_->Rect.Top};
        c_.InterpretCommand(ch, reader_, Parse);
        errors_ = Parse.Errors;
        if (!Parse.PageGoesOn) {
          pageEnded_ = false;
          return ClampToInt(static_cast<int64_t>(reader_.Position()) - static_cast<int64_t>(after) + 1);
        }
        if (c_.MaxErrors > 0 && Parse.Errors > c_.MaxErrors) {
          if (c_.Log && c_.Log->Enabled())
            c_.Log->AddWide(u"--> Превышено допустимое количество ошибок интерпретации команд принтера! Выход!");
          return Abandon();
        }
      }
    }
    NextText(reader_.Position());
  }
  return 0;
}

void TRawPageParser::FindCodePosition(size_t pageEnd) {
  std::vector<TLineFeed*> feeds;
  feeds.reserve(c_.LineFeeds.size());
  for (auto& lf : c_.LineFeeds) feeds.push_back(&lf);
  StableSort(feeds, [](const TLineFeed* a, const TLineFeed* b) {
    if (a->Point.Y != b->Point.Y) return a->Point.Y < b->Point.Y;
    if (a->Point.X != b->Point.X) return a->Point.X < b->Point.X;
    return a->Offset < b->Offset;
  });
  const int32_t place = c_.PicPlace;
  const auto vertical = static_cast<int16_t>(static_cast<uint32_t>(place) >> 16);
  if (c_.PicTop != 0) {
    c_.TrimTrail = false;
    if (feeds.empty()) return;
    const int64_t row = vertical > 0 ? RoundToInt(vertical * 48.0 / 8.0) : 0;
    size_t k = 0;
    while (k < feeds.size() && feeds[k]->Point.Y < row) ++k;
    if (k == feeds.size()) k = 0;
    const TLineFeed* lf = feeds[std::max<size_t>(1, k) - 1];
    c_.CodePosition = ClampToInt(int64_t{lf->Offset} + lf->Length);
    return;
  }
  std::vector<TText*> texts;
  texts.reserve(c_.Texts->size());
  for (const auto& object : *c_.Texts) texts.push_back(AsText(object));
  StableSort(texts, TopLeftLess);
  auto last = std::find_if(texts.rbegin(), texts.rend(), [](const TText* t) { return IsNotBlank(*t); });
  TPoint point{0, 0};
  if (last != texts.rend()) {
    const TText& t = **last;
    c_.CodePosition = std::min(c_.CodePosition, t.EndOffset);
    point = {t.Rect.Right, t.Rect.Top};
    bool onRow = false;
    for (auto it = feeds.rbegin(); it != feeds.rend(); ++it) {
      if ((*it)->Point.Y > point.Y) continue;
      if ((*it)->Point.Y < point.Y) break;
      c_.CodePosition = (*it)->Offset;
      point = (*it)->Point;
      onRow = true;
      break;
    }
    if (!onRow && t.Underline) {
      c_.CodePosition = ClampToInt(static_cast<int64_t>(pageEnd));
      point = {0, 0};
    }
  }
  if (c_.OutputMode >= kModeRectMF && c_.OutputMode <= kModeHPGL) {
    c_.TrimTrail = false;
    return;
  }
  if (!feeds.empty() && vertical < 0) {
    point.Y = ClampToInt(int64_t{point.Y} + int64_t{vertical} * 6);
    for (auto it = feeds.rbegin(); it != feeds.rend(); ++it) {
      const TPoint p = (*it)->Point;
      if (p.Y < point.Y || (p.Y == point.Y && p.X < point.X)) {
        c_.CodePosition = (*it)->Offset;
        break;
      }
    }
  }
  if (!c_.TrimTrail) return;
  StableSort(texts, [](const TText* a, const TText* b) {
    return a->Ident != b->Ident ? a->Ident < b->Ident : TopLeftLess(a, b);
  });
  last = std::find_if(texts.rbegin(), texts.rend(), [](const TText* t) { return IsNotBlank(*t); });
  const int64_t end = last != texts.rend() ? std::min<int64_t>(static_cast<int64_t>(pageEnd), (*last)->EndOffset)
                                           : static_cast<int64_t>(pageEnd);
  TrailingText(static_cast<size_t>(std::max(0, c_.CodePosition)), static_cast<size_t>(std::max<int64_t>(0, end)), reader_.Position());
}

// The bytes after the code up to the page end, less the line feeds after the last text.
void TRawPageParser::TrailingText(size_t from, size_t end, size_t pageEnd) {
  const std::string_view stream = enumraw2_interp::StreamText(reader_);
  pageEnd = std::min(pageEnd, stream.size());
  from = std::min(from, pageEnd);
  std::vector<const TLineFeed*> feeds;
  for (auto& lf : c_.LineFeeds) feeds.push_back(&lf);
  StableSort(feeds, [](const TLineFeed* a, const TLineFeed* b) { return a->Offset < b->Offset; });
  // The removed commands, in stream order, each inside [from, pageEnd).
  std::vector<std::pair<size_t, size_t>> cuts;
  for (auto it = feeds.rbegin(); it != feeds.rend(); ++it) {
    const TLineFeed& lf = **it;
    if (lf.Offset < 0 || static_cast<size_t>(lf.Offset) < end) break;
    const size_t at = static_cast<size_t>(lf.Offset);
    if (at < from || at >= pageEnd) continue;
    const size_t to = std::min(pageEnd, at + static_cast<size_t>(std::max(1, lf.Length)));
    if (!cuts.empty() && to > cuts.back().first) continue;  // overlapping records: the later one is cut already
    cuts.emplace_back(at, to);
  }
  std::string out;
  out.reserve(pageEnd - from);
  size_t pos = from;
  for (auto it = cuts.rbegin(); it != cuts.rend(); ++it) {
    if (it->first < pos) continue;
    out.append(stream.substr(pos, it->first - pos));
    pos = it->second;
  }
  out.append(stream.substr(pos, pageEnd - pos));
  c_.TrailingData = std::move(out);
  if (c_.Log && c_.Log->Enabled())
    c_.Log->AddWide(u"    Остаток текста: " + Num(static_cast<int64_t>(c_.TrailingData.size())) + u" (команд LF: " +
                    Num(static_cast<int64_t>(cuts.size())) + u")");
}

double TRawPageParser::LinesFromUnderlines() {
  int64_t widths = 0, chars = 0;
  for (const auto& object : *c_.Texts) {
    const TText& t = *AsText(object);
    if (!t.Underline || t.Text.empty()) continue;
    const int64_t width = static_cast<int64_t>(t.Text.size()) * t.CharWidth;
    const int32_t right = ClampToInt(int64_t{t.Rect.Left} + width);
    HLines.push_back(TLineRecord{TRect{t.Rect.Left, t.Rect.Bottom, right, t.Rect.Bottom}, t.Ident});
    widths += width;
    chars += static_cast<int64_t>(t.Text.size());
  }
  return chars ? static_cast<double>(widths) / static_cast<double>(chars) : 0.0;
}

double TRawPageParser::LinesFromLineChars() {
  int64_t widths = 0, chars = 0;
  size_t next = 0;  // the first line character of the text at hand among those the parse kept
  for (size_t k = 0; k < c_.Texts->size(); ++k) {
    const TText& t = *AsText((*c_.Texts)[k]);
    const int64_t w = t.CharWidth;
    const int32_t midRow = static_cast<int32_t>((int64_t{t.Rect.Top} + t.Rect.Bottom) / 2);
    size_t run = 0, runEnd = 0;  // a run of horizontal characters ending before runEnd
    auto endRun = [&] {
      if (run >= 2 || t.Text[runEnd - 1] != u'-') {
        const int64_t left = t.Rect.Left + static_cast<int64_t>(runEnd - run) * w;
        const int64_t width = static_cast<int64_t>(run) * w;
        HLines.push_back(TLineRecord{TRect{ClampToInt(left), midRow, ClampToInt(left + width), midRow}, t.Ident});
        widths += width;
        chars += static_cast<int64_t>(run);
      }
      run = 0;
    };
    // Line character j of the text, the characters between it and the one before being none.
    auto lineChar = [&](size_t j) {
      const char16_t ch = t.Text[j];
      const uint8_t kind = lineKinds_[ch];
      if (kind & kVertical) {
        const int32_t x = ClampToInt(t.Rect.Left + static_cast<int64_t>(j) * w + w / 2);
        VLines.push_back(TLineRecord{TRect{x, t.Rect.Top, x, t.Rect.Bottom}, t.Ident, c_.LineChrVSpec.test(ch) ? uint8_t{1} : uint8_t{0}});
      }
      if (run > 0 && (j != runEnd || !(kind & kHorizontal))) endRun();
      if (kind & kHorizontal) {
        ++run;
        runEnd = j + 1;
      }
    };
    if (keptLineChars_ && k >= firstNewText_) {
      for (; next < lineChars_.size() && lineChars_[next].Text == &t; ++next) lineChar(lineChars_[next].Index);
    } else {
      const char16_t* const s = t.Text.data();
      for (size_t j = 0; j < t.Text.size(); ++j)
        if (s[j] < 256 && lineKinds_[s[j]] != 0) lineChar(j);
    }
    if (run > 0) endRun();
  }
  return chars ? static_cast<double>(widths) / static_cast<double>(chars) : 0.0;
}

bool TRawPageParser::AssembleTexts(int32_t t, uint32_t startTick) {
  const TLineIndex v(VLines, true), h(HLines, false);
  // Clean: known to be one run, the test of every character done or not needed.
  struct TPiece {
    std::unique_ptr<TRectProTo> Object;
    bool Clean;
  };
  std::vector<TPiece> pieces;
  pieces.reserve(c_.Texts->size());
  auto putPiece = [&pieces](std::unique_ptr<TRectProTo> piece, bool oneRun) { pieces.push_back(TPiece{std::move(piece), oneRun}); };
  for (auto& object : *c_.Texts) {
    TText& text = *AsText(object);
    if (TrimsEmpty(text.Text)) continue;
    ClearCoveredChars(text.Text, text, v, h, c_.LineChrV, t);  // the old texts go after this pass
    if (IsOneRun(text))
      putPiece(std::move(object), true);
    else
      SplitTextRuns(c_, std::move(object), putPiece);
  }
  c_.Texts->clear();
  StableSort(pieces, [](const TPiece& a, const TPiece& b) { return TopLeftLess(AsText(a.Object), AsText(b.Object)); });
  std::vector<TText*> sorted;
  sorted.reserve(pieces.size());
  for (const TPiece& piece : pieces) sorted.push_back(AsText(piece.Object));
  enumraw2::TOverprints overprints(std::move(sorted));
  const std::function<bool()> inTime = [this, startTick] { return c_.CheckTimeOut(startTick); };
  auto putText = [this](std::unique_ptr<TRectProTo> piece, bool) { c_.Texts->push_back(std::move(piece)); };
  for (size_t ai = 0; ai < pieces.size(); ++ai) {
    TText& a = *AsText(pieces[ai].Object);
    if (a.Text.empty()) continue;
    if (!overprints.Walk(ai, inTime)) return false;
    // The pieces before this one are final: a moves on whole when it is one run.
    const size_t first = c_.Texts->size();
    if ((pieces[ai].Clean && !overprints.Changed(ai)) || IsOneRun(a))
      c_.Texts->push_back(std::move(pieces[ai].Object));
    else
      SplitTextRuns(c_, std::move(pieces[ai].Object), putText);
    for (size_t i = first; i < c_.Texts->size(); ++i) OemTextToAnsi(AsText((*c_.Texts)[i])->Text);
  }
  return true;
}

// Lines already in the model (a page parsed without Reinit; only this parser makes them, so all are
// lines) go through the clean-up with the new ones.
void TRawPageParser::TakeLineObjects() {
  auto take = [](TObjectList& list, TObjectList& old, TLineRecords& records) {
    old = std::move(list);
    list.clear();
    for (size_t i = 0; i < old.size(); ++i) {
      if (!old[i]) continue;
      const auto* line = dynamic_cast<const TLineProTo*>(old[i].get());
      records.push_back(
          TLineRecord{old[i]->Rect, old[i]->Ident, line ? line->Special : uint8_t{0}, false, static_cast<uint32_t>(i + 1)});
    }
  };
  take(*c_.HLines, oldH_, HLines);
  take(*c_.VLines, oldV_, VLines);
}

void TRawPageParser::PutLineObjects() {
  auto put = [](const TLineRecords& records, TObjectList& old, TObjectList& list) {
    list.reserve(list.size() + records.size());
    for (const TLineRecord& r : records) {
      if (r.Index == 0) {
        auto line = std::make_unique<TLine>(r.Ident, r.Rect);
        line->Special = r.Special;
        list.push_back(std::move(line));
        continue;
      }
      std::unique_ptr<TRectProTo>& object = old[r.Index - 1];
      object->Rect = r.Rect;
      if (auto* line = dynamic_cast<TLineProTo*>(object.get())) line->Special = r.Special;
      list.push_back(std::move(object));
    }
    old.clear();
  };
  put(HLines, oldH_, *c_.HLines);
  put(VLines, oldV_, *c_.VLines);
}

std::unique_ptr<TText> TRAWCoder::NewText(int32_t offset, TPoint point) {
  if (spareTexts_.empty()) return std::make_unique<TText>(offset, point);
  std::unique_ptr<TText> t = std::move(spareTexts_.back());
  spareTexts_.pop_back();
  // Every field as the constructor leaves it; the strings keep their room.
  t->Ident = offset;
  t->Rect = TRect{point.X, point.Y, point.X, point.Y};
  t->Special = t->Used = 0;
  t->Text.clear();
  t->Underline = 0;
  t->Height = t->CharWidth = 0;
  t->AttributeText.clear();
  t->EndOffset = 0;
  return t;
}

void TRAWCoder::ClearTexts() {
  if (Texts) {
    for (std::unique_ptr<TRectProTo>& object : *Texts) {
      if (!object || spareTexts_.size() >= kMaxSpareTexts) continue;
      const TRectProTo& kept = *object;
      if (typeid(kept) != typeid(TText)) continue;
      spareTexts_.emplace_back(static_cast<TText*>(object.release()));
    }
  }
  TCoder::ClearTexts();
}

bool TRAWCoder::ParsePage(TByteReader& reader, bool& pageEnded, int32_t placeOverride, int32_t& errors,
                          TDosPrinterState& state) {
  const uint32_t start = ClockTick();
  TrailingData.clear();
  Underline = false;
  MacroId = 0;
  CurrentPitch = BasePitch = PrinterState.Pitch;
  CurrentSpacing = BaseSpacing = PrinterState.Spacing;
  TabWidth = PrinterState.TabSize;
  LeftMargin = PrinterState.LeftMargin;
  if (placeOverride != -1) PicPlace = placeOverride;
  BreakBeforeCode = false;
  bool parsed = false;
  try {
    parsed = ParsePageModel(reader, pageEnded, errors, start);
  } catch (const std::exception&) {
    parsed = false;
  }
  state.TabSize = TabWidth;
  state.LeftMargin = LeftMargin;
  state.Spacing = CurrentSpacing;
  state.Pitch = CurrentPitch;
  if (Log) Log->AddElapsed(start);
  return parsed;
}

bool TRAWCoder::ParsePageModel(TByteReader& reader, bool& pageEnded, int32_t& errors, uint32_t start) {
  ScanStarted();
  LineFeeds.clear();
  TRawPageParser p(*this, reader, pageEnded, errors);
  // The stream's search for a PCL reset holds for its later pages too; a stream read from its start is
  // taken as a new one.
  const bool sameStream = NoResetStream == reader.Bytes().data() && NoResetSize == reader.Size() && reader.Position() > 0;
  p.Parse.NoResetFrom = sameStream ? NoResetFrom : SIZE_MAX;
  const int32_t result = p.ParseRawStream(start);
  NoResetStream = reader.Bytes().data();
  NoResetSize = reader.Size();
  NoResetFrom = p.Parse.NoResetFrom;
  errors = p.Parse.Errors;
  const double average = p.CharCount > 0 ? p.HeightSum / static_cast<double>(p.CharCount) : 6.0;
  const int32_t height = RoundToInt(average * SymHeight);
  for (const auto& object : *Texts) {
    object->Rect.Bottom = ClampToInt(int64_t{object->Rect.Top} + height);
    AsText(object)->Height = height;
  }
  if (result < 0) return false;
  const size_t pageEnd = reader.Position();
  CodePosition = ClampToInt(std::max<int64_t>(0, static_cast<int64_t>(pageEnd) - result));
  if (std::none_of(Texts->begin(), Texts->end(), [](const auto& t) { return IsNotBlank(*AsText(t)); })) return false;

  const auto low = static_cast<int16_t>(static_cast<uint32_t>(Strings) & 0xFFFF);
  const auto per = static_cast<int16_t>(static_cast<uint32_t>(Strings) >> 16);
  const auto n = static_cast<int64_t>(LineFeeds.size());
  BreakBeforeCode = low > 0 && (per > 0 ? (n % per) > low : n > low);

  p.FindCodePosition(static_cast<size_t>(CodePosition));

  p.TakeLineObjects();
  const double w = std::max(p.LinesFromUnderlines(), p.LinesFromLineChars());
  const double h = average;
  SortTolerance = TSmallPoint{Small(w * PointSizeX), Small(h * PointSizeY)};
  ::MergeLines(p.HLines, TSmallPoint{Small(w * SplitX), 0}, false);
  ::MergeLines(p.VLines, TSmallPoint{0, Small(h * SplitY)}, true);
  ::ConnectLines(p.VLines, p.HLines, true, TSmallPoint{Small(w * StretchX), Small(h * StretchY)});
  ::MergeLines(p.HLines, TSmallPoint{Small(w * SplitX), 0}, false);
  ::MergeLines(p.VLines, TSmallPoint{Small(w * SplitX), Small(h * SplitY)}, true);
  ::ConnectLines(p.VLines, p.HLines, false, TSmallPoint{Small(w * RoundX), Small(h * RoundY)});
  const TSmallPoint lineLen{Small(w * LineLenX), Small(h * LineLenY)};
  std::erase_if(p.HLines, [&](const TLineRecord& r) { return IsShortLine(r.Rect, r.Special, lineLen.X); });
  std::erase_if(p.VLines, [&](const TLineRecord& r) { return IsShortLine(r.Rect, r.Special, lineLen.Y); });
  // Out of time: abandoned as the stream loop abandons it, the rest of the stream read.
  if (!CheckTimeOut(start) || !p.AssembleTexts(SortTolerance.X, start)) {
    reader.Seek(static_cast<int64_t>(reader.Size()));
    return false;
  }
  ::MergeLines(p.HLines, SortTolerance, false);
  ::MergeLines(p.VLines, SortTolerance, true);
  p.PutLineObjects();
  return true;
}
