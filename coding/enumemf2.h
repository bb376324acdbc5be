// Page objects of a Windows page: texts and lines as the metafile records give them, in the pixels of the
// page's reference device, each carrying the number of the record that made it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "coding/cl_macrotools.h"
#include "foundation/lib_sys.h"

// The fixed head of ENHMETAHEADER (the 100 bytes a page is placed and scaled by), little-endian fields.
struct TEnhMetaHeader {
  uint32_t iType = 0;
  uint32_t nSize = 0;
  TRect rclBounds;
  TRect rclFrame;
  uint32_t dSignature = 0;
  uint32_t nVersion = 0;
  uint32_t nBytes = 0;
  uint32_t nRecords = 0;
  uint16_t nHandles = 0;
  uint16_t sReserved = 0;
  uint32_t nDescription = 0;
  uint32_t offDescription = 0;
  uint32_t nPalEntries = 0;
  int32_t szlDeviceCx = 0;
  int32_t szlDeviceCy = 0;
  int32_t szlMillimetersCx = 0;
  int32_t szlMillimetersCy = 0;
};

// LOGFONTW exactly as a record carries it (92 bytes); compared and hashed as bytes.
struct TLogFontW {
  int32_t lfHeight = 0;
  int32_t lfWidth = 0;
  int32_t lfEscapement = 0;
  int32_t lfOrientation = 0;
  int32_t lfWeight = 0;
  uint8_t lfItalic = 0;
  uint8_t lfUnderline = 0;
  uint8_t lfStrikeOut = 0;
  uint8_t lfCharSet = 0;
  uint8_t lfOutPrecision = 0;
  uint8_t lfClipPrecision = 0;
  uint8_t lfQuality = 0;
  uint8_t lfPitchAndFamily = 0;
  char16_t lfFaceName[32] = {};

  // Up to the first NUL, at most 32 characters.
  std::u16string FaceName() const;
  bool SameBytes(const TLogFontW& other) const;
};
static_assert(sizeof(TLogFontW) == 92);

inline constexpr uint8_t kOemCharset = 255;

// Logical to device: x' = x·M11 + y·M21 + Dx, y' = x·M12 + y·M22 + Dy.
struct TXForm {
  float M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;
  friend bool operator==(const TXForm&, const TXForm&) = default;
};

// Rounded halves to even, saturated to 32 bits (a hostile transform must not overflow).
TPoint TransformPoint(const TXForm& xf, double x, double y);

// Device pixels of a length in 0.01 mm along one axis of the reference device (millimetres above 0).
int32_t HundredthsToPixels(int32_t hundredths, int32_t device, int32_t millimetres);

// A colour is white when its low 24 bits are all set.
inline bool IsWhiteColor(uint32_t colorRef) { return (colorRef & 0xFFFFFFu) == 0xFFFFFFu; }

class TLine : public TLineProTo {
 public:
  // Vertical when |a.y - b.y| > |a.x - b.x|, horizontal otherwise (a tie is horizontal).
  TLine(int32_t recordType, TPoint a, TPoint b, int32_t number);
  // Already a line's rectangle (a piece of a line keeps its owner's place).
  TLine(int32_t recordType, const TRect& rect, int32_t number) : TLineProTo(number, rect), RecordType(recordType) {}

  static bool IsVertical(TPoint a, TPoint b);
  bool Vertical() const { return int64_t{Rect.Bottom} - Rect.Top > int64_t{Rect.Right} - Rect.Left; }

  int32_t RecordType = 0;
};

class TText : public TTextProTo {
 public:
  TText(int32_t number, std::u16string text, TPoint referencePoint)
      : TTextProTo(number, std::move(text), referencePoint) {}

  // The same text, box, font, scales, edges, clip and record type; OwnPosition, OEMText and the flags clear.
  std::unique_ptr<TText> Duplicate() const;

  bool HasEdges() const { return !Positions.empty() && Positions.size() == Text.size() + 1; }
  TPoint Center() const { return TPoint{IntMidpoint(Rect.Left, Rect.Right), IntMidpoint(Rect.Top, Rect.Bottom)}; }

  int32_t CharWidth = 0;
  int32_t CharHeight = 0;
  TXForm Transform;
  double XScale = 0;
  double YScale = 0;
  uint32_t FontHash = 0;
  TLogFontW Font;
  uint32_t TextAlign = 0;
  uint32_t TextColor = 0;
  // The record's advances (one fewer than the characters) until measured; then length + 1 edges.
  std::vector<int32_t> Positions;
  uint8_t OwnPosition = 1;
  uint8_t Transparent = 0;
  TRect ClipRect;  // all zero: no clip
  // The record's rclBounds, a clip only where it is a plausible box of the measured text (producers write
  // logical units, boxes from the baseline down or {0,0,-1,-1} there); all zero: none.
  TRect BoundsClip;
  uint8_t OEMText = 0;
  int32_t RecordType = 0;
};

// Max of lefts and tops, min of rights and bottoms.
TRect IntersectRects(const TRect& a, const TRect& b);

// Once the text is measured: its BoundsClip joins its ClipRect when it is a plausible box of the text (not
// inverted, overlapping the measured box both ways by the midpoint rule), and is dropped either way. Windows' own bounds
// pass; logical units, boxes from the baseline down and the empty {0,0,-1,-1} do not.
void ApplyBoundsClip(TText& text);

// The drawing-record types the page objects name (EMR_*).
inline constexpr int32_t kEmrHeader = 1;
inline constexpr int32_t kEmrExtTextOutA = 83;
inline constexpr int32_t kEmrExtTextOutW = 84;
inline constexpr int32_t kEmrSmallTextOut = 108;
