// The service's queries: the player's view of every tournament, brackets,
// public rosters, statistics, scouting, reward events, history and winners,
// and the small utility methods.
#include <algorithm>

#include "standin/service/internal/service_call.h"

namespace kiv::standin {
namespace {

// Where `player` is a pending or active substitute.
bool SubstitutesIn(LCDS::RosterDTO& roster, uint64_t player) {
  return FindSub(roster, player) != nullptr;
}

std::vector<LCDS::TournamentInfoDTO> TournamentInfo(CallContext& call) {
  std::vector<LCDS::TournamentInfoDTO> infos;
  World& world = call.world;
  const PlayerState& player = *world.FindPlayer(call.caller);
  for (auto& [id, tournament] : world.tournaments) {
    LCDS::TournamentInfoDTO info;
    info.tournament = tournament.dto;
    if (LCDS::RosterDTO* roster = world.RosterOf(id, call.caller)) {
      info.roster = world.RosterView(*roster);
    }
    for (auto& [rosterId, roster] : world.rosters) {
      if (roster.tournamentId == id && SubstitutesIn(roster, call.caller)) {
        info.subRosters.push_back(world.RosterView(roster));
      }
    }
    if (LCDS::PendingRosterDTO* pending = world.PendingOf(id, call.caller)) {
      info.pendingRoster = *pending;
    }
    for (auto& [invitationId, pending] : world.pending) {
      if (pending.tournamentId == id && PendingInvitee(pending, call.caller)) {
        info.inviteePendingRosters.push_back(pending);
      }
    }
    const auto vp = player.themeVp.find(tournament.dto.themeId);
    info.themeVp = vp == player.themeVp.end() ? 0 : vp->second;
    infos.push_back(std::move(info));
  }
  return infos;
}

}  // namespace

MethodResult GetTournamentPlayerInfo(CallContext& call) {
  LCDS::TournamentPlayerInfoDTO answer;
  answer.tournamentInfo = TournamentInfo(call);
  const PlayerState& player = *call.world.FindPlayer(call.caller);
  for (auto& [id, roster] : call.world.rosters) {
    if (MemberOf(roster, call.caller) || SubstitutesIn(roster, call.caller)) {
      const auto stats = call.world.stats.find(id);
      if (stats != call.world.stats.end()) answer.rosterStats.push_back(stats->second);
    }
  }
  answer.player.tickets = player.tickets;
  answer.seasonVp = player.seasonVp;
  for (const auto& [theme, vp] : player.themeVp)
    answer.themeVps.push_back(LCDS::ThemeVp{theme, vp});
  answer.time = call.now;
  return Answer(answer);
}

MethodResult GetTournamentInfoMinimal(CallContext& call) {
  return Answer(LCDS::TournamentInfoMinimalDTO{TournamentInfo(call), call.now});
}

MethodResult GetRosterBracket(CallContext& call) {
  const auto found = call.world.brackets.find(call.Signed("bracketId"));
  if (found == call.world.brackets.end()) return Refuse("INVALID_BRACKET");
  return Answer(found->second.bracket());
}

MethodResult GetPublicRosters(CallContext& call) {
  const std::vector<int64_t> ids = call.Ids("rosterIds");
  if (ids.size() > 50) return Refuse("MAX_ROSTER_FETCHSIZE");
  std::vector<LCDS::PublicRosterDTO> answer;
  for (int64_t id : ids) {
    if (LCDS::RosterDTO* roster = call.world.FindRoster(id)) {
      LCDS::PublicRosterDTO view{roster->id,   roster->name,      roster->shortName,
                                 roster->logo, roster->logoColor, {}};
      for (const auto& member : roster->members) view.memberIds.push_back(member.playerId);
      answer.push_back(std::move(view));
    }
  }
  return Answer(answer);
}

MethodResult GetRosterStats(CallContext& call) {
  const auto found = call.world.stats.find(call.Signed("rosterId"));
  if (found == call.world.stats.end()) return Refuse("INVALID_ROSTER");
  return Answer(found->second);
}

MethodResult GetRankedScoutingData(CallContext& call) {
  std::vector<LCDS::RankedScoutingMemberDTO> answer;
  for (uint64_t id : call.Players("playerIds")) {
    if (!call.world.FindPlayer(id)) continue;
    // Derived from the id alone, so every run shows the same figures.
    LCDS::RankedScoutingMemberDTO member{id, {}};
    for (int32_t rank = 1; rank <= 3; ++rank) {
      const auto mix =
          static_cast<int32_t>((id * 2654435761u + static_cast<uint64_t>(rank) * 40503u) % 997);
      const int32_t games = 10 + mix % 90;
      member.championScoutingData.push_back(LCDS::RankedScoutingTopChampionDTO{
          1 + mix % 160, rank, games / 2 + mix % (games / 2 + 1) / 2, games,
          1.5f + static_cast<float>(mix % 40) / 10.0f});
    }
    answer.push_back(std::move(member));
  }
  return Answer(answer);
}

MethodResult GetJoustEvent(CallContext& call) {
  const PlayerState& player = *call.world.FindPlayer(call.caller);
  const std::string id = call.Text("eventId");
  if (std::find(player.eventIds.begin(), player.eventIds.end(), id) == player.eventIds.end()) {
    return Refuse("NO_PERMISSION");
  }
  return Answer(call.world.events.at(id));
}

MethodResult GetJoustEvents(CallContext& call) {
  const PlayerState& player = *call.world.FindPlayer(call.caller);
  std::vector<LCDS::JoustEventData> answer;
  for (const std::string& id : call.Texts("eventIds")) {
    if (std::find(player.eventIds.begin(), player.eventIds.end(), id) != player.eventIds.end()) {
      answer.push_back(call.world.events.at(id));
    }
  }
  return Answer(answer);
}

MethodResult GetTournamentHistoryAndWinners(CallContext& call) {
  LCDS::TournamentHistoryAndWinnersDTO answer;
  const TournamentState* latest = nullptr;
  for (const auto& [id, tournament] : call.world.tournaments) {
    if (!tournament.finished) continue;
    answer.tournamentHistory.push_back(tournament.dto);
    if (!latest || tournament.dto.scheduleEndTime >= latest->dto.scheduleEndTime) {
      latest = &tournament;
    }
  }
  answer.tournamentWinnersCompressed =
      CompressWinners(latest ? latest->winners : Api::TournamentWinnerHistory{});
  return Answer(answer);
}

MethodResult GetTournamentWinnersCompressed(CallContext& call) {
  const TournamentState* tournament = call.world.FindTournament(call.Signed("tournamentId"));
  if (!tournament) return Refuse("INVALID_TOURNAMENT");
  BindingProperty text;
  text = std::string_view(CompressWinners(tournament->winners));
  return text;
}

MethodResult IsEnabledForMe(CallContext& call) {
  BindingProperty answer;
  answer = call.world.enabledForMe;
  return answer;
}

MethodResult Ping(CallContext& call) {
  BindingProperty answer;
  answer = call.now;
  return answer;
}

MethodResult CustomAck(CallContext& call) {
  if (call.Text("ackType") != "NO_SHOW") return Refuse("INTERNAL_ERROR");
  const std::string payload = call.Text("ackPayload");
  call.world.acks.push_back(payload);
  if (call.service.hooks().acknowledged) call.service.hooks().acknowledged(call.caller, payload);
  return NoAnswer();
}

}  // namespace kiv::standin
