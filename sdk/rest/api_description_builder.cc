#include "sdk/rest/api_description_builder.h"
#include "sdk/value/conversion_status.h"

#include "sdk/registry/help_builder.h"
#include "sdk/rest/dispatch.h"
#include "sdk/value/native/convert.h"

namespace kiv {
namespace {

template <typename Help>
BindingProperty HelpValue(const Help& help) {
  ConversionStatus status;
  BindingProperty value;
  ToValue(help, value, status);
  return status.IsValid() ? std::move(value) : std::move(status);
}

}  // namespace

const char* ApiDescriptionStorage::Keep(std::string text) {
  return texts_.emplace_back(std::move(text)).c_str();
}

const HostValue& ApiDescriptionStorage::KeepValue(const BindingProperty& value) {
  return trees_.emplace_back(std::make_unique<HostValueTree>(value))->Root();
}

std::unique_ptr<ApiDescriptionStorage> BuildApiDescription(const Router& router) {
  auto storage = std::make_unique<ApiDescriptionStorage>();
  const TypeRegistry& registry = router.registry();
  for (const auto& endpoint : router.endpoints()) {
    ApiFunction function{};
    function.name = storage->Keep(endpoint->functionName);
    function.nameSpace = storage->Keep(JoinNameSpace(endpoint->nameSpace));
    function.method = endpoint->method;
    function.customMethod = storage->Keep(endpoint->customMethod);
    function.urlTemplate = storage->Keep(endpoint->route.compiled.urlTemplate);
    function.callback = &OnIncomingRequest;
    function.userData = endpoint.get();
    if (endpoint->functionIndex < registry.Functions().size()) {
      function.help = storage->KeepValue(
          HelpValue(FullFunctionHelp(registry.Functions()[endpoint->functionIndex], registry)));
    }
    storage->functions_.push_back(function);
  }
  for (const TypeDescription& type : registry.Types()) {
    storage->types_.push_back(storage->KeepValue(HelpValue(FullTypeHelp(type, registry))));
  }
  for (const EventDescription& event : registry.Events()) {
    storage->events_.push_back(storage->KeepValue(HelpValue(FullEventHelp(event, registry))));
  }
  ApiDescription& description = storage->description_;
  description.functions = storage->functions_.data();
  description.functionCount = static_cast<uint32_t>(storage->functions_.size());
  description.types = storage->types_.data();
  description.typeCount = static_cast<uint32_t>(storage->types_.size());
  description.events = storage->events_.data();
  description.eventCount = static_cast<uint32_t>(storage->events_.size());
  return storage;
}

}  // namespace kiv
