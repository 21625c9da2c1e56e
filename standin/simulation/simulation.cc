#include "standin/simulation/simulation.h"

#include <algorithm>
#include <sstream>

#include "host/host_clock.h"
#include "host/plugin_host.h"
#include "standin/scenario/scenario.h"
#include "standin/scenario/scenario_run.h"
#include "standin/scenario/seeded_random.h"
#include "standin/simulation/invariants.h"

namespace kiv::standin {
namespace {

constexpr uint64_t kMe = 1000001;
constexpr uint64_t kFirstMate = 2001;   // four teammates, steady bots
constexpr uint64_t kFirstBot = 3001;    // the other rosters' players
constexpr uint64_t kFirstLoner = 4001;  // players in no roster, to invite or substitute
constexpr int kLoners = 6;

// Relative weights of the kinds of step.
struct StepMenu {
  int command = 40;
  int read = 20;
  int session = 6;
  int configuration = 6;
  int entitlements = 3;
  int availability = 5;
  int otherPlayer = 10;
  int Total() const {
    return command + read + session + configuration + entitlements + availability + otherPlayer;
  }
};

class Generator {
 public:
  Generator(uint64_t seed, int steps) : random_(seed), seed_(seed), steps_(steps) {}

  std::string Make() {
    Header();
    Tournaments();
    Rosters();
    Steps();
    return out_.str();
  }

 private:
  template <typename T>
  const T& Pick(const std::vector<T>& list) {
    return list[static_cast<size_t>(random_.Between(0, static_cast<int64_t>(list.size()) - 1))];
  }
  double Rate(double most) {
    return static_cast<double>(random_.Between(0, static_cast<int64_t>(most * 1000))) / 1000;
  }

  void Header() {
    out_ << "# A simulated world, seed " << seed_ << ": random tournaments and steps with faults.\n"
         << "name: Simulation " << seed_ << "\nseed: " << seed_
         << "\nclock: {start: 2026-06-01T18:00:00Z}\nplayer: " << kMe << "\n"
         << "behaviours:\n  steady: {acceptAfter: 15s, lockInAfter: 20s}\n"
         << "  nervous: {lockInAfter: 2m, dodgeChance: 0.2, noShowChance: 0.1}\n"
         << "faults: {seed: " << seed_ << ", pushDrop: " << Rate(0.05)
         << ", pushDuplicate: " << Rate(0.05) << ", pushDelay: " << Rate(0.05)
         << ", pushStale: " << Rate(0.05) << ", pushTruncate: " << Rate(0.03)
         << ", serviceFail: " << Rate(0.05) << ", serviceFailCoded: " << Rate(0.03)
         << ", serviceDelay: " << Rate(0.05) << ", serviceNever: " << Rate(0.02)
         << ", neighbourMissing: " << Rate(0.03) << ", neighbourGarbage: " << Rate(0.03)
         << ", neighbourLate: " << Rate(0.05) << ", clockJump: " << Rate(0.2) << "}\n";
    rosterCount_ = static_cast<int>(random_.Between(3, 7));
    out_ << "players:\n  - {id: " << kMe << ", name: You, tickets: " << random_.Between(0, 12)
         << "}\n  - {ids: [" << kFirstMate << ", " << kFirstMate + 3
         << "], name: Mate, bot: steady}\n"
         << "  - {ids: [" << kFirstBot << ", " << kFirstBot + 5 * rosterCount_ - 1
         << "], name: Bot, bot: " << (random_.Chance(0.5) ? "steady" : "nervous") << "}\n"
         << "  - {ids: [" << kFirstLoner << ", " << kFirstLoner + kLoners - 1
         << "], name: Loner, bot: steady}\n";
  }

  void Tournaments() {
    out_ << "tournaments:\n";
    const int count = static_cast<int>(random_.Between(1, 2));
    for (int t = 1; t <= count; ++t) {
      const int64_t lockIn = random_.Between(2, 30);
      const int64_t start = lockIn + random_.Between(5, 20);
      out_ << "  - {id: " << t << ", name: joust_sim_" << t
           << ", rosterSize: 5, entryFee: " << random_.Between(0, 2)
           << ", scouting: " << random_.Between(1, 3)
           << "m, gameLength: [5m, 12m], end: " << start + 240 << "m, phases: [{id: " << t * 10 + 1
           << ", period: 1, lockIn: " << lockIn << "m, start: " << start << "m}";
      if (random_.Chance(0.4)) {
        out_ << ", {id: " << t * 10 + 2 << ", period: 2, lockIn: " << start + 100
             << "m, start: " << start + 110 << "m}";
      }
      out_ << "]}\n";
      tournaments_.push_back(t);
      endMinutes_ = std::max(endMinutes_, start + 240);
    }
  }

