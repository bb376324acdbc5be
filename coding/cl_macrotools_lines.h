// Line clean-up after a page is parsed: merging the pieces of one line and making near-junctions of
// vertical and horizontal lines exact.
#pragma once

#include <cstdint>

#include "coding/cl_macrotools.h"

// Junction bits of a vertical line P and a horizontal line Q.
inline constexpr int32_t kJunctionUp = 1;     // P goes on above Q
inline constexpr int32_t kJunctionRight = 2;  // Q goes on to the right of P
inline constexpr int32_t kJunctionDown = 4;   // P goes on below Q
inline constexpr int32_t kJunctionLeft = 8;   // Q goes on to the left of P
inline constexpr int32_t kJunctionNone = 16;  // they do not meet within the tolerances

int32_t JunctionCode(const TRect& p, const TRect& q, int32_t tx, int32_t ty);

// Joins lines of one direction (vertical: the list holds vertical lines) that lie on one line and touch
// or overlap; tolerance x and y apply along and across as the direction gives. Merged-away lines are
// freed; the list comes back in the order the surviving lines were taken.
void MergeLines(TObjectList& lines, TSmallPoint tolerance, bool vertical);

// For every vertical line and, within it, every horizontal line: an end that overshoots the other line
// within the tolerance is cut back (extend false), or one that stops short is lengthened (extend true).
void ConnectLines(TObjectList& vLines, TObjectList& hLines, bool extend, TSmallPoint tolerance);
