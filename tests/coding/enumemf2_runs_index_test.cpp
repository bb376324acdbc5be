// The page indexes of the text steps against the plain tests they stand for, on random pages with a fixed
// seed: the highest area over a point, vertical lines in a span of x, and groups of overlapping extents.
#include "coding/enumemf2_runs_index.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace {
int32_t Random(std::mt19937& g, int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(g); }

// Small coordinates so that sides meet often; now and then an inverted rectangle.
TRect RandomRect(std::mt19937& g) {
  const int32_t l = Random(g, 0, 60), t = Random(g, 0, 60);
  return TRect{l, t, l + Random(g, -3, 25), t + Random(g, -3, 25)};
}
}  // namespace

TEST(PageIndexes, HighestAreaOverAPoint) {
  std::mt19937 g(7);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::unique_ptr<TRectProTo>> owned;
    std::vector<const TRectProTo*> areas;
    for (int i = Random(g, 0, 30); i > 0; --i) {
      owned.push_back(std::make_unique<TRectProTo>(Random(g, -5, 40), RandomRect(g)));
      areas.push_back(owned.back().get());
    }
    std::vector<TPoint> points;
    for (int i = 0; i < 50; ++i) points.push_back(TPoint{Random(g, -2, 90), Random(g, -2, 90)});
    const std::vector<int32_t> highest = HighestAreaOver(areas, points);
    for (size_t p = 0; p < points.size(); ++p) {
      int32_t expected = INT32_MIN;
      for (const TRectProTo* area : areas)
        if (PointInRect(points[p], area->Rect)) expected = std::max(expected, area->Ident);
      ASSERT_EQ(highest[p], expected) << "round " << round << " point " << p;
    }
  }
}

TEST(PageIndexes, VerticalLinesInASpanOfX) {
  std::mt19937 g(11);
  for (int round = 0; round < 200; ++round) {
    TObjectList lines;
    for (int i = Random(g, 0, 40); i > 0; --i) {
      const TRect r = RandomRect(g);
      lines.push_back(std::make_unique<TRectProTo>(0, TRect{r.Left, r.Top, r.Left, r.Bottom}));
    }
    lines.push_back(nullptr);  // an emptied slot is no line
    const TVLineIndex index(lines);
    for (int q = 0; q < 50; ++q) {
      const int64_t lo = Random(g, -2, 70), hi = lo + Random(g, -2, 20);
      const int32_t top = Random(g, -2, 90), bottom = top + Random(g, -3, 20);
      bool holding = false, overlapping = false;
      for (const auto& line : lines) {
        if (!line || line->Rect.Left < lo || line->Rect.Left > hi) continue;
        holding = holding || IntInRange(line->Rect.Top, line->Rect.Bottom, top);
        overlapping = overlapping || RangesOverlap(line->Rect.Top, line->Rect.Bottom, top, bottom);
      }
      ASSERT_EQ(index.AnyHolding(lo, hi, top), holding) << "round " << round << " query " << q;
      ASSERT_EQ(index.AnyOverlapping(lo, hi, top, bottom), overlapping) << "round " << round << " query " << q;
    }
  }
}

TEST(PageIndexes, GroupsOfOverlappingExtents) {
  std::mt19937 g(13);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::pair<int32_t, int32_t>> extents;
    for (int i = Random(g, 0, 30); i > 0; --i) {
      const int32_t lo = Random(g, 0, 200);
      extents.emplace_back(lo, lo + Random(g, 0, 15));
    }
    std::vector<int> groupOf(extents.size(), -1);
    const auto groups = OverlapGroups(extents);
    for (size_t k = 0; k < groups.size(); ++k) {
      ASSERT_GE(groups[k].size(), 2u);
      ASSERT_TRUE(std::is_sorted(groups[k].begin(), groups[k].end()));
      for (size_t i : groups[k]) groupOf[i] = static_cast<int>(k);
    }
    // Extents that intersect share a group; one alone in its group (-1) meets nobody.
    for (size_t a = 0; a < extents.size(); ++a)
      for (size_t b = a + 1; b < extents.size(); ++b)
        if (extents[a].first <= extents[b].second && extents[b].first <= extents[a].second) {
          ASSERT_NE(groupOf[a], -1);
          ASSERT_EQ(groupOf[a], groupOf[b]);
        }
  }
}
