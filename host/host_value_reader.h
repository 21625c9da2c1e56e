// host_value_reader.h: reads members, texts and lists out of a HostValue
// tree without copying it: what stand-in neighbours read from the plugin's
// requests, and the gateway from the help records of the API description
// and from event bodies. Answers are built the other way, from JSON text
// (host_value_json.h: JsonToHostValue) or with owned_host_value.h.
//
// Every read tolerates the wrong shape: a missing member, a text where a
// list was expected and so on read as absent or empty, never as an error.
//
// Not for: building values (owned_host_value.h) or printing them
// (host_value_json.h).
//
//   const HostValue* arguments = FindMember(functionHelp, "arguments");
//   for (const HostValue& argument : ItemsOf(arguments)) Use(TextOf(FindMember(argument, "name")));
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "kiv_plugin_abi.h"

namespace kiv::host {

/// The member `name` of a structure; null when absent or not a structure.
const HostValue* FindMember(const HostValue& value, std::string_view name);
inline const HostValue* FindMember(const HostValue* value, std::string_view name) {
  return value ? FindMember(*value, name) : nullptr;
}

/// The text of a text value (up to its first NUL or its size); nullopt for
/// anything else, null included.
std::optional<std::string_view> TextIf(const HostValue* value);
/// TextIf, or "" when absent.
inline std::string TextOf(const HostValue* value) {
  return std::string(TextIf(value).value_or(std::string_view()));
}

/// A bool, or false.
bool BoolOf(const HostValue* value);
/// A signed or unsigned number that fits in int64; nullopt otherwise.
std::optional<int64_t> IntegerIf(const HostValue* value);

/// The items of a collection; empty for anything else.
std::span<const HostValue> ItemsOf(const HostValue* value);

}  // namespace kiv::host
