// The library's allocation functions. Linked (with -Wl,--wrap=malloc and the
// other wraps listed in cmake/KivTargets.cmake) into the plugin library and
// into test programs: every `malloc`, `free`, `new` and `delete` made by code
// of that binary goes through the counters of memory_stats.h. In the plugin
// library these symbols are local, so the host's allocations are never counted.
#include <malloc.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "sdk/memory/memory_stats.h"

extern "C" {
void* __real_malloc(size_t size);
void __real_free(void* block);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
char* __real_strdup(const char* text);
void* __real_aligned_alloc(size_t alignment, size_t size);
int __real_posix_memalign(void** out, size_t alignment, size_t size);

void* __wrap_malloc(size_t size) {
  void* block = __real_malloc(size);
  kiv::CountAllocation(block);
  return block;
}

void __wrap_free(void* block) {
  kiv::CountFree(block);
  __real_free(block);
}

void* __wrap_calloc(size_t count, size_t size) {
  void* block = __real_calloc(count, size);
  kiv::CountAllocation(block);
  return block;
}

void* __wrap_realloc(void* block, size_t size) {
  // The old block is counted as freed before the call, while its size can
  // still be read. realloc(block, 0) frees it; a failed reallocation leaves
  // it in place, so it is counted back in.
  if (block) kiv::CountFree(block);
  void* grown = __real_realloc(block, size);
  if (grown || !block) {
    kiv::CountAllocation(grown);
  } else if (size != 0) {
    kiv::CountAllocation(block);
  }
  return grown;
}

char* __wrap_strdup(const char* text) {
  char* copy = __real_strdup(text);
  kiv::CountAllocation(copy);
  return copy;
}

void* __wrap_aligned_alloc(size_t alignment, size_t size) {
  void* block = __real_aligned_alloc(alignment, size);
  kiv::CountAllocation(block);
  return block;
}

int __wrap_posix_memalign(void** out, size_t alignment, size_t size) {
  const int result = __real_posix_memalign(out, alignment, size);
  kiv::CountAllocation(result == 0 ? *out : nullptr);
  return result;
}
}  // extern "C"

namespace {

// One block of `size` bytes (at least 1) aligned to `alignment`, or null.
// aligned_alloc wants a multiple of the alignment; a size too close to
// SIZE_MAX to round up (reachable with a 32-bit size_t) is refused rather
// than wrapped to a small block.
void* AllocateAligned(size_t size, size_t alignment) noexcept {
  if (size == 0) size = 1;
  if (alignment <= alignof(std::max_align_t)) return malloc(size);
  if (size > SIZE_MAX - (alignment - 1)) return nullptr;
  return aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
}

// The throwing forms of `new`: the library is built without exceptions, so
// running out of memory after the new-handler gave up ends the process.
void* AllocateOrDie(size_t size, size_t alignment) {
  for (;;) {
    void* block = AllocateAligned(size, alignment);
    if (block) return block;
    std::new_handler handler = std::get_new_handler();
    if (!handler) {
      std::fputs("out of memory\n", stderr);
      std::abort();
    }
    handler();
  }
}

void* AllocateOrNull(size_t size, size_t alignment) noexcept {
  return AllocateAligned(size, alignment);
}

}  // namespace

void* operator new(size_t size) { return AllocateOrDie(size, 0); }
void* operator new[](size_t size) { return AllocateOrDie(size, 0); }
void* operator new(size_t size, std::align_val_t align) {
  return AllocateOrDie(size, static_cast<size_t>(align));
}
void* operator new[](size_t size, std::align_val_t align) {
  return AllocateOrDie(size, static_cast<size_t>(align));
}
void* operator new(size_t size, const std::nothrow_t&) noexcept { return AllocateOrNull(size, 0); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size, 0);
}
void* operator new(size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size, static_cast<size_t>(align));
}
void* operator new[](size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size, static_cast<size_t>(align));
}

void operator delete(void* block) noexcept { free(block); }
void operator delete[](void* block) noexcept { free(block); }
void operator delete(void* block, size_t) noexcept { free(block); }
void operator delete[](void* block, size_t) noexcept { free(block); }
void operator delete(void* block, std::align_val_t) noexcept { free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { free(block); }
void operator delete(void* block, size_t, std::align_val_t) noexcept { free(block); }
void operator delete[](void* block, size_t, std::align_val_t) noexcept { free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { free(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { free(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
  free(block);
}
