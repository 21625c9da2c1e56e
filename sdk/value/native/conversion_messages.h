// conversion_messages.h: the failure reports of the native conversions. Each
// function formats one message and sets it as the error of `status`.
//
// Not for: callers outside the conversions, except the type registry's
// by-identifier conversions, which report the same unregistered-type texts.
//
//   if (value.IsEmpty()) return ReportRequired(name, status);
#pragma once

#include <string_view>

#include "sdk/value/binding_property.h"
#include "sdk/value/conversion_status.h"

namespace kiv {

/// "A value for '%1' is required."
void ReportRequired(std::string_view name, ConversionStatus& status);

/// "Couldn't assign value to '%1' of type %2 because the input is of an
/// invalid type %3." (%2 the native type name, %3 the value's kind name).
void ReportInvalidType(std::string_view name, std::string_view typeName, ValueKind kind,
                       ConversionStatus& status);

/// "Couldn't assign value to '%1' because the input is an unregistered
/// structure or not a structure at all."
void ReportUnregisteredTarget(std::string_view name, ConversionStatus& status);

/// "Couldn't convert native value because it's an unregistered structure."
void ReportUnregisteredSource(ConversionStatus& status);

/// "Couldn't assign value to '%1' of type %2 because the input not a structure."
void ReportNotStructure(std::string_view name, std::string_view typeName, ConversionStatus& status);

/// "Couldn't assign value to '%1' of type %2 because the input structure
/// doesn't have required field '%3'."
void ReportMissingField(std::string_view name, std::string_view typeName,
                        std::string_view fieldName, ConversionStatus& status);

/// "Couldn't assign value to '%1' of type vector because the input not a collection."
void ReportNotCollection(std::string_view name, ConversionStatus& status);

/// "Couldn't assign value to '%1' of type map because the input not a structure."
void ReportMapNotStructure(std::string_view name, ConversionStatus& status);

}  // namespace kiv
