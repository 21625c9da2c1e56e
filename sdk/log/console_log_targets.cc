#include "sdk/log/console_log_targets.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "sdk/log/log_line.h"

namespace kiv {

void BaseConsoleLogTarget::Write(const LogEntry& entry) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  Emit(RenderLogLine(Format(), entry));
}

void StdErrLogTarget::Emit(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void StdErrLogTarget::Flush() { std::fflush(stderr); }

void StdOutLogTarget::Emit(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  if (flushEachLine_) std::fflush(stdout);
}

void StdOutLogTarget::Flush() { std::fflush(stdout); }

void StdOutLogTarget::SetFlushEachLine(bool on) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  flushEachLine_ = on;
}

void DebuggerConsoleLogTarget::Emit(const std::string& line) {
  if (DebuggerAttached()) std::fwrite(line.data(), 1, line.size(), stderr);
}

bool DebuggerAttached() {
  // Read with plain system calls into a stack buffer: this runs before every
  // line of the debugger target and must not allocate.
  const int fd = open("/proc/self/status", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[4096];
  const ssize_t length = read(fd, buffer, sizeof buffer - 1);
  close(fd);
  if (length <= 0) return false;
  buffer[length] = '\0';
  const char* field = std::strstr(buffer, "TracerPid:");
  return field && std::strtol(field + std::strlen("TracerPid:"), nullptr, 10) != 0;
}

}  // namespace kiv
