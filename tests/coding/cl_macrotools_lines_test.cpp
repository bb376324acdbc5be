// Line clean-up: merging pieces of one line, junction codes and making junctions exact.
#include "coding/cl_macrotools_lines.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable failures: rectangles as left, top, right, bottom.
static void PrintTo(const TRect& r, std::ostream* os) {
  *os << "{" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << "}";
}

namespace {

TObjectList Lines(std::initializer_list<TRect> rects, uint8_t special = 0) {
  TObjectList list;
  int32_t ident = 1;
  for (const TRect& r : rects) {
    auto line = std::make_unique<TLineProTo>(ident++, r);
    line->Special = special;
    list.push_back(std::move(line));
  }
  return list;
}

std::vector<TRect> Rects(const TObjectList& list) {
  std::vector<TRect> out;
  for (const auto& o : list) out.push_back(o ? o->Rect : TRect{-1, -1, -1, -1});
  return out;
}

}  // namespace

TEST(MergeLines, JoinsPiecesOfOneLine) {
  struct Case {
    std::vector<TRect> in;
    TSmallPoint tolerance;
    bool vertical;
    std::vector<TRect> out;
    const char* why;
  } cases[] = {
      {{{0, 0, 100, 0}, {105, 0, 200, 0}}, {5, 0}, false, {{0, 0, 200, 0}}, "a gap of 5 within x tolerance 5"},
      {{{0, 0, 100, 0}, {105, 0, 200, 0}}, {4, 0}, false, {{0, 0, 100, 0}, {105, 0, 200, 0}}, "a gap of 5, tolerance 4"},
      {{{0, 10, 50, 10}, {40, 12, 200, 12}}, {0, 3}, false, {{0, 12, 200, 12}}, "across 3: onto the longer piece's y"},
      {{{40, 12, 200, 12}, {0, 10, 50, 10}}, {0, 0}, false, {{0, 10, 50, 10}, {40, 12, 200, 12}}, "no y tolerance"},
      {{{0, 10, 150, 10}, {40, 12, 60, 12}}, {0, 3}, false, {{0, 10, 150, 10}}, "the longer piece keeps its y"},
      {{{22, 0, 30, 0}, {0, 0, 10, 0}, {12, 0, 20, 0}}, {2, 0}, false, {{0, 0, 30, 0}}, "the line grows while the walk goes on"},
      {{{0, 0, 10, 0}, {0, 5, 10, 5}}, {0, 0}, false, {{0, 0, 10, 0}, {0, 5, 10, 5}}, "different levels never merge"},
      {{{10, 0, 10, 50}, {10, 52, 10, 90}}, {0, 2}, true, {{10, 0, 10, 90}}, "vertical: y along, x across"},
      {{{10, 0, 10, 50}, {10, 52, 10, 90}}, {2, 0}, true, {{10, 0, 10, 50}, {10, 52, 10, 90}}, "vertical, x tolerance only"},
      {{{10, 0, 10, 40}, {12, 30, 12, 90}}, {3, 0}, true, {{12, 0, 12, 90}}, "vertical, across 3"},
      {{}, {5, 5}, false, {}, "an empty list stays empty"},
      {{{0, 0, 10, 0}, {0, 3, 40, 3}, {30, 6, 50, 6}}, {0, 3}, false, {{0, 3, 50, 3}},
       "a chain across: the line moved onto y 3 reaches the one at 6"},
      {{{0, 0, 10, 0}, {0, 4, 40, 4}, {0, 9, 10, 9}, {5, 13, 8, 13}}, {0, 3}, false,
       {{0, 0, 10, 0}, {0, 4, 40, 4}, {0, 9, 10, 9}, {5, 13, 8, 13}}, "levels 4 and 5 apart, tolerance 3"},
      {{{0, 0, 10, 0}, {0, 100, 10, 100}, {5, 2, 30, 2}}, {0, 3}, false, {{0, 2, 30, 2}, {0, 100, 10, 100}},
       "a far level between two near ones in the order of starts"},
      {{{50, 0, 60, 0}, {0, 1, 10, 1}, {20, 2, 30, 2}}, {5, 2}, false, {{0, 1, 10, 1}, {20, 2, 30, 2}, {50, 0, 60, 0}},
       "lines that start past the current one's end stop its search"},
      {{{60, 0, 50, 0}, {0, 1, 70, 1}}, {0, 2}, false, {{0, 1, 70, 1}}, "a line drawn backwards still merges"},
  };
  for (const Case& c : cases) {
    TObjectList list;
    for (const TRect& r : c.in) list.push_back(std::make_unique<TLineProTo>(0, r));
    MergeLines(list, c.tolerance, c.vertical);
    EXPECT_EQ(Rects(list), c.out) << c.why;
  }
}

