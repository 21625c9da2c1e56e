// value_kind.h: the ten kinds of a BindingProperty and the names messages
// print for them.
//
// Not for: native field types (see native_type.h, a separate numbering).
//
//   ValueKind kind = value.Kind();
//   std::string message = FormatMessage("invalid type %1", KindName(kind));
//   KindName(42);  // "" (codes outside 0-9 print as the empty string)
#pragma once

#include <cstdint>

namespace kiv {

/// The kind of a value; the enumerator's number is the kind's code.
enum class ValueKind : uint8_t {
  kEmpty = 0,
  kBool = 1,
  kSigned = 2,
  kUnsigned = 3,
  kFloat = 4,
  kString = 5,
  kBlob = 6,
  kEnum = 7,
  kCollection = 8,
  kStructure = 9,
};

/// "empty", "bool", "signed", "unsigned", "float", "string", "blob", "enum",
/// "collection", "structure"; the empty string for any other code. The result
/// is static, NUL-terminated text.
const char* KindName(uint32_t code);
inline const char* KindName(ValueKind kind) { return KindName(static_cast<uint32_t>(kind)); }

}  // namespace kiv
