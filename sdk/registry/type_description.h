// type_description.h: TypeDescription, what the type registry knows about one
// registered structure or enum: name, size, static type identifier, name
// space, description, tags, and its fields or values in registration order.
//
// Not for: building descriptions by hand (use TypeRegistry::RegisterType or
// RegisterNative, register_native.h); this is the read side.
//
//   const TypeDescription* team = registry.FindTypeByName("Team");
//   for (const FieldDescription& field : team->fields) Print(field.name);
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sdk/value/binding_property.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/native/type_reference.h"

namespace kiv {

struct FieldDescription {
  std::string name;
  std::string description;
  uint32_t offset = 0;  ///< Byte position of the member in the native record.
  TypeReference type;
  uint32_t flags = 0;  ///< kOmitWhenBlank, kRequired (record_descriptor.h).
};

struct EnumValueDescription {
  std::string name;
  int32_t number = 0;
  std::string description;
};

/// Conversions of a native type known by identifier only at run time. Set for
/// types registered from a descriptor; both null for hand-built descriptions.
struct NativeConverter {
  void (*fromValue)(const BindingProperty& value, std::string_view name, void* native,
                    ConversionStatus& status) = nullptr;
  void (*toValue)(const void* native, BindingProperty& out, ConversionStatus& status) = nullptr;
};

/// The flag of an enum description; structures have 0.
inline constexpr uint32_t kEnumTypeFlag = 1;

struct TypeDescription {
  NativeType kind = NativeType::kStruct;  ///< kStruct or kEnum.
  std::string name;
  uint32_t size = 0;
  uint32_t staticTypeId = 0;
  uint32_t flag = 0;
  std::vector<std::string> nameSpace;
  std::string description;
  std::vector<std::string> tags;
  std::vector<FieldDescription> fields;      ///< Structures, in registration order.
  std::vector<EnumValueDescription> values;  ///< Enums, in registration order.
  std::map<std::string, int32_t, std::less<>> numbersByName;  ///< Enums.
  NativeConverter converter;

  bool IsEnum() const { return flag == kEnumTypeFlag; }
};

}  // namespace kiv
