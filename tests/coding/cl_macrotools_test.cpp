// Page model: page objects, the interpreters' containers, owning lists and the geometric tests.
#include "coding/cl_macrotools.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

std::span<const uint8_t> Bytes(std::string_view s) {
  return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

// Counts live instances, so tests can see who frees what.
struct TCounted : TObject {
  explicit TCounted(int& live) : Live(live) { ++Live; }
  ~TCounted() override { --Live; }
  int& Live;
};

}  // namespace

TEST(PageObjects, ConstructorsSetTheRectangleAndClearTheRest) {
  const TTextProTo point(7, u"Итого", TPoint{10, 20});
  EXPECT_EQ(point.Ident, 7);
  EXPECT_EQ(point.Rect, (TRect{10, 20, 10, 20}));
  EXPECT_EQ(point.Special, 0);
  EXPECT_EQ(point.Used, 0);
  const TTextProTo box(8, u"A", TPoint{1, 2}, TPoint{30, 40});
  EXPECT_EQ(box.Rect, (TRect{1, 2, 30, 40}));
  EXPECT_EQ(TRectProTo(3).Rect, TRect{});
  const TGrid grid(u"G1", u"H1,V1,C2");
  EXPECT_EQ(grid.Ident, 0);
  EXPECT_EQ(grid.Rect, TRect{});
  EXPECT_EQ(grid.Cols + grid.Rows + grid.ColumnHint + grid.Cells.Count(), 0);
  EXPECT_EQ(grid.Spec, u"H1,V1,C2");
}

TEST(Stack, PushesAndPopsWholeItemsLastFirst) {
  TStack stack(3);
  stack.Push(Bytes("abc"));
  stack.Push(Bytes("de"));      // short: padded with a zero
  stack.Push(Bytes("fghijk"));  // long: cut to the item size
  EXPECT_EQ(stack.Items, std::string("abcde\0fgh", 9));

  uint8_t out[3];
  ASSERT_TRUE(stack.Pop(out));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 3), "fgh");
  ASSERT_TRUE(stack.Pop(out));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 3), std::string("de\0", 3));
  EXPECT_EQ(stack.Items, "abc");
}

TEST(Stack, PopNeedsOneWholeItem) {
  TStack stack(4);
  stack.Items = "xyz";  // one byte short of an item
  uint8_t out[4] = {1, 2, 3, 4};
  EXPECT_FALSE(stack.Pop(out));
  EXPECT_EQ(out[0] + out[1] + out[2] + out[3], 10) << "buffer left as it was";
  EXPECT_EQ(stack.Items, "xyz");

  stack.Items = "wxyz";  // exactly one item
  EXPECT_TRUE(stack.Pop(out));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 4), "wxyz");
  EXPECT_TRUE(stack.Items.empty());

  // A buffer larger than the item is zeroed beyond it.
  stack.Push(Bytes("1234"));
  uint8_t wide[6] = {9, 9, 9, 9, 9, 9};
  EXPECT_TRUE(stack.Pop(wide));
  EXPECT_EQ(wide[4] + wide[5], 0);
}

TEST(Stack, RecordsRoundTrip) {
  struct TState {
    int32_t x, y;
  };
  TStack stack(sizeof(TState));
  stack.PushRecord(TState{1, -2});
  stack.PushRecord(TState{3, 4});
  TState s{};
  ASSERT_TRUE(stack.PopRecord(s));
  EXPECT_EQ(s.x, 3);
  ASSERT_TRUE(stack.PopRecord(s));
  EXPECT_EQ(s.y, -2);
  EXPECT_FALSE(stack.PopRecord(s));
}

TEST(Array, PutReplacesAndMovesTheEntryToTheEnd) {
  TArray array;
  array.Put(5, 1, Bytes("five"));
  array.Put(-3, 2, Bytes("minus"));
  array.Put(5, 7, Bytes("again"));
  ASSERT_EQ(array.Count(), 2);
  EXPECT_EQ(array.Strings(0), "-3");
  EXPECT_EQ(array.Strings(1), "5");

  int32_t kind = -1;
  auto data = array.Get(5, kind);
  ASSERT_TRUE(data.has_value());
  EXPECT_EQ(*data, "again");
  EXPECT_EQ(kind, 7);

  array.Remove(5);
  array.Remove(99);  // no entry: nothing happens
  kind = -1;
  EXPECT_FALSE(array.Get(5, kind).has_value());
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(array.Count(), 1);
}

