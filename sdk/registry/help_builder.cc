#include "sdk/registry/help_builder.h"
#include "sdk/value/conversion_status.h"

#include "sdk/registry/register_native.h"
#include "sdk/value/native/convert.h"

namespace kiv {

std::string FullTypeName(const TypeReference& type, const TypeRegistry& registry) {
  if (type.type == NativeType::kEnum || type.type == NativeType::kStruct) {
    if (const TypeDescription* registered = registry.FindTypeById(type.typeId)) {
      return registry.ReferenceName(*registered);
    }
  }
  return NativeTypeName(type.type);
}

BindingFullTypeIdentifier FullTypeIdentifier(const TypeReference& type,
                                             const TypeRegistry& registry) {
  BindingFullTypeIdentifier identifier{FullTypeName(type, registry), {}};
  if ((type.type == NativeType::kVector || type.type == NativeType::kMap) && type.element) {
    identifier.elementType = FullTypeName(*type.element, registry);
  }
  return identifier;
}

BindingFullFunctionHelp FullFunctionHelp(const FunctionDescription& function,
                                         const TypeRegistry& registry) {
  BindingFullFunctionHelp help;
  help.name = function.name;
  help.nameSpace = JoinNameSpace(function.nameSpace);
  help.arguments.reserve(function.arguments.size());
  for (const ArgumentDescription& argument : function.arguments) {
    help.arguments.push_back({argument.name, argument.description,
                              FullTypeIdentifier(argument.type, registry), argument.optional});
  }
  help.returns = FullTypeIdentifier(function.result, registry);
  help.description = function.description;
  help.help = function.help;
  help.threadSafe = function.threadSafe;
  if (function.async.type != NativeType{}) help.async = FullTypeName(function.async, registry);
  help.tags = function.tags;
  return help;
}

BindingFullTypeHelp FullTypeHelp(const TypeDescription& type, const TypeRegistry& registry) {
  BindingFullTypeHelp help;
  help.name = type.name;
  help.nameSpace = JoinNameSpace(type.nameSpace);
  help.size = type.size;
  help.description = type.description;
  help.tags = type.tags;
  help.fields.reserve(type.fields.size());
  for (const FieldDescription& field : type.fields) {
    help.fields.push_back({field.name, field.description, field.offset,
                           FullTypeIdentifier(field.type, registry),
                           (field.flags & kOmitWhenBlank) != 0});
  }
  help.values.reserve(type.values.size());
  for (const EnumValueDescription& value : type.values) {
    help.values.push_back({value.name, value.description, value.number});
  }
  return help;
}

BindingFullEventHelp FullEventHelp(const EventDescription& event, const TypeRegistry& registry) {
  return {event.name, JoinNameSpace(event.nameSpace), FullTypeIdentifier(event.type, registry),
          event.description, event.tags};
}

BindingFullApiHelp BuildApiHelp(const TypeRegistry& registry) {
  BindingFullApiHelp help;
  for (const FunctionDescription& function : registry.Functions()) {
    help.functions.push_back(FullFunctionHelp(function, registry));
  }
  for (const TypeDescription& type : registry.Types()) {
    help.types.push_back(FullTypeHelp(type, registry));
  }
  for (const EventDescription& event : registry.Events()) {
    help.events.push_back(FullEventHelp(event, registry));
  }
  return help;
}

BindingProperty BuildApiHelpValue(const TypeRegistry& registry) {
  ConversionStatus status;
  BindingProperty value = ToValue(BuildApiHelp(registry), status);
  if (!status.IsValid()) {
    BindingProperty failed;
    failed.SetError(status.Error());
    return failed;
  }
  return value;
}

}  // namespace kiv
