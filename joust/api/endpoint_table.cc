#include "joust/api/endpoint_table.h"

#include "sdk/log/assertion.h"
#include "sdk/log/log_groups.h"
#include "sdk/log/log_level.h"
#include "sdk/log/logger.h"

namespace kiv::joust {

void LogAnsweredFailure(const Failure& failure) {
  const std::string_view message = failure.Message();
  Log(kLogError, kGroupDbg, "Error %i: %.*s", static_cast<int>(failure.ErrorCode()),
      static_cast<int>(message.size()), message.data());
}

std::string RouteTemplateOf(std::string_view path,
                            std::span<const std::string_view> pathParameters) {
  std::string route;
  route.reserve(path.size() + 16);
  for (size_t i = 0; i < path.size(); ++i) {
    const bool marker = path[i] == '%' && i + 1 < path.size() && path[i + 1] >= '1' &&
                        path[i + 1] <= '9' &&
                        static_cast<size_t>(path[i + 1] - '1') < pathParameters.size();
    if (!marker) {
      route += path[i];
      continue;
    }
    route += '{';
    route += pathParameters[path[i + 1] - '1'];
    route += '}';
    ++i;
  }
  return route;
}

void EndpointTable::Refused(const Failure& failure) {
  FailAssertion("ALE-3D9A51C2", failure.Message(), __FILE__, __LINE__, __func__);
}

}  // namespace kiv::joust
