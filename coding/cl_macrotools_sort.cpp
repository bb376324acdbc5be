// Object orders and the sort modes built from them.
#include "coding/cl_macrotools_sort.h"

#include <cstdlib>

namespace {

// |a - b| < tol, exactly.
bool WithinTolerance(int32_t a, int32_t b, int32_t tol) { return std::llabs(int64_t{a} - b) < tol; }

}  // namespace

int32_t CompareObjects(TObjectOrder order, const TRectProTo& a, const TRectProTo& b) {
  if (order == TObjectOrder::Creation && a.Ident != b.Ident) return CompareInt(a.Ident, b.Ident);
  return CompareRects(order, a.Rect, b.Rect);
}

namespace {

template <class Compare>
void SortNonEmptyFirst(TObjectList& list, Compare compare) {
  MergeSort(list, [&](const std::unique_ptr<TRectProTo>& a, const std::unique_ptr<TRectProTo>& b) {
    if (!a || !b) return CompareInt(a ? 0 : 1, b ? 0 : 1);
    return compare(*a, *b);
  });
}

}  // namespace

void SortObjectList(TObjectList& list, TObjectOrder order) {
  SortNonEmptyFirst(list, [order](const TRectProTo& a, const TRectProTo& b) { return CompareObjects(order, a, b); });
}

void SortObjects(TObjectList& list, int32_t sortMode, bool vertical, bool lines, TSmallPoint sortTolerance) {
  using enum TObjectOrder;
  if (sortMode < 0 || sortMode > 3) sortMode = 0;
  if (!lines || sortMode == 1 || sortMode == 3) {
    static constexpr TObjectOrder kByRows[4] = {Row, Column, RowsUpwards, RowRightToLeft};
    static constexpr TObjectOrder kByColumns[4] = {Column, Row, ColumnsFromRight, ColumnBottomToTop};
    SortObjectList(list, (vertical ? kByColumns : kByRows)[sortMode]);
    return;
  }
  // Modes 0 and 2 of line lists: lines nearly on one level are ordered along their direction.
  const TObjectOrder across = vertical ? (sortMode == 2 ? ColumnsFromRight : Column) : (sortMode == 2 ? RowsUpwards : Row);
  const TObjectOrder along = vertical ? Row : Column;
  SortNonEmptyFirst(list, [&](const TRectProTo& a, const TRectProTo& b) {
    const bool level = vertical ? WithinTolerance(a.Rect.Left, b.Rect.Left, sortTolerance.X)
                                : WithinTolerance(a.Rect.Top, b.Rect.Top, sortTolerance.Y);
    return CompareObjects(level ? along : across, a, b);
  });
}

void SortIntList(TIntList& list) { MergeSort(list.Items, CompareInt); }
