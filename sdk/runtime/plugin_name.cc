#include "sdk/runtime/plugin_name.h"

#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"

namespace kiv {

PluginNameRecord GetFullNameFromShortNameAndType(std::string_view shortName, std::string_view type,
                                                 std::string_view qualifier) {
  std::string prefix;
  if (type == "backend") {
    prefix = "vmk-be-";
  } else if (type == "frontend") {
    prefix = "vmk-fe-";
  } else {
    prefix = "vmk-xx-";
    const std::string message = "GetFullNameFromShortNameAndType(\"" + std::string(shortName) +
                                "\", \"" + std::string(type) + "\") called with an unknown type";
    Log(kLogError, kGroupDbg, "            Plugin Manager| %s", message.c_str());
  }
  return PluginNameRecord{prefix + std::string(shortName), std::string(shortName),
                          std::string(type), std::string(qualifier)};
}

}  // namespace kiv
