#include "sdk/rest/decode_text.h"

#include <string>

#include "sdk/rest/content_types.h"
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

BindingProperty Decoded(TextFormat format, std::string_view text, std::string_view parameter,
                        std::string_view function, ConversionStatus& status) {
  DecodedText decoded = ReadInFormat(format, text);
  if (decoded.value.IsValid()) return std::move(decoded.value);
  status.SetError(FormatMessage("Couldn't deserialize %1 value for parameter '%2' of '%3': %4",
                                FormatName(format), parameter, function, decoded.value.Error()));
  return BindingProperty();
}

}  // namespace

BindingProperty DecodeText(std::string_view text, std::string_view contentType, bool structured,
                           std::string_view parameter, std::string_view function,
                           ConversionStatus& status) {
  if (!status.IsValid()) return BindingProperty();
  if (const auto format = FormatOfContentType(contentType, ContentUse::kArgumentText)) {
    return Decoded(*format, text, parameter, function, status);
  }
  // A structured argument without a content type is recognised by its first
  // bytes: a MessagePack map or array header, "{" or "[", or "---".
  if (structured && contentType.empty()) {
    const std::string_view trimmed = SkipSpaces(text);
    if (SniffsAsMessagePack(text)) {
      return Decoded(TextFormat::kMessagePack, text, parameter, function, status);
    }
    if (!trimmed.empty() && (trimmed.front() == '{' || trimmed.front() == '[')) {
      return Decoded(TextFormat::kJson, text, parameter, function, status);
    }
    if (trimmed.substr(0, 3) == "---") {
      return Decoded(TextFormat::kYaml, text, parameter, function, status);
    }
  }
  return BindingProperty(text);
}

}  // namespace kiv
