// record_pool.h: a pool of fixed-size records on 4096-byte pages, one per
// payload type of a value tree (blob, enum, collection, structure).
//
// Each page keeps its count of records in use and the head of its free list.
// Pages with free records form a list; a page whose free list runs out leaves
// it, and rejoins when one of its records is released. Released records go
// back to their page, never to the general heap; pages are freed with the pool.
//
// Not for: variable-size data (element arrays, blob bytes use the heap).
//
//   RecordPool pool(sizeof(EnumRecord));
//   void* record = pool.Allocate();
//   pool.Release(record);
#pragma once

#include <cstddef>
#include <cstdint>

namespace kiv::value_internal {

class RecordPool {
 public:
  static constexpr size_t kPageBytes = 4096;

  /// `recordSize` is rounded up to a multiple of 8 (and at least a pointer).
  explicit RecordPool(size_t recordSize);
  RecordPool(const RecordPool&) = delete;
  RecordPool& operator=(const RecordPool&) = delete;
  ~RecordPool();

  /// Uninitialized storage for one record, aligned to 8.
  void* Allocate();
  /// Returns a record of this pool to its page.
  void Release(void* record);

  size_t PageCount() const { return pageCount_; }
  size_t RecordsPerPage() const { return recordsPerPage_; }
  size_t RecordsInUse() const { return recordsInUse_; }

 private:
  struct FreeRecord {
    FreeRecord* next;
  };
  struct Page {
    Page* nextWithFree;
    Page* previousWithFree;
    Page* nextPage;  ///< Every page, for freeing them all.
    FreeRecord* freeHead;
    uint32_t inUse;
    uint32_t untouched;  ///< Records past this index were never handed out.
  };

  /// The next record of a page with room: a released one, else the first
  /// untouched one (a new page is not threaded up front).
  void* TakeFrom(Page* page);
  bool HasRoom(const Page* page) const {
    return page->freeHead != nullptr || page->untouched < recordsPerPage_;
  }

  Page* NewPage();
  void LinkWithFree(Page* page);
  void UnlinkWithFree(Page* page);

  size_t recordSize_;
  size_t recordsPerPage_;
  Page* withFree_ = nullptr;
  Page* allPages_ = nullptr;
  size_t pageCount_ = 0;
  size_t recordsInUse_ = 0;
};

}  // namespace kiv::value_internal
