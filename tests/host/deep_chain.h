// deep_chain.h: a HostValue nested `depth` levels deep, for tests that
// show a walk over host values does not recurse.
#pragma once

#include <vector>

#include "kiv_plugin_abi.h"

namespace kiv::host {

/// Each element is a one-item collection holding the next; the last one is
/// left empty. The tree's root is element 0.
inline std::vector<HostValue> DeepChain(int depth) {
  std::vector<HostValue> chain(depth);
  for (int i = 0; i + 1 < depth; ++i) {
    chain[i].tag = KIV_VALUE_COLLECTION;
    chain[i].u.collection.items = &chain[i + 1];
    chain[i].u.collection.count = 1;
  }
  return chain;
}

}  // namespace kiv::host
