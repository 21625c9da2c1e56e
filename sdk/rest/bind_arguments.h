// bind_arguments.h: filling an endpoint's argument values from a request.
//
// Sources, in order: headers (arguments of location 0 or 4, by the argument's
// name in lower case), path parameters, the query string, the host's typed
// arguments (by name, or by position when unnamed), and the body (into the
// first argument of location 5, by its content type). Each step runs only
// while the status is valid, so the first error is the one reported. Values
// stay BindingProperty here; the invoker converts them to native types.
//
// Dotted keys ("ids.3") grow collections up to the index. One request may
// create at most kMaxQueryIndexElements elements that way, gaps included; an
// index beyond that fails with "Index %1 is out of range". A query cannot
// carry that many values anyway, and the bound keeps a 30-byte query from
// reserving gigabytes.
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
#include "sdk/value/conversion_status.h"

namespace kiv {

/// The most collection elements that dotted keys may create in one request.
inline constexpr size_t kMaxQueryIndexElements = 65536;

/// What is left of a request's allowance of elements created by indexes.
struct IndexBudget {
  size_t remaining = kMaxQueryIndexElements;
};

void BindArguments(const Endpoint& endpoint, const IncomingRequest& request,
                   const RouteMatch& match, std::span<BindingProperty> values,
                   ConversionStatus& status);

/// Binds one named text input (key "name" or "name.path.0") from `location`;
/// elements its indexes create are paid from `budget`.
void BindText(const Endpoint& endpoint, std::string_view key, std::string_view text,
              uint32_t location, std::span<BindingProperty> values, IndexBudget& budget,
              ConversionStatus& status);

}  // namespace kiv
