#include "host/owned_host_value.h"

#include <cstring>
#include <utility>
#include <vector>

namespace kiv::host {

namespace {

const char* TextOf(const HostValue& value) { return value.u.text.data ? value.u.text.data : ""; }
uint32_t ItemCountOf(const HostValue& value) {
  return value.u.collection.items ? value.u.collection.count : 0;
}
uint32_t MemberCountOf(const HostValue& value) {
  return value.u.structure.members ? value.u.structure.count : 0;
}

// The next `count` records of an array filled in order; null for none.
template <typename Record>
Record* Take(Record*& next, uint32_t count) {
  if (count == 0) return nullptr;
  Record* taken = next;
  next += count;
  return taken;
}

}  // namespace

OwnedHostValue::OwnedHostValue(const HostValue& value) {
  // First pass: the records and bytes of the whole tree, so that each lands
  // in one of three arrays instead of an allocation of its own.
  size_t itemCount = 0;
  size_t memberCount = 0;
  size_t byteCount = 0;
  // The length of every text and member name in the order the second pass,
  // which walks the same way, meets them: each is measured once.
  std::vector<uint32_t> lengths;
  std::vector<const HostValue*> walk{&value};
  while (!walk.empty()) {
    const HostValue& node = *walk.back();
    walk.pop_back();
    switch (node.tag) {
      case KIV_VALUE_TEXT:
      case KIV_VALUE_TEXT_ALT:
        lengths.push_back(static_cast<uint32_t>(strnlen(TextOf(node), node.u.text.size)));
        byteCount += lengths.back() + 1;
        break;
      case KIV_VALUE_BYTES:
      case KIV_VALUE_BYTES_ALT:
        byteCount += node.u.bytes.data ? node.u.bytes.size : 0;
        break;
      case KIV_VALUE_COLLECTION:
        itemCount += ItemCountOf(node);
        for (uint32_t i = 0; i < ItemCountOf(node); ++i)
          walk.push_back(&node.u.collection.items[i]);
        break;
      case KIV_VALUE_STRUCTURE:
        memberCount += MemberCountOf(node);
        for (uint32_t i = 0; i < MemberCountOf(node); ++i) {
          const HostMember& member = node.u.structure.members[i];
          lengths.push_back(static_cast<uint32_t>(member.name ? std::strlen(member.name) : 0));
          byteCount += lengths.back() + 1;
          walk.push_back(&member.value);
        }
        break;
      default:
        break;
    }
  }
  // Every record and byte is written below, so none is zeroed first.
  if (itemCount != 0) items_ = std::make_unique_for_overwrite<HostValue[]>(itemCount);
  if (memberCount != 0) members_ = std::make_unique_for_overwrite<HostMember[]>(memberCount);
  if (byteCount != 0) bytes_ = std::make_unique_for_overwrite<char[]>(byteCount);
  const uint32_t* nextLength = lengths.data();
  HostValue* nextItem = items_.get();
  HostMember* nextMember = members_.get();
  char* nextByte = bytes_.get();
  // Copies `size` bytes and a NUL; returns where they landed.
  const auto keep = [&nextByte](const char* data, size_t size) {
    char* kept = nextByte;
    if (size != 0) std::memcpy(kept, data, size);
    kept[size] = '\0';
    nextByte += size + 1;
    return kept;
  };

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
        const char* data = TextOf(*source);
        const size_t size = *nextLength++;
        target->u.text.data = keep(data, size);
        target->u.text.size = static_cast<uint32_t>(size);
        break;
      }
      case KIV_VALUE_BYTES:
      case KIV_VALUE_BYTES_ALT: {
        const auto* data = reinterpret_cast<const char*>(source->u.bytes.data);
        const size_t size = data ? source->u.bytes.size : 0;
        char* kept = nextByte;
        if (size != 0) std::memcpy(kept, data, size);
        nextByte += size;
        target->u.bytes.data = reinterpret_cast<const uint8_t*>(size != 0 ? kept : "");
        target->u.bytes.size = static_cast<uint32_t>(size);
        break;
      }
      case KIV_VALUE_COLLECTION: {
        const uint32_t count = ItemCountOf(*source);
        HostValue* items = Take(nextItem, count);
        target->u.collection = {items, count};
        for (uint32_t i = 0; i < count; ++i) {
          work.emplace_back(&source->u.collection.items[i], &items[i]);
        }
        break;
      }
      case KIV_VALUE_STRUCTURE: {
        const uint32_t count = MemberCountOf(*source);
        HostMember* members = Take(nextMember, count);
        target->u.structure = {members, count};
        for (uint32_t i = 0; i < count; ++i) {
          const HostMember& from = source->u.structure.members[i];
          const char* name = from.name ? from.name : "";
          members[i].name = keep(name, *nextLength++);
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
