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
