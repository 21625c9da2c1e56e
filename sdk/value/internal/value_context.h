// value_context.h: the allocation context one value tree shares: its string
// table, its four record pools, and a count of the values that refer to it.
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
#include "sdk/value/internal/record_pool.h"
#include "sdk/value/internal/string_table.h"

namespace kiv::value_internal {

struct BlobRecord {
  Blob bytes;
};

struct EnumRecord {
  EnumValue value;
};

/// Elements on the heap, relocated by realloc (a BindingProperty has no
/// pointer into itself, so moving its bytes is a valid move).
struct CollectionRecord {
  BindingProperty* elements = nullptr;
  uint32_t size = 0;
  uint32_t capacity = 0;
};

/// Members sorted by name in unsigned byte-wise order; heap array, relocated
/// by realloc like the elements of a collection.
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
  /// Frees the context with its table and pools when the count reaches zero.
  void Unref() {
    if (--references_ == 0) Destroy(this);
  }
  uint32_t References() const { return references_; }

  StringTable& Strings() { return strings_; }

  template <typename Record>
  Record* NewRecord(Record&& initial) {
    return ::new (PoolFor<Record>().Allocate()) Record(std::move(initial));
  }
  template <typename Record>
  void DeleteRecord(Record* record) {
    record->~Record();
    PoolFor<Record>().Release(record);
  }

  template <typename Record>
  RecordPool& PoolFor();

 private:
  ValueContext();
  ~ValueContext() = default;
  static void Destroy(ValueContext* context);

  uint32_t references_ = 1;
  StringTable strings_;
  RecordPool blobs_;
  RecordPool enums_;
  RecordPool collections_;
  RecordPool structures_;
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
