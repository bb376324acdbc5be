// Orders of page objects and the sort that applies them. The orders that use a tolerance are not
// strict weak orders, so sorting goes through a merge sort that stays in bounds whatever they answer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "coding/cl_macrotools.h"
#include "foundation/lib_str_buffers.h"

inline int32_t CompareInt(int32_t a, int32_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

// Orders by the top-left corner: the first key, ties decided by the second.
enum class TObjectOrder {
  Row,                // Top ascending, Left ascending
  RowRightToLeft,     // Top ascending, Left descending
  RowsUpwards,        // Top descending, Left ascending
  Column,             // Left ascending, Top ascending
  ColumnBottomToTop,  // Left ascending, Top descending
  ColumnsFromRight,   // Left descending, Top ascending
  Creation,           // Ident ascending, then row order
};

int32_t CompareObjects(TObjectOrder order, const TRectProTo& a, const TRectProTo& b);

// The orders by corner alone, inline for sorts of many small records; Creation compares as Row here.
inline int32_t CompareRects(TObjectOrder order, const TRect& p, const TRect& q) {
  auto then = [](int32_t first, int32_t second) { return first != 0 ? first : second; };
  constexpr auto cmp = CompareInt;
  switch (order) {
    case TObjectOrder::RowRightToLeft: return then(cmp(p.Top, q.Top), cmp(q.Left, p.Left));
    case TObjectOrder::RowsUpwards: return then(cmp(q.Top, p.Top), cmp(p.Left, q.Left));
    case TObjectOrder::Column: return then(cmp(p.Left, q.Left), cmp(p.Top, q.Top));
    case TObjectOrder::ColumnBottomToTop: return then(cmp(p.Left, q.Left), cmp(q.Top, p.Top));
    case TObjectOrder::ColumnsFromRight: return then(cmp(q.Left, p.Left), cmp(p.Top, q.Top));
    default: return then(cmp(p.Top, q.Top), cmp(p.Left, q.Left));
  }
}

// Stable bottom-up merge sort; compare(a, b) < 0 puts b before a. Only the answer's sign is used, so
// any comparison, consistent or not, leaves a permutation of the input.
template <class T, class Compare>
void MergeSort(std::vector<T>& items, Compare compare) {
  const size_t n = items.size();
  if (n < 2) return;
  std::vector<T> work(n);
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      const size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
      size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) work[k++] = compare(items[j], items[i]) < 0 ? std::move(items[j++]) : std::move(items[i++]);
      while (i < mid) work[k++] = std::move(items[i++]);
      while (j < hi) work[k++] = std::move(items[j++]);
    }
    items.swap(work);
  }
}

// Empty entries go to the end.
void SortObjectList(TObjectList& list, TObjectOrder order);

// The sort modes 0..3 of searches and rules (any other mode is 0), for texts (lines false) or line
// lists; vertical picks the column-first family. The line orders keep objects whose tops (horizontal)
// or lefts (vertical) differ by less than the tolerance together in the line's own direction.
void SortObjects(TObjectList& list, int32_t sortMode, bool vertical, bool lines, TSmallPoint sortTolerance);

// Ascending, as the separator lists of tables are kept.
void SortIntList(TIntList& list);
