// The redraw's geometry: pen width, zig-zag lines and the texts' places, scaled in software when the
// device cannot scale.
#include "coding/cl_emfcoder_draw.h"

#include <algorithm>
#include <cstdint>

namespace {
int32_t Scaled(int32_t v, double scale) { return RoundToInt(v * scale); }

TRect ScaledRect(const TRect& r, TRedrawScale s) {
  return TRect{Scaled(r.Left, s.X), Scaled(r.Top, s.Y), Scaled(r.Right, s.X), Scaled(r.Bottom, s.Y)};
}

void PlanLines(const TObjectList& lines, bool vertical, int32_t half, TRedrawScale s, TRedrawPlan& plan) {
  for (const auto& line : lines)
    if (line) plan.Lines.push_back(ZigZagLine(ScaledRect(line->Rect, s), vertical, half));
}

TRedrawText PlanText(const TText& text, uint32_t color, TRedrawScale s) {
  TRedrawText out;
  out.Text = text.Text;
  out.At = TPoint{Scaled(text.Rect.Left, s.X), Scaled(text.Rect.Top, s.Y)};
  if (text.HasEdges()) {
    out.Edges.reserve(text.Text.size());
    for (size_t i = 0; i < text.Text.size(); ++i) out.Edges.push_back(Scaled(text.Positions[i], s.X));
  }
  out.Font = text.Font;
  out.Font.lfHeight = Scaled(text.Font.lfHeight, s.Y);
  out.Font.lfWidth = Scaled(text.Font.lfWidth, s.X);
  out.Color = color;
  return out;
}
}  // namespace

int32_t RedrawPenWidth(int32_t drawWidth, const TEnhMetaHeader& header, double softwareY) {
  if (header.szlMillimetersCy <= 0) return 0;
  const int32_t width = RoundToInt(drawWidth * 0.01 * header.szlDeviceCy * softwareY / header.szlMillimetersCy);
  return IntMin(IntMax(width, 0), kMaxRedrawPen);
}

std::vector<TPoint> ZigZagLine(const TRect& line, bool vertical, int32_t half) {
  half = IntMin(IntMax(half, 0), kMaxRedrawPen / 2);
  // Worked as a horizontal line: along runs from 'from' to 'to', across is the row.
  const int32_t from = vertical ? line.Top : line.Left;
  const int32_t to = vertical ? line.Bottom : line.Right;
  const int32_t middle = vertical ? line.Left : line.Top;
  // Rows are counted in 64 bits: a line at the edge of the 32-bit range keeps its rows at that edge.
  auto point = [vertical](int32_t along, int64_t across64) {
    const int32_t across = static_cast<int32_t>(std::clamp<int64_t>(across64, INT32_MIN, INT32_MAX));
    return vertical ? TPoint{across, along} : TPoint{along, across};
  };
  std::vector<TPoint> points;
  points.reserve(2 + 4 * static_cast<size_t>(half));
  int64_t row = int64_t{middle} - half;
  points.push_back(point(from, row));
  points.push_back(point(to, row));
  for (int32_t k = 0; k < half; ++k) {
    points.push_back(point(to, ++row));
    points.push_back(point(from, row));
    points.push_back(point(from, ++row));
    points.push_back(point(to, row));
  }
  return points;
}

TRect FrameToDevice(const TRect& frame, double pixelsPerMmX, double pixelsPerMmY) {
  return TRect{RoundToInt(frame.Left / 100.0 * pixelsPerMmX), RoundToInt(frame.Top / 100.0 * pixelsPerMmY),
               RoundToInt(frame.Right / 100.0 * pixelsPerMmX), RoundToInt(frame.Bottom / 100.0 * pixelsPerMmY)};
}

TRedrawPlan PlanRedraw(uint8_t mode, const TObjectList& hLines, const TObjectList& vLines, const TObjectList& texts,
                       int32_t penWidth, TRedrawScale software) {
  TRedrawPlan plan;
  if (mode & 2) {
    const int32_t half = penWidth / 2;
    PlanLines(hLines, false, half, software, plan);
    PlanLines(vLines, true, half, software, plan);
  }
  if (mode & 4) {
    for (const auto& object : texts) {
      const auto* text = dynamic_cast<const TText*>(object.get());
      if (text) plan.Texts.push_back(PlanText(*text, (mode & 1) ? kRedrawBlue : text->TextColor, software));
    }
  }
  return plan;
}
