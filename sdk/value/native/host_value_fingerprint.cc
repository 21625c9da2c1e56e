#include "sdk/value/native/host_value_fingerprint.h"

#include <vector>

namespace kiv {
namespace {

// A value still to digest, with the member name that comes before it.
struct PendingValue {
  const HostValue* value;
  const char* memberName;
  bool isMember;
};

// The values still to digest: the first 64 inline, more on the heap (a
// digest is taken per publication, so the common case allocates nothing).
class PendingValues {
 public:
  void Push(PendingValue value) {
    if (size_ < kInline) {
      inline_[size_++] = value;
    } else {
      spill_.push_back(value);
    }
  }
  bool Pop(PendingValue& value) {
    if (!spill_.empty()) {
      value = spill_.back();
      spill_.pop_back();
      return true;
    }
    if (size_ == 0) return false;
    value = inline_[--size_];
    return true;
  }

 private:
  static constexpr size_t kInline = 64;
  PendingValue inline_[kInline];
  size_t size_ = 0;
  std::vector<PendingValue> spill_;
};

}  // namespace

void ValueDigest::Float(double value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  Word(KIV_VALUE_FLOAT);
  Word(bits);
}

void ValueDigest::Text(const char* data, size_t size) {
  const void* end = data ? std::memchr(data, 0, size) : nullptr;
  const size_t length = !data ? 0
                        : end ? static_cast<size_t>(static_cast<const char*>(end) - data)
                              : size;
  Word(KIV_VALUE_TEXT);
  Bytes(data, length);
}

void ValueDigest::Blob(const void* data, size_t size) {
  Word(KIV_VALUE_BYTES);
  Bytes(data, data ? size : 0);
}

void ValueDigest::Bytes(const void* data, size_t size) {
  Word(size);
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (; size >= 8; bytes += 8, size -= 8) {
    uint64_t chunk = 0;
    std::memcpy(&chunk, bytes, 8);
    Word(chunk);
  }
  if (size != 0) {
    uint64_t tail = 0;
    std::memcpy(&tail, bytes, size);
    Word(tail);
  }
}

void ValueDigest::Value(const HostValue& root) {
  PendingValues pending;
  pending.Push({&root, nullptr, false});
  PendingValue next{};
  while (pending.Pop(next)) {
    if (next.isMember) MemberName(next.memberName);
    const HostValue& value = *next.value;
    switch (value.tag) {
      case KIV_VALUE_EMPTY:
        Empty();
        break;
      case KIV_VALUE_BOOL:
        Bool(value.u.boolean != 0);
        break;
      case KIV_VALUE_SIGNED:
        Signed(value.u.signedValue);
        break;
      case KIV_VALUE_UNSIGNED:
        Unsigned(value.u.unsignedValue);
        break;
      case KIV_VALUE_FLOAT:
        Float(value.u.floatValue);
        break;
      case KIV_VALUE_TEXT:
      case KIV_VALUE_TEXT_ALT:
        Text(value.u.text.data, value.u.text.size);
        break;
      case KIV_VALUE_BYTES:
      case KIV_VALUE_BYTES_ALT:
        Blob(value.u.bytes.data, value.u.bytes.size);
        break;
      case KIV_VALUE_COLLECTION:
        Collection(value.u.collection.count);
        // Pushed last to first, so that items are digested in their order.
        for (uint32_t i = value.u.collection.count; i > 0; --i) {
          pending.Push({&value.u.collection.items[i - 1], nullptr, false});
        }
        break;
      case KIV_VALUE_STRUCTURE:
        Structure(value.u.structure.count);
        for (uint32_t i = value.u.structure.count; i > 0; --i) {
          const HostMember& member = value.u.structure.members[i - 1];
          pending.Push({&member.value, member.name, true});
        }
        break;
      default:
        Unknown(value.tag);
        break;
    }
  }
}

uint64_t ValueDigest::Finish() const {
  uint64_t value = state_;
  value ^= value >> 33;
  value *= 0xC4CEB9FE1A85EC53ull;
  value ^= value >> 33;
  return value;
}

}  // namespace kiv
