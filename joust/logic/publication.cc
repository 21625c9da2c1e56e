// The publication pass: the one operation every handler ends with.
#include "joust/logic/publication.h"

#include <functional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "joust/logic/cache.h"
#include "joust/logic/configuration.h"
#include "joust/logic/gameflow_presence.h"
#include "joust/logic/handler_run.h"
#include "joust/logic/joust_plugin.h"
#include "joust/logic/player_notifications.h"
#include "joust/logic/publication_steps.h"
#include "joust/logic/published_resources.h"
#include "joust/logic/resource_paths.h"
#include "joust/logic/state_machine.h"
#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"
#include "sdk/value/format_message.h"

namespace kiv::joust {
namespace {

constexpr char kPlayerNotificationsUri[] = "/player-notifications/v1/notifications";

constexpr std::string_view kStateChangeTimerPrefix = "joust_tournament_state_change_";
constexpr std::string_view kRosterCreationDeadlineTimerPrefix =
    "joust_tournament_roster_creation_deadline_timer_";
constexpr std::string_view kRecordDeadlineTimerPrefix = "joust_tournament_record_deadline_";

// The pass's own bookkeeping, checked at its end for the tournaments whose
// state it read again (the only ones whose timers it set or killed): a
// tournament's timers go with it from the cache, or they would fire for
// nothing and hold their callbacks for good. Logged, never fatal.
void CheckTimersOfCachedTournaments(JoustPlugin& plugin, const JoustChangeSet& changes) {
  const JoustPluginState& state = plugin.state();
  for (const int64_t id : changes.tournaments) {
    if (state.cache.HasTournament(id)) continue;
    for (const std::string& name : {StateChangeTimerName(id), RosterCreationDeadlineTimerName(id),
                                    RecordDeadlineTimerName(id)}) {
      if (plugin.timers().IsSet(name)) {
        Log(kLogError, kGroupDbg,
            "Joust bookkeeping broken: timer %s is set for tournament %lld, which is not cached",
            name.c_str(), static_cast<long long>(id));
      }
    }
  }
}

// The tournament's state changes now: the tournament (whose state, record
// deadlines and rosters are read against the clock), the restriction and the
// wallet are read again.
void OnStateChangeTimer(JoustPlugin& plugin, int64_t tournamentId) {
  JoustPluginState& state = plugin.state();
  JoustChangeSet& changes = *state.changes;
  changes.tournaments.Insert(tournamentId);
  // This firing used the arm: the pass sets the timer for the next change.
  state.pass.armedStateChanges.erase(tournamentId);
  changes.restrictionChanged = true;
  changes.playerChanged = true;
}

// The earliest of the server times offered that is after `now`; -1 while
// none is.
class EarliestAfter {
 public:
  explicit EarliestAfter(int64_t now) : now_(now) {}
  void Offer(int64_t moment) {
    if (moment > now_ && (next_ == -1 || moment < next_)) next_ = moment;
  }
  int64_t moment() const { return next_; }

