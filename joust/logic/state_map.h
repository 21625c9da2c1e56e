// state_map.h: StateMap, the hash map the plugin's state keeps its records in.
#pragma once

#include <functional>
#include <unordered_map>

namespace kiv::joust {

/// A hash map as the state keeps them: 8 initial buckets, load factor at
/// most 1.0.
template <typename K, typename V, typename Hash = std::hash<K>>
class StateMap : public std::unordered_map<K, V, Hash> {
 public:
  StateMap() : std::unordered_map<K, V, Hash>(8) { this->max_load_factor(1.0f); }
  /// Empties the map and gives it back its 8 buckets.
  void Reset() { *this = StateMap(); }
};

}  // namespace kiv::joust
