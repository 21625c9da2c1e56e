#include "sdk/value/native/conversion_messages.h"

#include "sdk/value/format_message.h"

namespace kiv {

void ReportRequired(std::string_view name, ConversionStatus& status) {
  status.SetError(FormatMessage("A value for '%1' is required.", name));
}

void ReportInvalidType(std::string_view name, std::string_view typeName, ValueKind kind,
                       ConversionStatus& status) {
  status.SetError(FormatMessage(
      "Couldn't assign value to '%1' of type %2 because the input is of an invalid type %3.", name,
      typeName, KindName(kind)));
}

void ReportUnregisteredTarget(std::string_view name, ConversionStatus& status) {
  status.SetError(FormatMessage(
      "Couldn't assign value to '%1' because the input is an unregistered structure or not a "
      "structure at all.",
      name));
}

void ReportUnregisteredSource(ConversionStatus& status) {
  status.SetError("Couldn't convert native value because it's an unregistered structure.");
}

void ReportNotStructure(std::string_view name, std::string_view typeName,
                        ConversionStatus& status) {
  status.SetError(
      FormatMessage("Couldn't assign value to '%1' of type %2 because the input not a structure.",
                    name, typeName));
}

void ReportMissingField(std::string_view name, std::string_view typeName,
                        std::string_view fieldName, ConversionStatus& status) {
  status.SetError(FormatMessage(
      "Couldn't assign value to '%1' of type %2 because the input structure doesn't have required "
      "field '%3'.",
      name, typeName, fieldName));
}

void ReportNotCollection(std::string_view name, ConversionStatus& status) {
  status.SetError(FormatMessage(
      "Couldn't assign value to '%1' of type vector because the input not a collection.", name));
}

void ReportMapNotStructure(std::string_view name, ConversionStatus& status) {
  status.SetError(FormatMessage(
      "Couldn't assign value to '%1' of type map because the input not a structure.", name));
}

}  // namespace kiv
