#include "standin/scenario/scenario_run.h"

#include <algorithm>
#include <cstdio>

#include "host/host_clock.h"
#include "host/host_value_json.h"
#include "host/route_table.h"
#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"
#include "standin/simulation/faulty_neighbours.h"

namespace kiv::standin {
namespace {

constexpr size_t kSummaryLength = 110;

// `actual` holds everything `expected` says: members recursively, lists
// element by element, scalars by their JSON text.
bool Holds(const BindingProperty& actual, const BindingProperty& expected) {
  if (expected.IsStructure()) {
    if (!actual.IsStructure()) return false;
    for (const BindingMember& member : expected.Members()) {
      const BindingProperty* found = actual.FindMember(member.Name());
      if (!found || !Holds(*found, member.Value())) return false;
    }
    return true;
  }
  if (expected.IsCollection()) {
    if (!actual.IsCollection() || actual.Size() != expected.Size()) return false;
    for (size_t i = 0; i < expected.Size(); ++i) {
      if (!Holds(actual.Elements()[i], expected.Elements()[i])) return false;
    }
    return true;
  }
  return WriteJson(actual) == WriteJson(expected);
}

std::string Shorten(std::string text) {
  if (text.size() > kSummaryLength) text = text.substr(0, kSummaryLength - 3) + "...";
  return text;
}

std::string Clock(int64_t ms) {
  char text[48];
  std::snprintf(text, sizeof text, "+%02lld:%02lld:%02lld.%03lld",
                static_cast<long long>(ms / 3'600'000), static_cast<long long>(ms / 60'000 % 60),
                static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
  return text;
}

std::string MatchTitle(const LCDS::BracketMatch& match) {
  return (match.loserBracket ? "L" : "W") + std::to_string(match.round) + "." +
         std::to_string(match.order + 1);
}

}  // namespace

ScenarioRun::ScenarioRun(host::PluginHost& host, const Scenario& scenario, RunOptions options)
    : host_(host), scenario_(scenario), options_(std::move(options)) {
  // Starting at the real reading keeps the virtual clock ahead of the real
  // one in paced runs, so timed waits elsewhere in the process never spin.
  // A virtual run starts at zero, so its log is the same on every machine.
  if (!host::VirtualClockActive()) {
    host::UseVirtualClock(options_.virtualTime ? 0 : host::MonotonicNow());
  }
  BuildWorld();
}

ScenarioRun::~ScenarioRun() {
  host_.login().SetService(nullptr);
  host_.SetEventObserver(nullptr);
}

void ScenarioRun::Line(const std::string& text) {
  const std::string line = Clock(clock_->NowMs() - world_.epochMs) + "  " + text;
  if (options_.print) options_.print(line);
  log_.push_back(line);
}

void ScenarioRun::BuildWorld() {
  world_.epochMs = scenario_.epochMs;
  world_.me = scenario_.player;
  clock_ = std::make_unique<ServerClock>(host_, scenario_.epochMs);
  push_ = std::make_unique<PushChannel>(world_, &host_.standard().messaging);
  service_ = std::make_unique<JoustService>(world_, *push_, *clock_);
  play_ =
      std::make_unique<TournamentClock>(*service_, *clock_, options_.seed.value_or(scenario_.seed));
  bots_ = std::make_unique<Bots>(*service_, *clock_);
  for (const ScenarioPlayer& entry : scenario_.players) {
    PlayerState player{.id = entry.id, .name = entry.name, .tickets = entry.tickets};
    if (!entry.bot.empty()) player.bot = scenario_.behaviours.at(entry.bot);
    world_.players[entry.id] = player;
    host_.standard().summoners.SetSummoner(entry.id, entry.name);
  }
  const int64_t epoch = scenario_.epochMs;
  for (const ScenarioTournament& entry : scenario_.tournaments) {
    TournamentState& tournament = world_.tournaments[entry.id];
    LCDS::TournamentDTO& dto = tournament.dto;
    dto.id = entry.id;
    dto.scheduleTime = epoch + entry.startMs;
    dto.scheduleEndTime = epoch + entry.endMs;
    dto.rosterCreateDeadline = epoch + entry.createDeadlineMs;
    dto.rosterDisbandDeadline = epoch + entry.createDeadlineMs;
    dto.entryFee = entry.entryFee;
    dto.rosterSize = entry.rosterSize;
    dto.themeId = entry.themeId;
    dto.nameLocKey = entry.name;
    dto.buyInOptions = {entry.entryFee, entry.entryFee * 2, entry.entryFee * 3};
    dto.queueId = entry.queueId;
    dto.scoutingTimeMs = entry.scoutingMs;
    dto.maxSub = entry.maxSub;
    for (const ScenarioPhase& phase : entry.phases) {
      dto.phases.push_back(LCDS::TournamentPhaseDTO{phase.id, entry.id, epoch + phase.lockInMs,
                                                    epoch + phase.startMs, phase.period});
    }
    LCDS::JoustRewardConfigClient rewards;
    rewards.name = entry.name + "_rewards";
    rewards.keyDef = {LCDS::JoustRewardKeyType::kLowestPosition};
    for (const char* place : {"1", "2", "3"}) {
      LCDS::JoustRewardOutput output;
      output.primary.rewardType = LCDS::JoustRewardType::kTrophy;
      output.primary.rewardSpec.cup = place;
      output.grant = LCDS::JoustRewardTime::kEot;
      output.show = LCDS::JoustRewardTime::kEot;
      rewards.entries.push_back(LCDS::JoustRewardConfigEntry{place, {output}});
    }
    dto.rewardConfig = {rewards};
    tournament.gameMinMs = entry.gameMinMs;
    tournament.gameMaxMs = entry.gameMaxMs;
  }
  for (const ScenarioRoster& entry : scenario_.rosters) {
    const int32_t fee = world_.tournaments.at(entry.tournament).dto.entryFee;
    if (!entry.phases.empty()) {
      std::vector<World::Entrant> members;
      const auto positions = {LCDS::Position::kTop, LCDS::Position::kJungle,
                              LCDS::Position::kMiddle, LCDS::Position::kBottom,
                              LCDS::Position::kUtility};
      for (size_t i = 0; i < entry.members.size(); ++i) {
        members.push_back({entry.members[i], fee, *(positions.begin() + i % 5),
                           epoch - static_cast<int64_t>(entry.members.size() - i)});
      }
      LCDS::RosterDTO& roster =
          world_.AddRoster(entry.tournament, entry.phases.front(), entry.name, entry.shortName,
                           entry.logo, entry.logoColor, members);
      for (size_t i = 1; i < entry.phases.size(); ++i) {
        const LCDS::TournamentPhaseDTO& phase =
            *world_.FindPhase(entry.tournament, entry.phases[i]);
        roster.phases.push_back(LCDS::PhaseRosterDTO{phase.id, phase.period, {}, std::nullopt});
      }
      continue;
    }
    LCDS::PendingRosterDTO roster;
    roster.version = 1;
    roster.tournamentId = entry.tournament;
    roster.invitationId = "inv-" + std::to_string(world_.nextInvitation++);
    roster.name = entry.name;
    roster.shortName = entry.shortName;
    roster.logo = entry.logo;
    roster.logoColor = entry.logoColor;
    roster.tier = 1;
    roster.captainId = entry.members.front();
    for (size_t i = 0; i < entry.members.size(); ++i) {
      roster.members.push_back(LCDS::PendingRosterMemberDTO{
          entry.members[i], LCDS::PendingRosterMemberState::kNotReady, 0,
          LCDS::Position::kUnselected, epoch - static_cast<int64_t>(entry.members.size() - i), 0,
          0});
    }
    for (uint64_t id : entry.invited) {
      roster.invitees.push_back(LCDS::PendingRosterInviteeDTO{
          id, LCDS::PendingRosterInviteeState::kPending, roster.captainId, epoch});
    }
    world_.pending[roster.invitationId] = roster;
  }
}

int ScenarioRun::Run() {
  host_.login().SetSession(
      R"({"state":"SUCCEEDED","summonerId":)" + std::to_string(world_.me) + "}", false);
  host_.standard().chat.Serve(host::kChatMeUri,
                              R"({"summonerId":)" + std::to_string(world_.me) + R"(,"kiv":{}})");
  host_.login().SetService(service_.get());
  if (scenario_.faults.Any()) {
    faultyService_ = std::make_unique<FaultyService>(*service_, scenario_.faults);
    faultyPushes_ =
        std::make_unique<FaultyPushes>(host_, host_.standard().messaging, scenario_.faults);
    host_.login().SetService(faultyService_.get());
    host_.neighbours().SetInterceptor(FaultyNeighbours(scenario_.faults));
    push_->SetDelivery([this](const std::string& topic, const std::string& payload) {
      faultyPushes_->Deliver(topic, payload);
    });
  }
  host_.SetEventObserver([this](const host::PublishedEvent& event) {
    OnEvent(event);
    if (options_.onEvent) options_.onEvent(event);
  });
  push_->SetObserver([this](const SentPush& push) {
    if (std::find(push.targets.begin(), push.targets.end(), world_.me) == push.targets.end()) {
      return;
    }
    Line("push     " + push.topic + (push.reason.empty() ? "" : " " + push.reason));
  });
  auto service = [this](const std::string& text) { Line("service  " + text); };
  play_->SetLog(service);
  bots_->SetLog(service);
  bots_->Attach(*play_);
  play_->hooks().playerMatch = [this](MatchMoment moment, int64_t tournamentId,
                                      const LCDS::BracketMatch& match) {
    PlayerMatch(moment, tournamentId, match);
  };
  play_->hooks().tournamentFinished = [this](int64_t) {
    if (++finishedTournaments_ < world_.tournaments.size()) return;
    // The steps waiting for the end run now, a second apart.
    int64_t at = clock_->NowMs();
    for (size_t i = 0; i < scenario_.steps.size(); ++i) {
      if (!scenario_.steps[i].whenFinished) continue;
      at += 1000;
      clock_->At(at, "Scenario step", [this, i] { RunStep(i); });
    }
  };
  Line("scenario " + scenario_.name + " (seed " +
       std::to_string(options_.seed.value_or(scenario_.seed)) + ", starts " +
       FormatUtcTime(world_.epochMs) + " UTC)");
  if (!host_.Initialize()) {
    if (options_.requirePlugin) {
      Line("the plugin did not start");
      return 1;
    }
  }
  host_.RunUntilIdle();  // start-up reads and the events they cause
  if (options_.started && !options_.started()) return 1;
  play_->Start();
  for (const auto& [pendingId, roster] : world_.pending) {
    for (const auto& invitee : roster.invitees) {
      if (service_->hooks().invited) service_->hooks().invited(pendingId, invitee.inviteeId);
    }
  }
  ScheduleSteps();
  if (options_.holdAtMs) {
    clock_->At(world_.epochMs + *options_.holdAtMs, "Scenario hold", [this] { holdDue_ = true; });
  }
  int64_t lastEnd = world_.epochMs;
  for (const auto& [id, tournament] : world_.tournaments) {
    lastEnd = std::max(lastEnd, tournament.dto.scheduleEndTime);
  }
  const int64_t limit =
      scenario_.limitMs > 0 ? world_.epochMs + scenario_.limitMs : lastEnd + 3'600'000;
  if (options_.virtualTime) {
    RunVirtual(limit);
  } else {
    RunPaced(limit, options_.speed.value_or(scenario_.speed));
  }
  for (const size_t index : awaitingAnswer_) {
    ++stepsDone_;
    StepFailed(index, "no answer");
  }
  awaitingAnswer_.clear();
  const size_t left = scenario_.steps.size() - stepsDone_;
  if (left > 0) {
    Line(std::to_string(left) + " step(s) never ran");
    failures_ += static_cast<int>(left);
  }
  for (const std::string& line : FinalTable()) {
    if (options_.print) options_.print(line);
    log_.push_back(line);
  }
  const std::string summary =
      std::to_string(scenario_.steps.size()) + " steps, " + std::to_string(failures_) + " failed";
  if (options_.print) options_.print(summary);
  log_.push_back(summary);
  return failures_;
}

void ScenarioRun::Calm() {
  if (!faultyService_) return;
  // The faulty layers stay, misbehaving no more: what they deliver still
  // carries its versions stamped (version_stamp.h).
  faultyService_->Calm();
  faultyPushes_->Calm();
  host_.neighbours().SetInterceptor(nullptr);
  faultyPushes_->ReleaseHeld();
}

bool ScenarioRun::Finished() const {
  return stepsDone_ == scenario_.steps.size() && finishedTournaments_ >= world_.tournaments.size();
}

bool ScenarioRun::Check() {
  ++moments_;
  if (!options_.check || !violation_.empty()) return violation_.empty();
  violation_ = options_.check();
  if (violation_.empty()) return true;
  ++failures_;
  Line("invariant violated at moment " + std::to_string(moments_) + ": " + violation_);
  return false;
}

void ScenarioRun::RunVirtual(int64_t limitMs) {
  host_.RunUntilIdle();
  // Work due within the same millisecond belongs to the same moment: the
  // plugin reads time in milliseconds, and a timer it set for an instant may
  // land a fraction of one after it.
  constexpr int64_t kSameMoment = 1'000'000;
  while (!Finished()) {
    const auto next = host_.work().NextDue();
    if (!(next && *next - host::MonotonicNow() < kSameMoment) && !Check()) return;
    if (!next) {
      Line("nothing left to happen");
      return;
    }
    if (clock_->NowMs() >= limitMs) {
      Line("time limit reached");
      return;
    }
    host_.IdleUntilNextDue();
    host_.RunUntilIdle();
    HoldIfDue();
  }
  host_.RunUntilIdle();
}

bool ScenarioRun::HoldIfDue() {
  if (!holdDue_) return false;
  holdDue_ = false;
  Line("held; POST /clock/resume to go on");
  const auto stopped = [this] {
    return (options_.resume && options_.resume->load()) || (options_.stop && options_.stop->load());
  };
  while (!stopped()) {
    host_.RunUntilIdle();
    host_.WaitForWork(50'000'000);
  }
  Line("resumed");
  return true;
}

void ScenarioRun::RunPaced(int64_t limitMs, double speed) {
  int64_t realStart = host::RealMonotonicNow();
  int64_t virtualStart = host::MonotonicNow();
  while (!Finished() && !(options_.stop && options_.stop->load())) {
    host_.RunUntilIdle();
    if (HoldIfDue()) {  // the pace starts again from where the clock stood
      realStart = host::RealMonotonicNow();
      virtualStart = host::MonotonicNow();
    }
    if (clock_->NowMs() >= limitMs) {
      Line("time limit reached");
      return;
    }
    const auto target =
        virtualStart +
        static_cast<int64_t>(static_cast<double>(host::RealMonotonicNow() - realStart) * speed);
    const auto next = host_.work().NextDue();
    if (next && *next <= target) {
      host::AdvanceVirtualClockTo(*next);
      continue;
    }
    host::AdvanceVirtualClockTo(target);
    int64_t wait = 10'000'000;
    if (next) wait = std::min<int64_t>(wait, static_cast<int64_t>((*next - target) / speed) + 1);
    host_.WaitForWork(wait);
  }
  host_.RunUntilIdle();
}

void ScenarioRun::ScheduleSteps() {
  for (size_t i = 0; i < scenario_.steps.size(); ++i) {
    if (scenario_.steps[i].whenFinished) continue;
    clock_->At(world_.epochMs + scenario_.steps[i].atMs, "Scenario step",
               [this, i] { RunStep(i); });
  }
}

void ScenarioRun::StepFailed(size_t index, const std::string& why) {
  ++failures_;
  Line("step " + std::to_string(index + 1) + " (" + scenario_.file + ":" +
       std::to_string(scenario_.steps[index].line) + ") FAILED: " + why);
}

void ScenarioRun::RunStep(size_t index) {
  const ScenarioStep& step = scenario_.steps[index];
  const std::string name = "step " + std::to_string(index + 1) + "  ";
  switch (step.kind) {
    case ScenarioStep::Kind::kCall: {
      const auto makeRequest = [&step] {
        host::HostRequest request =
            host::HostRequest::Make(host::MethodCode(step.method), step.url);
        if (request.method == KIV_METHOD_CUSTOM) request.customMethod = step.method;
        if (!step.bodyJson.empty()) {
          request.body = step.bodyJson;
          request.contentType = "application/json";
        }
        return request;
      };
      Line(name + step.method + " " + step.url);
      // The answer may come much later: the handler can wait for the service,
      // and other events run inside that wait. It is checked when it comes;
      // a call still unanswered when the run ends fails then.
      awaitingAnswer_.insert(index);
      // Requests are not copyable: the observer gets a second one made alike.
      auto asked = std::make_shared<host::HostRequest>(makeRequest());
      host_.QueueRequest(makeRequest(), [this, index, asked](const host::HostResponse& response) {
        if (options_.onAnswer) options_.onAnswer(*asked, response);
        CheckCall(index, response);
      });
      return;
    }
    case ScenarioStep::Kind::kEvent: {
      Line(name + "event " + step.uri + " " + Shorten(step.dataJson));
      const std::string error =
          host::SetNeighbourResource(host_.standard(), step.uri, step.dataJson);
      if (!error.empty()) StepFailed(index, error);
      break;
    }
    case ScenarioStep::Kind::kService: {
      const MethodResult result = service_->Invoke(step.as, step.method, ReadJson(step.argsJson));
      const std::string outcome = result.ok() ? "ok" : std::string(result.failure().Message());
      const PlayerState* player = world_.FindPlayer(step.as);
      Line(name + (player ? player->name : std::to_string(step.as)) + " calls " + step.method +
           ": " + outcome);
      if (step.outcome != "any" && outcome != step.outcome) {
        StepFailed(index, "expected " + step.outcome);
      }
      break;
    }
    case ScenarioStep::Kind::kExpect: {
      const auto found = published_.find(step.uri);
      Line(name + "expect " + step.uri + " " + Shorten(step.dataJson));
      if (found == published_.end() || found->second.empty()) {
        StepFailed(index, "nothing was published at " + step.uri);
      } else if (!Holds(ReadJson(found->second.back()), ReadJson(step.dataJson))) {
        StepFailed(index, "last published " + Shorten(found->second.back()));
      }
      break;
    }
  }
  ++stepsDone_;
}

void ScenarioRun::CheckCall(size_t index, const host::HostResponse& response) {
  const ScenarioStep& step = scenario_.steps[index];
  if (awaitingAnswer_.erase(index) == 0) {
    ++failures_;
    Line("step " + std::to_string(index + 1) + " answered more than once");
    return;
  }
  ++stepsDone_;
  const uint32_t status = response.FinalStatus();
  const bool ok =
      step.anyStatus || (step.status ? status == *step.status : status >= 200 && status < 300);
  const std::string body =
      response.error ? *response.error : host::HostValueToJson(response.body.root());
  Line("step " + std::to_string(index + 1) + "  answer " + std::to_string(status) + " " +
       Shorten(body));
  if (!ok) {
    StepFailed(index, "answered " + std::to_string(status) +
                          (step.status ? ", expected " + std::to_string(*step.status) : ""));
  }
}

void ScenarioRun::PlayerMatch(MatchMoment moment, int64_t tournamentId,
                              const LCDS::BracketMatch& match) {
  host::StandardNeighbours& client = host_.standard();
  const int32_t queue = world_.tournaments.at(tournamentId).dto.queueId;
  switch (moment) {
    case MatchMoment::kQueued:
      Line("client   " + MatchTitle(match) + " is next, the queue opens at its start");
      break;
    case MatchMoment::kDodged:
      client.lobby.SetSearch(queue, "TournamentDodged");
      client.matchmaking.SetReadyCheck("Invalid", "None");
      client.gameflow.SetPhase("CheckedIntoTournament");
      break;
    case MatchMoment::kStarted: {
      // The queue pops: ready check, champion select, then the game.
      client.lobby.SetSearch(queue);
      client.gameflow.SetPhase("ReadyCheck");
      client.matchmaking.SetReadyCheck("InProgress", "None");
      const int64_t now = clock_->NowMs();
      clock_->At(now + 10'000, "Client: everyone ready", [this] {
        host_.standard().matchmaking.SetReadyCheck("EveryoneReady", "Accepted");
        host_.standard().gameflow.SetPhase("ChampSelect");
      });
      clock_->At(now + 100'000, "Client: game starts",
                 [this] { host_.standard().gameflow.SetPhase("InProgress"); });
      break;
    }
    case MatchMoment::kEnded: {
      client.gameflow.SetPhase("EndOfGame");
      client.matchmaking.SetReadyCheck("Invalid", "None");
      clock_->At(clock_->NowMs() + 30'000, "Client: back in the tournament",
                 [this] { host_.standard().gameflow.SetPhase("CheckedIntoTournament"); });
      break;
    }
  }
}

void ScenarioRun::OnEvent(const host::PublishedEvent& event) {
  if (event.name.starts_with("OnJsonApiEvent_")) return;  // the copy under the URI's own name
  const std::string json = host::HostValueToJson(event.body.root());
  if (event.name != "OnJsonApiEvent") {
    Line("event    " + event.name + " " + Shorten(json));
    return;
  }
  const BindingProperty body = ReadJson(json);
  const std::string uri(body.Member("uri").GetString());
  const std::string type(body.Member("eventType").GetString());
  const BindingProperty& data = body.Member("data");
  const std::string dataJson = data.IsEmpty() ? "null" : WriteJson(data);
  published_[uri].push_back(dataJson);
  if (type == "Delete") {
    removed_.insert(uri);
  } else {
    removed_.erase(uri);
  }
  Line("event    " + type + " " + uri + " " + Shorten(dataJson));
}

std::span<const std::string> ScenarioRun::Published(std::string_view uri) const {
  const auto found = published_.find(uri);
  if (found == published_.end()) return {};
  return found->second;
}

std::map<std::string, std::optional<std::string>, std::less<>> ScenarioRun::LastPublished() const {
  std::map<std::string, std::optional<std::string>, std::less<>> last;
  for (const auto& [uri, values] : published_) {
    if (removed_.count(uri)) {
      last.emplace(uri, std::nullopt);
    } else if (!values.empty()) {
      last.emplace(uri, values.back());
    }
  }
  return last;
}

std::vector<std::string> ScenarioRun::FinalTable() {
  std::vector<std::string> lines;
  auto name = [&](int64_t rosterId) -> std::string {
    const LCDS::RosterDTO* roster = world_.FindRoster(rosterId);
    return roster ? roster->name + " (" + roster->shortName + ")" : "-";
  };
  for (const auto& [id, tournament] : world_.tournaments) {
    lines.push_back("== " + tournament.dto.nameLocKey + " (tournament " + std::to_string(id) + ")" +
                    (tournament.finished ? "" : ", not finished"));
    for (const auto& [phaseId, bracketId] : tournament.bracketOfPhase) {
      const DoubleElimination& bracket = world_.brackets.at(bracketId);
      lines.push_back("bracket " + std::to_string(bracketId) + ", period " +
                      std::to_string(world_.FindPhase(id, phaseId)->period) + ", " +
                      std::to_string(bracket.bracket().rosters.size()) + " rosters:");
      for (const auto* list :
           {&bracket.bracket().matches, &bracket.bracket().loserBracketMatches}) {
        for (const LCDS::BracketMatch& match : *list) {
          if (match.rosterId1 < 0 || match.rosterId2 < 0) continue;  // byes
          char text[200];
          std::snprintf(text, sizeof text, "  %-6s %-24s v %-24s -> %s", MatchTitle(match).c_str(),
                        name(match.rosterId1).c_str(), name(match.rosterId2).c_str(),
                        match.winnerId >= 0 ? name(match.winnerId).c_str() : "(open)");
          lines.push_back(text);
        }
      }
      if (bracket.Complete()) {
        lines.push_back("places:");
        const std::vector<int64_t> places = bracket.Placements();
        for (size_t i = 0; i < places.size(); ++i) {
          const LCDS::RosterDTO& roster = world_.rosters.at(places[i]);
          char text[200];
          std::snprintf(text, sizeof text, "  %2zu. %-24s %d-%d%s", i + 1, name(places[i]).c_str(),
                        roster.wins, roster.losses,
                        world_.withdrawn.count(roster.id) ? " (withdrew)" : "");
          lines.push_back(text);
        }
      }
    }
  }
  lines.push_back("== players (tickets, season VP, reward events)");
  for (const auto& [id, player] : world_.players) {
    if (player.seasonVp == 0 && player.eventIds.empty() && id != world_.me) continue;
    char text[200];
    std::snprintf(text, sizeof text, "  %-16s %4d %6d %3zu%s", player.name.c_str(), player.tickets,
                  player.seasonVp, player.eventIds.size(), id == world_.me ? "  (you)" : "");
    lines.push_back(text);
  }
  return lines;
}

}  // namespace kiv::standin
