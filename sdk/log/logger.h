// logger.h: the process-wide logger and the one logging entry point.
//
// All diagnostic output goes through `Log`. The logger drops a message when it
// is disabled, when the level is below its minimum level (1 at creation), or
// when the group mask shares a bit with its excluded groups (XTR at creation);
// otherwise it counts the entry and hands it to every attached target that
// accepts it, in attach order. At creation the standard-error and debugger
// console targets are attached; the plugin replaces them by the host's target
// once initialized (plugin_log_target.h).
//
// The logger is shared by reference count: the module acquires it when it is
// constructed and releases it when destroyed; the last release detaches every
// target and destroys the logger. Everything here is thread-safe.
//
//   kiv::Log(kiv::kLogWarn, kiv::kGroupDbg, "%s: retrying %d", name, n);
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "sdk/log/console_log_targets.h"
#include "sdk/log/log_target.h"

namespace kiv {

/// Formats by printf rules (into 4096 bytes) and logs the message.
void Log(int32_t level, uint64_t groupMask, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

class Logger {
 public:
  /// Takes a reference, creating the logger if there is none.
  static Logger& Acquire();
  /// Drops a reference; the last one destroys the logger.
  static void Release();
  /// The logger, created on first use (without taking a reference).
  static Logger& Instance();
  /// The logger if one exists, else null.
  static Logger* Existing();

  void SetMinimumLevel(int32_t level);
  int32_t MinimumLevel() const;
  void SetExcludedGroups(uint64_t mask);
  uint64_t ExcludedGroups() const;
  void Disable();
  void Enable();

  /// Appends `target` to the attached list (a no-op when already attached).
  /// The target is borrowed and must detach before it is destroyed.
  void Attach(LogTarget& target);
  void Detach(LogTarget& target);
  /// The first attached target with that name, or null.
  LogTarget* FindAttached(const char* name) const;

  StdErrLogTarget& StdErrTarget() { return stdErr_; }
  StdOutLogTarget& StdOutTarget() { return stdOut_; }
  DebuggerConsoleLogTarget& DebuggerTarget() { return debugger_; }

  /// Entries counted at level 1 and level 2 since creation.
  uint32_t WarningCount() const;
  uint64_t ErrorCount() const;

  /// Filters, counts and distributes one formatted message.
  void Write(int32_t level, uint64_t groupMask, const char* message);

  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

 private:
  friend class LogTarget;
  Logger();
  ~Logger();

  mutable std::recursive_mutex lock_;
  std::vector<LogTarget*> targets_;
  int32_t minimumLevel_ = 1;
  uint64_t excludedGroups_ = 4;
  bool disabled_ = false;
  uint32_t warnings_ = 0;
  uint64_t errors_ = 0;
  StdErrLogTarget stdErr_;
  StdOutLogTarget stdOut_;
  DebuggerConsoleLogTarget debugger_;
};

}  // namespace kiv
