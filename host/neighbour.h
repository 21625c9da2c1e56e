// neighbour.h: stand-in neighbour plugins that the plugin's SendRequest
// reaches, and the context through which they fire events.
//
// A stand-in is a named set of resources: (method, URL template) -> handler.
// A handler answers a body, an error with a status, or a streamed body. It
// runs inside the plugin's SendRequest, so it must never call into the plugin:
// it fires events and schedules later work only through its NeighbourContext,
// which queues them on the host like everything else.
//
// Not for: the plugin's own endpoints (route_table.h, plugin_host.h).
//
//   auto gameflow = std::make_unique<NeighbourPlugin>("gameflow");
//   gameflow->On(KIV_METHOD_GET, "/kiv-gameflow/v1/session",
//                [](const NeighbourRequest&) { return NeighbourAnswer::Json(R"({"phase":"None"})");
//                });
//   host.neighbours().Add(std::move(gameflow));
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_request.h"
#include "host/owned_host_value.h"
#include "host/route_table.h"

namespace kiv::host {

/// A body read in pieces: each read returns at most the next size of
/// `chunks` (the last size repeats; none means as much as asked), never more
/// than the reader asked for.
struct StreamPlan {
  std::string bytes;
  std::vector<uint32_t> chunks;
  int failOnRead = -1;  // 0-based index of a read that fails; -1 never
};

struct NeighbourAnswer {
  OwnedHostValue body;
  std::optional<std::string> error;
  uint32_t status = 200;
  std::optional<StreamPlan> stream;

  static NeighbourAnswer Value(OwnedHostValue body);
  /// The body parsed from `json`; a bad text answers error 500 naming it.
  static NeighbourAnswer Json(std::string_view json);
  static NeighbourAnswer Text(std::string_view text);
  static NeighbourAnswer Empty();
  static NeighbourAnswer Error(uint32_t status, std::string text);
  static NeighbourAnswer Streamed(StreamPlan plan);
};

/// What a handler sees of the plugin's request (copied; the plugin's record
/// is gone once SendRequest returns).
struct NeighbourRequest {
  uint32_t method = 0;
  std::string path;
  std::string query;  // after "?", undecoded
  std::vector<RequestArgument> params;
  std::vector<UrlCapture> captures;
  void* pluginHandle = nullptr;

  /// The positional parameter `index`, or the empty value.
  const HostValue& Param(size_t index) const;
  /// The parameter as text; nullopt when absent or not a text.
  std::optional<std::string> TextParam(size_t index) const;
};

using ResourceHandler = std::function<NeighbourAnswer(const NeighbourRequest&)>;

/// What stand-ins may do on the host. Everything is queued: nothing reaches
/// the plugin before the host's pending work runs.
class NeighbourContext {
 public:
  virtual ~NeighbourContext() = default;
  /// Queues an event for the listeners of `name` now.
  virtual void FireEvent(const std::string& name, OwnedHostValue body, uint32_t flags) = 0;
  /// Runs `work` after `delayNanoseconds` on the host clock.
  virtual void Later(std::string label, int64_t delayNanoseconds, std::function<void()> work) = 0;

  /// Fires a resource change under its own event name and under
  /// "OnJsonApiEvent", as every plugin announces its resources.
  void PublishResource(std::string_view uri, std::string_view eventType, const HostValue& data);
};

class NeighbourPlugin {
 public:
  explicit NeighbourPlugin(std::string name) : name_(std::move(name)) {}
  virtual ~NeighbourPlugin() = default;
  NeighbourPlugin(const NeighbourPlugin&) = delete;
  NeighbourPlugin& operator=(const NeighbourPlugin&) = delete;

  /// Declares a resource; declaring the same method and template again
  /// replaces its handler (tests override answers this way).
  void On(uint32_t method, std::string urlTemplate, ResourceHandler handler);
  /// The answer of the chosen resource, or nullopt when none matches.
  std::optional<NeighbourAnswer> Handle(NeighbourRequest& request) const;
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  RouteTable routes_;
  std::vector<std::pair<uint32_t, std::string>> declared_;
  std::vector<ResourceHandler> handlers_;
};

/// Every stand-in of the host, tried in the order added.
class Neighbourhood {
 public:
  /// Sees every request before the stand-ins do; an answer it gives is the
  /// request's answer (a fault injected by a test world), none lets the
  /// stand-ins answer.
  using Interceptor = std::function<std::optional<NeighbourAnswer>(const NeighbourRequest&)>;
  void SetInterceptor(Interceptor interceptor) { interceptor_ = std::move(interceptor); }

  NeighbourPlugin& Add(std::unique_ptr<NeighbourPlugin> neighbour);
  /// Adds `neighbour` before every stand-in added so far: what it serves
  /// overrides them (a test's own resources over the standard stand-ins).
  NeighbourPlugin& AddInFront(std::unique_ptr<NeighbourPlugin> neighbour);
  /// The stand-in named `name`, or null.
  NeighbourPlugin* Find(std::string_view name) const;
  /// The first stand-in's answer; error 404 "Not Found" when none serves it.
  NeighbourAnswer Handle(NeighbourRequest& request) const;

 private:
  std::vector<std::unique_ptr<NeighbourPlugin>> neighbours_;
  Interceptor interceptor_;
};

}  // namespace kiv::host
