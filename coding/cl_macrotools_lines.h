// Line clean-up after a page is parsed: merging the pieces of one line and making near-junctions of
// vertical and horizontal lines exact.
#pragma once

#include <cstdint>
#include <vector>

#include "coding/cl_macrotools.h"

// Junction bits of a vertical line P and a horizontal line Q.
inline constexpr int32_t kJunctionUp = 1;     // P goes on above Q
inline constexpr int32_t kJunctionRight = 2;  // Q goes on to the right of P
inline constexpr int32_t kJunctionDown = 4;   // P goes on below Q
inline constexpr int32_t kJunctionLeft = 8;   // Q goes on to the left of P
inline constexpr int32_t kJunctionNone = 16;  // they do not meet within the tolerances

inline int32_t JunctionCode(const TRect& p, const TRect& q, int32_t tx, int32_t ty) {
  if (!InRangeTol(p.Top, p.Bottom, q.Top, ty) || !InRangeTol(q.Left, q.Right, p.Left, tx)) return kJunctionNone;
  int32_t code = 0;
  if (int64_t{p.Top} + ty < q.Top) code |= kJunctionUp;
  if (int64_t{q.Right} - tx > p.Left) code |= kJunctionRight;
  if (int64_t{q.Top} < int64_t{p.Bottom} - ty) code |= kJunctionDown;
  if (int64_t{q.Left} + tx < p.Left) code |= kJunctionLeft;
  return code;
}

// Joins lines of one direction (vertical: the list holds vertical lines) that lie on one line and touch
// or overlap; tolerance x and y apply along and across as the direction gives. Merged-away lines are
// freed; the list comes back in the order the surviving lines were taken.
void MergeLines(TObjectList& lines, TSmallPoint tolerance, bool vertical);

// For every vertical line and, within it, every horizontal line: an end that overshoots the other line
// within the tolerance is cut back (extend false), or one that stops short is lengthened (extend true).
void ConnectLines(TObjectList& vLines, TObjectList& hLines, bool extend, TSmallPoint tolerance);

// The same steps over plain line records, for a caller that makes its lines in bulk and wants page
// objects only for those that are left. The object versions above run through these.
struct TLineRecord {
  TRect Rect;
  int32_t Ident = 0;
  uint8_t Special = 0;
  bool Merged = false;  // another line was merged into this one
  uint32_t Index = 0;   // the caller's
};
using TLineRecords = std::vector<TLineRecord>;

void MergeLines(TLineRecords& lines, TSmallPoint tolerance, bool vertical);
void ConnectLines(TLineRecords& vLines, TLineRecords& hLines, bool extend, TSmallPoint tolerance);

// A line the clean-up drops: drawn with a special character, or shorter than length - 1 both ways.
bool IsShortLine(const TRect& r, uint8_t special, int32_t length);
