#include "sdk/log/logger.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/log_line.h"

namespace kiv {
namespace {

// Guards creation and destruction of the one logger and its reference count.
std::mutex& InstanceLock() {
  static std::mutex lock;
  return lock;
}
Logger* gLogger = nullptr;
int gReferences = 0;

}  // namespace

Logger::Logger() {
  ExecutableName();  // read once, before the first line needs it
  // Configured directly: the logger is still being created, so the targets'
  // own Configure (which looks the logger up) cannot run yet.
  auto setUp = [this](LogTarget& target, uint64_t include, uint64_t exclude, const char* format,
                      bool attach) {
    target.minLevel_ = 0;
    target.excludeMask_ = exclude;
    target.includeMask_ = include & ~exclude;
    target.format_ = format;
    if (attach) {
      targets_.push_back(&target);
      target.attached_ = true;
    }
  };
  setUp(stdErr_, kGroupDbg, kGroupGen, "#E(#T): #L| #M", true);
  setUp(stdOut_, kGroupGen, kGroupDbg, "#M", false);
  setUp(debugger_, kGroupDbg, 0, "#E(#T): #L| #M", true);
}

Logger::~Logger() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  for (LogTarget* target : targets_) {
    std::lock_guard<std::recursive_mutex> targetGuard(target->lock_);
    target->attached_ = false;
  }
  targets_.clear();
  stdErr_.Flush();
  stdOut_.Flush();
}

Logger& Logger::Acquire() {
  std::lock_guard<std::mutex> guard(InstanceLock());
  ++gReferences;
  if (!gLogger) {
    gLogger = new Logger();
  }
  return *gLogger;
}

void Logger::Release() {
  Logger* doomed = nullptr;
  {
    std::lock_guard<std::mutex> guard(InstanceLock());
    if (gReferences > 0 && --gReferences == 0) std::swap(doomed, gLogger);
  }
  delete doomed;
}

Logger& Logger::Instance() {
  std::lock_guard<std::mutex> guard(InstanceLock());
  if (!gLogger) gLogger = new Logger();
  return *gLogger;
}

Logger* Logger::Existing() {
  std::lock_guard<std::mutex> guard(InstanceLock());
  return gLogger;
}

void Logger::SetMinimumLevel(int32_t level) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  minimumLevel_ = level;
}

int32_t Logger::MinimumLevel() const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return minimumLevel_;
}

void Logger::SetExcludedGroups(uint64_t mask) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  excludedGroups_ = mask;
}

uint64_t Logger::ExcludedGroups() const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return excludedGroups_;
}

void Logger::Disable() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  disabled_ = true;
}

void Logger::Enable() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  disabled_ = false;
}

void Logger::Attach(LogTarget& target) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  std::lock_guard<std::recursive_mutex> targetGuard(target.lock_);
  if (target.attached_) return;
  targets_.push_back(&target);
  target.attached_ = true;
}

void Logger::Detach(LogTarget& target) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  std::lock_guard<std::recursive_mutex> targetGuard(target.lock_);
  targets_.erase(std::remove(targets_.begin(), targets_.end(), &target), targets_.end());
  target.attached_ = false;
}

LogTarget* Logger::FindAttached(const char* name) const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  for (LogTarget* target : targets_) {
    if (std::strcmp(target->Name(), name) == 0) return target;
  }
  return nullptr;
}

uint32_t Logger::WarningCount() const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return warnings_;
}

uint64_t Logger::ErrorCount() const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return errors_;
}

void Logger::Write(int32_t level, uint64_t groupMask, const char* message) {
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (disabled_ || level < minimumLevel_ || (groupMask & excludedGroups_)) return;
  }
  const LogEntry entry = MakeLogEntry(level, groupMask, message);
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (level == kLogWarn) ++warnings_;
  if (level == kLogError) ++errors_;
  for (LogTarget* target : targets_) {
    if (target->Accepts(level, groupMask)) target->Write(entry);
  }
}

void Log(int32_t level, uint64_t groupMask, const char* format, ...) {
  Logger& logger = Logger::Instance();
  {
    // Cheap early drop before formatting.
    if (level < logger.MinimumLevel() || (groupMask & logger.ExcludedGroups())) return;
  }
  char message[kLogLineBufferSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  logger.Write(level, groupMask, message);
}

}  // namespace kiv
