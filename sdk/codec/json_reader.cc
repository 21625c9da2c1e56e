#include "sdk/codec/json_reader.h"

#include <locale.h>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
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
  if (length <= 16) {  // names mostly: a loop beats the call
    for (rapidjson::SizeType at = 0; at < length; ++at) {
      if (text[at] == '\0') return {text, at};
    }
    return {text, length};
  }
  const void* nul = std::memchr(text, '\0', length);
  return {text, nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : length};
}

/// The double that `text` (a JSON number, followed by a character that ends
/// it) stands for, in any locale; false when it is beyond the double range.
bool JsonDouble(const char* text, size_t length, double& out) {
  const auto [end, error] = std::from_chars(text, text + length, out);
  if (error == std::errc() && end == text + length) return true;
  // Out of range: strtod in the "C" locale tells overflow (infinite) from
  // underflow (zero or subnormal).
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
  out = strtod_l(text, nullptr, cLocale);
  return std::isfinite(out);
}

/// RapidJSON's SAX handler contract over ValueBuilder. Numbers arrive as
/// text: integers are converted exactly here, other numbers by a correctly
/// rounded conversion, so every double written in its shortest form reads
/// back as the same double.
class JsonHandler {
 public:
  /// `mayHoldNul`: whether the text escapes a NUL anywhere ("\u0000"), the
  /// only way a decoded string can hold one; without it strings are taken
  /// whole instead of searched.
  JsonHandler(ValueBuilder& builder, bool mayHoldNul)
      : builder_(builder), mayHoldNul_(mayHoldNul) {}

  bool Null() { return builder_.Null(); }
  bool Bool(bool value) { return builder_.Bool(value); }
  bool Int(int value) { return builder_.Signed(value); }
  bool Uint(unsigned value) { return builder_.Unsigned(value); }
  bool Int64(int64_t value) { return builder_.Signed(value); }
  bool Uint64(uint64_t value) { return builder_.Unsigned(value); }
  bool Double(double value) { return builder_.Float(value); }
  bool RawNumber(const char* text, rapidjson::SizeType length, bool) {
    const bool negative = text[0] == '-';
    const char* digits = text + negative;
    const char* end = text + length;
    uint64_t number = 0;
    bool integral = end - digits <= 20;
    // Nineteen digits never overflow; only a twentieth needs checking.
    const char* unchecked = end - digits <= 19 ? end : digits + 19;
    const char* at = digits;
    for (; integral && at != unchecked; ++at) {
      const unsigned digit = static_cast<unsigned char>(*at) - '0';
      integral = digit <= 9;
      number = number * 10 + digit;
    }
    for (; integral && at != end; ++at) {
      const unsigned digit = static_cast<unsigned char>(*at) - '0';
      integral = digit <= 9 && !__builtin_mul_overflow(number, 10u, &number) &&
                 !__builtin_add_overflow(number, digit, &number);
    }
    if (integral) {
      // "-0" is the integer 0, not a negative one: it reads as unsigned like
      // 0, so that every tree read from JSON writes back to an equal tree.
      if (!negative || number == 0) return builder_.Unsigned(number);
      if (number <= uint64_t{1} << 63) return builder_.Signed(static_cast<int64_t>(0 - number));
    }
    double value = 0;
    if (!JsonDouble(text, length, value)) {
      // The reader reports the stop at the number's first character.
      numberTooBig_ = true;
      return false;
    }
    return builder_.Float(value);
  }
  bool String(const char* text, rapidjson::SizeType length, bool) {
    return builder_.String(mayHoldNul_ ? UpToNul(text, length) : std::string_view(text, length));
  }
  bool StartObject() { return builder_.BeginMap(); }
  bool Key(const char* text, rapidjson::SizeType length, bool) {
    return builder_.Key(mayHoldNul_ ? UpToNul(text, length) : std::string_view(text, length));
  }
  bool EndObject(rapidjson::SizeType) { return builder_.EndMap(); }
  bool StartArray() { return builder_.BeginList(); }
  bool EndArray(rapidjson::SizeType) { return builder_.EndList(); }

  /// True when parsing stopped at a number beyond the double range.
  bool NumberTooBig() const { return numberTooBig_; }

 private:
  ValueBuilder& builder_;
  const bool mayHoldNul_;
  bool numberTooBig_ = false;
};

bool IsJsonBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

const char* JsonErrorText(unsigned code) {
  return code < std::size(kErrorTexts) ? kErrorTexts[code] : "Unknown error.";
}

namespace {

// Documents up to this size are copied once and parsed in place, which spares
// the parser copying every string and number onto its stack; larger ones are
// read where they lie, so a huge body is never held twice.
constexpr size_t kInPlaceLimit = 16 << 20;

// Parses from `stream`, which starts `skipped` bytes into the text (after
// leading blanks) and reads '\0' at its end.
template <unsigned kFlags, typename Stream>
BindingProperty Parse(Stream& stream, size_t skipped, bool mayHoldNul) {
  BindingProperty result;
  ValueBuilder builder(result);
  JsonHandler handler(builder, mayHoldNul);
  rapidjson::CrtAllocator stackAllocator;
  rapidjson::Reader reader(&stackAllocator);
  reader.Parse<kFlags | rapidjson::kParseNumbersAsStringsFlag>(stream, handler);
  if (!reader.HasParseError()) return result;

  const char* reason = JsonErrorText(reader.GetParseErrorCode());
  const size_t offset = reader.GetErrorOffset() + skipped;
  if (builder.DepthExceeded()) {
    reason = kTooDeep;
  } else if (handler.NumberTooBig()) {
    reason = JsonErrorText(rapidjson::kParseErrorNumberTooBig);
  }
  BindingProperty failed;
  failed.SetError(FormatMessage("Error: %1 at offset %2.", reason, static_cast<uint64_t>(offset)));
  return failed;
}

}  // namespace

BindingProperty ReadJson(const char* text) {
  return text == nullptr ? BindingProperty() : ReadJson(std::string_view(text));
}

BindingProperty ReadJson(std::string_view text) {
  size_t start = 0;
  while (start < text.size() && IsJsonBlank(text[start])) ++start;
  if (start == text.size() || text[start] == '\0') return BindingProperty();
  const std::string_view rest = text.substr(start);
  const bool mayHoldNul = rest.find("\\u0000") != std::string_view::npos;
  if (rest.size() <= kInPlaceLimit) {
    std::unique_ptr<char[]> copy = std::make_unique_for_overwrite<char[]>(rest.size() + 1);
    std::memcpy(copy.get(), rest.data(), rest.size());
    copy[rest.size()] = '\0';
    rapidjson::InsituStringStream stream(copy.get());
    return Parse<rapidjson::kParseInsituFlag>(stream, start, mayHoldNul);
  }
  // A memory stream reads '\0' at the end of the view, as at a NUL.
  rapidjson::MemoryStream stream(rest.data(), rest.size());
  return Parse<rapidjson::kParseNoFlags>(stream, start, mayHoldNul);
}

}  // namespace kiv
