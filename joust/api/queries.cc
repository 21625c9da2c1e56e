#include "joust/api/queries.h"

#include <utility>

#include "joust/backend/backend_methods.h"
#include "joust/backend/winners_payload.h"
#include "joust/logic/cache.h"
#include "joust/logic/rest_builders.h"
#include "joust/logic/state_machine.h"
#include "sdk/value/format_message.h"

namespace kiv::joust {

MaybeType<Failure, BindingProperty> GetPing(JoustPlugin& plugin) {
  auto answer = plugin.backend().Call<kPing>();
  if (answer.ok()) return answer;
  const Failure failure = std::move(answer).takeFailure();
  return Fail(
      Failure(failure.ErrorCode(),
              FormatMessage("Error while calling ping on joust service: %1", failure.Message())));
}

MaybeType<Failure, Api::Roster> GetRoster(JoustPlugin& plugin, int64_t tournamentId,
                                          const std::string& rosterId) {
  auto cached = ReadRoster(plugin, tournamentId, rosterId);
  int64_t id = 0;
  // Only a registered roster (a number) can be another roster's public one;
  // an unknown invitation stays unknown.
  if (cached.ok() || cached.failure().ErrorCode() != 404 || !ParseRosterId(rosterId, id)) {
    return cached;
  }
  auto rosters = plugin.backend().Call<kGetPublicRosters>(std::vector<int64_t>{id});
  if (!rosters.ok()) return Fail(std::move(rosters).takeFailure());
  for (const LCDS::PublicRosterDTO& roster : *rosters) {
    if (roster.id == id) return BuildPublicRoster(roster, tournamentId);
  }
  return cached;
}

MaybeType<Failure, Api::RosterStats> GetRosterStats(JoustPlugin& plugin, int64_t rosterId) {
  auto stats = plugin.backend().Call<kGetRosterStats>(rosterId);
  if (!stats.ok()) return Fail(std::move(stats).takeFailure());
  return BuildRosterStats(*stats);
}

MaybeType<Failure, std::vector<Api::RankedScoutingMember>> GetRankedScouting(
    JoustPlugin& plugin, const std::vector<uint64_t>& summonerIds) {
  auto members = plugin.backend().Call<kGetRankedScoutingData>(summonerIds);
  if (!members.ok()) return Fail(std::move(members).takeFailure());
  std::vector<Api::RankedScoutingMember> scouting;
  scouting.reserve(members->size());
  for (const LCDS::RankedScoutingMemberDTO& member : *members) {
    scouting.push_back(BuildScoutingMember(member));
  }
  return scouting;
}

MaybeType<Failure, LCDS::JoustEventData> GetEvent(JoustPlugin& plugin, const std::string& uuid) {
  return plugin.backend().Call<kGetJoustEvent>(uuid);
}

MaybeType<Failure, std::vector<LCDS::JoustEventData>> GetEvents(
    JoustPlugin& plugin, const std::vector<std::string>& uuids) {
  return plugin.backend().Call<kGetJoustEvents>(uuids);
}

MaybeType<Failure, Api::TournamentWinnerHistory> GetWinners(JoustPlugin& plugin,
                                                            int64_t tournamentId) {
  auto payload = plugin.backend().Call<kGetTournamentWinnersCompressed>(tournamentId);
  if (!payload.ok()) return Fail(std::move(payload).takeFailure());
  // An answer that is not text decodes as an empty payload, which fails.
  return DecodeWinners(payload->IsString() ? payload->GetString() : std::string_view());
}

MaybeType<Failure, Api::TournamentHistoryAndWinners> GetHistoryAndWinners(JoustPlugin& plugin) {
  auto answer = plugin.backend().Call<kGetTournamentHistoryAndWinners>();
  if (!answer.ok()) return Fail(std::move(answer).takeFailure());
  Api::TournamentHistoryAndWinners history;
  const int64_t now = plugin.ServerNow();
  history.tournamentHistory.reserve(answer->tournamentHistory.size());
  for (const LCDS::TournamentDTO& tournament : answer->tournamentHistory) {
    history.tournamentHistory.push_back(BuildTournament(tournament, now));
  }
  if (!answer->tournamentWinnersCompressed.empty()) {
    auto winners = DecodeWinners(answer->tournamentWinnersCompressed);
    if (!winners.ok()) return Fail(std::move(winners).takeFailure());
    history.tournamentWinners = std::move(winners).take();
  }
  return history;
}

}  // namespace kiv::joust
