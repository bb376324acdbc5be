// Texts printed over one another on a raw page. The meetings are made in the order of a walk over every
// pair (a before b on a row, b starting within a), but a meeting that cannot change a character is
// skipped without a look: a NUL under a later print stays NUL and a NUL early character is not changed
// by any later one, so once a text's characters are all NUL (or all left of the texts still to come)
// only earlier prints that still hold a character and a text to join remain for it.
#include "coding/enumraw2_overprint.h"

#include <algorithm>
#include <bit>
#include <numeric>

namespace enumraw2 {

namespace {

constexpr char16_t kNul = 0;
constexpr char16_t kBlank = u' ';
constexpr uint32_t kStepsPerCheck = 4096;

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The cell of early (from 0) under the centre of late's character j.
int64_t CellUnder(const TText& early, const TText& late, int64_t j) {
  const int64_t centre = int64_t{late.Rect.Left} + j * late.CharWidth + late.CharWidth / 2;
  return FloorDiv(centre - early.Rect.Left, early.CharWidth);
}

}  // namespace

TOverprints::TOverprints(std::vector<TText*> texts) : texts_(std::move(texts)), state_(texts_.size()) {}

TOverprints::TState& TOverprints::State(size_t k) {
  TState& s = state_[k];
  if (!s.Counted) {
    const std::u16string& text = texts_[k]->Text;
    s.Live = text.size() - static_cast<size_t>(std::count(text.begin(), text.end(), kNul));
    s.First = 0;
    s.End = text.size();
    s.Counted = true;
  }
  return s;
}

// Made when a text first needs it: a page without texts over one another never does.
void TOverprints::Index() {
  if (indexed_) return;
  indexed_ = true;
  const size_t n = texts_.size();
  // By value: the texts done with may be cut into runs or freed by now, and are left out.
  // lowest_: a bound from below of the Ident of any text from k on that may hold a character (a text
  // only ever loses them). Where it is not below a text's own, no earlier print is left to meet it.
  starts_.resize(n);
  lowest_.assign(n + 1, INT64_MAX);
  for (size_t k = current_ + 1; k < n; ++k) {
    const TText& t = *texts_[k];
    starts_[k] = TStart{t.Rect.Top, t.Rect.Left, t.Underline, t.CharWidth};
    byStart_.push_back(static_cast<uint32_t>(k));
    if (!t.Text.empty() && t.CharWidth > 0) lowest_[k] = t.Ident;
  }
  for (size_t k = n; k-- > current_ + 1;) lowest_[k] = std::min(lowest_[k], lowest_[k + 1]);
  // The texts come by top and left already; only texts of one start in other styles need the sort.
  const auto byStart = [this](uint32_t a, uint32_t b) { return starts_[a] < starts_[b]; };
  if (!std::is_sorted(byStart_.begin(), byStart_.end(), byStart)) std::stable_sort(byStart_.begin(), byStart_.end(), byStart);
  sortedStarts_.reserve(byStart_.size());
  for (const uint32_t k : byStart_) sortedStarts_.push_back(starts_[k]);
  for (size_t i = 0; i + 1 < byStart_.size(); ++i)
    if (sortedStarts_[i] == sortedStarts_[i + 1]) state_[byStart_[i]].NextSameStart = byStart_[i + 1];
}

// The tree of the Idents of texts that still hold a character, made when such a text may be met.
void TOverprints::Tree() {
  if (!earlier_.empty()) return;
  const size_t n = texts_.size();
  leaves_ = std::bit_ceil(std::max<size_t>(n, 1));
  earlier_.assign(2 * leaves_, INT64_MAX);
  for (size_t k = current_ + 1; k < n; ++k) earlier_[leaves_ + k] = EarlierKey(k);
  for (size_t i = leaves_; i-- > 1;) earlier_[i] = std::min(earlier_[2 * i], earlier_[2 * i + 1]);
}

int64_t TOverprints::EarlierKey(size_t k) {
  const TText& t = *texts_[k];
  return !t.Text.empty() && State(k).Live > 0 && t.CharWidth > 0 ? t.Ident : INT64_MAX;
}

void TOverprints::Update(size_t k) {
  // The walk asks only after the text at hand.
  if (earlier_.empty() || k <= current_) return;
  const int64_t key = EarlierKey(k);
  size_t i = leaves_ + k;
  if (earlier_[i] == key) return;
  earlier_[i] = key;
  // Keys only grow: up the tree until a part's least key stays what it was.
  for (i /= 2; i >= 1; i /= 2) {
    const int64_t least = std::min(earlier_[2 * i], earlier_[2 * i + 1]);
    if (earlier_[i] == least) break;
    earlier_[i] = least;
  }
}

size_t TOverprints::FirstEarlier(size_t from, size_t to, int64_t ident) {
  if (from >= to || lowest_[from] >= ident) return to;
  Tree();
  // Down the tree, left part first, into the parts that overlap [from, to) and hold a smaller Ident.
  struct TFrame {
    size_t Node, Lo, Hi;
  };
  TFrame stack[64];
  size_t depth = 0;
  stack[depth++] = {1, 0, leaves_};
  while (depth > 0) {
    const TFrame f = stack[--depth];
    if (f.Hi <= from || to <= f.Lo || earlier_[f.Node] >= ident) continue;
    if (f.Hi - f.Lo == 1) return f.Lo;
    const size_t mid = (f.Lo + f.Hi) / 2;
    stack[depth++] = {2 * f.Node + 1, mid, f.Hi};
    stack[depth++] = {2 * f.Node, f.Lo, mid};
  }
  return to;
}

void TOverprints::Tighten(size_t k) {
  TState& s = State(k);
  const std::u16string& text = texts_[k]->Text;
  if (s.Live == 0) {
    s.First = s.End = 0;
    return;
  }
  while (s.First < s.End && text[s.First] == kNul) ++s.First;
  while (s.End > s.First && text[s.End - 1] == kNul) --s.End;
}

bool TOverprints::Gone(uint32_t k) const { return k <= current_ || texts_[k]->Text.empty(); }

// The first text of a's row that starts at a's right edge in a's underline and width and still holds
// text; those passed on the way are gone for good, so the chain skips them from then on.
uint32_t TOverprints::NextJoinable(size_t a) {
  Index();
  const TText& t = *texts_[a];
  const TStart key{t.Rect.Top, t.Rect.Right, t.Underline, t.CharWidth};
  // Texts over one place ask for one start after another.
  if (!joinAsked_ || key != joinKey_) {
    const auto it = std::lower_bound(sortedStarts_.begin(), sortedStarts_.end(), key);
    joinHead_ = it == sortedStarts_.end() || *it != key ? kNone : byStart_[static_cast<size_t>(it - sortedStarts_.begin())];
    joinKey_ = key;
    joinAsked_ = true;
  }
  if (joinHead_ == kNone) return kNone;
  const uint32_t head = joinHead_;
  uint32_t found = head;
  while (found != kNone && Gone(found)) found = state_[found].NextSameStart;
  for (uint32_t k = head; k != found;) {
    const uint32_t next = state_[k].NextSameStart;
    state_[k].NextSameStart = found;
    k = next;
  }
  return found;
}

void TOverprints::Resolve(size_t early, size_t late) {
  TText& e = *texts_[early];
  TText& l = *texts_[late];
  if (e.CharWidth <= 0 || l.CharWidth <= 0) return;
  Tighten(early);
  TState& es = State(early);
  TState& ls = State(late);
  if (es.Live == 0) return;
  // Only the cells of early in [First, End) can change: the late characters over them are a stretch.
  const auto n = static_cast<int64_t>(l.Text.size());
  const auto first = static_cast<int64_t>(es.First), end = static_cast<int64_t>(es.End);
  int64_t lo = 0, hi = n;
  while (lo < hi) {
    const int64_t mid = lo + (hi - lo) / 2;
    if (CellUnder(e, l, mid) < first)
      lo = mid + 1;
    else
      hi = mid;
  }
  bool earlyChanged = false, lateChanged = false;
  for (int64_t j = lo; j < n; ++j) {
    const int64_t i = CellUnder(e, l, j);
    if (i >= end) break;
    char16_t& lc = l.Text[static_cast<size_t>(j)];
    char16_t& ec = e.Text[static_cast<size_t>(i)];
    if (ec == kNul) continue;
    if (lc == kBlank && ec != kBlank) {
      lc = kNul;
      --ls.Live;
      lateChanged = true;
    } else {
      ec = kNul;
      --es.Live;
      earlyChanged = true;
    }
  }
  if (earlyChanged) {
    es.Changed = true;
    if (es.Live == 0) Update(early);
  }
  if (lateChanged) {
    ls.Changed = true;
    if (ls.Live == 0) Update(late);
  }
}

void TOverprints::Join(size_t a, size_t b) {
  TText& ta = *texts_[a];
  TText& tb = *texts_[b];
  TState& sa = State(a);
  TState& sb = State(b);
  const size_t size = ta.Text.size();
  if (sb.Live > 0) {
    if (sa.Live == 0) sa.First = size + sb.First;
    sa.End = size + sb.End;
  }
  sa.Live += sb.Live;
  sb.Live = 0;
  ta.Text += tb.Text;
  ta.Rect.Right = tb.Rect.Right;
  ta.EndOffset = std::max(ta.EndOffset, tb.EndOffset);
  tb.Text.clear();
  sa.Changed = sb.Changed = true;
  Update(b);
}

void TOverprints::Pair(size_t a, size_t b) {
  TText& ta = *texts_[a];
  TText& tb = *texts_[b];
  if (tb.Text.empty()) return;
  if (tb.Rect.Left == ta.Rect.Right && tb.Underline == ta.Underline && tb.CharWidth == ta.CharWidth)
    Join(a, b);
  else if (tb.Ident < ta.Ident)
    Resolve(b, a);
  else
    Resolve(a, b);
}

bool TOverprints::Walk(size_t k, const std::function<bool()>& inTime) {
  auto step = [&] {
    if (++steps_ < kStepsPerCheck) return true;
    steps_ = 0;
    return inTime();
  };
  current_ = k;
  TText& a = *texts_[k];
  if (a.Text.empty()) return step();
  const size_t n = texts_.size();
  for (size_t pos = k + 1; pos < n; ++pos) {
    if (!step()) return false;
    const int32_t right = a.Rect.Right;
    const TText& b = *texts_[pos];
    if (b.Rect.Top != a.Rect.Top || b.Rect.Left > right) break;
    Tighten(k);
    const TState& s = state_[k];
    // A later print starting at or right of the end of a's characters covers none of them.
    const bool reachable =
        a.CharWidth > 0 && s.Live > 0 && int64_t{b.Rect.Left} < int64_t{a.Rect.Left} + static_cast<int64_t>(s.End) * a.CharWidth;
    if (!reachable) {
      Index();
      size_t lo = pos, hi = n;  // the end of the window: the texts of the row that start within a
      while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (starts_[mid].Top == a.Rect.Top && starts_[mid].Left <= right)
          lo = mid + 1;
        else
          hi = mid;
      }
      const size_t end = lo;
      const size_t earlier = a.CharWidth > 0 ? FirstEarlier(pos, end, a.Ident) : end;
      const uint32_t join = NextJoinable(k);
      pos = std::min(earlier, join == kNone || join < pos ? end : size_t{join});
      if (pos >= end) break;
    }
    Pair(k, pos);
  }
  return true;
}

}  // namespace enumraw2
