// Page model shared by the page interpreters and the recogniser: page objects, the interpreters' small
// containers, owning object and string lists, and the geometric tests that recognition rests on.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "foundation/lib_str_lists.h"
#include "foundation/lib_sys.h"

// The common root of every object a list may own; lists free their objects through it.
class TObject {
 public:
  virtual ~TObject() = default;
};

// Two signed 16-bit values, as tolerances are stored and packed (x in the low half).
struct TSmallPoint {
  int16_t X = 0;
  int16_t Y = 0;
  friend bool operator==(const TSmallPoint&, const TSmallPoint&) = default;
};

// Page objects. A horizontal line has Top == Bottom, a vertical one Left == Right.
class TRectProTo : public TObject {
 public:
  explicit TRectProTo(int32_t ident) : Ident(ident) {}
  TRectProTo(int32_t ident, const TRect& rect) : Ident(ident), Rect(rect) {}

  int32_t Ident = 0;  // record number, stream offset or list index, as the interpreter chose
  TRect Rect;
};

class TLineProTo : public TRectProTo {
 public:
  explicit TLineProTo(int32_t ident) : TRectProTo(ident) {}
  TLineProTo(int32_t ident, const TRect& rect) : TRectProTo(ident, rect) {}

  uint8_t Special = 0;  // drawn with a special line character
  uint8_t Used = 0;     // taken by a model search
};

class TTextProTo : public TLineProTo {
 public:
  TTextProTo(int32_t ident, std::u16string text, TPoint topLeft, TPoint bottomRight)
      : TLineProTo(ident, TRect{topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y}), Text(std::move(text)) {}
  TTextProTo(int32_t ident, std::u16string text, TPoint point) : TTextProTo(ident, std::move(text), point, point) {}

  std::u16string Text;
};

class TGrid : public TRectProTo {
 public:
  TGrid(std::u16string name, std::u16string lineRest) : TRectProTo(0), Name(std::move(name)), Spec(std::move(lineRest)) {}

  std::u16string Name;
  std::u16string Spec;
  int32_t Cols = 0;
  int32_t Rows = 0;
  TStringArray Cells;
  int32_t ColumnHint = 0;
};

// A list of page objects that owns them; an entry may be empty (nil) while a list is reworked.
using TObjectList = std::vector<std::unique_ptr<TRectProTo>>;

// Strings each with an optional object. An object added as a unique_ptr is owned and freed with its
// entry; one added as a plain pointer is borrowed (a name given to an object that lives elsewhere).
template <class Char>
class TStringsWithObjects {
 public:
  using String = std::basic_string<Char>;
  struct Item {
    String Text;
    TObject* Object = nullptr;
    bool Owned = false;
  };

  TStringsWithObjects() = default;
  TStringsWithObjects(const TStringsWithObjects&) = delete;
  TStringsWithObjects& operator=(const TStringsWithObjects&) = delete;
  ~TStringsWithObjects() { Clear(); }

  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  // Empty text and nil outside 0..Count-1.
  String Strings(int32_t index) const { return InRange(index) ? FItems[index].Text : String(); }
  TObject* Objects(int32_t index) const { return InRange(index) ? FItems[index].Object : nullptr; }
  const std::vector<Item>& Items() const { return FItems; }

  int32_t AddObject(std::basic_string_view<Char> text, std::unique_ptr<TObject> object) {
    TObject* raw = object.get();
    FItems.push_back(Item{String(text), raw, raw != nullptr});
    object.release();
    return Count() - 1;
  }
  int32_t AddObject(std::basic_string_view<Char> text, TObject* borrowed) {
    FItems.push_back(Item{String(text), borrowed, false});
    return Count() - 1;
  }
  int32_t Add(std::basic_string_view<Char> text) { return AddObject(text, nullptr); }
  // Ordinal comparison; -1 when absent.
  int32_t IndexOf(std::basic_string_view<Char> text) const {
    for (size_t i = 0; i < FItems.size(); ++i)
      if (FItems[i].Text == text) return static_cast<int32_t>(i);
    return -1;
  }
  void Delete(int32_t index) {
    if (!InRange(index)) return;
    if (FItems[index].Owned) delete FItems[index].Object;
    FItems.erase(FItems.begin() + index);
  }
  void Clear() {
    for (Item& item : FItems)
      if (item.Owned) delete item.Object;
    FItems.clear();
  }
  // Every entry's object becomes owned, so that freeing the list frees them all.
  void OwnAllObjects() {
    for (Item& item : FItems) item.Owned = item.Object != nullptr;
  }

 private:
  bool InRange(int32_t index) const { return index >= 0 && static_cast<size_t>(index) < FItems.size(); }

  std::vector<Item> FItems;
};

using TStringList = TStringsWithObjects<char>;
using TWideStringList = TStringsWithObjects<char16_t>;

