// http_exchange.h: turns an HTTP request into the host request the plugin
// sees, and the plugin's answer into the HTTP response, exactly as the host's
// in-process path would carry them.
//
// Request: the method (a name HTTP allows that the boundary does not number
// travels as a custom method), the target as received minus its "token"
// query parameters, every header but "Authorization" (the access token stays
// with the gateway), the body and its content type.
//
// Answer: a body tree as compact JSON ("application/json"), the same text the
// host prints; a streamed body as its bytes with the plugin's Content-Type
// header (or "application/octet-stream"); an error as
// {"httpStatus": N, "message": TEXT}. The status is the host's final status;
// one HTTP cannot carry (below 200 or above 599) becomes 500 on the wire and
// stays in "httpStatus". The plugin's own headers are passed on, except
// those that describe the transfer.
//
// Not for: access checks (access_control.h).
//
//   HostRequest request = ToHostRequest(httpRequest, std::move(body));
//   WriteAnswer(handoff.Request(std::move(request)), httpResponse);
#pragma once

#include <string>
#include <string_view>

#include "host/host_request.h"
#include "host/host_response.h"

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace kiv::host::gateway {

HostRequest ToHostRequest(const httplib::Request& request, std::string body);

void WriteAnswer(const HostResponse& answer, httplib::Response& response);

/// {"httpStatus": status, "message": message} with `status` (or 500 when HTTP
/// cannot carry it).
void WriteError(int status, std::string_view message, httplib::Response& response);

}  // namespace kiv::host::gateway
