// The gateway over real HTTP: plugin endpoints answer as they do in process,
// a waiting handler holds up only its own caller, events stream in order and
// hung-up clients are dropped.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/host_clock.h"
#include "host/neighbours/backend_service.h"
#include "host/route_table.h"
#include "tests/host/gateway/event_frames.h"
#include "tests/host/gateway/gateway_fixture.h"

namespace kiv::host::gateway {
namespace {

using std::chrono::seconds;

constexpr int64_t kSecond = 1'000'000'000;

struct Exchange {
  const char* desc;
  const char* method;
  std::string target;  // as sent over HTTP
  std::string body;
  std::string contentType;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string inProcessUrl = "";  // empty: the target
};

httplib::Result Send(httplib::Client& client, const Exchange& exchange) {
  httplib::Request request;
  request.method = exchange.method;
  request.path = exchange.target;
  for (const auto& [name, value] : exchange.headers) request.set_header(name, value);
  if (!exchange.body.empty() || !exchange.contentType.empty()) {
    request.body = exchange.body;
    request.set_header("Content-Type", exchange.contentType);
  }
  return client.send(request);
}

using GatewayTest = GatewayFixture;

TEST_F(GatewayTest, ProbeEndpointsAnswerAsTheyDoInProcess) {
  const std::string token = "token=" + gateway_->token();
  const std::vector<Exchange> exchanges = {
      {"echo of JSON", "POST", "/kiv-probe/v1/echo", R"({"a":[1,2.5,"x",null,true],"b":{"c":-3}})",
       "application/json"},
      {"echo of YAML", "POST", "/kiv-probe/v1/echo", "a: 1\nb: [x, y]\n", "application/x-yaml"},
      {"echo of MessagePack", "POST", "/kiv-probe/v1/echo",
       std::string("\x82\xa1\x61\x01\xa1\x62\xc3", 7), "application/x-msgpack"},
      {"path, query and header arguments",
       "GET",
       "/kiv-probe/v1/args/-5?count=3&flag=true&ids=[1,2,3]",
       "",
       "",
       {{"name", "from a header"}}},
      {"encoded query; the token stays out",
       "GET",
       "/kiv-probe/v1/args/7?count=1&" + token + "&flag=false&ids.0=9&name=a%20b%26c",
       "",
       "",
       {},
       "/kiv-probe/v1/args/7?count=1&flag=false&ids.0=9&name=a%20b%26c"},
      {"bad argument", "GET", "/kiv-probe/v1/args/seven?count=1", "", ""},
      {"record", "POST", "/kiv-probe/v1/record",
       R"({"a":1,"b":"x","c":"Blue","d":[1,2],"e":{"k":1.5},"f":{"x":3,"y":true}})",
       "application/json"},
      {"text answer", "POST", "/kiv-probe/v1/json?newline=%0A", R"({"k":[1,2]})",
       "application/json"},
      {"failure status", "GET", "/kiv-probe/v1/fail/409", "", ""},
      {"status HTTP cannot carry", "GET", "/kiv-probe/v1/fail/1000", "", ""},
      {"unknown endpoint", "GET", "/kiv-probe/v1/nothing", "", ""},
      {"method without endpoint", "DELETE", "/kiv-probe/v1/echo", "", ""},
      {"unsupported body type", "POST", "/kiv-probe/v1/echo", "a", "text/plain"},
      {"state read", "GET", "/kiv-probe/v1/runtime/seen", "", ""},
      {"request to a neighbour", "POST",
       "/kiv-probe/v1/runtime/request?method=2&url=/kiv-login/v1/session", "", ""},
      {"observe", "POST", "/kiv-probe/v1/runtime/observe?uri=/kiv-login/v1/session", "", ""},
      {"unsubscribe", "POST", "/kiv-probe/v1/runtime/unsubscribe?uri=/kiv-login/v1/session", "",
       ""},
      {"publish", "POST", "/kiv-probe/v1/runtime/publish?uri=/kiv-probe/v1/p", R"({"n":1})",
       "application/json"},
      {"timer", "POST", "/kiv-probe/v1/runtime/timer?name=t&seconds=-1&tag=x", "", ""},
      {"backend call", "POST", "/kiv-probe/v1/runtime/backend?service=joust&method=none", "{}",
       "application/json"},
  };
  auto client = Client();
  for (const Exchange& exchange : exchanges) {
    SCOPED_TRACE(exchange.desc);
    HostRequest request =
        HostRequest::Make(MethodCode(exchange.method),
                          exchange.inProcessUrl.empty() ? exchange.target : exchange.inProcessUrl);
    request.headers = exchange.headers;
    request.body = exchange.body;
    request.contentType = exchange.contentType;
    const HostResponse expected = OnDispatch([&] { return host_->Request(std::move(request)); });
    const auto answer = Send(*client, exchange);
    ASSERT_TRUE(answer) << httplib::to_string(answer.error());
    const uint32_t status = expected.FinalStatus();
    EXPECT_EQ(answer->status, status <= 599 ? int(status) : 500);
    EXPECT_EQ(answer->get_header_value("Content-Type"), "application/json");
    ExpectSameContent(*answer, expected);
  }
}

// Sends `request` as is on a fresh connection and reads until the server
// closes it.
std::string RawExchange(uint16_t port, const std::string& request) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      send(fd, request.data(), request.size(), MSG_NOSIGNAL) == ssize_t(request.size())) {
    char buffer[4096];
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, n);
  }
  close(fd);
  return answer;
}

