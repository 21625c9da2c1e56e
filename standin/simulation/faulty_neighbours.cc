#include "standin/simulation/faulty_neighbours.h"

#include <cstdint>
#include <string_view>

#include "host/host_clock.h"

namespace kiv::standin {
namespace {

constexpr std::string_view kServiceProxyPrefix = "/kiv-login/v1/service-proxy";
constexpr int64_t kLongestLateNs = 30'000'000'000;

}  // namespace

std::optional<host::NeighbourAnswer> FaultyNeighbours::operator()(
    const host::NeighbourRequest& request) {
  if (std::string_view(request.path).starts_with(kServiceProxyPrefix)) return std::nullopt;
  if (random_->Chance(plan_.neighbourMissing))
    return host::NeighbourAnswer::Error(404, "Not Found");
  if (random_->Chance(plan_.neighbourGarbage)) {
    return host::NeighbourAnswer::Text("<html><body>502 Bad Gateway</body></html>");
  }
  if (random_->Chance(plan_.neighbourLate) && host::VirtualClockActive()) {
    // The plugin's call blocks until the answer: the time passes inside it,
    // and whatever fell due meanwhile runs once it returns.
    host::AdvanceVirtualClock(random_->Between(1, kLongestLateNs));
  }
  return std::nullopt;
}

}  // namespace kiv::standin
