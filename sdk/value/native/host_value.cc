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
                                    ConversionStatus& status) {
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

void CountHostRecords(const BindingProperty& value, HostRecordCounts& counts) {
  std::vector<const BindingProperty*> walk{&value};
  while (!walk.empty()) {
    const BindingProperty* node = walk.back();
    walk.pop_back();
    counts.items += node->Elements().size();
    counts.members += node->Members().size();
    for (const BindingProperty& element : node->Elements()) {
      if (element.IsCollection() || element.IsStructure()) walk.push_back(&element);
    }
    for (const BindingMember& member : node->Members()) {
      const BindingProperty& child = member.Value();
      if (child.IsCollection() || child.IsStructure()) walk.push_back(&child);
    }
  }
}

void WriteHostRecords(const BindingProperty& value, HostValue& root, HostRecordCursor& cursor) {
  struct Step {
    const BindingProperty* source;
    HostValue* target;
  };
  std::vector<Step> pending{{&value, &root}};
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
        SetHostBool(target, source.GetBool());
        break;
      case ValueKind::kSigned:
        SetHostSigned(target, source.GetSigned());
        break;
      case ValueKind::kUnsigned:
        SetHostUnsigned(target, source.GetUnsigned());
        break;
      case ValueKind::kFloat:
        SetHostFloat(target, source.GetFloat());
        break;
      case ValueKind::kString:
        SetHostText(target, source.GetCString(), source.Size());  // interned, NUL-terminated
        break;
      case ValueKind::kBlob: {
        const std::span<const uint8_t> bytes = source.GetBlob();
        SetHostBytes(target, bytes.data(), bytes.size());
        break;
      }
      case ValueKind::kEnum: {
        const EnumValue enumValue = source.GetEnum();
        SetHostEnum(target, enumValue.type, enumValue.number);
        break;
      }
      case ValueKind::kCollection: {
        const std::span<const BindingProperty> elements = source.Elements();
        HostValue* items = cursor.TakeItems(elements.size());
        SetHostCollection(target, items, elements.size());
        for (size_t i = 0; i < elements.size(); ++i) pending.push_back({&elements[i], &items[i]});
        break;
      }
      case ValueKind::kStructure: {
        const std::span<const BindingMember> members = source.Members();
        HostMember* slots = cursor.TakeMembers(members.size());
        SetHostStructure(target, slots, members.size());
        for (size_t i = 0; i < members.size(); ++i) {
          slots[i].name = members[i].CName();
          pending.push_back({&members[i].Value(), &slots[i].value});
        }
        break;
      }
    }
  }
}

void SetHostEnum(HostValue& target, const EnumDescription* type, int32_t number) {
  const char* registered = type ? type->NameOf(number) : nullptr;
  if (registered) {
    // The enum's description lives for the process.
    SetHostText(target, registered, std::strlen(registered));
  } else {
    SetHostSigned(target, number);
  }
}

HostRecordCursor HostRecordArrays::Allocate(HostRecordCounts counts) {
  HostRecordCursor cursor{inlineItems_, inlineMembers_};
  if (counts.items <= kInlineItems && counts.members <= kInlineMembers) return cursor;
  // One block for the arrays that do not fit inline, members first for their
  // pointer alignment. Every record is written by the second pass, so none is
  // zeroed first.
  static_assert(alignof(HostMember) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
  static_assert(alignof(HostValue) == 1, "HostValue is packed");
  const size_t memberBytes =
      counts.members > kInlineMembers ? counts.members * sizeof(HostMember) : 0;
  const size_t itemBytes = counts.items > kInlineItems ? counts.items * sizeof(HostValue) : 0;
  block_ = std::make_unique_for_overwrite<std::byte[]>(memberBytes + itemBytes);
  if (memberBytes != 0) {
    cursor.nextMember = std::launder(reinterpret_cast<HostMember*>(block_.get()));
  }
  if (itemBytes != 0) {
    cursor.nextItem = std::launder(reinterpret_cast<HostValue*>(block_.get() + memberBytes));
  }
  return cursor;
}

HostValueTree::HostValueTree(BindingProperty value) : source_(std::move(value)) {
  HostRecordCounts counts;
  CountHostRecords(source_, counts);
  HostRecordCursor cursor = arrays_.Allocate(counts);
  WriteHostRecords(source_, root_, cursor);
}

}  // namespace kiv
