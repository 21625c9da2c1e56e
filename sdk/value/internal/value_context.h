// value_context.h: the allocation context one value tree shares: its arena
// (element and member arrays, string entries), its string table, its four
// record pools, and a count of the values that own it.
//
// Ownership: every BindingProperty that stands on its own (a root: a local,
// a field, a vector element; anything but an element or member of a tree)
// and refers to a context holds one count of it. Elements and members refer
// to their tree's context without a count. When the last owner goes, the
// whole context is released at once: chunks, pages, strings and blob bytes,
// without visiting a single value.
//
// Not for: use outside BindingProperty. Single-threaded, like the tree.
//
//   ValueContext* context = ValueContext::Create();   // count 1
//   auto* record = context->NewRecord(EnumRecord{{3, nullptr}});
//   context->DeleteRecord(record);
//   context->Unref();                                  // frees the context
#pragma once

#include <cstdint>
#include <new>
#include <utility>

#include "sdk/value/binding_property.h"
#include "sdk/value/internal/arena.h"
#include "sdk/value/internal/record_pool.h"
#include "sdk/value/internal/string_table.h"

namespace kiv::value_internal {

/// Blob bytes stay a heap vector (moved in, never copied); the records of
/// live blobs are linked so that releasing the context frees their bytes.
struct BlobRecord {
  Blob bytes;
  BlobRecord* previous = nullptr;
  BlobRecord* next = nullptr;
};

struct EnumRecord {
  EnumValue value;
};

/// Elements in the context's arena, relocated as bytes (a BindingProperty
/// has no pointer into itself, so moving its bytes is a valid move).
struct CollectionRecord {
  BindingProperty* elements = nullptr;
  uint32_t size = 0;
  uint32_t capacity = 0;
};

/// Members sorted by name in unsigned byte-wise order, in the arena like the
/// elements of a collection.
struct StructureRecord {
  BindingMember* members = nullptr;
  uint32_t size = 0;
  uint32_t capacity = 0;
};

class ValueContext {
 public:
  /// A new context with a reference count of 1.
  static ValueContext* Create();

  void Ref() { ++references_; }
  /// Frees the context with everything in it when the count reaches zero.
  void Unref() {
    if (--references_ == 0) Destroy(this);
  }
  uint32_t References() const { return references_; }

  StringTable& Strings() { return strings_; }
  Arena& Memory() { return arena_; }

  template <typename Record>
  Record* NewRecord(Record&& initial) {
    return ::new (PoolFor<Record>().Allocate()) Record(std::move(initial));
  }
  template <typename Record>
  void DeleteRecord(Record* record) {
    record->~Record();
    PoolFor<Record>().Release(record);
  }
  BlobRecord* NewBlob(Blob&& bytes);
  void DeleteBlob(BlobRecord* record);

  template <typename Record>
  RecordPool& PoolFor();

  /// An array of `count` elements (null for 0) and its release.
  template <typename Element>
  Element* NewArray(size_t count) {
    return count == 0 ? nullptr : static_cast<Element*>(arena_.Allocate(count * sizeof(Element)));
  }
  template <typename Element>
  void DeleteArray(Element* array, size_t count) {
    if (count != 0) arena_.Free(array, count * sizeof(Element));
  }
  template <typename Element>
  Element* ResizeArray(Element* array, size_t count, size_t newCount) {
    return static_cast<Element*>(
        arena_.Reallocate(array, count * sizeof(Element), newCount * sizeof(Element)));
  }

 private:
  explicit ValueContext(size_t inlineBytes);
  ~ValueContext();
  static void Destroy(ValueContext* context);

  uint32_t references_ = 1;
  Arena arena_;  ///< First: the table's entries live in it.
  StringTable strings_;
  RecordPool blobs_;
  RecordPool enums_;
  RecordPool collections_;
  RecordPool structures_;
  BlobRecord* liveBlobs_ = nullptr;  ///< For freeing their bytes with the context.
};

template <>
inline RecordPool& ValueContext::PoolFor<BlobRecord>() {
  return blobs_;
}
template <>
inline RecordPool& ValueContext::PoolFor<EnumRecord>() {
  return enums_;
}
template <>
inline RecordPool& ValueContext::PoolFor<CollectionRecord>() {
  return collections_;
}
template <>
inline RecordPool& ValueContext::PoolFor<StructureRecord>() {
  return structures_;
}

}  // namespace kiv::value_internal
