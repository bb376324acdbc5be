// Texts of a raw page printed over one another: each text, in order of rows and left edges, meets the
// texts after it on its row that start within it; one that starts at its right edge in its style is
// joined to it, any other is resolved cell by cell (the later print wins, a later blank erases nothing).
// Only the meetings that can change a character are made, so that a thousand prints over one place
// cost about what a thousand prints side by side do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <compare>
#include <vector>

#include "coding/enumraw2.h"

namespace enumraw2 {

class TOverprints {
 public:
  // texts: sorted by top, then left; they stay the caller's, and only their texts, right edges and end
  // offsets change. A text may be changed or freed by the caller once its walk is over.
  explicit TOverprints(std::vector<TText*> texts);

  // Meets text k with the texts after it on its row; every text before k has had its turn. inTime is
  // asked every so many steps; false when it said no and the walk stopped.
  bool Walk(size_t k, const std::function<bool()>& inTime);
  // Whether a character of text k changed or another text was joined to it.
  bool Changed(size_t k) const { return state_[k].Changed; }

 private:
  static constexpr uint32_t kNone = UINT32_MAX;
  struct TState {
    size_t Live = 0;               // characters other than NUL
    size_t First = 0, End = 0;     // they all lie in [First, End)
    uint32_t NextSameStart = kNone;  // the next text of the row with this left edge, underline and width
    bool Counted = false;  // Live, First and End set
    bool Changed = false;
  };

  struct TStart {
    int32_t Top, Left;
    uint8_t Underline;
    int32_t CharWidth;
    auto operator<=>(const TStart&) const = default;
  };

  TState& State(size_t k);
  void Index();
  int64_t EarlierKey(size_t k);
  void Pair(size_t a, size_t b);
  void Resolve(size_t early, size_t late);
  void Join(size_t a, size_t b);
  void Tighten(size_t k);
  bool Gone(uint32_t k) const;
  uint32_t NextJoinable(size_t a);
  // The earliest text in [from, to) printed before ident that still holds a character, or to.
  size_t FirstEarlier(size_t from, size_t to, int64_t ident);
  void Tree();
  void Update(size_t k);

  std::vector<TText*> texts_;
  std::vector<TState> state_;
  std::vector<TStart> starts_;
  std::vector<uint32_t> byStart_;  // texts by row, left edge, underline, width and order
  std::vector<TStart> sortedStarts_;  // their starts, for the search
  std::vector<int64_t> lowest_;    // by text: a bound below the Idents from it on
  std::vector<int64_t> earlier_;   // segment tree: the least Ident of a text that still holds a character
  TStart joinKey_{};
  uint32_t joinHead_ = kNone;
  bool joinAsked_ = false;
  size_t leaves_ = 1;
  bool indexed_ = false;
  size_t current_ = 0;
  uint32_t steps_ = 0;
};

}  // namespace enumraw2
