// Blocks of one size for objects that are made and freed by the hundred on every page: they come from a
// free list instead of the heap. A pool keeps what it once held (as many blocks as were ever live at
// once) and may be shared between threads.
#pragma once

#include <atomic>
#include <cstddef>
#include <new>

class TBlockPool {
 public:
  // Blocks are aligned for any object and at least to `align` (a power of two).
  explicit TBlockPool(size_t size, size_t align = alignof(std::max_align_t));
  // Frees the chunks: every block must have been given back (or be no longer used).
  ~TBlockPool();
  TBlockPool(const TBlockPool&) = delete;
  TBlockPool& operator=(const TBlockPool&) = delete;

  // A block of at least the pool's size, aligned as promised; throws std::bad_alloc as new does.
  void* Take();
  void Give(void* block) noexcept;
  size_t Size() const { return size_; }
  size_t Alignment() const { return align_; }

 private:
  struct TLink {
    TLink* Next;
  };
  void Lock() noexcept;
  void Unlock() noexcept { busy_.clear(std::memory_order_release); }

  size_t align_;
  size_t size_;
  std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
  TLink* free_ = nullptr;
  TLink* chunks_ = nullptr;  // linked through each chunk's first block
};

// Put between a class T and its base (TPooled<Base, T>, Base's constructors inherited): T's objects come
// from a pool of T's size, and a class derived from T of another size goes to the heap. The base stays
// the class's only one, so casts cost what they did. The pool lives as long as the process, so objects
// may outlive any static.
template <class Base, class T>
class TPooled : public Base {
 public:
  using Base::Base;

  static void* operator new(size_t size) { return size == sizeof(T) ? Pool().Take() : ::operator new(size); }
  static void operator delete(void* block, size_t size) noexcept {
    if (size == sizeof(T))
      Pool().Give(block);
    else
      ::operator delete(block);
  }

 private:
  static TBlockPool& Pool() {
    static TBlockPool* const pool = new TBlockPool(sizeof(T), alignof(T));
    return *pool;
  }
};
