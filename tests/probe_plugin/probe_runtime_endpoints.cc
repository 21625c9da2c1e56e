// The probe's endpoints that drive the runtime's services from outside: a
// request to a neighbour, observing and unsubscribing URIs, publishing, named
// timers, and a backend call that is awaited. What the observers and timers
// saw is kept in one state object shared by the endpoints, and read back
// through "/kiv-probe/v1/runtime/seen" (and cleared with "?clear=true").
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/probe_plugin/probe_plugin.h"

namespace kiv::probe {
namespace {

/// What the observers and timers saw; owned by the endpoints' handlers.
struct SeenState {
  std::vector<std::string> events;  ///< "<observed uri> <eventType> <uri>"
  std::map<std::string, uint64_t> firings;
};

const char* EventTypeText(PluginResourceEventType type) {
  switch (type) {
    case PluginResourceEventType::kCreate:
      return "Create";
    case PluginResourceEventType::kUpdate:
      return "Update";
    case PluginResourceEventType::kDelete:
      return "Delete";
  }
  return "";
}

}  // namespace

void RegisterRuntimeEndpoints(ProbePlugin& plugin) {
  Router& api = plugin.router();
  auto seen = std::make_shared<SeenState>();
  ProbePlugin* module = &plugin;

  Require(api.Register(
      KIV_METHOD_POST, "/kiv-probe/v1/runtime/request",
      [module](uint32_t method, std::string& url) -> MaybeType<Failure, BindingProperty> {
        return module->requests().Send<BindingProperty>(method, url);
      },
      Param<uint32_t>("method", kQueryLocation), Param<std::string>("url", kQueryLocation)));
  Require(api.Register(
      KIV_METHOD_POST, "/kiv-probe/v1/runtime/observe",
      [module, seen](std::string& uri) -> MaybeType<Failure, void> {
        module->events().Observe(uri, [seen, uri](const PluginResourceEvent& event) {
          seen->events.push_back(uri + " " + EventTypeText(event.eventType) + " " + event.uri);
        });
        return Ok();
      },
      Param<std::string>("uri", kQueryLocation)));
  Require(api.Register(
      KIV_METHOD_POST, "/kiv-probe/v1/runtime/unsubscribe",
      [module](std::string& uri) -> MaybeType<Failure, void> {
        module->Unsubscribe(uri);
        return Ok();
      },
      Param<std::string>("uri", kQueryLocation)));
  Require(api.Register(
      KIV_METHOD_POST, "/kiv-probe/v1/runtime/publish",
      [module](std::string& uri, BindingProperty& value) -> MaybeType<Failure, void> {
        if (value.IsEmpty()) {
          module->events().PublishDelete(uri);
        } else {
          module->events().PublishUpdate(uri, value);
        }
        return Ok();
      },
      Param<std::string>("uri", kQueryLocation), Param<BindingProperty>("value", kBodyLocation)));
  Require(api.Register(
      KIV_METHOD_POST, "/kiv-probe/v1/runtime/timer",
      [module, seen](std::string& name, double seconds,
                     std::string& tag) -> MaybeType<Failure, void> {
        if (seconds < 0) {
          module->timers().KillTimer(name);
        } else {
          module->timers().SetTimer(name, seconds, [seen, tag] { ++seen->firings[tag]; });
        }
        return Ok();
      },
      Param<std::string>("name", kQueryLocation), Param<double>("seconds", kQueryLocation),
      Param<std::string>("tag", kQueryLocation)));
  Require(api.Register(
      KIV_METHOD_GET, "/kiv-probe/v1/runtime/seen",
      [seen](bool clear) -> MaybeType<Failure, BindingProperty> {
        BindingProperty answer;
        BindingProperty& events = answer.MutableMember("events");
        events.SetEmptyCollection();
        for (const std::string& event : seen->events) events.AppendElement() = event;
        BindingProperty& firings = answer.MutableMember("firings");
        firings.SetEmptyStructure();
        for (const auto& [tag, count] : seen->firings) firings.MutableMember(tag) = count;
        if (clear) *seen = SeenState();
        return answer;
      },
      Param<bool>("clear", kQueryLocation).Optional()));
  Require(api.Register(
      KIV_METHOD_POST, "/kiv-probe/v1/runtime/backend",
      [module](std::string& service, std::string& method,
               BindingProperty& payload) -> MaybeType<Failure, BindingProperty> {
        return module->timers().Await(
            module->serviceProxy().CallService<BindingProperty>(service, method, payload));
      },
      Param<std::string>("service", kQueryLocation), Param<std::string>("method", kQueryLocation),
      Param<BindingProperty>("payload", kBodyLocation)));
}

}  // namespace kiv::probe
