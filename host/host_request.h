// host_request.h: a request as the host holds it, owned and copyable by move:
// one the host sends to the plugin's endpoints, and the parameters of one the
// plugin sends to a stand-in neighbour.
//
// Not for: the boundary records themselves; plugin_host.cc turns a
// HostRequest into an IncomingRequest only for the duration of the call.
//
//   HostRequest request = HostRequest::Make(KIV_METHOD_POST, "/kiv-joust/v1/x");
//   request.body = R"({"id": 5})";
//   request.contentType = "application/json";
//   request.args.push_back(RequestArgument{"force", JsonToHostValue("true", nullptr).value()});
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/owned_host_value.h"
#include "kiv_plugin_abi.h"

namespace kiv::host {

/// A typed argument; no name makes it positional.
struct RequestArgument {
  std::optional<std::string> name;
  OwnedHostValue value;
};

struct HostRequest {
  uint32_t method = KIV_METHOD_GET;
  std::string customMethod;  // for method 8
  std::string url;           // path plus an optional "?" query
  std::vector<std::pair<std::string, std::string>> headers;
  std::vector<RequestArgument> args;
  std::string body;
  std::string contentType;

  static HostRequest Make(uint32_t method, std::string url) {
    HostRequest request;
    request.method = method;
    request.url = std::move(url);
    return request;
  }
};

}  // namespace kiv::host
