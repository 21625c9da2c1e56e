#include "host/route_table.h"

#include <array>

namespace kiv::host {
namespace {

constexpr std::array<std::string_view, 8> kMethodNames = {"",        "DELETE", "GET",  "HEAD",
                                                          "OPTIONS", "PATCH",  "POST", "PUT"};

size_t CapturedLength(const std::vector<UrlCapture>& captures) {
  size_t total = 0;
  for (const UrlCapture& capture : captures) total += capture.rawLength;
  return total;
}

}  // namespace

size_t RouteTable::Add(uint32_t method, std::string customMethod, std::string urlTemplate) {
  routes_.push_back(Route{method, std::move(customMethod), UrlTemplate(std::move(urlTemplate))});
  return routes_.size() - 1;
}

std::optional<RouteHit> RouteTable::Find(uint32_t method, std::string_view customMethod,
                                         std::string_view path) const {
  std::optional<RouteHit> chosen;
  size_t chosenLength = 0;
  for (size_t i = 0; i < routes_.size(); ++i) {
    const Route& route = routes_[i];
    if (route.method != KIV_METHOD_NONE && route.method != method) continue;
    if (route.method == KIV_METHOD_CUSTOM && route.customMethod != customMethod) continue;
    auto captures = route.url.Match(path);
    if (!captures) continue;
    const size_t length = CapturedLength(*captures);
    if (chosen && length >= chosenLength) continue;
    const bool exact = captures->empty();
    chosen = RouteHit{i, std::move(*captures)};
    chosenLength = length;
    if (exact) break;
  }
  return chosen;
}

uint32_t MethodCode(std::string_view name) {
  if (name.empty()) return 0;
  for (uint32_t code = 1; code < kMethodNames.size(); ++code) {
    if (kMethodNames[code] == name) return code;
  }
  return KIV_METHOD_CUSTOM;
}

std::string_view MethodName(uint32_t code) {
  return code < kMethodNames.size() ? kMethodNames[code] : std::string_view();
}

}  // namespace kiv::host
