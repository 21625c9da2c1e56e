// decode_text.h: turning one argument text into a value by its content type
// (or, for structured arguments without one, by sniffing its first bytes).
//
// A content type that the table of content types (content_types.h) names for
// argument texts decides the format: MessagePack, JSON, YAML
// ("text/x-yaml") or bytes ("application/octet-stream", a blob). A
// structured argument without a content type is sniffed: a MessagePack map or
// array header, then "{" or "[" after leading spaces (JSON), then "---"
// (YAML). Anything else is the text as a string.
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

}  // namespace kiv
