// A small builder of enhanced-metafile bytes for tests, fuzz seeds and benchmarks: records are appended as
// bytes, and Bytes() writes the header (sizes and record count filled in) and the closing EOF record.
//
//   TEmfBuilder emf;                                   // A4 at 600 dpi: 4961 x 7016 pixels, 210 x 297 mm
//   emf.Record(emr::SetMapMode, {2})                   // any record: its type and 32-bit parameters
//      .MoveTo(100, 100).LineTo(900, 100)
//      .Font(1, LogFont(u"Arial", -40)).Select(1)
//      .TextOutW({.Reference = {100, 200}, .Text = u"Счёт"});
//   std::vector<uint8_t> bytes = emf.Bytes();          // record 1 is the header, the last one EOF
//
// Nothing is checked: a test may build any malformed record with Raw() or Record().
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "coding/enumemf2.h"

// EMR record types.
namespace emr {
inline constexpr uint32_t Header = 1, Polygon = 3, Polyline = 4, PolylineTo = 6, PolyPolyline = 7, PolyPolygon = 8,
                          SetWindowExtEx = 9, SetWindowOrgEx = 10, SetViewportExtEx = 11, SetViewportOrgEx = 12,
                          Eof = 14, SetMapMode = 17, SetBkMode = 18, SetTextAlign = 22, SetTextColor = 24,
                          OffsetClipRgn = 26, MoveToEx = 27, ExcludeClipRect = 29, IntersectClipRect = 30,
                          ScaleViewportExtEx = 31, ScaleWindowExtEx = 32, SaveDC = 33, RestoreDC = 34,
                          SetWorldTransform = 35, ModifyWorldTransform = 36, SelectObject = 37, CreatePen = 38,
                          CreateBrushIndirect = 39, DeleteObject = 40, Rectangle = 43, RoundRect = 44, LineTo = 54,
                          BeginPath = 59, EndPath = 60, SelectClipPath = 67, GdiComment = 70, ExtSelectClipRgn = 75,
                          BitBlt = 76, StretchBlt = 77, ExtCreateFontIndirectW = 82, ExtTextOutA = 83,
                          ExtTextOutW = 84, Polygon16 = 86, Polyline16 = 87, PolylineTo16 = 89,
                          PolyPolyline16 = 90, PolyPolygon16 = 91, CreateMonoBrush = 93, ExtCreatePen = 95,
                          PolyTextOutA = 96, PolyTextOutW = 97, ExtEscape = 106, SmallTextOut = 108;
// Stock objects as SELECTOBJECT names them.
inline constexpr uint32_t StockObject(uint32_t index) { return 0x80000000u | index; }
}  // namespace emr

// A LOGFONTW of a face and height (negative: character height), the rest as CreateFont's defaults.
inline TLogFontW LogFont(std::u16string_view face, int32_t height, uint8_t charset = 204) {
  TLogFontW f;
  f.lfHeight = height;
  f.lfWeight = 400;
  f.lfCharSet = charset;
  for (size_t i = 0; i < face.size() && i < 31; ++i) f.lfFaceName[i] = face[i];
  return f;
}

// One string of a text record (an EMRTEXT). For 8-bit records each unit of Text gives its low byte.
struct TEmfText {
  TPoint Reference{};
  std::u16string Text{};
  uint32_t Options = 0;
  TRect Rect{};
  std::vector<int32_t> Dx{};  // empty: no advances (offDx 0); with ETO_PDY give (dx, dy) pairs
};

class TEmfBuilder {
 public:
  // The reference device the header names: pixels and millimetres.
  explicit TEmfBuilder(int32_t deviceCx = 4961, int32_t deviceCy = 7016, int32_t mmCx = 210, int32_t mmCy = 297)
      : deviceCx_(deviceCx), deviceCy_(deviceCy), mmCx_(mmCx), mmCy_(mmCy) {}

  // A record of raw parameter bytes, padded with zeros to whole words.
  TEmfBuilder& Raw(uint32_t type, std::span<const uint8_t> params) {
    const size_t size = 8 + (params.size() + 3) / 4 * 4;
    Put32(type);
    Put32(static_cast<uint32_t>(size));
    records_.insert(records_.end(), params.begin(), params.end());
    records_.resize(records_.size() + (size - 8 - params.size()));
    ++count_;
    return *this;
  }
  // A record of 32-bit parameters.
  TEmfBuilder& Record(uint32_t type, std::initializer_list<int32_t> params) { return Raw(type, Words(params)); }

