// arena.h: the variable-size memory of one value tree: element and member
// arrays and interned strings. Released all at once with the tree, so a
// tree is destroyed without visiting its values.
//
// Small blocks (up to kSmallLimit bytes, in 8-byte size classes) are cut
// from chunks by bumping a pointer; a freed small block goes to the free
// list of its class and is handed out again before the chunk grows. Larger
// blocks come from the heap one by one, linked so that they can be freed
// singly (when a value is cleared) or all together (with the arena).
//
// Not for: the fixed-size payload records (record_pool.h), or memory that
// outlives its tree. Single-threaded, like the tree.
//
//   Arena arena;
//   void* block = arena.Allocate(36);   // 40 bytes of class 4
//   arena.Free(block, 36);              // back to class 4's free list
#pragma once

#include <cstddef>
#include <cstdint>

namespace kiv::value_internal {

class Arena {
 public:
  static constexpr size_t kGranule = 8;
  static constexpr size_t kSmallLimit = 1024;

  /// An arena that first bumps through `initial` (not owned; may be null),
  /// then through chunks of its own.
  Arena(void* initial = nullptr, size_t initialBytes = 0) noexcept;
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;
  /// Frees every chunk and every large block.
  ~Arena();

  /// Storage for `bytes` (more than 0), aligned to 8. Ends the process when
  /// memory runs out: no caller has a failure path to report into.
  void* Allocate(size_t bytes);
  /// Returns a block that Allocate(bytes) gave, with the same `bytes`.
  void Free(void* block, size_t bytes) noexcept;
  /// A block of `newBytes` holding the first min(old, new) bytes of `block`
  /// (which may be null when `oldBytes` is 0); `block` is freed.
  void* Reallocate(void* block, size_t oldBytes, size_t newBytes);

 private:
  struct FreeBlock {
    FreeBlock* next;
  };
  struct Chunk {
    Chunk* next;
    size_t bytes;
  };
  /// Header of a large block, 16 bytes so the block stays 16-aligned.
  struct LargeBlock {
    LargeBlock* previous;
    LargeBlock* next;
  };

  static constexpr size_t kClasses = kSmallLimit / kGranule;
  static size_t ClassOf(size_t bytes) { return (bytes + kGranule - 1) / kGranule - 1; }

  void* AllocateSmall(size_t rounded);
  void* AllocateLarge(size_t bytes);
  void FreeLarge(void* block) noexcept;

  FreeBlock* free_[kClasses] = {};
  char* bump_ = nullptr;
  char* bumpEnd_ = nullptr;
  Chunk* chunks_ = nullptr;
  LargeBlock* large_ = nullptr;
  size_t nextChunkBytes_ = 4096;
};

}  // namespace kiv::value_internal
