// Indexes of a page's objects for the text steps, so that no step tests every pair of objects: the
// highest white area over each point, vertical lines by place, and the groups of objects that share rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "coding/cl_macrotools.h"

// For each point, the highest number among the areas whose rectangle holds it (sides included), or
// INT32_MIN when none does.
std::vector<int32_t> HighestAreaOver(std::span<const TRectProTo* const> areas, std::span<const TPoint> points);

// Vertical lines by their x: a tree over that order whose nodes keep their lines by top (with the lowest
// bottom reached so far) and by midpoint. Built once; answers in O(log² n).
class TVLineIndex {
 public:
  explicit TVLineIndex(const TObjectList& lines);
  // A line at lo <= x <= hi whose top..bottom holds y.
  bool AnyHolding(int64_t lo, int64_t hi, int32_t y) const;
  // A line at lo <= x <= hi that overlaps top..bottom by the midpoint rule of RangesOverlap.
  bool AnyOverlapping(int64_t lo, int64_t hi, int32_t top, int32_t bottom) const;

 private:
  struct TNode {
    std::vector<std::pair<int32_t, int32_t>> ByTop;  // (top, lowest bottom of this and every earlier line)
    std::vector<int32_t> Midpoints;
  };
  std::pair<size_t, size_t> Span(int64_t lo, int64_t hi) const;
  template <class Visit>
  bool AnyNode(size_t from, size_t to, const Visit& visit) const;

  std::vector<int32_t> lefts_;
  size_t size_ = 0;
  std::vector<TNode> nodes_;
};

// The groups of two or more extents (lo, hi), lo <= hi, each in ascending order of index: extents that
// intersect share a group, and so do chains of them, so that objects of different groups never overlap.
std::vector<std::vector<size_t>> OverlapGroups(std::span<const std::pair<int32_t, int32_t>> extents);