  void Rosters() {
    out_ << "rosters:\n";
    const char* names[] = {"Iron Herons", "Vale Wolves", "Copper Owls", "Salt Crows",
                           "Moss Bears",  "Red Otters",  "Stone Elks"};
    for (int i = 0; i < rosterCount_; ++i) {
      const int64_t tournament = Pick(tournaments_);
      out_ << "  - {tournament: " << tournament << ", name: " << names[i] << ", shortName: R" << i
           << ", firstMember: " << kFirstBot + 5 * static_cast<uint64_t>(i) << ", phases: ["
           << tournament * 10 + 1 << "]}\n";
    }
    // The player's own roster, in one of three forms.
    const int64_t tournament = Pick(tournaments_);
    switch (random_.Between(0, 2)) {
      case 0:
        out_ << "  - {tournament: " << tournament
             << ", name: Your Roster, shortName: YOU, members: [" << kMe << ", " << kFirstMate
             << ", " << kFirstMate + 1 << ", " << kFirstMate + 2 << ", " << kFirstMate + 3
             << "], phases: [" << tournament * 10 + 1 << "]}\n";
        break;
      case 1:
        out_ << "  - {tournament: " << tournament
             << ", name: Your Roster, shortName: YOU, members: [" << kMe << ", " << kFirstMate
             << "], invited: [" << kFirstMate + 1 << "]}\n";
        break;
      default:
        out_ << "  - {tournament: " << tournament
             << ", name: Their Roster, shortName: THR, members: [" << kFirstLoner << ", "
             << kFirstLoner + 1 << "], invited: [" << kMe << "]}\n";
        break;
    }
  }

  void Steps() {
    out_ << "steps:\n";
    const int64_t spanMs = endMinutes_ * 60'000;
    int64_t at = 20'000;
    for (int i = 0; i < steps_; ++i) {
      at += random_.Between(1, std::max<int64_t>(2, 2 * spanMs / std::max(steps_, 1)));
      out_ << "  - {at: " << at << "ms, " << Step() << "}\n";
    }
  }

  std::string Step() {
    const StepMenu menu;
    int64_t draw = random_.Between(0, menu.Total() - 1);
    if ((draw -= menu.command) < 0) return Command();
    if ((draw -= menu.read) < 0) return Read();
    if ((draw -= menu.session) < 0) {
      return Event("/kiv-login/v1/session",
                   random_.Chance(0.5)
                       ? R"({state: SUCCEEDED, summonerId: )" + std::to_string(kMe) + "}"
                       : "{state: LOGGING_OUT}");
    }
    if ((draw -= menu.configuration) < 0) {
      const std::vector<std::string> states = {"Enabled", "Enabled", "Disabled", "DarkEnabled",
                                               "DarkDisabled"};
      return Event("/kiv-platform-config/v1/namespaces/JoustConfig",
                   "{Visibility: " + std::string(random_.Chance(0.8) ? "Visible" : "Hidden") +
                       ", EnabledState: " + Pick(states) +
                       ", DarkModeEntitlement: joust_dark, IconConfig: '{}', "
                       "IsPlaymodeRestrictionEnabled: " +
                       (random_.Chance(0.8) ? "true" : "false") + "}");
    }
    if ((draw -= menu.entitlements) < 0) {
      return Event("/entitlements/v1/token", std::string("{token: t") +
                                                 std::to_string(random_.Between(1, 9)) +
                                                 ", accessToken: a, entitlements: [" +
                                                 (random_.Chance(0.5) ? "joust_dark" : "") + "]}");
    }
    if ((draw -= menu.availability) < 0) {
      return Event("/kiv-gameflow/v1/availability",
                   std::string("{isAvailable: ") + (random_.Chance(0.7) ? "true" : "false") + "}");
    }
    return OtherPlayer();
  }

