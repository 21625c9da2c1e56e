#include "joust/logic/push_notifications.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "joust/backend/backend_methods.h"
#include "joust/logic/cache.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/match_flow.h"
#include "joust/logic/state_machine.h"
#include "joust/logic/state_writes.h"
#include "sdk/codec/json_reader.h"
#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"
#include "sdk/runtime/mutation_point.h"
#include "sdk/value/conversion_status.h"

namespace kiv::joust {
namespace {

using ZMS::NotifyReason;
using ZMS::RosterNotifyReason;
using Reasons = std::initializer_list<NotifyReason>;
using RosterReasons = std::initializer_list<RosterNotifyReason>;

template <typename E>
bool In(E value, std::initializer_list<E> table) {
  return std::find(table.begin(), table.end(), value) != table.end();
}

// The reason tables of pending-roster notifications.
constexpr Reasons kCaptainReasons = {NotifyReason::kSuggestion,    NotifyReason::kDismiss,
                                     NotifyReason::kDeclineInvite, NotifyReason::kAcceptInvite,
                                     NotifyReason::kAcceptTicket,  NotifyReason::kDeclineTicket,
                                     NotifyReason::kLeave,         NotifyReason::kOwnerTransfer};
constexpr Reasons kMemberReasons = {NotifyReason::kDeclineSuggestion,
                                    NotifyReason::kAcceptSuggestion,
                                    NotifyReason::kAcceptTicket,
                                    NotifyReason::kDeclineTicket,
                                    NotifyReason::kOwnerClose,
                                    NotifyReason::kDismiss,
                                    NotifyReason::kRevokeInvite,
                                    NotifyReason::kKick,
                                    NotifyReason::kLeave,
                                    NotifyReason::kCaptainLeave};
constexpr Reasons kInviteeReasons = {NotifyReason::kInvite, NotifyReason::kResentInvite};
constexpr Reasons kPromptReasons = {NotifyReason::kOwnerClose, NotifyReason::kDismiss,
                                    NotifyReason::kOwnerTransfer, NotifyReason::kKick};
// Reasons that update the pending roster and notify it as kept.
constexpr Reasons kUpdateReasons = {NotifyReason::kSuggestion,
                                    NotifyReason::kDeclineSuggestion,
                                    NotifyReason::kAcceptSuggestion,
                                    NotifyReason::kRevokeSuggestion,
                                    NotifyReason::kReady,
                                    NotifyReason::kUnready,
                                    NotifyReason::kOwnerTransfer,
                                    NotifyReason::kChangeLogo,
                                    NotifyReason::kChangeName,
                                    NotifyReason::kChangeShortname,
                                    NotifyReason::kChangePosition,
                                    NotifyReason::kChangeNametaglogo,
                                    NotifyReason::kInvite,
                                    NotifyReason::kResentInvite,
                                    NotifyReason::kAcceptInvite,
                                    NotifyReason::kSetTicket,
                                    NotifyReason::kOfferTicket,
                                    NotifyReason::kRevokedTicket};
constexpr Reasons kRemovingReasons = {NotifyReason::kDeclineInvite, NotifyReason::kRevokeInvite,
                                      NotifyReason::kLeave, NotifyReason::kCaptainLeave,
                                      NotifyReason::kKick};
// The roster notifications that become the prompt.
constexpr RosterReasons kRosterPromptReasons = {
    RosterNotifyReason::kQueueDodge, RosterNotifyReason::kWithdraw, RosterNotifyReason::kSubReclaim,
    RosterNotifyReason::kSubRevoke};

template <typename Record>
bool Decode(const ZMS::ZMSMessage& message, Record& record) {
  const BindingProperty value = ReadJson(message.payload);
  ConversionStatus status;
  if (value.IsValid()) FromValue(value, "<value>", record, status);
  if (value.IsValid() && status.IsValid()) return true;
  if (MutationActive("unparsable-push-crashes")) std::abort();
  Log(kLogWarn, kGroupDbg, "Error parsing ZMS message payload as notification");
  return false;
}

std::string TournamentName(const JoustPluginState& state, int64_t tournamentId) {
  const LCDS::TournamentDTO* tournament = state.cache.FindTournament(tournamentId);
  return tournament ? tournament->nameLocKey : std::string();
}

// Roster notifications reload the player's information when their tournament
// is not cached; one still unknown after that is dropped.
bool ReloadUnlessCached(JoustPlugin& plugin, int64_t tournamentId) {
  if (plugin.state().cache.tournaments().count(tournamentId) == 0) (void)RefreshPlayerInfo(plugin);
  return IsTournamentCached(plugin, tournamentId);
}

void UpdatePending(JoustPluginState& state, bool mine, const LCDS::PendingRosterDTO& roster) {
  const int64_t id = roster.tournamentId;
  if (mine) {
    state.cache.SetPendingRoster(id, roster);
    return;
  }
  (void)state.cache.SetInvitation(roster);
}

void RemovePending(JoustPluginState& state, const LCDS::PendingRosterDTO& roster) {
  state.cache.RemovePendingRoster(roster.tournamentId, roster.invitationId);
}

// A pending roster older than the cached copy (the player's own, or an
// invitation): the message is out of date, and neither its change nor its
// notification apply any more.
bool IsStale(const JoustPluginState& state, const LCDS::PendingRosterDTO& roster) {
  const LCDS::PendingRosterDTO* cached =
      state.cache.OwnPendingRoster(roster.tournamentId, roster.invitationId);
  if (!cached) cached = state.cache.FindInvitation(roster.tournamentId, roster.invitationId);
  return cached && IsOlder(roster.version, cached->version);
}

// Still in the roster: a member not gone, or an invitee not declined.
bool StillListed(const LCDS::PendingRosterDTO& roster, uint64_t playerId) {
  for (const auto& member : roster.members) {
    if (member.playerId != playerId) continue;
    return member.memberState != LCDS::PendingRosterMemberState::kLeft &&
           member.memberState != LCDS::PendingRosterMemberState::kKick;
  }
  for (const auto& invitee : roster.invitees) {
    if (invitee.inviteeId != playerId) continue;
    return invitee.inviteeState != LCDS::PendingRosterInviteeState::kDeclined &&
           invitee.inviteeState != LCDS::PendingRosterInviteeState::kRevoked;
  }
  return false;
}

void Deliver(JoustPluginState& state, Api::PlayerNotificationData data, bool prompt) {
  if (prompt) {
    SetNotificationPrompt(state, std::move(data));
  } else {
    state.player.notificationQueue.push_back(std::move(data));
  }
}

void NotifyPending(JoustPluginState& state, const ZMS::PendingRosterNotification& notification,
                   bool mine, bool removed) {
  const LCDS::PendingRosterDTO& roster = notification.pendingRoster;
  const NotifyReason reason = notification.notifyReason;
  const Reasons table =
      mine ? (roster.captainId == state.session.summonerId ? kCaptainReasons : kMemberReasons)
           : kInviteeReasons;
  if (!In(reason, table)) return;
  if (reason == NotifyReason::kOwnerTransfer && roster.captainId != state.session.summonerId)
    return;
  if ((reason == NotifyReason::kLeave || reason == NotifyReason::kCaptainLeave) && removed) return;
  Api::PlayerNotificationData data;
  data.notifyReason = reason;
  data.rosterNotifyReason = RosterNotifyReason::kNoReason;
  data.sourceSummonerId = notification.sourcePlayerId;
  data.targetSummonerId = notification.targetPlayerId;
  Api::PlayerNotification& shown = data.notification;
  shown.source = "joust";
  shown.type = "notification";
  shown.data = {{"tournamentId", std::to_string(roster.tournamentId)},
                {"rosterId", roster.invitationId},
                {"name", roster.name},
                {"shortName", roster.shortName},
                {"iconId", std::to_string(roster.logo)},
                {"iconColorId", std::to_string(roster.logoColor)},
                {"tournamentName", TournamentName(state, roster.tournamentId)},
                {"rosterName", roster.name},
                {"isPlayerRemoved", removed ? "true" : "false"}};
  Deliver(state, std::move(data), In(reason, kPromptReasons));
}

void ProcessPending(JoustPlugin& plugin, const ZMS::PendingRosterNotification& notification) {
  const LCDS::PendingRosterDTO& roster = notification.pendingRoster;
  if (!ReloadUnlessCached(plugin, roster.tournamentId)) return;
  JoustPluginState& state = plugin.state();
  if (state.cache.PlayerRoster(roster.tournamentId)) return;
  if (IsStale(state, roster)) return;
  const bool mine =
      state.cache.OwnPendingRoster(roster.tournamentId, roster.invitationId) != nullptr;
  const NotifyReason reason = notification.notifyReason;
  if (In(reason, kUpdateReasons)) {
    UpdatePending(state, mine, roster);
    NotifyPending(state, notification, mine, false);
  } else if (reason == NotifyReason::kOwnerClose || reason == NotifyReason::kDismiss) {
    RemovePending(state, roster);
    NotifyPending(state, notification, mine, true);
  } else if (In(reason, kRemovingReasons)) {
    if (StillListed(roster, state.session.summonerId)) {
      UpdatePending(state, mine, roster);
      NotifyPending(state, notification, mine, false);
    } else {
      RemovePending(state, roster);
      NotifyPending(state, notification, mine, true);
    }
  } else if (reason == NotifyReason::kDeclineTicket || reason == NotifyReason::kAcceptTicket) {
    UpdatePending(state, mine, roster);
    if (notification.targetPlayerId == state.session.summonerId) {
      NotifyPending(state, notification, mine, false);
    }
  }
}

const LCDS::BracketMatch* FindMatch(const LCDS::Bracket& bracket, int64_t matchId) {
  for (const auto* list : {&bracket.matches, &bracket.loserBracketMatches}) {
    for (const LCDS::BracketMatch& match : *list) {
      if (match.id == matchId) return &match;
    }
  }
  return nullptr;
}

// "isWinner" looks at the roster's latest completed match: the matches are
// kept highest round first, the winners' bracket before the losers'.
bool WonLatestMatch(const LCDS::Bracket& bracket, int64_t rosterId) {
  for (const auto* list : {&bracket.matches, &bracket.loserBracketMatches}) {
    for (const LCDS::BracketMatch& match : *list) {
      if ((match.rosterId1 == rosterId || match.rosterId2 == rosterId) &&
          match.status == LCDS::ClientBracketMatchStatus::kCompleted) {
        return match.winnerId == rosterId;
      }
    }
  }
  return false;
}

void NotifyRoster(JoustPluginState& state, RosterNotifyReason reason, const LCDS::RosterDTO& roster,
                  const LCDS::Bracket* bracket, const LCDS::PhaseRosterSubDTO* sub) {
  std::vector<RosterNotifyReason> table;
  if (sub && sub->subState == LCDS::SubState::kPending) {
    table = {RosterNotifyReason::kSubInvite};
  } else {
    table = {RosterNotifyReason::kRegistered,
             RosterNotifyReason::kPhaseCheckin,
             RosterNotifyReason::kQueueDodge,
             RosterNotifyReason::kByeAutoWin,
             RosterNotifyReason::kRestrictionAutoWin,
             RosterNotifyReason::kGameStartedError,
             RosterNotifyReason::kWithdraw,
             RosterNotifyReason::kRosterAcceptTicket,
             RosterNotifyReason::kRosterDeclineTicket,
             RosterNotifyReason::kSubAccept,
             RosterNotifyReason::kSubDecline};
    if (sub) {
      table.push_back(RosterNotifyReason::kSubReclaim);
      table.push_back(RosterNotifyReason::kSubRevoke);
    }
  }
  if (std::find(table.begin(), table.end(), reason) == table.end()) return;
  const int64_t tournamentId = roster.tournamentId;
  if (reason == RosterNotifyReason::kWithdraw &&
      std::to_string(roster.id) != ReadPlayerTournamentData(state, tournamentId).rosterId) {
    return;
  }
  Api::PlayerNotificationData data;
  data.notifyReason = NotifyReason::kNoReason;
  data.rosterNotifyReason = reason;
  Api::PlayerNotification& shown = data.notification;
  shown.source = "joust";
  shown.type = "notification";
  shown.data = {{"tournamentId", std::to_string(tournamentId)},
                {"rosterId", std::to_string(roster.id)},
                {"name", roster.name},
                {"shortName", roster.shortName},
                {"tournamentName", TournamentName(state, tournamentId)},
                {"rosterName", roster.name}};
  if (bracket) {
    if (const LCDS::BracketMatch* open = OpenMatch(*bracket, roster.id)) {
      shown.data["isStillCompeting"] = "true";
      if (open->loserBracket) shown.data["isLoserMatch"] = "true";
    } else if (BracketComplete(*bracket)) {
      shown.data["isBracketComplete"] = "true";
      const auto info = state.pass.stateInfos.find(tournamentId);
      const bool over = info == state.pass.stateInfos.end() || info->second.nextPhaseId == -1;
      shown.data["isTournamentOver"] = over ? "true" : "false";
    }
    shown.data["isWinner"] = WonLatestMatch(*bracket, roster.id) ? "true" : "false";
  }
  Deliver(state, std::move(data), In(reason, kRosterPromptReasons));
}

// A roster older than the cached copy: the message is out of date, and
// neither its side effects (a bracket dropped at check-in, a pending roster
// dropped at registration) nor its notification apply any more.
bool IsStale(const JoustPluginState& state, const LCDS::RosterDTO& roster) {
  const auto cached = state.cache.rosters().find({roster.tournamentId, roster.id});
  return cached != state.cache.rosters().end() && IsOlder(roster.version, cached->second.version);
}

void ProcessRegistered(JoustPlugin& plugin, const LCDS::RosterDTO& roster,
                       RosterNotifyReason reason) {
  const int64_t id = roster.tournamentId;
  if (!ReloadUnlessCached(plugin, id)) return;
  JoustPluginState& state = plugin.state();
  if (IsStale(state, roster)) return;
  const auto info = state.pass.stateInfos.find(id);
  const int64_t phase = info == state.pass.stateInfos.end() ? -1 : info->second.currentPhaseId;
  // The player's own substitution in the roster, when it stands.
  const LCDS::PhaseRosterSubDTO* sub =
      FindSubstitution(roster, phase, [&state](const LCDS::PhaseRosterSubDTO& candidate) {
        return candidate.playerId == state.session.summonerId && SubstitutionStands(candidate);
      });
  if (reason == RosterNotifyReason::kSubInvite && sub) {
    state.cache.SetSubstituteInvitation(roster);
    return;
  }
  if (state.cache.IsHomeRoster(id, roster.id)) {
    state.cache.SetHomeRoster(roster);
    return;
  }
  if (reason == RosterNotifyReason::kRegistered) {
    state.cache.DropOwnPendingRoster(id);
    (void)state.cache.DropInvitations(id);
  } else if (reason == RosterNotifyReason::kPhaseCheckin) {
    state.cache.DropBracket(id, ReadPlayerTournamentData(state, id).bracketId);
  }
  state.cache.SetRoster(id, roster.id, roster);
  NotifyRoster(state, reason, roster, nullptr, sub);
}

void ProcessDynamicState(JoustPlugin& plugin, const LCDS::RosterDynamicStateDTO& dynamic) {
  if (!IsTournamentCached(plugin, dynamic.tournamentId)) return;
  (void)plugin.state().cache.SetRosterDynamicState(dynamic);
}

void ProcessWithdraw(JoustPlugin& plugin, const ZMS::RosterWithdrawNotification& notification) {
  if (!IsTournamentCached(plugin, notification.tournamentId)) return;
  (void)plugin.state().cache.SetRosterWithdraw(notification.tournamentId, notification.rosterId,
                                               notification.version, notification.withdraw);
}

void FetchBracket(JoustPlugin& plugin, const ZMS::BracketReadyNotification& notification) {
  if (!IsTournamentCached(plugin, notification.tournamentId)) return;
  auto bracket = plugin.backend().Call<kGetRosterBracket>(notification.bracketId);
  if (bracket.ok())
    plugin.state().cache.SetBracket(notification.tournamentId, std::move(bracket).take());
}

}  // namespace

bool IsTournamentCached(const JoustPlugin& plugin, int64_t tournamentId) {
  if (plugin.state().cache.tournaments().count(tournamentId) != 0) return true;
  Log(kLogWarn, kGroupDbg, "Notification for unknown tournament %lli ignored",
      static_cast<long long>(tournamentId));
  return false;
}

bool ApplyGameEnd(JoustPlugin& plugin, const ZMS::TournamentGameEndNotification& notification,
                  const LCDS::Bracket& bracket) {
  JoustPluginState& state = plugin.state();
  const int64_t id = notification.tournamentId;
  state.cache.SetBracket(id, bracket);
  const auto standing = state.cache.standings().find(id);
  if (standing == state.cache.standings().end() || standing->second.rosterId.empty()) {
    return false;
  }
  const LCDS::RosterDTO* roster = state.cache.PlayerRoster(id);
  if (!roster) return false;
  auto plays = [&](const LCDS::BracketMatch& match) {
    return match.rosterId1 == roster->id || match.rosterId2 == roster->id;
  };
  const bool inLoser =
      std::any_of(bracket.loserBracketMatches.begin(), bracket.loserBracketMatches.end(), plays);
  const bool notify =
      (notification.notifyReason == RosterNotifyReason::kWinnerRoundComplete && !inLoser) ||
      (notification.notifyReason == RosterNotifyReason::kLoserRoundComplete && inLoser);
  const LCDS::BracketMatch* match = FindMatch(bracket, notification.currentMatchId);
  const bool playedIn = match && plays(*match);
  if (notify || playedIn) {
    NotifyRoster(state, notification.notifyReason, *roster, &bracket,
                 ActiveSubstitutionReplacing(*roster, bracket.phaseId, state.session.summonerId));
  }
  SetGameEnd(state, Api::TournamentGameEnd{notification.tournamentId, bracket.id});
  return playedIn;
}

namespace {

void ApplyRegistered(JoustPlugin& plugin, const ZMS::RegisteredRosterNotification& notification) {
  ProcessRegistered(plugin, notification.roster, notification.notifyReason);
}

void ApplyDynamicState(JoustPlugin& plugin,
                       const ZMS::RosterDynamicStateNotification& notification) {
  ProcessDynamicState(plugin, notification.rosterDynamicState);
}

void ApplyRosterPlayer(JoustPlugin& plugin, const ZMS::RosterPlayerNotification& notification) {
  // The wallet carries no version of its own: it is as old as its roster.
  if (IsStale(plugin.state(), notification.roster)) return;
  SetTickets(plugin.state(), notification.player.tickets);
  ProcessRegistered(plugin, notification.roster, notification.notifyReason);
}

void ApplyEogPlayerUpdate(JoustPlugin& plugin, const ZMS::EogPlayerUpdateDTO& update) {
  SetEogPlayerUpdate(plugin.state(), update);
}

// Decodes a message as `Record` and applies it; false when it does not
// decode (a reason without a name, 27 and beyond, does not convert either:
// such a message is dropped before any reason rule).
template <typename Record, void (*kApply)(JoustPlugin&, const Record&)>
bool DecodeAndApply(JoustPlugin& plugin, const ZMS::ZMSMessage& message) {
  Record record;
  if (!Decode(message, record)) return false;
  kApply(plugin, record);
  return true;
}

// One row per topic, in the order of the plugin's subscriptions: its name,
// the record its messages carry, and what a message does.
// clang-format off
constexpr PushTopic kTopics[] = {
    {"pending-roster",     &DecodeAndApply<ZMS::PendingRosterNotification,       &ProcessPending>},
    {"roster",             &DecodeAndApply<ZMS::RegisteredRosterNotification,    &ApplyRegistered>},
    {"roster-dynamic",     &DecodeAndApply<ZMS::RosterDynamicStateNotification,  &ApplyDynamicState>},
    {"roster-player",      &DecodeAndApply<ZMS::RosterPlayerNotification,        &ApplyRosterPlayer>},
    {"roster-withdraw",    &DecodeAndApply<ZMS::RosterWithdrawNotification,      &ProcessWithdraw>},
    {"bracket-ready",      &DecodeAndApply<ZMS::BracketReadyNotification,        &FetchBracket>},
    {"eog-bracket-update", &DecodeAndApply<ZMS::TournamentGameEndNotification,   &ProcessGameEnd>},
    {"eog-player-update",  &DecodeAndApply<ZMS::EogPlayerUpdateDTO,              &ApplyEogPlayerUpdate>},
    {"no-show-ping",       &DecodeAndApply<ZMS::NoShowPingDTO,                   &AcknowledgeNoShow>},
};
// clang-format on

}  // namespace

std::span<const PushTopic> PushTopics() { return kTopics; }

void OnPushMessage(JoustPlugin& plugin, const PushTopic& topic,
                   const TypedResourceEvent<ZMS::ZMSMessage>& event) {
  if (!plugin.state().session.loggedIn || event.eventType != PluginResourceEventType::kCreate)
    return;
  (void)topic.apply(plugin, event.data);
}

}  // namespace kiv::joust
