// Line merging and line junctions.
#include "coding/cl_macrotools_lines.h"

#include <algorithm>
#include <cstdlib>

#include "coding/cl_macrotools_sort.h"

int32_t JunctionCode(const TRect& p, const TRect& q, int32_t tx, int32_t ty) {
  if (!InRangeTol(p.Top, p.Bottom, q.Top, ty) || !InRangeTol(q.Left, q.Right, p.Left, tx)) return kJunctionNone;
  int32_t code = 0;
  if (int64_t{p.Top} + ty < q.Top) code |= kJunctionUp;
  if (int64_t{q.Right} - tx > p.Left) code |= kJunctionRight;
  if (int64_t{q.Top} < int64_t{p.Bottom} - ty) code |= kJunctionDown;
  if (int64_t{q.Left} + tx < p.Left) code |= kJunctionLeft;
  return code;
}

namespace {

// A line seen along its direction: position across it, start and end along it.
struct TLineView {
  TRect& r;
  bool vertical;
  int32_t Position() const { return vertical ? r.Left : r.Top; }
  int32_t& Start() { return vertical ? r.Top : r.Left; }
  int32_t& End() { return vertical ? r.Bottom : r.Right; }
  int64_t Length() { return int64_t{End()} - Start(); }
  void MoveTo(int32_t position) {
    if (vertical)
      r.Left = r.Right = position;
    else
      r.Top = r.Bottom = position;
  }
};

}  // namespace

void MergeLines(TObjectList& lines, TSmallPoint tolerance, bool vertical) {
  if (lines.empty()) return;
  const int32_t along = vertical ? tolerance.Y : tolerance.X;
  const int32_t across = vertical ? tolerance.X : tolerance.Y;
  // Without a tolerance across, lines are ordered by position so the walk can stop at the next level.
  SortObjects(lines, 0, (across != 0) != vertical, false, TSmallPoint{});
  TObjectList merged;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!lines[i]) continue;
    TRectProTo* current = lines[i].get();
    merged.push_back(std::move(lines[i]));
    TLineView c{current->Rect, vertical};
    for (size_t j = i + 1; j < lines.size(); ++j) {
      if (!lines[j]) continue;
      TLineView k{lines[j]->Rect, vertical};
      if (k.Position() != c.Position() && across == 0) break;
      if (std::llabs(int64_t{k.Position()} - c.Position()) > across) continue;
      if (!SegmentsTouch(k.Start(), k.End(), c.Start(), along, c.End())) continue;
      if (across != 0 && k.Length() > c.Length()) c.MoveTo(k.Position());
      c.Start() = std::min(k.Start(), c.Start());
      c.End() = std::max(k.End(), c.End());
      if (auto* line = dynamic_cast<TLineProTo*>(current)) line->Special = 0;
      lines[j].reset();
    }
  }
  lines = std::move(merged);
}

void ConnectLines(TObjectList& vLines, TObjectList& hLines, bool extend, TSmallPoint tolerance) {
  for (auto& vObject : vLines) {
    if (!vObject) continue;
    TRect& v = vObject->Rect;
    for (auto& hObject : hLines) {
      if (!hObject) continue;
      TRect& h = hObject->Rect;
      const int32_t code = JunctionCode(v, h, tolerance.X, tolerance.Y);
      const bool vMoves = IntInRange(v.Top, v.Bottom, h.Top) != extend;
      const bool hMoves = IntInRange(h.Left, h.Right, v.Left) != extend;
      // Which end of each line lies at the junction, by junction code; 0 where that line keeps its ends.
      enum { kKeep, kTop, kBottom, kLeft, kRight };
      int vEnd = kKeep, hEnd = kKeep;
      switch (code) {
        case 3: vEnd = kBottom; hEnd = kLeft; break;
        case 6: vEnd = kTop; hEnd = kLeft; break;
        case 7: hEnd = kLeft; break;
        case 9: vEnd = kBottom; hEnd = kRight; break;
        case 11: vEnd = kBottom; break;
        case 12: vEnd = kTop; hEnd = kRight; break;
        case 13: hEnd = kRight; break;
        case 14: vEnd = kTop; break;
        default: break;
      }
      if (vMoves && vEnd == kTop) v.Top = h.Top;
      if (vMoves && vEnd == kBottom) v.Bottom = h.Top;
      if (hMoves && hEnd == kLeft) h.Left = v.Left;
      if (hMoves && hEnd == kRight) h.Right = v.Left;
    }
  }
}
