// assertion.h: the report of a fatal inconsistency.
//
// The runtime raises an assertion with an identifier ("ALE-" and eight hex
// digits) as the expression and a formed message as the description; the
// report is logged at level 2 (group DBG) and the process is aborted.
//
//   kiv::FailAssertion("ALE-EECF0606", message, __FILE__, __LINE__, __func__);
#pragma once

#include <string>
#include <string_view>

namespace kiv {

/// The report text, built from the parts that are present.
std::string FormatAssertionReport(std::string_view expression, std::string_view description,
                                  std::string_view file, int line, std::string_view function);

/// Logs the report at level 2 with group mask 1.
void ReportAssertion(std::string_view expression, std::string_view description,
                     std::string_view file, int line, std::string_view function);

/// Reports the assertion and aborts the process.
[[noreturn]] void FailAssertion(std::string_view expression, std::string_view description,
                                std::string_view file, int line, std::string_view function);

}  // namespace kiv
