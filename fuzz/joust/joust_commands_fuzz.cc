// Random messages on the nine push topics and random roster commands, fed to
// the tournament plugin's module in-process through a minimal host: after
// every step the cache must hold together (every roster, pending roster,
// invitation, standing and state info belongs to a cached tournament), and
// nothing may crash, hang or leak.
//
// Input: steps separated by NUL bytes. A step's first byte picks what it is:
// with the high bit set, the rest becomes the service's answer to the calls
// that follow (JSON text, anything); otherwise an even byte pushes the rest as
// the payload of a topic, an odd one sends a roster command, its next two
// bytes picking the tournament and the roster or player of the path, the rest
// its body. Every input starts from the same cache (a refresh): tournament 7
// with the player's registered roster and bracket, tournament 8 with the
// player's pending roster and an invitation, tournament 9 with nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "joust/api/register_endpoints.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/push_notifications.h"
#include "sdk/codec/json_reader.h"
#include "sdk/runtime/event_names.h"
#include "sdk/value/conversion_status.h"
#include "sdk/value/native/host_value.h"
#include "tests/plugin/joust_records.h"

namespace {

using namespace kiv;
using namespace kiv::testing::samples;

std::string SeedCache() {
  LCDS::RosterDTO registered = Roster(7, 500, 5);
  registered.phases[0].bracketDTO = Bracket(7, 900, 500, 5);
  const std::vector<LCDS::TournamentInfoDTO> infos = {
      {Cup(7), registered, {}, std::nullopt, {}, 0},
      {Cup(8),
       std::nullopt,
       {},
       PendingRoster(8, "inv-8", 5),
       {PendingRoster(8, "inv-9", 5, 45)},
       0},
      {Cup(9), std::nullopt, {}, std::nullopt, {}, 0}};
  return PlayerInfo(infos, kNow + 10 * kMinute);
}

// A value the host hands the plugin, alive until the plugin releases it.
struct Answer {
  HostValueTree tree;
};

class FuzzHost {
 public:
  FuzzHost() {
    api_.SendRequest = [](HostApi* api, ResponseRecord* response, const RequestRecord* request) {
      From(api).Answer(*response, *request);
    };
    api_.DispatchEvent = [](HostApi*, const EventRecord*) {};
    api_.AddEventListener = [](HostApi* api, const char* name, void*, EventCallback callback,
                               void* userData, uint32_t) {
      From(api).listeners_[name].push_back({callback, userData});
    };
    api_.RemoveEventListener = [](HostApi* api, const char* name, void*) {
      From(api).listeners_.erase(name);
    };
    api_.ScheduleCallback = [](HostApi* api, const char*, void (*callback)(void*), void* userData,
                               double, uint32_t) {
      From(api).scheduled_.push_back({callback, userData});
    };
    api_.PumpOnce = [](HostApi* api) { From(api).DeliverOne(); };
    api_.BeginWait = [](HostApi*, const char*, uint32_t) {};
    api_.EndWait = [](HostApi*) {};
    api_.WriteLog = [](HostApi*, int32_t, const char*) {};
  }

  HostContext Context() { return {&api_, this}; }
  /// Runs the callbacks scheduled so far, as if their time had come (those
  /// they schedule wait for the next call), so that none is held for good.
  void FireScheduled() {
    std::vector<std::pair<void (*)(void*), void*>> due;
    due.swap(scheduled_);
    for (const auto& [callback, userData] : due) callback(userData);
    while (DeliverOne()) {
    }
  }
  /// What every later service call answers (but the player's information).
  void SetServiceAnswer(std::string json) { serviceAnswer_ = std::move(json); }
  /// Announces a change of `uri` to the plugin and delivers what follows.
  void Announce(const std::string& uri, BindingProperty data) {
    BindingProperty body;
    body.MutableMember("uri") = uri;
    body.MutableMember("eventType") = std::string("Create");
    body.MutableMember("data") = std::move(data);
    queued_.push_back({EventNameOfUri(uri), std::move(body)});
    while (DeliverOne()) {
    }
  }

 private:
  struct Listener {
    EventCallback callback;
    void* userData;
  };

