// access_control.h: who may use the gateway. Any web page the user opens can
// send requests to loopback, so every request must prove it comes from
// someone who saw the start line, and must name a loopback host.
//
// The checks, in order:
//  1. The Host header names a loopback host: "127.0.0.1", "localhost" or
//     "[::1]", with no port or the gateway's own port. Anything else is 403:
//     a page that rebinds its own DNS name to 127.0.0.1 still sends its name.
//     This comes first because it needs no secret and reveals none.
//  2. The request carries the access token, as "Authorization: Bearer TOKEN"
//     or as the query parameter "token"; otherwise 401. Tokens are compared
//     in constant time.
// CORS headers are added only for the one origin named at start.
//
// Not for: body limits and timeouts (the server enforces those).
//
//   AccessControl access(MakeAccessToken(), port, "");
//   AccessVerdict verdict = access.Check(hostHeader, authorization, queryToken);
//   if (!verdict.allowed()) Answer(verdict.status, verdict.message);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kiv::host::gateway {

struct AccessVerdict {
  int status = 0;  // 0 when allowed, else 401 or 403
  const char* message = "";

  bool allowed() const { return status == 0; }
};

class AccessControl {
 public:
  /// `allowOrigin` empty: no CORS headers are ever sent.
  AccessControl(std::string token, uint16_t port, std::string allowOrigin);

  /// `queryToken` is the decoded "token" query parameter, when present.
  AccessVerdict Check(std::string_view hostHeader, std::string_view authorization,
                      std::optional<std::string_view> queryToken) const;
  /// The value for Access-Control-Allow-Origin: the configured origin when
  /// `origin` is exactly it, else nothing.
  std::optional<std::string> AllowedOrigin(std::string_view origin) const;

  const std::string& token() const { return token_; }

 private:
  std::string token_;
  uint16_t port_;
  std::string allowOrigin_;
};

/// 32 random bytes from the system's generator, as 64 hexadecimal digits.
/// Empty only when the generator fails (the caller must refuse to start).
std::string MakeAccessToken();

/// True for "127.0.0.1", "localhost" (any case) and "[::1]", each alone or
/// followed by ":" and `port`.
bool IsLoopbackHost(std::string_view host, uint16_t port);

/// Equal texts, compared in time that depends only on their lengths.
bool TokensEqual(std::string_view a, std::string_view b);

/// `target` (path and query, as received) without its "token" parameters.
std::string WithoutTokenParameter(std::string_view target);

}  // namespace kiv::host::gateway
