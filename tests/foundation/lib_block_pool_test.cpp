// The block pool: blocks are distinct and aligned while held, come back after being given, survive a
// pool shared by threads, and a class derived from a pooled one of another size goes to the heap.
#include "foundation/lib_block_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <vector>

namespace {

struct TBase {
  virtual ~TBase() = default;
  int64_t Value = 0;
};
struct TSmall : TPooled<TBase, TSmall> {};
struct TBigger : TSmall {
  char Extra[200] = {};
};
// Wider than the 32-bit heap's 8-byte alignment: SSE registers load such members with aligned moves.
struct TVector16 {
  alignas(16) float Lanes[4] = {};
};
struct TAlignedBase {
  virtual ~TAlignedBase() = default;
  TVector16 Vector;
};
struct TAligned : TPooled<TAlignedBase, TAligned> {
  char Tail = 0;
};
struct alignas(64) TLine64 {
  char Bytes[64] = {};
};

}  // namespace

TEST(BlockPool, HeldBlocksAreDistinctAlignedAndReused) {
  TBlockPool pool(24);
  std::vector<void*> held;
  std::set<void*> seen;
  for (int i = 0; i < 2000; ++i) {  // several chunks
    void* block = pool.Take();
    ASSERT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
    ASSERT_TRUE(seen.insert(block).second) << "block handed out twice";
    std::memset(block, 0xA5, 24);
    held.push_back(block);
  }
  for (void* block : held) pool.Give(block);
  // Everything given back is taken again before the pool grows.
  std::set<void*> again;
  for (size_t i = 0; i < held.size(); ++i) again.insert(pool.Take());
  EXPECT_EQ(again, seen);
  for (void* block : again) pool.Give(block);
  pool.Give(nullptr);
}

TEST(BlockPool, BlocksKeepThePromisedAlignment) {
  // Odd sizes put every block after the first off a 16-byte boundary unless the pool rounds them.
  struct TCase {
    size_t Size, Align;
  };
  for (const TCase c : {TCase{24, alignof(std::max_align_t)}, TCase{sizeof(TAligned), alignof(TAligned)},
                        TCase{40, 16}, TCase{72, 64}, TCase{1, 1}}) {
    TBlockPool pool(c.Size, c.Align);
    ASSERT_GE(pool.Alignment(), c.Align);
    ASSERT_GE(pool.Alignment(), alignof(std::max_align_t));
    ASSERT_GE(pool.Size(), c.Size);
    std::vector<void*> held;
    for (int i = 0; i < 1500; ++i) {  // several chunks
      void* block = pool.Take();
      ASSERT_EQ(reinterpret_cast<uintptr_t>(block) % pool.Alignment(), 0u) << "size " << c.Size << ", block " << i;
      held.push_back(block);
    }
    for (void* block : held) pool.Give(block);
  }
}

TEST(BlockPool, PooledObjectsWithAlignedMembers) {
  static_assert(alignof(TAligned) >= 16);
  std::vector<std::unique_ptr<TAligned>> objects;
  for (int i = 0; i < 1000; ++i) {
    objects.push_back(std::make_unique<TAligned>());
    ASSERT_EQ(reinterpret_cast<uintptr_t>(&objects.back()->Vector) % alignof(TVector16), 0u) << "object " << i;
    objects.back()->Vector.Lanes[3] = static_cast<float>(i);
  }
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(objects[static_cast<size_t>(i)]->Vector.Lanes[3], static_cast<float>(i));
  static_assert(alignof(TLine64) == 64);
  TBlockPool lines(sizeof(TLine64), alignof(TLine64));
  void* block = lines.Take();
  EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 64, 0u);
  lines.Give(block);
}

TEST(BlockPool, ThreadsShareOnePool) {
  TBlockPool pool(sizeof(int64_t));
  auto work = [&pool](int64_t mark) {
    std::vector<int64_t*> mine;
    for (int round = 0; round < 200; ++round) {
      for (int i = 0; i < 50; ++i) {
        auto* block = static_cast<int64_t*>(pool.Take());
        *block = mark;
        mine.push_back(block);
      }
      for (int64_t* block : mine) {
        ASSERT_EQ(*block, mark) << "a block was given to two threads at once";
        pool.Give(block);
      }
      mine.clear();
    }
  };
  std::thread a(work, 1), b(work, 2), c(work, 3);
  a.join();
  b.join();
  c.join();
}

TEST(BlockPool, PooledClassesAndDerivedOnesOfAnotherSize) {
  std::vector<std::unique_ptr<TBase>> objects;
  for (int i = 0; i < 300; ++i) {
    if (i % 3 == 0)
      objects.push_back(std::make_unique<TBigger>());
    else
      objects.push_back(std::make_unique<TSmall>());
    objects.back()->Value = i;
  }
  for (int i = 0; i < 300; ++i) EXPECT_EQ(objects[static_cast<size_t>(i)]->Value, i);
  objects.clear();  // each freed through its own size's way, as ASan checks
}
