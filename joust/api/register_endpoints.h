// register_endpoints.h: the plugin's 64 endpoints, declared in one pass in a
// fixed order: the views and queries, the acknowledgements and refresh, then
// the roster commands. The plugin entry hands RegisterJoustEndpoints to the
// plugin object, whose registration hook calls it after the type model.
#pragma once

#include "joust/logic/joust_plugin.h"

namespace kiv::joust {

void RegisterJoustEndpoints(JoustPlugin& plugin);

}  // namespace kiv::joust
