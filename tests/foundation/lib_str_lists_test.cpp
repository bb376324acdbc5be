// Tests of the packed 8-bit and UTF-16 string lists.
#include "foundation/lib_str_lists.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

TStringArray Make(const std::vector<std::string>& items) {
  TStringArray list;
  for (const auto& item : items) list.Add(item);
  return list;
}

std::vector<std::string> Items(const TStringArray& list) {
  std::vector<std::string> items;
  for (int32_t i = 0; i < list.Count(); ++i) items.push_back(list.Get(i));
  return items;
}

}  // namespace

TEST(StringArray, CreateSetsStepAndEmptyState) {
  TStringArray zero(0);
  EXPECT_EQ(zero.GrowBy(), 1);
  TStringArray negative(-3);
  EXPECT_EQ(negative.GrowBy(), 1) << "a negative step must not shrink the reservation";
  TStringArray eight(8);
  EXPECT_EQ(eight.GrowBy(), 8);
  EXPECT_EQ(eight.Count(), 0);
  EXPECT_EQ(eight.Reserved(), 0);
  EXPECT_TRUE(eight.Buffer().empty());

  TWideStringArray wide;
  EXPECT_EQ(wide.Reserved(), -1) << "the wide list's Clear marks Reserved";
}

TEST(StringArray, ItemsKeepEveryByte) {
  const std::string withNull("a\0b", 3);
  TStringArray list = Make({"", withNull, ",;", "\xC0\xFF"});
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Get(0), "");
  EXPECT_EQ(list.Get(1), withNull);
  EXPECT_EQ(list.Get(2), ",;");
  EXPECT_EQ(list.Get(3), "\xC0\xFF");
  EXPECT_EQ(list.Buffer(), std::string("a\0b,;\xC0\xFF", 7));
  EXPECT_EQ(list.Ends(), (std::vector<std::size_t>{0, 3, 5, 7}));
}

TEST(StringArray, GetOutsideTheListIsEmpty) {
  const TStringArray list = Make({"x", "y", "z"});
  for (int32_t index : {-1, 3, 4, INT_MIN, INT_MAX}) EXPECT_EQ(list.Get(index), "") << index;
  EXPECT_EQ(list.Get(0), "x");
  EXPECT_EQ(list.Get(2), "z");
}

TEST(StringArray, Put) {
  struct Case {
    int32_t index;
    std::string text;
    std::vector<std::string> items;
    std::string buffer;
    const char* why;
  };
  const Case cases[] = {
      {1, "abc", {"x", "abc", "z"}, "xabcz", "a longer item moves the later ends"},
      {1, "", {"x", "", "z"}, "xz", "a shorter item moves them back"},
      {0, "first", {"first", "y", "z"}, "firstyz", "the first item starts at 0"},
      {2, "end", {"x", "y", "end"}, "xyend", "the last item"},
      {3, "w", {"x", "y", "z", "w"}, "xyzw", "index Count appends"},
      {4, "w", {"x", "y", "z"}, "xyz", "index Count + 1 is ignored"},
      {-1, "w", {"x", "y", "z"}, "xyz", "a negative index never writes"},
      {INT_MIN, "w", {"x", "y", "z"}, "xyz", "nor does the most negative one"},
  };
  for (const auto& c : cases) {
    TStringArray list = Make({"x", "y", "z"});
    list.Put(c.index, c.text);
    EXPECT_EQ(Items(list), c.items) << c.why;
    EXPECT_EQ(list.Buffer(), c.buffer) << c.why;
    EXPECT_EQ(list.Count(), static_cast<int32_t>(c.items.size())) << c.why;
    EXPECT_EQ(list.Ends().back(), c.buffer.size()) << c.why;
  }
}

