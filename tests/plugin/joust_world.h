// joust_world.h: a test world for the real tournament plugin: the library
// loaded through the substitute host on the virtual clock, the tournament
// service scripted behind the login stand-in, and every other neighbour the
// plugin reads or posts to as settable resources, with what the plugin sent
// them recorded.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/host_clock.h"
#include "host/host_value_json.h"
#include "host/plugin_host.h"
#include "tests/plugin/joust_records.h"

namespace kiv::testing {

using host::HostRequest;
using host::HostResponse;
using host::NeighbourAnswer;
using host::NeighbourRequest;
using host::PluginHost;
using host::ScriptedBackendService;
using host::ServiceReply;

inline constexpr int64_t kSecondNs = 1'000'000'000;

/// Resources of other plugins with settable bodies: a GET answers the body
/// (404 when none), every POST and PUT is recorded; Set announces a change.
class SettableResources : public host::NeighbourPlugin {
 public:
  struct Posted {
    uint32_t method;
    std::string path;
    std::vector<std::string> paramsJson;
  };

  explicit SettableResources(host::NeighbourContext& context)
      : NeighbourPlugin("world"), context_(context) {}

  /// Declares `uri` (GET answers its body) and, when `json` is not empty,
  /// sets its body without announcing it.
  void Declare(const std::string& uri, const std::string& json = "") {
    if (!json.empty()) bodies_[uri] = json;
    On(KIV_METHOD_GET, uri, [this, uri](const NeighbourRequest&) {
      const auto found = bodies_.find(uri);
      if (found == bodies_.end()) return NeighbourAnswer::Error(404, "not found");
      return NeighbourAnswer::Json(found->second);
    });
  }
  /// Sets the body of `uri` and announces it as `eventType`.
  void Set(const std::string& uri, const std::string& json, const char* eventType = "Update") {
    bodies_[uri] = json;
    auto value = host::JsonToHostValue(json, nullptr);
    context_.PublishResource(uri, eventType, value ? value->root() : HostValue{});
  }
  void Delete(const std::string& uri) {
    bodies_.erase(uri);
    context_.PublishResource(uri, "Delete", HostValue{});
  }
  /// Accepts requests of `method` to `urlTemplate`, answering `answer`.
  void Accept(uint32_t method, const std::string& urlTemplate, NeighbourAnswer answer) {
    auto shared = std::make_shared<NeighbourAnswer>(std::move(answer));
    On(method, urlTemplate, [this, method, shared](const NeighbourRequest& request) {
      Posted posted{method, request.path, {}};
      for (const auto& param : request.params) {
        posted.paramsJson.push_back(host::HostValueToJson(param.value.root()));
      }
      posted_.push_back(std::move(posted));
      NeighbourAnswer copy;
      copy.body = shared->body.Clone();
      copy.error = shared->error;
      copy.status = shared->status;
      return copy;
    });
  }
  const std::vector<Posted>& posted() const { return posted_; }
  void ClearPosted() { posted_.clear(); }

 private:
  host::NeighbourContext& context_;
  std::map<std::string, std::string> bodies_;
  std::vector<Posted> posted_;
};

inline constexpr const char* kConfigUri = "/kiv-platform-config/v1/namespaces/JoustConfig";
inline constexpr const char* kEntitlementsUri = "/entitlements/v1/token";

/// Bytes and blocks a plugin holds. Bytes are counted as the allocator's
/// usable sizes, and the allocator may hand out a chunk up to 31 bytes larger
/// than asked depending on what lies free, so equal holdings compare equal
/// within a small slack; the blocks must match exactly.
struct HeldMemory {
  static constexpr uint64_t kAllocatorSlack = 64;
  uint64_t bytes = 0;
  uint64_t blocks = 0;