TEST(MergeLines, MergedLinesLoseTheSpecialFlag) {
  TObjectList list = Lines({{0, 0, 100, 0}, {105, 0, 200, 0}, {0, 50, 10, 50}}, 1);
  MergeLines(list, TSmallPoint{5, 0}, false);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(static_cast<TLineProTo&>(*list[0]).Special, 0) << "merged from two special pieces";
  EXPECT_EQ(static_cast<TLineProTo&>(*list[1]).Special, 1) << "a line left alone keeps it";
  EXPECT_EQ(list[0]->Ident, 1) << "the first piece survives";
}

TEST(MergeLines, ResultIsInTheOrderLinesBecameCurrent) {
  // Across tolerance 3: ordered by start, then level. The far line is skipped by the first line's walk
  // and becomes current after it.
  TObjectList list = Lines({{12, 1, 40, 1}, {5, 50, 15, 50}, {0, 0, 10, 0}});
  MergeLines(list, TSmallPoint{2, 3}, false);
  EXPECT_EQ(Rects(list), (std::vector<TRect>{{0, 1, 40, 1}, {5, 50, 15, 50}}));
}

// Lines out of order are sorted by level and start, negative coordinates first; of two lines that start
// at one point the earlier in the list stays current and survives the merge.
TEST(MergeLines, SortIsStableAcrossSigns) {
  for (const bool vertical : {false, true}) {
    SCOPED_TRACE(vertical);
    auto flip = [vertical](TRect r) { return vertical ? TRect{r.Top, r.Left, r.Bottom, r.Right} : r; };
    TObjectList list = Lines({flip({0, 0, 10, 0}), flip({-5, -3, 0, -3}), flip({0, 0, 20, 0}), flip({-9, 7, -2, 7})});
    MergeLines(list, TSmallPoint{0, 0}, vertical);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(Rects(list), (std::vector<TRect>{flip({-5, -3, 0, -3}), flip({0, 0, 20, 0}), flip({-9, 7, -2, 7})}));
    EXPECT_EQ(list[1]->Ident, 1);
  }
}

// P is the vertical line x 50, y 0..100; Q the horizontal line of each case.
TEST(Junctions, CodeOfEveryKindOfMeeting) {
  const TRect p{50, 0, 50, 100};
  struct Case {
    TRect q;
    int32_t tx, ty, code;
    const char* why;
  } cases[] = {
      {{0, 50, 100, 50}, 0, 0, 15, "cross"},
      {{50, 50, 100, 50}, 0, 0, 7, "T, Q to the right"},
      {{0, 50, 50, 50}, 0, 0, 13, "T, Q to the left"},
      {{0, 0, 100, 0}, 0, 0, 14, "T, P downwards"},
      {{0, 100, 100, 100}, 0, 0, 11, "T, P upwards"},
      {{50, 0, 100, 0}, 0, 0, 6, "corner: down and right"},
      {{0, 0, 50, 0}, 0, 0, 12, "corner: down and left"},
      {{50, 100, 100, 100}, 0, 0, 3, "corner: up and right"},
      {{0, 100, 50, 100}, 0, 0, 9, "corner: up and left"},
      {{50, 50, 50, 50}, 0, 0, 5, "Q is a point on P"},
      {{60, 50, 100, 50}, 0, 0, 16, "Q starts right of P"},
      {{0, 101, 100, 101}, 0, 0, 16, "Q below P's end"},
      {{53, 50, 100, 50}, 3, 3, 7, "a gap within x tolerance"},
      {{54, 50, 100, 50}, 3, 3, 16, "one more and they do not meet"},
      {{0, 102, 100, 102}, 3, 3, 11, "below the end within y tolerance"},
      {{0, 50, 52, 50}, 3, 3, 13, "an overshoot within tolerance does not go on"},
      {{0, 50, 54, 50}, 3, 3, 15, "one more and it does"},
  };
  for (const Case& c : cases) EXPECT_EQ(JunctionCode(p, c.q, c.tx, c.ty), c.code) << c.why;
}

