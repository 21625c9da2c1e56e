// epytext.h: the "Epytext" help forms: type names ("list[int64]",
// "dict[string]", "L{Team}", "bytearray"), escaping of free text, and the
// help blocks of functions, structures and enums, lines separated by "\r\n".
//
// Not for: the "Full" help records (help_builder.h).
//
//   EpytextType(TypeReferenceOf<std::vector<int64_t>>(), registry);  // "list[int64]"
//   EscapeEpytext("-a {b}");                                         // "E{-}a E{lb}bE{rb}"
//   std::string block = EpytextFunctionHelp(function, registry);
#pragma once

#include <string>
#include <string_view>

#include "sdk/registry/type_registry.h"

namespace kiv {

std::string EpytextType(const TypeReference& type, const TypeRegistry& registry);

/// A leading "-" becomes "E{-}", every "{" "E{lb}" and every "}" "E{rb}".
std::string EscapeEpytext(std::string_view text);

/// Description, help text, "@param"/"@type" per argument, "@rtype", and
/// "@tags", "@threadsafe", "@async" when they apply.
std::string EpytextFunctionHelp(const FunctionDescription& function, const TypeRegistry& registry);

/// Description, then "@ivar"/"@type" per field (structures) or "@cvar" per
/// value and "@size" (enums), then "@tags" when tagged.
std::string EpytextTypeHelp(const TypeDescription& type, const TypeRegistry& registry);

}  // namespace kiv