 private:
  int64_t now_;
  int64_t next_ = -1;
};

// The first phase registration or phase start after `now`, or -1. The
// current phase follows the clock through registrations even while the state
// waits for a match to end (its next change then unknown), rosters read as
// active in the current phase, and the remaining periods count the current
// phase until it starts.
int64_t NextPhaseMoment(const JoustPluginState& state, int64_t tournamentId, int64_t now) {
  EarliestAfter next(now);
  if (const LCDS::TournamentDTO* tournament = state.cache.FindTournament(tournamentId)) {
    for (const LCDS::TournamentPhaseDTO& phase : tournament->phases) {
      next.Offer(phase.registrationTime);
      next.Offer(phase.startTime);
    }
  }
  return next.moment();
}

// Arms tournament `id`'s timer `name` to fire at server time `at`, or kills
// it when `at` is -1 or not after `now`. Diffed like a publication: a timer
// armed for that moment already is left alone, since setting it again would
// leave one more callback waiting at the host.
void ArmAt(JoustPlugin& plugin, StateMap<int64_t, int64_t>& armed, int64_t id,
           const std::string& name, int64_t at, int64_t now, std::function<void()> fire) {
  if (at == -1 || at <= now) {
    plugin.timers().KillTimer(name);
    armed.erase(id);
    return;
  }
  const auto current = armed.find(id);
  if (current != armed.end() && current->second == at) return;
  plugin.timers().SetTimer(name, static_cast<double>(at - now) * 0.001, std::move(fire));
  armed[id] = at;
}

void ArmStateChangeTimer(JoustPlugin& plugin, const Api::TournamentStateInfo& info, int64_t now) {
  const int64_t id = info.tournamentId;
  const int64_t at = info.nextStateChangeTime != -1 ? info.nextStateChangeTime
                                                    : NextPhaseMoment(plugin.state(), id, now);
  ArmAt(plugin, plugin.state().pass.armedStateChanges, id, StateChangeTimerName(id), at, now,
        [&plugin, id] { RunHandler(plugin, [&] { OnStateChangeTimer(plugin, id); }); });
}

void ArmRosterCreationDeadline(JoustPlugin& plugin, const Api::TournamentStateInfo& info,
                               int64_t now) {
  JoustPluginState& state = plugin.state();
  const int64_t id = info.tournamentId;
  const LCDS::TournamentDTO* tournament = state.cache.FindTournament(id);
  const int64_t deadline = tournament ? tournament->rosterCreateDeadline : 0;
  const bool expired = info.state == Api::TournamentState::kResults || deadline <= now;
  // Past the deadline the timer has nothing left to wait for: armed again
  // (at an interval of zero or less) it would fire without end. Its firing
  // does not mark the tournament dirty, so it repeats at its interval until
  // a later pass for the tournament sets or kills it.
  const bool waits =
      !expired && info.nextStateChangeTime != -1 && deadline < info.nextStateChangeTime;
  ArmAt(plugin, state.pass.armedCreationDeadlines, id, RosterCreationDeadlineTimerName(id),
        waits ? deadline : -1, now,
        [&plugin, id] { RunHandler(plugin, [&] { plugin.state().cache.DropInvitations(id); }); });
  if (expired) state.cache.DropInvitations(id);
}

// The record's next roster creation or disband deadline after `now`, or -1
// when both have passed.
int64_t NextRecordDeadline(const JoustPluginState& state, int64_t tournamentId, int64_t now) {
  EarliestAfter next(now);
  if (const LCDS::TournamentDTO* tournament = state.cache.FindTournament(tournamentId)) {
    next.Offer(tournament->rosterCreateDeadline);
    next.Offer(tournament->rosterDisbandDeadline);
  }
  return next.moment();
}

void ArmRecordDeadline(JoustPlugin& plugin, int64_t id, int64_t now) {
  JoustPluginState& state = plugin.state();
  const int64_t at = NextRecordDeadline(state, id, now);
  ArmAt(plugin, state.pass.armedRecordDeadlines, id, RecordDeadlineTimerName(id), at, now,
        [&plugin, id] {
          RunHandler(plugin, [&] {
            JoustPluginState& fired = plugin.state();
            fired.pass.armedRecordDeadlines.erase(id);
            // Read again, so that the pass arms the timer for the next
            // deadline or kills it.
            fired.changes->tournaments.Insert(id);
          });
        });
}

}  // namespace

std::string StateChangeTimerName(int64_t tournamentId) {
  return std::string(kStateChangeTimerPrefix) + std::to_string(tournamentId);
}

std::string RosterCreationDeadlineTimerName(int64_t tournamentId) {
  return std::string(kRosterCreationDeadlineTimerPrefix) + std::to_string(tournamentId);
}

std::string RecordDeadlineTimerName(int64_t tournamentId) {
  return std::string(kRecordDeadlineTimerPrefix) + std::to_string(tournamentId);
}

void RearmStateChangeTimers(JoustPluginState& state) {
  state.pass.armedStateChanges.Reset();
  state.pass.armedCreationDeadlines.Reset();
  state.pass.armedRecordDeadlines.Reset();
  for (const auto& [id, tournament] : state.cache.tournaments()) {
    state.changes->tournaments.Insert(id);
  }
}

void PublishPendingChanges(JoustPlugin& plugin) {
  const JoustPluginState& state = plugin.state();
  if (state.changes->Empty() && state.player.notificationQueue.empty()) return;
  plugin.RunPublicationPass();
}

void RecomputeStateInfos(JoustPlugin& plugin) {
  JoustPluginState& state = plugin.state();
  const int64_t now = plugin.ServerNow();
  for (int64_t id : state.changes->tournaments) {
    if (auto info = state.cache.ComputeState(id, now, state.session.summonerId)) {
      state.pass.stateInfos[id] = std::move(*info);
    } else {
      state.pass.stateInfos.erase(id);
    }
  }
}

void RestrictionStepIfDue(JoustPlugin& plugin) {
  const JoustChangeSet& changes = *plugin.state().changes;
  // The restriction follows the player's rosters and standing too: a change
  // of those that was not marked as one of the restriction still runs the
  // step when the restriction it gives differs from the one last published.
  const bool rostersMoved = !changes.tournaments.Empty();
  if (changes.restrictionChanged ||
      (rostersMoved && plugin.lastPresence && ComputeRestriction(plugin) != *plugin.lastPresence)) {
    RestrictionStep(plugin);
  }
}

void ArmTournamentTimers(JoustPlugin& plugin, int64_t tournamentId,
                         const MaybeType<Failure, Api::TournamentStateInfo>& info) {
  JoustPluginState& state = plugin.state();
  if (!info.ok()) {
    // The tournament is gone: so are its timers.
    plugin.timers().KillTimer(StateChangeTimerName(tournamentId));
    plugin.timers().KillTimer(RosterCreationDeadlineTimerName(tournamentId));
    plugin.timers().KillTimer(RecordDeadlineTimerName(tournamentId));
    state.pass.armedStateChanges.erase(tournamentId);
    state.pass.armedCreationDeadlines.erase(tournamentId);
    state.pass.armedRecordDeadlines.erase(tournamentId);
    return;
  }
  const int64_t now = plugin.ServerNow();
  ArmRosterCreationDeadline(plugin, *info, now);
  ArmStateChangeTimer(plugin, *info, now);
  ArmRecordDeadline(plugin, tournamentId, now);
}

void PublishPlayerRoster(JoustPlugin& plugin, int64_t tournamentId, const std::string& rosterId,
                         const MaybeType<Failure, Api::Roster>& roster) {
  const Api::PlayerTournamentData standing = ReadPlayerTournamentData(plugin.state(), tournamentId);
  if (roster.ok() && standing.rosterId == rosterId) {
    plugin.events().PublishIfChanged(kPlayerRosterPath, *roster);
  } else if (!roster.ok() && standing.rosterId.empty()) {
    plugin.events().PublishDeleteIfPublished(kPlayerRosterPath);
  }
}

void JoustPlugin::RunPublicationPass() {
  std::apply([this](const auto&... row) { (PublishRow(*this, row), ...); }, kPublishedResources);
  CheckTimersOfCachedTournaments(*this, *state_->changes);
  state_->changes->Clear();

  while (!state_->player.notificationQueue.empty()) {
    Api::PlayerNotificationData queued = std::move(state_->player.notificationQueue.front());
    state_->player.notificationQueue.pop_front();
    FillNotificationTexts(*this, queued);
    (void)requests().Send<void>(KIV_METHOD_POST, kPlayerNotificationsUri, queued.notification);
  }
}

}  // namespace kiv::joust
