// route_table.h: picks the endpoint for a request among several routes by
// method and URL template.
//
// A route declaring method 0 accepts every method; method 8 (custom) also
// compares the custom method name. Among the routes that match, in
// declaration order, the first is chosen; a later one replaces it only when
// its captures swallowed strictly fewer characters of the path, and a route
// without parameters (an exact literal hit) ends the search. So the most
// specific route wins, and on a tie the earlier declaration.
//
// Not for: binding captures to arguments; the plugin re-matches the chosen
// endpoint itself.
//
//   RouteTable routes;
//   routes.Add(KIV_METHOD_GET, "", "/r/{+rest}");  // index 0
//   routes.Add(KIV_METHOD_GET, "", "/r/{id}/x");   // index 1
//   routes.Find(KIV_METHOD_GET, "", "/r/5/x")->index;  // 1
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/url_template.h"
#include "kiv_plugin_abi.h"

namespace kiv::host {

struct RouteHit {
  size_t index = 0;  // in declaration order
  std::vector<UrlCapture> captures;
};

class RouteTable {
 public:
  /// Declares the next route; returns its index.
  size_t Add(uint32_t method, std::string customMethod, std::string urlTemplate);
  /// The chosen route for (method, path), or nullopt. `path` carries no query.
  std::optional<RouteHit> Find(uint32_t method, std::string_view customMethod,
                               std::string_view path) const;
  size_t size() const { return routes_.size(); }

 private:
  struct Route {
    uint32_t method;
    std::string customMethod;
    UrlTemplate url;
  };
  std::vector<Route> routes_;
};

/// The method's code for its name ("GET" -> 2); 8 (custom) for any other
/// non-empty name, 0 for the empty name. Case-sensitive.
uint32_t MethodCode(std::string_view name);
/// The name of a method code; empty for 0, 8 and unknown codes.
std::string_view MethodName(uint32_t code);

}  // namespace kiv::host
