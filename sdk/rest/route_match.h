// route_match.h: choosing the route of a request among declared routes.
//
// A route accepts a request when its method fits (a route without a method
// accepts every method; a custom method must also match by name) and its
// template fully matches the path. Among several matching routes the most
// specific wins: the one whose parameters swallow the fewest characters in
// total, the earlier declaration on a tie; an exact literal hit ends the
// search at once.
//
//   std::vector<Route> routes = {MakeRoute(KIV_METHOD_GET, "", "/r/{+rest}"),
//                                MakeRoute(KIV_METHOD_GET, "", "/r/{id}/x")};
//   RouteMatch match;
//   Match(routes, KIV_METHOD_GET, "", "/r/5/x", false, &match);  // routes[1], id = "5"
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sdk/rest/route_template.h"

namespace kiv {

struct Route {
  uint32_t method = 0;       // request method code; 0 accepts every method
  std::string customMethod;  // the method's name for the custom method code 8
  RouteTemplate compiled;
  const void* endpoint = nullptr;  // what the route serves; not owned
  /// The literal text before the first parameter and after the last one: a
  /// path that does not start and end with them cannot match, which rules
  /// out most routes of a table at the cost of two comparisons.
  std::string literalPrefix;
  std::string literalSuffix;
};

/// A route for `method` and `urlTemplate` (normalized, then compiled).
Route MakeRoute(uint32_t method, std::string_view customMethod, std::string_view urlTemplate,
                const void* endpoint = nullptr);

struct RouteMatch {
  const Route* route = nullptr;
  std::string customMethod;
  /// Path parameters in template order, URL-decoded.
  std::vector<std::pair<std::string, std::string>> parameters;
};

namespace route_internal {

/// One search for the most specific route, fed candidates in declaration
/// order (by Match, or by an index that skips routes that cannot match).
class Search {
 public:
  /// Considers `route`; true when it is an exact literal hit (stop there).
  bool Try(const Route& route, uint32_t method, std::string_view customMethod,
           std::string_view path, bool ignoreMethod);
  /// Fills `match` with the chosen route; false when none was chosen.
  bool Fill(uint32_t method, std::string_view customMethod, RouteMatch* match) const;

 private:
  const Route* chosen_ = nullptr;
  size_t chosenLength_ = 0;
  std::string_view chosenCaptures_[kMaxRouteParameters];
};

}  // namespace route_internal

/// Searches `routes` for the request; false when none accepts it.
/// `ignoreMethod` skips the method check.
bool Match(std::span<const Route> routes, uint32_t method, std::string_view customMethod,
           std::string_view path, bool ignoreMethod, RouteMatch* match);

}  // namespace kiv
