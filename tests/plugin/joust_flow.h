// joust_flow.h: a tournament world already under way, for tests that drive
// the plugin's pushes and commands: the player logged in and configured, the
// game flow available, and a cache of three tournaments (see PopulatedCache),
// with helpers to send requests and push messages and to read what the
// plugin published, logged, asked the service and posted since a mark.
//
// Not for: the plain world (joust_world.h) or the sample records
// (joust_records.h).
//
//   const Mark mark = Now();
//   Push("roster-dynamic", R"({"rosterDynamicState":{...}})");
//   EXPECT_EQ(PublishedSince(mark), (Uris{"/kiv-joust/v1/tournament/7/roster/500"}));
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_value_reader.h"
#include "tests/plugin/joust_world.h"

namespace kiv::testing {

using Uris = std::set<std::string>;

/// Tournament 7: the player's registered roster 500 (version 5) in bracket
/// 900 (version 5), and roster 600 inviting the player as substitute.
/// Tournament 8, open for rosters: the player's pending roster "inv-8" and
/// an invitation "inv-9" from player 45 (both version 5). Tournament 9:
/// nothing of the player's, and no phase.
inline std::vector<LCDS::TournamentInfoDTO> PopulatedCache() {
  using namespace samples;
  LCDS::RosterDTO registered = Roster(7, 500, 5);
  registered.dynamicState.version = 5;
  registered.phases[0].bracketDTO = Bracket(7, 900, 500, 5);
  LCDS::RosterDTO inviting = Roster(7, 600, 1);
  inviting.captainId = 50;
  inviting.members = {{600, 50, 7, 0, LCDS::Position::kTop, 1}};
  inviting.dynamicState.rosterId = 600;
  inviting.dynamicState.phaseRosterSubs = {{kPlayer, 51, LCDS::SubState::kPending}};
  LCDS::TournamentDTO open = Cup(8);
  open.rosterCreateDeadline = open.rosterDisbandDeadline = kNow + 60 * kMinute;
  LCDS::TournamentDTO unphased = Cup(9);
  unphased.phases.clear();
  return {
      {Cup(7), registered, {inviting}, std::nullopt, {}, 0},
      {open, std::nullopt, {}, PendingRoster(8, "inv-8", 5), {PendingRoster(8, "inv-9", 5, 45)}, 0},
      {unphased, std::nullopt, {}, std::nullopt, {}, 0}};
}

/// The server's clock when the cache is loaded: in the registration window
/// of every sample cup's phase.
inline constexpr int64_t kInWindow = samples::kNow + 10 * samples::kMinute;

class JoustFlow : public JoustWorld {
 protected:
  /// Where the observable lists stood at one moment.
  struct Mark {
    size_t events = 0;
    size_t logs = 0;
    size_t calls = 0;
    size_t posted = 0;
  };

  void SetUp() override {
    JoustWorld::SetUp();
    if (HasFatalFailure()) return;
    Answer("getTournamentInfoMinimal", samples::MinimalInfo(PopulatedCache(), kInWindow));
    Answer("getTournamentPlayerInfo", samples::PlayerInfo(PopulatedCache(), kInWindow));
    Login();
    Configure();
    world_->Set("/kiv-gameflow/v1/availability", R"({"isAvailable":true})");
    host_->RunUntilIdle();
  }

  /// Every later call of the service's `method` answers `json`.
  void Answer(const std::string& method, std::string json) {
    service_.Set("joust", method, ServiceReply::Ok(std::move(json)));
  }

  /// Delivers one message of a push topic, its payload `payloadText`, and
  /// runs what it sets off.
  void Push(std::string_view topic, const std::string& payloadText) {
    BindingProperty message;
    message.MutableMember("payload") = payloadText;
    world_->Set("/zanth-messaging-service/v1/message/joust/v1/notifications/" + std::string(topic),
                WriteJson(message), "Create");
    host_->RunUntilIdle();
  }

  Mark Now() const {
    return {host_->publishedEvents().size(), host_->logLines().size(), service_.calls().size(),
            world_->posted().size()};
  }
  /// The URIs of the resources published since `mark` (a removal as "-"
  /// and the URI), but the server time that every publication pass sends.
  Uris PublishedSince(const Mark& mark) const {
    Uris uris;
    const auto& events = host_->publishedEvents();
    for (size_t i = mark.events; i < events.size(); ++i) {
      if (events[i].name != "OnJsonApiEvent") continue;
      const HostValue& body = events[i].body.root();
      const std::string uri = host::TextOf(host::FindMember(body, "uri"));
      if (uri == "/kiv-joust/v1/time") continue;
      const bool removed = host::TextOf(host::FindMember(body, "eventType")) == "Delete";
      uris.insert(removed ? "-" + uri : uri);
    }
    return uris;
  }
  std::vector<std::string> LogsSince(const Mark& mark) const {
    std::vector<std::string> lines;
    for (size_t i = mark.logs; i < host_->logLines().size(); ++i) {
      lines.push_back(host_->logLines()[i].message);
    }
    return lines;
  }
  /// "method payload" of each service call since `mark`.
  std::vector<std::string> CallsSince(const Mark& mark) const {
    std::vector<std::string> calls;
    for (size_t i = mark.calls; i < service_.calls().size(); ++i) {
      calls.push_back(service_.calls()[i].methodName + " " + service_.calls()[i].payload);
    }
    return calls;
  }
  /// "path body" of each POST or PUT to another plugin since `mark`.
  std::vector<std::string> PostedSince(const Mark& mark) const {
    std::vector<std::string> posted;
    const auto all = world_->posted();
    for (size_t i = mark.posted; i < all.size(); ++i) {
      const auto& request = all[i];
      std::string line = request.path;
      for (const std::string& param : request.paramsJson) line += " " + param;
      posted.push_back(line);
    }
    return posted;
  }
};

}  // namespace kiv::testing
