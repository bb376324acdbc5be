// Indexes of a page's objects for the text steps: a sweep over x for the white areas, a merge tree for the
// vertical lines, and a sort for the groups of rows.
#include "coding/enumemf2_runs_index.h"

#include <algorithm>
#include <queue>

namespace {

// Numbers of the areas open over each elementary range of y, each node's largest found lazily: an area
// that closes is only marked, and leaves its node's heap when it reaches the top.
class TOpenAreas {
 public:
  explicit TOpenAreas(size_t leaves) : size_(std::max<size_t>(leaves, 1)), live_(2 * size_), gone_(2 * size_) {}
  void Add(size_t from, size_t to, int32_t number, bool open) {
    for (size_t l = from + size_, r = to + size_ + 1; l < r; l >>= 1, r >>= 1) {
      if (l & 1) Push(l++, number, open);
      if (r & 1) Push(--r, number, open);
    }
  }
  int32_t Highest(size_t leaf) {
    int32_t best = INT32_MIN;
    for (size_t node = leaf + size_; node >= 1; node >>= 1) {
      auto& live = live_[node];
      auto& gone = gone_[node];
      while (!live.empty() && !gone.empty() && live.top() == gone.top()) {
        live.pop();
        gone.pop();
      }
      if (!live.empty()) best = std::max(best, live.top());
    }
    return best;
  }

 private:
  void Push(size_t node, int32_t number, bool open) { (open ? live_ : gone_)[node].push(number); }

  size_t size_;
  std::vector<std::priority_queue<int32_t>> live_, gone_;
};

}  // namespace

std::vector<int32_t> HighestAreaOver(std::span<const TRectProTo* const> areas, std::span<const TPoint> points) {
  std::vector<int32_t> best(points.size(), INT32_MIN);
  std::vector<int32_t> ys;
  for (const TRectProTo* area : areas)
    if (area->Rect.Left <= area->Rect.Right && area->Rect.Top <= area->Rect.Bottom) {
      ys.push_back(area->Rect.Top);
      ys.push_back(area->Rect.Bottom);
    }
  if (ys.empty()) return best;
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  // Leaf 2k is the value ys[k], leaf 2k + 1 the values between ys[k] and ys[k + 1].
  auto leafOf = [&](int32_t y) { return 2 * static_cast<size_t>(std::lower_bound(ys.begin(), ys.end(), y) - ys.begin()); };
  // Events along x: areas open, then points are asked, then areas close (the sides hold their points).
  struct TEvent {
    int32_t X;
    int Kind;  // 0 open, 1 ask, 2 close
    size_t Index;
  };
  std::vector<TEvent> events;
  for (size_t i = 0; i < areas.size(); ++i) {
    const TRect& r = areas[i]->Rect;
    if (r.Left > r.Right || r.Top > r.Bottom) continue;
    events.push_back({r.Left, 0, i});
    events.push_back({r.Right, 2, i});
  }
  for (size_t i = 0; i < points.size(); ++i) events.push_back({points[i].X, 1, i});
  std::sort(events.begin(), events.end(),
            [](const TEvent& a, const TEvent& b) { return a.X != b.X ? a.X < b.X : a.Kind < b.Kind; });
  TOpenAreas open(2 * ys.size() - 1);
  for (const TEvent& e : events) {
    if (e.Kind == 1) {
      const int32_t y = points[e.Index].Y;
      if (y < ys.front() || y > ys.back()) continue;
      const size_t at = leafOf(y);
      best[e.Index] = open.Highest(ys[at / 2] == y ? at : at - 1);
    } else {
      const TRectProTo& area = *areas[e.Index];
      open.Add(leafOf(area.Rect.Top), leafOf(area.Rect.Bottom), area.Ident, e.Kind == 0);
    }
  }
  return best;
}

