#include "standin/simulation/invariants.h"

#include <optional>
#include <span>

#include "host/neighbours/login_neighbour.h"
#include "sdk/codec/json_reader.h"
#include "sdk/value/binding_property.h"
#include "standin/simulation/endpoint_answer.h"

namespace kiv::standin {
namespace {

constexpr char kTimeUri[] = "/kiv-joust/v1/time";
// Held bytes are counted as the allocator's usable sizes, which may exceed
// what was asked by a few bytes per block depending on what lies free.
constexpr uint64_t kAllocatorSlack = 256;
constexpr int64_t kMinute = 60'000'000'000;

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
  // Built once a moment: it copies every value last published.
  const ClientView::Published published = run_.LastPublished();
  std::string violation = CheckEndpoints(published);
  if (violation.empty()) violation = CheckRosterVersions(published);
  return violation;
}

std::string Invariants::CheckRosterVersions(const ClientView::Published& published) {
  for (const auto& entry : published) {
    const std::string& uri = entry.first;
    if (!IsRosterPath(uri)) continue;
    // Every value published since the last check, in order: a removal in
    // between lets the roster come back at any version.
    const std::span<const std::string> values = run_.Published(uri);
    RosterWatch& watch = rosterWatches_[uri];
    for (; watch.consumed < values.size(); ++watch.consumed) {
      const BindingProperty roster = ReadJson(values[watch.consumed]);
      const BindingProperty* colour =
          roster.IsStructure() ? roster.FindMember("iconColorId") : nullptr;
      if (!colour) {  // removed, or published as gone (a failure)
        watch.version.reset();
        continue;
      }
      const int64_t version = WholeNumber(*colour);
      if (watch.version && version < *watch.version) {
        return uri + " went back from version " + std::to_string(*watch.version) + " to " +
               std::to_string(version) + " (an older copy replaced a newer one)";
      }
      watch.version = version;
    }
  }
  return "";
}

std::string Invariants::CheckEndpoints(const ClientView::Published& published) {
  for (const auto& [uri, last] : published) {
    if (!last || uri == kTimeUri) continue;
    if (!host_.FindEndpoint(KIV_METHOD_GET, "", uri)) continue;
    // A resource that went away is published as the failure its endpoint
    // answers now.
    const std::string answer = EndpointAnswer(host_, uri);
    const std::string expected = ComparableText(uri, *last);
    if (answer != expected)
      return uri + " " + DescribeDifference("was last published as", expected, answer);
  }
  return client_.Check(published);
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
