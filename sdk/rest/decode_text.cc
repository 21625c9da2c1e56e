#include "sdk/rest/decode_text.h"

#include <cctype>
#include <string>

#include "sdk/codec/json_reader.h"
#include "sdk/codec/msgpack_reader.h"
#include "sdk/codec/yaml_reader.h"
#include "sdk/value/format_message.h"

namespace kiv {
namespace {

std::string_view SkipSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return text;
}

bool SniffsAsMessagePack(std::string_view text) {
  if (text.empty()) return false;
  const auto first = static_cast<uint8_t>(text.front());
  return (first >= 0x80 && first <= 0x9F) || (first >= 0xDC && first <= 0xDF);
}

BindingProperty Decoded(BindingProperty value, const char* format, std::string_view parameter,
                        std::string_view function, ConversionStatus& status) {
  if (value.IsValid()) return value;
  status.SetError(FormatMessage("Couldn't deserialize %1 value for parameter '%2' of '%3': %4",
                                format, parameter, function, value.Error()));
  return BindingProperty();
}

}  // namespace

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

BindingProperty DecodeText(std::string_view text, std::string_view contentType, bool structured,
                           std::string_view parameter, std::string_view function,
                           ConversionStatus& status) {
  if (!status.IsValid()) return BindingProperty();
  const bool sniff = structured && contentType.empty();
  if (StartsWithIgnoringCase(contentType, "application/x-msgpack") ||
      (sniff && SniffsAsMessagePack(text))) {
    MessagePackResult read =
        ReadMessagePack(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return Decoded(std::move(read.value), "MessagePack", parameter, function, status);
  }
  const std::string_view trimmed = SkipSpaces(text);
  if (StartsWithIgnoringCase(contentType, "application/json") ||
      (sniff && !trimmed.empty() && (trimmed.front() == '{' || trimmed.front() == '['))) {
    return Decoded(ReadJson(text), "JSON", parameter, function, status);
  }
  if (StartsWithIgnoringCase(contentType, "text/x-yaml") ||
      (sniff && trimmed.substr(0, 3) == "---")) {
    return Decoded(ReadYaml(text), "YAML", parameter, function, status);
  }
  if (StartsWithIgnoringCase(contentType, "application/octet-stream")) {
    return BindingProperty(Blob(text.begin(), text.end()));
  }
  return BindingProperty(text);
}

}  // namespace kiv