  static FuzzHost& From(HostApi* api) { return *reinterpret_cast<FuzzHost*>(api); }

  static std::string Text(const RequestRecord& request, uint32_t index) {
    if (index >= request.paramCount) return "";
    ConversionStatus status;
    const BindingProperty value = HostValueToProperty(request.params[index].value, "<p>", status);
    return std::string(value.GetString());
  }

  void Answer(ResponseRecord& response, const RequestRecord& request) {
    const std::string url = request.url ? request.url : "";
    BindingProperty body;
    uint32_t status = 200;
    if (url == "/kiv-login/v1/session") {
      body = ReadJson(R"({"state":"SUCCEEDED","summonerId":42})");
    } else if (url == "/kiv-platform-config/v1/namespaces/JoustConfig") {
      body = ReadJson(R"({"Visibility":"Visible","EnabledState":"Enabled","IconConfig":"{}"})");
    } else if (url == "/kiv-gameflow/v1/availability") {
      body = ReadJson(R"({"isAvailable":true})");
    } else if (url == "/kiv-gameflow/v1/session") {
      body = ReadJson(R"({"phase":"None"})");
    } else if (url == "/kiv-login/v1/service-proxy-uuid-requests") {
      const std::string uuid = std::to_string(++uuids_);
      body = uuid;
      ServiceAnswer("OnServiceProxyUuidEvent", uuid, Text(request, 0), Text(request, 1));
    } else if (url == "/kiv-login/v1/service-proxy-method-requests") {
      ServiceAnswer("OnServiceProxyMethodEvent", "", Text(request, 0), Text(request, 2));
    } else if (request.method == KIV_METHOD_GET) {
      status = 404;
    }
    std::memset(&response, 0, sizeof response);
    response.status = status;
    if (status == 404) {
      response.error = "Not Found";
    } else {
      auto* held = new ::Answer{HostValueTree(std::move(body))};
      response.body = held->tree.Root();
      response.stream = held;
    }
    response.release = [](ResponseRecord* record) {
      delete static_cast<::Answer*>(record->stream);
    };
  }

  void ServiceAnswer(const char* event, const std::string& uuid, const std::string& service,
                     const std::string& method) {
    BindingProperty body;
    body.MutableMember("uuid") = uuid;
    body.MutableMember("serviceName") = service;
    body.MutableMember("methodName") = method;
    body.MutableMember("payload") =
        method == "getTournamentPlayerInfo" || method == "getTournamentInfoMinimal"
            ? SeedCache()
            : serviceAnswer_;
    body.MutableMember("status") = std::string("OK");
    body.MutableMember("error") = std::string();
    queued_.push_back({event, std::move(body)});
  }

  bool DeliverOne() {
    if (queued_.empty()) return false;
    auto [name, body] = std::move(queued_.front());
    queued_.pop_front();
    const HostValueTree tree(std::move(body));
    const auto listeners = listeners_.find(name);
    if (listeners == listeners_.end()) return true;
    for (const Listener listener : std::vector<Listener>(listeners->second)) {
      listener.callback(name.c_str(), &tree.Root(), 0, listener.userData);
    }
    return true;
  }

