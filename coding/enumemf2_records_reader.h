// Bounds-checked little-endian reads inside one metafile record, shared by the record walk's units.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <vector>

#include "coding/enumemf2.h"

namespace emfrec {

class TEmfMalformed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Little-endian reads inside one record; a read past its end throws.
class TRec {
 public:
  explicit TRec(std::span<const uint8_t> bytes) : b_(bytes) {}
  size_t Size() const { return b_.size(); }
  void Need(uint64_t offset, uint64_t count, uint64_t unit, const char* what) const {
    if (offset > b_.size() || count > (b_.size() - offset) / unit) throw TEmfMalformed(what);
  }
  uint32_t U32(size_t at) const {
    Need(at, 1, 4, "record too short");
    return uint32_t{b_[at]} | uint32_t{b_[at + 1]} << 8 | uint32_t{b_[at + 2]} << 16 | uint32_t{b_[at + 3]} << 24;
  }
  int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }
  uint16_t U16(size_t at) const {
    Need(at, 1, 2, "record too short");
    return static_cast<uint16_t>(b_[at] | b_[at + 1] << 8);
  }
  float F32(size_t at) const {
    const uint32_t v = U32(at);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
  }
  TPoint Point(size_t at) const { return TPoint{I32(at), I32(at + 4)}; }
  TRect Rect(size_t at) const { return TRect{I32(at), I32(at + 4), I32(at + 8), I32(at + 12)}; }
  TXForm XForm(size_t at) const { return TXForm{F32(at), F32(at + 4), F32(at + 8), F32(at + 12), F32(at + 16), F32(at + 20)}; }
  std::span<const uint8_t> Bytes(uint64_t at, uint64_t count, const char* what) const {
    Need(at, count, 1, what);
    return b_.subspan(static_cast<size_t>(at), static_cast<size_t>(count));
  }
  // count points of 32-bit (or 16-bit, widened with their sign) coordinates from at.
  std::vector<TPoint> Points(uint64_t at, uint64_t count, bool small) const {
    Need(at, count, small ? 4 : 8, "points outside the record");
    std::vector<TPoint> points(static_cast<size_t>(count));
    for (size_t i = 0; i < points.size(); ++i) {
      const size_t p = static_cast<size_t>(at) + i * (small ? 4 : 8);
      points[i] = small ? TPoint{static_cast<int16_t>(U16(p)), static_cast<int16_t>(U16(p + 2))} : Point(p);
    }
    return points;
  }

 private:
  std::span<const uint8_t> b_;
};


enum : int32_t {
  kPolygon = 3, kPolyline = 4, kPolylineTo = 6, kPolyPolyline = 7, kPolyPolygon = 8, kSetWindowExtEx = 9,
  kSetWindowOrgEx = 10, kSetViewportExtEx = 11, kSetViewportOrgEx = 12, kEof = 14, kSetMapMode = 17,
  kSetBkMode = 18, kSetTextAlign = 22, kSetTextColor = 24, kOffsetClipRgn = 26, kMoveToEx = 27,
  kExcludeClipRect = 29, kIntersectClipRect = 30, kScaleViewportExtEx = 31, kScaleWindowExtEx = 32,
  kSaveDC = 33, kRestoreDC = 34, kSetWorldTransform = 35, kModifyWorldTransform = 36, kSelectObject = 37,
  kCreatePen = 38, kCreateBrushIndirect = 39, kDeleteObject = 40, kRectangle = 43, kRoundRect = 44,
  kLineTo = 54, kBeginPath = 59, kEndPath = 60, kSelectClipPath = 67, kGdiComment = 70,
  kExtSelectClipRgn = 75, kBitBlt = 76, kStretchBlt = 77, kExtCreateFontIndirectW = 82, kPolygon16 = 86,
  kPolyline16 = 87, kPolylineTo16 = 89, kPolyPolyline16 = 90, kPolyPolygon16 = 91, kCreateMonoBrush = 93,
  kExtCreatePen = 95, kPolyTextOutA = 96, kPolyTextOutW = 97, kExtEscape = 106,
};

inline constexpr uint32_t kTaUpdateCp = 1;
inline constexpr uint32_t kEtoClipped = 0x4, kEtoGlyphIndex = 0x10, kEtoNoRect = 0x100, kEtoSmallChars = 0x200,
                   kEtoPdy = 0x2000;
inline constexpr size_t kEmrTextSize = 40;

inline bool IsSet(const TRect& r) { return !IsZeroRect(r); }

inline TRect Normalized(TPoint a, TPoint b) {
  return TRect{IntMin(a.X, b.X), IntMin(a.Y, b.Y), IntMax(a.X, b.X), IntMax(a.Y, b.Y)};
}

}  // namespace emfrec
