// bots.h: the other players of a stand-in world, acting on their own with
// simple configurable behaviour (world.h, BotBehaviour): they accept roster
// invitations and substitute invitations after a delay, set their bid and
// ready up when a phase's lock-in opens, and check in for later phases.
// Dodges and no-shows are decided by the clock of play when a match starts.
//
// Every action is an ordinary call of the service in the bot's name; a
// refused call is written to the run's log and otherwise ignored.
//
// Not for: the player behind the plugin, who acts only through the plugin.
//
//   Bots bots(service, serverClock);
//   bots.Attach(tournamentClock);  // lock-in openings reach the bots
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "standin/scenario/tournament_clock.h"
#include "standin/service/joust_service.h"
#include "standin/service/server_clock.h"

namespace kiv::standin {

class Bots {
 public:
  /// Both must outlive the bots.
  Bots(JoustService& service, ServerClock& clock) : service_(service), clock_(clock) {}

  /// Installs the service's invitation hooks and the clock's phase hook.
  void Attach(TournamentClock& tournamentClock);
  void SetLog(std::function<void(const std::string&)> log) { log_ = std::move(log); }

 private:
  void OnInvited(const std::string& invitationId, uint64_t invitee);
  void OnSubInvited(int64_t rosterId, int64_t phaseId, uint64_t substitute);
  void OnPhaseOpened(int64_t tournamentId, const LCDS::TournamentPhaseDTO& phase);
  void ReadyUp(const std::string& invitationId, uint64_t bot, int64_t phaseId);
  /// Calls `method` as `bot` at `when`; logs a refusal.
  void Act(int64_t when, uint64_t bot, std::string method, std::string argsJson);
  const BotBehaviour* BehaviourOf(uint64_t player);

  JoustService& service_;
  ServerClock& clock_;
  std::function<void(const std::string&)> log_;
};

}  // namespace kiv::standin
