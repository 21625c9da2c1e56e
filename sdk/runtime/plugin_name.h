// plugin_name.h: a plugin's names, derived from its short name and type.
//
//   GetFullNameFromShortNameAndType("kiv-joust", "backend", "").fullName
//   // "vmk-be-kiv-joust"
#pragma once

#include <string>
#include <string_view>

namespace kiv {

struct PluginNameRecord {
  std::string fullName;
  std::string shortName;
  std::string type;
  std::string qualifier;
};

/// Prefixes the short name by type ("backend" "vmk-be-", "frontend" "vmk-fe-",
/// anything else "vmk-xx-", which is also logged as an error).
PluginNameRecord GetFullNameFromShortNameAndType(std::string_view shortName, std::string_view type,
                                                 std::string_view qualifier);

}  // namespace kiv
