#include "host/host_value_reader.h"

#include <cstring>
#include <limits>

namespace kiv::host {

const HostValue* FindMember(const HostValue& value, std::string_view name) {
  if (value.tag != KIV_VALUE_STRUCTURE || !value.u.structure.members) return nullptr;
  for (uint32_t i = 0; i < value.u.structure.count; ++i) {
    const HostMember& member = value.u.structure.members[i];
    if (member.name && name == member.name) return &member.value;
  }
  return nullptr;
}

std::optional<std::string_view> TextIf(const HostValue* value) {
  if (!value || (value->tag != KIV_VALUE_TEXT && value->tag != KIV_VALUE_TEXT_ALT)) {
    return std::nullopt;
  }
  if (!value->u.text.data) return std::string_view();
  return std::string_view(value->u.text.data, strnlen(value->u.text.data, value->u.text.size));
}

bool BoolOf(const HostValue* value) {
  return value && value->tag == KIV_VALUE_BOOL && value->u.boolean != 0;
}

std::optional<int64_t> IntegerIf(const HostValue* value) {
  if (!value) return std::nullopt;
  // Copied out first: the record is packed, so its numbers may be misaligned.
  const int64_t signedValue = value->u.signedValue;
  const uint64_t unsignedValue = value->u.unsignedValue;
  if (value->tag == KIV_VALUE_SIGNED) return signedValue;
  if (value->tag == KIV_VALUE_UNSIGNED &&
      unsignedValue <= uint64_t(std::numeric_limits<int64_t>::max())) {
    return static_cast<int64_t>(unsignedValue);
  }
  return std::nullopt;
}

std::span<const HostValue> ItemsOf(const HostValue* value) {
  if (!value || value->tag != KIV_VALUE_COLLECTION || !value->u.collection.items) return {};
  return {value->u.collection.items, value->u.collection.count};
}

}  // namespace kiv::host
