#include "sdk/value/native/scalar_conversion.h"

#include <cmath>
#include <optional>

#include "sdk/value/enum_description.h"
#include "sdk/value/format_message.h"
#include "sdk/value/native/conversion_messages.h"
#include "sdk/value/native/number_text.h"

namespace kiv {
namespace {

template <typename Number>
void ReportRange(Number number, std::string_view name, std::string_view typeName,
                 ConversionStatus& status) {
  status.SetError(
      FormatMessage("Value %1 for '%2' of type %3 is out of range", number, name, typeName));
}

// 2^63 and 2^64: the first doubles above the int64 and uint64 ranges. A double
// equal to the upper limit converted to double saturates instead of
// overflowing the cast.
constexpr double kTwoTo63 = 9223372036854775808.0;
constexpr double kTwoTo64 = 18446744073709551616.0;

std::optional<int32_t> RegisteredNumber(std::span<const EnumEntry> entries, int64_t number,
                                        bool unnamedNumbers) {
  if (unnamedNumbers && number >= INT32_MIN && number <= INT32_MAX) {
    return static_cast<int32_t>(number);
  }
  for (const EnumEntry& entry : entries) {
    if (entry.number == number) return entry.number;
  }
  return std::nullopt;
}

void ReportNotEnumValue(std::string_view shown, std::string_view typeName, std::string_view name,
                        ConversionStatus& status) {
  status.SetError(
      FormatMessage("%1 is not a valid %2 enumeration value for '%3'.", shown, typeName, name));
}

}  // namespace

int64_t ValueToSigned(const BindingProperty& value, std::string_view name,
                      std::string_view typeName, int64_t minimum, int64_t maximum,
                      ConversionStatus& status) {
  if (!status.IsValid()) return 0;
  switch (value.Kind()) {
    case ValueKind::kEmpty:
      ReportRequired(name, status);
      return 0;
    case ValueKind::kSigned: {
      const int64_t number = value.GetSigned();
      if (number >= minimum && number <= maximum) return number;
      ReportRange(number, name, typeName, status);
      return 0;
    }
    case ValueKind::kUnsigned: {
      const uint64_t number = value.GetUnsigned();
      if (maximum >= 0 && number <= static_cast<uint64_t>(maximum))
        return static_cast<int64_t>(number);
      ReportRange(number, name, typeName, status);
      return 0;
    }
    case ValueKind::kFloat: {
      const double number = value.GetFloat();
      if (number < static_cast<double>(minimum) || number > static_cast<double>(maximum)) {
        ReportRange(number, name, typeName, status);
        return 0;
      }
      if (std::isnan(number)) return 0;
      if (number >= kTwoTo63) return maximum;
      return static_cast<int64_t>(number);
    }
    case ValueKind::kString:
      return ParseSignedText(value.GetString(), name, typeName, status, minimum, maximum);
    case ValueKind::kEnum: {
      const int32_t number = value.GetEnum().number;
      if (number >= minimum && number <= maximum) return number;
      ReportRange(number, name, typeName, status);
      return 0;
    }
    default:
      ReportInvalidType(name, typeName, value.Kind(), status);
      return 0;
  }
}

uint64_t ValueToUnsigned(const BindingProperty& value, std::string_view name,
                         std::string_view typeName, uint64_t maximum, ConversionStatus& status) {
  if (!status.IsValid()) return 0;
  switch (value.Kind()) {
    case ValueKind::kEmpty:
      ReportRequired(name, status);
      return 0;
    case ValueKind::kSigned: {
      const int64_t number = value.GetSigned();
      if (number >= 0 && static_cast<uint64_t>(number) <= maximum) return number;
      ReportRange(number, name, typeName, status);
      return 0;
    }
    case ValueKind::kUnsigned: {
      const uint64_t number = value.GetUnsigned();
      if (number <= maximum) return number;
      ReportRange(number, name, typeName, status);
      return 0;
    }
    case ValueKind::kFloat: {
      const double number = value.GetFloat();
      if (number < 0.0 || number > static_cast<double>(maximum)) {
        ReportRange(number, name, typeName, status);
        return 0;
      }
      if (std::isnan(number)) return 0;
      if (number >= kTwoTo64) return maximum;
      return static_cast<uint64_t>(number);
    }
    case ValueKind::kString:
      return ParseUnsignedText(value.GetString(), name, typeName, status, maximum);
    case ValueKind::kEnum: {
      const int32_t number = value.GetEnum().number;
      if (number >= 0 && static_cast<uint64_t>(number) <= maximum) return number;
      ReportRange(number, name, typeName, status);
      return 0;
    }
    default:
      ReportInvalidType(name, typeName, value.Kind(), status);
      return 0;
  }
}

double ValueToDouble(const BindingProperty& value, std::string_view name, std::string_view typeName,
                     double limit, ConversionStatus& status) {
  if (!status.IsValid()) return 0.0;
  double number = 0.0;
  switch (value.Kind()) {
    case ValueKind::kEmpty:
      ReportRequired(name, status);
      return 0.0;
    case ValueKind::kSigned:
      if (static_cast<double>(value.GetSigned()) < -limit) {
        ReportRange(value.GetSigned(), name, typeName, status);
        return 0.0;
      }
      return static_cast<double>(value.GetSigned());
    case ValueKind::kUnsigned:
      if (static_cast<double>(value.GetUnsigned()) > limit) {
        ReportRange(value.GetUnsigned(), name, typeName, status);
        return 0.0;
      }
      return static_cast<double>(value.GetUnsigned());
    case ValueKind::kFloat:
      number = value.GetFloat();
      if (number < -limit || number > limit) {
        ReportRange(number, name, typeName, status);
        return 0.0;
      }
      return number;
    case ValueKind::kString:
      return ParseDoubleText(value.GetString(), name, typeName, status, limit);
    case ValueKind::kEnum:
      return value.GetEnum().number;
    default:
      ReportInvalidType(name, typeName, value.Kind(), status);
      return 0.0;
  }
}

bool ValueToBool(const BindingProperty& value, std::string_view name, ConversionStatus& status) {
  if (!status.IsValid()) return false;
  if (value.IsEmpty()) {
    ReportRequired(name, status);
    return false;
  }
  if (value.Kind() == ValueKind::kBool) return value.GetBool();
  if (value.IsString()) {
    const std::string_view text = value.GetString();
    if (text == "true" || text == "1") return true;
    if (text == "false" || text == "0") return false;
    status.SetError(FormatMessage(
        "Value %1 for '%2' of type bool is in an incorrect format. Options are \"true\", "
        "\"false\", \"1\", \"0\".",
        text, name));
    return false;
  }
  status.SetError(FormatMessage(
      "Couldn't assign value to '%1' of type bool because the input is of an invalid type %2.",
      name, KindName(value.Kind())));
  return false;
}

std::string ValueToString(const BindingProperty& value, std::string_view name,
                          ConversionStatus& status) {
  if (!status.IsValid()) return {};
  switch (value.Kind()) {
    case ValueKind::kEmpty:
      ReportRequired(name, status);
      return {};
    case ValueKind::kString:
      return std::string(value.GetString());
    case ValueKind::kEnum: {
      const EnumValue enumValue = value.GetEnum();
      const char* registered = enumValue.type ? enumValue.type->NameOf(enumValue.number) : nullptr;
      if (registered) return registered;
      status.SetError(
          FormatMessage("%1 is not a valid enumeration value for '%2'.", enumValue.number, name));
      return {};
    }
    default:
      status.SetError(
          FormatMessage("Couldn't assign value to '%1' because the input is not a string.", name));
      return {};
  }
}

int32_t ValueToEnumNumber(const BindingProperty& value, std::string_view name,
                          std::string_view typeName, std::span<const EnumEntry> entries,
                          ConversionStatus& status, bool unnamedNumbers) {
  if (!status.IsValid()) return 0;
  switch (value.Kind()) {
    case ValueKind::kEmpty:
      ReportRequired(name, status);
      return 0;
    case ValueKind::kSigned:
      if (auto number = RegisteredNumber(entries, value.GetSigned(), unnamedNumbers))
        return *number;
      ReportNotEnumValue(value.ToString(), typeName, name, status);
      return 0;
    case ValueKind::kUnsigned: {
      const uint64_t number = value.GetUnsigned();
      if (number <= static_cast<uint64_t>(INT32_MAX)) {
        if (auto found = RegisteredNumber(entries, static_cast<int64_t>(number), unnamedNumbers))
          return *found;
      }
      ReportNotEnumValue(value.ToString(), typeName, name, status);
      return 0;
    }
    case ValueKind::kString: {
      const std::string_view text = value.GetString();
      for (const EnumEntry& entry : entries) {
        if (entry.name == text) return entry.number;
      }
      // Not a name: maybe the text of a registered number. Its own parse
      // message is not the one reported.
      BindingProperty parseStatus;
      const int64_t number = ParseSignedText(text, name, "int64", parseStatus);
      if (parseStatus.IsValid()) {
        if (auto found = RegisteredNumber(entries, number, unnamedNumbers)) return *found;
      }
      ReportNotEnumValue(text, typeName, name, status);
      return 0;
    }
    case ValueKind::kEnum:
      if (auto number = RegisteredNumber(entries, value.GetEnum().number, unnamedNumbers))
        return *number;
      ReportNotEnumValue(value.ToString(), typeName, name, status);
      return 0;
    default:
      status.SetError(FormatMessage(
          "Couldn't assign value to '%1' of enum type because the input is of an invalid type %2.",
          name, KindName(value.Kind())));
      return 0;
  }
}

Blob ValueToBlob(const BindingProperty& value, std::string_view name, ConversionStatus& status) {
  if (!status.IsValid()) return {};
  if (value.IsEmpty()) {
    ReportRequired(name, status);
    return {};
  }
  if (value.Kind() != ValueKind::kBlob) {
    ReportInvalidType(name, "blob", value.Kind(), status);
    return {};
  }
  const std::span<const uint8_t> bytes = value.GetBlob();
  return Blob(bytes.begin(), bytes.end());
}

bool IsBlank(const BindingProperty& value) {
  switch (value.Kind()) {
    case ValueKind::kEmpty:
      return true;
    case ValueKind::kBool:
      return !value.GetBool();
    case ValueKind::kSigned:
      return value.GetSigned() == 0;
    case ValueKind::kUnsigned:
      return value.GetUnsigned() == 0;
    case ValueKind::kFloat:
      return value.GetFloat() == 0.0;
    case ValueKind::kEnum:
      return value.GetEnum().number == 0;
    default:
      return value.Size() == 0;
  }
}

}  // namespace kiv
