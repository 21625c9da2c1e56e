// bind_arguments.h: filling an endpoint's argument values from a request.
//
// Sources, in order: headers (arguments of location 0 or 4, by the argument's
// name in lower case), path parameters, the query string, the host's typed
// arguments (by name, or by position when unnamed), and the body (into the
// first argument of location 5, by its content type). Each step runs only
// while the status is valid, so the first error is the one reported. Values
// stay BindingProperty here; the invoker converts them to native types.
//
// Not for: calling the handler (dispatch.h).
//
//   std::vector<BindingProperty> values(endpoint.arguments.size());
//   BindArguments(endpoint, request, match, values, status);
#pragma once

#include <span>
#include <string_view>

#include "kiv_plugin_abi.h"
#include "sdk/rest/endpoint.h"
#include "sdk/rest/route_match.h"
#include "sdk/value/binding_property.h"

namespace kiv {

void BindArguments(const Endpoint& endpoint, const IncomingRequest& request,
                   const RouteMatch& match, std::span<BindingProperty> values,
                   BindingProperty& status);

/// Binds one named text input (key "name" or "name.path.0") from `location`.
void BindText(const Endpoint& endpoint, std::string_view key, std::string_view text,
              uint32_t location, std::span<BindingProperty> values, BindingProperty& status);

}  // namespace kiv
