// scalar_conversion.h: a value into one native scalar (integers of every
// width, floats, bool, string, enum number, blob), with the accepted value
// kinds and messages of the native conversions.
//
// Every function takes the status value: it does nothing and returns a zero
// value when the status is already invalid, and on failure sets the message
// on the status and returns a zero value, so the first failure wins.
// `name` is what is being converted ("<value>", a field or argument name).
//
// Not for: direct use on records; FromValue (convert.h) picks the right one
// from the native type.
//
//   ConversionStatus status;
//   int64_t seed = ValueToSigned(value, "seed", "int32", INT32_MIN, INT32_MAX, status);
//   if (!status.IsValid()) return Fail(Failure(400, std::string(status.Error())));
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "sdk/value/binding_property.h"
#include "sdk/value/conversion_status.h"

namespace kiv {

/// One value of an enum's constant name table.
struct EnumEntry {
  std::string_view name;
  int32_t number = 0;
  std::string_view description = {};
};

/// Signed, unsigned, float (truncated toward zero), string (strtoll base 0)
/// or enum into [minimum, maximum]; `typeName` is the native type's name.
int64_t ValueToSigned(const BindingProperty& value, std::string_view name,
                      std::string_view typeName, int64_t minimum, int64_t maximum,
                      ConversionStatus& status);

/// As ValueToSigned into [0, maximum]; negative numbers are out of range.
uint64_t ValueToUnsigned(const BindingProperty& value, std::string_view name,
                         std::string_view typeName, uint64_t maximum, ConversionStatus& status);

/// Signed, unsigned, float, string (strtod) or enum into [-limit, limit].
double ValueToDouble(const BindingProperty& value, std::string_view name, std::string_view typeName,
                     double limit, ConversionStatus& status);

/// Bool, or exactly one of the strings "true", "false", "1", "0".
bool ValueToBool(const BindingProperty& value, std::string_view name, ConversionStatus& status);

/// A string, or an enum as the name its number has in its own enum type.
std::string ValueToString(const BindingProperty& value, std::string_view name,
                          ConversionStatus& status);

/// A registered number of the enum `typeName` whose values are `entries`:
/// from a number, a name, the text of a number, or another enum value. With
/// `unnamedNumbers`, any 32-bit number is taken, named or not.
int32_t ValueToEnumNumber(const BindingProperty& value, std::string_view name,
                          std::string_view typeName, std::span<const EnumEntry> entries,
                          ConversionStatus& status, bool unnamedNumbers = false);

/// A blob's bytes; no other kind is accepted.
Blob ValueToBlob(const BindingProperty& value, std::string_view name, ConversionStatus& status);

/// True for the values the omit-when-blank flag leaves out: empty, false, 0,
/// 0.0, enum number 0, and strings, blobs, collections, structures of size 0.
bool IsBlank(const BindingProperty& value);

}  // namespace kiv
