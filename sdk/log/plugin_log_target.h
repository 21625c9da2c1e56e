// plugin_log_target.h: the log target that hands lines to the host.
//
// Once the host has initialized the plugin, every log line goes to the host's
// WriteLog with the entry's level and bare message; the host adds its own
// decoration, so this target renders nothing.
#pragma once

#include <memory>

#include "kiv_plugin_abi.h"
#include "sdk/log/log_target.h"

namespace kiv {

class PluginLogTarget final : public LogTarget {
 public:
  /// `api` is borrowed and must outlive the target.
  explicit PluginLogTarget(HostApi& api) : api_(api) {}
  const char* Name() const override { return "PluginLogTarget"; }
  void Write(const LogEntry& entry) override;

 private:
  HostApi& api_;
};

/// Routes the process's log lines to the host, unless a target named
/// "PluginLogTarget" is already attached (then returns null): detaches the
/// console targets, sets the logger's minimum level to 0 and its excluded
/// groups to XTR, and attaches a new target bound to `api`, which the caller
/// owns (destroying it detaches it).
std::unique_ptr<PluginLogTarget> InstallPluginLogTarget(HostApi& api);

}  // namespace kiv
