#include "joust/logic/gameflow_presence.h"
#include "joust/logic/state_writes.h"

#include <algorithm>
#include <cstdlib>

#include "joust/logic/cache.h"
#include "joust/logic/configuration.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/resource_paths.h"
#include "joust/logic/state_machine.h"
#include "joust/model/api/chat_key.h"
#include "joust/model/api/session.h"
#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"
#include "sdk/runtime/mutation_point.h"

namespace kiv::joust {
namespace {

using Api::PresenceState;

constexpr char kCheckinUri[] = "/kiv-gameflow/v1/session/request-tournament-checkin";
constexpr char kTournamentEndedUri[] = "/kiv-gameflow/v1/session/tournament-ended";
constexpr char kGameflowEventUri[] = "/kiv-gameflow/v1/session/event";
constexpr char kChatMeUri[] = "/kiv-chat/v1/me";
constexpr char kPresenceKey[] = "joustTournamentState";

const char* PresenceText(PresenceState state) {
  switch (state) {
    case PresenceState::kLockedIn:
      return "LOCKED_IN";
    case PresenceState::kScouting:
      return "SCOUTING";
    default:
      return "NONE";
  }
}

// Whether tournament `id` restricts the player, and with which presence.
bool Restricts(const JoustPluginState& state, int64_t id, PresenceState& presence) {
  const LCDS::RosterDTO* roster = state.cache.PlayerRoster(id);
  if (!roster) {
    const LCDS::PendingRosterDTO* pending = state.cache.OwnPendingRoster(id);
    if (!pending) return false;
    const auto& members = pending->members;
    const bool ready = std::any_of(members.begin(), members.end(), [&](const auto& member) {
      return member.playerId == state.session.summonerId &&
             member.memberState == LCDS::PendingRosterMemberState::kReady;
    });
    presence = PresenceState::kLockedIn;
    return ready;
  }
  const auto info = state.pass.stateInfos.find(id);
  if (info == state.pass.stateInfos.end() || info->second.state == Api::TournamentState::kIdle ||
      info->second.state == Api::TournamentState::kResults) {
    return false;
  }
  const int64_t current = info->second.currentPhaseId;
  const bool registered =
      std::any_of(roster->phases.begin(), roster->phases.end(),
                  [&](const LCDS::PhaseRosterDTO& phase) { return phase.phaseId == current; });
  if (registered) {
    const LCDS::Bracket* bracket = state.cache.PlayerBracket(id);
    if (bracket && bracket->phaseId != current) bracket = nullptr;
    const bool open = bracket && OpenMatch(*bracket, roster->id);
    if (roster->eliminated || (bracket && !open)) return false;
    presence = bracket ? PresenceState::kScouting : PresenceState::kLockedIn;
    return true;
  }
  const auto& checkins = roster->dynamicState.phaseCheckinStates;
  presence = PresenceState::kLockedIn;
  return std::find(checkins.begin(), checkins.end(), state.session.summonerId) != checkins.end();
}

}  // namespace

Api::PlaymodeRestrictedInfo ComputeRestriction(const JoustPlugin& plugin) {
  const JoustPluginState& state = plugin.state();
  Api::PlaymodeRestrictedInfo result;
  if (!Ready(state) || !Enabled(state) || !state.feature.playmodeRestrictionEnabled) return result;
  for (const auto& [id, tournament] : state.cache.tournaments()) {
    PresenceState presence = PresenceState::kNone;
    if (!Restricts(state, id, presence)) continue;
    result.isRestricted = true;
    result.tournamentId = id;
    result.presenceState = presence;
    break;
  }
  return result;
}

void RestrictionStep(JoustPlugin& plugin) {
  const Api::PlaymodeRestrictedInfo restriction = ComputeRestriction(plugin);
  if (restriction.isRestricted) {
    Log(kLogAlways, kGroupDbg,
        "Playmode restriction enabled via Tournament ID [%lli] player can no longer join "
        "non-tournament lobbies, queues, parties, etc.",
        static_cast<long long>(restriction.tournamentId));
  }
  plugin.events().PublishUpdate(kPlaymodeRestrictedPath, restriction.isRestricted);
  plugin.events().PublishUpdate(kPlaymodeRestrictionPath, restriction);
  const Api::GameflowPhase phase = plugin.state().session.gameflowPhase;
  if (phase == Api::GameflowPhase::kNone && restriction.isRestricted) {
    Log(kLogAlways, kGroupDbg,
        "We're in a tournament but gameflow thinks we're not. Notifying gameflow...");
    if (plugin.requests().Send<void>(KIV_METHOD_POST, kCheckinUri).ok()) {
      PostGameflowEvent(plugin, kCheckedInEvent);
    } else {
      Log(kLogWarn, kGroupDbg,
          "unable to re-enter gameflow via request-tournament-checkin. Gameflow not available?");
    }
  } else if (phase == Api::GameflowPhase::kCheckedIntoTournament && !restriction.isRestricted) {
    Log(kLogAlways, kGroupDbg,
        "Tournament phase over or we've been eliminated. Notifying gameflow we're done for now...");
    (void)plugin.requests().Send<void>(KIV_METHOD_POST, kTournamentEndedUri);
  }
  const uint64_t summonerId = plugin.state().session.summonerId;
  const bool changed =
      !plugin.lastPresence || plugin.lastPresence->presenceState != restriction.presenceState;
  if (changed && summonerId != 0) {
    const char* text = PresenceText(restriction.presenceState);
    Log(kLogAlways, kGroupDbg, "Updating chat presence state user.kiv.%s to %s", kPresenceKey,
        text);
    Api::UserResource user{summonerId, {{kPresenceKey, text}}};
    const bool sent = plugin.requests().Send<void>(KIV_METHOD_PUT, kChatMeUri, user).ok();
    // The chat may be missing or failing: the presence is only a courtesy.
    if (!sent && MutationActive("neighbour-failure-crashes")) std::abort();
  }
  plugin.lastPresence = std::make_unique<Api::PlaymodeRestrictedInfo>(restriction);
}

void OnGameflowAvailability(JoustPlugin& plugin,
                            const TypedResourceEvent<Api::GameflowAvailability>& event) {
  SetCheckinAllowed(plugin.state(),
                    event.eventType != PluginResourceEventType::kDelete && event.data.isAvailable);
}

void OnGameflowSession(JoustPlugin& plugin, const TypedResourceEvent<Api::GameflowSession>& event) {
  SetGameflowPhase(plugin.state(), event.eventType == PluginResourceEventType::kDelete
                                       ? Api::GameflowPhase::kNone
                                       : event.data.phase);
}

MaybeType<Failure, int64_t> CurrentPhase(const JoustPlugin& plugin, int64_t tournamentId) {
  const JoustPluginState& state = plugin.state();
  const auto info = state.pass.stateInfos.find(tournamentId);
  const LCDS::TournamentDTO* tournament = state.cache.FindTournament(tournamentId);
  if (info != state.pass.stateInfos.end() && tournament) {
    for (const LCDS::TournamentPhaseDTO& phase : tournament->phases) {
      if (phase.id == info->second.currentPhaseId) return phase.id;
    }
  }
  return Fail(Failure::WithStaticMessage(404, "INVALID_PHASE"));
}

MaybeType<Failure, int64_t> LockInPhase(const JoustPlugin& plugin, int64_t tournamentId) {
  auto current = CurrentPhase(plugin, tournamentId);
  if (!current.ok()) return current;
  const int64_t now = plugin.ServerNow();
  for (const LCDS::TournamentPhaseDTO& phase :
       plugin.state().cache.tournaments().at(tournamentId).phases) {
    if (phase.id == *current && now >= phase.registrationTime && now < phase.startTime) {
      return phase.id;
    }
  }
  return Fail(Failure::WithStaticMessage(404, "INVALID_PHASE"));
}

MaybeType<Failure, void> CheckInWithGameflow(JoustPlugin& plugin) {
  if (!plugin.state().session.checkinAllowed) {
    return Fail(Failure::WithStaticMessage(400, "GAMEFLOW_UNAVAILABLE"));
  }
  Log(kLogAlways, kGroupDbg, "Requesting tournament checkin from gameflow...");
  if (!plugin.requests().Send<void>(KIV_METHOD_POST, kCheckinUri).ok()) {
    return Fail(Failure::WithStaticMessage(400, "GAMEFLOW_UNAVAILABLE"));
  }
  Log(kLogAlways, kGroupDbg, "gameflow tournament checkin successful");
  return Ok();
}

void PostGameflowEvent(JoustPlugin& plugin, const char* event) {
  (void)plugin.requests().Send<void>(KIV_METHOD_POST, kGameflowEventUri, std::string(event));
}

std::vector<Api::PlayerChatRoster> ChatRosters(const JoustPlugin& plugin) {
  const JoustPluginState& state = plugin.state();
  std::vector<Api::PlayerChatRoster> rosters;
  rosters.reserve(state.cache.standings().size());
  for (const auto& [id, standing] : state.cache.standings()) {
    if (standing.state == Api::PlayerState::kNoRoster) continue;
    const LCDS::TournamentDTO* tournament = state.cache.FindTournament(id);
    const auto info = state.pass.stateInfos.find(id);
    if (!tournament || info == state.pass.stateInfos.end()) continue;
    // Only the roster's name and badge are needed: read them where the
    // roster lies instead of building its whole record.
    auto found = FindCachedRoster(state, id, standing.rosterId);
    if (!found.ok()) continue;
    Api::PlayerChatRoster chat;
    chat.tournamentId = id;
    chat.startTimeMs = tournament->scheduleTime;
    chat.endTimeMs = tournament->scheduleEndTime;
    chat.tournamentState = info->second.state;
    chat.playerState = standing.state;
    if (const LCDS::PendingRosterDTO* pending = found->pending) {
      chat.isRegistered = false;
      chat.name = pending->name;
      chat.shortName = pending->shortName;
      chat.iconId = pending->logo;
      chat.iconColorId = pending->logoColor;
      chat.key = Api::ChatKey(pending->tournamentId, pending->invitationId, false);
    } else {
      const LCDS::RosterDTO& roster = found->registered ? *found->registered : *found->substitute;
      chat.isRegistered = true;
      chat.name = roster.name;
      chat.shortName = roster.shortName;
      chat.iconId = roster.logo;
      chat.iconColorId = roster.logoColor;
      chat.key = Api::ChatKey(roster.tournamentId, std::to_string(roster.id), true);
    }
    rosters.push_back(std::move(chat));
  }
  return rosters;
}

}  // namespace kiv::joust
