// joust_plugin_state.h: the one object that holds everything the tournament
// logic knows. Owned by `JoustPlugin`; handlers change it and then run the
// publication pass.
#pragma once

namespace kiv::joust {

class JoustPluginState {
 public:
  virtual ~JoustPluginState() = default;
};

}  // namespace kiv::joust
