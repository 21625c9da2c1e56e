// handler_run.h: RunHandler, the one way the plugin runs a handler: a
// request's, another plugin's event, a push, or a timer's firing. It runs the
// handler, then the publication pass when the handler left anything to
// publish (change marks or queued notifications), so no handler runs the pass
// itself and none can forget to.
//
// A handler that waits lets others run meanwhile; each of those is run
// through here too and publishes what it changed (and whatever the waiting
// handler had changed so far) when it ends.
//
// Not for: the pass itself (JoustPlugin::RunPublicationPass).
//
//   timers().SetTimer(name, delay, [&plugin, id] {
//     RunHandler(plugin, [&] { OnStateChangeTimer(plugin, id); });
//   });
#pragma once

#include <utility>

#include "joust/logic/joust_plugin.h"

namespace kiv::joust {

/// Runs the publication pass when the state holds change marks or queued
/// notifications; does nothing otherwise.
void PublishPendingChanges(JoustPlugin& plugin);

/// Runs `handler()` and then publishes what it changed, on every way out of
/// it; returns what the handler returns.
template <typename Handler>
decltype(auto) RunHandler(JoustPlugin& plugin, Handler&& handler) {
  struct PublishOnExit {
    JoustPlugin& plugin;
    ~PublishOnExit() { PublishPendingChanges(plugin); }
  } publish{plugin};
  return std::forward<Handler>(handler)();
}

}  // namespace kiv::joust
