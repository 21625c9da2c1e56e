#include "joust/logic/rest_builders.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "joust/logic/state_machine.h"

namespace kiv::joust {
namespace {

using Api::RosterMemberState;
using LCDS::SubState;

// Calls `visit` with each item in the order of `key` (stable). A list already
// in order, the usual case, is walked as it is; otherwise its pointers are
// sorted first.
template <typename T, typename Key, typename Visit>
void ForEachInOrder(const std::vector<T>& items, Key key, Visit visit) {
  const auto below = [&key](const T& a, const T& b) { return key(a) < key(b); };
  if (std::is_sorted(items.begin(), items.end(), below)) {
    for (const T& item : items) visit(item);
    return;
  }
  std::vector<const T*> ordered;
  ordered.reserve(items.size());
  for (const T& item : items) ordered.push_back(&item);
  std::stable_sort(ordered.begin(), ordered.end(),
                   [&below](const T* a, const T* b) { return below(*a, *b); });
  for (const T* item : ordered) visit(*item);
}

// Offers made to `playerId` that are still standing.
std::vector<Api::TicketOffer> IncomingOffers(const std::vector<LCDS::TicketOfferDTO>& offers,
                                             uint64_t playerId) {
  std::vector<Api::TicketOffer> incoming;
  for (const LCDS::TicketOfferDTO& offer : offers) {
    if (offer.receivePlayerId != playerId ||
        offer.ticketOfferState == LCDS::TicketOfferState::kRejected ||
        offer.ticketOfferState == LCDS::TicketOfferState::kRevoked) {
      continue;
    }
    incoming.push_back({offer.offerPlayerId, offer.count,
                        offer.ticketOfferState == LCDS::TicketOfferState::kAccepted});
  }
  return incoming;
}

RosterMemberState SubstituteState(SubState state) {
  switch (state) {
    case SubState::kNotReady:
      return RosterMemberState::kNotReady;
    case SubState::kForcedNotReady:
      return RosterMemberState::kForcedNotReady;
    case SubState::kReady:
      return RosterMemberState::kReady;
    default:
      return RosterMemberState::kPending;
  }
}

}  // namespace

Api::Tournament BuildTournament(const LCDS::TournamentDTO& tournament, int64_t now) {
  Api::Tournament rest;
  rest.id = tournament.id;
  rest.themeId = tournament.themeId;
  rest.nameLocKey = tournament.nameLocKey;
  rest.buyInOptions = tournament.buyInOptions;
  rest.entryFee = tournament.entryFee;
  rest.rosterSize = tournament.rosterSize;
  rest.allowRosterCreation = now < tournament.rosterCreateDeadline;
  rest.allowRosterDisband = now < tournament.rosterDisbandDeadline;
  rest.scoutingDurationMs = tournament.scoutingTimeMs;
  rest.startTimeMs = tournament.scheduleTime;
  rest.endTimeMs = tournament.scheduleEndTime;
  rest.maxSubstitutes = tournament.maxSub;
  for (const LCDS::TournamentPhaseDTO& phase : tournament.phases) {
    rest.phases.push_back(
        {phase.id, phase.tournamentId, phase.period, phase.registrationTime, phase.startTime});
  }
  rest.rewardConfig = tournament.rewardConfig;
  return rest;
}

Api::Roster BuildRegisteredRoster(const LCDS::RosterDTO& roster, const RosterContext& context) {
  Api::Roster rest;
  rest.tournamentId = roster.tournamentId;
  rest.id = std::to_string(roster.id);
  rest.isRegistered = true;
  rest.name = roster.name;
  rest.shortName = roster.shortName;
  rest.iconId = roster.logo;
  rest.iconColorId = roster.logoColor;
  rest.captainSummonerId = roster.captainId;

  rest.members.reserve(roster.members.size());
  const LCDS::RosterDynamicStateDTO& dynamic = roster.dynamicState;
  const auto joined = [](const auto& member) { return member.joinTime; };
  ForEachInOrder(roster.members, joined, [&](const LCDS::RosterMemberDTO& listed) {
    const LCDS::RosterMemberDTO* member = &listed;
    const uint64_t player = member->playerId;
    const LCDS::PhaseRosterSubDTO* sub =
        ActiveSubstitutionReplacing(roster, context.currentPhaseId, player);
    Api::RosterMember shown;
    if (sub && sub->replacedPlayerId != context.summonerId) {
      shown.summonerId = sub->playerId;
      shown.biddingData.currentBid = sub->bet;
      shown.position = sub->position;
      shown.state = SubstituteState(sub->subState);
      shown.replacedSummonerId = player;
      shown.isSubstitute = true;
    } else {
      shown.summonerId = player;
      shown.position = member->position;
      int32_t bid = roster.eliminated ? 0 : member->currentBid;
      if (!roster.eliminated) {
        for (const LCDS::PhaseInMember& entry : dynamic.members) {
          if (entry.playerId == player) bid = entry.bet;  // the last entry wins
        }
      }
      shown.biddingData.currentBid = bid;
      shown.state = RosterMemberState::kNotReady;
      shown.isSubbedOut = sub != nullptr;
    }
    shown.biddingData.incomingOffers = IncomingOffers(dynamic.ticketOffers, player);
    rest.members.push_back(std::move(shown));
  });
  rest.tier = roster.tier;
  rest.wins = roster.wins;
  rest.losses = roster.losses;
  rest.eliminated = roster.eliminated;

  int32_t maxPeriod = -1;
  for (const auto& phase : roster.phases) maxPeriod = std::max(maxPeriod, phase.period);
  const LCDS::Bracket* bracket = context.bracket;
  for (const LCDS::PhaseRosterDTO& phase : roster.phases) {
    const bool complete =
        phase.period < maxPeriod ||
        (bracket && bracket->phaseId == phase.phaseId && BracketComplete(*bracket));
    rest.phaseInfos.push_back({phase.phaseId, phase.period, complete});
  }
  rest.numCompletedPeriods = static_cast<int32_t>(roster.phases.size()) - (context.active ? 1 : 0);
  rest.isActiveInCurrentPhase = context.active;
  if (bracket) {
    rest.isCurrentBracketComplete = BracketComplete(*bracket);
    if (bracket->phaseId == context.currentPhaseId && context.active) {
      for (const auto* list : {&bracket->matches, &bracket->loserBracketMatches}) {
        for (const LCDS::BracketMatch& match : *list) {
          if (match.winnerId == roster.id) ++rest.currentBracketWins;
        }
      }
    }
  }
  for (Api::RosterMember& member : rest.members) {
    if (std::find(dynamic.phaseCheckinStates.begin(), dynamic.phaseCheckinStates.end(),
                  member.summonerId) != dynamic.phaseCheckinStates.end()) {
      member.state = RosterMemberState::kReady;
    }
  }
  rest.withdraw = dynamic.withdraw;
  return rest;
}

Api::Roster BuildPendingRoster(const LCDS::PendingRosterDTO& roster) {
  Api::Roster rest;
  rest.tournamentId = roster.tournamentId;
  rest.id = roster.invitationId;
  rest.name = roster.name;
  rest.shortName = roster.shortName;
  rest.iconId = roster.logo;
  rest.iconColorId = roster.logoColor;
  rest.tier = roster.tier;
  rest.captainSummonerId = roster.captainId;
  rest.isRegistered = false;
  for (const LCDS::RewardLogo& logo : roster.rewardLogos) {
    rest.availableIcons.push_back({logo.logo, logo.memberOwnedCount});
  }
  rest.members.reserve(roster.members.size() + roster.invitees.size());
  using LCDS::PendingRosterMemberState;
  const auto joined = [](const auto& member) { return member.joinTime; };
  ForEachInOrder(roster.members, joined, [&](const LCDS::PendingRosterMemberDTO& listed) {
    const LCDS::PendingRosterMemberDTO* member = &listed;
    if (member->memberState == PendingRosterMemberState::kLeft ||
        member->memberState == PendingRosterMemberState::kKick) {
      return;
    }
    Api::RosterMember shown;
    shown.summonerId = member->playerId;
    shown.biddingData.currentBid = member->bet;
    shown.biddingData.incomingOffers = IncomingOffers(roster.ticketOffers, member->playerId);
    shown.position = member->position;
    shown.state = member->memberState == PendingRosterMemberState::kForcedNotReady
                      ? RosterMemberState::kForcedNotReady
                  : member->memberState == PendingRosterMemberState::kReady
                      ? RosterMemberState::kReady
                      : RosterMemberState::kNotReady;
    rest.members.push_back(std::move(shown));
  });
  using LCDS::PendingRosterInviteeState;
  const auto invited = [](const auto& invitee) { return invitee.inviteTime; };
  ForEachInOrder(roster.invitees, invited, [&](const LCDS::PendingRosterInviteeDTO& listed) {
    const LCDS::PendingRosterInviteeDTO* invitee = &listed;
    if (invitee->inviteeState == PendingRosterInviteeState::kSuggested) {
      rest.suggestedInvites.push_back({invitee->inviteeId, invitee->inviter});
    } else if (invitee->inviteeState == PendingRosterInviteeState::kPending) {
      Api::RosterMember pending;
      pending.summonerId = invitee->inviteeId;
      pending.state = RosterMemberState::kPending;
      pending.position = LCDS::Position::kUnselected;
      rest.members.push_back(std::move(pending));
    }
  });
  return rest;
}

Api::Bracket BuildBracket(const LCDS::Bracket& bracket, int32_t period) {
  Api::Bracket rest;
  rest.tournamentId = bracket.tournamentId;
  rest.id = bracket.id;
  rest.size = bracket.size;
  rest.currentRound = bracket.currentRound;
  rest.currentLoserRound = bracket.currentLoserRound;
  rest.matches = bracket.matches;
  rest.loserBracketMatches = bracket.loserBracketMatches;
  rest.rosters = bracket.rosters;
  rest.period = period;
  rest.isComplete = BracketComplete(bracket);
  return rest;
}

Api::RosterStats BuildRosterStats(const LCDS::RosterStatsDTO& stats) {
  Api::RosterStats rest;
  rest.rosterId = stats.rosterId;
  rest.tournamentThemeId = stats.tournamentThemeId;
  rest.tournamentNameLocKey = stats.tournamentNameLocKey;
  rest.tournamentPeriods = stats.tournamentPeriods;
  rest.tier = stats.tier;
  rest.rosterName = stats.rosterName;
  rest.rosterShortName = stats.rosterShortName;
  rest.rosterIconId = stats.rosterLogo;
  rest.rosterIconColorId = stats.rosterLogoColor;
  for (const LCDS::RosterPeriodAggregatedStatsDTO& period : stats.stats.periodStats) {
    Api::RosterPeriodAggregatedStats shown{period.period, period.bracketSize, period.time, {}};
    for (const LCDS::RosterMatchAggregatedStatsDTO& match : period.matchStats) {
      shown.matchStats.push_back({match.round, match.duration, match.opponentShortName,
                                  match.opponentLogo, match.opponentLogoColor, match.win,
                                  match.loserBracket, match.gameId, match.playerChampionIds});
    }
    rest.periodStats.push_back(std::move(shown));
  }
  for (const auto& [player, aggregated] : stats.stats.playerStats) {
    rest.playerStats[player] = {aggregated.rawStatsSum, aggregated.rawStatsMax};
  }
  return rest;
}

Api::Roster BuildPublicRoster(const LCDS::PublicRosterDTO& roster, int64_t tournamentId) {
  Api::Roster rest;
  rest.tournamentId = tournamentId;
  rest.id = std::to_string(roster.id);
  rest.name = roster.name;
  rest.shortName = roster.shortName;
  rest.iconId = roster.logo;
  rest.iconColorId = roster.logoColor;
  rest.isRegistered = true;
  rest.members.reserve(roster.memberIds.size());
  for (const uint64_t memberId : roster.memberIds) {
    rest.members.push_back({.summonerId = memberId, .state = Api::RosterMemberState::kNotReady});
  }
  return rest;
}

Api::RankedScoutingMember BuildScoutingMember(const LCDS::RankedScoutingMemberDTO& member) {
  Api::RankedScoutingMember rest;
  rest.playerId = member.playerId;
  rest.championScoutingData.reserve(member.championScoutingData.size());
  for (const LCDS::RankedScoutingTopChampionDTO& champion : member.championScoutingData) {
    Api::RankedScoutingTopChampion& out = rest.championScoutingData.emplace_back();
    out.championId = champion.championId;
    out.rank = champion.rank;
    out.winCount = champion.winCount;
    out.gameCount = champion.gameCount;
    out.winRate =
        champion.gameCount > 0
            ? static_cast<int32_t>(std::lround(100.0 * champion.winCount / champion.gameCount))
            : 0;
    char kda[32];
    std::snprintf(kda, sizeof kda, "%.2f", static_cast<double>(champion.kda));
    out.kda = kda;
    out.kdaClassification = champion.kda < 2.0f   ? Api::KdaClassification::kLow
                            : champion.kda < 3.5f ? Api::KdaClassification::kAverage
                                                  : Api::KdaClassification::kHigh;
  }
  return rest;
}

}  // namespace kiv::joust
