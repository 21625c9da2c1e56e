#include "sdk/value/internal/record_pool.h"

#include <cstdint>
#include <cstdlib>

namespace kiv::value_internal {
namespace {

size_t RoundedRecordSize(size_t size) {
  if (size < sizeof(void*)) size = sizeof(void*);
  return (size + 7) & ~size_t{7};
}

}  // namespace

RecordPool::RecordPool(size_t recordSize)
    : recordSize_(RoundedRecordSize(recordSize)),
      recordsPerPage_((kPageBytes - ((sizeof(Page) + 7) & ~size_t{7})) / recordSize_) {}

RecordPool::~RecordPool() {
  for (Page* page = allPages_; page;) {
    Page* next = page->nextPage;
    std::free(page);
    page = next;
  }
}

void* RecordPool::Allocate() {
  Page* page = withFree_ ? withFree_ : NewPage();
  void* record = TakeFrom(page);
  ++page->inUse;
  ++recordsInUse_;
  if (!HasRoom(page)) UnlinkWithFree(page);
  return record;
}

void* RecordPool::TakeFrom(Page* page) {
  if (FreeRecord* record = page->freeHead) {
    page->freeHead = record->next;
    return record;
  }
  char* first = reinterpret_cast<char*>(page) + ((sizeof(Page) + 7) & ~size_t{7});
  return first + page->untouched++ * recordSize_;
}

void RecordPool::Release(void* record) {
  // Pages are aligned to their size, so the page of a record is its address
  // rounded down.
  auto* page = reinterpret_cast<Page*>(reinterpret_cast<uintptr_t>(record) &
                                       ~static_cast<uintptr_t>(kPageBytes - 1));
  auto* freed = static_cast<FreeRecord*>(record);
  const bool wasFull = !HasRoom(page);
  freed->next = page->freeHead;
  page->freeHead = freed;
  --page->inUse;
  --recordsInUse_;
  if (wasFull) LinkWithFree(page);
}

RecordPool::Page* RecordPool::NewPage() {
  void* block = std::aligned_alloc(kPageBytes, kPageBytes);
  if (!block) std::abort();  // Out of memory: there is no failure path to report into.
  auto* page = static_cast<Page*>(block);
  page->nextWithFree = nullptr;
  page->previousWithFree = nullptr;
  page->nextPage = allPages_;
  page->inUse = 0;
  allPages_ = page;
  ++pageCount_;
  page->freeHead = nullptr;
  page->untouched = 0;
  LinkWithFree(page);
  return page;
}

void RecordPool::LinkWithFree(Page* page) {
  page->previousWithFree = nullptr;
  page->nextWithFree = withFree_;
  if (withFree_) withFree_->previousWithFree = page;
  withFree_ = page;
}

void RecordPool::UnlinkWithFree(Page* page) {
  if (page->previousWithFree) {
    page->previousWithFree->nextWithFree = page->nextWithFree;
  } else {
    withFree_ = page->nextWithFree;
  }
  if (page->nextWithFree) page->nextWithFree->previousWithFree = page->previousWithFree;
  page->nextWithFree = nullptr;
  page->previousWithFree = nullptr;
}

}  // namespace kiv::value_internal
