// native_traits.h: which native kind a C++ type is, deduced from the type
// alone: the code of native_type.h and the containers the conversions know.
//
// Not for: run-time dispatch; everything here is compile time.
//
//   static_assert(NativeTypeOf<int32_t>() == NativeType::kInt32);
//   static_assert(NativeTypeOf<std::vector<Team>>() == NativeType::kVector);
//   static_assert(NativeTypeOf<std::optional<Team>>() == NativeType::kStruct);
#pragma once

#include <concepts>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "sdk/value/binding_property.h"
#include "sdk/value/native/enum_descriptor.h"
#include "sdk/value/native/record_descriptor.h"
#include "sdk/value/native_type.h"

namespace kiv {

namespace native_internal {
template <typename T>
struct VectorTraits : std::false_type {};
template <typename E, typename A>
struct VectorTraits<std::vector<E, A>> : std::true_type {
  using Element = E;
};
template <typename T>
struct MapTraits : std::false_type {};
template <typename V, typename C, typename A>
struct MapTraits<std::map<std::string, V, C, A>> : std::true_type {
  using Element = V;
};
template <typename V, typename H, typename E, typename A>
struct MapTraits<std::unordered_map<std::string, V, H, E, A>> : std::true_type {
  using Element = V;
};
template <typename T>
struct OptionalTraits : std::false_type {};
template <typename V>
struct OptionalTraits<std::optional<V>> : std::true_type {
  using Element = V;
};
}  // namespace native_internal

/// A byte vector is a blob, not a vector of numbers.
template <typename T>
concept NativeBlob = std::same_as<T, Blob>;
template <typename T>
concept NativeVector = native_internal::VectorTraits<T>::value && !NativeBlob<T>;
template <typename T>
concept NativeStringMap = native_internal::MapTraits<T>::value;
template <typename T>
concept NativeOptional = native_internal::OptionalTraits<T>::value;
template <typename T>
concept NativeInteger = std::integral<T> && !std::same_as<T, bool>;

template <NativeVector T>
using VectorElement = typename native_internal::VectorTraits<T>::Element;
template <NativeStringMap T>
using MapElement = typename native_internal::MapTraits<T>::Element;
template <NativeOptional T>
using OptionalElement = typename native_internal::OptionalTraits<T>::Element;

/// The native type code of T. An optional has the code of what it holds.
template <typename T>
constexpr NativeType NativeTypeOf() {
  if constexpr (std::same_as<T, bool>) {
    return NativeType::kBool;
  } else if constexpr (NativeInteger<T>) {
    constexpr bool isSigned = std::is_signed_v<T>;
    if constexpr (sizeof(T) == 1) return isSigned ? NativeType::kInt8 : NativeType::kUint8;
    if constexpr (sizeof(T) == 2) return isSigned ? NativeType::kInt16 : NativeType::kUint16;
    if constexpr (sizeof(T) == 4) return isSigned ? NativeType::kInt32 : NativeType::kUint32;
    if constexpr (sizeof(T) == 8) return isSigned ? NativeType::kInt64 : NativeType::kUint64;
  } else if constexpr (std::same_as<T, float>) {
    return NativeType::kFloat;
  } else if constexpr (std::same_as<T, double>) {
    return NativeType::kDouble;
  } else if constexpr (std::same_as<T, std::string>) {
    return NativeType::kString;
  } else if constexpr (std::same_as<T, BindingProperty>) {
    return NativeType::kObject;
  } else if constexpr (NativeBlob<T>) {
    return NativeType::kBlob;
  } else if constexpr (NativeVector<T>) {
    return NativeType::kVector;
  } else if constexpr (NativeStringMap<T>) {
    return NativeType::kMap;
  } else if constexpr (NativeOptional<T>) {
    return NativeTypeOf<OptionalElement<T>>();
  } else if constexpr (DescribedEnum<T>) {
    return NativeType::kEnum;
  } else if constexpr (DescribedRecord<T>) {
    return NativeType::kStruct;
  } else {
    static_assert(sizeof(T) == 0, "no native conversion: describe the type with kRecord or kEnum");
  }
}

}  // namespace kiv
