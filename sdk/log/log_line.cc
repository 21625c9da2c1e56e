#include "sdk/log/log_line.h"

#include <pthread.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"

namespace kiv {
namespace {

// The first use of the high-resolution clock, the origin of "#H".
std::chrono::steady_clock::time_point ClockOrigin() {
  static const auto origin = std::chrono::steady_clock::now();
  return origin;
}

// Appends to a line that may hold at most `kLogLineBufferSize - 1` bytes.
struct LineBuilder {
  std::string text;
  bool Append(std::string_view part) {
    const size_t room = kLogLineBufferSize - 1 - text.size();
    text.append(part.substr(0, room));
    return part.size() <= room;
  }
};

}  // namespace

LogEntry MakeLogEntry(int32_t level, uint64_t groupMask, const char* message) {
  ClockOrigin();
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  LogEntry entry;
  entry.year = local.tm_year + 1900;
  entry.month = local.tm_mon + 1;
  entry.day = local.tm_mday;
  entry.hour = local.tm_hour;
  entry.minute = local.tm_min;
  entry.second = local.tm_sec;
  entry.millisecond = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  entry.level = level;
  entry.groupMask = groupMask;
  entry.message = message ? message : "";
  return entry;
}

const std::string& ExecutableName() {
  static const std::string name = [] {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return std::string("<unknown>");
    std::string_view full(path, static_cast<size_t>(length));
    const size_t cut = full.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? full : full.substr(cut + 1));
  }();
  return name;
}

std::string RenderLogLine(std::string_view format, const LogEntry& entry) {
  LineBuilder line;
  char scratch[64];
  for (size_t i = 0; i < format.size(); ++i) {
    bool fits = true;
    if (format[i] != '#') {
      fits = line.Append(format.substr(i, 1));
    } else if (++i < format.size()) {
      switch (format[i]) {
        case 'D':
          std::snprintf(scratch, sizeof scratch, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", entry.year,
                        entry.month, entry.day, entry.hour, entry.minute, entry.second,
                        entry.millisecond);
          fits = line.Append(scratch);
          break;
        case 'E':
          fits = line.Append(ExecutableName());
          break;
        case 'G':
          fits = line.Append(RenderGroupMask(entry.groupMask));
          break;
        case 'H': {
          const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - ClockOrigin())
                                   .count();
          std::snprintf(scratch, sizeof scratch, "%06d.%03d", static_cast<int>(elapsed / 1000),
                        static_cast<int>(elapsed % 1000));
          fits = line.Append(scratch);
          break;
        }
        case 'L':
          fits = line.Append(LevelText(entry.level));
          break;
        case 'M':
          fits = line.Append(entry.message);
          break;
        case 'T':
          std::snprintf(scratch, sizeof scratch, "%p", reinterpret_cast<void*>(pthread_self()));
          fits = line.Append(scratch);
          break;
        default:
          fits = line.Append(format.substr(i, 1));
          break;
      }
    }
    if (!fits) break;
  }
  // Exactly one newline at the end, even when the line was cut at the buffer.
  if (line.text.empty() || line.text.back() != '\n') {
    if (line.text.size() == kLogLineBufferSize - 1) line.text.pop_back();
    line.text += '\n';
  }
  return line.text;
}

}  // namespace kiv
