#include "sdk/codec/internal/yaml_scalar.h"
#include "sdk/value/conversion_status.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "sdk/value/binding_property.h"
#include "sdk/value/format_message.h"
#include "sdk/value/native/number_text.h"

namespace kiv::codec_internal {
namespace {

constexpr std::string_view kStrTag = "tag:yaml.org,2002:str";
constexpr std::string_view kIntTag = "tag:yaml.org,2002:int";
constexpr std::string_view kFloatTag = "tag:yaml.org,2002:float";
constexpr std::string_view kBoolTag = "tag:yaml.org,2002:bool";

bool IsTrueSpelling(std::string_view text) {
  for (const char* spelling :
       {"true", "True", "TRUE", "y", "Y", "yes", "Yes", "YES", "on", "On", "ON"}) {
    if (text == spelling) return true;
  }
  return false;
}

bool IsFalseSpelling(std::string_view text) {
  for (const char* spelling :
       {"false", "False", "FALSE", "n", "N", "no", "No", "NO", "off", "Off", "OFF"}) {
    if (text == spelling) return true;
  }
  return false;
}

bool IsNullSpelling(std::string_view text) {
  return text.empty() || text == "~" || text == "null" || text == "Null" || text == "NULL";
}

YamlScalar Error(std::string message) {
  YamlScalar scalar;
  scalar.kind = YamlScalar::Kind::kError;
  scalar.error = std::move(message);
  return scalar;
}

// Tagged numbers follow the rules of the native conversions, reported with
// the name 'yaml'.
constexpr std::string_view kYamlName = "yaml";

YamlScalar TaggedInteger(std::string_view text) {
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
  return status.IsValid() ? scalar : Error(std::string(status.Error()));
}

YamlScalar TaggedFloat(std::string_view text) {
  YamlScalar scalar;
  ConversionStatus status;
  // "inf" and "nan" are floats like any other: only overflow is out of range.
  scalar.floatNumber =
      ParseDoubleText(text, kYamlName, "double", status, std::numeric_limits<double>::infinity());
  scalar.kind = YamlScalar::Kind::kFloat;
  return status.IsValid() ? scalar : Error(std::string(status.Error()));
}

/// Plain text that strtod reads completely, as a number; false otherwise.
bool PlainNumber(std::string_view text, YamlScalar& scalar) {
  // Fast path: up to 15 decimal digits are exact in a double.
  const bool negative = text.starts_with('-');
  const std::string_view digits = negative ? text.substr(1) : text;
  if (!digits.empty() && digits.size() <= 15) {
    uint64_t number = 0;
    size_t i = 0;
    for (; i < digits.size() && digits[i] >= '0' && digits[i] <= '9'; ++i) {
      number = number * 10 + static_cast<uint64_t>(digits[i] - '0');
    }
    if (i == digits.size()) {
      if (negative && number != 0) {
        scalar.kind = YamlScalar::Kind::kSigned;
        scalar.signedNumber = -static_cast<int64_t>(number);
      } else {
        scalar.kind = YamlScalar::Kind::kUnsigned;
        scalar.unsignedNumber = number;
      }
      return true;
    }
  }
  // Only texts that can start a number reach strtod.
  const unsigned char c = static_cast<unsigned char>(text[0]);
  const bool mayStartNumber = (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' ||
                              c == 'i' || c == 'I' || c == 'n' || c == 'N' || std::isspace(c);
  if (!mayStartNumber) return false;
  char* end = nullptr;
  const double number = std::strtod(text.data(), &end);
  if (end != text.data() + text.size() || number == HUGE_VAL) return false;
  // Integral values become integers when they fit; the others stay floats.
  if (std::trunc(number) == number) {
    if (number >= 0 && number < 18446744073709551616.0) {
      scalar.kind = YamlScalar::Kind::kUnsigned;
      scalar.unsignedNumber = static_cast<uint64_t>(number);
      return true;
    }
    if (number < 0 && number >= -9223372036854775808.0) {
      scalar.kind = YamlScalar::Kind::kSigned;
      scalar.signedNumber = static_cast<int64_t>(number);
      return true;
    }
  }
  scalar.kind = YamlScalar::Kind::kFloat;
  scalar.floatNumber = number;
  return true;
}

}  // namespace

YamlScalar TypeYamlScalar(const char* tag, std::string_view text, bool quoted) {
  YamlScalar scalar;
  if (tag != nullptr) {
    const std::string_view name(tag);
    if (name == kStrTag) {
      scalar.kind = YamlScalar::Kind::kString;
    } else if (name == kIntTag) {
      return TaggedInteger(text);
    } else if (name == kFloatTag) {
      return TaggedFloat(text);
    } else if (name == kBoolTag) {
      // Any other text leaves the value empty, without a message.
      if (IsTrueSpelling(text) || IsFalseSpelling(text)) {
        scalar.kind = YamlScalar::Kind::kBool;
        scalar.boolean = IsTrueSpelling(text);
      }
    } else {
      return Error(FormatMessage("Unsupported YAML tag '%1'.", name));
    }
    return scalar;
  }
  if (quoted) {
    scalar.kind = YamlScalar::Kind::kString;
    return scalar;
  }
  if (IsNullSpelling(text)) return scalar;
  if (PlainNumber(text, scalar)) return scalar;
  if (IsTrueSpelling(text) || IsFalseSpelling(text)) {
    scalar.kind = YamlScalar::Kind::kBool;
    scalar.boolean = IsTrueSpelling(text);
    return scalar;
  }
  scalar.kind = YamlScalar::Kind::kString;
  return scalar;
}

}  // namespace kiv::codec_internal
