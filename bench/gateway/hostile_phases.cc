#include "bench/gateway/hostile_phases.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string_view>
#include <thread>
#include <vector>

namespace kiv::bench {
namespace {

using Clock = std::chrono::steady_clock;
using host::gateway::Gateway;

constexpr auto kPhaseLimit = std::chrono::seconds(60);

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  const size_t index = std::min(values.size() - 1, static_cast<size_t>(fraction * values.size()));
  std::nth_element(values.begin(), values.begin() + index, values.end());
  return values[index];
}

double Max(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

// A loopback connection; -1 when it fails. `receiveBuffer` > 0 sets its size.
int Connect(uint16_t port, int receiveBuffer = 0) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  if (receiveBuffer > 0) {
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool SendAll(int fd, std::string_view bytes) {
  return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
}

std::string Head(const Gateway& gateway, std::string_view method, std::string_view target) {
  return std::string(method) + " " + std::string(target) +
         " HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " + gateway.token() + "\r\n";
}

std::unique_ptr<httplib::Client> Client(const Gateway& gateway) {
  auto client = std::make_unique<httplib::Client>("127.0.0.1", gateway.port());
  client->set_bearer_token_auth(gateway.token().c_str());
  client->set_keep_alive(true);
  client->set_tcp_nodelay(true);  // a body sent after its head must not wait for an ACK
  client->set_read_timeout(std::chrono::seconds(10));
  return client;
}

void CloseAll(std::vector<int>& fds) {
  for (const int fd : fds) {
    if (fd >= 0) close(fd);
  }
  fds.clear();
}

}  // namespace

CrowdFigures MeasureUnderCrowd(Gateway& gateway, const std::string& target, size_t idle,
                               size_t halfSent, size_t requests) {
  CrowdFigures figures;
  const size_t before = gateway.OpenConnections();
  std::vector<int> crowd;
  const std::string partial = Head(gateway, "GET", target);
  for (size_t i = 0; i < idle + halfSent; ++i) {
    const int fd = Connect(gateway.port());
    if (fd < 0) break;
    crowd.push_back(fd);
    if (i >= idle) SendAll(fd, partial);
  }
  figures.crowd = crowd.size();
  gateway.WaitForOpenConnections(before + crowd.size(), std::chrono::seconds(10));
  std::vector<double> latencies;
  const auto deadline = Clock::now() + kPhaseLimit;
  for (size_t i = 0; i < requests && Clock::now() < deadline; ++i) {
    const auto start = Clock::now();
    const auto answer = Client(gateway)->Get(target.c_str());
    if (!answer || answer->status != 200) {
      ++figures.failed;
      continue;
    }
    latencies.push_back(MillisecondsSince(start));
  }
  figures.requests = latencies.size() + figures.failed;
  figures.p50Ms = Percentile(latencies, 0.5);
  figures.maxMs = Max(latencies);
  CloseAll(crowd);
  gateway.WaitForOpenConnections(before, std::chrono::seconds(10));
  return figures;
}

OversizedFigures MeasureOversizedBody(Gateway& gateway, size_t tries) {
  OversizedFigures figures;
  const std::string head = Head(gateway, "POST", "/kiv-probe/v1/echo") +
                           "Content-Type: application/json\r\nContent-Length: 104857600\r\n\r\n";
  std::vector<double> latencies;
  for (size_t i = 0; i < tries; ++i) {
    ++figures.tries;
    const int fd = Connect(gateway.port());
    const timeval limit{5, 0};
    if (fd >= 0) setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    const auto start = Clock::now();
    std::string answer;
    if (fd >= 0 && SendAll(fd, head + "{\"a\":\"")) {
      char buffer[1024];
      for (ssize_t n; answer.find("\r\n\r\n") == std::string::npos &&
                      (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        answer.append(buffer, n);
      }
    }
    const double elapsed = MillisecondsSince(start);
    if (fd >= 0) close(fd);
    if (answer.rfind("HTTP/1.1 413 ", 0) != 0) {
      ++figures.wrong;
      continue;
    }
    latencies.push_back(elapsed);
  }
  figures.p50Ms = Percentile(latencies, 0.5);
  figures.maxMs = Max(latencies);
  return figures;
}

SlowReaderFigures MeasureSlowReaders(Gateway& gateway, const std::string& target, size_t readers,
                                     size_t events, size_t eventBytes) {
  SlowReaderFigures figures;
  const auto phaseStart = Clock::now();
  const auto deadline = phaseStart + kPhaseLimit;
  const size_t subscribedBefore = gateway.events().SubscriberCount();
  struct Reader {
    int fd;
    std::string tail;  // the last bytes read, enough to hold the last event's name
    bool ended = false;
  };
  std::vector<Reader> streams;
  for (size_t i = 0; i < readers; ++i) {
    const int fd = Connect(gateway.port(), 8 * 1024);
    if (fd < 0 || !SendAll(fd, Head(gateway, "GET", "/events") + "\r\n")) {
      if (fd >= 0) close(fd);
      break;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    streams.push_back(Reader{fd, std::string(), false});
  }
  figures.readers = streams.size();
  gateway.events().WaitForSubscriberCount(subscribedBefore + streams.size(),
                                          std::chrono::seconds(10));

  // Slow while the events are published, then as fast as it can until every
  // stream ended or kept up.
  std::atomic<bool> published{false};
  std::thread reading([&] {
    char buffer[2048];
    int quietPasses = 0;  // after publishing: passes in a row with nothing to read
    for (size_t open = streams.size(); open > 0 && quietPasses < 10 && Clock::now() < deadline;) {
      const bool fast = published.load();
      bool readAny = false;
      open = 0;
      for (Reader& reader : streams) {
        if (reader.ended) continue;
        for (;;) {
          const ssize_t n = recv(reader.fd, buffer, sizeof buffer, 0);
          if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
            reader.ended = true;
            break;
          }
          if (n < 0) break;
          readAny = true;
          reader.tail.append(buffer, n);
          if (reader.tail.size() > 4096) reader.tail.erase(0, reader.tail.size() - 4096);
          // The last chunk of the stream (the connection itself stays open).
          if (reader.tail.ends_with("\r\n0\r\n\r\n")) {
            reader.ended = true;
            break;
          }
          if (!fast) break;
        }
        if (!reader.ended) ++open;
      }
      quietPasses = fast && !readAny ? quietPasses + 1 : 0;
      // The slow pace while publishing; afterwards a pause between quiet passes.
      if (!fast || !readAny) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });

  std::vector<double> other;
  std::thread otherClient([&] {
    auto client = Client(gateway);
    while (!published.load() && Clock::now() < deadline) {
      const auto start = Clock::now();
      const auto answer = client->Get(target.c_str());
      if (!answer || answer->status != 200) {
        ++figures.failed;
        continue;
      }
      other.push_back(MillisecondsSince(start));
    }
  });

  std::vector<double> publications;
  const std::string body = R"({"pad":")" + std::string(eventBytes, 'x') + "\"}";
  auto publisher = Client(gateway);
  for (size_t i = 0; i < events && Clock::now() < deadline; ++i) {
    const auto start = Clock::now();
    const auto answer = publisher->Post("/kiv-probe/v1/runtime/publish?uri=/kiv-probe/v1/slow",
                                        body, "application/json");
    if (!answer || answer->status != 200) {
      ++figures.failed;
      continue;
    }
    publications.push_back(MillisecondsSince(start));
  }
  figures.published = publications.size();
  published.store(true);
  otherClient.join();
  reading.join();
  figures.seconds = std::chrono::duration<double>(Clock::now() - phaseStart).count();

  for (Reader& reader : streams) {
    if (!reader.ended) {
      ++figures.stillOpen;
    } else if (reader.tail.find("event: overflow") != std::string::npos) {
      ++figures.endedWithOverflow;
    } else {
      ++figures.endedOtherwise;
    }
    close(reader.fd);
  }
  figures.publishP50Ms = Percentile(publications, 0.5);
  figures.publishP99Ms = Percentile(publications, 0.99);
  figures.publishMaxMs = Max(publications);
  figures.otherP50Ms = Percentile(other, 0.5);
  figures.otherP99Ms = Percentile(other, 0.99);
  figures.otherMaxMs = Max(other);
  gateway.events().WaitForSubscriberCount(subscribedBefore, std::chrono::seconds(10));
  return figures;
}

}  // namespace kiv::bench
