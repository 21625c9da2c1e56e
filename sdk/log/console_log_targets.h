// console_log_targets.h: the console log targets (standard error, standard
// output, debugger output).
//
// Each renders its lines by its format and writes them under its own lock.
// The debugger target writes only while a debugger is attached to the process
// (TracerPid in /proc/self/status), and then to standard error.
#pragma once

#include <cstdio>
#include <string>

#include "sdk/log/log_target.h"

namespace kiv {

class BaseConsoleLogTarget : public LogTarget {
 public:
  void Write(const LogEntry& entry) override;
  /// Flushes the stream the target writes to.
  virtual void Flush() = 0;

 protected:
  /// Writes one rendered line; `line` ends in a newline.
  virtual void Emit(const std::string& line) = 0;
};

class StdErrLogTarget final : public BaseConsoleLogTarget {
 public:
  const char* Name() const override { return "StdErrLogTarget"; }
  void Flush() override;

 private:
  void Emit(const std::string& line) override;
};

class StdOutLogTarget final : public BaseConsoleLogTarget {
 public:
  const char* Name() const override { return "StdOutLogTarget"; }
  void Flush() override;
  /// Flush standard output after each line (off by default).
  void SetFlushEachLine(bool on);

 private:
  void Emit(const std::string& line) override;
  bool flushEachLine_ = false;
};

class DebuggerConsoleLogTarget final : public BaseConsoleLogTarget {
 public:
  const char* Name() const override { return "DebuggerConsoleLogTarget"; }
  void Flush() override {}

 private:
  void Emit(const std::string& line) override;
};

/// True while a debugger (any tracer) is attached to this process.
bool DebuggerAttached();

}  // namespace kiv
