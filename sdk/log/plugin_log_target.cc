#include "sdk/log/plugin_log_target.h"

#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"

namespace kiv {

void PluginLogTarget::Write(const LogEntry& entry) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  api_.WriteLog(&api_, entry.level, entry.message);
}

std::unique_ptr<PluginLogTarget> InstallPluginLogTarget(HostApi& api) {
  Logger& logger = Logger::Instance();
  if (logger.FindAttached("PluginLogTarget")) return nullptr;
  logger.StdErrTarget().Detach();
  logger.StdOutTarget().Detach();
  logger.DebuggerTarget().Detach();
  logger.SetMinimumLevel(kLogOkay);
  logger.SetExcludedGroups(kGroupXtr);
  auto target = std::make_unique<PluginLogTarget>(api);
  target->Configure(logger.MinimumLevel(), 0, 0, kDefaultLogFormat);
  return target;
}

}  // namespace kiv