TEST(Lists, FreeAndResetObjectLists) {
  std::unique_ptr<TObjectList> list;
  FreeObjectList(list);  // a nil variable stays nil
  EXPECT_EQ(list, nullptr);
  ResetObjectList(list);
  ASSERT_NE(list, nullptr);
  list->push_back(std::make_unique<TRectProTo>(1));
  list->push_back(nullptr);
  ResetObjectList(list);
  EXPECT_TRUE(list->empty());
  FreeObjectList(list);
  EXPECT_EQ(list, nullptr);
}

TEST(Lists, StringListsFreeTheirObjects) {
  int live = 0;
  {
    TWideStringList owning;
    owning.AddObject(u"a", std::make_unique<TCounted>(live));
    owning.AddObject(u"b", std::make_unique<TCounted>(live));
    owning.Delete(0);
    EXPECT_EQ(live, 1);
    EXPECT_EQ(owning.Strings(0), u"b");
    EXPECT_EQ(owning.Strings(5), u"");
    EXPECT_EQ(owning.Objects(-1), nullptr);
  }
  EXPECT_EQ(live, 0);

  // A borrowed object stays alive when its entry goes, until the list is freed with its objects.
  TCounted kept(live);
  auto list = std::make_unique<TStringList>();
  list->AddObject("kept", &kept);
  list->Delete(0);
  EXPECT_EQ(live, 1);
  list->AddObject("owned", std::make_unique<TCounted>(live));
  list->AddObject("borrowed", new TCounted(live));
  list->Add("no object");
  EXPECT_EQ(live, 3);
  FreeStringsWithObjects(list);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(live, 1);
  FreeStringsWithObjects(list);  // nil stays nil

  std::unique_ptr<TWideStringList> wide;
  ResetStringsWithObjects(wide);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(wide->Count(), 0);
}

TEST(Lists, WideArrayToStringsReplacesTheList) {
  TWideStringArray array;
  array.Add(u"Принтер");
  array.Add(u"");
  TWideStringList list;
  list.Add(u"old");
  WideArrayToStrings(array, list);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Strings(0), u"Принтер");
  EXPECT_EQ(list.Strings(1), u"");
}

TEST(Geometry, RangesIncludeTheirEndsAndDoNotWrap) {
  EXPECT_TRUE(IntInRange(0, 10, 0));
  EXPECT_TRUE(IntInRange(0, 10, 10));
  EXPECT_FALSE(IntInRange(0, 10, 11));
  EXPECT_TRUE(InRangeTol(10, 20, 5, 5));
  EXPECT_FALSE(InRangeTol(10, 20, 4, 5));
  EXPECT_TRUE(InRangeTol(10, 20, 25, 5));
  EXPECT_FALSE(InRangeTol(10, 20, 26, 5));
  // Widening past the 32-bit range must not wrap around into negative numbers.
  EXPECT_FALSE(InRangeTol(INT32_MAX - 1, INT32_MAX, INT32_MIN, 2));
  EXPECT_TRUE(InRangeTol(INT32_MIN, INT32_MIN + 1, INT32_MIN, 3));
  EXPECT_FALSE(InRangeTol(5, 6, 1, -1)) << "a negative tolerance narrows the range";
}

TEST(Geometry, RangesOverlapByTheirMidpoints) {
  struct Case {
    int32_t lo1, hi1, lo2, hi2;
    bool overlap;
    const char* why;
  } cases[] = {
      {0, 10, 4, 100, true, "5, the middle of 0..10, lies in 4..100"},
      {4, 100, 0, 10, true, "the same, the other way round"},
      {0, 10, 11, 13, false, "neither middle lies in the other range"},
      {-1, 5, -3, 0, true, "middle of -3..0 is -1 (truncated toward zero), inside -1..5"},
      {-1, 5, -4, 0, false, "middle of -4..0 is -2; middle of -1..5 is 2, outside -4..0"},
      {INT32_MAX - 2, INT32_MAX, INT32_MAX - 1, INT32_MAX, true, "large values do not overflow"},
  };
  for (const Case& c : cases) EXPECT_EQ(RangesOverlap(c.lo1, c.hi1, c.lo2, c.hi2), c.overlap) << c.why;
}

