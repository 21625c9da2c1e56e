// json_writer.h: BindingProperty to JSON text, compact or pretty.
//
// Empty writes null (an empty root writes the empty text), floats in their
// shortest round-trip form with ".0" when integral, blobs as Base64 strings,
// enums by their registered name when asked and when the number has one,
// else as the number; structures in key order. Non-finite floats are
// refused: null is written in their place so the text stays well-formed,
// and RefusedNonFinite() reports it. Control characters are escaped as
// \b \t \n \f \r or \u00XX (upper-case hex); "/" and UTF-8 are copied.
//
// Not for: reading (json_reader.h) or Failure texts (Failure::ToString).
//
//   std::string compact = WriteJson(value);                         // {"a":1}
//   std::string pretty = WriteJson(value, {.lineBreak = "\r\n"});   // 4-space indent
//   CompactJsonWriter writer;  WalkValue(value, writer);  writer.TakeText();
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "sdk/codec/base64.h"
#include "sdk/codec/internal/rapidjson.h"
#include "sdk/codec/value_writer.h"
#include "sdk/value/enum_description.h"

namespace kiv {

struct JsonWriteOptions {
  /// Empty: the compact form, no white space. Otherwise the pretty form with
  /// four spaces per level, every line break replaced by this text.
  std::string_view lineBreak;
  /// Write an enum by its registered name when its number has one.
  bool enumNames = true;
};

/// The JSON text of `value`; the empty text for an empty root.
std::string WriteJson(const BindingProperty& value, const JsonWriteOptions& options = {});

namespace codec_internal {

/// RapidJSON's compact Writer, plus writing a member name that is already
/// quoted and escaped with one copy.
class KeyCopyingWriter : public rapidjson::Writer<rapidjson::StringBuffer> {
 public:
  using Writer::Writer;
  void QuotedKey(std::string_view quoted) {
    Prefix(rapidjson::kStringType);
    std::memcpy(os_->Push(quoted.size()), quoted.data(), quoted.size());
  }
};

/// The quoted form of the member names a compact writer met, by the address
/// of their interned text: names repeat in every record of a list, so each is
/// scanned for escapes once per document.
class QuotedNames {
 public:
  /// The quoted name, or an empty view when `name` needs escapes (write it
  /// the slow way then).
  std::string_view Find(std::string_view name) {
    Entry& entry = entries_[(reinterpret_cast<uintptr_t>(name.data()) >> 3) & (kEntries - 1)];
    if (entry.name == name.data() && entry.length == name.size() + 2) {
      return {text_.data() + entry.offset, entry.length};
    }
    for (const char c : name) {
      if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\') return {};
    }
    entry = {name.data(), static_cast<uint32_t>(text_.size()),
             static_cast<uint32_t>(name.size() + 2)};
    text_ += '"';
    text_ += name;
    text_ += '"';
    return {text_.data() + entry.offset, entry.length};
  }

 private:
  static constexpr size_t kEntries = 64;
  struct Entry {
    const char* name = nullptr;
    uint32_t offset = 0;
    uint32_t length = 0;
  };
  Entry entries_[kEntries];
  std::string text_;
};

}  // namespace codec_internal

/// A ValueWriter over one of RapidJSON's writers (Writer or PrettyWriter).
template <typename RapidWriter>
class JsonWriter final : public ValueWriter {
 public:
  explicit JsonWriter(bool enumNames = true) : writer_(buffer_), enumNames_(enumNames) {}

  void WriteNull() override {
    if (depth_ > 0) writer_.Null();  // an empty root is the empty text
  }
  void WriteBool(bool value) override { writer_.Bool(value); }
  // Numbers that fit 32 bits take RapidJSON's shorter conversions.
  void WriteSigned(int64_t value) override {
    if (value >= INT32_MIN && value <= INT32_MAX) {
      writer_.Int(static_cast<int>(value));
    } else {
      writer_.Int64(value);
    }
  }
  void WriteUnsigned(uint64_t value) override {
    if (value <= UINT32_MAX) {
      writer_.Uint(static_cast<unsigned>(value));
    } else {
      writer_.Uint64(value);
    }
  }
  void WriteFloat(double value) override {
    if (std::isfinite(value)) {
      writer_.Double(value);
    } else {
      refusedNonFinite_ = true;
      writer_.Null();
    }
  }
  void WriteString(std::string_view text) override {
    writer_.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  }
  void WriteBlob(std::span<const uint8_t> bytes) override {
    scratch_.clear();
    AppendBase64(bytes, scratch_);
    WriteString(scratch_);
  }
  void WriteEnum(int32_t number, const EnumDescription* type) override {
    const char* name = enumNames_ && type != nullptr ? type->NameOf(number) : nullptr;
    if (name != nullptr) {
      writer_.String(name);
    } else {
      writer_.Int64(number);
    }
  }
  void BeginCollection(size_t) override {
    ++depth_;
    writer_.StartArray();
  }
  void BeginElement(size_t) override {}
  void EndElement(size_t) override {}
  void EndCollection() override {
    --depth_;
    writer_.EndArray();
  }
  void BeginStructure(size_t) override {
    ++depth_;
    writer_.StartObject();
  }
  void WriteKey(std::string_view name) override {
    if constexpr (std::is_same_v<RapidWriter, codec_internal::KeyCopyingWriter>) {
      if (const std::string_view quoted = quotedNames_.Find(name); !quoted.empty()) {
        return writer_.QuotedKey(quoted);
      }
    }
    writer_.Key(name.data(), static_cast<rapidjson::SizeType>(name.size()));
  }
  void EndMember() override {}
  void EndStructure() override {
    --depth_;
    writer_.EndObject();
  }

  /// True when a NaN or infinity was written as null.
  bool RefusedNonFinite() const { return refusedNonFinite_; }
  std::string_view Text() const { return {buffer_.GetString(), buffer_.GetSize()}; }
  std::string TakeText() const { return std::string(Text()); }

 private:
  rapidjson::StringBuffer buffer_;
  RapidWriter writer_;
  std::string scratch_;
  [[no_unique_address]] std::conditional_t<
      std::is_same_v<RapidWriter, codec_internal::KeyCopyingWriter>, codec_internal::QuotedNames,
      std::monostate>
      quotedNames_;
  size_t depth_ = 0;
  bool enumNames_;
  bool refusedNonFinite_ = false;
};

using CompactJsonWriter = JsonWriter<codec_internal::KeyCopyingWriter>;
using PrettyJsonWriter = JsonWriter<rapidjson::PrettyWriter<rapidjson::StringBuffer>>;

}  // namespace kiv
