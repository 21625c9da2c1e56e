// joust_plugin.h: JoustPlugin, the plugin's module class.
//
// The `AppModule` that the load call creates. It owns the tournament state
// object and the backend client, fills the module's registration hook (the
// whole type model, then the endpoints handed to it at construction) and its
// start hook (the sixteen subscriptions to other plugins' resources), and
// offers the handlers' common steps: the server clock and the publication
// pass. The logic's handlers live in their own units (session, configuration,
// cache, state machine, publication, ...) and work on the plugin through its
// public members.
//
// Not for: the endpoint table; the plugin entry composes it (plugin/), so the
// logic never depends on the API layer.
//
//   auto plugin = std::make_unique<JoustPlugin>(&RegisterJoustEndpoints);
//   plugin->Load(record, kJoustShortName);
#pragma once

#include <cstdint>
#include <memory>

#include "joust/backend/backend_client.h"
#include "joust/logic/joust_plugin_state.h"
#include "joust/model/api/tournament.h"
#include "sdk/runtime/app_module.h"

namespace kiv::joust {

class JoustPlugin;

/// Declares the plugin's endpoints; called by the registration hook after the
/// type model.
using EndpointRegistration = void (*)(JoustPlugin& plugin);

class JoustPlugin final : public AppModule {
 public:
  /// `registerEndpoints` may be null (a plugin without endpoints, in tests).
  explicit JoustPlugin(EndpointRegistration registerEndpoints = nullptr);
  /// Frees the last presence, destroys the state object, then the module.
  ~JoustPlugin() override;

  void RegisterApi() override;
  bool Start() override;

  JoustPluginState& state() { return *state_; }
  const JoustPluginState& state() const { return *state_; }
  /// The backend client, told the feature's state and tokens as they are now.
  BackendClient& backend();

  /// Server time in milliseconds: the last server time received plus the
  /// monotonic time elapsed since.
  int64_t ServerNow() const;
  /// Takes `serverTime` (milliseconds) as the server's time now.
  void SyncServerClock(int64_t serverTime);
  /// Recomputes derived state, publishes every marked resource, arms or
  /// cancels the tournament timers, posts queued notifications and clears the
  /// change set.
  void RunPublicationPass();

  /// The queue id of the last matchmaking search seen; -1 before any.
  int32_t lastQueueId = -1;
  /// The last chat presence sent, when one was.
  std::unique_ptr<Api::PlaymodeRestrictedInfo> lastPresence;

 private:
  std::unique_ptr<JoustPluginState> state_;
  EndpointRegistration registerEndpoints_;
  BackendClient backend_;
};

/// The plugin's short name.
inline constexpr const char* kJoustShortName = "kiv-joust";

}  // namespace kiv::joust
