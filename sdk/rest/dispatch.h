// dispatch.h: serving one request from the host.
//
// `OnIncomingRequest` is the plugin's one request callback: the host calls it
// with the endpoint it chose (as the user data the API description handed
// out). It re-matches that endpoint's route, binds the arguments, calls the
// handler and fills the response record. Everything the record points to
// stays valid until the host calls the record's `release`.
//
// Not for: choosing among endpoints (the host does that) or declaring them
// (router.h).
//
//   ApiFunction function{..., .callback = &OnIncomingRequest, .userData = &endpoint};
#pragma once

#include "kiv_plugin_abi.h"
#include "sdk/rest/endpoint.h"
#include "sdk/rest/route_match.h"
#include "sdk/value/conversion_status.h"

namespace kiv {

/// The request callback of every endpoint; `userData` is its Endpoint.
void OnIncomingRequest(void* userData, ResponseRecord* response, const IncomingRequest* request);

/// Serves `request` on the matched endpoint into `response`.
void HandleRequest(ResponseRecord& response, const IncomingRequest& request,
                   const RouteMatch& match);

/// Fills `response` with an error text and status (and an empty body).
void WriteErrorResponse(ResponseRecord& response, std::string_view error, uint32_t status);

/// Fills `response` from a handler's result (its body is moved into the
/// response's storage) and the binding status.
void WriteResponse(ResponseRecord& response, HandlerResult& result, const ConversionStatus& status);

}  // namespace kiv
