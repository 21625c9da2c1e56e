// format_message.h: FormatMessage, the positional message formatter used by
// every message that quotes values ("Value %1 for '%2' of type %3 ...").
//
// Format rules: "%%" writes "%"; "%N" inserts argument N (1-based) in its
// default text form; "%N$" followed by a printf conversion (flags "-+ #0",
// width, precision, length modifiers L j t z h hh l ll, conversion character)
// formats argument N with it; a printf conversion without a number takes the
// next argument in order. A conversion longer than 60 characters, an argument
// number beyond the list, or a malformed conversion ends the output there. The
// output is cut at 4095 characters.
//
// Not for: building large texts or JSON (the output is bounded).
//
//   FormatMessage("Value %1 for '%2' is out of range", -1, "count");
//   FormatMessage("%2$05d|%1", "a", 42);   // "00042|a"
//   FormatMessage("Error %i: %s", 404, "NotFound");
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace kiv {

/// One formatter argument, kept by reference for the duration of the call.
class FormatArgument {
 public:
  enum class Type : uint8_t { kSigned, kUnsigned, kFloat, kBool, kText };

  template <std::signed_integral T>
  FormatArgument(T value) : type_(Type::kSigned), signedNumber_(value) {}
  template <std::unsigned_integral T>
  requires(!std::same_as<T, bool>) FormatArgument(T value)
      : type_(Type::kUnsigned), unsignedNumber_(value) {}
  FormatArgument(bool value) : type_(Type::kBool), boolean_(value) {}
  FormatArgument(double value) : type_(Type::kFloat), floatNumber_(value) {}
  /// A null pointer formats as the empty string.
  FormatArgument(const char* text) : type_(Type::kText), text_(text ? text : "") {}
  FormatArgument(std::string_view text) : type_(Type::kText), text_(text) {}
  FormatArgument(const std::string& text) : type_(Type::kText), text_(text) {}

  Type GetType() const { return type_; }
  int64_t Signed() const { return signedNumber_; }
  uint64_t Unsigned() const { return unsignedNumber_; }
  double Float() const { return floatNumber_; }
  bool Bool() const { return boolean_; }
  std::string_view Text() const { return text_; }

 private:
  Type type_;
  union {
    int64_t signedNumber_;
    uint64_t unsignedNumber_;
    double floatNumber_;
    bool boolean_;
  };
  std::string_view text_;
};

/// The longest output, in characters.
inline constexpr size_t kMaxFormattedMessage = 4095;

/// Formats with arguments given as a list. Default text forms: integers in
/// decimal, strings unchanged, bool as "true"/"false", a double in its shortest
/// round-trip form.
std::string FormatMessageList(std::string_view format, const FormatArgument* arguments,
                              size_t count);

template <typename... Args>
std::string FormatMessage(std::string_view format, const Args&... arguments) {
  if constexpr (sizeof...(Args) == 0) {
    return FormatMessageList(format, nullptr, 0);
  } else {
    const FormatArgument list[] = {FormatArgument(arguments)...};
    return FormatMessageList(format, list, sizeof...(Args));
  }
}

}  // namespace kiv
