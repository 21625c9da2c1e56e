// value_walk.h: WalkValue, the non-recursive walk over a BindingProperty,
// as a template so that a final writer type is called without virtual
// dispatch.
//
// The order of calls is the ValueWriter contract (value_writer.h). `Writer`
// needs the sixteen ValueWriter operations; it need not derive from it.
//
// Not for: code that only has a ValueWriter& (use WriteValue).
//
//   CompactJsonWriter writer;
//   WalkValue(value, writer);
//   std::string text = writer.TakeText();
#pragma once

#include <cstddef>

#include "sdk/value/binding_property.h"
#include "sdk/value/internal/small_stack.h"

namespace kiv {

template <typename Writer>
void WalkValue(const BindingProperty& root, Writer& writer) {
  struct Frame {
    const BindingProperty* elements;
    const BindingMember* members;
    size_t count;
    size_t next;
    bool isStructure;
  };
  value_internal::SmallStack<Frame> stack;  // no allocation below 32 levels
  const BindingProperty* node = &root;
  for (;;) {
    switch (node->Kind()) {
      case ValueKind::kEmpty:
        writer.WriteNull();
        break;
      case ValueKind::kBool:
        writer.WriteBool(node->GetBool());
        break;
      case ValueKind::kSigned:
        writer.WriteSigned(node->GetSigned());
        break;
      case ValueKind::kUnsigned:
        writer.WriteUnsigned(node->GetUnsigned());
        break;
      case ValueKind::kFloat:
        writer.WriteFloat(node->GetFloat());
        break;
      case ValueKind::kString:
        writer.WriteString(node->GetString());
        break;
      case ValueKind::kBlob:
        writer.WriteBlob(node->GetBlob());
        break;
      case ValueKind::kEnum: {
        const EnumValue enumValue = node->GetEnum();
        writer.WriteEnum(enumValue.number, enumValue.type);
        break;
      }
      case ValueKind::kCollection: {
        const auto elements = node->Elements();
        writer.BeginCollection(elements.size());
        stack.Push(Frame{elements.data(), nullptr, elements.size(), 0, false});
        break;
      }
      case ValueKind::kStructure: {
        const auto members = node->Members();
        writer.BeginStructure(members.size());
        stack.Push(Frame{nullptr, members.data(), members.size(), 0, true});
        break;
      }
    }
    // Close finished containers until one has a next child to visit.
    node = nullptr;
    while (!stack.Empty()) {
      Frame& frame = stack.Top();
      if (frame.isStructure) {
        if (frame.next > 0) writer.EndMember();
        if (frame.next < frame.count) {
          const BindingMember& member = frame.members[frame.next++];
          writer.WriteKey(member.Name());
          node = &member.Value();
          break;
        }
        writer.EndStructure();
      } else {
        if (frame.next > 0) writer.EndElement(frame.next - 1);
        if (frame.next < frame.count) {
          writer.BeginElement(frame.next);
          node = &frame.elements[frame.next++];
          break;
        }
        writer.EndCollection();
      }
      stack.Pop();
    }
    if (node == nullptr) return;
  }
}

}  // namespace kiv
