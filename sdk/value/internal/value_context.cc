#include "sdk/value/internal/value_context.h"

#include <cstdlib>

namespace kiv::value_internal {
namespace {

// The context and the arena's first chunk share one heap block, so a small
// tree costs one allocation (plus a pool page per kind of record it holds).
constexpr size_t kInlineChunkBytes = 2048;

size_t ContextBytes() {
  return (sizeof(ValueContext) + Arena::kGranule - 1) / Arena::kGranule * Arena::kGranule;
}

}  // namespace

ValueContext::ValueContext(size_t inlineBytes)
    : arena_(reinterpret_cast<char*>(this) + ContextBytes(), inlineBytes),
      strings_(arena_),
      blobs_(sizeof(BlobRecord)),
      enums_(sizeof(EnumRecord)),
      collections_(sizeof(CollectionRecord)),
      structures_(sizeof(StructureRecord)) {}

ValueContext::~ValueContext() {
  for (BlobRecord* record = liveBlobs_; record;) {
    BlobRecord* next = record->next;
    record->~BlobRecord();
    record = next;
  }
}

ValueContext* ValueContext::Create() {
  void* block = std::aligned_alloc(Arena::kGranule, ContextBytes() + kInlineChunkBytes);
  if (!block) std::abort();  // Out of memory: there is no failure path to report into.
  return ::new (block) ValueContext(kInlineChunkBytes);
}

void ValueContext::Destroy(ValueContext* context) {
  context->~ValueContext();
  std::free(context);
}

BlobRecord* ValueContext::NewBlob(Blob&& bytes) {
  BlobRecord* record = NewRecord(BlobRecord{std::move(bytes)});
  record->next = liveBlobs_;
  if (liveBlobs_) liveBlobs_->previous = record;
  liveBlobs_ = record;
  return record;
}

void ValueContext::DeleteBlob(BlobRecord* record) {
  if (record->previous) {
    record->previous->next = record->next;
  } else {
    liveBlobs_ = record->next;
  }
  if (record->next) record->next->previous = record->previous;
  DeleteRecord(record);
}

}  // namespace kiv::value_internal
