// log_entry.h: one log line as handed to every log target.
#pragma once

#include <cstdint>

namespace kiv {

/// Borrowed by targets for the duration of their write call only.
struct LogEntry {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;  // local time of the call
  int32_t level = 0;
  uint64_t groupMask = 0;
  const char* message = "";  // the formatted message, NUL-terminated
};

/// An entry stamped with the current local time.
LogEntry MakeLogEntry(int32_t level, uint64_t groupMask, const char* message);

}  // namespace kiv
