// Line merging and line junctions.
#include "coding/cl_macrotools_lines.h"

#include <algorithm>
#include <cstdlib>

#include "coding/cl_macrotools_sort.h"

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

// Stable, and one pass over lines already in order; the order a constant, so that the comparison is
// the two compares it comes to.
template <TObjectOrder order>
void SortLines(TLineRecords& lines) {
  auto less = [](const TLineRecord& a, const TLineRecord& b) { return CompareRects(order, a.Rect, b.Rect) < 0; };
  if (!std::is_sorted(lines.begin(), lines.end(), less)) std::stable_sort(lines.begin(), lines.end(), less);
}

}  // namespace

void MergeLines(TLineRecords& lines, TSmallPoint tolerance, bool vertical) {
  if (lines.empty()) return;
  const int32_t along = vertical ? tolerance.Y : tolerance.X;
  const int32_t across = vertical ? tolerance.X : tolerance.Y;
  // Without a tolerance across, lines are ordered by position so the walk can stop at the next level.
  if ((across != 0) != vertical)
    SortLines<TObjectOrder::Column>(lines);
  else
    SortLines<TObjectOrder::Row>(lines);
  // Either way the lines of one level are then in the order of their starts; when every line runs from
  // its start forwards, one that starts past the current line's end (and tolerance) ends the search.
  const bool forwards = std::all_of(lines.begin(), lines.end(), [vertical](TLineRecord& line) {
    TLineView v{line.Rect, vertical};
    return v.Start() <= v.End();
  });
  // With a tolerance across, lines are searched only among their group: positions sorted, a gap wider
  // than the tolerance starts a new group. No line merges with one of another group, and a line moved
  // across by a merge takes a position of its own group, so the search finds what a search of all would.
  const size_t n = lines.size();
  std::vector<size_t> next(n);
  for (size_t i = 0; i < n; ++i) next[i] = i + 1;
  if (across != 0) {
    std::vector<std::pair<int32_t, uint32_t>> byPosition(n);
    for (size_t i = 0; i < n; ++i) byPosition[i] = {TLineView{lines[i].Rect, vertical}.Position(), static_cast<uint32_t>(i)};
    std::sort(byPosition.begin(), byPosition.end());
    std::vector<uint32_t> group(n);
    uint32_t groups = 0;
    for (size_t k = 0; k < n; ++k) {
      if (k > 0 && int64_t{byPosition[k].first} - byPosition[k - 1].first > std::max(across, int32_t{0})) ++groups;
      group[byPosition[k].second] = groups;
    }
    std::vector<size_t> following(size_t{groups} + 1, n);
    for (size_t i = n; i-- > 0;) {
      next[i] = following[group[i]];
      following[group[i]] = i;
    }
  }
  std::vector<bool> gone(n);
  size_t kept = 0;
  for (size_t i = 0; i < n; ++i) {
    if (gone[i]) continue;
    TLineRecord& current = lines[i];
    TLineView c{current.Rect, vertical};
    for (size_t j = next[i]; j < n; j = next[j]) {
      if (gone[j]) continue;
      TLineView k{lines[j].Rect, vertical};
      if (k.Position() != c.Position() && across == 0) break;
      if (forwards && int64_t{k.Start()} > int64_t{c.End()} + along) break;
      if (std::llabs(int64_t{k.Position()} - c.Position()) > across) continue;
      if (!SegmentsTouch(k.Start(), k.End(), c.Start(), along, c.End())) continue;
      if (across != 0 && k.Length() > c.Length()) c.MoveTo(k.Position());
      c.Start() = std::min(k.Start(), c.Start());
      c.End() = std::max(k.End(), c.End());
      current.Special = 0;
      current.Merged = true;
      gone[j] = true;
    }
    lines[kept++] = current;
  }
  lines.resize(kept);
}

void ConnectLines(TLineRecords& vLines, TLineRecords& hLines, bool extend, TSmallPoint tolerance) {
  for (TLineRecord& vLine : vLines) {
    TRect& v = vLine.Rect;
    for (TLineRecord& hLine : hLines) {
      TRect& h = hLine.Rect;
      const int32_t code = JunctionCode(v, h, tolerance.X, tolerance.Y);
      if (code == kJunctionNone) continue;
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

bool IsShortLine(const TRect& r, uint8_t special, int32_t length) {
  // Both sizes below length - 1; computed wide so that no page coordinate can overflow them.
  const int64_t bound = int64_t{length} - 1;
  const int64_t width = int64_t{r.Right} - r.Left, height = int64_t{r.Bottom} - r.Top;
  return special != 0 || (width < bound && height < bound);
}

namespace {

// The list's objects as records (Index: the place in the list), empty entries left out.
TLineRecords RecordsOf(const TObjectList& lines) {
  TLineRecords records;
  records.reserve(lines.size());
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i]) records.push_back(TLineRecord{lines[i]->Rect, lines[i]->Ident, 0, false, static_cast<uint32_t>(i)});
  return records;
}

void PutBack(const TLineRecord& record, TRectProTo& object) {
  object.Rect = record.Rect;
  if (record.Merged)
    if (auto* line = dynamic_cast<TLineProTo*>(&object)) line->Special = 0;
}

}  // namespace

void MergeLines(TObjectList& lines, TSmallPoint tolerance, bool vertical) {
  if (lines.empty()) return;
  TLineRecords records = RecordsOf(lines);
  MergeLines(records, tolerance, vertical);
  TObjectList merged;
  merged.reserve(records.size());
  for (const TLineRecord& record : records) {
    PutBack(record, *lines[record.Index]);
    merged.push_back(std::move(lines[record.Index]));
  }
  lines = std::move(merged);
}

void ConnectLines(TObjectList& vLines, TObjectList& hLines, bool extend, TSmallPoint tolerance) {
  TLineRecords v = RecordsOf(vLines), h = RecordsOf(hLines);
  ConnectLines(v, h, extend, tolerance);
  for (const TLineRecord& record : v) PutBack(record, *vLines[record.Index]);
  for (const TLineRecord& record : h) PutBack(record, *hLines[record.Index]);
}
