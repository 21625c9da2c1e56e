#include "host/owned_host_value.h"

#include <cstring>
#include <utility>

namespace kiv::host {

OwnedHostValue::OwnedHostValue(const HostValue& value) {
  // Each pending pair is (source, destination); children are copied shallowly
  // first and then fixed up from the work list.
  std::vector<std::pair<const HostValue*, HostValue*>> work{{&value, &root_}};
  while (!work.empty()) {
    auto [source, target] = work.back();
    work.pop_back();
    *target = *source;
    switch (source->tag) {
      case KIV_VALUE_TEXT:
      case KIV_VALUE_TEXT_ALT: {
        const char* data = source->u.text.data ? source->u.text.data : "";
        const std::string& text = texts_.emplace_back(data, strnlen(data, source->u.text.size));
        target->u.text.data = text.c_str();
        target->u.text.size = static_cast<uint32_t>(text.size());
        break;
      }
      case KIV_VALUE_BYTES:
      case KIV_VALUE_BYTES_ALT: {
        const auto* data = reinterpret_cast<const char*>(source->u.bytes.data);
        const std::string& bytes =
            texts_.emplace_back(data ? std::string(data, source->u.bytes.size) : std::string());
        target->u.bytes.data = reinterpret_cast<const uint8_t*>(bytes.data());
        break;
      }
      case KIV_VALUE_COLLECTION: {
        const uint32_t count = source->u.collection.items ? source->u.collection.count : 0;
        auto& items = items_.emplace_back(count);
        target->u.collection.items = items.data();
        target->u.collection.count = count;
        for (uint32_t i = 0; i < count; ++i) {
          work.emplace_back(&source->u.collection.items[i], &items[i]);
        }
        break;
      }
      case KIV_VALUE_STRUCTURE: {
        const uint32_t count = source->u.structure.members ? source->u.structure.count : 0;
        auto& members = members_.emplace_back(count);
        target->u.structure.members = members.data();
        target->u.structure.count = count;
        for (uint32_t i = 0; i < count; ++i) {
          const HostMember& from = source->u.structure.members[i];
          members[i].name = texts_.emplace_back(from.name ? from.name : "").c_str();
          work.emplace_back(&from.value, &members[i].value);
        }
        break;
      }
      default:
        break;
    }
  }
}

}  // namespace kiv::host

namespace kiv::host {

OwnedHostValue MakeTextValue(std::string_view text) {
  HostValue value{};
  value.tag = KIV_VALUE_TEXT;
  value.u.text.data = text.data();
  value.u.text.size = static_cast<uint32_t>(text.size());
  return OwnedHostValue(value);
}

OwnedHostValue MakeTextStructure(const std::vector<std::pair<std::string, std::string>>& members) {
  std::vector<HostMember> entries(members.size());
  for (size_t i = 0; i < members.size(); ++i) {
    entries[i].name = members[i].first.c_str();
    entries[i].value.tag = KIV_VALUE_TEXT;
    entries[i].value.u.text.data = members[i].second.data();
    entries[i].value.u.text.size = static_cast<uint32_t>(members[i].second.size());
  }
  HostValue value{};
  value.tag = KIV_VALUE_STRUCTURE;
  value.u.structure.members = entries.data();
  value.u.structure.count = static_cast<uint32_t>(entries.size());
  return OwnedHostValue(value);
}

}  // namespace kiv::host
