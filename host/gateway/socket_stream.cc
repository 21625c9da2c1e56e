#include "host/gateway/socket_stream.h"

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

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

bool SocketStream::WaitFor(short events) const {
  pollfd entry{fd_, events, 0};
  int ready;
  do {
    ready = poll(&entry, 1, static_cast<int>(timeout_.count()));
  } while (ready < 0 && errno == EINTR);
  return ready > 0 && (entry.revents & events) != 0;
}

bool SocketStream::is_readable() const { return HasBuffered() || WaitFor(POLLIN); }

bool SocketStream::is_writable() const { return !failed_ && WaitFor(POLLOUT); }

ssize_t SocketStream::read(char* data, size_t size) {
  if (failed_) return -1;
  if (!HasBuffered()) {
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
  size_t sent = 0;
  while (sent < size) {
    const ssize_t wrote = send(fd_, data + sent, size - sent, MSG_NOSIGNAL);
    if (wrote >= 0) {
      sent += static_cast<size_t>(wrote);
      continue;
    }
    if (errno == EINTR) continue;
    if ((errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(POLLOUT)) continue;
    failed_ = true;
    return -1;
  }
  return static_cast<ssize_t>(size);
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
