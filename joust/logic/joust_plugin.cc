#include "joust/logic/joust_plugin.h"

namespace kiv::joust {

JoustPlugin::JoustPlugin() : state_(std::make_unique<JoustPluginState>()) {}

JoustPlugin::~JoustPlugin() { state_.reset(); }

void JoustPlugin::RegisterApi() {}

bool JoustPlugin::Start() { return true; }

}  // namespace kiv::joust
