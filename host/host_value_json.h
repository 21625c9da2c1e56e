// host_value_json.h: JSON text to and from the boundary's HostValue trees,
// for the host's own use (printing answers, stand-in bodies, service payloads).
//
// Printing follows the tags: empty -> null, bool, signed, unsigned, float
// (non-finite -> null), text (up to its first NUL or its size), bytes ->
// base64 text, collection -> array, structure -> object in member order.
// Enums cross the boundary as texts, so they print as texts. Parsing maps
// integers to signed when they fit, else unsigned; other numbers to float.
//
// Not for: the plugin's own JSON mapping; the host never shares its code.
//
//   std::string text = HostValueToJson(response.body.root(), JsonStyle::kPretty);
//   std::string error;
//   std::optional<OwnedHostValue> body = JsonToHostValue(R"({"state":"SUCCEEDED"})", &error);
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/owned_host_value.h"
#include "kiv_plugin_abi.h"

namespace kiv::host {

enum class JsonStyle { kCompact, kPretty };

/// Writes `value` as JSON. Any depth (no recursion); never fails.
std::string HostValueToJson(const HostValue& value, JsonStyle style = JsonStyle::kCompact);

/// Parses one JSON document; nullopt with `error` set (when not null) on a
/// syntax error or nesting deeper than 512 levels.
std::optional<OwnedHostValue> JsonToHostValue(std::string_view json, std::string* error);

}  // namespace kiv::host
