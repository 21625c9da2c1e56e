#include "sdk/value/internal/arena.h"

#include <cstdlib>
#include <cstring>

namespace kiv::value_internal {
namespace {

// Chunks double from 4 KB up to this size, so a small tree takes little and
// a large one few heap blocks.
constexpr size_t kMaxChunkBytes = 64 * 1024;

void* HeapAllocate(size_t bytes) {
  void* block = std::malloc(bytes);
  if (!block) std::abort();  // Out of memory: there is no failure path to report into.
  return block;
}

}  // namespace

Arena::Arena(void* initial, size_t initialBytes) noexcept
    : bump_(static_cast<char*>(initial)), bumpEnd_(static_cast<char*>(initial) + initialBytes) {}

Arena::~Arena() {
  for (Chunk* chunk = chunks_; chunk;) {
    Chunk* next = chunk->next;
    std::free(chunk);
    chunk = next;
  }
  for (LargeBlock* block = large_; block;) {
    LargeBlock* next = block->next;
    std::free(block);
    block = next;
  }
}

void* Arena::Allocate(size_t bytes) {
  if (bytes > kSmallLimit) return AllocateLarge(bytes);
  const size_t sizeClass = ClassOf(bytes);
  if (FreeBlock* reused = free_[sizeClass]) {
    free_[sizeClass] = reused->next;
    return reused;
  }
  return AllocateSmall((sizeClass + 1) * kGranule);
}

void* Arena::AllocateSmall(size_t rounded) {
  if (static_cast<size_t>(bumpEnd_ - bump_) < rounded) {
    // The rest of the current chunk is left unused: at most one small block.
    const size_t bytes = nextChunkBytes_;
    if (nextChunkBytes_ < kMaxChunkBytes) nextChunkBytes_ *= 2;
    auto* chunk = static_cast<Chunk*>(HeapAllocate(bytes));
    chunk->next = chunks_;
    chunk->bytes = bytes;
    chunks_ = chunk;
    bump_ = reinterpret_cast<char*>(chunk + 1);  // past the header
    bumpEnd_ = reinterpret_cast<char*>(chunk) + bytes;
  }
  void* block = bump_;
  bump_ += rounded;
  return block;
}

void* Arena::AllocateLarge(size_t bytes) {
  auto* block = static_cast<LargeBlock*>(HeapAllocate(sizeof(LargeBlock) + bytes));
  block->previous = nullptr;
  block->next = large_;
  if (large_) large_->previous = block;
  large_ = block;
  return block + 1;
}

void Arena::Free(void* block, size_t bytes) noexcept {
  if (bytes > kSmallLimit) return FreeLarge(block);
  auto* freed = static_cast<FreeBlock*>(block);
  const size_t sizeClass = ClassOf(bytes);
  freed->next = free_[sizeClass];
  free_[sizeClass] = freed;
}

void Arena::FreeLarge(void* block) noexcept {
  LargeBlock* header = static_cast<LargeBlock*>(block) - 1;
  if (header->previous) {
    header->previous->next = header->next;
  } else {
    large_ = header->next;
  }
  if (header->next) header->next->previous = header->previous;
  std::free(header);
}

void* Arena::Reallocate(void* block, size_t oldBytes, size_t newBytes) {
  if (oldBytes != 0 && ClassOf(oldBytes) == ClassOf(newBytes) && newBytes <= kSmallLimit) {
    return block;  // the block's class already holds the new size
  }
  void* grown = Allocate(newBytes);
  if (oldBytes != 0) {
    std::memcpy(grown, block, oldBytes < newBytes ? oldBytes : newBytes);
    Free(block, oldBytes);
  }
  return grown;
}

}  // namespace kiv::value_internal
