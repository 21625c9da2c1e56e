// type_reference.h: TypeReference, the type of a field, argument, result or
// event payload as the type registry and its help output name it: a native
// type code, the element type of a vector or map, and the static type
// identifier of an enum or record.
//
// Not for: converting values; it only names types. References are constant
// and built at compile time; element references point at other constants.
//
//   const TypeReference& ref = TypeReferenceOf<std::vector<Team>>();
//   ref.type;                 // NativeType::kVector
//   ref.element->typeId;      // StaticType::Id<Team>()
#pragma once

#include <cstdint>

#include "sdk/value/native/native_traits.h"
#include "sdk/value/static_type.h"

namespace kiv {

struct TypeReference {
  /// The native type; NativeType{} (code 0) means "no type" (for example the
  /// async result of a function that is not asynchronous).
  NativeType type{};
  /// Enums and records: the static type identifier; otherwise 0.
  uint32_t typeId = 0;
  /// Vectors and maps: the element's reference; otherwise null.
  const TypeReference* element = nullptr;
};

template <typename T>
constexpr TypeReference MakeTypeReference();

/// The reference of T; constant storage, so it may be pointed at freely.
template <typename T>
inline constexpr TypeReference kTypeReference = MakeTypeReference<T>();

template <typename T>
constexpr TypeReference MakeTypeReference() {
  constexpr NativeType type = NativeTypeOf<T>();
  if constexpr (NativeOptional<T>) {
    return MakeTypeReference<OptionalElement<T>>();
  } else if constexpr (type == NativeType::kVector) {
    return {type, 0, &kTypeReference<VectorElement<T>>};
  } else if constexpr (type == NativeType::kMap) {
    return {type, 0, &kTypeReference<MapElement<T>>};
  } else if constexpr (type == NativeType::kEnum || type == NativeType::kStruct) {
    return {type, StaticType::Id<T>(), nullptr};
  } else {
    return {type, 0, nullptr};
  }
}

template <typename T>
constexpr const TypeReference& TypeReferenceOf() {
  return kTypeReference<T>;
}

}  // namespace kiv
