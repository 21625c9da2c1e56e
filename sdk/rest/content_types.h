// content_types.h: the one table of content types the plugin reads, and the
// reading of a text in the format one names.
//
// A content type matches a row when it starts with the row's prefix,
// ignoring case ("application/x-msgpack" also covers
// "application/x-msgpack-ext", "application/json; charset=utf-8" is JSON).
// Each row says whether it names the format of request bodies, of argument
// texts, or of both: bodies know "application/vnd.api+json" and
// "application/x-yaml", argument texts "text/x-yaml" and
// "application/octet-stream".
//
// Not for: writing (the plugin answers in host values) or sniffing a text
// without a content type (decode_text.h).
//
//   auto format = FormatOfContentType("Application/JSON", ContentUse::kBody);  // kJson
//   DecodedText decoded = ReadInFormat(*format, body);
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "sdk/value/binding_property.h"

namespace kiv {

enum class TextFormat { kMessagePack, kJson, kYaml, kBytes };

/// Where a content type comes from.
enum class ContentUse { kBody, kArgumentText };

struct ContentTypeRow {
  std::string_view prefix;
  TextFormat format;
  bool bodies;
  bool argumentTexts;
};

inline constexpr ContentTypeRow kContentTypes[] = {
    {"application/x-msgpack", TextFormat::kMessagePack, true, true},
    {"application/json", TextFormat::kJson, true, true},
    {"application/vnd.api+json", TextFormat::kJson, true, false},
    {"application/x-yaml", TextFormat::kYaml, true, false},
    {"text/x-yaml", TextFormat::kYaml, false, true},
    {"application/octet-stream", TextFormat::kBytes, false, true},
};

/// The format `contentType` names for `use`, or nothing.
std::optional<TextFormat> FormatOfContentType(std::string_view contentType, ContentUse use);

/// The name messages use for a format: "MessagePack", "JSON", "YAML", "bytes".
const char* FormatName(TextFormat format);

struct DecodedText {
  /// Invalid with the reader's message when the text does not read.
  BindingProperty value;
  /// MessagePack: the bytes one value took (the rest is left over).
  size_t consumed = 0;
};

/// Reads `text` once, in `format`, where it lies (bytes become a blob).
DecodedText ReadInFormat(TextFormat format, std::string_view text);

/// True when `text` starts with `prefix`, ignoring ASCII case.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

}  // namespace kiv
