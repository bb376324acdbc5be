// Packed string lists (8-bit and UTF-16): all items end to end in one buffer plus cumulative end offsets.
#include "foundation/lib_str_lists.h"

#include <algorithm>
#include <type_traits>

#include "foundation/lib_unicode.h"

template <class Char>
void TPackedStringList<Char>::Init(int32_t growBy) {
  FCount = 0;
  FReserved = 0;
  FGrowBy = growBy > 0 ? growBy : 1;
  Clear();
}

template <class Char>
void TPackedStringList<Char>::Clear() {
  FBuffer.clear();
  FEnds.clear();
  FEnds.shrink_to_fit();
  FCount = 0;
  if constexpr (std::is_same_v<Char, char16_t>) FReserved = -1;
}

template <class Char>
void TPackedStringList<Char>::Add(View text) {
  if (FEnds.size() == FEnds.capacity()) {
    // At least one reservation step, but never less than doubling, so long lists stay linear to build.
    const std::size_t step = std::max<std::size_t>(static_cast<std::size_t>(FGrowBy), FEnds.capacity());
    FEnds.reserve(FEnds.capacity() + step);
  }
  FBuffer.append(text);
  FEnds.push_back(FBuffer.size());
  ++FCount;
}

template <class Char>
typename TPackedStringList<Char>::View TPackedStringList<Char>::ItemView(int32_t index) const {
  if (index < 0 || index >= FCount) return {};
  const std::size_t start = index == 0 ? 0 : FEnds[index - 1];
  return View(FBuffer).substr(start, FEnds[index] - start);
}

template <class Char>
typename TPackedStringList<Char>::String TPackedStringList<Char>::Get(int32_t index) const {
  return String(ItemView(index));
}

template <class Char>
void TPackedStringList<Char>::Put(int32_t index, View text) {
  if (index < 0 || index > FCount) return;
  if (index == FCount) {
    Add(text);
    return;
  }
  const std::size_t start = index == 0 ? 0 : FEnds[index - 1];
  const std::size_t oldLength = FEnds[index] - start;
  FBuffer.replace(start, oldLength, text);
  for (int32_t i = index; i < FCount; ++i) FEnds[i] = FEnds[i] - oldLength + text.size();
}

template <class Char>
typename TPackedStringList<Char>::String TPackedStringList<Char>::Join(View delimiter) const {
  String joined;
  if (FCount == 0) return joined;
  joined.reserve(FBuffer.size() + delimiter.size() * static_cast<std::size_t>(FCount - 1));
  for (int32_t i = 0; i < FCount; ++i) {
    if (i > 0) joined.append(delimiter);
    joined.append(ItemView(i));
  }
  return joined;
}

template <class Char>
typename TPackedStringList<Char>::String TPackedStringList<Char>::CommaText() const {
  const Char comma[] = {Char(','), Char(0)};
  return Join(comma);
}

template <class Char>
void TPackedStringList<Char>::Sort() {
  // Selection sort: the order among equal items is the one stored lists have always had.
  for (int32_t i = 0; i < FCount; ++i) {
    int32_t smallest = i;
    for (int32_t j = i + 1; j < FCount; ++j) {
      if (ItemView(j).compare(ItemView(smallest)) < 0) smallest = j;
    }
    if (smallest == i) continue;
    const String first = Get(i);
    const String other = Get(smallest);
    Put(i, other);
    Put(smallest, first);
  }
}

template class TPackedStringList<char>;
template class TPackedStringList<char16_t>;

void TWideStringArray::AddStrings(const TWideStringArray& source) {
  // The count is taken first so that adding a list to itself doubles it once.
  const int32_t count = source.Count();
  for (int32_t i = 0; i < count; ++i) Add(source.Get(i));
}

bool TWideStringArray::Find(std::u16string_view text, int32_t& index) const {
  for (int32_t i = 0; i < Count(); ++i) {
    if (SameTextW(ItemView(i), text)) {
      index = i;
      return true;
    }
  }
  index = -1;
  return false;
}

int32_t TWideStringArray::IndexOf(std::u16string_view text) const {
  int32_t index = -1;
  Find(text, index);
  return index;
}
