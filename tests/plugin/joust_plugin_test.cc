// The real plugin's start-up, login cycle, secrets and compressed winners
// through the substitute host: the sixteen subscriptions in order, each read
// once at start; a second login and logout that leave nothing behind; the
// entitlement tokens reaching the service and nothing else; and a winners
// payload that inflates to 100 MB refused within the plugin's bound.
#include <gmock/gmock.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/neighbours/client_neighbours.h"
#include "joust/backend/winners_payload.h"
#include "tests/plugin/joust_world.h"

namespace kiv::testing {
namespace {

using namespace samples;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

// How long the plugin waits for a service answer before giving up.
constexpr int64_t kAnswerLimitNs = 30 * kSecondNs;

constexpr const char* kSubscriptions[] = {
    "/kiv-login/v1/session",
    "/kiv-gameflow/v1/availability",
    "/kiv-gameflow/v1/session",
    kConfigUri,
    kEntitlementsUri,
    "/zanth-messaging-service/v1/message/joust/v1/notifications/pending-roster",
    "/zanth-messaging-service/v1/message/joust/v1/notifications/roster",
    "/zanth-messaging-service/v1/message/joust/v1/notifications/roster-dynamic",
    "/zanth-messaging-service/v1/message/joust/v1/notifications/roster-player",
    "/zanth-messaging-service/v1/message/joust/v1/notifications/roster-withdraw",
    "/zanth-messaging-service/v1/message/joust/v1/notifications/bracket-ready",
    "/zanth-messaging-service/v1/message/joust/v1/notifications/eog-bracket-update",
    "/zanth-messaging-service/v1/message/joust/v1/notifications/eog-player-update",
    "/zanth-messaging-service/v1/message/joust/v1/notifications/no-show-ping",
    "/kiv-matchmaking/v1/ready-check",
    "/kiv-lobby-team-builder/v1/matchmaking",
};

constexpr char kEnabledConfig[] =
    R"({"Visibility":"Visible","EnabledState":"Enabled","IconConfig":"{}"})";

uint64_t Counter(const std::array<uint32_t, 14>& words, int index) {
  return uint64_t(words[2 * index]) | uint64_t(words[2 * index + 1]) << 32;
}

// What the plugin holds: memory, its listeners and the callbacks it has
// scheduled.
struct Footprint {
  HeldMemory memory;
  std::map<std::string, size_t> listeners;
  std::vector<std::string> scheduled;
  bool operator==(const Footprint&) const = default;
  friend void PrintTo(const Footprint& footprint, std::ostream* out) {
    PrintTo(footprint.memory, out);
    *out << ", scheduled: " << ::testing::PrintToString(footprint.scheduled);
  }
};

Footprint FootprintOf(const PluginHost& host) {
  Footprint footprint{HeldMemory::Of(host), {}, host.work().ScheduledLabels()};
  for (const auto& [name, listeners] : host.listeners())
    footprint.listeners[name] = listeners.size();
  return footprint;
}

class JoustStartup : public JoustWorld {
 protected:
  // Each start-up read finds something to apply: a session, a configuration
  // and a game flow that allows check-in. Their announcements are drained
  // before the plugin listens, so only the reads can carry them.
  void BeforeStart() override {
    host_->login().SetSession(R"({"state":"SUCCEEDED","summonerId":42})");
    world_->Set(kConfigUri, kEnabledConfig, "Create");
    world_->Set("/kiv-gameflow/v1/availability", R"({"isAvailable":true})", "Create");
    host_->RunUntilIdle();
    service_.Set("joust", "getTournamentInfoMinimal",
                 ServiceReply::Ok(MinimalInfo({{Cup(), Roster(), {}, std::nullopt, {}, 0}})));
  }
};

TEST_F(JoustStartup, SubscribesInOrderAndAppliesWhatEachFirstReadFinds) {
  std::vector<std::string> reads;
  for (const auto& request : host_->sentRequests()) {
    if (request.method == KIV_METHOD_GET) reads.push_back(request.url);
  }
  EXPECT_THAT(reads, ElementsAreArray(kSubscriptions));
  for (const auto& [name, listeners] : host_->listeners()) {
    EXPECT_EQ(listeners.size(), 1u) << name;
  }
  ASSERT_FALSE(service_.calls().empty());
  EXPECT_EQ(service_.calls()[0].methodName, "getTournamentInfoMinimal");
  EXPECT_THAT(Published("/kiv-joust/v1/checkin-allowed"), HasSubstr("\"data\":true"));
  EXPECT_THAT(Published("/kiv-joust/v1/ready"), HasSubstr("\"data\":true"));
}

// The host's messaging stand-in carries the topics the plugin listens to,
// no more and no fewer: the plugin reads each once as it subscribes.
TEST_F(JoustStartup, ListensToExactlyTheHostsPushTopics) {
  const std::string prefix = host::kPushTopicPrefix;
  std::vector<std::string> topics;
  for (const auto& request : host_->sentRequests()) {
    if (request.method == KIV_METHOD_GET && request.url.starts_with(prefix)) {
      topics.push_back(request.url.substr(prefix.size()));
    }
  }
  EXPECT_THAT(topics, ElementsAreArray(host::kPushTopics));
}

TEST_F(JoustStartup, ASecondLoginAndLogoutLeaveNothingBehind) {
  const std::string stateTimer = "Timer: joust_tournament_state_change_7";
  // The service tells the time as the clock has moved since the first login.
  int64_t elapsedNs = 0;
  const auto advance = [&](int64_t nanoseconds) {
    Advance(nanoseconds);
    elapsedNs += nanoseconds;
  };
  const auto loginAndLogout = [&] {
    service_.Set("joust", "getTournamentInfoMinimal",
                 ServiceReply::Ok(MinimalInfo({{Cup(), Roster(), {}, std::nullopt, {}, 0}},
                                              kNow + elapsedNs / 1'000'000)));
    Login();
    Logout();
    // Every service call schedules a wake-up at its answer limit, which
    // stays until then: footprints are compared once it has passed.
    advance(kAnswerLimitNs);
  };
  Logout();
  advance(kAnswerLimitNs);
  const Footprint first = FootprintOf(*host_);
  ASSERT_THAT(first.scheduled, ::testing::Contains(stateTimer));
  loginAndLogout();  // loads the tournaments again; the state timer is already armed for their next
                     // change
  EXPECT_EQ(FootprintOf(*host_), first);
  // One state change follows when the tournament's next one is due.
  const size_t changes = PublishedCount("/kiv-joust/v1/tournament/7/stateInfo");
  advance(10 * 60 * kSecondNs);
  EXPECT_EQ(PublishedCount("/kiv-joust/v1/tournament/7/stateInfo"), changes + 1);

  // Past its last state change nothing is scheduled, so a cycle must leave
  // the plugin exactly as it was.
  advance(10 * 60 * kSecondNs);
  const Footprint settled = FootprintOf(*host_);
  EXPECT_THAT(settled.scheduled, ::testing::Not(::testing::Contains(stateTimer)));
  loginAndLogout();
  EXPECT_EQ(FootprintOf(*host_), settled);
}

// A run that sends both tokens with every call, succeeds, fails in each way
// and logs: no log line (the plugin's host log target takes every level) and
// no published event may carry either token.
TEST_F(JoustWorld, TokensReachTheServiceAndNothingElse) {
  constexpr char kToken[] = "entitlement-7f3a9c";
  constexpr char kAccessToken[] = "access-91c2e4";
  service_.Set("joust", "getTournamentInfoMinimal",
               ServiceReply::Ok(MinimalInfo({{Cup(), Roster(), {}, std::nullopt, {}, 0}})));
  service_.Set("joust", "ping", ServiceReply::Ok(R"("pong")"));
  service_.Set("joust", "getRosterStats", ServiceReply::Ok(R"({"rosterId":"x"})"));
  service_.Set("joust", "getJoustEvent", ServiceReply::Failed("NOT_FOUND"));
  service_.Set("joust", "getTournamentWinnersCompressed", ServiceReply::PostFails(503, "down"));
  Login();
  world_->Set(kEntitlementsUri,
              std::string(R"({"token":")") + kToken + R"(","accessToken":")" + kAccessToken +
                  R"(","entitlements":["joust_dark"]})",
              "Create");
  Configure(R"({"Visibility":"Visible","EnabledState":"DarkEnabled",
      "DarkModeEntitlement":"joust_dark","IconConfig":"not json"})");
  for (const char* url : {"/kiv-joust/v1/ping", "/kiv-joust/v1/roster/500/stats",
                          "/kiv-joust/v1/event/e-1", "/kiv-joust/v1/tournament/7/winners"}) {
    host_->Request(HostRequest::Make(KIV_METHOD_GET, url));
  }
  // A failed roster command logs its error (level 2) before answering.
  service_.Set("joust", "leave", ServiceReply::Failed("NOT_MEMBER"));
  host_->Request(HostRequest::Make(KIV_METHOD_POST, "/kiv-joust/v1/tournament/7/roster/leave"));

  size_t withTokens = 0;
  for (const auto& call : service_.calls()) {
    withTokens += call.payload.find(kToken) != std::string::npos &&
                  call.payload.find(kAccessToken) != std::string::npos;
  }
  EXPECT_GE(withTokens, 4u) << "the run must send both tokens";
  std::set<int32_t> levels;
  for (const auto& line : host_->logLines()) {
    levels.insert(line.level);
    EXPECT_THAT(line.message, ::testing::Not(HasSubstr(kToken)));
    EXPECT_THAT(line.message, ::testing::Not(HasSubstr(kAccessToken)));
  }
  EXPECT_THAT(levels, ::testing::IsSupersetOf({1, 2, 3}));
  for (const auto& event : host_->publishedEvents()) {
    const std::string json = host::HostValueToJson(event.body.root());
    EXPECT_THAT(json, ::testing::Not(HasSubstr(kToken))) << event.name;
    EXPECT_THAT(json, ::testing::Not(HasSubstr(kAccessToken))) << event.name;
  }
}

