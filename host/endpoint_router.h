// endpoint_router.h: finds the plugin's endpoint for a request in its API
// description and calls it through the boundary.
//
// Endpoints are the description's functions with a URL template, chosen by
// method and template (route_table.h: full match, most specific wins).
// Built-in functions (name space "$builtin", no method, empty template) are
// never routed by URL; they are found by name and called with an empty URL.
//
// Not for: queueing; PluginHost runs calls as queued work (plugin_host.h).
//
//   EndpointRouter router(*record.api);
//   if (const ApiFunction* function = router.Find(KIV_METHOD_GET, "", "/kiv-joust/v1/enabled")) {
//     HostResponse response = CallEndpoint(*function, request, ++requestId, *keeper);
//   }
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "host/host_request.h"
#include "host/host_response.h"
#include "host/response_body.h"
#include "host/route_table.h"
#include "kiv_plugin_abi.h"

namespace kiv::host {

inline constexpr char kBuiltinNameSpace[] = "$builtin";

class EndpointRouter {
 public:
  EndpointRouter() = default;
  /// Compiles every endpoint's template once. `description` is borrowed and
  /// must stay valid while this router is used (the plugin's lives until
  /// Shutdown returns).
  explicit EndpointRouter(const ApiDescription& description);

  /// The endpoint for (method, path); `path` may carry a query, which is
  /// ignored. Null when none matches.
  const ApiFunction* Find(uint32_t method, std::string_view customMethod,
                          std::string_view path) const;
  /// The built-in function `name`, or null.
  const ApiFunction* FindBuiltin(std::string_view name) const;

 private:
  const ApiDescription* description_ = nullptr;
  RouteTable routes_;
  std::vector<uint32_t> functionOfRoute_;
};

/// Calls `function`'s callback with `request` (everything built here stays
/// valid for the call) and takes the answer: its body stays in the record,
/// which `keeper` keeps until the response goes (response_body.h).
HostResponse CallEndpoint(const ApiFunction& function, const HostRequest& request,
                          uint64_t requestId, HeldRecords& keeper);

}  // namespace kiv::host
