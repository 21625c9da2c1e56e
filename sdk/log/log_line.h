// log_line.h: renders a log entry by a format of "#" codes.
//
// Codes: #D local time "YYYY-MM-DDThh:mm:ss.mmm", #E executable name, #G group
// names, #H seconds since the first use of the clock ("%06d.%03d"), #L level
// text, #M message, #T thread id ("%p"); "#" before any other character writes
// that character. The result is cut at the 4096-byte buffer and always ends in
// exactly one newline.
//
//   std::string line = kiv::RenderLogLine("#L| #M", entry);  // "  WARN| hi\n"
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "sdk/log/log_entry.h"

namespace kiv {

inline constexpr size_t kLogLineBufferSize = 4096;

/// Renders `entry` by `format`; at most kLogLineBufferSize - 1 bytes.
std::string RenderLogLine(std::string_view format, const LogEntry& entry);

/// The executable's file name: the part of /proc/self/exe after the last "/"
/// or "\\"; "<unknown>" when it cannot be read. Read once.
const std::string& ExecutableName();

}  // namespace kiv