TEST(Junctions, ConnectLinesCutsOrLengthensEnds) {
  struct Case {
    TRect v, h;
    bool extend;
    TRect vOut, hOut;
    const char* why;
  } cases[] = {
      {{50, 0, 50, 98}, {50, 100, 200, 100}, true, {50, 0, 50, 100}, {50, 100, 200, 100}, "V stops 2 short: lengthened"},
      {{50, 0, 50, 98}, {50, 100, 200, 100}, false, {50, 0, 50, 98}, {50, 100, 200, 100}, "cutting leaves a short end alone"},
      {{50, 0, 50, 102}, {50, 100, 200, 100}, false, {50, 0, 50, 100}, {50, 100, 200, 100}, "V overshoots by 2: cut back"},
      {{50, 0, 50, 102}, {50, 100, 200, 100}, true, {50, 0, 50, 102}, {50, 100, 200, 100}, "lengthening leaves an overshoot"},
      {{50, 0, 50, 100}, {48, 100, 200, 100}, false, {50, 0, 50, 100}, {50, 100, 200, 100}, "H overshoots left: cut"},
      {{50, 0, 50, 100}, {52, 100, 200, 100}, true, {50, 0, 50, 100}, {50, 100, 200, 100}, "H short on the left: lengthened"},
      {{50, 0, 50, 100}, {52, 50, 200, 50}, true, {50, 0, 50, 100}, {50, 50, 200, 50}, "T: only H moves"},
      {{50, 0, 50, 100}, {0, 50, 100, 50}, true, {50, 0, 50, 100}, {0, 50, 100, 50}, "a cross stays"},
      {{50, 0, 50, 98}, {0, 100, 49, 100}, true, {50, 0, 50, 100}, {0, 100, 50, 100}, "corner up-left: both lengthened"},
      {{50, 2, 50, 100}, {0, 0, 48, 0}, true, {50, 0, 50, 100}, {0, 0, 50, 0}, "corner down-left: both lengthened"},
      {{50, 0, 50, 100}, {60, 50, 200, 50}, true, {50, 0, 50, 100}, {60, 50, 200, 50}, "too far apart"},
  };
  for (const Case& c : cases) {
    TObjectList v = Lines({c.v}), h = Lines({c.h});
    ConnectLines(v, h, c.extend, TSmallPoint{3, 3});
    EXPECT_EQ(v[0]->Rect, c.vOut) << c.why;
    EXPECT_EQ(h[0]->Rect, c.hOut) << c.why;
  }
}

TEST(Junctions, ConnectLinesSkipsEmptyEntriesAndSeesEarlierMoves) {
  // The first horizontal line lengthens V to 100; the second one then meets V's new end.
  TObjectList v = Lines({{50, 0, 50, 98}});
  TObjectList h = Lines({{50, 100, 200, 100}, {0, 103, 47, 103}});
  h.insert(h.begin() + 1, nullptr);
  v.push_back(nullptr);
  ConnectLines(v, h, true, TSmallPoint{3, 3});
  EXPECT_EQ(v[0]->Rect, (TRect{50, 0, 50, 103}));
  EXPECT_EQ(h[2]->Rect, (TRect{0, 103, 50, 103}));
}
