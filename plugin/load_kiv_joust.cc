// The plugin library's one exported function.
#include <memory>

#include "joust/api/register_endpoints.h"
#include "joust/logic/joust_plugin.h"
#include "kiv_plugin_abi.h"

extern "C" __attribute__((visibility("default"))) void load_kiv_joust(PluginLoadRecord* record) {
  if (!record) return;
  // A failed allocation ends the process inside `new`; the handshake needs a
  // module to write into, so there is no partial load to report.
  auto plugin = std::make_unique<kiv::joust::JoustPlugin>(&kiv::joust::RegisterJoustEndpoints);
  plugin->Load(*record, kiv::joust::kJoustShortName);
  plugin.release();  // owned by the host's module handle until Shutdown
}
