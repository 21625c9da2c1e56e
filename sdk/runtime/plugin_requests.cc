#include "sdk/runtime/plugin_requests.h"

#include "sdk/runtime/app_module.h"

namespace kiv {

const TypeRegistry& PluginRequests::Registry() const { return module_.typeRegistry(); }

}  // namespace kiv
