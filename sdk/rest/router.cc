#include "sdk/rest/router.h"

#include "sdk/rest/identifier.h"
#include "sdk/value/format_message.h"

namespace kiv {
namespace {

const char* MethodName(uint32_t method) {
  static constexpr const char* kNames[] = {"",        "DELETE", "GET",  "HEAD",
                                           "OPTIONS", "PATCH",  "POST", "PUT"};
  return method < std::size(kNames) ? kNames[method] : "";
}

}  // namespace

Router::Router(TypeRegistry& registry, std::vector<std::string> nameSpace,
               std::vector<std::string> tags)
    : registry_(registry), nameSpace_(std::move(nameSpace)), tags_(std::move(tags)) {}

Router& Router::WithCustomMethod(std::string name) {
  pendingCustomMethod_ = std::move(name);
  return *this;
}

Router& Router::WithDescription(std::string text) {
  pendingDescription_ = std::move(text);
  return *this;
}

MaybeType<Failure, Endpoint*> Router::RegisterBuiltin(std::string name, std::string description) {
  return Add(0, "", {}, TypeReference{}, nullptr, {"$builtin"}, std::move(name),
             std::move(description), true);
}

MaybeType<Failure, Endpoint*> Router::Add(uint32_t method, std::string_view urlTemplate,
                                          std::vector<ArgumentDescription> arguments,
                                          TypeReference result, EndpointInvoker invoke,
                                          std::vector<std::string> nameSpace, std::string name,
                                          std::string description, bool builtin) {
  auto endpoint = std::make_unique<Endpoint>();
  endpoint->method = method;
  if (method == KIV_METHOD_CUSTOM) endpoint->customMethod = std::move(pendingCustomMethod_);
  pendingCustomMethod_.clear();
  endpoint->route = MakeRoute(method, endpoint->customMethod, urlTemplate, endpoint.get());
  // A custom method contributes its own name to the function name.
  const std::string methodName =
      method == KIV_METHOD_CUSTOM ? endpoint->customMethod : std::string(MethodName(method));
  endpoint->functionName = builtin
                               ? std::move(name)
                               : MakeFunctionName(methodName, endpoint->route.compiled.urlTemplate);
  endpoint->nameSpace = std::move(nameSpace);
  endpoint->arguments = arguments;
  endpoint->invoke = std::move(invoke);
  endpoint->builtin = builtin;
  endpoint->router = this;

  FunctionDescription function;
  function.name = endpoint->functionName;
  function.nameSpace = endpoint->nameSpace;
  function.arguments = std::move(arguments);
  function.result = result;
  function.description = std::move(description);
  function.tags = builtin ? std::vector<std::string>{} : tags_;
  endpoint->functionIndex = registry_.Functions().size();
  if (!registry_.RegisterFunction(std::move(function))) {
    return Fail(
        Failure(500, FormatMessage("Function %1 is already registered", endpoint->functionName)));
  }
  endpoints_.push_back(std::move(endpoint));
  return endpoints_.back().get();
}

}  // namespace kiv
