#include "host/gateway/socket_stream.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include <algorithm>
#include <cstring>

namespace kiv::host::gateway {
namespace {

void AddressOf(const sockaddr_storage& address, std::string& ip, int& port) {
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    port = ntohs(v4.sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
    inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    port = ntohs(v6.sin6_port);
  } else {
    port = 0;
  }
  ip = text;
}

}  // namespace

SocketStream::SocketStream(int fd, std::chrono::milliseconds timeout, std::string_view carried)
    : fd_(fd), timeout_(timeout) {
  end_ = std::min(carried.size(), buffer_.size());
  std::memcpy(buffer_.data(), carried.data(), end_);
}

SocketStream::Arrival SocketStream::ReadAvailable() {
  if (failed_) return Arrival::kClosed;
  if (begin_ == end_) begin_ = end_ = 0;
  if (begin_ > 0) {  // room at the end for what comes
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) return Arrival::kNone;
  for (;;) {
    const ssize_t got = recv(fd_, buffer_.data() + end_, buffer_.size() - end_, MSG_DONTWAIT);
    if (got > 0) {
      end_ += static_cast<size_t>(got);
      return Arrival::kBytes;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Arrival::kNone;
    failed_ = true;
    return Arrival::kClosed;
  }
}

bool SocketStream::WaitFor(short events) const {
  pollfd entry{fd_, events, 0};
  int ready;
  do {
    ready = poll(&entry, 1, static_cast<int>(timeout_.count()));
  } while (ready < 0 && errno == EINTR);
  return ready > 0 && (entry.revents & events) != 0;
}

bool SocketStream::SendHeldAnd(const char* data, size_t size) const {
  if (failed_) return false;
  std::array<iovec, 2> parts{iovec{held_.data(), heldSize_}, iovec{const_cast<char*>(data), size}};
  size_t first = heldSize_ == 0 ? 1 : 0;  // the first part with bytes left
  while (first < parts.size() && parts[first].iov_len > 0) {
    msghdr message{};
    message.msg_iov = parts.data() + first;
    message.msg_iovlen = parts.size() - first;
    const ssize_t wrote = sendmsg(fd_, &message, MSG_NOSIGNAL);
    if (wrote < 0) {
      if (errno == EINTR) continue;
      if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(POLLOUT)) continue;
      failed_ = true;
      return false;
    }
    // Skips what went out: whole parts, then the sent start of the next.
    size_t left = static_cast<size_t>(wrote);
    while (first < parts.size() && left >= parts[first].iov_len) {
      left -= parts[first].iov_len;
      parts[first].iov_len = 0;
      ++first;
    }
    if (first < parts.size()) {
      parts[first].iov_base = static_cast<char*>(parts[first].iov_base) + left;
      parts[first].iov_len -= left;
    }
  }
  heldSize_ = 0;
  return true;
}

bool SocketStream::Flush() { return heldSize_ == 0 ? !failed_ : SendHeldAnd(nullptr, 0); }

bool SocketStream::is_readable() const {
  if (HasBuffered()) return true;
  return (heldSize_ == 0 || SendHeldAnd(nullptr, 0)) && WaitFor(POLLIN);
}

bool SocketStream::is_writable() const { return !failed_ && WaitFor(POLLOUT); }

ssize_t SocketStream::read(char* data, size_t size) {
  if (failed_) return -1;
  holdNext_ = true;
  if (!HasBuffered()) {
    if (!Flush()) return -1;
    begin_ = end_ = 0;
    for (;;) {
      const ssize_t got = recv(fd_, buffer_.data(), buffer_.size(), 0);
      if (got >= 0) {
        end_ = static_cast<size_t>(got);
        break;
      }
      if (errno == EINTR) continue;
      if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(POLLIN)) continue;
      failed_ = true;
      return -1;
    }
    if (end_ == 0) return 0;  // the client closed its side
  }
  const size_t count = std::min(size, end_ - begin_);
  std::memcpy(data, buffer_.data() + begin_, count);
  begin_ += count;
  return static_cast<ssize_t>(count);
}

ssize_t SocketStream::write(const char* data, size_t size) {
  if (failed_) return -1;
  if (holdNext_ && size <= held_.size() - heldSize_) {
    std::memcpy(held_.data() + heldSize_, data, size);
    heldSize_ += size;
    holdNext_ = false;
    return static_cast<ssize_t>(size);
  }
  holdNext_ = false;
  return SendHeldAnd(data, size) ? static_cast<ssize_t>(size) : -1;
}

void SocketStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  if (remotePort_ < 0) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getpeername(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) address = {};
    AddressOf(address, remoteIp_, remotePort_);
  }
  ip = remoteIp_;
  port = remotePort_;
}

void SocketStream::get_local_ip_and_port(std::string& ip, int& port) const {
  if (localPort_ < 0) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) address = {};
    AddressOf(address, localIp_, localPort_);
  }
  ip = localIp_;
  port = localPort_;
}

}  // namespace kiv::host::gateway
