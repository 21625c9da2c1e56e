// scenario_run.h: runs a scenario (scenario.h) against a plugin in the
// substitute host: builds the stand-in world, puts the tournament service
// behind the login stand-in's proxy, starts the plugin, then lets the clock
// of play, the bots and the scripted steps run until every step ran and
// every tournament ended (or the scenario's time limit).
//
// Time is the host's virtual clock: as fast as possible (virtual), or paced
// at `speed` virtual seconds per real second, so the plugin's own timers
// keep the world's pace. Everything that happens becomes a log line
// "+HH:MM:SS.mmm what": the plugin's published events (resource, a short
// summary), notifications delivered to the player, the service's own lines
// and the steps' outcomes; on the virtual clock the log depends only on the
// scenario and its seed. The run ends with a table of the brackets, the
// places and rewards.
//
// Not for: reading scenario files (scenario.h).
//
//   ScenarioRun run(*host, scenario, {.print = [](const std::string& l) { std::puts(l.c_str());
//   }}); int failures = run.Run(); run.Published("/kiv-joust/v1/tournament/1/stateInfo");  // every
//   value, in order
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/plugin_host.h"
#include "standin/scenario/bots.h"
#include "standin/scenario/scenario.h"
#include "standin/scenario/tournament_clock.h"
#include "standin/service/joust_service.h"
#include "standin/simulation/faulty_pushes.h"
#include "standin/simulation/faulty_service.h"

namespace kiv::standin {

struct RunOptions {
  std::optional<uint64_t> seed;             // replaces the scenario's
  bool virtualTime = true;                  // false: paced at `speed` against the real clock
  std::optional<double> speed;              // replaces the scenario's
  bool requirePlugin = true;                // false: a host without a library runs the world alone
  const std::atomic<bool>* stop = nullptr;  // set (from a signal) to end a paced run
  std::function<void(const std::string&)> print;             // each line as it happens
  std::function<void(const host::PublishedEvent&)> onEvent;  // e.g. an HTTP gateway
  /// Each call step's request and whole answer, when the answer comes.
  std::function<void(const host::HostRequest&, const host::HostResponse&)> onAnswer;
  std::function<bool()> started;  // once the plugin started; false ends the run
  /// After each moment of the run (every time the host has run all that was
  /// due): a violated invariant's description ends the run as a failure.
  std::function<std::string()> check;
  std::optional<int64_t> holdAtMs;            // hold at this offset from the start...
  const std::atomic<bool>* resume = nullptr;  // ...until this is set (or `stop`)
};

class ScenarioRun {
 public:
  /// `host` (loaded, not yet initialized) and `scenario` must outlive the run.
  /// Switches the host to the virtual clock.
  ScenarioRun(host::PluginHost& host, const Scenario& scenario, RunOptions options);
  ~ScenarioRun();
  ScenarioRun(const ScenarioRun&) = delete;
  ScenarioRun& operator=(const ScenarioRun&) = delete;

  /// Runs to the end; returns the number of failed steps (a plugin that does
  /// not start, steps left at the time limit, calls never answered and
  /// refused steps count).
  int Run();
  /// The world stops misbehaving: later service calls, pushes and neighbour
  /// requests go through untouched, so what follows (the memory check after
  /// a run) measures the plugin alone.
  void Calm();

  /// Sets RunOptions::check after construction (for checks that read the run).
  void SetCheck(std::function<std::string()> check) { options_.check = std::move(check); }
  /// Every line so far.
  const std::vector<std::string>& log() const { return log_; }
  /// Every value the plugin published at `uri` (compact JSON, "null" for a
  /// removal), in order; valid until the run goes on.
  std::span<const std::string> Published(std::string_view uri) const;
  /// The last value published at each resource (compact JSON); none for a
  /// resource whose last event removed it.
  std::map<std::string, std::optional<std::string>, std::less<>> LastPublished() const;
  /// How many moments the run has gone through (see RunOptions::check).
  uint64_t moments() const { return moments_; }
  /// The invariant a check found violated, or empty.
  const std::string& violation() const { return violation_; }
  /// The closing table: brackets, places and rewards, players.
  std::vector<std::string> FinalTable();
  World& world() { return world_; }
  JoustService& service() { return *service_; }
  PushChannel& push() { return *push_; }

 private:
  void BuildWorld();
  void ScheduleSteps();
  void RunStep(size_t index);
  void CheckCall(size_t index, const host::HostResponse& response);
  void PlayerMatch(MatchMoment moment, int64_t tournamentId, const LCDS::BracketMatch& match);
  void OnEvent(const host::PublishedEvent& event);
  void Line(const std::string& text);
  void StepFailed(size_t index, const std::string& why);
  bool Finished() const;
  void RunVirtual(int64_t limitMs);
  void RunPaced(int64_t limitMs, double speed);
  bool Check();
  // Once the hold time has come: runs requests as they come, with the clock
  // standing, until resumed or stopped. True when it held.
  bool HoldIfDue();

  host::PluginHost& host_;
  const Scenario& scenario_;
  RunOptions options_;
  World world_;
  std::unique_ptr<ServerClock> clock_;
  std::unique_ptr<PushChannel> push_;
  std::unique_ptr<JoustService> service_;
  std::unique_ptr<FaultyService> faultyService_;  // with a fault plan only
  std::unique_ptr<FaultyPushes> faultyPushes_;
  std::unique_ptr<TournamentClock> play_;
  std::unique_ptr<Bots> bots_;
  std::vector<std::string> log_;
  std::map<std::string, std::vector<std::string>, std::less<>> published_;
  std::set<std::string, std::less<>> removed_;  // resources whose last event was a removal
  uint64_t moments_ = 0;
  std::string violation_;
  std::set<size_t> awaitingAnswer_;  // call steps queued and not answered yet
  size_t stepsDone_ = 0;
  int failures_ = 0;
  size_t finishedTournaments_ = 0;
  bool holdDue_ = false;
};

}  // namespace kiv::standin