  TEmfBuilder& MoveTo(int32_t x, int32_t y) { return Record(emr::MoveToEx, {x, y}); }
  TEmfBuilder& LineTo(int32_t x, int32_t y) { return Record(emr::LineTo, {x, y}); }
  TEmfBuilder& Rectangle(int32_t l, int32_t t, int32_t r, int32_t b) { return Record(emr::Rectangle, {l, t, r, b}); }
  TEmfBuilder& Select(uint32_t handle) { return Record(emr::SelectObject, {static_cast<int32_t>(handle)}); }
  TEmfBuilder& Pen(uint32_t handle, uint32_t style, int32_t width, uint32_t color) {
    return Record(emr::CreatePen, {int32_t(handle), int32_t(style), width, 0, int32_t(color)});
  }
  TEmfBuilder& Brush(uint32_t handle, uint32_t style, uint32_t color) {
    return Record(emr::CreateBrushIndirect, {int32_t(handle), int32_t(style), int32_t(color), 0});
  }
  TEmfBuilder& Font(uint32_t handle, const TLogFontW& font) {
    std::vector<uint8_t> p = Words({int32_t(handle)});
    const auto* bytes = reinterpret_cast<const uint8_t*>(&font);
    p.insert(p.end(), bytes, bytes + sizeof(font));
    return Raw(emr::ExtCreateFontIndirectW, p);
  }
  // 0 identity, otherwise the factors; mode as MODIFYWORLDTRANSFORM takes it (or SETWORLDTRANSFORM when 0).
  TEmfBuilder& Transform(const TXForm& x, uint32_t mode = 0) {
    std::vector<uint8_t> p;
    for (float f : {x.M11, x.M12, x.M21, x.M22, x.Dx, x.Dy}) {
      uint32_t v;
      std::memcpy(&v, &f, 4);
      Append(p, v);
    }
    if (mode == 0) return Raw(emr::SetWorldTransform, p);
    Append(p, mode);
    return Raw(emr::ModifyWorldTransform, p);
  }
  // POLYGON, POLYLINE, POLYLINETO and their 16-bit forms: the bounds, the count and the points.
  TEmfBuilder& Poly(uint32_t type, std::initializer_list<TPoint> points) { return PolyPoly(type, {points}); }
  // POLYPOLYLINE and POLYPOLYGON (16-bit forms included); with any other type the first polygon only.
  TEmfBuilder& PolyPoly(uint32_t type, std::initializer_list<std::initializer_list<TPoint>> polys) {
    const bool small = type >= emr::Polygon16;
    const bool many = type == emr::PolyPolyline || type == emr::PolyPolygon || type == emr::PolyPolyline16 ||
                      type == emr::PolyPolygon16;
    std::vector<uint8_t> p = Words({0, 0, -1, -1});
    uint32_t total = 0;
    for (const auto& poly : polys) total += static_cast<uint32_t>(poly.size());
    if (many) {
      Append(p, static_cast<uint32_t>(polys.size()));
      Append(p, total);
      for (const auto& poly : polys) Append(p, static_cast<uint32_t>(poly.size()));
    } else {
      Append(p, polys.size() ? static_cast<uint32_t>(polys.begin()->size()) : 0);
    }
    for (const auto& poly : polys) {
      for (const TPoint& pt : poly) {
        if (small) {
          Append16(p, static_cast<uint16_t>(pt.X));
          Append16(p, static_cast<uint16_t>(pt.Y));
        } else {
          Append(p, static_cast<uint32_t>(pt.X));
          Append(p, static_cast<uint32_t>(pt.Y));
        }
      }
      if (!many) break;
    }
    return Raw(type, p);
  }
  // EXTTEXTOUTW / EXTTEXTOUTA: bounds (device pixels), graphics mode 1, the scales and one string.
  TEmfBuilder& TextOutW(const TEmfText& t, TRect bounds = {0, 0, -1, -1}, float xScale = 0, float yScale = 0) {
    return PolyText(emr::ExtTextOutW, {t}, bounds, xScale, yScale);
  }
  TEmfBuilder& TextOutA(const TEmfText& t, TRect bounds = {0, 0, -1, -1}, float xScale = 0, float yScale = 0) {
    return PolyText(emr::ExtTextOutA, {t}, bounds, xScale, yScale);
  }
  // EXTTEXTOUTA/W (one string) or POLYTEXTOUTA/W (any number of strings).
  TEmfBuilder& PolyText(uint32_t type, std::initializer_list<TEmfText> texts, TRect bounds = {0, 0, -1, -1},
                        float xScale = 0, float yScale = 0) {
    const bool wide = type == emr::ExtTextOutW || type == emr::PolyTextOutW;
    const bool poly = type == emr::PolyTextOutA || type == emr::PolyTextOutW;
    std::vector<uint8_t> p = Words({bounds.Left, bounds.Top, bounds.Right, bounds.Bottom, 1});
    AppendFloat(p, xScale);
    AppendFloat(p, yScale);
    if (poly) Append(p, static_cast<uint32_t>(texts.size()));
    // Strings and advances follow the EMRTEXTs; offsets count from the record's start.
    size_t tail = 8 + p.size() + 40 * texts.size();
    std::vector<uint8_t> data;
    for (const TEmfText& t : texts) {
      const size_t padded = ((wide ? t.Text.size() * 2 : t.Text.size()) + 3) / 4 * 4;
      Append(p, static_cast<uint32_t>(t.Reference.X));
      Append(p, static_cast<uint32_t>(t.Reference.Y));
      Append(p, static_cast<uint32_t>(t.Text.size()));
      Append(p, static_cast<uint32_t>(tail));
      Append(p, t.Options);
      for (int32_t v : {t.Rect.Left, t.Rect.Top, t.Rect.Right, t.Rect.Bottom}) Append(p, static_cast<uint32_t>(v));
      Append(p, t.Dx.empty() ? 0u : static_cast<uint32_t>(tail + padded));
      for (char16_t c : t.Text) wide ? Append16(data, c) : data.push_back(static_cast<uint8_t>(c));
      data.resize((data.size() + 3) / 4 * 4);
      for (int32_t d : t.Dx) Append(data, static_cast<uint32_t>(d));
      tail += padded + 4 * t.Dx.size();
    }
    p.insert(p.end(), data.begin(), data.end());
    return Raw(type, p);
  }
  // SMALLTEXTOUT: 8-bit characters with ETO_SMALL_CHARS (0x200), the clip rectangle unless ETO_NO_RECT (0x100).
  TEmfBuilder& SmallText(TPoint reference, std::u16string_view text, uint32_t options, TRect clip = {},
                         float xScale = 0, float yScale = 0) {
    std::vector<uint8_t> p = Words({reference.X, reference.Y, static_cast<int32_t>(text.size()),
                                    static_cast<int32_t>(options), 1});
    AppendFloat(p, xScale);
    AppendFloat(p, yScale);
    if (!(options & 0x100))
      for (int32_t v : {clip.Left, clip.Top, clip.Right, clip.Bottom}) Append(p, static_cast<uint32_t>(v));
    for (char16_t c : text) (options & 0x200) ? p.push_back(static_cast<uint8_t>(c)) : Append16(p, c);
    return Raw(emr::SmallTextOut, p);
  }
  // GDICOMMENT with its data (cbData, then the bytes).
  TEmfBuilder& Comment(std::span<const uint8_t> data) {
    std::vector<uint8_t> p;
    Append(p, static_cast<uint32_t>(data.size()));
    p.insert(p.end(), data.begin(), data.end());
    return Raw(emr::GdiComment, p);
  }

