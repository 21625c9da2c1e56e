#include "sdk/rest/route_index.h"

namespace kiv {

RouteIndex::RouteIndex(std::span<const Route> routes) : routes_(routes) {
  for (uint32_t at = 0; at < routes.size(); ++at) {
    const std::string_view suffix = routes[at].literalSuffix;
    const std::string_view literal =
        routes[at].compiled.isLiteral ? std::string_view(routes[at].compiled.urlTemplate) : suffix;
    const size_t slash = literal.rfind('/');
    if (slash == std::string_view::npos) {
      anyPath_.push_back(at);
    } else {
      byLastSegment_[std::string(literal.substr(slash + 1))].push_back(at);
    }
  }
}

bool RouteIndex::Find(uint32_t method, std::string_view customMethod, std::string_view path,
                      RouteMatch* match) const {
  const size_t slash = path.rfind('/');
  const std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
  static const std::vector<uint32_t> kNone;
  const auto found = byLastSegment_.find(last);
  const std::vector<uint32_t>& keyed = found == byLastSegment_.end() ? kNone : found->second;
  // Both lists are in declaration order: merged, so that ties go to the
  // route declared first, as in Match.
  route_internal::Search search;
  size_t keyedAt = 0;
  size_t anyAt = 0;
  while (keyedAt < keyed.size() || anyAt < anyPath_.size()) {
    uint32_t next;
    if (anyAt == anyPath_.size() || (keyedAt < keyed.size() && keyed[keyedAt] < anyPath_[anyAt])) {
      next = keyed[keyedAt++];
    } else {
      next = anyPath_[anyAt++];
    }
    if (search.Try(routes_[next], method, customMethod, path, false)) break;
  }
  return search.Fill(method, customMethod, match);
}

}  // namespace kiv
