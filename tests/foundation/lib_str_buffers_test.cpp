// Tests of the growable byte buffer and the 1-based integer list.
#include "foundation/lib_str_buffers.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

using namespace std::string_literals;

TEST(DataStream, CreateReservesOneBlock) {
  struct Case {
    int32_t blockSize;
    int32_t expected;
  };
  for (const Case c : {Case{0, 256}, Case{-4, 256}, Case{1, 1}, Case{100, 100}}) {
    TDataStream stream(c.blockSize);
    EXPECT_EQ(stream.BlockSize(), c.expected) << c.blockSize;
    EXPECT_EQ(stream.Capacity(), c.expected) << c.blockSize;
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_EQ(stream.Position(), 1);
    EXPECT_EQ(stream.Data().size(), static_cast<std::size_t>(c.expected));
  }
}

TEST(DataStream, CapacityGrowsInWholeBlocksAndStaysAboveSize) {
  struct Case {
    std::size_t bytes;
    int32_t capacity;
    const char* why;
  };
  const Case cases[] = {
      {0, 256, "nothing written keeps the first block"},
      {255, 256, "one byte short of a block fits"},
      {256, 512, "a full block reserves the next one"},
      {511, 512, "one byte short of two blocks"},
      {512, 768, "two full blocks"},
  };
  for (const auto& c : cases) {
    TDataStream stream(256);
    EXPECT_TRUE(stream.Write(std::string(c.bytes, 'x')));
    EXPECT_EQ(stream.Size(), static_cast<int32_t>(c.bytes)) << c.why;
    EXPECT_EQ(stream.Capacity(), c.capacity) << c.why;
    EXPECT_EQ(stream.Position(), static_cast<int32_t>(c.bytes) + 1) << c.why;
    EXPECT_EQ(stream.GetData(), std::string(c.bytes, 'x')) << c.why;
  }
}

TEST(DataStream, PositionNeverFallsBelowOne) {
  TDataStream stream;
  for (int32_t position : {0, -1, INT_MIN}) {
    stream.Seek(position);
    EXPECT_EQ(stream.Position(), 1) << position;
  }
  stream.Clear();
  EXPECT_EQ(stream.Capacity(), 0);
  stream.Seek(0);
  EXPECT_EQ(stream.Position(), 1) << "also with nothing reserved";
  EXPECT_TRUE(stream.Write("ab"s));
  EXPECT_EQ(stream.GetData(), "ab");
  EXPECT_EQ(stream.Capacity(), 256);
}

TEST(DataStream, OverwriteAndWritePastTheEnd) {
  TDataStream stream(4);
  stream.Write("ABCDEF"s);
  stream.Seek(3);
  stream.Write("xy"s);
  EXPECT_EQ(stream.GetData(), "ABxyEF") << "writing inside keeps the size";
  EXPECT_EQ(stream.Position(), 5);
  stream.Seek(10);
  stream.Write("Z"s);
  EXPECT_EQ(stream.GetData(), "ABxyEF\0\0\0Z"s) << "a gap is zero-filled";
  EXPECT_EQ(stream.Capacity(), 12);
}

TEST(DataStream, SetSize) {
  TDataStream stream(8);
  stream.Write("ABCDEFGHIJ"s);
  EXPECT_TRUE(stream.SetSize(4));
  EXPECT_EQ(stream.Size(), 4);
  EXPECT_EQ(stream.Position(), 5) << "a position past the end moves back to it";
  EXPECT_EQ(stream.Capacity(), 8);
  stream.Seek(7);
  stream.Write("X"s);
  EXPECT_EQ(stream.GetData(), "ABCD\0\0X"s) << "cut bytes never come back";

  stream.Seek(2);
  EXPECT_TRUE(stream.SetSize(20));
  EXPECT_EQ(stream.Position(), 2) << "growing leaves the position alone";
  EXPECT_EQ(stream.Capacity(), 24);
  EXPECT_EQ(stream.GetData(), "ABCD\0\0X"s + std::string(13, '\0'));

  EXPECT_FALSE(stream.SetSize(-1));
  EXPECT_FALSE(stream.SetSize(INT_MAX)) << "its reservation would not fit in 32 bits";
  EXPECT_EQ(stream.Size(), 20);
  EXPECT_EQ(stream.Capacity(), 24);
}

TEST(DataStream, WriteThatWouldPassTheLimitChangesNothing) {
  TDataStream stream;
  stream.Write("ab"s);
  stream.Seek(INT_MAX);
  EXPECT_TRUE(stream.Write(""s)) << "an empty write does nothing";
  EXPECT_FALSE(stream.Write("x"s));
  EXPECT_EQ(stream.Size(), 2);
  EXPECT_EQ(stream.Position(), INT_MAX);
  EXPECT_EQ(stream.GetData(), "ab");
}

TEST(DataStream, SpanWrite) {
  TDataStream stream;
  const uint8_t bytes[] = {0x00, 0xFF, 0x42};
  EXPECT_TRUE(stream.Write(std::span<const uint8_t>(bytes)));
  EXPECT_EQ(stream.GetData(), "\x00\xFF\x42"s);
}