  int32_t Records() const { return count_ + 2; }  // with the header and EOF

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out = Words({int32_t(emr::Header), 88, 0, 0, deviceCx_ - 1, deviceCy_ - 1, 0, 0,
                                      mmCx_ * 100, mmCy_ * 100, 0x464D4520, 0x10000});
    const uint32_t total = static_cast<uint32_t>(88 + records_.size() + 20);
    for (uint32_t v : {total, static_cast<uint32_t>(count_ + 2), 1u, 0u, 0u, 0u}) Append(out, v);
    for (int32_t v : {deviceCx_, deviceCy_, mmCx_, mmCy_}) Append(out, static_cast<uint32_t>(v));
    out.insert(out.end(), records_.begin(), records_.end());
    for (uint32_t v : {emr::Eof, 20u, 0u, 16u, 20u}) Append(out, v);
    return out;
  }

  static std::vector<uint8_t> Words(std::initializer_list<int32_t> values) {
    std::vector<uint8_t> p;
    for (int32_t v : values) Append(p, static_cast<uint32_t>(v));
    return p;
  }
  static void Append(std::vector<uint8_t>& p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  static void Append16(std::vector<uint8_t>& p, uint32_t v) {
    p.push_back(static_cast<uint8_t>(v));
    p.push_back(static_cast<uint8_t>(v >> 8));
  }
  static void AppendFloat(std::vector<uint8_t>& p, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    Append(p, v);
  }

 private:
  void Put32(uint32_t v) { Append(records_, v); }

  int32_t deviceCx_, deviceCy_, mmCx_, mmCy_;
  std::vector<uint8_t> records_;
  int32_t count_ = 0;
};
