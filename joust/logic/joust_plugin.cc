#include "joust/logic/joust_plugin.h"

#include <chrono>
#include <string>

#include "joust/logic/configuration.h"
#include "joust/logic/gameflow_presence.h"
#include "joust/logic/handler_run.h"
#include "joust/logic/match_flow.h"
#include "joust/logic/publication.h"
#include "joust/logic/push_notifications.h"
#include "joust/logic/session.h"
#include "joust/model/register_model.h"
#include "sdk/log/assertion.h"
#include "sdk/runtime/mutation_point.h"

namespace kiv::joust {
namespace {

int64_t SteadyNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Listens to `uri`'s events as records T, each handled by `handler` run
// through RunHandler.
template <typename T, typename Handler>
void ObserveThroughHandler(JoustPlugin& plugin, const std::string& uri, Handler handler) {
  plugin.events().ObserveAs<T>(uri, [&plugin, handler](const TypedResourceEvent<T>& event) {
    RunHandler(plugin, [&] { handler(plugin, event); });
  });
}

}  // namespace

JoustPlugin::JoustPlugin(EndpointRegistration registerEndpoints)
    : state_(std::make_unique<JoustPluginState>()),
      registerEndpoints_(registerEndpoints),
      backend_(*this) {}

JoustPlugin::~JoustPlugin() {
  lastPresence.reset();
  state_.reset();
}

void JoustPlugin::RegisterApi() {
  // A model the registry refuses would leave requests and events without
  // their types; that is a build fault, so it stops the load.
  if (auto registered = RegisterJoustModel(typeRegistry()); !registered.ok()) {
    FailAssertion("ALE-5B1C7E24", registered.failure().Message(), __FILE__, __LINE__, __func__);
  }
  if (registerEndpoints_) registerEndpoints_(*this);
}

bool JoustPlugin::Start() {
  ObserveThroughHandler<Api::LoginSession>(*this, "/kiv-login/v1/session", OnLoginEvent);
  ObserveThroughHandler<Api::GameflowAvailability>(*this, "/kiv-gameflow/v1/availability",
                                                   OnGameflowAvailability);
  ObserveThroughHandler<Api::GameflowSession>(*this, "/kiv-gameflow/v1/session", OnGameflowSession);
  ObserveThroughHandler<Api::JoustConfig>(*this, "/kiv-platform-config/v1/namespaces/JoustConfig",
                                          OnConfigurationEvent);
  ObserveThroughHandler<Api::EntitlementsToken>(*this, "/entitlements/v1/token",
                                                OnEntitlementsEvent);
  for (const PushTopic& topic : PushTopics()) {
    ObserveThroughHandler<ZMS::ZMSMessage>(
        *this, std::string(kPushTopicPrefix) + std::string(topic.name),
        [&topic](JoustPlugin& plugin, const TypedResourceEvent<ZMS::ZMSMessage>& event) {
          OnPushMessage(plugin, topic, event);
        });
  }
  ObserveThroughHandler<Api::MatchmakingReadyCheckResource>(
      *this, "/kiv-matchmaking/v1/ready-check", OnReadyCheck);
  ObserveThroughHandler<Api::MatchmakingSearchResource>(
      *this, "/kiv-lobby-team-builder/v1/matchmaking", OnMatchmakingSearch);
  return true;
}

int64_t JoustPlugin::ServerNow() const {
  const int64_t elapsed =
      SteadyNanoseconds() - static_cast<int64_t>(state_->session.clockSyncSteady);
  return state_->session.clockSyncServer + elapsed / 1'000'000;
}

void JoustPlugin::SyncServerClock(int64_t serverTime) {
  const int64_t before = ServerNow();
  state_->session.clockSyncSteady = static_cast<uint64_t>(SteadyNanoseconds());
  state_->session.clockSyncServer = serverTime;
  if (ServerNow() == before || MutationActive("clock-move-keeps-timers")) return;
  RearmStateChangeTimers(*state_);
}

BackendClient& JoustPlugin::backend() {
  backend_.SetAccess(CurrentFeatureAccess(*state_));
  return backend_;
}

}  // namespace kiv::joust
