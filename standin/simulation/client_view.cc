#include "standin/simulation/client_view.h"

#include <cstdint>
#include <string_view>

#include "sdk/codec/json_reader.h"
#include "sdk/value/binding_property.h"
#include "standin/simulation/endpoint_answer.h"

namespace kiv::standin {
namespace {

// The feature-wide resources the plugin publishes (the time aside: it moves
// by itself).
constexpr std::string_view kFeatureResources[] = {"/kiv-joust/v1/visible",
                                                  "/kiv-joust/v1/enabled",
                                                  "/kiv-joust/v1/ready",
                                                  "/kiv-joust/v1/checkin-allowed",
                                                  "/kiv-joust/v1/iconconfig",
                                                  "/kiv-joust/v1/playmode-restricted",
                                                  "/kiv-joust/v2/playmode-restricted",
                                                  "/kiv-joust/v1/tournamentIds",
                                                  "/kiv-joust/v1/tournament-summary",
                                                  "/kiv-joust/v1/tournament-state-info",
                                                  "/kiv-joust/v1/player",
                                                  "/kiv-joust/v1/player/history",
                                                  "/kiv-joust/v1/rewards",
                                                  "/kiv-joust/v1/invitations",
                                                  "/kiv-joust/v1/gameEnd",
                                                  "/kiv-joust/v1/eogPlayerUpdate",
                                                  "/kiv-joust/v1/notifications"};
// A tournament's own resources, after "/kiv-joust/v1/tournament/ID".
constexpr std::string_view kTournamentResources[] = {"", "/stateInfo", "/player", "/invitations"};
constexpr char kTournamentIds[] = "/kiv-joust/v1/tournamentIds";

std::string TournamentPath(int64_t id) { return "/kiv-joust/v1/tournament/" + std::to_string(id); }

}  // namespace

ClientView::ClientView(host::PluginHost& host) : host_(host) {
  for (std::string_view uri : kFeatureResources) Learn(std::string(uri));
}

void ClientView::Learn(const std::string& uri) {
  if (!firstRead_.contains(uri)) firstRead_.emplace(uri, EndpointAnswer(host_, uri));
}

void ClientView::LearnNamed(const Published& published) {
  // What the interface holds of `uri` now: the last value published there,
  // else what it read first.
  auto known = [&](const std::string& uri) -> BindingProperty {
    const auto last = published.find(uri);
    if (last != published.end()) return last->second ? ReadJson(*last->second) : BindingProperty();
    const auto first = firstRead_.find(uri);
    return first == firstRead_.end() ? BindingProperty() : ReadJson(first->second);
  };
  const BindingProperty ids = known(kTournamentIds);
  if (!ids.IsCollection()) return;
  for (const BindingProperty& id : ids.Elements()) {
    const std::string tournament = TournamentPath(WholeNumber(id));
    for (std::string_view resource : kTournamentResources)
      Learn(tournament + std::string(resource));
    // Rosters are not learned: their endpoint answers a roster the plugin
    // does not hold from the service's public rosters, which change without
    // the plugin knowing.
    const BindingProperty standing = known(tournament + "/player");
    const int64_t bracketId = WholeNumber(standing.Member("bracketId"));
    if (bracketId >= 0) Learn(tournament + "/bracket/" + std::to_string(bracketId));
  }
}

std::string ClientView::Judge(const std::string& uri, const std::string& firstRead,
                              const Published& published) {
  const auto last = published.find(uri);
  if (last != published.end() && last->second) return "";  // Invariants compares it
  const std::string answer = EndpointAnswer(host_, uri);
  if (last != published.end()) {
    if (IsFailureText(answer)) return "";
    return uri + " was published as removed, but its endpoint answers " + answer.substr(0, 100);
  }
  if (answer == firstRead) return "";
  return uri + " was never published: " + DescribeDifference("first read as", firstRead, answer);
}

std::string ClientView::Check(const Published& published) {
  LearnNamed(published);
  for (const auto& [uri, firstRead] : firstRead_) {
    std::string violation = Judge(uri, firstRead, published);
    if (!violation.empty()) return violation;
  }
  return "";
}

}  // namespace kiv::standin
