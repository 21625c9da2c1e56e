#include "standin/simulation/invariants.h"

#include <optional>

#include "host/host_value_json.h"
#include "host/neighbours/login_neighbour.h"
#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"
#include "sdk/value/binding_property.h"

namespace kiv::standin {
namespace {

constexpr char kTimeUri[] = "/kiv-joust/v1/time";
// Held bytes are counted as the allocator's usable sizes, which may exceed
// what was asked by a few bytes per block depending on what lies free.
constexpr uint64_t kAllocatorSlack = 256;
constexpr int64_t kMinute = 60'000'000'000;

// Members that follow the clock by themselves: a tournament's record says
// whether rosters may still be created or disbanded, and is republished only
// when the record changes (its readers compare the deadlines themselves).
constexpr std::string_view kClockMembers[] = {"allowRosterCreation", "allowRosterDisband"};

std::string Normalized(const std::string& json, bool tournament) {
  BindingProperty value = ReadJson(json);
  if (tournament && value.IsStructure()) {
    for (std::string_view name : kClockMembers) value.MutableMember(name) = false;
  }
  return WriteJson(value);
}

// What the plugin logs when its own bookkeeping is broken.
constexpr std::string_view kBrokenBookkeeping = "bookkeeping broken";

// "/kiv-joust/v1/tournament/T/roster/R": one roster, registered or pending.
bool IsRosterPath(std::string_view uri) {
  constexpr std::string_view kPrefix = "/kiv-joust/v1/tournament/";
  if (!uri.starts_with(kPrefix)) return false;
  const size_t roster = uri.find("/roster/", kPrefix.size());
  return roster != std::string_view::npos &&
         uri.find('/', roster + std::string_view("/roster/").size()) == std::string_view::npos;
}

bool IsTournamentRecord(std::string_view uri) {
  constexpr std::string_view kPrefix = "/kiv-joust/v1/tournament/";
  if (!uri.starts_with(kPrefix)) return false;
  const std::string_view id = uri.substr(kPrefix.size());
  return !id.empty() && id.find_first_not_of("0123456789") == std::string_view::npos;
}

// The two texts around where they first differ.
std::string Difference(const std::string& published, const std::string& answered) {
  size_t at = 0;
  while (at < published.size() && at < answered.size() && published[at] == answered[at]) ++at;
  const size_t from = at > 40 ? at - 40 : 0;
  return "was last published as ..." + published.substr(from, 100) +
         "... but its endpoint answers ..." + answered.substr(from, 100) + "...";
}

uint64_t HeldBytes(const host::PluginHost& host) {
  const auto words = host.MemoryStats();
  const auto counter = [&words](int i) {
    return uint64_t(words[2 * i]) | uint64_t(words[2 * i + 1]) << 32;
  };
  return counter(2) - counter(4);
}

}  // namespace

void Invariants::Observe(const host::LogLine& line) {
  if (brokenBookkeeping_.empty() && line.message.find(kBrokenBookkeeping) != std::string::npos) {
    brokenBookkeeping_ = line.message;
  }
}

std::string Invariants::Check() {
  if (!brokenBookkeeping_.empty()) return "the plugin logged: " + brokenBookkeeping_;
  std::string violation = CheckEndpoints();
  if (violation.empty()) violation = CheckRosterVersions();
  return violation;
}

std::string Invariants::CheckRosterVersions() {
  for (const auto& [uri, last] : run_.LastPublished()) {
    if (!IsRosterPath(uri)) continue;
    const auto seen = rosterVersions_.find(uri);
    if (!last) {
      if (seen != rosterVersions_.end()) rosterVersions_.erase(seen);
      continue;
    }
    const BindingProperty roster = ReadJson(*last);
    const BindingProperty* colour =
        roster.IsStructure() ? roster.FindMember("iconColorId") : nullptr;
    if (!colour) {  // published as gone (a failure)
      if (seen != rosterVersions_.end()) rosterVersions_.erase(seen);
      continue;
    }
    const int64_t version = colour->Kind() == ValueKind::kSigned
                                ? colour->GetSigned()
                                : static_cast<int64_t>(colour->GetUnsigned());
    if (seen == rosterVersions_.end()) {
      rosterVersions_.emplace(uri, version);
    } else if (version < seen->second) {
      return uri + " went back from version " + std::to_string(seen->second) + " to " +
             std::to_string(version) + " (an older copy replaced a newer one)";
    } else {
      seen->second = version;
    }
  }
  return "";
}

std::string Invariants::CheckEndpoints() {
  for (const auto& [uri, last] : run_.LastPublished()) {
    if (!last || uri == kTimeUri) continue;
    if (!host_.FindEndpoint(KIV_METHOD_GET, "", uri)) continue;
    const host::HostResponse response = host_.Request(host::HostRequest::Make(KIV_METHOD_GET, uri));
    const bool tournament = IsTournamentRecord(uri);
    std::string answer;
    if (response.error) {
      // A resource that went away is published as the failure its endpoint
      // answers now.
      BindingProperty failure;
      failure.MutableMember("errorCode") = static_cast<int64_t>(response.FinalStatus());
      failure.MutableMember("message") = *response.error;
      answer = WriteJson(failure);
    } else {
      answer = Normalized(host::HostValueToJson(response.body.root()), tournament);
    }
    const std::string published = Normalized(*last, tournament);
    if (answer != published) return uri + " " + Difference(published, answer);
  }
  return "";
}

std::string MemoryFlatAcrossLogins(host::PluginHost& host, uint64_t player, int cycles) {
  const std::string login = R"({"state":"SUCCEEDED","summonerId":)" + std::to_string(player) + "}";
  // The first logout after the run is a warm-up: logging in again reloads
  // the cache once, whose containers may keep a larger size from then on.
  std::optional<uint64_t> baseline;
  for (int i = 0; i < cycles; ++i) {
    host.login().SetSession(R"({"state":"LOGGING_OUT"})");
    host.RunUntilIdle();
    const uint64_t held = HeldBytes(host);
    if (i == 1) {
      baseline = held;
    } else if (baseline && held > *baseline + kAllocatorSlack) {
      return "after logout " + std::to_string(i + 1) + " the plugin holds " +
             std::to_string(held - *baseline) + " bytes more than after the second";
    }
    host.login().SetSession(login);
    host.RunUntilIdle();
    // A minute on: the deadlines of the calls the login made have passed,
    // so their wake-ups are gone as they would be in any real session.
    host.AdvanceClock(kMinute);
    host.RunUntilIdle();
  }
  return "";
}

}  // namespace kiv::standin