TEST(StringArray, JoinAndCommaText) {
  EXPECT_EQ(Make({}).Join(", "), "");
  EXPECT_EQ(Make({"one"}).Join(", "), "one") << "no delimiter around a single item";
  EXPECT_EQ(Make({"a", "", "c"}).Join("; "), "a; ; c");
  EXPECT_EQ(Make({"a", "b"}).CommaText(), "a,b");
  EXPECT_EQ(Make({}).CommaText(), "");
}

TEST(StringArray, SortIsOrdinalByUnsignedBytes) {
  TStringArray list = Make({"b", "\xC0", "a", "B", "ab", "a", ""});
  list.Sort();
  EXPECT_EQ(Items(list), (std::vector<std::string>{"", "B", "a", "a", "ab", "b", "\xC0"}));
  EXPECT_EQ(list.Buffer(), "Baaabb\xC0");

  TStringArray empty;
  empty.Sort();
  EXPECT_EQ(empty.Count(), 0);
}

TEST(StringArray, ClearEmptiesAndListCanBeReused) {
  TStringArray list = Make({"a", "b"});
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_TRUE(list.Buffer().empty());
  EXPECT_TRUE(list.Ends().empty());
  EXPECT_EQ(list.Get(0), "");
  list.Add("c");
  EXPECT_EQ(Items(list), std::vector<std::string>{"c"});

  list.Init(5);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.GrowBy(), 5);
}

TEST(StringArray, LongListWithStepOne) {
  TStringArray list(1);
  std::string expected;
  for (int i = 0; i < 20000; ++i) {
    list.Add(std::to_string(i));
    expected += std::to_string(i);
  }
  ASSERT_EQ(list.Count(), 20000);
  EXPECT_EQ(list.Buffer(), expected);
  EXPECT_EQ(list.Get(12345), "12345");
  EXPECT_EQ(list.Get(19999), "19999");
}

TEST(WideStringArray, FindIgnoresCase) {
  TWideStringArray list;
  for (const char16_t* item : {u"Laser", u"Printer", u"Принтер Ёлка", u"printer", u"Émile", u""}) list.Add(item);
  struct Case {
    std::u16string text;
    int32_t index;
    const char* why;
  };
  const Case cases[] = {
      {u"PRINTER", 1, "Latin letters, the first of two matches"},
      {u"printer", 1, "the first match wins even when a later item is exact"},
      {u"пРИНТЕР ёЛКА", 2, "Cyrillic, Ё included"},
      {u"émile", 4, "Latin-1"},
      {u"", 5, "an empty item matches an empty text"},
      {u"Printe", -1, "a prefix is not a match"},
      {u"Printers", -1, "nor is a longer text"},
  };
  for (const auto& c : cases) {
    int32_t index = 12345;
    EXPECT_EQ(list.Find(c.text, index), c.index >= 0) << c.why;
    EXPECT_EQ(index, c.index) << c.why;
    EXPECT_EQ(list.IndexOf(c.text), c.index) << c.why;
  }
  EXPECT_EQ(TWideStringArray().IndexOf(u"a"), -1);
}

TEST(WideStringArray, AddStringsAppends) {
  TWideStringArray first;
  first.Add(u"a");
  TWideStringArray second;
  second.Add(u"б");
  second.Add(u"");
  first.AddStrings(second);
  EXPECT_EQ(first.Count(), 3);
  EXPECT_EQ(first.Join(u"|"), u"a|б|");

  first.AddStrings(first);
  EXPECT_EQ(first.Count(), 6) << "a list added to itself doubles once";
  EXPECT_EQ(first.CommaText(), u"a,б,,a,б,");
}

TEST(WideStringArray, PutAndSortOnUtf16Units) {
  TWideStringArray list;
  for (const char16_t* item : {u"я", u"Б", u"a", u"б"}) list.Add(item);
  list.Put(0, u"ё");
  list.Sort();
  EXPECT_EQ(list.CommaText(), u"a,Б,б,ё");
  EXPECT_EQ(list.Get(-1), u"");
}