  /// What `host`'s plugin holds now.
  static HeldMemory Of(const host::PluginHost& host) {
    const auto words = host.MemoryStats();
    const auto counter = [&words](int i) {
      return uint64_t(words[2 * i]) | uint64_t(words[2 * i + 1]) << 32;
    };
    return {counter(2) - counter(4), counter(3) - counter(5)};
  }
  bool operator==(const HeldMemory& other) const {
    const uint64_t apart = bytes > other.bytes ? bytes - other.bytes : other.bytes - bytes;
    return apart <= kAllocatorSlack && blocks == other.blocks;
  }
  friend void PrintTo(const HeldMemory& held, std::ostream* out) {
    *out << held.bytes << " bytes in " << held.blocks << " blocks";
  }
};

/// The plugin in a world where it may log in and play.
class JoustWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    host::UseVirtualClock(1'000 * kSecondNs);
    std::string error;
    host_ = PluginHost::Open(KIV_PLUGIN_PATH, &error);
    ASSERT_NE(host_, nullptr) << error;
    auto world = std::make_unique<SettableResources>(*host_);
    world_ = world.get();
    host_->neighbours().AddInFront(std::move(world));
    for (const char* uri :
         {"/kiv-gameflow/v1/availability", "/kiv-gameflow/v1/session", kConfigUri, kEntitlementsUri,
          "/kiv-matchmaking/v1/ready-check", "/kiv-lobby-team-builder/v1/matchmaking"}) {
      world_->Declare(uri);
    }
    // Actions on the client's plugins are recorded here; the login stand-in
    // keeps its service proxy.
    for (const char* actions :
         {"/kiv-gameflow/{+path}", "/kiv-chat/{+path}", "/kiv-matchmaking/{+path}",
          "/kiv-end-of-game/{+path}", "/player-notifications/{+path}"}) {
      for (uint32_t method : {KIV_METHOD_POST, KIV_METHOD_PUT}) {
        world_->Accept(method, actions, NeighbourAnswer::Empty());
      }
    }
    host_->login().SetService(&service_);
    BeforeStart();
    host_->Load({18, 0, 0});
    ASSERT_TRUE(host_->Initialize());
    host_->RunUntilIdle();
  }

  /// Runs before the plugin is loaded: resources set here are what its
  /// start-up reads.
  virtual void BeforeStart() {}

  void TearDown() override {
    if (host_) host_->Shutdown();
    host::UseRealClock();
  }

  /// Logs the player in (the session stand-in announces it).
  void Login(uint64_t summonerId = 42) {
    host_->login().SetSession(
        "{\"state\":\"SUCCEEDED\",\"summonerId\":" + std::to_string(summonerId) + "}");
    host_->RunUntilIdle();
  }
  void Logout() {
    host_->login().SetSession(R"({"state":"LOGGING_OUT"})");
    host_->RunUntilIdle();
  }
  /// Configures the feature ("Visible", "Enabled" unless told otherwise).
  void Configure(const std::string& json = R"({"Visibility":"Visible","EnabledState":"Enabled",
      "IsPlaymodeRestrictionEnabled":true,"IconConfig":"{}"})") {
    world_->Set(kConfigUri, json, "Create");
    host_->RunUntilIdle();
  }
  /// Sends a request, with `body` as JSON when there is one.
  HostResponse Call(uint32_t method, const std::string& url, const std::string& body = "") {
    HostRequest request = HostRequest::Make(method, url);
    if (!body.empty()) {
      request.body = body;
      request.contentType = "application/json";
    }
    return host_->Request(std::move(request));
  }
  /// The answer's error text, or its body as compact JSON.
  static std::string Text(const HostResponse& response) {
    return response.error ? *response.error : host::HostValueToJson(response.body.root());
  }
  /// The compact JSON (or error text) of a GET of `url`.
  std::string Get(const std::string& url) { return Text(Call(KIV_METHOD_GET, url)); }

  /// Moves the virtual clock, running what falls due.
  void Advance(int64_t nanoseconds) { host_->AdvanceClock(nanoseconds); }

  /// The data of the last event published for `uri`, as compact JSON, or
  /// "" when none was; "<deleted>" for a removal.
  std::string Published(const std::string& uri) const {
    std::string found;
    for (const auto& event : host_->publishedEvents()) {
      if (event.name != "OnJsonApiEvent") continue;
      const std::string json = host::HostValueToJson(event.body.root());
      if (json.find("\"uri\":\"" + uri + "\"") == std::string::npos) continue;
      found = json.find("\"eventType\":\"Delete\"") != std::string::npos ? "<deleted>" : json;
    }
    return found;
  }
  /// How many events were published for `uri` so far.
  size_t PublishedCount(const std::string& uri) const {
    size_t count = 0;
    for (const auto& event : host_->publishedEvents()) {
      if (event.name != "OnJsonApiEvent") continue;
      const std::string json = host::HostValueToJson(event.body.root());
      if (json.find("\"uri\":\"" + uri + "\"") != std::string::npos) ++count;
    }
    return count;
  }

  std::unique_ptr<PluginHost> host_;
  SettableResources* world_ = nullptr;
  ScriptedBackendService service_;
};

}  // namespace kiv::testing
