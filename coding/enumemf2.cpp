#include "coding/enumemf2.h"

#include <cstdlib>
#include <cstring>
#include <utility>

std::u16string TLogFontW::FaceName() const {
  size_t n = 0;
  while (n < std::size(lfFaceName) && lfFaceName[n] != 0) ++n;
  return std::u16string(lfFaceName, n);
}

bool TLogFontW::SameBytes(const TLogFontW& other) const { return std::memcmp(this, &other, sizeof(*this)) == 0; }

TPoint TransformPoint(const TXForm& xf, double x, double y) {
  const double dx = x * xf.M11 + y * xf.M21 + xf.Dx;
  const double dy = x * xf.M12 + y * xf.M22 + xf.Dy;
  return TPoint{RoundToInt(dx), RoundToInt(dy)};
}

int32_t HundredthsToPixels(int32_t hundredths, int32_t device, int32_t millimetres) {
  return RoundToInt(hundredths * 0.01 * device / millimetres);
}

bool TLine::IsVertical(TPoint a, TPoint b) {
  return std::llabs(int64_t{a.Y} - b.Y) > std::llabs(int64_t{a.X} - b.X);
}

static int32_t HalfSum(int32_t a, int32_t b) { return static_cast<int32_t>((int64_t{a} + b) / 2); }

static TRect LineRect(TPoint a, TPoint b) {
  if (TLine::IsVertical(a, b)) {
    const int32_t x = HalfSum(a.X, b.X);
    return TRect{x, IntMin(a.Y, b.Y), x, IntMax(a.Y, b.Y)};
  }
  const int32_t y = HalfSum(a.Y, b.Y);
  return TRect{IntMin(a.X, b.X), y, IntMax(a.X, b.X), y};
}

TLine::TLine(int32_t recordType, TPoint a, TPoint b, int32_t number)
    : TLineProTo(number, LineRect(a, b)), RecordType(recordType) {}

TRect IntersectRects(const TRect& a, const TRect& b) {
  return TRect{IntMax(a.Left, b.Left), IntMax(a.Top, b.Top), IntMin(a.Right, b.Right), IntMin(a.Bottom, b.Bottom)};
}

void ApplyBoundsClip(TText& text) {
  const TRect b = std::exchange(text.BoundsClip, TRect{});
  if (IsZeroRect(b) || b.Left > b.Right || b.Top > b.Bottom) return;
  const TRect& box = text.Rect;
  if (!RangesOverlap(b.Left, b.Right, box.Left, box.Right) || !RangesOverlap(b.Top, b.Bottom, box.Top, box.Bottom))
    return;
  TRect& c = text.ClipRect;
  c = IsZeroRect(c) ? b : IntersectRects(c, b);
}

std::unique_ptr<TText> TText::Duplicate() const {
  auto copy = std::make_unique<TText>(Ident, Text, TPoint{});
  copy->Rect = Rect;
  copy->CharWidth = CharWidth;
  copy->CharHeight = CharHeight;
  copy->Transform = Transform;
  copy->XScale = XScale;
  copy->YScale = YScale;
  copy->FontHash = FontHash;
  copy->Font = Font;
  copy->TextAlign = TextAlign;
  copy->TextColor = TextColor;
  copy->Positions = Positions;
  copy->OwnPosition = 0;
  copy->Transparent = Transparent;
  copy->ClipRect = ClipRect;
  copy->BoundsClip = BoundsClip;
  copy->OEMText = 0;
  copy->RecordType = RecordType;
  return copy;
}