TEST(Geometry, SegmentsTouchWithinTheTolerance) {
  EXPECT_TRUE(SegmentsTouch(105, 200, 0, 5, 100));
  EXPECT_FALSE(SegmentsTouch(105, 200, 0, 4, 100));
  EXPECT_TRUE(SegmentsTouch(0, 100, 20, 0, 30)) << "one segment inside the other";
  EXPECT_TRUE(SegmentsTouch(20, 30, 0, 0, 100)) << "and the other way round";
}

TEST(Geometry, LimitsAreTwoUnsignedHalvesWithZeroUnbounded) {
  struct Case {
    uint32_t limits;
    int32_t x;
    bool in;
    const char* why;
  } cases[] = {
      {0, INT32_MIN, true, "no limits"},
      {0, INT32_MAX, true, "no limits"},
      {5, 4, false, "minimum 5"},
      {5, 5, true, "minimum 5"},
      {5, 100000, true, "no maximum"},
      {10u << 16, 10, true, "maximum 10"},
      {10u << 16, 11, false, "maximum 10"},
      {10u << 16, -5, true, "negative values pass a maximum"},
      {0xFFFF0000u, 65535, true, "halves are unsigned: maximum 65535"},
      {0xFFFF0000u, 65536, false, "halves are unsigned: maximum 65535"},
      {0x0000FFFFu, -1, false, "minimum 65535, not -1"},
  };
  for (const Case& c : cases) EXPECT_EQ(InLimits(c.limits, c.x), c.in) << c.why << " x=" << c.x;
}

TEST(Geometry, PointsAndRectangles) {
  const TRect r{10, 20, 30, 41};
  EXPECT_EQ(RectCenter(TRectProTo(0, r)), (TPoint{20, 30}));
  EXPECT_EQ(RectCenter(TRect{-3, -3, 0, 0}), (TPoint{-1, -1})) << "truncated toward zero";
  EXPECT_TRUE(PointInRect(TPoint{10, 41}, r));
  EXPECT_FALSE(PointInRect(TPoint{9, 41}, r));
  EXPECT_FALSE(PointInRect(TPoint{10, 42}, r));
  EXPECT_TRUE(IsZeroRect(TRect{}));
  EXPECT_FALSE(IsZeroRect(TRect{0, 0, 0, 1}));
  EXPECT_TRUE(IsDegenerateRect(TRect{5, 0, 5, 9}));
  EXPECT_TRUE(IsDegenerateRect(TRect{0, 5, 9, 5}));
  EXPECT_FALSE(IsDegenerateRect(r));
  EXPECT_FALSE(IsMoreVertical(TPoint{0, 0}, TPoint{3, 3})) << "a tie is not vertical";
  EXPECT_TRUE(IsMoreVertical(TPoint{0, 0}, TPoint{3, -4}));
  EXPECT_TRUE(IsMoreVertical(TPoint{0, INT32_MIN}, TPoint{1, INT32_MAX})) << "no overflow";
  EXPECT_EQ(MakePoint(-1, 2), (TPoint{-1, 2}));
}

TEST(Geometry, PackedPointsKeepSixteenBitsPerHalf) {
  EXPECT_EQ(PackPoint(-1, 2), 0x0002FFFFu);
  EXPECT_EQ(PackPoint(70000, 0), 70000u & 0xFFFF) << "x cut to 16 bits";
  EXPECT_EQ(UnpackPoint(0xFFFF8000u), (TPoint{-32768, -1})) << "halves sign-extended";
  EXPECT_EQ(UnpackPoint(PackPoint(-300, 12345)), (TPoint{-300, 12345}));
  EXPECT_EQ(UnpackSmallPoint(PackPoint(3, -4)), (TSmallPoint{3, -4}));
}

