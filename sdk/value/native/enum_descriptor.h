// enum_descriptor.h: the declarative description of a native enum: its type
// name and a constant table of value names and numbers, read both ways (name
// to number when reading values, number to name when writing them).
//
// Not for: records (record_descriptor.h). The numbers are the enum's own
// numbers; a name appears once, a number may have several names (the first
// one wins when writing). A number without a name is written as the number;
// reading refuses it unless the enum is described ReadingUnnamedNumbers().
//
//   enum class JoustVisibility : int32_t { kHidden, kDarkVisible, kVisible };
//   template <> inline constexpr auto kiv::kEnum<JoustVisibility> = kiv::Enum<JoustVisibility>(
//       "JoustVisibility", {{"Hidden", 0}, {"DarkVisible", 1}, {"Visible", 2}});
//   kiv::EnumDescriptionOf<JoustVisibility>().NameOf(2);  // "Visible"
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "sdk/value/enum_description.h"
#include "sdk/value/native/scalar_conversion.h"

namespace kiv {

template <typename T, size_t N>
struct EnumDescriptor {
  using Type = T;
  std::string_view name;
  std::array<EnumEntry, N> values;
  std::string_view description = {};
  /// Reading takes numbers that have no name as they are (a marker such as
  /// "one past the last value"); by default they are refused.
  bool readsUnnamedNumbers = false;

  constexpr std::span<const EnumEntry> Entries() const { return {values.data(), N}; }
  /// The same enum with a description for help output.
  constexpr EnumDescriptor Described(std::string_view text) const {
    return {name, values, text, readsUnnamedNumbers};
  }
  /// The same enum reading numbers without a name as they are.
  constexpr EnumDescriptor ReadingUnnamedNumbers() const {
    return {name, values, description, true};
  }
};

/// An enum named `name` with its values in order: {name, number} or
/// {name, number, description}.
template <typename T, size_t N>
constexpr EnumDescriptor<T, N> Enum(std::string_view name, const EnumEntry (&values)[N]) {
  static_assert(std::is_enum_v<T>, "Enum<T> describes an enum type");
  return [&]<size_t... I>(std::index_sequence<I...>) {
    return EnumDescriptor<T, N>{name, {values[I]...}, {}};
  }
  (std::make_index_sequence<N>());
}

/// Marks a type without an enum description.
struct NoEnumDescriptor {};

namespace descriptor_internal {

/// The descriptor that `DescribeEnum(const T*)`, declared in T's own
/// namespace, returns; NoEnumDescriptor when there is none.
template <typename T>
constexpr auto EnumFromHook() {
  if constexpr (requires { DescribeEnum(static_cast<const T*>(nullptr)); }) {
    return DescribeEnum(static_cast<const T*>(nullptr));
  } else {
    return NoEnumDescriptor{};
  }
}

}  // namespace descriptor_internal

/// The descriptor of enum T: `constexpr auto DescribeEnum(const T*) { return
/// kiv::Enum<T>(...); }` in T's own namespace (argument-dependent lookup), or
/// a specialization `template <> inline constexpr auto kiv::kEnum<T> =
/// kiv::Enum<T>(...);` next to the enum's definition.
template <typename T>
inline constexpr auto kEnum = descriptor_internal::EnumFromHook<T>();

template <typename T>
concept DescribedEnum =
    std::is_enum_v<T> && !std::is_same_v<std::remove_cvref_t<decltype(kEnum<T>)>, NoEnumDescriptor>;

/// The process-wide description that enum values of T point at. Built on
/// first use and never changed, so it outlives every value of the process.
template <DescribedEnum T>
const EnumDescription& EnumDescriptionOf() {
  static const EnumDescription description = [] {
    std::vector<EnumDescription::Value> values;
    values.reserve(kEnum<T>.values.size());
    for (const EnumEntry& entry : kEnum<T>.values) {
      values.push_back({std::string(entry.name), entry.number});
    }
    return EnumDescription(std::string(kEnum<T>.name), std::move(values));
  }();
  return description;
}

}  // namespace kiv
