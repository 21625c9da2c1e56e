#include "standin/scenario/scenario.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <set>
#include <sstream>

#include "sdk/codec/json_writer.h"
#include "sdk/codec/yaml_reader.h"
#include "standin/scenario/internal/yaml_positions.h"
#include "standin/service/server_clock.h"

namespace kiv::standin {
namespace {

using Keys = std::initializer_list<std::string_view>;

// About three years: longer durations are refused rather than overflowing.
constexpr int64_t kLongestDurationMs = int64_t{100'000} * 86'400'000 / 100;

std::string Join(const std::string& path, std::string_view key) {
  return path.empty() ? std::string(key) : path + "." + std::string(key);
}

// Reads a scenario document, keeping the first error with its position.
class Reader {
 public:
  Reader(std::string_view text, std::string_view file)
      : positions_(YamlPositions(text)), file_(file) {}

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  void Fail(const std::string& path, const std::string& message) {
    if (!ok()) return;
    // The node itself, else the nearest enclosing node with a position.
    std::string at = path;
    auto found = positions_.find(at);
    while (found == positions_.end() && !at.empty()) {
      const size_t cut = at.find_last_of(".[");
      at = cut == std::string::npos ? "" : at.substr(0, cut);
      found = positions_.find(at);
    }
    const auto [line, column] = found == positions_.end() ? std::pair{1, 1} : found->second;
    error_ = file_ + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " +
             (path.empty() ? "" : path + ": ") + message;
  }

  /// A mapping whose keys are all in `allowed` (none required here).
  bool Mapping(const BindingProperty& value, const std::string& path, Keys allowed) {
    if (!value.IsStructure()) {
      Fail(path, "expected a mapping");
      return false;
    }
    for (const BindingMember& member : value.Members()) {
      bool known = false;
      for (std::string_view key : allowed) known = known || member.Name() == key;
      if (!known) {
        Fail(Join(path, member.Name()), "unknown field '" + std::string(member.Name()) + "'");
        return false;
      }
    }
    return true;
  }
  /// The elements of a sequence at `key` (none when absent).
  std::span<const BindingProperty> List(const BindingProperty& map, const std::string& path,
                                        std::string_view key) {
    const BindingProperty* value = map.FindMember(key);
    if (!value || value->IsEmpty()) return {};
    if (!value->IsCollection()) {
      Fail(Join(path, key), "expected a list");
      return {};
    }
    return value->Elements();
  }
  bool Has(const BindingProperty& map, std::string_view key) {
    const BindingProperty* value = map.FindMember(key);
    return value && !value->IsEmpty();
  }
  int64_t Integer(const BindingProperty& map, const std::string& path, std::string_view key,
                  int64_t fallback, bool required = false, int64_t min = INT64_MIN,
                  int64_t max = INT64_MAX) {
    const BindingProperty* value = map.FindMember(key);
    if (!value || value->IsEmpty()) {
      if (required) Fail(Join(path, key), "is required");
      return fallback;
    }
    int64_t number = 0;
    if (value->Kind() == ValueKind::kSigned) {
      number = value->GetSigned();
    } else if (value->Kind() == ValueKind::kUnsigned && value->GetUnsigned() <= INT64_MAX) {
      number = static_cast<int64_t>(value->GetUnsigned());
    } else {
      Fail(Join(path, key), "expected a whole number");
      return fallback;
    }
    if (number < min || number > max) {
      Fail(Join(path, key),
           "must be between " + std::to_string(min) + " and " + std::to_string(max));
      return fallback;
    }
    return number;
  }
  uint64_t Id(const BindingProperty& map, const std::string& path, std::string_view key,
              bool required = true) {
    return static_cast<uint64_t>(Integer(map, path, key, 0, required, 1));
  }
  double Number(const BindingProperty& map, const std::string& path, std::string_view key,
                double fallback, double min, double max) {
    const BindingProperty* value = map.FindMember(key);
    if (!value || value->IsEmpty()) return fallback;
    double number = 0;
    switch (value->Kind()) {
      case ValueKind::kFloat:
        number = value->GetFloat();
        break;
      case ValueKind::kSigned:
        number = static_cast<double>(value->GetSigned());
        break;
      case ValueKind::kUnsigned:
        number = static_cast<double>(value->GetUnsigned());
        break;
      default:
        Fail(Join(path, key), "expected a number");
        return fallback;
    }
    if (!(number >= min && number <= max)) {
      Fail(Join(path, key), "must be between " + Format(min) + " and " + Format(max));
      return fallback;
    }
    return number;
  }
  bool Bool(const BindingProperty& map, const std::string& path, std::string_view key,
            bool fallback) {
    const BindingProperty* value = map.FindMember(key);
    if (!value || value->IsEmpty()) return fallback;
    if (value->Kind() != ValueKind::kBool) {
      Fail(Join(path, key), "expected true or false");
      return fallback;
    }
    return value->GetBool();
  }
  std::string Text(const BindingProperty& map, const std::string& path, std::string_view key,
                   std::string fallback = "", bool required = false) {
    const BindingProperty* value = map.FindMember(key);
    if (!value || value->IsEmpty()) {
      if (required) Fail(Join(path, key), "is required");
      return fallback;
    }
    if (!value->IsString()) {
      Fail(Join(path, key), "expected a text");
      return fallback;
    }
    return std::string(value->GetString());
  }
  int64_t Duration(const BindingProperty& map, const std::string& path, std::string_view key,
                   int64_t fallback, bool required = false) {
    const BindingProperty* value = map.FindMember(key);
    if (!value || value->IsEmpty()) {
      if (required) Fail(Join(path, key), "is required");
      return fallback;
    }
    std::optional<int64_t> ms;
    if (value->IsString()) {
      ms = ParseDuration(value->GetString());
    } else if (value->Kind() == ValueKind::kUnsigned) {
      ms = static_cast<int64_t>(value->GetUnsigned()) * 1000;
    } else if (value->Kind() == ValueKind::kFloat && value->GetFloat() >= 0) {
      ms = static_cast<int64_t>(std::llround(value->GetFloat() * 1000));
    }
    if (!ms) {
      Fail(Join(path, key), "expected a duration such as 90s, 3m or 1h30m");
      return fallback;
    }
    return *ms;
  }
  std::vector<uint64_t> Ids(const BindingProperty& map, const std::string& path,
                            std::string_view key) {
    std::vector<uint64_t> ids;
    const auto elements = List(map, path, key);
    for (size_t i = 0; i < elements.size(); ++i) {
      if (elements[i].Kind() != ValueKind::kUnsigned || elements[i].GetUnsigned() == 0) {
        Fail(Join(path, key) + "[" + std::to_string(i) + "]", "expected a player id");
        return ids;
      }
      ids.push_back(elements[i].GetUnsigned());
    }
    return ids;
  }
  /// Any value as JSON text; empty when absent.
  std::string Json(const BindingProperty& map, std::string_view key) {
    const BindingProperty* value = map.FindMember(key);
    return value && !value->IsEmpty() ? WriteJson(*value) : "";
  }

 private:
  static std::string Format(double number) {
    std::ostringstream text;
    text << number;
    return text.str();
  }

  std::map<std::string, std::pair<int, int>> positions_;
  std::string file_;
  std::string error_;
};

void ReadBehaviours(Reader& r, const BindingProperty& root, Scenario& scenario) {
  scenario.behaviours["default"] = BotBehaviour{};
  const BindingProperty* all = root.FindMember("behaviours");
  if (!all || all->IsEmpty()) return;
  if (!all->IsStructure()) return r.Fail("behaviours", "expected a mapping of names to behaviours");
  for (const BindingMember& entry : all->Members()) {
    const std::string path = Join("behaviours", entry.Name());
    const BindingProperty& b = entry.Value();
    if (!r.Mapping(b, path,
                   {"acceptInvites", "acceptAfter", "lockIn", "lockInAfter", "acceptSubInvites",
                    "dodgeChance", "noShowChance"})) {
      return;
    }
    BotBehaviour behaviour;
    behaviour.acceptInvites = r.Bool(b, path, "acceptInvites", true);
    behaviour.acceptAfterMs = r.Duration(b, path, "acceptAfter", behaviour.acceptAfterMs);
    behaviour.lockIn = r.Bool(b, path, "lockIn", true);
    behaviour.lockInAfterMs = r.Duration(b, path, "lockInAfter", behaviour.lockInAfterMs);
    behaviour.acceptSubInvites = r.Bool(b, path, "acceptSubInvites", true);
    behaviour.dodgeChance = r.Number(b, path, "dodgeChance", 0, 0, 1);
    behaviour.noShowChance = r.Number(b, path, "noShowChance", 0, 0, 1);
    scenario.behaviours[std::string(entry.Name())] = behaviour;
  }
}

void ReadFaults(Reader& r, const BindingProperty& root, FaultPlan& faults) {
  const BindingProperty* f = root.FindMember("faults");
  if (!f || f->IsEmpty()) return;
  if (!r.Mapping(*f, "faults",
                 {"seed", "pushDrop", "pushDuplicate", "pushDelay", "pushStale", "pushTruncate",
                  "serviceFail", "serviceFailCoded", "serviceDelay", "serviceNever",
                  "neighbourMissing", "neighbourGarbage", "neighbourLate", "clockJump"})) {
    return;
  }
  faults.seed = static_cast<uint64_t>(r.Integer(*f, "faults", "seed", 1, false, 0));
  faults.pushDrop = r.Number(*f, "faults", "pushDrop", 0, 0, 1);
  faults.pushDuplicate = r.Number(*f, "faults", "pushDuplicate", 0, 0, 1);
  faults.pushDelay = r.Number(*f, "faults", "pushDelay", 0, 0, 1);
  faults.pushStale = r.Number(*f, "faults", "pushStale", 0, 0, 1);
  faults.pushTruncate = r.Number(*f, "faults", "pushTruncate", 0, 0, 1);
  faults.serviceFail = r.Number(*f, "faults", "serviceFail", 0, 0, 1);
  faults.serviceFailCoded = r.Number(*f, "faults", "serviceFailCoded", 0, 0, 1);
  faults.serviceDelay = r.Number(*f, "faults", "serviceDelay", 0, 0, 1);
  faults.serviceNever = r.Number(*f, "faults", "serviceNever", 0, 0, 1);
  faults.neighbourMissing = r.Number(*f, "faults", "neighbourMissing", 0, 0, 1);
  faults.neighbourGarbage = r.Number(*f, "faults", "neighbourGarbage", 0, 0, 1);
  faults.neighbourLate = r.Number(*f, "faults", "neighbourLate", 0, 0, 1);
  faults.clockJump = r.Number(*f, "faults", "clockJump", 0, 0, 1);
}

void ReadTournaments(Reader& r, const BindingProperty& root, Scenario& scenario) {
  const auto list = r.List(root, "", "tournaments");
  for (size_t i = 0; i < list.size() && r.ok(); ++i) {
    const std::string path = "tournaments[" + std::to_string(i) + "]";
    const BindingProperty& t = list[i];
    if (!r.Mapping(t, path,
                   {"id", "name", "theme", "rosterSize", "entryFee", "maxSubstitutes", "queue",
                    "scouting", "gameLength", "start", "end", "createDeadline", "phases"})) {
      return;
    }
    ScenarioTournament tournament;
    tournament.id = r.Integer(t, path, "id", -1, true, 1);
    tournament.name = r.Text(t, path, "name", "joust_cup", false);
    tournament.themeId = static_cast<int32_t>(r.Integer(t, path, "theme", 1, false, 0, 1000));
    tournament.rosterSize = static_cast<int32_t>(r.Integer(t, path, "rosterSize", 5, false, 1, 10));
    tournament.entryFee = static_cast<int32_t>(r.Integer(t, path, "entryFee", 1, false, 0, 100));
    tournament.maxSub = static_cast<int32_t>(r.Integer(t, path, "maxSubstitutes", 1, false, 0, 5));
    tournament.queueId = static_cast<int32_t>(r.Integer(t, path, "queue", 700, false, 0, 100000));
    tournament.scoutingMs = r.Duration(t, path, "scouting", tournament.scoutingMs);
    if (r.Has(t, "gameLength")) {
      const auto lengths = r.List(t, path, "gameLength");
      if (lengths.size() != 2) {
        r.Fail(Join(path, "gameLength"), "expected [shortest, longest]");
        return;
      }
      BindingProperty pair;
      pair.MutableMember("min") = lengths[0];
      pair.MutableMember("max") = lengths[1];
      tournament.gameMinMs = r.Duration(pair, Join(path, "gameLength"), "min", 0);
      tournament.gameMaxMs = r.Duration(pair, Join(path, "gameLength"), "max", 0);
      if (tournament.gameMaxMs < tournament.gameMinMs || tournament.gameMinMs <= 0) {
        r.Fail(Join(path, "gameLength"),
               "expected [shortest, longest] with 0 < shortest <= longest");
      }
    }
    tournament.startMs = r.Duration(t, path, "start", 0);
    const auto phases = r.List(t, path, "phases");
    if (phases.empty() && r.ok()) r.Fail(Join(path, "phases"), "needs at least one phase");
    int64_t lastStart = 0;
    for (size_t j = 0; j < phases.size() && r.ok(); ++j) {
      const std::string phasePath = Join(path, "phases") + "[" + std::to_string(j) + "]";
      if (!r.Mapping(phases[j], phasePath, {"id", "period", "lockIn", "start"})) return;
      ScenarioPhase phase;
      phase.id = r.Integer(phases[j], phasePath, "id", -1, true, 1);
      phase.period =
          static_cast<int32_t>(r.Integer(phases[j], phasePath, "period", 1, false, 1, 100));
      phase.lockInMs = r.Duration(phases[j], phasePath, "lockIn", 0, true);
      phase.startMs = r.Duration(phases[j], phasePath, "start", 0, true);
      if (r.ok() && phase.startMs <= phase.lockInMs) {
        r.Fail(Join(phasePath, "start"), "must come after lockIn");
      }
      lastStart = std::max(lastStart, phase.startMs);
      tournament.phases.push_back(phase);
    }
    tournament.createDeadlineMs = r.Duration(t, path, "createDeadline", lastStart);
    tournament.endMs = r.Duration(t, path, "end", lastStart + 24 * 3'600'000);
    if (r.ok() && tournament.endMs <= lastStart) {
      r.Fail(Join(path, "end"), "must come after the last phase's start");
    }
    scenario.tournaments.push_back(std::move(tournament));
  }
}

const ScenarioTournament* FindTournament(const Scenario& scenario, int64_t id) {
  for (const auto& tournament : scenario.tournaments) {
    if (tournament.id == id) return &tournament;
  }
  return nullptr;
}

void ReadRosters(Reader& r, const BindingProperty& root, Scenario& scenario) {
  std::set<uint64_t> players;
  for (const auto& player : scenario.players) players.insert(player.id);
  const auto list = r.List(root, "", "rosters");
  for (size_t i = 0; i < list.size() && r.ok(); ++i) {
    const std::string path = "rosters[" + std::to_string(i) + "]";
    const BindingProperty& entry = list[i];
    if (!r.Mapping(entry, path,
                   {"tournament", "name", "shortName", "logo", "logoColor", "members",
                    "firstMember", "invited", "phases"})) {
      return;
    }
    ScenarioRoster roster;
    roster.tournament = r.Integer(entry, path, "tournament", -1, true, 1);
    roster.name = r.Text(entry, path, "name", "", true);
    roster.shortName = r.Text(entry, path, "shortName", "", true);
    roster.logo = static_cast<int32_t>(r.Integer(entry, path, "logo", 0, false, 0, 99));
    roster.logoColor = static_cast<int32_t>(r.Integer(entry, path, "logoColor", 0, false, 0, 9));
    roster.members = r.Ids(entry, path, "members");
    const uint64_t firstMember = r.Id(entry, path, "firstMember", false);
    roster.invited = r.Ids(entry, path, "invited");
    for (const BindingProperty& phase : r.List(entry, path, "phases")) {
      roster.phases.push_back(phase.GetSigned(static_cast<int64_t>(phase.GetUnsigned())));
    }
    if (!r.ok()) return;
    const ScenarioTournament* tournament = FindTournament(scenario, roster.tournament);
    if (!tournament) {
      r.Fail(Join(path, "tournament"), "no tournament " + std::to_string(roster.tournament));
      return;
    }
    if (firstMember != 0) {
      // A run of consecutive players fills the roster.
      for (int32_t k = 0; k < tournament->rosterSize; ++k)
        roster.members.push_back(firstMember + k);
    }
    if (roster.members.empty()) return r.Fail(Join(path, "members"), "needs a captain at least");
    for (uint64_t id : roster.members) {
      if (!players.count(id))
        return r.Fail(Join(path, "members"), "no player " + std::to_string(id));
    }
    for (uint64_t id : roster.invited) {
      if (!players.count(id))
        return r.Fail(Join(path, "invited"), "no player " + std::to_string(id));
    }
    if (static_cast<int32_t>(roster.members.size()) > tournament->rosterSize ||
        (!roster.phases.empty() &&
         static_cast<int32_t>(roster.members.size()) != tournament->rosterSize)) {
      return r.Fail(Join(path, "members"), "a registered roster has exactly " +
                                               std::to_string(tournament->rosterSize) +
                                               " members, a pending one at most that");
    }
    for (int64_t phaseId : roster.phases) {
      bool known = false;
      for (const auto& phase : tournament->phases) known = known || phase.id == phaseId;
      if (!known) return r.Fail(Join(path, "phases"), "no phase " + std::to_string(phaseId));
    }
    scenario.rosters.push_back(std::move(roster));
  }
}

void ReadSteps(Reader& r, const BindingProperty& root, Scenario& scenario,
               const std::map<std::string, std::pair<int, int>>& positions) {
  const auto list = r.List(root, "", "steps");
  int64_t previous = 0;
  for (size_t i = 0; i < list.size() && r.ok(); ++i) {
    const std::string path = "steps[" + std::to_string(i) + "]";
    const BindingProperty& s = list[i];
    if (!r.Mapping(s, path, {"at", "after", "note", "call", "event", "service", "expect"})) return;
    ScenarioStep step;
    const auto position = positions.find(path);
    step.line = position == positions.end() ? 0 : position->second.first;
    if (r.Text(s, path, "at") == "finished") {
      step.whenFinished = true;
    } else if (r.Has(s, "at")) {
      step.atMs = r.Duration(s, path, "at", 0);
    } else {
      step.atMs = previous + r.Duration(s, path, "after", 0);
    }
    if (!step.whenFinished && step.atMs < previous && r.ok()) {
      return r.Fail(Join(path, "at"), "steps must be in time order");
    }
    if (!step.whenFinished) previous = step.atMs;
    const int kinds = r.Has(s, "call") + r.Has(s, "event") + r.Has(s, "service") +
                      (r.Has(s, "expect") && !r.Has(s, "call"));
    if (kinds != 1) {
      return r.Fail(path, "a step does exactly one of call, event, service or expect");
    }
    if (r.Has(s, "call")) {
      const std::string callPath = Join(path, "call");
      const BindingProperty& c = s.Member("call");
      if (!r.Mapping(c, callPath, {"method", "url", "body"})) return;
      step.kind = ScenarioStep::Kind::kCall;
      step.method = r.Text(c, callPath, "method", "GET");
      step.url = r.Text(c, callPath, "url", "", true);
      step.bodyJson = r.Json(c, "body");
      if (r.Has(s, "expect")) {
        const std::string expectPath = Join(path, "expect");
        if (!r.Mapping(s.Member("expect"), expectPath, {"status"})) return;
        if (s.Member("expect").Member("status").GetString() == "any") {
          step.anyStatus = true;
        } else {
          step.status = static_cast<uint32_t>(
              r.Integer(s.Member("expect"), expectPath, "status", 200, true, 100, 999));
        }
      }
    } else if (r.Has(s, "event")) {
      const std::string eventPath = Join(path, "event");
      const BindingProperty& e = s.Member("event");
      if (!r.Mapping(e, eventPath, {"uri", "data"})) return;
      step.kind = ScenarioStep::Kind::kEvent;
      step.uri = r.Text(e, eventPath, "uri", "", true);
      step.dataJson = r.Json(e, "data");
      if (step.dataJson.empty()) step.dataJson = "null";
    } else if (r.Has(s, "service")) {
      const std::string servicePath = Join(path, "service");
      const BindingProperty& v = s.Member("service");
      if (!r.Mapping(v, servicePath, {"as", "method", "args", "expect"})) return;
      step.kind = ScenarioStep::Kind::kService;
      step.as = r.Id(v, servicePath, "as");
      step.method = r.Text(v, servicePath, "method", "", true);
      step.argsJson = r.Json(v, "args");
      if (step.argsJson.empty()) step.argsJson = "{}";
      step.outcome = r.Text(v, servicePath, "expect", "ok");
    } else {
      const std::string expectPath = Join(path, "expect");
      const BindingProperty& x = s.Member("expect");
      if (!r.Mapping(x, expectPath, {"resource", "data"})) return;
      step.kind = ScenarioStep::Kind::kExpect;
      step.uri = r.Text(x, expectPath, "resource", "", true);
      step.dataJson = r.Json(x, "data");
      if (step.dataJson.empty()) step.dataJson = "null";
    }
    scenario.steps.push_back(std::move(step));
  }
}

}  // namespace

std::optional<int64_t> ParseDuration(std::string_view text) {
  if (text.empty()) return std::nullopt;
  int64_t total = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    int64_t number = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      if (number > 1'000'000'000) return std::nullopt;
      number = number * 10 + (text[i++] - '0');
    }
    const size_t unitStart = i;
    while (i < text.size() && (text[i] < '0' || text[i] > '9')) ++i;
    const std::string_view unit = text.substr(unitStart, i - unitStart);
    int64_t scale;
    if (unit == "ms") {
      scale = 1;
    } else if (unit == "s" || (unit.empty() && unitStart == text.size() && total == 0)) {
      scale = 1000;
    } else if (unit == "m") {
      scale = 60'000;
    } else if (unit == "h") {
      scale = 3'600'000;
    } else if (unit == "d") {
      scale = 86'400'000;
    } else {
      return std::nullopt;
    }
    total += number * scale;
    if (total > kLongestDurationMs) return std::nullopt;
  }
  return total;
}

MaybeType<Failure, Scenario> ReadScenario(std::string_view text, std::string_view file) {
  const BindingProperty root = ReadYaml(text);
  if (!root.IsValid()) {
    // "... At line: L col: C" from the YAML reader.
    std::string message(root.Error());
    int line = 1, column = 1;
    const size_t at = message.rfind("At line: ");
    if (at != std::string::npos) {
      std::sscanf(message.c_str() + at, "At line: %d col: %d", &line, &column);
      message = message.substr(0, at);
      while (!message.empty() && (message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    }
    return Fail(Failure(400, std::string(file) + ":" + std::to_string(line) + ":" +
                                 std::to_string(column) + ": " + message));
  }
  Reader r(text, file);
  Scenario scenario;
  scenario.file = std::string(file);
  if (!r.Mapping(root, "",
                 {"name", "seed", "clock", "player", "behaviours", "players", "tournaments",
                  "rosters", "steps", "faults"})) {
    return Fail(Failure(400, r.error()));
  }
  scenario.name = r.Text(root, "", "name", std::string(file));
  scenario.seed = static_cast<uint64_t>(r.Integer(root, "", "seed", 1, false, 0));
  if (const BindingProperty* clock = root.FindMember("clock"); clock && !clock->IsEmpty()) {
    if (r.Mapping(*clock, "clock", {"start", "speed", "limit"})) {
      const std::string start = r.Text(*clock, "clock", "start", "2026-06-01T18:00:00Z");
      const std::optional<int64_t> epoch = ParseUtcTime(start);
      if (!epoch) r.Fail("clock.start", "expected a UTC time such as 2026-06-01T18:00:00Z");
      scenario.epochMs = epoch.value_or(0);
      scenario.speed = r.Number(*clock, "clock", "speed", 60, 1, 1e6);
      scenario.limitMs = r.Duration(*clock, "clock", "limit", 0);
    }
  } else {
    scenario.epochMs = *ParseUtcTime("2026-06-01T18:00:00Z");
  }
  ReadBehaviours(r, root, scenario);
  ReadFaults(r, root, scenario.faults);
  const auto players = r.List(root, "", "players");
  std::set<uint64_t> ids;
  for (size_t i = 0; i < players.size() && r.ok(); ++i) {
    const std::string path = "players[" + std::to_string(i) + "]";
    if (!r.Mapping(players[i], path, {"id", "ids", "name", "tickets", "bot"})) break;
    // Either one player ("id") or a run of them ("ids: [first, last]", named
    // "NAME ID").
    uint64_t first, last;
    std::string name;
    if (r.Has(players[i], "ids")) {
      const std::vector<uint64_t> range = r.Ids(players[i], path, "ids");
      if (r.ok() && (range.size() != 2 || range[1] < range[0] || range[1] - range[0] > 10000)) {
        r.Fail(Join(path, "ids"), "expected [first, last] with at most 10000 players");
      }
      if (!r.ok()) break;
      first = range[0];
      last = range[1];
      name = r.Text(players[i], path, "name", "Bot");
    } else {
      first = last = r.Id(players[i], path, "id");
      name = r.Text(players[i], path, "name", "Player " + std::to_string(first));
    }
    for (uint64_t id = first; id <= last && r.ok(); ++id) {
      ScenarioPlayer player;
      player.id = id;
      player.name =
          first == last && !r.Has(players[i], "ids") ? name : name + " " + std::to_string(id);
      player.tickets =
          static_cast<int32_t>(r.Integer(players[i], path, "tickets", 10, false, 0, 1000000));
      player.bot = r.Text(players[i], path, "bot", "");
      if (r.ok() && !player.bot.empty() && !scenario.behaviours.count(player.bot)) {
        r.Fail(Join(path, "bot"), "no behaviour '" + player.bot + "'");
      }
      if (r.ok() && !ids.insert(player.id).second) {
        r.Fail(path, "player " + std::to_string(player.id) + " appears twice");
      }
      scenario.players.push_back(std::move(player));
    }
  }
  if (r.ok()) {
    scenario.player = r.Id(root, "", "player");
    bool found = false;
    for (const auto& player : scenario.players) {
      found = found || (player.id == scenario.player && player.bot.empty());
    }
    if (r.ok() && !found) r.Fail("player", "must be one of the players, without a bot behaviour");
  }
  if (r.ok()) ReadTournaments(r, root, scenario);
  if (r.ok()) ReadRosters(r, root, scenario);
  if (r.ok()) ReadSteps(r, root, scenario, YamlPositions(text));
  if (!r.ok()) return Fail(Failure(400, r.error()));
  return scenario;
}

MaybeType<Failure, Scenario> ReadScenarioFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Fail(Failure(404, path + ": cannot read the file"));
  std::ostringstream text;
  text << file.rdbuf();
  return ReadScenario(text.str(), path);
}

}  // namespace kiv::standin
