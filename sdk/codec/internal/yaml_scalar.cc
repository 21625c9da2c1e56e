#include "sdk/codec/internal/yaml_scalar.h"
#include "sdk/value/conversion_status.h"

#include <bit>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <span>

#include "sdk/value/binding_property.h"
#include "sdk/value/format_message.h"
#include "sdk/value/native/number_text.h"

namespace kiv::codec_internal {
namespace {

constexpr std::string_view kStrTag = "tag:yaml.org,2002:str";
constexpr std::string_view kIntTag = "tag:yaml.org,2002:int";
constexpr std::string_view kFloatTag = "tag:yaml.org,2002:float";
constexpr std::string_view kBoolTag = "tag:yaml.org,2002:bool";

// The bool spellings, checked by length first: most plain scalars are not
// bools, and a comparison of views of known length is a size check.
constexpr std::string_view kTrueSpellings[] = {"true", "True", "TRUE", "y",  "Y", "yes",
                                               "Yes",  "YES",  "on",   "On", "ON"};
constexpr std::string_view kFalseSpellings[] = {"false", "False", "FALSE", "n",   "N",  "no",
                                                "No",    "NO",    "off",   "Off", "OFF"};

bool IsOneOf(std::string_view text, std::span<const std::string_view> spellings) {
  for (const std::string_view spelling : spellings) {
    if (text == spelling) return true;
  }
  return false;
}

/// The value a bool spelling stands for; nothing for any other text.
std::optional<bool> BoolSpelling(std::string_view text) {
  if (text.size() > 5) return std::nullopt;
  if (IsOneOf(text, kTrueSpellings)) return true;
  if (IsOneOf(text, kFalseSpellings)) return false;
  return std::nullopt;
}

bool IsNullSpelling(std::string_view text) {
  return text.empty() || text == "~" || text == "null" || text == "Null" || text == "NULL";
}

YamlScalar Error(std::string message, std::string& error) {
  error = std::move(message);
  YamlScalar scalar;
  scalar.kind = YamlScalar::Kind::kError;
  return scalar;
}

// Tagged numbers follow the rules of the native conversions, reported with
// the name 'yaml'.
constexpr std::string_view kYamlName = "yaml";

YamlScalar TaggedInteger(std::string_view text, std::string& error) {
  YamlScalar scalar;
  ConversionStatus status;
  // A leading "-" reads as signed; anything else as unsigned, where a "-"
  // after white space is out of range.
  if (text.starts_with('-')) {
    scalar.signedNumber = ParseSignedText(text, kYamlName, "int64_t", status);
    scalar.kind = YamlScalar::Kind::kSigned;
  } else {
    scalar.unsignedNumber = ParseUnsignedText(text, kYamlName, "uint64_t", status);
    scalar.kind = YamlScalar::Kind::kUnsigned;
  }
  return status.IsValid() ? scalar : Error(std::string(status.Error()), error);
}

YamlScalar TaggedFloat(std::string_view text, std::string& error) {
  YamlScalar scalar;
  ConversionStatus status;
  // "inf" and "nan" are floats like any other: only overflow is out of range.
  scalar.floatNumber =
      ParseDoubleText(text, kYamlName, "double", status, std::numeric_limits<double>::infinity());
  scalar.kind = YamlScalar::Kind::kFloat;
  return status.IsValid() ? scalar : Error(std::string(status.Error()), error);
}

/// Integral values become integers when they fit; the others stay floats.
void TypeNumber(double number, YamlScalar& scalar) {
  if (std::trunc(number) == number) {
    if (number >= 0 && number < 18446744073709551616.0) {
      scalar.kind = YamlScalar::Kind::kUnsigned;
      scalar.unsignedNumber = static_cast<uint64_t>(number);
      return;
    }
    if (number < 0 && number >= -9223372036854775808.0) {
      scalar.kind = YamlScalar::Kind::kSigned;
      scalar.signedNumber = static_cast<int64_t>(number);
      return;
    }
  }
  scalar.kind = YamlScalar::Kind::kFloat;
  scalar.floatNumber = number;
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

static_assert(std::endian::native == std::endian::little, "eight digits are loaded little-endian");

/// True when each byte of `word` is an ASCII digit: its high nibble is 3, and
/// adding 6 does not carry out of its low nibble.
bool AreEightDigits(uint64_t word) {
  return ((word & 0xF0F0F0F0F0F0F0F0) |
          (((word + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4)) == 0x3333333333333333;
}

/// The value of eight ASCII digits, the first in the lowest byte: pairs,
/// then fours, then the eight are combined, each step one multiply.
uint64_t EightDigitsValue(uint64_t word) {
  word = ((word & 0x0F0F0F0F0F0F0F0F) * (10 * 256 + 1)) >> 8;
  word = ((word & 0x00FF00FF00FF00FF) * (100 * 65536 + 1)) >> 16;
  return ((word & 0x0000FFFF0000FFFF) * (10000 * 4294967296ull + 1)) >> 32;
}

/// Texts of an optional "-", 1 to 19 digits and at most one ".", typed
/// without strtod and to the same result: an integer below 2^53 is exact, a
/// larger one is rounded to a double as strtod rounds it, and a fraction of
/// up to 15 significant digits is one correctly rounded division of two
/// exact doubles. False for any other text.
bool DecimalNumber(std::string_view text, YamlScalar& scalar) {
  const bool negative = text.starts_with('-');
  const std::string_view body = negative ? text.substr(1) : text;
  const char* at = body.data();
  const char* const end = at + body.size();
  // Wraps past 19 digits, where the text is refused anyway.
  uint64_t mantissa = 0;
  const auto readDigits = [&] {
    const char* const start = at;
    // Eight digits at a time while eight remain: timestamps and ids are long.
    while (end - at >= 8) {
      uint64_t word;
      std::memcpy(&word, at, 8);
      if (!AreEightDigits(word)) break;
      mantissa = mantissa * 100000000 + EightDigitsValue(word);
      at += 8;
    }
    for (unsigned digit; at != end && (digit = static_cast<unsigned char>(*at) - '0') < 10; ++at) {
      mantissa = mantissa * 10 + digit;
    }
    return static_cast<size_t>(at - start);
  };
  size_t digits = readDigits();
  const bool point = at != end && *at == '.';
  size_t fractionDigits = 0;
  if (point) {
    ++at;
    fractionDigits = readDigits();
    digits += fractionDigits;
  }
  if (at != end || digits == 0 || digits > 19) return false;
  if (!point && mantissa < (uint64_t{1} << 53)) {
    if (negative && mantissa != 0) {
      scalar.kind = YamlScalar::Kind::kSigned;
      scalar.signedNumber = -static_cast<int64_t>(mantissa);
    } else {
      scalar.kind = YamlScalar::Kind::kUnsigned;
      scalar.unsignedNumber = mantissa;
    }
    return true;
  }
  if (point && digits > 15) return false;
  const double magnitude = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
  TypeNumber(negative ? -magnitude : magnitude, scalar);
  return true;
}

/// Plain text that strtod reads completely, as a number; false otherwise.
bool PlainNumber(std::string_view text, YamlScalar& scalar) {
  if (DecimalNumber(text, scalar)) return true;
  // Only texts that can start a number reach strtod.
  const unsigned char c = static_cast<unsigned char>(text[0]);
  const bool mayStartNumber = (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' ||
                              c == 'i' || c == 'I' || c == 'n' || c == 'N' || std::isspace(c);
  if (!mayStartNumber) return false;
  char* end = nullptr;
  const double number = std::strtod(text.data(), &end);
  if (end != text.data() + text.size() || number == HUGE_VAL) return false;
  TypeNumber(number, scalar);
  return true;
}

}  // namespace

YamlScalar TypeYamlScalar(const char* tag, std::string_view text, bool quoted, std::string& error) {
  YamlScalar scalar;
  if (tag != nullptr) {
    const std::string_view name(tag);
    if (name == kStrTag) {
      scalar.kind = YamlScalar::Kind::kString;
    } else if (name == kIntTag) {
      return TaggedInteger(text, error);
    } else if (name == kFloatTag) {
      return TaggedFloat(text, error);
    } else if (name == kBoolTag) {
      // Any other text leaves the value empty, without a message.
      if (const std::optional<bool> spelled = BoolSpelling(text)) {
        scalar.kind = YamlScalar::Kind::kBool;
        scalar.boolean = *spelled;
      }
    } else {
      return Error(FormatMessage("Unsupported YAML tag '%1'.", name), error);
    }
    return scalar;
  }
  if (quoted) {
    scalar.kind = YamlScalar::Kind::kString;
    return scalar;
  }
  if (IsNullSpelling(text)) return scalar;
  if (PlainNumber(text, scalar)) return scalar;
  if (const std::optional<bool> spelled = BoolSpelling(text)) {
    scalar.kind = YamlScalar::Kind::kBool;
    scalar.boolean = *spelled;
    return scalar;
  }
  scalar.kind = YamlScalar::Kind::kString;
  return scalar;
}

}  // namespace kiv::codec_internal
