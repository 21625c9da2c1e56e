#include "host/gateway/access_control.h"

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <array>
#include <cctype>

namespace kiv::host::gateway {
namespace {

constexpr std::string_view kBearer = "Bearer ";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

AccessControl::AccessControl(std::string token, uint16_t port, std::string allowOrigin)
    : token_(std::move(token)), port_(port), allowOrigin_(std::move(allowOrigin)) {}

AccessVerdict AccessControl::Check(std::string_view hostHeader, std::string_view authorization,
                                   std::optional<std::string_view> queryToken) const {
  if (!IsLoopbackHost(hostHeader, port_)) {
    return AccessVerdict{403, "The Host header must name this computer's loopback address"};
  }
  bool proven = false;
  if (authorization.size() > kBearer.size() &&
      EqualsIgnoringCase(authorization.substr(0, kBearer.size()), kBearer)) {
    proven = TokensEqual(authorization.substr(kBearer.size()), token_);
  }
  if (!proven && queryToken) proven = TokensEqual(*queryToken, token_);
  if (!proven) return AccessVerdict{401, "Missing or wrong access token"};
  return AccessVerdict{};
}

std::optional<std::string> AccessControl::AllowedOrigin(std::string_view origin) const {
  if (allowOrigin_.empty() || origin != allowOrigin_) return std::nullopt;
  return allowOrigin_;
}

std::string MakeAccessToken() {
  std::array<unsigned char, 32> bytes{};
  if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1) return "";
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string token;
  token.reserve(bytes.size() * 2);
  for (unsigned char byte : bytes) {
    token += kDigits[byte >> 4];
    token += kDigits[byte & 15];
  }
  return token;
}

bool IsLoopbackHost(std::string_view host, uint16_t port) {
  for (std::string_view name :
       {std::string_view("127.0.0.1"), std::string_view("localhost"), std::string_view("[::1]")}) {
    if (host.size() < name.size() || !EqualsIgnoringCase(host.substr(0, name.size()), name)) {
      continue;
    }
    const std::string_view rest = host.substr(name.size());
    if (rest.empty() || rest == ":" + std::to_string(port)) return true;
  }
  return false;
}

bool TokensEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  return CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string WithoutTokenParameter(std::string_view target) {
  const size_t question = target.find('?');
  if (question == std::string_view::npos) return std::string(target);
  std::string kept(target.substr(0, question));
  std::string_view query = target.substr(question + 1);
  char separator = '?';
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    const std::string_view name = pair.substr(0, pair.find('='));
    if (name == "token" || pair.empty()) continue;
    kept += separator;
    kept += pair;
    separator = '&';
  }
  return kept;
}

}  // namespace kiv::host::gateway
