#include "sdk/value/native/number_text.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "sdk/value/format_message.h"

namespace kiv {
namespace {

void ReportFormat(std::string_view text, std::string_view name, std::string_view typeName,
                  ConversionStatus& status) {
  status.SetError(FormatMessage("Value %1 for '%2' of type %3 is in an incorrect format", text,
                                name, typeName));
}

void ReportRange(std::string_view text, std::string_view name, std::string_view typeName,
                 ConversionStatus& status) {
  status.SetError(
      FormatMessage("Value %1 for '%2' of type %3 is out of range", text, name, typeName));
}

bool BeginsWithMinus(std::string_view text) {
  for (char c : text) {
    if (!std::isspace(static_cast<unsigned char>(c))) return c == '-';
  }
  return false;
}

}  // namespace

int64_t ParseSignedText(std::string_view text, std::string_view name, std::string_view typeName,
                        ConversionStatus& status, int64_t minimum, int64_t maximum) {
  if (!status.IsValid()) return 0;
  // A copy makes the text NUL-terminated; numbers fit the inline buffer.
  const std::string terminated(text);
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(terminated.c_str(), &end, 0);
  if (end != terminated.c_str() + terminated.size()) {
    ReportFormat(text, name, typeName, status);
    return 0;
  }
  if (errno == ERANGE || parsed < minimum || parsed > maximum) {
    ReportRange(text, name, typeName, status);
    return 0;
  }
  return parsed;
}

uint64_t ParseUnsignedText(std::string_view text, std::string_view name, std::string_view typeName,
                           ConversionStatus& status, uint64_t maximum) {
  if (!status.IsValid()) return 0;
  const std::string terminated(text);
  char* end = nullptr;
  errno = 0;
  const unsigned long long parsed = std::strtoull(terminated.c_str(), &end, 0);
  if (end != terminated.c_str() + terminated.size()) {
    ReportFormat(text, name, typeName, status);
    return 0;
  }
  // strtoull accepts "-1" and wraps it; a negative text is never in range.
  if (errno == ERANGE || BeginsWithMinus(text) || parsed > maximum) {
    ReportRange(text, name, typeName, status);
    return 0;
  }
  return parsed;
}

double ParseDoubleText(std::string_view text, std::string_view name, std::string_view typeName,
                       ConversionStatus& status, double limit) {
  if (!status.IsValid()) return 0.0;
  const std::string terminated(text);
  char* end = nullptr;
  errno = 0;
  const double parsed = std::strtod(terminated.c_str(), &end);
  if (end != terminated.c_str() + terminated.size()) {
    ReportFormat(text, name, typeName, status);
    return 0.0;
  }
  // ERANGE is also set on underflow (a tiny result near zero), which is not out of range.
  const bool overflow = errno == ERANGE && (parsed > 1.0 || parsed < -1.0);
  if (overflow || parsed < -limit || parsed > limit) {
    ReportRange(text, name, typeName, status);
    return 0.0;
  }
  return parsed;
}

}  // namespace kiv
