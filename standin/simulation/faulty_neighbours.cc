#include "standin/simulation/faulty_neighbours.h"

#include <string_view>

namespace kiv::standin {
namespace {

constexpr std::string_view kServiceProxyPrefix = "/kiv-login/v1/service-proxy";

}  // namespace

std::optional<host::NeighbourAnswer> FaultyNeighbours::operator()(
    const host::NeighbourRequest& request) {
  if (std::string_view(request.path).starts_with(kServiceProxyPrefix)) return std::nullopt;
  if (random_->Chance(plan_.neighbourMissing))
    return host::NeighbourAnswer::Error(404, "Not Found");
  if (random_->Chance(plan_.neighbourGarbage)) {
    return host::NeighbourAnswer::Text("<html><body>502 Bad Gateway</body></html>");
  }
  return std::nullopt;
}

}  // namespace kiv::standin
