#include "sdk/runtime/plugin_api_version.h"

namespace kiv {

std::string PluginApiVersion::ToText() const {
  std::string text =
      std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
  if (!prerelease.empty()) text += "-" + prerelease;
  if (!build.empty()) text += "+" + build;
  return text;
}

PluginApiVersion PluginVersion() { return PluginApiVersion{18, 0, 0, "", ""}; }

bool IsCompatibleHost(const PluginApiVersion& plugin, const PluginApiVersion& host) {
  if (host.major != plugin.major) return false;
  return host.minor > plugin.minor || (host.minor == plugin.minor && host.patch >= plugin.patch);
}

}  // namespace kiv
