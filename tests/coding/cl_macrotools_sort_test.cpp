// Object orders, the sort modes of searches and rules, and the sort's safety under inconsistent orders.
#include "coding/cl_macrotools_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <set>

namespace {

// Objects given as {ident, left, top}, points only.
TObjectList Points(std::initializer_list<std::array<int32_t, 3>> points) {
  TObjectList list;
  for (const auto& p : points) list.push_back(std::make_unique<TRectProTo>(p[0], TRect{p[1], p[2], p[1], p[2]}));
  return list;
}

std::vector<int32_t> Idents(const TObjectList& list) {
  std::vector<int32_t> out;
  for (const auto& o : list) out.push_back(o ? o->Ident : -1);
  return out;
}

}  // namespace

TEST(Orders, CompareIntGivesTheSign) {
  EXPECT_EQ(CompareInt(1, 2), -1);
  EXPECT_EQ(CompareInt(2, 2), 0);
  EXPECT_EQ(CompareInt(INT32_MAX, INT32_MIN), 1);
}

// A 3 x 2 grid of points: idents 1 2 3 on the upper row (top 0), 4 5 6 on the lower row (top 10),
// lefts 0, 10, 20.
TEST(Orders, EachOrderSortsTheGrid) {
  using enum TObjectOrder;
  struct Case {
    TObjectOrder order;
    std::vector<int32_t> idents;
  } cases[] = {
      {Row, {1, 2, 3, 4, 5, 6}},
      {RowRightToLeft, {3, 2, 1, 6, 5, 4}},
      {RowsUpwards, {4, 5, 6, 1, 2, 3}},
      {Column, {1, 4, 2, 5, 3, 6}},
      {ColumnBottomToTop, {4, 1, 5, 2, 6, 3}},
      {ColumnsFromRight, {3, 6, 2, 5, 1, 4}},
  };
  for (const Case& c : cases) {
    TObjectList list = Points({{6, 20, 10}, {2, 10, 0}, {4, 0, 10}, {3, 20, 0}, {1, 0, 0}, {5, 10, 10}});
    SortObjectList(list, c.order);
    EXPECT_EQ(Idents(list), c.idents) << static_cast<int>(c.order);
  }
}

TEST(Orders, CreationOrderIsByIdentThenRows) {
  TObjectList list = Points({{2, 0, 0}, {1, 50, 5}, {1, 10, 5}, {1, 70, 0}});
  list[1]->Ident = 11;  // tell the three ident-1 objects apart after sorting
  SortObjectList(list, TObjectOrder::Creation);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0]->Rect.Left, 70) << "ident 1, upper row";
  EXPECT_EQ(list[1]->Rect.Left, 10) << "ident 1, lower row, left first";
  EXPECT_EQ(list[2]->Ident, 2);
  EXPECT_EQ(list[3]->Ident, 11);
}

TEST(SortModes, TextsAndColumnsByMode) {
  struct Case {
    int32_t mode;
    bool vertical;
    std::vector<int32_t> idents;
  } cases[] = {
      {0, false, {1, 2, 3, 4, 5, 6}}, {1, false, {1, 4, 2, 5, 3, 6}}, {2, false, {4, 5, 6, 1, 2, 3}},
      {3, false, {3, 2, 1, 6, 5, 4}}, {0, true, {1, 4, 2, 5, 3, 6}},  {1, true, {1, 2, 3, 4, 5, 6}},
      {2, true, {3, 6, 2, 5, 1, 4}},  {3, true, {4, 1, 5, 2, 6, 3}},  {7, false, {1, 2, 3, 4, 5, 6}},
      {-1, true, {1, 4, 2, 5, 3, 6}},
  };
  for (const Case& c : cases) {
    TObjectList list = Points({{6, 20, 10}, {2, 10, 0}, {4, 0, 10}, {3, 20, 0}, {1, 0, 0}, {5, 10, 10}});
    SortObjects(list, c.mode, c.vertical, false, TSmallPoint{});
    EXPECT_EQ(Idents(list), c.idents) << "mode " << c.mode << " vertical " << c.vertical;
  }
}

