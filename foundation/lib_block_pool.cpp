// The block pool: a spin lock around a free list (held for a few instructions, and the coders that use
// it run one at a time), chunks of blocks from the heap when the list runs dry.
#include "foundation/lib_block_pool.h"

#include <algorithm>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#define CLIENT_POOL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CLIENT_POOL_ASAN 1
#endif
#endif
#ifdef CLIENT_POOL_ASAN
#include <sanitizer/asan_interface.h>
// A block in the free list is poisoned, so that a use after its object was freed is still caught.
#define POOL_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define POOL_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define POOL_POISON(p, n) ((void)(p), (void)(n))
#define POOL_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

constexpr size_t kChunkBytes = 16384;

// The first block of a chunk links the chunks.
size_t BlocksPerChunk(size_t size) { return std::max<size_t>(2, kChunkBytes / size); }

// The heap's own alignment is not enough: the 32-bit C runtime gives 8 while max_align_t wants 16, so
// chunks are taken by the aligned operator new and each block's size is a multiple of the alignment.
size_t PoolAlignment(size_t align) { return std::max({align, alignof(std::max_align_t), alignof(void*)}); }

}  // namespace

TBlockPool::TBlockPool(size_t size, size_t align)
    : align_(PoolAlignment(align)), size_((std::max(size, sizeof(TLink)) + align_ - 1) / align_ * align_) {}

TBlockPool::~TBlockPool() {
  while (chunks_) {
    TLink* chunk = chunks_;
    chunks_ = chunk->Next;
    POOL_UNPOISON(chunk, size_ * BlocksPerChunk(size_));
    ::operator delete(chunk, std::align_val_t{align_});
  }
}

void TBlockPool::Lock() noexcept {
  while (busy_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
}

void* TBlockPool::Take() {
  Lock();
  if (!free_) {
    const size_t count = BlocksPerChunk(size_);
    auto* chunk = static_cast<char*>(::operator new(count * size_, std::align_val_t{align_}, std::nothrow));
    if (!chunk) {
      Unlock();
      throw std::bad_alloc();
    }
    auto* head = reinterpret_cast<TLink*>(chunk);
    head->Next = chunks_;
    chunks_ = head;
    for (size_t i = count - 1; i >= 1; --i) {
      auto* block = reinterpret_cast<TLink*>(chunk + i * size_);
      block->Next = free_;
      free_ = block;
      POOL_POISON(block, size_);
    }
  }
  TLink* block = free_;
  POOL_UNPOISON(block, size_);
  free_ = block->Next;
  Unlock();
  return block;
}

void TBlockPool::Give(void* block) noexcept {
  if (!block) return;
  Lock();
  auto* link = static_cast<TLink*>(block);
  link->Next = free_;
  free_ = link;
  POOL_POISON(block, size_);
  Unlock();
}
