#include "sdk/value/native/host_value.h"

#include <algorithm>
#include <cstddef>
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
  const std::string* registered = type ? type->FindName(number) : nullptr;
  if (registered) {
    // The enum's description lives for the process.
    SetHostText(target, registered->c_str(), registered->size());
  } else {
    SetHostSigned(target, number);
  }
}

namespace {

// What each block begins with: the block added before it.
struct BlockHeader {
  std::unique_ptr<std::byte[]> previous;
};
constexpr size_t kHeaderBytes = (sizeof(BlockHeader) + alignof(std::max_align_t) - 1) /
                                alignof(std::max_align_t) * alignof(std::max_align_t);

}  // namespace

std::byte* HostRecordArrays::AddBlock(size_t count, size_t bytesEach, size_t& lastCount) {
  static_assert(alignof(HostMember) <= alignof(std::max_align_t));
  static_assert(alignof(HostValue) == 1, "HostValue is packed");
  lastCount = std::max(count, 2 * lastCount);
  // Records are written as they are handed out, so none is zeroed here.
  auto block = std::make_unique_for_overwrite<std::byte[]>(kHeaderBytes + lastCount * bytesEach);
  ::new (block.get()) BlockHeader{std::move(lastBlock_)};
  lastBlock_ = std::move(block);
  return lastBlock_.get() + kHeaderBytes;
}

HostRecordArrays::~HostRecordArrays() {
  // Iterative, so a form of many blocks never recurses.
  while (lastBlock_) {
    auto* header = std::launder(reinterpret_cast<BlockHeader*>(lastBlock_.get()));
    std::unique_ptr<std::byte[]> previous = std::move(header->previous);
    header->~BlockHeader();
    lastBlock_ = std::move(previous);
  }
}

HostValueTree::HostValueTree(BindingProperty value) : source_(std::move(value)) {
  HostRecordCursor cursor(arrays_);
  WriteHostRecords(source_, root_, cursor);
}

}  // namespace kiv
