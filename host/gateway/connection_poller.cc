#include "host/gateway/connection_poller.h"

#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "host/host_clock.h"

namespace kiv::host::gateway {
namespace {

// Descriptors kept free for everything else the process opens.
constexpr size_t kReservedDescriptors = 64;
// How long a closing connection's late input is read and dropped.
constexpr auto kCloseLinger = std::chrono::milliseconds(500);

// The real clock's time `after` from now, in nanoseconds.
int64_t RealDeadline(std::chrono::nanoseconds after) { return RealMonotonicNow() + after.count(); }
// How often overdue connections are looked for.
constexpr int kTickMilliseconds = 50;

constexpr std::string_view kTooMany =
    "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain\r\nContent-Length: 21\r\n"
    "Connection: close\r\n\r\nToo many connections\n";
constexpr std::string_view kHeadTimeout =
    "HTTP/1.1 408 Request Timeout\r\nContent-Type: text/plain\r\nContent-Length: 32\r\n"
    "Connection: close\r\n\r\nThe request head came too slowly\n";
constexpr std::string_view kHeadTooLarge =
    "HTTP/1.1 431 Request Header Fields Too Large\r\nContent-Type: text/plain\r\n"
    "Content-Length: 29\r\nConnection: close\r\n\r\nThe request head is too large\n";

// Best effort: the socket's buffer is empty, so a short answer fits.
void SendShort(int fd, std::string_view text) {
  [[maybe_unused]] const ssize_t sent = send(fd, text.data(), text.size(), MSG_NOSIGNAL);
}

// Reads and drops what is available; false once the client has closed or
// the connection failed.
bool Discard(int fd) {
  std::array<char, 4096> sink;
  for (;;) {
    const ssize_t got = recv(fd, sink.data(), sink.size(), 0);
    if (got > 0) continue;
    return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR);
  }
}

// Raises the soft descriptor limit toward what `connections` need and
// returns how many connections the limit allows.
size_t FitToDescriptorLimit(size_t connections) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return connections;
  const rlim_t wanted = connections + 2 * kReservedDescriptors;
  if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
    rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
    if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
  }
  if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= wanted) return connections;
  return limit.rlim_cur > 2 * kReservedDescriptors ? limit.rlim_cur - 2 * kReservedDescriptors : 1;
}

}  // namespace

bool HeadComplete(std::string_view bytes) {
  return bytes.find("\n\r\n") != std::string_view::npos ||
         bytes.find("\n\n") != std::string_view::npos;
}

std::unique_ptr<ConnectionPoller> ConnectionPoller::Start(ConnectionLimits limits, Serve serve,
                                                          std::string* error) {
  limits.maxConnections = FitToDescriptorLimit(limits.maxConnections);
  const int epoll = epoll_create1(EPOLL_CLOEXEC);
  const int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = wake;
  if (epoll < 0 || wake < 0 || epoll_ctl(epoll, EPOLL_CTL_ADD, wake, &event) != 0) {
    if (error) *error = "cannot set up epoll for the gateway's connections";
    if (epoll >= 0) ::close(epoll);
    if (wake >= 0) ::close(wake);
    return nullptr;
  }
  auto poller = std::make_unique<ConnectionPoller>(Key(), limits, std::move(serve), epoll, wake);
  poller->thread_ = std::thread([self = poller.get()] { self->Run(); });
  return poller;
}

ConnectionPoller::ConnectionPoller(Key, ConnectionLimits limits, Serve serve, int epoll, int wake)
    : limits_(limits),
      serve_(std::move(serve)),
      epoll_(epoll),
      wake_(wake),
      workers_(limits.workers) {}

ConnectionPoller::~ConnectionPoller() {
  Stop();
  ::close(epoll_);
  ::close(wake_);
}

void ConnectionPoller::Adopt(int fd) {
  if (stopping() || open_.load() >= limits_.maxConnections) {
    // Refused at once: what the client sent already is dropped first, so
    // that the close does not turn into a reset that loses the answer.
    const int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    Discard(fd);
    SendShort(fd, kTooMany);
    shutdown(fd, SHUT_WR);
    ::close(fd);
    return;
  }
  CountOpen(true);
  const int flags = fcntl(fd, F_GETFL);
  fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  Watch(fd, State::kNew, RealDeadline(limits_.headerTimeout));
}

void ConnectionPoller::Park(int fd, std::string_view carried) {
  if (stopping()) return Drop(fd);
  if (carried.empty()) return Watch(fd, State::kParked, RealDeadline(limits_.idleTimeout));
  if (carried.size() >= kMaxHeadBytes) {
    SendShort(fd, kHeadTooLarge);
    return CloseNow(fd);
  }
  Watch(fd, State::kHead, RealDeadline(limits_.headerTimeout), carried);
}

