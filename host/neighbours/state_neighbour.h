// state_neighbour.h: a stand-in neighbour made of settable resources: each
// GET answers the resource's current state, each POST or PUT is recorded, and
// every change of state is announced as the owning plugin would announce it.
//
// Tests and people change a resource with Set (announced "Create" when it
// was absent, else "Update") or Remove (announced "Delete"); the events are
// only queued on the host, like everything a stand-in fires. Serve changes a
// state silently (start-up values, lookup tables). Actions (Accept) record
// what the plugin sent, may change state in reaction, and answer an empty
// body. Any resource can be made to fail with SetFailure.
//
// Not for: the login plugin and its service proxy (login_neighbour.h).
//
//   StateNeighbour gameflow("gameflow", host);
//   gameflow.Serve("/kiv-gameflow/v1/session", R"({"phase":"None"})");
//   gameflow.Accept(KIV_METHOD_POST, "/kiv-gameflow/v1/session/tournament-ended");
//   gameflow.Set("/kiv-gameflow/v1/session", R"({"phase":"InProgress"})");  // announced
//   gameflow.CountReceived(KIV_METHOD_POST, "/kiv-gameflow/v1/session/tournament-ended");
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/neighbour.h"
#include "host/owned_host_value.h"

namespace kiv::host {

/// A request the plugin sent to an action resource.
struct ReceivedRequest {
  uint32_t method = 0;
  std::string path;
  std::vector<std::string> paramsJson;  // each positional parameter as compact JSON

  /// The first parameter's JSON (the body of a POST or PUT), or "null".
  std::string BodyJson() const { return paramsJson.empty() ? "null" : paramsJson[0]; }
};

class StateNeighbour : public NeighbourPlugin {
 public:
  using Effect = std::function<void(const ReceivedRequest&)>;

  /// `context` must outlive this stand-in.
  StateNeighbour(std::string name, NeighbourContext& context);

  /// Declares (or silently replaces) the state of the GET resource `uri`. A
  /// bad JSON text leaves it unchanged and returns false.
  bool Serve(std::string_view uri, std::string_view json);
  /// Replaces the state of `uri` (declaring it when new) and announces it.
  /// A bad JSON text changes nothing and returns false.
  bool Set(std::string_view uri, std::string_view json);
  /// Makes `uri` absent (GET answers 404) and announces "Delete"; false when
  /// it was already absent.
  bool Remove(std::string_view uri);
  /// The state of `uri` as compact JSON; nullopt when absent or not served.
  std::optional<std::string> State(std::string_view uri) const;
  /// True when `uri` is one of this stand-in's GET resources.
  bool Serves(std::string_view uri) const { return states_.count(std::string(uri)) != 0; }

  /// Declares an action: records each request, runs `effect` (which may
  /// change states), answers an empty body.
  void Accept(uint32_t method, std::string urlTemplate, Effect effect = {});
  /// Makes requests of `method` to exactly `path` answer `status` and `text`
  /// (nullopt clears it).
  void SetFailure(uint32_t method, std::string path,
                  std::optional<std::pair<uint32_t, std::string>> failure);

  /// Every action request received, in order.
  const std::vector<ReceivedRequest>& received() const { return received_; }
  /// How many action requests of `method` reached exactly `path`.
  size_t CountReceived(uint32_t method, std::string_view path) const;

 protected:
  NeighbourContext& context() { return context_; }

 private:
  std::optional<NeighbourAnswer> Failed(uint32_t method, const std::string& path) const;

  NeighbourContext& context_;
  // Absent resources keep their entry with no value, so they stay routed.
  std::map<std::string, std::optional<OwnedHostValue>, std::less<>> states_;
  std::map<std::pair<uint32_t, std::string>, std::pair<uint32_t, std::string>> failures_;
  std::vector<ReceivedRequest> received_;
};

}  // namespace kiv::host
