// value_writer.h: ValueWriter, the interface every serializer of a
// BindingProperty implements, and WriteValue, the walk that drives it.
//
// The walk calls, for a collection: BeginCollection, then per element
// BeginElement, the element's own walk, EndElement, and EndCollection; for a
// structure: BeginStructure, then per member (in key order) WriteKey, the
// member's walk, EndMember, and EndStructure. Scalars call their one
// operation. The walk keeps its own stack: any depth is safe.
//
// Not for: reading (see value_builder.h). Serializers whose concrete type is
// known should call WalkValue (value_walk.h) to avoid virtual dispatch.
//
//   class CountingWriter final : public ValueWriter { ... };
//   CountingWriter counter;
//   WriteValue(value, counter);
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "sdk/value/binding_property.h"

namespace kiv {

class EnumDescription;

/// The sixteen operations, in slot order.
class ValueWriter {
 public:
  virtual ~ValueWriter() = default;

  virtual void WriteNull() = 0;
  virtual void WriteBool(bool value) = 0;
  virtual void WriteSigned(int64_t value) = 0;
  virtual void WriteUnsigned(uint64_t value) = 0;
  virtual void WriteFloat(double value) = 0;
  virtual void WriteString(std::string_view text) = 0;
  virtual void WriteBlob(std::span<const uint8_t> bytes) = 0;
  /// `type` may be null (an enum value of no registered type).
  virtual void WriteEnum(int32_t number, const EnumDescription* type) = 0;
  virtual void BeginCollection(size_t count) = 0;
  virtual void BeginElement(size_t index) = 0;
  virtual void EndElement(size_t index) = 0;
  virtual void EndCollection() = 0;
  virtual void BeginStructure(size_t count) = 0;
  virtual void WriteKey(std::string_view name) = 0;
  virtual void EndMember() = 0;
  virtual void EndStructure() = 0;
};

/// Walks `value` and calls `writer` for every node, as described above.
void WriteValue(const BindingProperty& value, ValueWriter& writer);

}  // namespace kiv
