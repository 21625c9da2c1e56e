#include "host/endpoint_router.h"

#include <cstring>
#include <memory>
#include <string>

namespace kiv::host {
namespace {

bool IsBuiltin(const ApiFunction& function) {
  return function.nameSpace && std::strcmp(function.nameSpace, kBuiltinNameSpace) == 0;
}

}  // namespace

EndpointRouter::EndpointRouter(const ApiDescription& description) : description_(&description) {
  for (uint32_t i = 0; i < description.functionCount; ++i) {
    const ApiFunction& function = description.functions[i];
    if (IsBuiltin(function) || !function.urlTemplate || !*function.urlTemplate) continue;
    routes_.Add(function.method, function.customMethod ? function.customMethod : "",
                function.urlTemplate);
    functionOfRoute_.push_back(i);
  }
}

const ApiFunction* EndpointRouter::Find(uint32_t method, std::string_view customMethod,
                                        std::string_view path) const {
  if (!description_) return nullptr;
  path = path.substr(0, path.find('?'));
  const auto hit = routes_.Find(method, customMethod, path);
  if (!hit) return nullptr;
  return &description_->functions[functionOfRoute_[hit->index]];
}

const ApiFunction* EndpointRouter::FindBuiltin(std::string_view name) const {
  if (!description_) return nullptr;
  for (uint32_t i = 0; i < description_->functionCount; ++i) {
    const ApiFunction& function = description_->functions[i];
    if (IsBuiltin(function) && function.name && name == function.name) return &function;
  }
  return nullptr;
}

HostResponse CallEndpoint(const ApiFunction& function, const HostRequest& request,
                          uint64_t requestId, HeldRecords& keeper) {
  std::vector<HostHeader> headers;
  headers.reserve(request.headers.size());
  for (const auto& [name, value] : request.headers) {
    headers.push_back(HostHeader{name.c_str(), value.c_str()});
  }
  std::vector<HostMember> args;
  args.reserve(request.args.size());
  for (const RequestArgument& argument : request.args) {
    args.push_back(
        HostMember{argument.name ? argument.name->c_str() : nullptr, argument.value.root()});
  }
  IncomingRequest incoming{};
  incoming.method = request.method;
  incoming.customMethod = request.customMethod.c_str();
  incoming.url = request.url.c_str();
  incoming.headers = headers.empty() ? nullptr : headers.data();
  incoming.headerCount = static_cast<uint32_t>(headers.size());
  incoming.args = args.empty() ? nullptr : args.data();
  incoming.argCount = static_cast<uint32_t>(args.size());
  incoming.body =
      request.body.empty() ? nullptr : reinterpret_cast<const uint8_t*>(request.body.data());
  incoming.bodySize = static_cast<uint32_t>(request.body.size());
  incoming.contentType = request.contentType.c_str();
  incoming.requestId = requestId;

  // The plugin may find its storage by the record's address, so the record
  // is made where it will be kept.
  auto held = std::make_unique<HeldRecord>();
  function.callback(function.userData, &held->record, &incoming);
  return TakeResponse(std::move(held), keeper);
}

}  // namespace kiv::host
