// number_text.h: the rules by which text becomes a number, shared by the
// native conversions and the text readers (YAML scalars).
//
// Integers are parsed with strtoll / strtoull in base 0 ("0x" hexadecimal, a
// leading "0" octal, leading white space skipped); floats with strtod. The
// whole text must be consumed; the empty text is 0. Failures are reported on
// the status value with the messages every reader shares, naming `name` and
// `typeName` (for example "yaml" and "int64_t").
//
// Not for: locale-aware or lenient parsing; numbers inside JSON (the JSON
// reader has its own grammar).
//
//   ConversionStatus status;
//   int64_t n = ParseSignedText("0x10", "count", "int32", status,
//                               INT32_MIN, INT32_MAX);        // 16
//   ParseUnsignedText("-1", "yaml", "uint64_t", status);       // 0, status invalid:
//   status.Error();  // "Value -1 for 'yaml' of type uint64_t is out of range"
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

#include "sdk/value/binding_property.h"
#include "sdk/value/conversion_status.h"

namespace kiv {

/// Parses `text` as a signed integer within [minimum, maximum]. Does nothing
/// and returns 0 when `status` is already invalid; on failure sets the
/// incorrect-format or out-of-range message on `status` and returns 0.
int64_t ParseSignedText(std::string_view text, std::string_view name, std::string_view typeName,
                        ConversionStatus& status,
                        int64_t minimum = std::numeric_limits<int64_t>::min(),
                        int64_t maximum = std::numeric_limits<int64_t>::max());

/// As ParseSignedText for an unsigned integer within [0, maximum]. Text that
/// begins with "-" (after leading white space) is out of range.
uint64_t ParseUnsignedText(std::string_view text, std::string_view name, std::string_view typeName,
                           ConversionStatus& status,
                           uint64_t maximum = std::numeric_limits<uint64_t>::max());

/// As ParseSignedText for a float within [-limit, limit]; overflow is out of
/// range.
double ParseDoubleText(std::string_view text, std::string_view name, std::string_view typeName,
                       ConversionStatus& status, double limit = std::numeric_limits<double>::max());

}  // namespace kiv
