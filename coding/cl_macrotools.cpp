// Page model: containers, list operations and geometric tests.
#include "coding/cl_macrotools.h"

#include <algorithm>

#include "foundation/lib_str.h"

void TStack::Push(std::span<const uint8_t> buffer) {
  const size_t size = static_cast<size_t>(ItemSize);
  const size_t taken = std::min(size, buffer.size());
  Items.append(reinterpret_cast<const char*>(buffer.data()), taken);
  Items.append(size - taken, '\0');
}

bool TStack::Pop(std::span<uint8_t> buffer) {
  const size_t size = static_cast<size_t>(ItemSize);
  if (Items.size() < size) return false;
  std::fill(buffer.begin(), buffer.end(), uint8_t{0});
  std::memcpy(buffer.data(), Items.data() + Items.size() - size, std::min(size, buffer.size()));
  Items.resize(Items.size() - size);
  return true;
}

void TArray::Put(int32_t key, int32_t kind, std::span<const uint8_t> buffer) {
  Remove(key);
  AddObject(IntToText(key), std::make_unique<TArrData>(kind, buffer));
}

void TArray::Remove(int32_t key) { Delete(IndexOf(IntToText(key))); }

std::optional<std::string_view> TArray::Get(int32_t key, int32_t& kind) const {
  kind = 0;
  const auto* data = dynamic_cast<const TArrData*>(Objects(IndexOf(IntToText(key))));
  if (!data) return std::nullopt;
  kind = data->Kind;
  return std::string_view(data->Data);
}

void FreeObjectList(std::unique_ptr<TObjectList>& list) { list.reset(); }

void ResetObjectList(std::unique_ptr<TObjectList>& list) {
  // The list itself stays, with its room: page after page fills it again.
  if (list)
    list->clear();
  else
    list = std::make_unique<TObjectList>();
}

void WideArrayToStrings(const TWideStringArray& array, TWideStringList& list) {
  list.Clear();
  for (int32_t i = 0; i < array.Count(); ++i) list.Add(array.Get(i));
}

bool RangesOverlap(int32_t lo1, int32_t hi1, int32_t lo2, int32_t hi2) {
  return IntInRange(lo1, hi1, IntMidpoint(lo2, hi2)) || IntInRange(lo2, hi2, IntMidpoint(lo1, hi1));
}

bool InLimits(uint32_t limits, int32_t x) {
  const int32_t minimum = static_cast<int32_t>(limits & 0xFFFFu);
  const int32_t maximum = static_cast<int32_t>(limits >> 16);
  return (minimum == 0 || x >= minimum) && (maximum == 0 || x <= maximum);
}

TPoint RectCenter(const TRect& rect) {
  return TPoint{IntMidpoint(rect.Left, rect.Right), IntMidpoint(rect.Top, rect.Bottom)};
}

TPoint RectCenter(const TRectProTo& object) { return RectCenter(object.Rect); }

bool PointInRect(TPoint point, const TRect& rect) {
  return rect.Left <= point.X && point.X <= rect.Right && rect.Top <= point.Y && point.Y <= rect.Bottom;
}

bool IsZeroRect(const TRect& rect) { return rect == TRect{}; }

bool IsDegenerateRect(const TRect& rect) { return rect.Left == rect.Right || rect.Top == rect.Bottom; }

bool IsMoreVertical(TPoint p1, TPoint p2) {
  const int64_t dy = int64_t{p1.Y} - p2.Y;
  const int64_t dx = int64_t{p1.X} - p2.X;
  return (dy < 0 ? -dy : dy) > (dx < 0 ? -dx : dx);
}

TPoint MakePoint(int32_t x, int32_t y) { return TPoint{x, y}; }

uint32_t PackPoint(int32_t x, int32_t y) {
  return (static_cast<uint32_t>(y) << 16) | (static_cast<uint32_t>(x) & 0xFFFFu);
}

TSmallPoint UnpackSmallPoint(uint32_t value) {
  return TSmallPoint{static_cast<int16_t>(value & 0xFFFFu), static_cast<int16_t>(value >> 16)};
}

TPoint UnpackPoint(uint32_t value) {
  const TSmallPoint p = UnpackSmallPoint(value);
  return TPoint{p.X, p.Y};
}

bool IsNotWhite(uint32_t colorRef) { return (colorRef & 0x00FFFFFFu) != 0x00FFFFFFu; }

namespace {

uint32_t ReadLe(std::span<const uint8_t> bytes, size_t offset, size_t width) {
  uint32_t v = 0;
  for (size_t i = 0; i < width; ++i) v |= uint32_t{bytes[offset + i]} << (8 * i);
  return v;
}

}  // namespace

bool DibIsDark(std::span<const uint8_t> bitmapInfo, uint32_t bitsSize, uint32_t colorUsage) {
  constexpr uint32_t kDibRgbColors = 0;
  if (bitmapInfo.empty() || bitsSize == 0 || colorUsage != kDibRgbColors) return false;
  if (bitmapInfo.size() < 4) return false;
  const uint32_t headerSize = ReadLe(bitmapInfo, 0, 4);
  // A core header (12 bytes) keeps the bit count at 10 and three-byte table entries; the later
  // headers keep it at 14 with four-byte entries. Either way the first entry starts blue, green, red.
  const bool core = headerSize == 12;
  const size_t bitCountAt = core ? 10 : 14;
  if (headerSize < bitCountAt + 2 || headerSize > bitmapInfo.size() - 3) return false;
  if (ReadLe(bitmapInfo, bitCountAt, 2) != 1) return false;
  const uint32_t blue = bitmapInfo[headerSize], green = bitmapInfo[headerSize + 1], red = bitmapInfo[headerSize + 2];
  return IsNotWhite(red | (green << 8) | (blue << 16));
}

bool BlitIsDark(uint32_t brushColor, bool sourceIsDark, uint32_t rasterOp) {
  switch (rasterOp) {
    case kBlackness: return true;
    case kSrcCopy: return sourceIsDark;
    case kWhiteness: return false;
    default: return IsNotWhite(brushColor);
  }
}

bool InCommaList(std::u16string_view item, std::u16string_view list) {
  if (item.empty()) return false;
  for (std::u16string_view rest = list; !rest.empty();)
    if (ExtractTokenW(rest, u',') == item) return true;
  return false;
}

std::string RemoveSpaces(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != ' ') out.push_back(c);
  return out;
}
