#include "sdk/codec/json_reader.h"

#include <cstring>
#include <string_view>

#include "sdk/codec/internal/rapidjson.h"
#include "sdk/codec/value_builder.h"
#include "sdk/value/format_message.h"

namespace kiv {
namespace {

constexpr const char* kErrorTexts[] = {
    "No error.",
    "The document is empty.",
    "The document root must not be followed by other values.",
    "Invalid value.",
    "Missing a name for object member.",
    "Missing a colon after a name of object member.",
    "Missing a comma or '}' after an object member.",
    "Missing a comma or ']' after an array element.",
    "Incorrect hex digit after \\u escape in string.",
    "The surrogate pair in string is invalid.",
    "Invalid escape character in string.",
    "Missing a closing quotation mark in string.",
    "Invalid encoding in string.",
    "Number too big to be stored in double.",
    "Miss fraction part in number.",
    "Miss exponent in number.",
    "Terminate parsing due to Handler error.",
    "Unspecific syntax error.",
};

constexpr const char* kTooDeep = "The document is nested deeper than 256 levels.";
static_assert(kMaxNestingDepth == 256, "update kTooDeep");

/// Strings and names end at their first NUL (an escaped \u0000 cuts them).
std::string_view UpToNul(const char* text, rapidjson::SizeType length) {
  const void* nul = std::memchr(text, '\0', length);
  return {text, nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : length};
}

/// RapidJSON's SAX handler contract over ValueBuilder.
class JsonHandler {
 public:
  explicit JsonHandler(ValueBuilder& builder) : builder_(builder) {}

  bool Null() { return builder_.Null(); }
  bool Bool(bool value) { return builder_.Bool(value); }
  bool Int(int value) { return builder_.Signed(value); }
  bool Uint(unsigned value) { return builder_.Unsigned(value); }
  bool Int64(int64_t value) { return builder_.Signed(value); }
  bool Uint64(uint64_t value) { return builder_.Unsigned(value); }
  bool Double(double value) { return builder_.Float(value); }
  bool RawNumber(const char*, rapidjson::SizeType, bool) { return false; }
  bool String(const char* text, rapidjson::SizeType length, bool) {
    return builder_.String(UpToNul(text, length));
  }
  bool StartObject() { return builder_.BeginMap(); }
  bool Key(const char* text, rapidjson::SizeType length, bool) {
    return builder_.Key(UpToNul(text, length));
  }
  bool EndObject(rapidjson::SizeType) { return builder_.EndMap(); }
  bool StartArray() { return builder_.BeginList(); }
  bool EndArray(rapidjson::SizeType) { return builder_.EndList(); }

 private:
  ValueBuilder& builder_;
};

bool IsJsonBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

const char* JsonErrorText(unsigned code) {
  return code < std::size(kErrorTexts) ? kErrorTexts[code] : "Unknown error.";
}

BindingProperty ReadJson(const char* text) {
  BindingProperty result;
  if (text == nullptr) return result;
  const char* start = text;
  while (IsJsonBlank(*start)) ++start;
  if (*start == '\0') return result;

  ValueBuilder builder(result);
  JsonHandler handler(builder);
  rapidjson::CrtAllocator stackAllocator;
  rapidjson::Reader reader(&stackAllocator);
  // Full precision: a double written in its shortest form reads back as the
  // same double.
  rapidjson::StringStream stream(start);
  reader.Parse<rapidjson::kParseFullPrecisionFlag>(stream, handler);
  if (!reader.HasParseError()) return result;

  const char* reason =
      builder.DepthExceeded() ? kTooDeep : JsonErrorText(reader.GetParseErrorCode());
  const uint64_t offset = static_cast<uint64_t>(start - text) + reader.GetErrorOffset();
  BindingProperty failed;
  failed.SetError(FormatMessage("Error: %1 at offset %2.", reason, offset));
  return failed;
}

}  // namespace kiv
