// decode_text.h: turning one argument text into a value by its content type
// (or, for structured arguments without one, by sniffing its first bytes).
//
// Order: MessagePack by type ("application/x-msgpack", also "-ext"), then
// sniffed (a map or array header, structured only); JSON by type, then sniffed
// ("{" or "[" after leading spaces); YAML by type ("text/x-yaml"), then
// sniffed ("---" after leading spaces); "application/octet-stream" as a blob;
// anything else is the text as a string. Content types compare
// case-insensitively as prefixes.
//
//   ConversionStatus status;
//   BindingProperty ids = DecodeText("[1,2]", "", true, "ids", "GetX", status);
#pragma once

#include <string_view>

#include "sdk/value/binding_property.h"
#include "sdk/value/conversion_status.h"

namespace kiv {

/// Decodes `text`; a decoding failure sets "Couldn't deserialize <format>
/// value for parameter '<parameter>' of '<function>': <reason>" on `status`.
BindingProperty DecodeText(std::string_view text, std::string_view contentType, bool structured,
                           std::string_view parameter, std::string_view function,
                           ConversionStatus& status);

/// True when `text` starts with `prefix`, ignoring ASCII case.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

}  // namespace kiv
