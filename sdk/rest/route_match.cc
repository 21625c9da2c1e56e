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
  return route;
}

bool Match(std::span<const Route> routes, uint32_t method, std::string_view customMethod,
           std::string_view path, bool ignoreMethod, RouteMatch* match) {
  const Route* chosen = nullptr;
  size_t chosenLength = 0;
  std::string_view chosenCaptures[kMaxRouteParameters];
  std::string_view captures[kMaxRouteParameters];
  for (const Route& route : routes) {
    if (!ignoreMethod && !MethodFits(route, method, customMethod)) continue;
    if (!MatchTemplate(route.compiled, path, captures)) continue;
    const size_t count = route.compiled.parameters.size();
    size_t length = 0;
    for (size_t i = 0; i < count; ++i) length += captures[i].size();
    if (chosen && (chosen->compiled.parameters.empty() || length >= chosenLength)) continue;
    chosen = &route;
    chosenLength = length;
    std::copy(captures, captures + count, chosenCaptures);
    if (count == 0) break;  // an exact literal hit
  }
  if (!chosen) return false;
  match->route = chosen;
  match->customMethod = method == kCustomMethod ? std::string(customMethod) : std::string();
  match->parameters.clear();
  for (size_t i = 0; i < chosen->compiled.parameters.size(); ++i) {
    match->parameters.emplace_back(chosen->compiled.parameters[i].name,
                                   UrlDecode(chosenCaptures[i]));
  }
  return true;
}

}  // namespace kiv
