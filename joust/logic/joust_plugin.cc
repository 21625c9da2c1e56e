#include "joust/logic/joust_plugin.h"

#include "joust/model/register_model.h"
#include "sdk/log/assertion.h"

namespace kiv::joust {

JoustPlugin::JoustPlugin() : state_(std::make_unique<JoustPluginState>()) {}

JoustPlugin::~JoustPlugin() { state_.reset(); }

void JoustPlugin::RegisterApi() {
  // A model the registry refuses would leave requests and events without
  // their types; that is a build fault, so it stops the load.
  if (auto registered = RegisterJoustModel(typeRegistry()); !registered.ok()) {
    FailAssertion("ALE-5B1C7E24", registered.failure().Message(), __FILE__, __LINE__, __func__);
  }
}

bool JoustPlugin::Start() { return true; }

}  // namespace kiv::joust
