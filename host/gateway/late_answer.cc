#include "host/gateway/late_answer.h"

#include <errno.h>
#include <poll.h>
#include <sys/socket.h>

#include <charconv>
#include <string_view>
#include <utility>

namespace kiv::host::gateway {
namespace {

std::string_view Reason(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 201:
      return "Created";
    case 202:
      return "Accepted";
    case 203:
      return "Non-Authoritative Information";
    case 204:
      return "No Content";
    case 205:
      return "Reset Content";
    case 206:
      return "Partial Content";
    case 300:
      return "Multiple Choices";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 303:
      return "See Other";
    case 304:
      return "Not Modified";
    case 307:
      return "Temporary Redirect";
    case 308:
      return "Permanent Redirect";
    case 400:
      return "Bad Request";
    case 401:
      return "Unauthorized";
    case 402:
      return "Payment Required";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 406:
      return "Not Acceptable";
    case 408:
      return "Request Timeout";
    case 409:
      return "Conflict";
    case 410:
      return "Gone";
    case 411:
      return "Length Required";
    case 412:
      return "Precondition Failed";
    case 413:
      return "Payload Too Large";
    case 414:
      return "URI Too Long";
    case 415:
      return "Unsupported Media Type";
    case 416:
      return "Range Not Satisfiable";
    case 417:
      return "Expectation Failed";
    case 422:
      return "Unprocessable Content";
    case 423:
      return "Locked";
    case 425:
      return "Too Early";
    case 426:
      return "Upgrade Required";
    case 428:
      return "Precondition Required";
    case 429:
      return "Too Many Requests";
    case 431:
      return "Request Header Fields Too Large";
    case 451:
      return "Unavailable For Legal Reasons";
    case 500:
      return "Internal Server Error";
    case 501:
      return "Not Implemented";
    case 502:
      return "Bad Gateway";
    case 503:
      return "Service Unavailable";
    case 504:
      return "Gateway Timeout";
    case 505:
      return "HTTP Version Not Supported";
    default:
      return "Unknown";
  }
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

void AppendNumber(std::string& out, size_t number) {
  char digits[24];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, number);
  out.append(digits, end);
}

// Sends what the socket takes of `bytes` without waiting: how many bytes
// went, or -1 when the connection failed.
ssize_t SendWithoutWaiting(int fd, std::string_view bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t wrote =
        send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (wrote >= 0) {
      sent += static_cast<size_t>(wrote);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) break;
    return -1;
  }
  return static_cast<ssize_t>(sent);
}

// Sends all of `bytes`, waiting at most `timeout` each time the socket is
// full; false when the connection failed or the client stopped reading.
bool SendAll(int fd, std::string_view bytes, std::chrono::milliseconds timeout) {
  for (;;) {
    const ssize_t sent = SendWithoutWaiting(fd, bytes);
    if (sent < 0) return false;
    bytes.remove_prefix(static_cast<size_t>(sent));
    if (bytes.empty()) return true;
    pollfd entry{fd, POLLOUT, 0};
    int ready;
    do {
      ready = poll(&entry, 1, static_cast<int>(timeout.count()));
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0 || !(entry.revents & POLLOUT)) return false;
  }
}

}  // namespace

std::string AnswerBytes(const httplib::Response& response, bool head, bool close) {
  std::string out;
  out.reserve(128 + response.body.size());
  out += "HTTP/1.1 ";
  AppendNumber(out, static_cast<size_t>(response.status));
  out += ' ';
  out += Reason(response.status);
  out += "\r\n";
  for (const auto& [name, value] : response.headers) {
    if (SameName(name, "Content-Length") || SameName(name, "Connection")) continue;
    out += name;
    out += ": ";
    out += value;
    out += "\r\n";
  }
  if (close) out += "Connection: close\r\n";
  out += "Content-Length: ";
  AppendNumber(out, response.body.size());
  out += "\r\n\r\n";
  if (!head) out += response.body;
  return out;
}

void LateAnswer::Send(const httplib::Response& response) {
  const std::string bytes = AnswerBytes(response, head_, close_);
  const ssize_t sent = SendWithoutWaiting(fd_, bytes);
  if (sent < 0 || static_cast<size_t>(sent) == bytes.size()) return Finish(sent >= 0);
  // The socket is full: a worker, which may wait, sends the rest.
  onWorker_([self = shared_from_this(), rest = bytes.substr(static_cast<size_t>(sent))] {
    self->Finish(SendAll(self->fd_, rest, self->timeout_));
  });
}

void LateAnswer::Finish(bool sent) {
  std::function<void(bool)> next;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    settled_ = true;
    sent_ = sent;
    next = std::move(next_);
  }
  if (next) next(sent);
}

void LateAnswer::Then(std::function<void(bool sent)> next) {
  bool sent;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!settled_) {
      next_ = std::move(next);
      return;
    }
    sent = sent_;
  }
  next(sent);
}

bool LateAnswer::Settled(bool* sent) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (settled_) *sent = sent_;
  return settled_;
}

}  // namespace kiv::host::gateway