TEST(DataStream, MatchesASimpleModel) {
  // Random seeks, writes and resizes against a plain string, with a fixed seed.
  std::mt19937 random(20240611);
  for (int32_t blockSize : {1, 3, 256}) {
    TDataStream stream(blockSize);
    std::string model;
    int32_t position = 1;
    for (int step = 0; step < 3000; ++step) {
      const int op = static_cast<int>(random() % 4);
      if (op == 0) {
        position = static_cast<int32_t>(random() % 600) - 5;
        stream.Seek(position);
        position = std::max(position, 1);
      } else if (op == 1) {
        const int32_t n = static_cast<int32_t>(random() % 500);
        ASSERT_TRUE(stream.SetSize(n));
        model.resize(static_cast<std::size_t>(n), '\0');
        position = std::min(position, n + 1);
      } else {
        std::string bytes(random() % 40, '\0');
        for (char& b : bytes) b = static_cast<char>(random());
        ASSERT_TRUE(stream.Write(bytes));
        if (bytes.empty()) continue;  // an empty write does nothing, even past the end
        const std::size_t end = static_cast<std::size_t>(position - 1) + bytes.size();
        if (model.size() < end) model.resize(end, '\0');
        model.replace(static_cast<std::size_t>(position - 1), bytes.size(), bytes);
        position += static_cast<int32_t>(bytes.size());
      }
      ASSERT_EQ(stream.GetData(), model) << "step " << step;
      ASSERT_EQ(stream.Position(), position) << "step " << step;
      ASSERT_EQ(stream.Capacity() % blockSize, 0);
      ASSERT_GT(stream.Capacity(), stream.Size());
      ASSERT_EQ(stream.Data().size(), static_cast<std::size_t>(stream.Capacity()));
    }
  }
}

namespace {
TIntList MakeList(std::initializer_list<int32_t> values) {
  TIntList list;
  for (int32_t v : values) IntListAdd(list, v);
  return list;
}
}  // namespace

TEST(IntList, GetAndPutOutsideTheList) {
  TIntList list = MakeList({10, 20, 30});
  struct Case {
    int32_t index;
    int32_t value;
  };
  for (const Case c : {Case{0, 0}, Case{1, 10}, Case{3, 30}, Case{4, 0}, Case{-1, 0}, Case{INT_MIN, 0}}) {
    EXPECT_EQ(IntListGet(list, c.index), c.value) << c.index;
  }
  for (int32_t index : {0, 4, -1, INT_MAX}) IntListPut(list, index, 99);
  EXPECT_EQ(list.Items, (TIntegerArray{10, 20, 30})) << "writes outside the list are ignored";
  IntListPut(list, 2, 99);
  EXPECT_EQ(list.Items, (TIntegerArray{10, 99, 30}));
}

TEST(IntList, Insert) {
  struct Case {
    int32_t index;
    TIntegerArray expected;
    const char* why;
  };
  const Case cases[] = {
      {1, {7, 1, 2, 3}, "before the first"},
      {3, {1, 2, 7, 3}, "before the last"},
      {4, {1, 2, 3, 7}, "one past the end appends"},
      {INT_MAX, {1, 2, 3, 7}, "far past the end appends"},
      {0, {1, 2, 3}, "below 1 does nothing"},
      {INT_MIN, {1, 2, 3}, "nor does the most negative index"},
  };
  for (const auto& c : cases) {
    TIntList list = MakeList({1, 2, 3});
    IntListInsert(list, c.index, 7);
    EXPECT_EQ(list.Items, c.expected) << c.why;
  }
}

TEST(IntList, DeleteRange) {
  struct Case {
    int32_t index;
    int32_t count;
    TIntegerArray expected;
    const char* why;
  };
  const Case cases[] = {
      {4, 10, {1, 2, 3}, "a range past the end cuts the list at index"},
      {4, 2, {1, 2, 3}, "a range ending exactly at the end"},
      {2, 2, {1, 4, 5}, "a range inside"},
      {1, 1, {2, 3, 4, 5}, "the first item"},
      {5, 1, {1, 2, 3, 4}, "the last item"},
      {2, INT_MAX, {1}, "a count that would overflow the end"},
      {6, 1, {1, 2, 3, 4, 5}, "an index past the end"},
      {0, 1, {1, 2, 3, 4, 5}, "index 0"},
      {2, 0, {1, 2, 3, 4, 5}, "count 0"},
      {2, -3, {1, 2, 3, 4, 5}, "a negative count"},
  };
  for (const auto& c : cases) {
    TIntList list = MakeList({1, 2, 3, 4, 5});
    IntListDeleteRange(list, c.index, c.count);
    EXPECT_EQ(list.Items, c.expected) << c.why;
  }
  TIntList list = MakeList({1, 2, 3});
  IntListDelete(list, 2);
  EXPECT_EQ(list.Items, (TIntegerArray{1, 3}));
}

TEST(IntList, SumCountClearAssignData) {
  TIntList list = MakeList({INT_MAX, INT_MAX, -1});
  EXPECT_EQ(IntListCount(list), 3);
  EXPECT_EQ(IntListSum(list), 2LL * INT_MAX - 1) << "the sum does not overflow";
  ASSERT_NE(IntListData(list), nullptr);
  EXPECT_EQ(IntListData(list)[2], -1);
  IntListClear(list);
  EXPECT_EQ(IntListCount(list), 0);
  EXPECT_EQ(IntListSum(list), 0);
  EXPECT_EQ(IntListData(list), nullptr);

  const int32_t source[] = {5, 6, 7};
  IntListAssign(list, source, 2);
  EXPECT_EQ(list.Items, (TIntegerArray{5, 6}));
  IntListAssign(list, source, 0);
  EXPECT_TRUE(list.Items.empty());
  IntListAssign(list, source, 3);
  IntListAssign(list, nullptr, 3);
  EXPECT_TRUE(list.Items.empty()) << "a null source empties the list";
  IntListAssign(list, source, -1);
  EXPECT_TRUE(list.Items.empty());
}
