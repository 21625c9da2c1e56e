// msgpack_reader.h: ReadMessagePack, one MessagePack value to BindingProperty.
//
// Positive and negative fixints and the int formats read as signed, the uint
// formats as unsigned, floats widen to double, str to string, bin to blob,
// arrays to collections and maps to structures (keys must be strings). The
// ext formats and 0xC1 are refused. Input that ends inside an open container
// leaves the value as far as it was read, without an error; input that ends
// inside a number, length or payload is an error. Nesting deeper than
// kMaxNestingDepth is refused.
//
// Not for: writing MessagePack, or reading a sequence of values (call again
// from `consumed`).
//
//   MessagePackResult read = ReadMessagePack(bytes, size);
//   if (!read.value.IsValid()) Log(read.value.Error());  // "... at position N ..."
//   if (read.consumed != size) RefuseExtraBytes();
#pragma once

#include <cstddef>
#include <cstdint>

#include "sdk/value/binding_property.h"

namespace kiv {

struct MessagePackResult {
  /// The value; invalid with the message as Error() on failure.
  BindingProperty value;
  /// Bytes read: up to the end of the first complete value, or the whole
  /// input when it ends early, or the offset where reading failed.
  size_t consumed = 0;
};

/// Reads one value from `bytes` (`length` bytes; null only when 0). Empty
/// input gives an empty value.
MessagePackResult ReadMessagePack(const uint8_t* bytes, size_t length);

}  // namespace kiv
