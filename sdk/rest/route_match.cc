#include "sdk/rest/route_match.h"

#include "sdk/rest/url_decode.h"

namespace kiv {
namespace {

constexpr uint32_t kCustomMethod = 8;

bool MethodFits(const Route& route, uint32_t method, std::string_view customMethod) {
  if (route.method == 0) return true;
  if (route.method != method) return false;
  return method != kCustomMethod || route.customMethod == customMethod;
}

}  // namespace

Route MakeRoute(uint32_t method, std::string_view customMethod, std::string_view urlTemplate,
                const void* endpoint) {
  Route route;
  route.method = method;
  route.customMethod = std::string(customMethod);
  route.compiled = CompileTemplate(NormalizeTemplate(urlTemplate));
  route.endpoint = endpoint;
  const std::vector<RouteTemplate::Segment>& segments = route.compiled.segments;
  if (!segments.empty() && segments.front().parameter < 0) {
    route.literalPrefix = segments.front().literal;
  }
  if (segments.size() > 1 && segments.back().parameter < 0) {
    route.literalSuffix = segments.back().literal;
  }
  return route;
}

namespace route_internal {

bool Search::Try(const Route& route, uint32_t method, std::string_view customMethod,
                 std::string_view path, bool ignoreMethod) {
  if (!ignoreMethod && !MethodFits(route, method, customMethod)) return false;
  if (path.size() < route.literalPrefix.size() + route.literalSuffix.size() ||
      !path.starts_with(route.literalPrefix) || !path.ends_with(route.literalSuffix)) {
    return false;
  }
  std::string_view captures[kMaxRouteParameters];
  if (!MatchTemplate(route.compiled, path, captures)) return false;
  const size_t count = route.compiled.parameters.size();
  size_t length = 0;
  for (size_t i = 0; i < count; ++i) length += captures[i].size();
  if (chosen_ && (chosen_->compiled.parameters.empty() || length >= chosenLength_)) return false;
  chosen_ = &route;
  chosenLength_ = length;
  std::copy(captures, captures + count, chosenCaptures_);
  return count == 0;  // an exact literal hit ends the search
}

bool Search::Fill(uint32_t method, std::string_view customMethod, RouteMatch* match) const {
  if (!chosen_) return false;
  match->route = chosen_;
  match->customMethod = method == kCustomMethod ? std::string(customMethod) : std::string();
  match->parameters.clear();
  for (size_t i = 0; i < chosen_->compiled.parameters.size(); ++i) {
    match->parameters.emplace_back(chosen_->compiled.parameters[i].name,
                                   UrlDecode(chosenCaptures_[i]));
  }
  return true;
}

}  // namespace route_internal

bool Match(std::span<const Route> routes, uint32_t method, std::string_view customMethod,
           std::string_view path, bool ignoreMethod, RouteMatch* match) {
  route_internal::Search search;
  for (const Route& route : routes) {
    if (search.Try(route, method, customMethod, path, ignoreMethod)) break;
  }
  return search.Fill(method, customMethod, match);
}

}  // namespace kiv
