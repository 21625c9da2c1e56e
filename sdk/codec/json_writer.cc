#include "sdk/codec/json_writer.h"

#include "sdk/codec/value_walk.h"

namespace kiv {

std::string WriteJson(const BindingProperty& value, const JsonWriteOptions& options) {
  if (options.lineBreak.empty()) {
    CompactJsonWriter writer(options.enumNames);
    WalkValue(value, writer);
    return writer.TakeText();
  }
  PrettyJsonWriter writer(options.enumNames);
  WalkValue(value, writer);
  if (options.lineBreak == "\n") return writer.TakeText();
  std::string text;
  const std::string_view pretty = writer.Text();
  text.reserve(pretty.size());
  for (const char c : pretty) {
    if (c == '\n') {
      text += options.lineBreak;
    } else {
      text += c;
    }
  }
  return text;
}

}  // namespace kiv
