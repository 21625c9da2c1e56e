#include "sdk/value/native/host_value.h"

#include <cstring>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sdk/value/enum_description.h"
#include "sdk/value/format_message.h"

namespace kiv {
namespace {

std::string_view HostText(const HostValue& value) {
  const char* data = value.u.text.data;
  if (data == nullptr) return {};
  return std::string_view(data, strnlen(data, value.u.text.size));
}

struct IncomingStep {
  const HostValue* source;
  BindingProperty* target;
};

}  // namespace

BindingProperty HostValueToProperty(const HostValue& value, std::string_view name,
                                    BindingProperty& status) {
  BindingProperty root;
  if (!status.IsValid()) return root;
  // Every element and member is created before it is pushed, so the
  // references on the stack stay valid: their containers never grow again.
  std::vector<IncomingStep> pending{{&value, &root}};
  while (!pending.empty()) {
    const IncomingStep step = pending.back();
    pending.pop_back();
    const HostValue& source = *step.source;
    BindingProperty& target = *step.target;
    switch (source.tag) {
      case KIV_VALUE_EMPTY:
        target.Clear();
        break;
      case KIV_VALUE_BOOL:
        target = source.u.boolean != 0;
        break;
      case KIV_VALUE_SIGNED:
        target = source.u.signedValue;
        break;
      case KIV_VALUE_UNSIGNED:
        target = source.u.unsignedValue;
        break;
      case KIV_VALUE_FLOAT:
        target = source.u.floatValue;
        break;
      case KIV_VALUE_TEXT:
      case KIV_VALUE_TEXT_ALT:
        target = HostText(source);
        break;
      case KIV_VALUE_BYTES:
      case KIV_VALUE_BYTES_ALT: {
        const uint8_t* data = source.u.bytes.data;
        target = data ? Blob(data, data + source.u.bytes.size) : Blob();
        break;
      }
      case KIV_VALUE_COLLECTION: {
        target.SetEmptyCollection();
        const uint32_t count = source.u.collection.items ? source.u.collection.count : 0;
        if (count == 0) break;
        target.MutableElement(count - 1);
        const std::span<BindingProperty> elements = target.MutableElements();
        // Pushed in reverse so the elements are converted in order.
        for (uint32_t i = count; i-- > 0;) {
          pending.push_back({&source.u.collection.items[i], &elements[i]});
        }
        break;
      }
      case KIV_VALUE_STRUCTURE: {
        target.SetEmptyStructure();
        const HostMember* members = source.u.structure.members;
        const uint32_t count = members ? source.u.structure.count : 0;
        target.ReserveMembers(count);
        for (uint32_t i = 0; i < count; ++i)
          target.MutableMember(members[i].name ? members[i].name : "");
        // Now that no member is added any more, the last source of each name
        // is converted into it.
        std::unordered_map<BindingProperty*, const HostValue*> lastSource;
        lastSource.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
          lastSource[&target.MutableMember(members[i].name ? members[i].name : "")] =
              &members[i].value;
        }
        for (const auto& [member, memberSource] : lastSource)
          pending.push_back({memberSource, member});
        break;
      }
      default:
        status.SetError(FormatMessage(
            "Couldn't assign value to '%1' of type object because the input is of an incompatible "
            "type '%2'.",
            name, ""));
        root.Clear();
        return root;
    }
  }
  return root;
}

HostValueTree::HostValueTree(const BindingProperty& value) {
  struct Step {
    const BindingProperty* source;
    HostValue* target;
  };
  std::vector<Step> pending{{&value, &root_}};
  while (!pending.empty()) {
    const Step step = pending.back();
    pending.pop_back();
    const BindingProperty& source = *step.source;
    HostValue& target = *step.target;
    target = HostValue{};
    switch (source.Kind()) {
      case ValueKind::kEmpty:
        target.tag = KIV_VALUE_EMPTY;
        break;
      case ValueKind::kBool:
        target.tag = KIV_VALUE_BOOL;
        target.u.boolean = source.GetBool() ? 1 : 0;
        break;
      case ValueKind::kSigned:
        target.tag = KIV_VALUE_SIGNED;
        target.u.signedValue = source.GetSigned();
        break;
      case ValueKind::kUnsigned:
        target.tag = KIV_VALUE_UNSIGNED;
        target.u.unsignedValue = source.GetUnsigned();
        break;
      case ValueKind::kFloat:
        target.tag = KIV_VALUE_FLOAT;
        target.u.floatValue = source.GetFloat();
        break;
      case ValueKind::kString: {
        const std::string_view text = source.GetString();
        target.tag = KIV_VALUE_TEXT;
        target.u.text.data = KeepText(text);
        target.u.text.size = static_cast<uint32_t>(text.size());
        break;
      }
      case ValueKind::kBlob: {
        const std::span<const uint8_t> bytes = source.GetBlob();
        const char* kept =
            KeepText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        target.tag = KIV_VALUE_BYTES;
        target.u.bytes.data = reinterpret_cast<const uint8_t*>(kept);
        target.u.bytes.size = static_cast<uint32_t>(bytes.size());
        break;
      }
      case ValueKind::kEnum: {
        const EnumValue enumValue = source.GetEnum();
        const char* registered =
            enumValue.type ? enumValue.type->NameOf(enumValue.number) : nullptr;
        if (registered) {
          const std::string_view text(registered);
          target.tag = KIV_VALUE_TEXT;
          target.u.text.data = KeepText(text);
          target.u.text.size = static_cast<uint32_t>(text.size());
        } else {
          target.tag = KIV_VALUE_SIGNED;
          target.u.signedValue = enumValue.number;
        }
        break;
      }
      case ValueKind::kCollection: {
        const std::span<const BindingProperty> elements = source.Elements();
        target.tag = KIV_VALUE_COLLECTION;
        target.u.collection.count = static_cast<uint32_t>(elements.size());
        target.u.collection.items = elements.empty() ? nullptr : NewItems(elements.size());
        for (size_t i = 0; i < elements.size(); ++i) {
          pending.push_back({&elements[i], &target.u.collection.items[i]});
        }
        break;
      }
      case ValueKind::kStructure: {
        const std::span<const BindingMember> members = source.Members();
        target.tag = KIV_VALUE_STRUCTURE;
        target.u.structure.count = static_cast<uint32_t>(members.size());
        target.u.structure.members = members.empty() ? nullptr : NewMembers(members.size());
        for (size_t i = 0; i < members.size(); ++i) {
          HostMember& member = target.u.structure.members[i];
          member.name = KeepText(members[i].Name());
          pending.push_back({&members[i].Value(), &member.value});
        }
        break;
      }
    }
  }
}

const char* HostValueTree::KeepText(std::string_view text) {
  return texts_.emplace_back(text).c_str();
}

HostValue* HostValueTree::NewItems(size_t count) {
  return itemArrays_.emplace_back(std::make_unique<HostValue[]>(count)).get();
}

HostMember* HostValueTree::NewMembers(size_t count) {
  return memberArrays_.emplace_back(std::make_unique<HostMember[]>(count)).get();
}

}  // namespace kiv
