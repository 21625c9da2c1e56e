// The connection poller taking back a connection whose next head a worker
// began to read: the bytes it carries count toward the head and come back
// with it once the rest arrives; a head never finished ends in 408, one too
// large in 431. Real loopback sockets; every wait is on a condition.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "host/gateway/connection_poller.h"

namespace kiv::host::gateway {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using ::testing::StartsWith;

// A loopback connection: the client's end (closed with the object) and the
// accepted end, which the poller takes.
struct Connection {
  Connection() {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        listen(listener, 1) == 0 &&
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      client = socket(AF_INET, SOCK_STREAM, 0);
      if (connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        server = accept(listener, nullptr, nullptr);
      }
    }
    ::close(listener);
  }
  ~Connection() {
    if (client >= 0) ::close(client);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool Send(std::string_view bytes) const {
    return send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
  }
  // What the server sends until it closes (or 10 s pass without a byte).
  std::string ReadUntilClosed() const {
    const timeval limit{10, 0};
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    std::string answer;
    char buffer[4096];
    for (ssize_t n; (n = recv(client, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, n);
    return answer;
  }

  int client = -1;
  int server = -1;
};

// What a worker was handed: the carried bytes and what the socket held.
struct Handed {
  std::string carried;
  std::string read;
};

class ConnectionPollerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConnectionLimits limits;
    limits.workers = 2;
    limits.headerTimeout = milliseconds(200);
    std::string error;
    poller_ = ConnectionPoller::Start(
        limits, [this](int fd, std::string carried) { Serve(fd, std::move(carried)); }, &error);
    ASSERT_NE(poller_, nullptr) << error;
  }
  void TearDown() override {
    if (poller_) poller_->Stop();
  }

  // Waits until `count` connections were handed to workers.
  bool WaitForHanded(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, seconds(10), [&] { return handed_.size() >= count; });
  }

  std::unique_ptr<ConnectionPoller> poller_;
  // What the worker does with the connection after it was recorded.
  std::function<void(int fd)> then_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Handed> handed_;  // guarded by mutex_

 private:
  void Serve(int fd, std::string carried) {
    Handed handed{std::move(carried), {}};
    char buffer[4096];
    for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;) {
      handed.read.append(buffer, n);
    }
    then_(fd);
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      handed_.push_back(std::move(handed));
    }
    changed_.notify_all();
  }
};

TEST_F(ConnectionPollerTest, ACarriedHeadStartIsHandedBackWithTheRest) {
  int served = 0;
  then_ = [&](int fd) {
    if (served++ == 0) return poller_->Park(fd, "GET /second HTTP/1.1\r\nHo");
    poller_->Drop(fd);
  };
  Connection connection;
  ASSERT_GE(connection.server, 0);
  poller_->Adopt(connection.server);
  ASSERT_TRUE(connection.Send("GET /first HTTP/1.1\r\nHost: a\r\n\r\n"));
  ASSERT_TRUE(WaitForHanded(1));
  // The carried start is not a whole head: nothing is handed on until the
  // rest comes.
  ASSERT_TRUE(connection.Send("st: a\r\n\r\n"));
  ASSERT_TRUE(WaitForHanded(2));

  const std::lock_guard<std::mutex> lock(mutex_);
  EXPECT_EQ(handed_[0].carried, "");
  EXPECT_EQ(handed_[0].read, "GET /first HTTP/1.1\r\nHost: a\r\n\r\n");
  EXPECT_EQ(handed_[1].carried, "GET /second HTTP/1.1\r\nHo");
  EXPECT_EQ(handed_[1].read, "st: a\r\n\r\n");
}

TEST_F(ConnectionPollerTest, ACarriedHeadStartThatIsNeverFinishedGets408) {
  then_ = [&](int fd) { poller_->Park(fd, "GET /second HTTP/1.1\r\nHo"); };
  Connection connection;
  ASSERT_GE(connection.server, 0);
  poller_->Adopt(connection.server);
  ASSERT_TRUE(connection.Send("GET /first HTTP/1.1\r\nHost: a\r\n\r\n"));
  EXPECT_THAT(connection.ReadUntilClosed(), StartsWith("HTTP/1.1 408 "));
  EXPECT_TRUE(poller_->WaitForOpenCount(0, seconds(10)));
  const std::lock_guard<std::mutex> lock(mutex_);
  EXPECT_EQ(handed_.size(), 1u);
}

TEST_F(ConnectionPollerTest, ACarriedHeadStartAsLargeAsTheLimitGets431) {
  then_ = [&](int fd) { poller_->Park(fd, std::string(kMaxHeadBytes, 'x')); };
  Connection connection;
  ASSERT_GE(connection.server, 0);
  poller_->Adopt(connection.server);
  ASSERT_TRUE(connection.Send("GET /first HTTP/1.1\r\nHost: a\r\n\r\n"));
  EXPECT_THAT(connection.ReadUntilClosed(), StartsWith("HTTP/1.1 431 "));
  EXPECT_TRUE(poller_->WaitForOpenCount(0, seconds(10)));
}

}  // namespace
}  // namespace kiv::host::gateway