TEST(Colours, WhiteAndDarkDrawing) {
  EXPECT_FALSE(IsNotWhite(0x00FFFFFF));
  EXPECT_FALSE(IsNotWhite(0x02FFFFFF)) << "the top byte is not a colour";
  EXPECT_TRUE(IsNotWhite(0x00FFFFFE));
  EXPECT_TRUE(IsNotWhite(0));

  struct Case {
    uint32_t brush;
    bool source;
    uint32_t rop;
    bool dark;
  } cases[] = {
      {0xFFFFFF, false, kBlackness, true},  {0x000000, false, kWhiteness, false},
      {0xFFFFFF, true, kSrcCopy, true},     {0x000000, false, kSrcCopy, false},
      {0x000000, false, 0x00F00021, true},  {0xFFFFFF, true, 0x00F00021, false},
  };
  for (const Case& c : cases) EXPECT_EQ(BlitIsDark(c.brush, c.source, c.rop), c.dark) << std::hex << c.rop;
}

namespace {

// A bitmap header of the given size and bit count followed by one colour (blue, green, red order).
std::vector<uint8_t> BitmapInfo(uint32_t headerSize, uint16_t bitCount, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> info(headerSize, 0);
  info[0] = static_cast<uint8_t>(headerSize);
  const size_t at = headerSize == 12 ? 10 : 14;
  info[at] = static_cast<uint8_t>(bitCount);
  info[at + 1] = static_cast<uint8_t>(bitCount >> 8);
  info.insert(info.end(), {b, g, r});
  if (headerSize != 12) info.push_back(0);
  return info;
}

}  // namespace

TEST(Colours, DibIsDarkOnlyForOneBitBitmapsWithADarkFirstColour) {
  const auto black = BitmapInfo(40, 1, 0, 0, 0);
  const auto white = BitmapInfo(40, 1, 255, 255, 255);
  const auto nearlyWhite = BitmapInfo(40, 1, 255, 254, 255);
  EXPECT_TRUE(DibIsDark(black, 8, 0));
  EXPECT_FALSE(DibIsDark(white, 8, 0));
  EXPECT_TRUE(DibIsDark(nearlyWhite, 8, 0));
  EXPECT_FALSE(DibIsDark(black, 0, 0)) << "no pixel data";
  EXPECT_FALSE(DibIsDark({}, 8, 0)) << "no header";
  EXPECT_FALSE(DibIsDark(black, 8, 1)) << "palette indices, not colours";
  EXPECT_FALSE(DibIsDark(BitmapInfo(40, 8, 0, 0, 0), 8, 0)) << "not one bit per pixel";
  EXPECT_TRUE(DibIsDark(BitmapInfo(12, 1, 0, 0, 0), 8, 0)) << "core header";

  // The colour table must lie inside what was given.
  std::vector<uint8_t> cut(black.begin(), black.begin() + 42);
  EXPECT_FALSE(DibIsDark(cut, 8, 0));
  std::vector<uint8_t> lying = black;
  lying[0] = 0xF0;
  lying[3] = 0x7F;  // a header size far past the end
  EXPECT_FALSE(DibIsDark(lying, 8, 0));
}

TEST(Texts, CommaListsAndSpaces) {
  struct Case {
    std::u16string item, list;
    bool in;
    const char* why;
  } cases[] = {
      {u"A1", u"A10, A1", true, "whole parts only"},
      {u"A", u"A10, A1", false, "no part is A"},
      {u"a1", u"A10, A1", false, "case counts"},
      {u"B", u" A ,  B  ", true, "parts are trimmed"},
      {u"", u"A,,B", false, "an empty item never matches"},
      {u"Сумма", u"Итого,Сумма", true, "Cyrillic"},
  };
  for (const Case& c : cases) EXPECT_EQ(InCommaList(c.item, c.list), c.in) << c.why;
  EXPECT_EQ(RemoveSpaces(" a b  c "), "abc");
  EXPECT_EQ(RemoveSpaces("\t"), "\t") << "only spaces go";
}