  HostApi api_{};
  std::map<std::string, std::vector<Listener>> listeners_;
  std::deque<std::pair<std::string, BindingProperty>> queued_;
  std::vector<std::pair<void (*)(void*), void*>> scheduled_;
  std::string serviceAnswer_ = "null";
  uint64_t uuids_ = 0;
};

struct Fixture {
  FuzzHost host;
  HostContext context = host.Context();  // the module keeps its address
  std::unique_ptr<joust::JoustPlugin> plugin;
  std::vector<const ApiFunction*> commands;  // the POST endpoints of one tournament
  const ApiFunction* refresh = nullptr;
};

Fixture& World() {
  static Fixture* fixture = [] {
    auto* made = new Fixture;
    made->plugin = std::make_unique<joust::JoustPlugin>(&joust::RegisterJoustEndpoints);
    PluginLoadRecord record{18, 0, 0, nullptr, nullptr, nullptr, nullptr};
    made->plugin->Load(record, joust::kJoustShortName);
    if (!made->plugin->Initialize(made->context)) std::abort();
    for (uint32_t i = 0; i < record.api->functionCount; ++i) {
      const ApiFunction& function = record.api->functions[i];
      if (std::string_view(function.urlTemplate) == "/kiv-joust/v1/refresh") {
        made->refresh = &function;
      } else if (function.method == KIV_METHOD_POST &&
                 std::string_view(function.urlTemplate).starts_with("/kiv-joust/v1/tournament/")) {
        made->commands.push_back(&function);
      }
    }
    if (made->commands.empty() || !made->refresh) std::abort();
    return made;
  }();
  return *fixture;
}

std::string_view NextStep(std::string_view& input) {
  const size_t cut = input.find('\0');
  const std::string_view step = input.substr(0, cut);
  input = cut == std::string_view::npos ? std::string_view() : input.substr(cut + 1);
  return step;
}

void Request(const ApiFunction& function, std::string url, const std::string& body) {
  IncomingRequest request{};
  request.method = function.method;
  request.customMethod = "";
  request.url = url.c_str();
  request.body = body.empty() ? nullptr : reinterpret_cast<const uint8_t*>(body.data());
  request.bodySize = static_cast<uint32_t>(body.size());
  request.contentType = "application/json";
  request.requestId = 1;
  ResponseRecord response{};
  function.callback(function.userData, &response, &request);
  if (!response.release) std::abort();  // every answer owns storage to release
  response.release(&response);
}

/// `url` with "{name}" replaced by `value`.
void Fill(std::string& url, std::string_view name, std::string_view value) {
  const size_t at = url.find(name);
  if (at != std::string::npos) url.replace(at, name.size(), value);
}

void SendCommand(const Fixture& world, std::string_view step) {
  static constexpr const char* kTournaments[] = {"7", "8", "9", "99"};
  static constexpr const char* kIds[] = {"inv-8", "inv-9", "500", "600", "43", "44", "-1", "x"};
  const ApiFunction& function =
      *world.commands[static_cast<uint8_t>(step[0]) / 2 % world.commands.size()];
  step.remove_prefix(1);
  const uint8_t tournament = step.empty() ? 0 : static_cast<uint8_t>(step[0]);
  const uint8_t id = step.size() < 2 ? 0 : static_cast<uint8_t>(step[1]);
  step.remove_prefix(std::min<size_t>(step.size(), 2));
  std::string url = function.urlTemplate;
  Fill(url, "{tournamentId}", kTournaments[tournament % 4]);
  for (const char* name : {"{rosterId}", "{summonerId}", "{bracketId}"}) {
    Fill(url, name, kIds[id % 8]);
  }
  Request(function, std::move(url), std::string(step));
}

/// Every cached thing keyed by a tournament belongs to a cached tournament.
void CheckCache(const joust::JoustPluginState& state) {
  bool whole = state.cache.EveryRecordHasItsTournament();
  for (const auto& entry : state.pass.stateInfos) {
    whole = whole && state.cache.HasTournament(entry.first);
  }
  if (!whole) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Fixture& world = World();
  world.host.SetServiceAnswer("null");
  Request(*world.refresh, "/kiv-joust/v1/refresh", "");
  CheckCache(world.plugin->state());
  std::string_view input(reinterpret_cast<const char*>(data), size);
  while (!input.empty()) {
    const std::string_view step = NextStep(input);
    if (step.empty()) continue;
    const uint8_t kind = static_cast<uint8_t>(step[0]);
    if (kind & 0x80) {
      world.host.SetServiceAnswer(std::string(step.substr(1)));
    } else if (kind % 2 == 0) {
      const auto topics = joust::PushTopics();
      const std::string_view topic = topics[kind / 2 % topics.size()].name;
      BindingProperty message;
      message.MutableMember("payload") = std::string(step.substr(1));
      world.host.Announce(std::string(joust::kPushTopicPrefix) + std::string(topic),
                          std::move(message));
    } else {
      SendCommand(world, step);
    }
    CheckCache(world.plugin->state());
  }
  world.host.FireScheduled();
  CheckCache(world.plugin->state());
  return 0;
}
