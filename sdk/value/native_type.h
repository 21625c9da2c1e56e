// native_type.h: the codes and names of the native types that fields and
// arguments bind to (conversions and the type registry use them).
//
// Not for: the kind of a value (see value_kind.h, a separate numbering).
//
//   NativeTypeName(NativeType::kInt32);  // "int32"
//   NativeTypeName(0);                   // "" (0 and codes above 19)
#pragma once

#include <cstdint>

namespace kiv {

/// A native type; the enumerator's number is the type's code.
enum class NativeType : uint8_t {
  kBool = 1,
  kInt8 = 2,
  kUint8 = 3,
  kInt16 = 4,
  kUint16 = 5,
  kInt32 = 6,
  kUint32 = 7,
  kInt64 = 8,
  kUint64 = 9,
  kFloat = 10,
  kDouble = 11,
  kString = 12,
  kObject = 13,  ///< A field that holds a BindingProperty unchanged.
  kBlob = 14,
  kVector = 15,
  kEnum = 16,
  kStruct = 17,
  kCallback = 18,
  kMap = 19,
};

/// "bool", "int8", ..., "map" for codes 1-19; the empty string otherwise.
/// The result is static, NUL-terminated text.
const char* NativeTypeName(uint32_t code);
inline const char* NativeTypeName(NativeType type) {
  return NativeTypeName(static_cast<uint32_t>(type));
}

}  // namespace kiv
