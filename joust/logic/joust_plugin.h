// joust_plugin.h: the plugin's module class.
//
// `JoustPlugin` is the `AppModule` that the load call creates. It owns the
// tournament state object and fills the module's registration and start hooks.
#pragma once

#include <memory>

#include "joust/logic/joust_plugin_state.h"
#include "sdk/runtime/app_module.h"

namespace kiv::joust {

class JoustPlugin final : public AppModule {
 public:
  JoustPlugin();
  /// Destroys the state object first, then the module part.
  ~JoustPlugin() override;

  void RegisterApi() override;
  bool Start() override;

  JoustPluginState& state() { return *state_; }

 private:
  std::unique_ptr<JoustPluginState> state_;
};

/// The plugin's short name.
inline constexpr const char* kJoustShortName = "kiv-joust";

}  // namespace kiv::joust
