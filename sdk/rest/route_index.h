// route_index.h: RouteIndex, the choice of a request's route among many,
// trying only the routes that can match.
//
// A route whose template ends in a literal with a "/" in it ("/roster/kick")
// can only match a path whose last segment is that literal's last segment
// ("kick"); the index keeps such routes by that segment, and the others
// (ending in a parameter, or in a literal without "/") in one list that every
// path tries. Candidates are tried in declaration order with the rules of
// Match (route_match.h), so the most specific route still wins.
//
// Not for: one route (use Match); routes that change after indexing.
//
//   std::vector<Route> routes = ...;
//   RouteIndex index(routes);              // `routes` must outlive the index
//   RouteMatch match;
//   index.Find(KIV_METHOD_GET, "", "/kiv-joust/v1/tournament/7/r62", &match);
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sdk/rest/route_match.h"

namespace kiv {

class RouteIndex {
 public:
  /// Indexes `routes`, which must stay where they are while the index lives.
  explicit RouteIndex(std::span<const Route> routes);

  /// As Match over all the routes; false when none accepts the request.
  bool Find(uint32_t method, std::string_view customMethod, std::string_view path,
            RouteMatch* match) const;

 private:
  struct StringHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };

  std::span<const Route> routes_;
  /// Route positions by the last segment their path must end with.
  std::unordered_map<std::string, std::vector<uint32_t>, StringHash, std::equal_to<>>
      byLastSegment_;
  /// Route positions that any path may match.
  std::vector<uint32_t> anyPath_;
};

}  // namespace kiv
