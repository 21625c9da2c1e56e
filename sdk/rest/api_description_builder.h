// api_description_builder.h: the API description the module hands the host
// at load: every endpoint (with the request callback and the endpoint as its
// user data), every registered type and every event, each with the host form
// of its "Full" help record.
//
// Not for: help requests at run time (the built-in "Help" builds its answer
// from the registry when asked).
//
//   auto description = BuildApiDescription(router);
//   record.api = &description->Description();
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "kiv_plugin_abi.h"
#include "sdk/rest/router.h"
#include "sdk/value/native/host_value.h"

namespace kiv {

/// The description and everything it points to.
class ApiDescriptionStorage {
 public:
  const ApiDescription& Description() const { return description_; }

 private:
  friend std::unique_ptr<ApiDescriptionStorage> BuildApiDescription(const Router& router);
  const char* Keep(std::string text);
  const HostValue& KeepValue(const BindingProperty& value);

  ApiDescription description_{};
  std::vector<ApiFunction> functions_;
  std::vector<HostValue> types_;
  std::vector<HostValue> events_;
  std::deque<std::string> texts_;
  std::deque<std::unique_ptr<HostValueTree>> trees_;
};

/// Describes the router's endpoints and its registry's types and events.
std::unique_ptr<ApiDescriptionStorage> BuildApiDescription(const Router& router);

}  // namespace kiv
