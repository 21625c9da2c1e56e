// register_native.h: RegisterNative<T>, the registration of a described
// record or enum (kRecord / kEnum) into a TypeRegistry in one call. The
// fields or values, their descriptions, flags, offsets and types, and the
// by-identifier converters all come from the descriptor.
//
// Not for: types without a descriptor (use TypeRegistry::RegisterType).
//
//   constexpr std::string_view kHelpSpace[] = {"$builtin", "help"};
//   RegisterNative<Team>(registry);                                  // registered as "Team"
//   RegisterNative<Visibility>(registry, {.namePrefix = "Joust"});   // "JoustVisibility"
//   RegisterNative<BindingFullTypeIdentifier>(registry, {.nameSpace = kHelpSpace});
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <tuple>

#include "sdk/registry/type_registry.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/native/convert.h"
#include "sdk/value/native/type_reference.h"
#include "sdk/value/static_type.h"

namespace kiv {

struct RegistrationOptions {
  /// Put before the descriptor's name to form the registered name.
  std::string_view namePrefix = {};
  std::span<const std::string_view> nameSpace = {};
  std::span<const std::string_view> tags = {};
};

namespace registry_internal {

template <typename T>
void FromValueErased(const BindingProperty& value, std::string_view name, void* native,
                     ConversionStatus& status) {
  FromValue(value, name, *static_cast<T*>(native), status);
}

template <typename T>
void ToValueErased(const void* native, BindingProperty& out, ConversionStatus& status) {
  ToValue(*static_cast<const T*>(native), out, status);
}

template <typename Record, typename Field>
uint32_t OffsetOf(const Record& probe, const Field& field) {
  return static_cast<uint32_t>(reinterpret_cast<const char*>(&(probe.*field.member)) -
                               reinterpret_cast<const char*>(&probe));
}

}  // namespace registry_internal

/// Registers T from its descriptor; false when the registry refuses it (the
/// name or the type is already registered).
template <typename T>
requires DescribedRecord<T> || DescribedEnum<T>
[[nodiscard]] bool RegisterNative(TypeRegistry& registry, const RegistrationOptions& options = {}) {
  constexpr bool isEnum = DescribedEnum<T>;
  const auto& descriptor = []() -> const auto& {
    if constexpr (isEnum) {
      return kEnum<T>;
    } else {
      return kRecord<T>;
    }
  }
  ();
  TypeBuilder builder = registry.RegisterType(
      std::string(options.namePrefix) + std::string(descriptor.name), isEnum ? 4 : sizeof(T),
      StaticType::Id<T>(), isEnum ? kEnumTypeFlag : 0);
  if (builder.refused()) return false;
  for (std::string_view segment : options.nameSpace) builder.AddNameSpace(std::string(segment));
  for (std::string_view tag : options.tags) builder.AddTag(std::string(tag));
  builder.SetDescription(std::string(descriptor.description));
  builder.SetConverter(
      {&registry_internal::FromValueErased<T>, &registry_internal::ToValueErased<T>});
  if constexpr (isEnum) {
    for (const EnumEntry& entry : descriptor.values) {
      builder.AddValue(std::string(entry.name), entry.number, std::string(entry.description));
    }
  } else {
    const T probe{};
    std::apply(
        [&](const auto&... field) {
          (builder.AddField(
               std::string(field.name), std::string(field.description),
               registry_internal::OffsetOf(probe, field),
               TypeReferenceOf<typename std::remove_cvref_t<decltype(field)>::MemberType>(),
               field.flags),
           ...);
        },
        descriptor.fields);
  }
  return builder.Finish();
}

}  // namespace kiv
