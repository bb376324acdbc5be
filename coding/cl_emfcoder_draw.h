// What a redraw of the page model puts on a device: every line as one zig-zag polyline as thick as the
// redraw width, every text (whole, or character by character at its edges) in its font and colour. The
// device calls are in cl_emfcoder_draw_win.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "coding/cl_macrotools.h"
#include "coding/enumemf2.h"
#include "foundation/lib_sys.h"

inline constexpr uint32_t kRedrawBlue = 0x00FF0000;  // COLORREF of RGB(0, 0, 255)

struct TRedrawText {
  std::u16string Text;
  TPoint At;                   // top left of the whole text
  std::vector<int32_t> Edges;  // left edge of each character when drawn one by one; empty for the whole text
  TLogFontW Font;
  uint32_t Color = 0;
};

struct TRedrawPlan {
  std::vector<std::vector<TPoint>> Lines;
  std::vector<TRedrawText> Texts;
};

// Device pixels per page pixel; a page without a device size has no scale.
struct TRedrawScale {
  double X = 1;
  double Y = 1;
};

// No redrawn line is thicker: a hostile width or header would otherwise ask for polylines of billions of
// points (1024 pixels are over 4 mm at 6000 dpi).
inline constexpr int32_t kMaxRedrawPen = 1024;

// The pen width for drawWidth (0.01 mm) in page pixels times the y scale drawn in software, rounded;
// between 0 and kMaxRedrawPen.
int32_t RedrawPenWidth(int32_t drawWidth, const TEnhMetaHeader& header, double softwareY);

// A line over the 2 half + 1 rows (columns for a vertical line) centred on it: along the first, back
// along the next, and so on.
std::vector<TPoint> ZigZagLine(const TRect& line, bool vertical, int32_t half);

// The page's frame (0.01 mm) in the pixels of a device with the given pixels per millimetre, rounded.
TRect FrameToDevice(const TRect& frame, double pixelsPerMmX, double pixelsPerMmY);

// The plan of lines (bit 1 of mode) and texts (bit 2; blue over the page's own records, bit 0) with the
// coordinates multiplied by the software scale (1, 1 when the device scales); the page objects are not
// changed. The lists' empty entries are skipped.
TRedrawPlan PlanRedraw(uint8_t mode, const TObjectList& hLines, const TObjectList& vLines, const TObjectList& texts,
                       int32_t penWidth, TRedrawScale software);
