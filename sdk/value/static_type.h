// static_type.h: StaticType, the fixed 32-bit identifier and the name of each
// native type that takes part in binding. The type registry finds a type's
// description by its identifier.
//
// The name is derived from the type as the compiler spells it (for example
// "Api::TournamentInfo") unless a StaticTypeName specialization registers one;
// the identifier is the 32-bit FNV-1a hash of the name. Both are constexpr.
//
// Not for: run-time type information of polymorphic objects.
//
//   constexpr uint32_t id = StaticType::Id<Api::Team>();
//   StaticType::Name<Api::Team>();           // "Api::Team"
//   FormatStaticTypeId(id);                  // "#1A2B3C4D"
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kiv {

namespace value_internal {

constexpr uint32_t Fnv1a32(std::string_view bytes) {
  uint32_t hash = 0x811C9DC5u;
  for (char byte : bytes) {
    hash ^= static_cast<uint8_t>(byte);
    hash *= 16777619u;
  }
  return hash;
}

template <typename T>
constexpr std::string_view DerivedTypeName() {
  // "... DerivedTypeName() [with T = Api::Team; ...]" (gcc) or "[T = Api::Team]" (clang).
  constexpr std::string_view signature = __PRETTY_FUNCTION__;
  constexpr size_t start = signature.find("T = ") + 4;
  constexpr size_t end = signature.find_first_of(";]", start);
  return signature.substr(start, end - start);
}

}  // namespace value_internal

/// Specialize with `static constexpr std::string_view value = "Name";` to give
/// a type a name that does not depend on how the compiler spells it.
template <typename T>
struct StaticTypeName {
  static constexpr std::string_view value = value_internal::DerivedTypeName<T>();
};

struct StaticType {
  template <typename T>
  static constexpr std::string_view Name() {
    return StaticTypeName<T>::value;
  }
  template <typename T>
  static constexpr uint32_t Id() {
    return value_internal::Fnv1a32(Name<T>());
  }
};

/// "#" followed by eight upper-case hexadecimal digits.
std::string FormatStaticTypeId(uint32_t id);

}  // namespace kiv
