// native_host_tree.h: NativeHostTree, the host form of a native value written
// straight from it, without a BindingProperty in between. It gives exactly the
// records HostValueTree(ToValue(native)) gives: records as structures with
// their members in key order (blank kOmitWhenBlank fields left out), vectors
// as collections, string-keyed maps as structures in key order, an empty
// optional as an empty value, enums as their registered names.
//
// Nothing is copied or interned: texts and bytes point into the native value
// and member names into the record descriptions (string literals), so the
// native value must outlive the tree and stay unchanged while the host reads
// it. That suits events, which the host reads during the dispatch call.
//
// Not for: values that must outlive the native they came from (use
// HostValueTree), or reading host values (host_value.h).
//
//   const NativeHostTree body(roster);      // roster: any described record
//   module.HostDispatchEvent(EventRecord{name, body.Root(), 0});
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "kiv_plugin_abi.h"
#include "sdk/value/native/host_records.h"
#include "sdk/value/native/native_traits.h"
#include "sdk/value/native/scalar_conversion.h"

namespace kiv {

namespace native_host_internal {

template <typename T>
constexpr size_t kFieldCount = std::tuple_size_v<std::decay_t<decltype(kRecord<T>.fields)>>;

/// The record's field names in registration order.
template <typename T>
constexpr auto kFieldNames = [] {
  std::array<std::string_view, kFieldCount<T>> names{};
  std::apply(
      [&](const auto&... field) {
        size_t at = 0;
        ((names[at++] = field.name), ...);
      },
      kRecord<T>.fields);
  return names;
}();

/// The record's field indexes in the byte order of their names: the order of
/// a structure's members.
template <typename T>
constexpr auto kFieldsByName = [] {
  std::array<size_t, kFieldCount<T>> order{};
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [](size_t a, size_t b) { return kFieldNames<T>[a] < kFieldNames<T>[b]; });
  return order;
}();

template <typename T>
constexpr bool kFieldNamesUnique = [] {
  auto names = kFieldNames<T>;
  std::sort(names.begin(), names.end());
  return std::adjacent_find(names.begin(), names.end()) == names.end();
}();

/// Calls `visit` with each field of record T in name order.
template <typename T, typename Visit>
void ForEachFieldByName(Visit&& visit) {
  static_assert(kFieldNamesUnique<T>, "a record's field names must differ");
  [&]<size_t... I>(std::index_sequence<I...>) {
    (visit(std::get<kFieldsByName<T>[I]>(kRecord<T>.fields)), ...);
  }
  (std::make_index_sequence<kFieldCount<T>>{});
}

template <typename T>
size_t MemberCount(const T& record);

/// Whether the value ToValue makes of `native` is blank (IsBlank).
template <typename T>
bool IsBlankNative(const T& native) {
  if constexpr (std::same_as<T, bool>) {
    return !native;
  } else if constexpr (std::is_arithmetic_v<T>) {
    return native == 0;
  } else if constexpr (std::same_as<T, BindingProperty>) {
    return IsBlank(native);
  } else if constexpr (NativeOptional<T>) {
    return !native || IsBlankNative(*native);
  } else if constexpr (DescribedEnum<T>) {
    return static_cast<int32_t>(native) == 0;
  } else if constexpr (DescribedRecord<T>) {
    return MemberCount(native) == 0;
  } else {
    return native.empty();  // strings, blobs, vectors, maps
  }
}

template <typename Record, typename Field>
bool IsWritten(const Record& record, const Field& field) {
  return !(field.flags & kOmitWhenBlank) || !IsBlankNative(record.*field.member);
}

/// The members record T's structure has.
template <typename T>
size_t MemberCount(const T& record) {
  size_t count = 0;
  std::apply([&](const auto&... field) { ((count += IsWritten(record, field) ? 1 : 0), ...); },
             kRecord<T>.fields);
  return count;
}

/// Whether a map's iteration order is the byte order of its keys.
template <typename T>
constexpr bool kIteratesInKeyOrder = false;
template <typename V, typename A>
constexpr bool kIteratesInKeyOrder<std::map<std::string, V, std::less<std::string>, A>> = true;
template <typename V, typename A>
constexpr bool kIteratesInKeyOrder<std::map<std::string, V, std::less<>, A>> = true;

/// Calls `visit(key, element)` for each entry of a string-keyed map, in the
/// byte order of its keys (the order of a structure's members).
template <typename T, typename Visit>
void ForEachInKeyOrder(const T& map, Visit&& visit) {
  if constexpr (kIteratesInKeyOrder<T>) {
    for (const auto& [key, element] : map) visit(key, element);
  } else {
    std::vector<const typename T::value_type*> entries;
    entries.reserve(map.size());
    for (const auto& entry : map) entries.push_back(&entry);
    std::sort(entries.begin(), entries.end(),
              [](const auto* a, const auto* b) { return a->first < b->first; });
    for (const auto* entry : entries) visit(entry->first, entry->second);
  }
}

/// Whether every name of enum T ends with a NUL where it lies (a string
/// literal), so the host may read it as text in place.
template <typename T>
constexpr bool kEnumNamesTerminated = [] {
  for (const EnumEntry& entry : kEnum<T>.values) {
    if (entry.name.data()[entry.name.size()] != '\0') return false;
  }
  return true;
}();

/// An enum as its first registered name (pointing into the descriptor's
/// literal), or as its number when it has none; what SetHostEnum gives,
/// without the process-wide description's lookup.
template <typename T>
void WriteEnum(T native, HostValue& target) {
  static_assert(kEnumNamesTerminated<T>, "enum names must be string literals");
  const auto number = static_cast<int32_t>(native);
  for (const EnumEntry& entry : kEnum<T>.values) {
    if (entry.number == number) {
      SetHostText(target, entry.name.data(), entry.name.size());
      return;
    }
  }
  SetHostSigned(target, number);
}

/// Writes the host form of `native` into `target`, its containers' records
/// taken from `cursor`.
template <typename T>
void WriteNative(const T& native, HostValue& target, HostRecordCursor& cursor) {
  target = HostValue{};
  if constexpr (std::same_as<T, bool>) {
    SetHostBool(target, native);
  } else if constexpr (std::is_floating_point_v<T>) {
    SetHostFloat(target, static_cast<double>(native));
  } else if constexpr (NativeInteger<T> && std::is_signed_v<T>) {
    SetHostSigned(target, native);
  } else if constexpr (NativeInteger<T>) {
    SetHostUnsigned(target, native);
  } else if constexpr (std::same_as<T, std::string>) {
    SetHostText(target, native.c_str(), native.size());
  } else if constexpr (std::same_as<T, BindingProperty>) {
    WriteHostRecords(native, target, cursor);
  } else if constexpr (NativeBlob<T>) {
    SetHostBytes(target, native.data(), native.size());
  } else if constexpr (NativeOptional<T>) {
    if (native) {
      WriteNative(*native, target, cursor);
    } else {
      target.tag = KIV_VALUE_EMPTY;
    }
  } else if constexpr (NativeVector<T>) {
    HostValue* items = cursor.TakeItems(native.size());
    SetHostCollection(target, items, native.size());
    for (size_t i = 0; i < native.size(); ++i)
      WriteNative<VectorElement<T>>(native[i], items[i], cursor);
  } else if constexpr (NativeStringMap<T>) {
    HostMember* members = cursor.TakeMembers(native.size());
    SetHostStructure(target, members, native.size());
    HostMember* next = members;
    ForEachInKeyOrder(native, [&](const std::string& key, const auto& element) {
      next->name = key.c_str();
      WriteNative(element, next->value, cursor);
      ++next;
    });
  } else if constexpr (DescribedEnum<T>) {
    WriteEnum(native, target);
  } else if constexpr (DescribedRecord<T>) {
    const size_t count = MemberCount(native);
    HostMember* members = cursor.TakeMembers(count);
    SetHostStructure(target, members, count);
    HostMember* next = members;
    ForEachFieldByName<T>([&](const auto& field) {
      if (!IsWritten(native, field)) return;
      next->name = field.name.data();  // a string literal: NUL-terminated
      WriteNative(native.*field.member, next->value, cursor);
      ++next;
    });
  } else {
    static_assert(sizeof(T) == 0, "no native conversion: describe the type with kRecord or kEnum");
  }
}

}  // namespace native_host_internal

/// The host form of a native value that it borrows (see the header manual).
/// Not copyable or movable, because Root() points into the tree itself.
class NativeHostTree {
 public:
  template <typename T>
  explicit NativeHostTree(const T& native) {
    HostRecordCursor cursor(arrays_);
    native_host_internal::WriteNative(native, root_, cursor);
  }
  NativeHostTree(const NativeHostTree&) = delete;
  NativeHostTree& operator=(const NativeHostTree&) = delete;

  const HostValue& Root() const { return root_; }

 private:
  HostValue root_{};
  HostRecordArrays arrays_;
};

}  // namespace kiv
