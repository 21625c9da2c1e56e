// tree_order.h: what every tree a reader builds must hold, whatever the
// input: each structure's members strictly in name order (unsigned bytes),
// so that lookups by name find every member. Ends the process otherwise.
#pragma once

#include <cstdlib>
#include <vector>

#include "sdk/value/binding_property.h"

namespace kiv::fuzz {

inline void AbortUnlessInNameOrder(const BindingProperty& root) {
  std::vector<const BindingProperty*> pending{&root};
  while (!pending.empty()) {
    const BindingProperty* value = pending.back();
    pending.pop_back();
    const BindingMember* previous = nullptr;
    for (const BindingMember& member : value->Members()) {
      // string_view compares as unsigned char through char_traits<char>.
      if (previous && !(previous->Name() < member.Name())) std::abort();
      if (value->FindMember(member.Name()) != &member.Value()) std::abort();
      previous = &member;
      pending.push_back(&member.Value());
    }
    for (const BindingProperty& element : value->Elements()) pending.push_back(&element);
  }
}

}  // namespace kiv::fuzz
