#include "standin/scenario/bots.h"

#include "sdk/codec/json_reader.h"

namespace kiv::standin {
namespace {

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

void Bots::Attach(TournamentClock& tournamentClock) {
  service_.hooks().invited = [this](const std::string& id, uint64_t invitee) {
    OnInvited(id, invitee);
  };
  service_.hooks().subInvited = [this](int64_t roster, int64_t phase, uint64_t sub) {
    OnSubInvited(roster, phase, sub);
  };
  tournamentClock.hooks().phaseOpened = [this](int64_t tournamentId,
                                               const LCDS::TournamentPhaseDTO& phase) {
    OnPhaseOpened(tournamentId, phase);
  };
}

const BotBehaviour* Bots::BehaviourOf(uint64_t player) {
  const PlayerState* state = service_.world().FindPlayer(player);
  return state && state->bot ? &*state->bot : nullptr;
}

void Bots::Act(int64_t when, uint64_t bot, std::string method, std::string argsJson) {
  clock_.At(when, "Stand-in: bot " + method, [this, bot, method, argsJson] {
    const MethodResult result = service_.Invoke(bot, method, ReadJson(argsJson));
    if (!result.ok() && log_) {
      log_(service_.world().FindPlayer(bot)->name + ": " + method + " refused, " +
           std::string(result.failure().Message()));
    }
  });
}

void Bots::OnInvited(const std::string& invitationId, uint64_t invitee) {
  const BotBehaviour* bot = BehaviourOf(invitee);
  if (!bot || !bot->acceptInvites) return;
  const int64_t when = clock_.NowMs() + bot->acceptAfterMs;
  Act(when, invitee, "accept", R"({"invitationId":)" + Quote(invitationId) + "}");
  // Accepted during an open lock-in: ready up as the others did.
  const LCDS::PendingRosterDTO* roster = service_.world().FindPending(invitationId);
  if (!roster || !bot->lockIn) return;
  for (const auto& phase : service_.world().tournaments.at(roster->tournamentId).dto.phases) {
    if (when >= phase.registrationTime && when < phase.startTime) {
      const int64_t phaseId = phase.id;
      const std::string id = invitationId;
      clock_.At(when, "Stand-in: bot readies",
                [this, id, invitee, phaseId] { ReadyUp(id, invitee, phaseId); });
    }
  }
}

void Bots::OnSubInvited(int64_t rosterId, int64_t phaseId, uint64_t substitute) {
  const BotBehaviour* bot = BehaviourOf(substitute);
  if (!bot || !bot->acceptSubInvites) return;
  Act(clock_.NowMs() + bot->acceptAfterMs, substitute, "acceptSub",
      R"({"rosterId":)" + std::to_string(rosterId) + R"(,"phaseId":)" + std::to_string(phaseId) +
          "}");
}

void Bots::ReadyUp(const std::string& invitationId, uint64_t bot, int64_t phaseId) {
  const BotBehaviour* behaviour = BehaviourOf(bot);
  if (!behaviour) return;
  const LCDS::PendingRosterDTO* roster = service_.world().FindPending(invitationId);
  if (!roster) return;
  const int32_t fee = service_.world().tournaments.at(roster->tournamentId).dto.entryFee;
  const int64_t when = clock_.NowMs() + behaviour->lockInAfterMs;
  Act(when, bot, "setTicket",
      R"({"invitationId":)" + Quote(invitationId) + R"(,"ticketCount":)" + std::to_string(fee) +
          "}");
  Act(when, bot, "setMemberPhaseReady",
      R"({"invitationId":)" + Quote(invitationId) + R"(,"phaseId":)" + std::to_string(phaseId) +
          "}");
}

void Bots::OnPhaseOpened(int64_t tournamentId, const LCDS::TournamentPhaseDTO& phase) {
  World& world = service_.world();
  for (const auto& [id, roster] : world.pending) {
    if (roster.tournamentId != tournamentId) continue;
    for (const auto* member : ActiveMembers(roster)) {
      const BotBehaviour* bot = BehaviourOf(member->playerId);
      if (bot && bot->lockIn) ReadyUp(id, member->playerId, phase.id);
    }
  }
  for (const auto& [id, roster] : world.rosters) {
    if (roster.tournamentId != tournamentId || world.withdrawn.count(id)) continue;
    bool registered = false;
    for (const auto& entry : roster.phases) registered = registered || entry.phaseId == phase.id;
    if (registered) continue;
    for (uint64_t player : world.PlayersOf(roster)) {
      const BotBehaviour* bot = BehaviourOf(player);
      if (!bot || !bot->lockIn) continue;
      Act(clock_.NowMs() + bot->lockInAfterMs, player, "memberPhaseCheckin",
          R"({"rosterId":)" + std::to_string(id) + R"(,"phaseId":)" + std::to_string(phase.id) +
              "}");
    }
  }
}

}  // namespace kiv::standin
