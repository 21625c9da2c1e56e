// log_target.h: the base class of everything that receives log lines.
//
// A target has a minimum level, an include mask and an exclude mask of groups,
// and a format text. The logger hands an entry to a target only when the level
// reaches the target's minimum and, for a nonzero group mask, the mask shares
// no bit with the exclude mask and (when the include mask is not zero) shares
// a bit with the include mask.
//
// Not for: filtering by message text, or buffering.
//
//   StdErrLogTarget target;
//   target.Configure(0, kGroupDbg, kGroupGen, "#L| #M");  // re-attaches it
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "sdk/log/log_entry.h"

namespace kiv {

inline constexpr const char* kDefaultLogFormat = "#D| #L| #G| #M";

class LogTarget {
 public:
  LogTarget() = default;
  LogTarget(const LogTarget&) = delete;
  LogTarget& operator=(const LogTarget&) = delete;
  /// Detaches the target from the logger if it is still attached.
  virtual ~LogTarget();

  /// Removes the target from the process logger (under the logger's lock).
  virtual void Detach();
  /// The target's class name, e.g. "StdErrLogTarget".
  virtual const char* Name() const = 0;
  /// The format text the target renders lines with.
  virtual std::string Format() const;
  /// Writes one entry; called by the logger with its lock held.
  virtual void Write(const LogEntry& entry) = 0;

  /// Detaches the target, applies the settings and attaches it again.
  void Configure(int32_t minLevel, uint64_t includeMask, uint64_t excludeMask, std::string format);

  /// Whether the logger should hand this target an entry of `level` and `mask`.
  bool Accepts(int32_t level, uint64_t groupMask) const;

  bool attached() const;

 protected:
  mutable std::recursive_mutex lock_;

 private:
  friend class Logger;
  bool attached_ = false;
  int32_t minLevel_ = 0;
  uint64_t includeMask_ = 0;
  uint64_t excludeMask_ = 0;
  std::string format_ = kDefaultLogFormat;
};

}  // namespace kiv
