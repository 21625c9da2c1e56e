// plugin_api_version.h: the plugin API version and the handshake's
// compatibility rule.
//
//   PluginApiVersion host{18, 3, 1};
//   IsCompatibleHost(kPluginApiVersion, host);  // true
//   host.ToText();                              // "18.3.1"
#pragma once

#include <cstdint>
#include <string>

namespace kiv {

struct PluginApiVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t patch = 0;
  std::string prerelease;
  std::string build;

  /// "%1.%2.%3", then "-" and the prerelease and "+" and the build, each only
  /// when not empty: "18.0.0-beta+7".
  std::string ToText() const;
};

/// The plugin API version this library speaks: 18.0.0.
PluginApiVersion PluginVersion();

/// True when a host at `host` can load a plugin at `plugin`: same major, and
/// (minor, patch) of the host not below the plugin's.
bool IsCompatibleHost(const PluginApiVersion& plugin, const PluginApiVersion& host);

}  // namespace kiv
