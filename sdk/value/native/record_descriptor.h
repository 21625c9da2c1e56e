// record_descriptor.h: the declarative description of a native record: its
// type name and its fields in order, each a member pointer with a name. One
// constexpr block per record drives both conversion directions (convert.h)
// and the record's registration in the type registry.
//
// Not for: enums (enum_descriptor.h) or hand-written conversion code. Fields
// are converted by deduction from the member's type: scalars, strings,
// registered records and enums, std::vector, string-keyed std::map and
// std::unordered_map, std::optional, Blob and BindingProperty ("object").
// Members of the value that match no field are ignored.
//
//   namespace Api {
//   struct Team { int64_t id = -1; std::vector<uint64_t> members; Visibility seen{}; };
//   constexpr auto DescribeRecord(const Team*) {  // found by argument-dependent lookup
//     return kiv::Record<Team>("Team", kiv::Field("id", &Team::id),
//                              kiv::Field("members", &Team::members), kiv::Field("seen",
//                              &Team::seen));
//   }
//   }  // namespace Api
#pragma once

#include <cstdint>
#include <string_view>
#include <tuple>
#include <type_traits>

namespace kiv {

/// Field flags. Bit 0: leave the member out of the value when it is blank.
/// Bit 1: a value must hold the member (absent or empty fails).
inline constexpr uint32_t kOmitWhenBlank = 1;
inline constexpr uint32_t kRequired = 2;

template <typename Owner, typename Member>
struct FieldDescriptor {
  using OwnerType = Owner;
  using MemberType = Member;
  std::string_view name;
  Member Owner::*member;
  std::string_view description = {};
  uint32_t flags = 0;
};

/// A field: its member name in the value, the native member, and optionally a
/// description for help output and flags (kOmitWhenBlank, kRequired).
template <typename Owner, typename Member>
constexpr FieldDescriptor<Owner, Member> Field(std::string_view name, Member Owner::*member,
                                               std::string_view description = {},
                                               uint32_t flags = 0) {
  return {name, member, description, flags};
}

template <typename T, typename... Fields>
struct RecordDescriptor {
  using Type = T;
  std::string_view name;
  std::tuple<Fields...> fields;
  std::string_view description = {};

  /// The same record with a description for help output.
  constexpr RecordDescriptor Described(std::string_view text) const { return {name, fields, text}; }
};

/// A record named `name` with `fields` in registration order.
template <typename T, typename... Owners, typename... Members>
constexpr RecordDescriptor<T, FieldDescriptor<Owners, Members>...> Record(
    std::string_view name, FieldDescriptor<Owners, Members>... fields) {
  static_assert((std::is_base_of_v<Owners, T> && ...),
                "every field must be a member of the record");
  return {name, {fields...}, {}};
}

/// Marks a type without a record description.
struct NoRecordDescriptor {};

namespace descriptor_internal {

/// The descriptor that `DescribeRecord(const T*)`, declared in T's own
/// namespace, returns; NoRecordDescriptor when there is none.
template <typename T>
constexpr auto RecordFromHook() {
  if constexpr (requires { DescribeRecord(static_cast<const T*>(nullptr)); }) {
    return DescribeRecord(static_cast<const T*>(nullptr));
  } else {
    return NoRecordDescriptor{};
  }
}

}  // namespace descriptor_internal

/// The descriptor of record T. Describe a record either in its own namespace
/// by `constexpr auto DescribeRecord(const T*) { return kiv::Record<T>(...); }`
/// (found by argument-dependent lookup, so member pointers need no namespace
/// prefix), or by specializing `template <> inline constexpr auto
/// kiv::kRecord<T> = kiv::Record<T>(...);` next to the record's definition.
template <typename T>
inline constexpr auto kRecord = descriptor_internal::RecordFromHook<T>();

template <typename T>
concept DescribedRecord =
    !std::is_same_v<std::remove_cvref_t<decltype(kRecord<T>)>, NoRecordDescriptor>;

}  // namespace kiv