// Fixed-size records end to end in one byte string, the last pushed at the end.
class TStack : public TObject {
 public:
  explicit TStack(int32_t itemSize) : ItemSize(itemSize < 0 ? 0 : itemSize) {}

  // Appends ItemSize bytes; a shorter buffer is padded with zeros, a longer one cut.
  void Push(std::span<const uint8_t> buffer);
  // With at least ItemSize bytes held: the buffer is zeroed, the last item copied into it (at most the
  // buffer's size) and removed, true. Otherwise false and the buffer is left as it was.
  bool Pop(std::span<uint8_t> buffer);

  template <class T>
  void PushRecord(const T& record) {
    static_assert(std::is_trivially_copyable_v<T>);
    Push(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(&record), sizeof(T)));
  }
  template <class T>
  bool PopRecord(T& record) {
    static_assert(std::is_trivially_copyable_v<T>);
    return Pop(std::span<uint8_t>(reinterpret_cast<uint8_t*>(&record), sizeof(T)));
  }

  std::string Items;
  int32_t ItemSize;
};

class TArrData : public TObject {
 public:
  TArrData(int32_t kind, std::span<const uint8_t> buffer)
      : Data(reinterpret_cast<const char*>(buffer.data()), buffer.size()), Kind(kind) {}

  std::string Data;
  int32_t Kind;
};

// Entries keyed by the decimal text of an integer key, each owning its TArrData.
class TArray : public TStringList {
 public:
  // Replaces any entry of the key by a new one at the end.
  void Put(int32_t key, int32_t kind, std::span<const uint8_t> buffer);
  void Remove(int32_t key);
  // The entry's bytes (valid until the array changes); nothing and kind 0 when there is no entry.
  std::optional<std::string_view> Get(int32_t key, int32_t& kind) const;
};

// List operations: each takes the list variable and leaves it nil or new.
void FreeObjectList(std::unique_ptr<TObjectList>& list);
void ResetObjectList(std::unique_ptr<TObjectList>& list);
// Frees every attached object, borrowed ones included, then the list.
template <class Char>
void FreeStringsWithObjects(std::unique_ptr<TStringsWithObjects<Char>>& list) {
  if (!list) return;
  list->OwnAllObjects();
  list.reset();
}
template <class Char>
void ResetStringsWithObjects(std::unique_ptr<TStringsWithObjects<Char>>& list) {
  FreeStringsWithObjects(list);
  list = std::make_unique<TStringsWithObjects<Char>>();
}
void WideArrayToStrings(const TWideStringArray& array, TWideStringList& list);

// Geometry. Ranges include their ends; sums and differences are exact (no 32-bit wrap-around).
// The small tests are inline: the line clean-up makes them by the thousand on every page.
inline bool IntInRange(int32_t lo, int32_t hi, int32_t x) { return lo <= x && x <= hi; }
inline bool InRangeTol(int32_t lo, int32_t hi, int32_t x, int32_t tol) {
  const int64_t v = x;
  return int64_t{lo} - tol <= v && v <= int64_t{hi} + tol;
}
bool RangesOverlap(int32_t lo1, int32_t hi1, int32_t lo2, int32_t hi2);
inline bool SegmentsTouch(int32_t a1, int32_t a2, int32_t b1, int32_t tol, int32_t b2) {
  return InRangeTol(a1, a2, b1, tol) || InRangeTol(a1, a2, b2, tol) || InRangeTol(b1, b2, a1, tol) ||
         InRangeTol(b1, b2, a2, tol);
}
// limits: minimum in the low 16 bits, maximum in the high 16 bits, both unsigned; 0 is unbounded.
bool InLimits(uint32_t limits, int32_t x);
TPoint RectCenter(const TRectProTo& object);
TPoint RectCenter(const TRect& rect);
bool PointInRect(TPoint point, const TRect& rect);
bool IsZeroRect(const TRect& rect);
bool IsDegenerateRect(const TRect& rect);
bool IsMoreVertical(TPoint p1, TPoint p2);
TPoint MakePoint(int32_t x, int32_t y);
uint32_t PackPoint(int32_t x, int32_t y);
TPoint UnpackPoint(uint32_t value);
TSmallPoint UnpackSmallPoint(uint32_t value);

// Colour tests of the metafile interpreter.
inline constexpr uint32_t kBlackness = 0x00000042;
inline constexpr uint32_t kSrcCopy = 0x00CC0020;
inline constexpr uint32_t kWhiteness = 0x00FF0062;
bool IsNotWhite(uint32_t colorRef);
// bitmapInfo: the header and colour table as stored; bitsSize: the byte size of the pixel data.
bool DibIsDark(std::span<const uint8_t> bitmapInfo, uint32_t bitsSize, uint32_t colorUsage);
bool BlitIsDark(uint32_t brushColor, bool sourceIsDark, uint32_t rasterOp);

bool InCommaList(std::u16string_view item, std::u16string_view list);
std::string RemoveSpaces(std::string_view text);