TVLineIndex::TVLineIndex(const TObjectList& lines) {
  std::vector<TRect> rects;
  for (const auto& line : lines)
    if (line) rects.push_back(line->Rect);
  std::stable_sort(rects.begin(), rects.end(), [](const TRect& a, const TRect& b) { return a.Left < b.Left; });
  size_ = rects.size();
  nodes_.resize(2 * size_);
  for (const TRect& r : rects) lefts_.push_back(r.Left);
  for (size_t i = 0; i < size_; ++i) {
    nodes_[size_ + i].ByTop = {{rects[i].Top, rects[i].Bottom}};
    nodes_[size_ + i].Midpoints = {IntMidpoint(rects[i].Top, rects[i].Bottom)};
  }
  // Nodes merge their children's (top, bottom); the bottoms become running maxima once all are merged.
  for (size_t node = size_ > 1 ? size_ - 1 : 0; node >= 1; --node) {
    const TNode& a = nodes_[2 * node];
    const TNode& b = nodes_[2 * node + 1];
    TNode& n = nodes_[node];
    std::merge(a.ByTop.begin(), a.ByTop.end(), b.ByTop.begin(), b.ByTop.end(), std::back_inserter(n.ByTop));
    std::merge(a.Midpoints.begin(), a.Midpoints.end(), b.Midpoints.begin(), b.Midpoints.end(),
               std::back_inserter(n.Midpoints));
  }
  for (TNode& n : nodes_)
    for (size_t i = 1; i < n.ByTop.size(); ++i) n.ByTop[i].second = std::max(n.ByTop[i].second, n.ByTop[i - 1].second);
}

std::pair<size_t, size_t> TVLineIndex::Span(int64_t lo, int64_t hi) const {
  const auto from = std::lower_bound(lefts_.begin(), lefts_.end(), lo, [](int32_t x, int64_t v) { return x < v; });
  const auto to = std::upper_bound(lefts_.begin(), lefts_.end(), hi, [](int64_t v, int32_t x) { return v < x; });
  return {static_cast<size_t>(from - lefts_.begin()), static_cast<size_t>(std::max(from, to) - lefts_.begin())};
}

template <class Visit>
bool TVLineIndex::AnyNode(size_t from, size_t to, const Visit& visit) const {
  for (size_t l = from + size_, r = to + size_; l < r; l >>= 1, r >>= 1) {
    if ((l & 1) && visit(nodes_[l++])) return true;
    if ((r & 1) && visit(nodes_[--r])) return true;
  }
  return false;
}

bool TVLineIndex::AnyHolding(int64_t lo, int64_t hi, int32_t y) const {
  const auto [from, to] = Span(lo, hi);
  return AnyNode(from, to, [y](const TNode& n) {
    // The last line with top <= y; the lowest bottom up to it reaches y when any of them holds y.
    const auto it = std::upper_bound(n.ByTop.begin(), n.ByTop.end(), y,
                                     [](int32_t v, const std::pair<int32_t, int32_t>& e) { return v < e.first; });
    return it != n.ByTop.begin() && std::prev(it)->second >= y;
  });
}

bool TVLineIndex::AnyOverlapping(int64_t lo, int64_t hi, int32_t top, int32_t bottom) const {
  if (AnyHolding(lo, hi, IntMidpoint(top, bottom))) return true;
  if (top > bottom) return false;
  const auto [from, to] = Span(lo, hi);
  return AnyNode(from, to, [top, bottom](const TNode& n) {
    const auto it = std::lower_bound(n.Midpoints.begin(), n.Midpoints.end(), top);
    return it != n.Midpoints.end() && *it <= bottom;
  });
}

std::vector<std::vector<size_t>> OverlapGroups(std::span<const std::pair<int32_t, int32_t>> extents) {
  std::vector<size_t> order(extents.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return extents[a].first < extents[b].first; });
  std::vector<std::vector<size_t>> groups;
  for (size_t k = 0; k < order.size();) {
    size_t end = k + 1;
    int32_t reach = extents[order[k]].second;
    while (end < order.size() && extents[order[end]].first <= reach) reach = std::max(reach, extents[order[end++]].second);
    if (end - k > 1) {
      groups.emplace_back(order.begin() + static_cast<ptrdiff_t>(k), order.begin() + static_cast<ptrdiff_t>(end));
      std::sort(groups.back().begin(), groups.back().end());
    }
    k = end;
  }
  return groups;
}