TEST_F(GatewayTest, TakesAPostWithoutLengthOrChunksAsBodiless) {
  // As curl -X POST sends it: nothing says a body follows, so none is waited for.
  const std::string answer =
      RawExchange(gateway_->port(),
                  "POST /kiv-probe/v1/runtime/observe?uri=/kiv-probe/v1/x HTTP/1.1\r\n"
                  "Host: 127.0.0.1\r\nAuthorization: Bearer " +
                      gateway_->token() + "\r\nConnection: close\r\n\r\n");
  EXPECT_THAT(answer, ::testing::StartsWith("HTTP/1.1 200 "));
  EXPECT_THAT(answer, ::testing::EndsWith("\r\n\r\nnull"));
}

// Answers every backend call after a minute of host time and tells the test
// when the call came.
class DelayedBackend : public BackendService {
 public:
  ServiceReply Call(const ServiceCall&) override {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      ++calls_;
    }
    called_.notify_all();
    return ServiceReply::Ok("42").After(60 * kSecond);
  }
  bool WaitForCall() {
    std::unique_lock<std::mutex> lock(mutex_);
    return called_.wait_for(lock, seconds(10), [this] { return calls_ > 0; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable called_;
  int calls_ = 0;
};

TEST_F(GatewayTest, AWaitingHandlerHoldsUpOnlyItsOwnCaller) {
  UseVirtualClock(0);  // the backend's minute passes only when the test says
  DelayedBackend backend;
  OnDispatch([&] { host_->login().SetService(&backend); });

  std::optional<httplib::Result> slow;
  std::thread caller([&] {
    slow = Client()->Post("/kiv-probe/v1/runtime/backend?service=joust&method=slow", "{}",
                          "application/json");
  });
  ASSERT_TRUE(backend.WaitForCall());
  // The handler now waits for the backend; others are served meanwhile.
  const auto quick = Client()->Get("/kiv-probe/v1/args/1?count=2&flag=true&ids=[]&name=n");
  ASSERT_TRUE(quick);
  EXPECT_EQ(quick->status, 200);
  EXPECT_EQ(quick->body, R"({"count":2,"flag":true,"id":1,"ids":[],"name":"n"})");

  host_->PostFromAnyThread("a minute passes", [] { AdvanceVirtualClock(61 * kSecond); });
  caller.join();
  ASSERT_TRUE(slow && *slow);
  EXPECT_EQ((*slow)->status, 200);
  EXPECT_EQ((*slow)->body, "42");
  OnDispatch([&] { host_->login().SetService(nullptr); });
  UseRealClock();
}

// Reads /events until `count` frames came (or half a minute passed).
std::string ReadEvents(httplib::Client& client, const std::string& target, size_t count) {
  std::string stream;
  const auto deadline = std::chrono::steady_clock::now() + seconds(30);
  client.Get(target.c_str(), [&](const char* data, size_t size) {
    stream.append(data, size);
    return Frames(stream).size() < count && std::chrono::steady_clock::now() < deadline;
  });
  return stream;
}

TEST_F(GatewayTest, StreamsPublishedEventsInOrderUnderAPathPrefix) {
  constexpr int kEvents = 20;
  std::string stream;
  std::thread reader(
      [&] { stream = ReadEvents(*Client(), "/events?path=/kiv-probe/v1/things/", kEvents); });
  ASSERT_TRUE(gateway_->events().WaitForSubscriberCount(1, seconds(10)));
  auto client = Client();
  for (int i = 0; i < kEvents; ++i) {
    ASSERT_TRUE(client->Post("/kiv-probe/v1/runtime/publish?uri=/kiv-probe/v1/other", "{}",
                             "application/json"));
    const std::string body = i % 5 == 4 ? "null" : R"({"n":)" + std::to_string(i) + "}";
    ASSERT_TRUE(client->Post(
        ("/kiv-probe/v1/runtime/publish?uri=/kiv-probe/v1/things/" + std::to_string(i)).c_str(),
        body, "application/json"));
  }
  reader.join();
  const std::vector<Frame> frames = Frames(stream);
  ASSERT_EQ(frames.size(), size_t{kEvents}) << stream;
  for (int i = 0; i < kEvents; ++i) {
    SCOPED_TRACE(i);
    const bool deleted = i % 5 == 4;
    EXPECT_EQ(frames[i].event, deleted ? "Delete" : "Update");
    const std::string data = deleted ? "null" : R"({"n":)" + std::to_string(i) + "}";
    EXPECT_EQ(frames[i].data, R"({"data":)" + data + R"(,"eventType":")" + frames[i].event +
                                  R"(","uri":"/kiv-probe/v1/things/)" + std::to_string(i) + "\"}");
    if (i > 0) {
      EXPECT_LT(std::stoull(frames[i - 1].id), std::stoull(frames[i].id));
    }
  }
}

TEST_F(GatewayTest, DropsAnEventClientThatHangsUpMidStream) {
  std::thread reader([&] { ReadEvents(*Client(), "/events", 1); });  // then hangs up
  ASSERT_TRUE(gateway_->events().WaitForSubscriberCount(1, seconds(10)));
  ASSERT_TRUE(Client()->Post("/kiv-probe/v1/runtime/publish?uri=/kiv-probe/v1/x", "{}",
                             "application/json"));
  reader.join();
  // The next keep-alive write to the closed connection fails and ends it.
  EXPECT_TRUE(gateway_->events().WaitForSubscriberCount(0, seconds(10)));
  // The hub still serves new clients.
  std::thread again([&] { ReadEvents(*Client(), "/events", 1); });
  ASSERT_TRUE(gateway_->events().WaitForSubscriberCount(1, seconds(10)));
  ASSERT_TRUE(Client()->Post("/kiv-probe/v1/runtime/publish?uri=/kiv-probe/v1/x", "null",
                             "application/json"));
  again.join();
  EXPECT_TRUE(gateway_->events().WaitForSubscriberCount(0, seconds(10)));
}

TEST(DispatchHandoff, AnswersRequestsNotYetRunWith503OnceClosed) {
  auto host = PluginHost::Detached();
  DispatchHandoff handoff(*host);
  HostResponse answer;
  // Nothing runs the host: the request waits until Close refuses it.
  std::thread caller([&] { answer = handoff.Request(HostRequest::Make(KIV_METHOD_GET, "/x")); });
  handoff.Close();
  caller.join();
  EXPECT_EQ(answer.FinalStatus(), 503u);
  EXPECT_EQ(answer.error, "The gateway is stopping");
  host->RunUntilIdle();  // a refused request that was queued does nothing when it comes up
  EXPECT_EQ(handoff.Request(HostRequest::Make(KIV_METHOD_GET, "/x")).FinalStatus(), 503u);
}

}  // namespace
}  // namespace kiv::host::gateway
