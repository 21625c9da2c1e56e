#include "joust/api/register_endpoints.h"

#include <tuple>
#include <type_traits>

#include "joust/api/acknowledgements.h"
#include "joust/api/endpoint_table.h"
#include "joust/api/pending_roster_commands.h"
#include "joust/api/queries.h"
#include "joust/api/roster_commands.h"
#include "joust/api/substitute_commands.h"
#include "joust/logic/gameflow_presence.h"
#include "joust/logic/published_resources.h"
#include "joust/logic/resource_paths.h"

namespace kiv::joust {
namespace {

constexpr Param<int64_t> kTournament = InPath<int64_t>("tournamentId");
constexpr Param<std::string> kRoster = InPath<std::string>("rosterId");
constexpr Param<uint64_t> kSummoner = InPath<uint64_t>("summonerId");
constexpr Param<int64_t> kBracket = InPath<int64_t>("bracketId");

// The GET endpoint of one published resource: its path, help text and
// reader (or the row's own answer), with the path's keys as parameters.
template <typename Row>
void Serve(EndpointTable& t, const Row& row) {
  if (!row.servedByTable) return;
  const auto& answer = [&row]() -> const auto& {
    if constexpr (std::is_same_v<typename Row::AnswerType, None>) {
      return row.read;
    } else {
      return row.answer;
    }
  }
  ();
  if constexpr (Row::kScope == ResourceScope::kFeature) {
    t.Get(row.path, row.help, answer);
  } else if constexpr (Row::kScope == ResourceScope::kTournament) {
    t.Get(row.path, row.help, answer, kTournament);
  } else if constexpr (Row::kScope == ResourceScope::kRoster) {
    t.Get(row.path, row.help, answer, kTournament, kRoster);
  } else {
    t.Get(row.path, row.help, answer, kTournament, kBracket);
  }
}
void Serve(EndpointTable&, const PassStep&) {}

void RegisterViews(EndpointTable& t) {
  std::apply([&t](const auto&... row) { (Serve(t, row), ...); }, kPublishedResources);
  // clang-format off
  t.Get("/kiv-joust/v1/ping", "Pings the tournament service and answers what it returns", GetPing);
  t.Get(kTournamentRosterPath, "A roster of a tournament, from the cache or the service's public rosters", GetRoster, kTournament, kRoster);
  t.Get("/kiv-joust/v1/roster/{rosterId}/stats", "A roster's statistics", GetRosterStats, InPath<int64_t>("rosterId"));
  t.Get("/kiv-joust/v1/player/chat-rosters", "The player's rosters for chat", ChatRosters);
  t.Get("/kiv-joust/v1/scouting/ranked", "Ranked scouting of players: winRate is the rounded percentage of games won (0 without games), kda the ratio with two decimals, kdaClassification LOW below 2.0, AVERAGE below 3.5, HIGH from 3.5", GetRankedScouting, InQuery<std::vector<uint64_t>>("summonerIds"));
  t.Get("/kiv-joust/v1/event/{uuid}", "One tournament event", GetEvent, InPath<std::string>("uuid"));
  t.Post("/kiv-joust/v1/events", "Several tournament events", GetEvents, InBody<std::vector<std::string>>("uuids"));
  t.Get(kTournamentWinnersPath, "The winners of a tournament", GetWinners, kTournament);
  t.Get("/kiv-joust/v1/historyandwinners", "Past tournaments and the winners of the last one", GetHistoryAndWinners);
  // clang-format on
}

void RegisterAcknowledgements(EndpointTable& t) {
  // clang-format off
  t.Post("/kiv-joust/v1/refresh", "Reloads the player's tournament data from the service", PostRefresh);
  t.Post("/kiv-joust/v1/gameEnd/acknowledge", "Clears the stored game end", AcknowledgeGameEnd);
  t.Post("/kiv-joust/v1/eogPlayerUpdate/acknowledge", "Clears the stored end-of-game update", AcknowledgeEogPlayerUpdate);
  t.Post("/kiv-joust/v1/notifications/acknowledge", "Clears the tournament notification", AcknowledgeNotification);
  // clang-format on
}

void RegisterRosterCommands(EndpointTable& t) {
  // clang-format off
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/{rosterId}/accept", "Accepts an invitation to a pending roster, leaving the player's own", AcceptInvitation, kTournament, kRoster);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/{rosterId}/decline", "Declines an invitation to a pending roster", DeclineInvitation, kTournament, kRoster);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/create-roster", "Creates a pending roster with a name and tag", CreateRoster, kTournament, InBody<Api::RosterDetails>("rosterDetails"));
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/disband", "Disbands the player's pending roster", DisbandRoster, kTournament);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/change-name", "Renames the pending roster", ChangeRosterName, kTournament, InBody<Api::ChangeNameRequest>("changeNameRequest"));
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/change-short-name", "Changes the pending roster's tag", ChangeRosterShortName, kTournament, InBody<Api::ChangeNameRequest>("changeNameRequest"));
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/change-icon", "Changes the pending roster's icon", ChangeRosterIcon, kTournament, InBody<Api::ChangeIconRequest>("changeIconRequest"));
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/change-all-details", "Changes the pending roster's name, tag and icon", ChangeAllRosterDetails, kTournament, InBody<Api::RosterDetails>("rosterDetails"));
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/invite", "Invites players to the pending roster", InviteToRoster, kTournament, InBody<std::vector<uint64_t>>("summonerIds"));
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/kick", "Removes a member or an invitee from the pending roster", KickFromRoster, kTournament, InBody<Api::KickRequest>("kickRequest"));
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/leave", "Leaves the pending roster", LeaveRoster, kTournament);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/transfer-captain", "Makes another member captain of the pending roster", TransferCaptain, kTournament, InBody<uint64_t>("newCaptainSummonerId"));
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/lockin", "Checks in with the game flow, then locks the player in for the current phase", LockIn, kTournament);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/unlockin", "Unlocks the player for the current phase", UnlockIn, kTournament);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/set-bid", "Sets the player's ticket bid", SetBid, kTournament, InBody<Api::SetTicketRequest>("setTicketRequest"));
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/set-position", "Sets the player's position", SetPosition, kTournament, InBody<Api::SetPositionRequest>("setPositionRequest"));
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/bid-offer/{summonerId}/accept", "Accepts a member's ticket offer", AcceptBidOffer, kTournament, kSummoner);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/bid-offer/{summonerId}/decline", "Declines a member's ticket offer", DeclineBidOffer, kTournament, kSummoner);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/bid-offer/{summonerId}/offer", "Offers a member one ticket", OfferBid, kTournament, kSummoner);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/bid-offer/{summonerId}/revoke", "Takes back a ticket offer", RevokeBidOffer, kTournament, kSummoner);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/withdraw", "Votes to withdraw the roster from its bracket", VoteWithdraw, kTournament);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/unwithdraw", "Takes back the player's withdrawal vote", VoteUnwithdraw, kTournament);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/cancel-withdraw", "Cancels the roster's withdrawal", CancelWithdraw, kTournament);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/substitute/invite", "Invites a substitute for a member", InviteSubstitute, kTournament, InBody<Api::InviteSubRequest>("inviteSubRequest"));
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/{rosterId}/substitute/accept", "Accepts a roster's invitation to substitute", AcceptSubstitute, kTournament, kRoster);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/{rosterId}/substitute/decline", "Declines a roster's invitation to substitute", DeclineSubstitute, kTournament, kRoster);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/substitute/{summonerId}/revoke", "Takes back an invitation to substitute", RevokeSubstitute, kTournament, kSummoner);
  t.Post("/kiv-joust/v1/tournament/{tournamentId}/roster/substitute/reclaim", "Takes back the position a substitute holds", ReclaimPosition, kTournament);
  // clang-format on
}

}  // namespace

void RegisterJoustEndpoints(JoustPlugin& plugin) {
  EndpointTable table(plugin);
  RegisterViews(table);
  RegisterAcknowledgements(table);
  RegisterRosterCommands(table);
}

}  // namespace kiv::joust
