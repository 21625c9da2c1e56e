// client_view.h: what a user interface knows of the plugin when it reads
// each resource once, as it first learns of it, and then follows the events.
// It must always know what the endpoints answer: a change that was never
// published is a change that interface never sees.
//
// The interface reads the feature-wide resources when the plugin starts, a
// tournament's resources when its id first appears in the published
// "/kiv-joust/v1/tournamentIds", and the player's bracket when their
// standing first names it. (A roster's endpoint answers one the plugin does
// not hold from the service's public rosters, so only the rosters published
// are judged, by Invariants.) A resource it has seen published
// is compared by Invariants already; this view judges the others: one never
// published must still answer what it answered when first read, and one
// published as removed must still answer a failure.
//
// Not for: the published resources' values (invariants.h compares those).
//
//   ClientView view(host);                         // before the run starts
//   std::string violation = view.Check(run.LastPublished());
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "host/plugin_host.h"

namespace kiv::standin {

class ClientView {
 public:
  using Published = std::map<std::string, std::optional<std::string>, std::less<>>;

  /// Reads the feature-wide resources now. `host` must outlive this object.
  explicit ClientView(host::PluginHost& host);

  /// The first resource whose answer the interface could not know, described;
  /// empty when there is none.
  std::string Check(const Published& published);

 private:
  // Reads `uri` as the interface would when it first learns of it.
  void Learn(const std::string& uri);
  // Learns every resource that `published` (what the interface holds now)
  // names and it has not read yet.
  void LearnNamed(const Published& published);
  std::string Judge(const std::string& uri, const std::string& firstRead,
                    const Published& published);

  host::PluginHost& host_;
  // What each resource answered when first read (compact JSON, or the
  // failure as {"errorCode", "message"}).
  std::map<std::string, std::string, std::less<>> firstRead_;
};

}  // namespace kiv::standin
