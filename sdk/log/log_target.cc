#include "sdk/log/log_target.h"

#include "sdk/log/logger.h"

namespace kiv {

LogTarget::~LogTarget() {
  // Only targets outside the logger can still be attached here; the logger
  // detaches its own console targets before they are destroyed.
  if (attached_) Detach();
}

void LogTarget::Detach() {
  if (Logger* logger = Logger::Existing()) logger->Detach(*this);
}

std::string LogTarget::Format() const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return format_;
}

void LogTarget::Configure(int32_t minLevel, uint64_t includeMask, uint64_t excludeMask,
                          std::string format) {
  Logger& logger = Logger::Instance();
  std::lock_guard<std::recursive_mutex> loggerGuard(logger.lock_);
  logger.Detach(*this);
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    minLevel_ = minLevel;
    excludeMask_ = excludeMask;
    includeMask_ = includeMask & ~excludeMask;
    format_ = std::move(format);
  }
  logger.Attach(*this);
}

bool LogTarget::Accepts(int32_t level, uint64_t groupMask) const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (level < minLevel_) return false;
  if (groupMask != 0) {
    if (groupMask & excludeMask_) return false;
    if (includeMask_ != 0 && !(groupMask & includeMask_)) return false;
  }
  return true;
}

bool LogTarget::attached() const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return attached_;
}

}  // namespace kiv