  std::string Event(const std::string& uri, const std::string& data) {
    return "event: {uri: " + uri + ", data: " + data + "}";
  }
  std::string Call(const char* method, const std::string& url, const std::string& body = "") {
    return std::string("call: {method: ") + method + ", url: '" + url + "'" +
           (body.empty() ? "" : ", body: " + body) + "}, expect: {status: any}";
  }
  uint64_t SomePlayer() {
    switch (random_.Between(0, 2)) {
      case 0:
        return kFirstMate + static_cast<uint64_t>(random_.Between(0, 3));
      case 1:
        return kFirstLoner + static_cast<uint64_t>(random_.Between(0, kLoners - 1));
      default:
        return kFirstBot + static_cast<uint64_t>(random_.Between(0, 5 * rosterCount_ - 1));
    }
  }
  std::string SomeRosterId() {
    if (random_.Chance(0.5)) return std::to_string(100 + random_.Between(1, rosterCount_ + 1));
    return "inv-" + std::to_string(random_.Between(1, 4));
  }

  std::string Command() {
    const std::string t = "/kiv-joust/v1/tournament/" + std::to_string(Pick(tournaments_));
    const std::string player = std::to_string(SomePlayer());
    switch (random_.Between(0, 21)) {
      case 0:
        return Call("POST", t + "/create-roster", "{name: Nova, shortName: NOV, iconId: 3}");
      case 1:
        return Call("POST", t + "/roster/invite", "[" + player + "]");
      case 2:
        return Call("POST", t + "/roster/kick", "{summonerId: " + player + "}");
      case 3:
      case 4:
        return Call("POST", t + "/roster/lockin");
      case 5:
        return Call("POST", t + "/roster/unlockin");
      case 6:
        return Call("POST", t + "/roster/change-name", "{name: Renamed}");
      case 7:
        return Call("POST", t + "/roster/set-bid",
                    "{ticketAmount: " + std::to_string(random_.Between(0, 3)) + "}");
      case 8:
        return Call("POST", t + "/roster/set-position", "{position: MIDDLE}");
      case 9:
        return Call("POST", t + "/roster/withdraw");
      case 10:
        return Call("POST", t + "/roster/unwithdraw");
      case 11:
        return Call("POST", t + "/roster/" + SomeRosterId() + "/accept");
      case 12:
        return Call("POST", t + "/roster/" + SomeRosterId() + "/decline");
      case 13:
        return Call("POST", t + "/roster/substitute/invite",
                    "{substituteSummonerId: " + player +
                        ", replacedSummonerId: " + std::to_string(kFirstMate) + "}");
      case 14:
        return Call("POST", t + "/roster/" + SomeRosterId() + "/substitute/accept");
      case 15:
        return Call("POST", t + "/roster/" + SomeRosterId() + "/substitute/decline");
      case 16:
        return Call("POST", t + "/roster/leave");
      case 17:
        return Call("POST", t + "/bid-offer/" + player + "/offer");
      case 18:
        return Call("POST", "/kiv-joust/v1/refresh");
      case 19:
        return Call("POST", "/kiv-joust/v1/gameEnd/acknowledge");
      case 20:
        return Call("POST", "/kiv-joust/v1/notifications/acknowledge");
      default:
        return Call("POST", "/kiv-joust/v1/eogPlayerUpdate/acknowledge");
    }
  }

  std::string Read() {
    const std::string t = "/kiv-joust/v1/tournament/" + std::to_string(Pick(tournaments_));
    const std::vector<std::string> urls = {"/kiv-joust/v1/tournament-summary",
                                           t,
                                           t + "/stateInfo",
                                           t + "/player",
                                           t + "/roster/" + SomeRosterId(),
                                           "/kiv-joust/v1/invitations",
                                           t + "/bracket/1",
                                           "/kiv-joust/v1/player/chat-rosters",
                                           "/kiv-joust/v1/gameEnd",
                                           "/kiv-joust/v1/notifications",
                                           "/kiv-joust/v2/playmode-restricted"};
    return Call("GET", Pick(urls));
  }

