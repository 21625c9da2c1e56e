#include "sdk/rest/content_types.h"

#include <cctype>

#include "sdk/codec/json_reader.h"
#include "sdk/codec/msgpack_reader.h"
#include "sdk/codec/yaml_reader.h"

namespace kiv {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

std::optional<TextFormat> FormatOfContentType(std::string_view contentType, ContentUse use) {
  for (const ContentTypeRow& row : kContentTypes) {
    const bool applies = use == ContentUse::kBody ? row.bodies : row.argumentTexts;
    if (applies && StartsWithIgnoringCase(contentType, row.prefix)) return row.format;
  }
  return std::nullopt;
}

const char* FormatName(TextFormat format) {
  switch (format) {
    case TextFormat::kMessagePack:
      return "MessagePack";
    case TextFormat::kJson:
      return "JSON";
    case TextFormat::kYaml:
      return "YAML";
    case TextFormat::kBytes:
      return "bytes";
  }
  return "";
}

DecodedText ReadInFormat(TextFormat format, std::string_view text) {
  switch (format) {
    case TextFormat::kMessagePack: {
      MessagePackResult read =
          ReadMessagePack(reinterpret_cast<const uint8_t*>(text.data()), text.size());
      return {std::move(read.value), read.consumed};
    }
    case TextFormat::kJson:
      return {ReadJson(text), text.size()};
    case TextFormat::kYaml:
      return {ReadYaml(text), text.size()};
    case TextFormat::kBytes:
      return {BindingProperty(Blob(text.begin(), text.end())), text.size()};
  }
  return {};
}

}  // namespace kiv