TEST(SortModes, LinesNearlyOnOneLevelGoAlongTheirDirection) {
  // Horizontal lines: 1 at (left 50, top 0), 2 at (0, 2), 3 at (20, 10). Tops 0 and 2 differ by less
  // than a Y tolerance of 3, so 2 comes before 1 (left first); 3 lies on another level.
  struct Case {
    int32_t mode;
    int16_t ty;
    std::vector<int32_t> idents;
  } cases[] = {
      {0, 3, {2, 1, 3}}, {0, 2, {1, 2, 3}},  // a difference of 2 is not less than 2
      {0, 0, {1, 2, 3}}, {2, 3, {3, 2, 1}},  // upwards by level, left first within one
      {2, 0, {3, 2, 1}}, {1, 3, {2, 3, 1}},  // mode 1 ignores the tolerance: left first
      {3, 3, {1, 2, 3}},
  };
  for (const Case& c : cases) {
    TObjectList list = Points({{1, 50, 0}, {2, 0, 2}, {3, 20, 10}});
    SortObjects(list, c.mode, false, true, TSmallPoint{0, c.ty});
    EXPECT_EQ(Idents(list), c.idents) << "mode " << c.mode << " ty " << c.ty;
  }
  // Vertical lines: the same picture turned over its diagonal, X tolerance.
  TObjectList list = Points({{1, 0, 50}, {2, 2, 0}, {3, 10, 20}});
  SortObjects(list, 0, true, true, TSmallPoint{3, 0});
  EXPECT_EQ(Idents(list), (std::vector<int32_t>{2, 1, 3}));
  SortObjects(list, 2, true, true, TSmallPoint{3, 0});
  EXPECT_EQ(Idents(list), (std::vector<int32_t>{3, 2, 1}));
}

TEST(SortSafety, AnyComparisonLeavesAPermutation) {
  // Answers drawn at random contradict themselves all the time; the sort must neither leave the list
  // nor lose or duplicate entries.
  std::mt19937 random(2024);
  for (size_t n : {0u, 1u, 2u, 3u, 17u, 1000u}) {
    std::vector<int32_t> items(n);
    for (size_t i = 0; i < n; ++i) items[i] = static_cast<int32_t>(i);
    MergeSort(items, [&](int32_t, int32_t) { return static_cast<int32_t>(random() % 3) - 1; });
    std::vector<int32_t> sorted = items;
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 0; i < n; ++i) ASSERT_EQ(sorted[i], static_cast<int32_t>(i)) << "n=" << n;
  }
}

TEST(SortSafety, ToleranceOrdersOnManyLinesKeepEveryObject) {
  // Tops 0, 2, 4, ... with a tolerance of 3: each neighbour pair is "level" but the chain is not.
  TObjectList list;
  for (int32_t i = 0; i < 500; ++i)
    list.push_back(std::make_unique<TRectProTo>(i, TRect{(i * 7919) % 500, 2 * i, (i * 7919) % 500 + 40, 2 * i}));
  list.push_back(nullptr);
  std::swap(list.front(), list.back());
  SortObjects(list, 0, false, true, TSmallPoint{0, 3});
  EXPECT_EQ(list.back(), nullptr) << "empty entries go last";
  std::set<int32_t> seen;
  for (size_t i = 0; i + 1 < list.size(); ++i) seen.insert(list[i]->Ident);
  EXPECT_EQ(seen.size(), 500u);
}

TEST(SortSafety, EqualKeysKeepTheirOrder) {
  TObjectList list = Points({{1, 5, 5}, {2, 5, 5}, {3, 0, 0}, {4, 5, 5}});
  SortObjectList(list, TObjectOrder::Row);
  EXPECT_EQ(Idents(list), (std::vector<int32_t>{3, 1, 2, 4}));
}

TEST(SortSafety, IntegerListsAscend) {
  TIntList separators{{40, -3, 40, 7, INT32_MIN, 0}};
  SortIntList(separators);
  EXPECT_EQ(separators.Items, (TIntegerArray{INT32_MIN, -3, 0, 7, 40, 40}));
}