  std::string OtherPlayer() {
    const uint64_t as = SomePlayer();
    const std::string roster = std::to_string(100 + random_.Between(1, rosterCount_ + 1));
    std::string call;
    switch (random_.Between(0, 3)) {
      case 0:
        call = "method: invite, args: {invitationId: inv-" + std::to_string(random_.Between(1, 4)) +
               ", inviteePlayers: [" + std::to_string(kMe) + "]}";
        break;
      case 1:
        call = "method: voteMemberWithdraw, args: {rosterId: " + roster +
               ", bracketId: " + std::to_string(random_.Between(1, 3)) + "}";
        break;
      case 2:
        call = "method: inviteSub, args: {rosterId: " + roster +
               ", phaseId: " + std::to_string(Pick(tournaments_) * 10 + 1) +
               ", subPlayerId: " + std::to_string(kMe) +
               ", replacedPlayerId: " + std::to_string(as) + "}";
        break;
      default:
        call = "method: leave, args: {invitationId: inv-" + std::to_string(random_.Between(1, 4)) +
               "}";
        break;
    }
    return "service: {as: " + std::to_string(as) + ", " + call + ", expect: any}";
  }

  SeededRandom random_;
  uint64_t seed_;
  int steps_;
  std::ostringstream out_;
  std::vector<int64_t> tournaments_;
  int rosterCount_ = 0;
  int64_t endMinutes_ = 0;
};

// The step lines of a scenario text: those that begin "  - {at: ".
std::vector<size_t> StepLines(const std::vector<std::string>& lines) {
  std::vector<size_t> steps;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].starts_with("  - {at: ")) steps.push_back(i);
  }
  return steps;
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Joined(const std::vector<std::string>& lines, const std::vector<bool>& keep) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (keep[i]) text += lines[i] + "\n";
  }
  return text;
}

}  // namespace

std::string GenerateSimulation(uint64_t seed, int steps) { return Generator(seed, steps).Make(); }

SimulationResult RunSimulation(const std::string& pluginPath, std::string_view yaml,
                               std::string_view name) {
  SimulationResult result;
  auto scenario = ReadScenario(yaml, name);
  if (!scenario.ok()) {
    result.violation = "the scenario cannot be read: " + std::string(scenario.failure().Message());
    return result;
  }
  host::UseVirtualClock(0);
  std::string error;
  auto host = host::PluginHost::Open(pluginPath, &error);
  if (!host) {
    result.violation = "the plugin cannot be loaded: " + error;
    host::UseRealClock();
    return result;
  }
  host->SetKeepHistory(false);
  host->Load({18, 0, 0});
  {
    ScenarioRun run(*host, *scenario, {});
    Invariants invariants(*host, run);
    run.SetCheck([&invariants] { return invariants.Check(); });
    host->SetLogObserver([&invariants](const host::LogLine& line) { invariants.Observe(line); });
    result.failedSteps = run.Run();
    result.violation = run.violation();
    if (result.violation.empty()) {
      run.Calm();
      result.violation = MemoryFlatAcrossLogins(*host, scenario->player);
      if (!result.violation.empty()) result.log.push_back("leak: " + result.violation);
      if (result.violation.empty()) result.violation = invariants.Check();
    }
    host->SetLogObserver(nullptr);
    result.moment = run.moments();
    std::vector<std::string> log = run.log();
    log.insert(log.end(), result.log.begin(), result.log.end());
    result.log = std::move(log);
  }
  host->Shutdown();
  host::UseRealClock();
  result.passed = result.failedSteps == 0 && result.violation.empty();
  return result;
}

std::string ShrinkSimulation(std::string yaml,
                             const std::function<bool(std::string_view yaml)>& fails) {
  const std::vector<std::string> lines = Lines(yaml);
  std::vector<bool> keep(lines.size(), true);
  const std::vector<size_t> steps = StepLines(lines);
  // Chunks from half the steps down to one, each removed where the failure
  // stays without it.
  for (size_t chunk = std::max<size_t>(steps.size() / 2, 1);; chunk /= 2) {
    for (size_t start = 0; start < steps.size(); start += chunk) {
      std::vector<bool> trial = keep;
      bool removedAny = false;
      for (size_t i = start; i < std::min(start + chunk, steps.size()); ++i) {
        removedAny = removedAny || trial[steps[i]];
        trial[steps[i]] = false;
      }
      if (removedAny && fails(Joined(lines, trial))) keep = std::move(trial);
    }
    if (chunk == 1) break;
  }
  return Joined(lines, keep);
}

}  // namespace kiv::standin
