// host_value_fingerprint.h: NativeFingerprint, a 64-bit digest of a native
// value's host form, so that a value can be compared with one sent earlier
// without keeping a copy of it, and without building its host form
// (NativeHostTree).
//
// Two values of one type whose host forms are the same give the same
// fingerprint; any difference gives another one but with a chance of about
// 2^-64. The value's type fixes its record members' names and its scalars'
// tags, which are left out, so compare fingerprints of values of one type
// only. A BindingProperty is digested through its host form, tags and
// member names included.
//
// Not for: anything where a collision is a security matter.
//
//   if (NativeFingerprint(roster) != lastSent) Send(NativeHostTree(roster).Root());
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "kiv_plugin_abi.h"
#include "sdk/value/native/native_host_tree.h"

namespace kiv {

/// The running digest: a host value is fed one call per record (containers
/// first, then their items or members in order), a native value word by word
/// (DigestNative).
class ValueDigest {
 public:
  void Empty() { Word(KIV_VALUE_EMPTY); }
  void Bool(bool value) {
    Word(KIV_VALUE_BOOL);
    Word(value ? 1 : 0);
  }
  void Signed(int64_t value) {
    Word(KIV_VALUE_SIGNED);
    Word(static_cast<uint64_t>(value));
  }
  void Unsigned(uint64_t value) {
    Word(KIV_VALUE_UNSIGNED);
    Word(value);
  }
  void Float(double value);
  /// Up to the first NUL or `size`.
  void Text(const char* data, size_t size);
  void Blob(const void* data, size_t size);
  void Collection(size_t count) {
    Word(KIV_VALUE_COLLECTION);
    Word(count);
  }
  void Structure(size_t count) {
    Word(KIV_VALUE_STRUCTURE);
    Word(count);
  }
  /// A structure member's name, before its value.
  void MemberName(const char* name) { Bytes(name, name ? std::strlen(name) : 0); }
  /// A record of an unknown tag.
  void Unknown(uint32_t tag) { Word(0xFFFF0000ull | tag); }
  /// A whole host value, walked with an explicit stack (any depth is safe).
  void Value(const HostValue& value);

  uint64_t Finish() const;

  // Each step is a bijection of the state for a given word, so two inputs
  // that differ in one word end in different states; Finish spreads the
  // bits.
  void Word(uint64_t word) { state_ = (std::rotl(state_, 5) ^ word) * 0x517CC1B727220A95ull; }
  /// Its size, then its bytes eight at a time.
  void Bytes(const void* data, size_t size);

 private:
  uint64_t state_ = 0x243F6A8885A308D3ull;
};

namespace native_fingerprint_internal {

using native_host_internal::ForEachInKeyOrder;
using native_host_internal::IsWritten;

/// What WriteNative writes, digested instead of written. The type is fixed,
/// so scalars go in as one word each without their tag, an enum as its
/// number (each named number has one name), and a record's fields in
/// registration order, an omissible one after whether it is written.
template <typename T>
void DigestNative(const T& native, ValueDigest& digest) {
  if constexpr (std::same_as<T, bool> || NativeInteger<T>) {
    digest.Word(static_cast<uint64_t>(native));
  } else if constexpr (std::is_floating_point_v<T>) {
    digest.Float(static_cast<double>(native));
  } else if constexpr (std::same_as<T, std::string> || NativeBlob<T>) {
    digest.Bytes(native.data(), native.size());
  } else if constexpr (std::same_as<T, BindingProperty>) {
    HostRecordArrays arrays;
    HostRecordCursor cursor(arrays);
    HostValue value{};
    WriteHostRecords(native, value, cursor);
    digest.Value(value);
  } else if constexpr (NativeOptional<T>) {
    digest.Word(native ? 1 : 0);
    if (native) DigestNative(*native, digest);
  } else if constexpr (NativeVector<T>) {
    digest.Word(native.size());
    for (const auto& element : native) DigestNative<VectorElement<T>>(element, digest);
  } else if constexpr (NativeStringMap<T>) {
    digest.Word(native.size());
    ForEachInKeyOrder(native, [&](const std::string& key, const auto& element) {
      digest.Bytes(key.data(), key.size());
      DigestNative(element, digest);
    });
  } else if constexpr (DescribedEnum<T>) {
    digest.Word(static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(native))));
  } else if constexpr (DescribedRecord<T>) {
    const auto digestField = [&](const auto& field) {
      if (field.flags & kOmitWhenBlank) {
        const bool written = IsWritten(native, field);
        digest.Word(written ? 1 : 0);
        if (!written) return;
      }
      DigestNative(native.*field.member, digest);
    };
    std::apply([&](const auto&... field) { (digestField(field), ...); }, kRecord<T>.fields);
  } else {
    static_assert(sizeof(T) == 0, "no native conversion: describe the type with kRecord or kEnum");
  }
}

}  // namespace native_fingerprint_internal

template <typename T>
uint64_t NativeFingerprint(const T& native) {
  ValueDigest digest;
  native_fingerprint_internal::DigestNative(native, digest);
  return digest.Finish();
}

}  // namespace kiv
