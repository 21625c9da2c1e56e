// The gateway under clients that hold connections without finishing
// requests, declare huge bodies, read events too slowly or reconnect: a
// legitimate request is still answered at once, refusals come before any
// body is read, and a slow event reader is cut off with the reason while a
// reconnecting one catches up from the kept events.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "host/gateway/event_hub.h"
#include "host/owned_host_value.h"
#include "tests/host/gateway/event_frames.h"
#include "tests/host/gateway/gateway_fixture.h"

namespace kiv::host::gateway {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// A raw loopback connection, closed with the object.
class RawConnection {
 public:
  explicit RawConnection(uint16_t port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~RawConnection() {
    if (fd_ >= 0) ::close(fd_);
  }
  RawConnection(RawConnection&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  RawConnection& operator=(RawConnection&&) = delete;

  bool connected() const { return fd_ >= 0; }
  bool Send(std::string_view bytes) {
    return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
  }
  /// What the server sends until it closes, or until `timeout` passes
  /// without a byte.
  std::string ReadUntilClosed(seconds timeout) {
    const timeval limit{static_cast<time_t>(timeout.count()), 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = recv(fd_, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, n);
    return answer;
  }
  /// What the server sends until `marker` came, it closes, or `timeout`
  /// passes without a byte.
  std::string ReadUntil(std::string_view marker, seconds timeout) {
    const timeval limit{static_cast<time_t>(timeout.count()), 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    std::string answer;
    char buffer[4096];
    while (answer.find(marker) == std::string::npos) {
      const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      answer.append(buffer, n);
    }
    return answer;
  }

 private:
  int fd_;
};

class CrowdedGatewayTest : public GatewayFixture {
 protected:
  GatewayOptions Options() const override {
    GatewayOptions options = TestOptions();
    // Long enough that the crowd stays open through each test.
    options.headerTimeout = seconds(60);
    options.ioTimeout = seconds(30);
    options.events.maxQueued = 4;
    // Workers: threads plus one per stream allowed, far fewer than the crowd.
    options.events.maxSubscribers = 8;
    return options;
  }

  std::string Head(std::string_view method, std::string_view target) const {
    return std::string(method) + " " + std::string(target) +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " + gateway_->token() + "\r\n";
  }

  void PublishNumbered(int n) {
    ASSERT_TRUE(Client()->Post("/kiv-probe/v1/runtime/publish?uri=/kiv-probe/v1/n",
                               R"({"n":)" + std::to_string(n) + "}", "application/json"));
  }
};

TEST_F(CrowdedGatewayTest, IdleAndHalfSentConnectionsDoNotDelayARequest) {
  constexpr size_t kCrowd = 400;  // half idle, half stopped inside their headers
  std::vector<RawConnection> crowd;
  for (size_t i = 0; i < kCrowd; ++i) {
    crowd.emplace_back(gateway_->port());
    ASSERT_TRUE(crowd.back().connected());
    if (i % 2 == 1) {
      ASSERT_TRUE(crowd.back().Send(Head("GET", "/index.json")));
    }
  }
  ASSERT_TRUE(gateway_->WaitForOpenConnections(kCrowd, seconds(10)));

  auto client = Client();
  client->set_connection_timeout(seconds(1));
  client->set_read_timeout(seconds(1));  // today's starved server answered only after many
  const auto answer = client->Get("/kiv-probe/v1/runtime/seen");
  ASSERT_TRUE(answer) << httplib::to_string(answer.error());
  EXPECT_EQ(answer->status, 200);
}

TEST_F(CrowdedGatewayTest, RefusesADeclaredOversizedBodyBeforeReadingIt) {
  struct Case {
    const char* desc;
    std::string extraHeaders;
    std::string bodyStart;
  };
  const std::vector<Case> cases = {
      {"the body follows the head", "", R"({"a":")"},
      {"the client waits for 100 Continue", "Expect: 100-continue\r\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.desc);
    RawConnection connection(gateway_->port());
    ASSERT_TRUE(connection.Send(Head("POST", "/kiv-probe/v1/echo") + c.extraHeaders +
                                "Content-Type: application/json\r\n"
                                "Content-Length: 104857600\r\n\r\n" +
                                c.bodyStart));
    // Far less than the server would wait for a body (ioTimeout).
    const std::string answer = connection.ReadUntilClosed(seconds(5));
    EXPECT_THAT(answer, StartsWith("HTTP/1.1 413 "));
    EXPECT_THAT(answer, HasSubstr("Connection: close\r\n"));
  }
}

TEST_F(CrowdedGatewayTest, AClientWaitingFor100ContinueGetsItBeforeSendingTheBody) {
  const std::string body = R"({"waited":true})";
  RawConnection connection(gateway_->port());
  ASSERT_TRUE(connection.Send(Head("POST", "/kiv-probe/v1/echo") +
                              "Expect: 100-continue\r\nContent-Type: application/json\r\n"
                              "Content-Length: " +
                              std::to_string(body.size()) + "\r\n\r\n"));
  // The gateway waits for the body far longer (ioTimeout) than the client
  // waits here: "100 Continue" must reach the client while the gateway reads.
  const std::string interim = connection.ReadUntil("\r\n\r\n", seconds(5));
  ASSERT_THAT(interim, StartsWith("HTTP/1.1 100 Continue\r\n"));
  ASSERT_TRUE(connection.Send(body));
  const std::string answer = connection.ReadUntil(body, seconds(5));
  EXPECT_THAT(answer, StartsWith("HTTP/1.1 200 "));
  EXPECT_THAT(answer, HasSubstr(body));
}

// The dispatch thread sends a plugin's answer without waiting and leaves
// what the socket does not take to a worker; a pipelined request behind it,
// which the worker answers itself, is answered only after it.
TEST_F(CrowdedGatewayTest, AnswersTooLargeForTheSocketAndPipelinedOnesArriveWholeAndInOrder) {
  const std::string body = '"' + std::string(2 << 20, 'a') + '"';
  RawConnection connection(gateway_->port());
  ASSERT_TRUE(connection.connected());
  ASSERT_TRUE(connection.Send(
      Head("POST", "/kiv-probe/v1/echo") +
      "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
      "\r\n\r\n" + body + Head("GET", "/index.json") + "Connection: close\r\n\r\n"));
  const std::string answers = connection.ReadUntilClosed(seconds(30));
  EXPECT_THAT(answers, StartsWith("HTTP/1.1 200 "));
  const size_t echoed = answers.find(body);
  ASSERT_NE(echoed, std::string::npos);
  const size_t second = answers.find("HTTP/1.1 ", 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(second, echoed + body.size());
  EXPECT_EQ(answers.compare(second, 13, "HTTP/1.1 200 "), 0);
}

TEST_F(CrowdedGatewayTest, AnEventReaderThatFallsBehindIsToldWhyAndClosed) {
  std::promise<void> overflowed;
  std::string stream;
  std::thread reader([&, overflowed = overflowed.get_future()] {
    auto client = Client();
    client->set_socket_options([](int fd) {
      const int size = 4096;  // so that the server's writes block soon
      setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    });
    client->set_read_timeout(seconds(30));
    bool waited = false;
    client->Get("/events", [&](const char* data, size_t size) {
      if (!waited) {  // reads nothing more until the gateway gave up on it
        waited = true;
        overflowed.wait_for(seconds(60));
      }
      stream.append(data, size);
      return true;
    });
  });
  ASSERT_TRUE(gateway_->events().WaitForSubscriberCount(1, seconds(10)));
  const std::string padding(256 * 1024, 'x');
  auto client = Client();
  for (int i = 0; i < 200 && gateway_->events().OverflowCount() == 0; ++i) {
    ASSERT_TRUE(client->Post("/kiv-probe/v1/runtime/publish?uri=/kiv-probe/v1/big",
                             R"({"pad":")" + padding + "\"}", "application/json"));
  }
  EXPECT_EQ(gateway_->events().OverflowCount(), 1u);
  overflowed.set_value();
  reader.join();

  const std::vector<Frame> frames = Frames(stream);
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(frames.back().event, "overflow");
  EXPECT_EQ(frames.back().id, "");  // a reconnect resumes after the last real event
  EXPECT_THAT(frames.back().data, HasSubstr(R"("maxQueued":4)"));
  EXPECT_TRUE(gateway_->events().WaitForSubscriberCount(0, seconds(10)));
}

TEST_F(CrowdedGatewayTest, AReconnectingEventReaderGetsWhatItMissed) {
  std::string first;
  std::thread reader([&] {
    auto client = Client();
    client->Get("/events", [&](const char* data, size_t size) {
      first.append(data, size);
      return Frames(first).size() < 2;
    });
  });
  ASSERT_TRUE(gateway_->events().WaitForSubscriberCount(1, seconds(10)));
  PublishNumbered(0);
  PublishNumbered(1);
  reader.join();
  ASSERT_TRUE(gateway_->events().WaitForSubscriberCount(0, seconds(10)));
  PublishNumbered(2);  // missed while away
  PublishNumbered(3);

  std::string second;
  const std::string lastId = Frames(first).at(1).id;
  Client()->Get("/events", {{"Last-Event-ID", lastId}}, [&](const char* data, size_t size) {
    second.append(data, size);
    return Frames(second).size() < 2;
  });
  const std::vector<Frame> missed = Frames(second);
  ASSERT_EQ(missed.size(), 2u) << second;
  EXPECT_THAT(missed[0].data, StartsWith(R"({"data":{"n":2})"));
  EXPECT_THAT(missed[1].data, StartsWith(R"({"data":{"n":3})"));
  EXPECT_EQ(std::stoull(missed[0].id), std::stoull(lastId) + 1);
}

TEST(EventHubReplay, ReplaysTheKeptEventsAfterTheGivenId) {
  EventHub hub({.maxSubscribers = 4, .maxQueued = 16, .history = 4});
  auto everything = hub.Subscribe("");
  for (int i = 0; i < 10; ++i) {
    hub.Publish(PublishedEvent{"Tick", MakeTextValue(std::to_string(i))});
  }
  std::string all;
  ASSERT_EQ(everything->Next(all, milliseconds(0)), EventSubscription::Wait::kFrames);
  std::vector<uint64_t> ids;
  for (const Frame& frame : Frames(all)) ids.push_back(std::stoull(frame.id));
  ASSERT_EQ(ids.size(), 10u);

  struct Case {
    const char* desc;
    std::optional<uint64_t> lastId;
    bool gap;
    std::vector<std::string> data;  // of the replayed events
  };
  const std::vector<Case> cases = {
      {"no id: only what comes next", std::nullopt, false, {}},
      {"the newest id: nothing missed", ids[9], false, {}},
      {"an id among the kept ones", ids[7], false, {R"("8")", R"("9")"}},
      {"an id older than the kept ones", ids[2], true, {R"("6")", R"("7")", R"("8")", R"("9")"}},
      {"an id of an earlier run", ids[0] - 1000, true, {R"("6")", R"("7")", R"("8")", R"("9")"}},
      {"an id not given yet", ids[9] + 1, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.desc);
    auto subscription = hub.Subscribe("", c.lastId);
    ASSERT_NE(subscription, nullptr);
    std::string replayed;
    subscription->Next(replayed, milliseconds(0));
    std::vector<Frame> frames = Frames(replayed);
    const bool gap = !frames.empty() && frames.front().event == "gap";
    EXPECT_EQ(gap, c.gap) << replayed;
    if (gap) frames.erase(frames.begin());
    std::vector<std::string> data;
    for (const Frame& frame : frames) data.push_back(frame.data);
    EXPECT_EQ(data, c.data);
  }
}

class CappedGatewayTest : public GatewayFixture {
 protected:
  static constexpr size_t kCap = 4;
  GatewayOptions Options() const override {
    GatewayOptions options = TestOptions();
    options.maxConnections = kCap;
    options.headerTimeout = milliseconds(300);
    return options;
  }
};

TEST_F(CappedGatewayTest, RefusesAConnectionPastTheCapAndServesOnceOneCloses) {
  std::vector<std::unique_ptr<httplib::Client>> holders;
  for (size_t i = 0; i < kCap; ++i) {
    holders.push_back(Client());
    holders.back()->set_keep_alive(true);
    ASSERT_TRUE(holders.back()->Get("/kiv-probe/v1/runtime/seen"));
  }
  ASSERT_TRUE(gateway_->WaitForOpenConnections(kCap, seconds(10)));

  RawConnection refused(gateway_->port());
  const std::string answer = refused.ReadUntilClosed(seconds(5));
  EXPECT_THAT(answer, StartsWith("HTTP/1.1 503 "));
  EXPECT_THAT(answer, HasSubstr("Too many connections"));

  holders.back()->stop();
  ASSERT_TRUE(gateway_->WaitForOpenConnections(kCap - 1, seconds(10)));
  const auto served = Client()->Get("/kiv-probe/v1/runtime/seen");
  ASSERT_TRUE(served);
  EXPECT_EQ(served->status, 200);
}

TEST_F(CappedGatewayTest, ClosesAConnectionWhoseHeadDoesNotArriveInTime) {
  RawConnection slow(gateway_->port());
  ASSERT_TRUE(slow.Send("GET /kiv-probe/v1/runtime/seen HTTP/1.1\r\nHost: 127.0.0.1\r\n"));
  EXPECT_THAT(slow.ReadUntilClosed(seconds(10)), StartsWith("HTTP/1.1 408 "));
  EXPECT_TRUE(gateway_->WaitForOpenConnections(0, seconds(10)));
}

}  // namespace
}  // namespace kiv::host::gateway
