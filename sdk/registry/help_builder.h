// help_builder.h: the "Full" help of the registry: type identifiers, and the
// help records of functions, types and events, alone or as the whole API.
//
// Type identifiers: "vector" and "map" with the element's type name as
// elementType; enums and structures by their registered name, qualified by
// the name space when another type shares it ("enum" or "struct" when not
// registered); other types by their native type name.
// Name spaces are written as their segments joined with ".".
//
// Not for: the Epytext form (epytext.h).
//
//   BindingProperty help = BuildApiHelpValue(registry);
//   if (!help.IsValid()) return Answer(400, help.Error());
#pragma once

#include <string>
#include <vector>

#include "sdk/registry/help_records.h"
#include "sdk/registry/name_space.h"
#include "sdk/registry/type_registry.h"

namespace kiv {

/// The Full name of a type: "int64", "vector", a registered name, ...
std::string FullTypeName(const TypeReference& type, const TypeRegistry& registry);
BindingFullTypeIdentifier FullTypeIdentifier(const TypeReference& type,
                                             const TypeRegistry& registry);

BindingFullFunctionHelp FullFunctionHelp(const FunctionDescription& function,
                                         const TypeRegistry& registry);
/// `optional` of a field is its omit-when-blank flag: the member may be absent.
BindingFullTypeHelp FullTypeHelp(const TypeDescription& type, const TypeRegistry& registry);
BindingFullEventHelp FullEventHelp(const EventDescription& event, const TypeRegistry& registry);

/// Every function, type and event of the registry, in registration order.
BindingFullApiHelp BuildApiHelp(const TypeRegistry& registry);

/// BuildApiHelp as a value; on failure an invalid value holding the message.
BindingProperty BuildApiHelpValue(const TypeRegistry& registry);

}  // namespace kiv