void ConnectionPoller::Close(int fd) {
  shutdown(fd, SHUT_WR);
  if (stopping()) return Drop(fd);
  Watch(fd, State::kDraining, RealDeadline(kCloseLinger));
}

void ConnectionPoller::Drop(int fd) { CloseNow(fd); }

void ConnectionPoller::CloseNow(int fd) {
  ::close(fd);
  CountOpen(false);
}

void ConnectionPoller::CountOpen(bool opened) {
  {
    const std::lock_guard<std::mutex> lock(countMutex_);
    if (opened) {
      open_.fetch_add(1);
    } else {
      open_.fetch_sub(1);
    }
  }
  countChanged_.notify_all();
}

bool ConnectionPoller::WaitForOpenCount(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(countMutex_);
  return countChanged_.wait_for(lock, timeout, [&] { return open_.load() == count; });
}

void ConnectionPoller::Watch(int fd, State state, int64_t deadline, std::string_view carried) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (stopped_) {
    ::close(fd);
    CountOpen(false);
    return;
  }
  waiting_[fd] = Waiting{state, deadline, std::string(carried)};
  // Edge-triggered: a head that is still incomplete is looked at again only
  // when more bytes come. Adding reports bytes that are already there.
  epoll_event event{};
  event.events = EPOLLIN | EPOLLRDHUP | EPOLLET;
  event.data.fd = fd;
  if (epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) != 0) {
    waiting_.erase(fd);
    ::close(fd);
    CountOpen(false);
  }
}

bool ConnectionPoller::Unwatch(int fd) {
  if (waiting_.erase(fd) == 0) return false;
  epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
  return true;
}

void ConnectionPoller::Run() {
  std::array<epoll_event, 64> events;
  while (!stopping()) {
    const int count = epoll_wait(epoll_, events.data(), events.size(), kTickMilliseconds);
    for (int i = 0; i < count; ++i) {
      if (events[i].data.fd != wake_) OnReadable(events[i].data.fd);
    }
    ExpireOverdue();
  }
}

void ConnectionPoller::OnReadable(int fd) {
  std::unique_lock<std::mutex> lock(mutex_);
  const auto found = waiting_.find(fd);
  if (found == waiting_.end()) return;  // already handed on or closed
  Waiting& waiting = found->second;
  if (waiting.state == State::kDraining) {
    if (!Discard(fd)) {
      Unwatch(fd);
      CloseNow(fd);
    }
    return;
  }
  // The head so far: what a worker read already, then what is waiting.
  std::array<char, kMaxHeadBytes> head;
  const size_t carried = std::min(waiting.carried.size(), head.size() - 1);
  std::copy_n(waiting.carried.data(), carried, head.data());
  const ssize_t got = recv(fd, head.data() + carried, head.size() - carried, MSG_PEEK);
  if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
  if (got <= 0) {  // closed by the client, or failed
    Unwatch(fd);
    CloseNow(fd);
    return;
  }
  const size_t size = carried + static_cast<size_t>(got);
  if (HeadComplete(std::string_view(head.data(), size))) {
    std::string start = std::move(waiting.carried);
    Unwatch(fd);
    lock.unlock();
    workers_.enqueue(
        [this, fd, start = std::move(start)]() mutable { serve_(fd, std::move(start)); });
    return;
  }
  if (size >= head.size()) {
    Unwatch(fd);
    SendShort(fd, kHeadTooLarge);
    CloseNow(fd);
    return;
  }
  if (waiting.state == State::kParked) {
    // A head has begun: it now has the head's time, not the idle time.
    waiting.state = State::kHead;
    waiting.deadline = std::min(waiting.deadline, RealDeadline(limits_.headerTimeout));
  }
}

void ConnectionPoller::ExpireOverdue() {
  const int64_t now = RealMonotonicNow();
  std::vector<std::pair<int, State>> overdue;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& [fd, waiting] : waiting_) {
      if (waiting.deadline <= now) overdue.emplace_back(fd, waiting.state);
    }
    for (const auto& [fd, state] : overdue) Unwatch(fd);
  }
  for (const auto& [fd, state] : overdue) {
    if (state == State::kNew || state == State::kHead) {
      Discard(fd);  // so that closing does not reset the answer away
      SendShort(fd, kHeadTimeout);
    }
    CloseNow(fd);
  }
}

void ConnectionPoller::Stop() {
  if (stopping_.exchange(true)) return;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t woke = write(wake_, &one, sizeof one);
  if (thread_.joinable()) thread_.join();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    for (const auto& [fd, waiting] : waiting_) {
      epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
      CloseNow(fd);
    }
    waiting_.clear();
  }
  workers_.shutdown();
}

}  // namespace kiv::host::gateway