// Base64 of a gzip stream of `bytes` zero bytes, made a window at a time.
std::string ZeroBomb(size_t bytes) {
  static const unsigned char kZeros[1 << 16] = {};
  unsigned char window[1 << 16];
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY);
  std::string compressed;
  for (size_t left = bytes;;) {
    const size_t chunk = std::min(left, sizeof kZeros);
    left -= chunk;
    stream.next_in = const_cast<unsigned char*>(kZeros);
    stream.avail_in = static_cast<uInt>(chunk);
    do {
      stream.next_out = window;
      stream.avail_out = sizeof window;
      deflate(&stream, left == 0 ? Z_FINISH : Z_NO_FLUSH);
      compressed.append(reinterpret_cast<char*>(window), sizeof window - stream.avail_out);
    } while (stream.avail_out == 0);
    if (left == 0) break;
  }
  deflateEnd(&stream);
  std::string text(4 * ((compressed.size() + 2) / 3) + 1, '\0');
  text.resize(EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                              reinterpret_cast<const unsigned char*>(compressed.data()),
                              static_cast<int>(compressed.size())));
  return text;
}

TEST_F(JoustWorld, WinnersInflatingToAHundredMegabytesAreRefusedWithinTheBound) {
  service_.Set("joust", "getTournamentInfoMinimal", ServiceReply::Ok(MinimalInfo({})));
  service_.Set("joust", "getTournamentWinnersCompressed",
               ServiceReply::Ok("\"" + ZeroBomb(100u << 20) + "\""));
  Login();
  Configure();
  const auto winners = [this] {
    return host_->Request(HostRequest::Make(KIV_METHOD_GET, "/kiv-joust/v1/tournament/7/winners"));
  };
  winners();  // the first request of an endpoint sets up what later ones reuse
  // Each call's wake-up at its answer limit stays until then.
  host_->AdvanceClock(kAnswerLimitNs);
  const Footprint before = FootprintOf(*host_);
  const HostResponse answer = winners();
  host_->AdvanceClock(kAnswerLimitNs);
  ASSERT_TRUE(answer.error.has_value());
  EXPECT_EQ(*answer.error, "Failed to decompress joust payload");
  EXPECT_EQ(answer.FinalStatus(), 500u);
  const uint64_t peak = Counter(host_->MemoryStats(), 0);
  std::printf("counted peak while decoding: %llu bytes above %llu\n",
              static_cast<unsigned long long>(peak - before.memory.bytes),
              static_cast<unsigned long long>(before.memory.bytes));
  EXPECT_LT(peak - before.memory.bytes, 2 * joust::kMaxInflatedBytes);
  EXPECT_EQ(FootprintOf(*host_), before);
}

}  // namespace
}  // namespace kiv::testing
