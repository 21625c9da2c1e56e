#include "sdk/log/assertion.h"

#include <cstdio>
#include <cstdlib>

#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"

namespace kiv {

std::string FormatAssertionReport(std::string_view expression, std::string_view description,
                                  std::string_view file, int line, std::string_view function) {
  std::string text = "Assertion failed!\n\n";
  if (!file.empty()) text.append("File: ").append(file).append("\n");
  if (line != 0) text.append("Line: ").append(std::to_string(line)).append("\n\n");
  if (!function.empty()) text.append("Function: ").append(function).append("\n\n");
  if (!expression.empty()) text.append("Expression: ").append(expression);
  if (!description.empty()) text.append("\n\nDescription: ").append(description);
  return text;
}

void ReportAssertion(std::string_view expression, std::string_view description,
                     std::string_view file, int line, std::string_view function) {
  const std::string report = FormatAssertionReport(expression, description, file, line, function);
  Log(kLogError, kGroupDbg, "%s", report.c_str());
}

void FailAssertion(std::string_view expression, std::string_view description, std::string_view file,
                   int line, std::string_view function) {
  ReportAssertion(expression, description, file, line, function);
  std::fflush(stderr);
  std::abort();
}

}  // namespace kiv
