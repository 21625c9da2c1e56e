// convert.h: FromValue and ToValue, the conversions between BindingProperty
// and native values, derived from the native type: scalars, strings, blobs,
// "object" fields, described enums and records (kEnum, kRecord), vectors,
// string-keyed maps and optionals, nested to any combination.
//
// Every conversion takes a status value. On entry an invalid status makes the
// conversion do nothing; a failure sets its message on the status (the first
// failure wins, later steps do nothing). Records convert their fields in
// registration order with no heap use of their own and no virtual calls.
//
// Not for: types without a descriptor (they do not compile), or converting
// by a type identifier known only at run time (the type registry does that).
//
//   ConversionStatus status;
//   Team team;
//   FromValue(body, "<value>", team, status);   // body: a BindingProperty
//   if (!status.IsValid()) return Fail(Failure(400, std::string(status.Error())));
//   BindingProperty out = ToValue(team, status);
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "sdk/value/binding_property.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/failure.h"
#include "sdk/value/maybe_type.h"
#include "sdk/value/native/conversion_messages.h"
#include "sdk/value/native/native_traits.h"
#include "sdk/value/native/scalar_conversion.h"

namespace kiv {

template <typename T>
void FromValue(const BindingProperty& value, std::string_view name, T& out,
               ConversionStatus& status);
template <typename T>
void ToValue(const T& native, BindingProperty& out, ConversionStatus& status);

namespace native_internal {

template <typename Record, typename Field>
bool ReadField(const BindingProperty& value, std::string_view name, const Field& field, Record& out,
               std::string_view typeName, ConversionStatus& status) {
  if (!status.IsValid()) return false;
  const BindingProperty* member = value.FindMember(field.name);
  if (member == nullptr || member->IsEmpty()) {
    // Absent and empty members keep the native default.
    if (field.flags & kRequired) ReportMissingField(name, typeName, field.name, status);
  } else {
    FromValue(*member, field.name, out.*field.member, status);
  }
  return status.IsValid();
}

template <typename Record, typename Field>
bool WriteField(const Record& native, const Field& field, BindingProperty& out,
                ConversionStatus& status) {
  BindingProperty& member = out.MutableMember(field.name);
  ToValue(native.*field.member, member, status);
  if (!status.IsValid()) return false;
  if ((field.flags & kOmitWhenBlank) && IsBlank(member)) out.RemoveMember(field.name);
  return true;
}

}  // namespace native_internal

/// Converts `value` into `out` (see the header manual). `name` is what the
/// value is ("<value>" for a whole payload, else the field or argument name).
template <typename T>
void FromValue(const BindingProperty& value, std::string_view name, T& out,
               ConversionStatus& status) {
  if (!status.IsValid()) return;
  constexpr NativeType type = NativeTypeOf<T>();
  const char* typeName = NativeTypeName(type);
  if constexpr (std::same_as<T, bool>) {
    out = ValueToBool(value, name, status);
  } else if constexpr (NativeInteger<T> && std::is_signed_v<T>) {
    out = static_cast<T>(ValueToSigned(value, name, typeName, std::numeric_limits<T>::min(),
                                       std::numeric_limits<T>::max(), status));
  } else if constexpr (NativeInteger<T>) {
    out = static_cast<T>(
        ValueToUnsigned(value, name, typeName, std::numeric_limits<T>::max(), status));
  } else if constexpr (std::is_floating_point_v<T>) {
    out =
        static_cast<T>(ValueToDouble(value, name, typeName, std::numeric_limits<T>::max(), status));
  } else if constexpr (std::same_as<T, std::string>) {
    out = ValueToString(value, name, status);
  } else if constexpr (std::same_as<T, BindingProperty>) {
    out = value;
  } else if constexpr (NativeBlob<T>) {
    out = ValueToBlob(value, name, status);
  } else if constexpr (NativeOptional<T>) {
    // An empty value leaves the optional without a value.
    if (value.IsEmpty()) {
      out.reset();
    } else {
      FromValue(value, name, out.emplace(), status);
    }
  } else if constexpr (NativeVector<T>) {
    out.clear();
    if (!value.IsCollection()) return ReportNotCollection(name, status);
    out.resize(value.Size());
    const auto elements = value.Elements();
    for (size_t i = 0; i < elements.size() && status.IsValid(); ++i) {
      // Empty elements keep the default.
      if (!elements[i].IsEmpty()) FromValue(elements[i], name, out[i], status);
    }
  } else if constexpr (NativeStringMap<T>) {
    out.clear();
    if constexpr (requires { out.rehash(8); }) out.rehash(8);
    if (!value.IsStructure()) return ReportMapNotStructure(name, status);
    for (const BindingMember& member : value.Members()) {
      if (member.Value().IsEmpty()) continue;
      FromValue(member.Value(), name, out[std::string(member.Name())], status);
      if (!status.IsValid()) return;
    }
  } else if constexpr (DescribedEnum<T>) {
    out = static_cast<T>(ValueToEnumNumber(value, name, kEnum<T>.name, kEnum<T>.Entries(), status,
                                           kEnum<T>.readsUnnamedNumbers));
  } else if constexpr (DescribedRecord<T>) {
    constexpr auto& descriptor = kRecord<T>;
    if (value.IsEmpty()) return ReportRequired(name, status);
    if (!value.IsStructure()) return ReportNotStructure(name, descriptor.name, status);
    std::apply(
        [&](const auto&... field) {
          (native_internal::ReadField(value, name, field, out, descriptor.name, status) && ...);
        },
        descriptor.fields);
  }
}

/// Converts `native` into `out`, replacing what `out` held. On failure `out`
/// may be partly written; callers discard it.
template <typename T>
void ToValue(const T& native, BindingProperty& out, ConversionStatus& status) {
  if (!status.IsValid()) return;
  if constexpr (std::same_as<T, bool> || std::is_arithmetic_v<T>) {
    if constexpr (std::is_floating_point_v<T>) {
      out = static_cast<double>(native);
    } else {
      out = native;
    }
  } else if constexpr (std::same_as<T, std::string>) {
    out = std::string_view(native);
  } else if constexpr (std::same_as<T, BindingProperty>) {
    out = native;
  } else if constexpr (NativeBlob<T>) {
    out = Blob(native);
  } else if constexpr (NativeOptional<T>) {
    if (native) {
      ToValue(*native, out, status);
    } else {
      out.Clear();
    }
  } else if constexpr (NativeVector<T>) {
    out.SetEmptyCollection();
    if (native.empty()) return;
    out.MutableElement(native.size() - 1);
    const auto elements = out.MutableElements();
    for (size_t i = 0; i < native.size() && status.IsValid(); ++i) {
      ToValue(native[i], elements[i], status);
    }
  } else if constexpr (NativeStringMap<T>) {
    out.SetEmptyStructure();
    out.ReserveMembers(native.size());
    for (const auto& [key, element] : native) {
      ToValue(element, out.MutableMember(key), status);
      if (!status.IsValid()) return;
    }
  } else if constexpr (DescribedEnum<T>) {
    out = EnumValue{static_cast<int32_t>(native), &EnumDescriptionOf<T>()};
  } else if constexpr (DescribedRecord<T>) {
    out.SetEmptyStructure();
    // One array of the record's size instead of growing it field by field.
    out.ReserveMembers(std::tuple_size_v<std::decay_t<decltype(kRecord<T>.fields)>>);
    std::apply(
        [&](const auto&... field) {
          (native_internal::WriteField(native, field, out, status) && ...);
        },
        kRecord<T>.fields);
  } else {
    static_assert(sizeof(T) == 0, "no native conversion: describe the type with kRecord or kEnum");
  }
}

/// ToValue into a new value.
template <typename T>
BindingProperty ToValue(const T& native, ConversionStatus& status) {
  BindingProperty out;
  ToValue(native, out, status);
  return out;
}

/// FromValue into a default T, as a result: the failure carries the status
/// message (error code 0; callers choose the code of their answer).
template <typename T>
MaybeType<Failure, T> ValueTo(const BindingProperty& value, std::string_view name) {
  ConversionStatus status;
  T native{};
  FromValue(value, name, native, status);
  if (!status.IsValid()) return Fail(Failure(0, std::string(status.Error())));
  return native;
}

/// ToValue as a result: the failure carries the status message (code 0).
template <typename T>
MaybeType<Failure, BindingProperty> ValueFrom(const T& native) {
  ConversionStatus status;
  BindingProperty out = ToValue(native, status);
  if (!status.IsValid()) return Fail(Failure(0, std::string(status.Error())));
  return out;
}

}  // namespace kiv
