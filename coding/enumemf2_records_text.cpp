// Text records of the walk: EXTTEXTOUT, POLYTEXTOUT and SMALLTEXTOUT strings decoded into texts with
// their place, advances, state and clip candidates.
#include <map>
#include <string>
#include <tuple>

#include "coding/enumemf2_records.h"
#include "coding/enumemf2_records_reader.h"

using namespace emfrec;

namespace {

// One EMRTEXT of a text record: its string decoded, its advances and its rectangle.
struct TEmrText {
  TPoint Reference;
  uint32_t Options = 0;
  TRect Rect;
  std::u16string Text;
  std::vector<int32_t> Advances;
};

// count characters at offset, 16-bit unless narrow.
std::u16string ReadString(const TRec& r, uint64_t offset, uint32_t count, bool narrow, bool glyphs,
                          const TTextDecoding& decoding, const TLogFontW& font) {
  const std::span<const uint8_t> chars = r.Bytes(offset, uint64_t{count} * (narrow ? 1 : 2), "string outside the record");
  if (narrow) return DecodeText8(decoding, font, std::string_view(reinterpret_cast<const char*>(chars.data()), count), glyphs);
  std::u16string units(count, u'\0');
  for (size_t i = 0; i < count; ++i) units[i] = static_cast<char16_t>(chars[2 * i] | chars[2 * i + 1] << 8);
  return DecodeText16(decoding, font, units, glyphs);
}

// The strings of one text record, each decoded once however many of its entries point at it.
class TRecordStrings {
 public:
  TRecordStrings(const TRec& r, bool narrow, const TTextDecoding& decoding, const TLogFontW& font)
      : r_(r), narrow_(narrow), decoding_(decoding), font_(font) {}
  uint64_t UnitSize() const { return narrow_ ? 1 : 2; }
  const std::u16string& Get(uint32_t offset, uint32_t count, bool glyphs) {
    const auto key = std::make_tuple(offset, count, glyphs);
    auto it = decoded_.find(key);
    if (it == decoded_.end())
      it = decoded_.emplace(key, ReadString(r_, offset, count, narrow_, glyphs, decoding_, font_)).first;
    return it->second;
  }

 private:
  const TRec& r_;
  bool narrow_;
  const TTextDecoding& decoding_;
  const TLogFontW& font_;
  std::map<std::tuple<uint32_t, uint32_t, bool>, std::u16string> decoded_;
};

TEmrText ReadEmrText(const TRec& r, size_t at, TRecordStrings& strings) {
  TEmrText t;
  t.Reference = r.Point(at);
  const uint32_t count = r.U32(at + 8), offString = r.U32(at + 12);
  t.Options = r.U32(at + 16);
  t.Rect = r.Rect(at + 20);
  const uint32_t offDx = r.U32(at + 36);
  t.Text = strings.Get(offString, count, (t.Options & kEtoGlyphIndex) != 0);
  if (offDx != 0 && count > 0) {
    // ETO_PDY: (dx, dy) pairs; the dx are the even entries.
    const size_t step = (t.Options & kEtoPdy) ? 2 : 1;
    r.Need(offDx, uint64_t{count} * step, 4, "advances outside the record");
    t.Advances.resize(count - 1);
    for (size_t i = 0; i + 1 < count; ++i) t.Advances[i] = r.I32(offDx + i * step * 4);
  }
  return t;
}

}  // namespace

TRect TEnumData::TRectOf(const TRect& logical) const {
  return Normalized(T(logical.Left, logical.Top), T(logical.Right, logical.Bottom));
}

void TEnumData::TextOuts(int32_t type, std::span<const uint8_t> bytes) {
  const TRec r(bytes);
  const TRect bounds = r.Rect(8);
  const double xScale = r.F32(28), yScale = r.F32(32);
  const bool poly = type == kPolyTextOutA || type == kPolyTextOutW;
  const uint32_t strings = poly ? r.U32(36) : 1;
  const size_t first = poly ? 40 : 36;
  r.Need(first, strings, kEmrTextSize, "texts outside the record");
  TRecordStrings decoded(r, type == kEmrExtTextOutA || type == kPolyTextOutA, Decoding, State.Font);
  // Entries may share one string; the texts they give together hold no more characters than the record
  // has bytes, which its own strings never pass.
  uint64_t budget = r.Size();
  bool overBudget = false;
  for (size_t i = 0; i < strings; ++i) {
    const size_t at = first + i * kEmrTextSize;
    const uint32_t count = r.U32(at + 8);
    r.Need(r.U32(at + 12), count, decoded.UnitSize(), "string outside the record");
    if (count > budget) {
      overBudget = true;
      continue;
    }
    budget -= count;
    TEmrText t = ReadEmrText(r, at, decoded);
    if (t.Text.empty()) continue;
    // An ETO_CLIPPED rectangle clips; without one the record's bounds are only a candidate.
    const bool clipped = (t.Options & kEtoClipped) && IsSet(t.Rect);
    AddText(type, std::move(t.Text), t.Reference, clipped ? TRectOf(t.Rect) : TRect{}, clipped ? TRect{} : bounds,
            std::move(t.Advances), xScale, yScale);
  }
  if (overBudget && Coder.Log)
    Coder.Log->Add("    record " + std::to_string(RecordNo) + ": texts past the record's own characters are not read");
}

void TEnumData::SmallTextOut(int32_t type, std::span<const uint8_t> bytes) {
  const TRec r(bytes);
  const TPoint reference = r.Point(8);
  const uint32_t count = r.U32(16), options = r.U32(20);
  const double xScale = r.F32(28), yScale = r.F32(32);
  size_t at = 36;
  TRect clip;
  if (!(options & kEtoNoRect)) {
    if (options & kEtoClipped) clip = TRectOf(r.Rect(at));
    at += 16;
  }
  std::u16string text = ReadString(r, at, count, (options & kEtoSmallChars) != 0, (options & kEtoGlyphIndex) != 0,
                                   Decoding, State.Font);
  AddText(type, std::move(text), reference, clip, TRect{}, {}, xScale, yScale);
}

void TEnumData::AddText(int32_t type, std::u16string text, TPoint reference, const TRect& clip, const TRect& bounds,
                        std::vector<int32_t> advances, double xScale, double yScale) {
  const TDrawState& s = State;
  auto t = std::make_unique<TText>(RecordNo, std::move(text), TPoint{});
  if (s.UseCurrentPos) {
    t->Rect = TRect{CurrentPos.X, CurrentPos.Y, CurrentPos.X, CurrentPos.Y};
    t->OwnPosition = 1;
  } else {
    const TPoint p = T(reference.X, reference.Y);
    t->Rect = TRect{p.X, p.Y, p.X, p.Y};
    t->OwnPosition = s.OwnPositionNext;
  }
  t->Font = s.Font;
  t->FontHash = s.FontHash;
  t->Transform = s.Transform;
  t->TextAlign = s.TextAlign;
  t->TextColor = s.TextColor;
  t->Transparent = s.Transparent;
  t->XScale = xScale;
  t->YScale = yScale;
  t->RecordType = type;
  t->ClipRect = !IsSet(s.ClipRect) ? clip : !IsSet(clip) ? s.ClipRect : IntersectRects(s.ClipRect, clip);
  t->BoundsClip = bounds;
  t->Positions = std::move(advances);
  State.OwnPositionNext = !(s.TextAlign & kTaUpdateCp) || IsSet(s.ClipRect);
  State.UseCurrentPos = 0;
  Coder.Texts->push_back(std::move(t));
}

