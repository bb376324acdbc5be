// Packed string lists (8-bit and UTF-16): all items end to end in one buffer plus cumulative end
// offsets, addressed from 0; reading outside the list gives an empty text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The body shared by TStringArray and TWideStringArray.
template <class Char>
class TPackedStringList {
 public:
  using String = std::basic_string<Char>;
  using View = std::basic_string_view<Char>;

  explicit TPackedStringList(int32_t growBy = 1) { Init(growBy); }

  // Empties the list and sets the reservation step (0 or less is taken as 1).
  void Init(int32_t growBy);
  void Clear();
  void Add(View text);
  // Empty for an index outside 0..Count-1.
  String Get(int32_t index) const;
  // Replaces item index; index == Count appends; any other index outside the list is ignored.
  void Put(int32_t index, View text);
  String Join(View delimiter) const;
  String CommaText() const;
  // Ascending by ordinal comparison of the code units; equal items keep their order of meeting.
  void Sort();

  int32_t Count() const { return FCount; }
  int32_t GrowBy() const { return FGrowBy; }
  int32_t Reserved() const { return FReserved; }
  const String& Buffer() const { return FBuffer; }
  // Ends()[i] is the offset in Buffer() just past item i.
  const std::vector<std::size_t>& Ends() const { return FEnds; }

 protected:
  View ItemView(int32_t index) const;

 private:
  String FBuffer;
  std::vector<std::size_t> FEnds;
  int32_t FCount = 0;
  int32_t FGrowBy = 1;
  int32_t FReserved = 0;
};

extern template class TPackedStringList<char>;
extern template class TPackedStringList<char16_t>;

// A list of 8-bit strings (bytes of the ANSI code page; any byte, 0 included, may occur in an item).
class TStringArray : public TPackedStringList<char> {
 public:
  using TPackedStringList::TPackedStringList;
};

// A list of UTF-16 strings with search that ignores case.
class TWideStringArray : public TPackedStringList<char16_t> {
 public:
  using TPackedStringList::TPackedStringList;

  void AddStrings(const TWideStringArray& source);
  // The first item equal to text ignoring case; index -1 and false when there is none.
  bool Find(std::u16string_view text, int32_t& index) const;
  int32_t IndexOf(std::u16string_view text) const;
};
