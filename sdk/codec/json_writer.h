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
#include <span>
#include <string>
#include <string_view>

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

/// A ValueWriter over one of RapidJSON's writers (Writer or PrettyWriter).
template <typename RapidWriter>
class JsonWriter final : public ValueWriter {
 public:
  explicit JsonWriter(bool enumNames = true) : writer_(buffer_), enumNames_(enumNames) {}

  void WriteNull() override {
    if (depth_ > 0) writer_.Null();  // an empty root is the empty text
  }
  void WriteBool(bool value) override { writer_.Bool(value); }
  void WriteSigned(int64_t value) override { writer_.Int64(value); }
  void WriteUnsigned(uint64_t value) override { writer_.Uint64(value); }
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
  size_t depth_ = 0;
  bool enumNames_;
  bool refusedNonFinite_ = false;
};

using CompactJsonWriter = JsonWriter<rapidjson::Writer<rapidjson::StringBuffer>>;
using PrettyJsonWriter = JsonWriter<rapidjson::PrettyWriter<rapidjson::StringBuffer>>;

}  // namespace kiv
