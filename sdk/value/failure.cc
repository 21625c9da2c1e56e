#include "sdk/value/failure.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>

namespace kiv {

Failure::Failure(uint32_t errorCode, std::string message) : ownedMessage_(std::move(message)) {
  SetErrorCode(errorCode);
}

Failure Failure::WithStaticMessage(uint32_t errorCode, const char* message) {
  Failure failure;
  failure.staticMessage_ = message;
  failure.SetErrorCode(errorCode);
  return failure;
}

void Failure::SetErrorCode(uint32_t errorCode) {
  errorCode_ = errorCode;
  if (errorCode != 0) {
    AddField("errorCode_int", static_cast<int64_t>(static_cast<int32_t>(errorCode)));
  }
}

void Failure::SetMessage(std::string message) {
  staticMessage_ = nullptr;
  ownedMessage_ = std::move(message);
}

Failure& Failure::AddFieldValue(std::string name, FieldValue value) {
  fields_.insert_or_assign(std::move(name), std::move(value));
  return *this;
}

Failure& Failure::AddField(std::string name, bool value) {
  return AddFieldValue(std::move(name), FieldValue(std::in_place_index<0>, value));
}
Failure& Failure::AddField(std::string name, double value) {
  return AddFieldValue(std::move(name), FieldValue(std::in_place_index<3>, value));
}
Failure& Failure::AddField(std::string name, std::string_view value) {
  return AddFieldValue(std::move(name), FieldValue(std::in_place_index<4>, value));
}
Failure& Failure::AddField(std::string name, const char* value) {
  return AddField(std::move(name), std::string_view(value ? value : ""));
}
Failure& Failure::AddField(std::string name, const std::string& value) {
  return AddField(std::move(name), std::string_view(value));
}

const Failure::FieldValue* Failure::FindField(std::string_view name) const {
  auto found = fields_.find(std::string(name));
  return found == fields_.end() ? nullptr : &found->second;
}

bool Failure::RemoveField(std::string_view name) { return fields_.erase(std::string(name)) != 0; }

std::string Failure::ToString() const {
  const std::string_view message = Message();
  if (message.empty()) return {};
  const bool plain =
      fields_.empty() || (fields_.size() == 1 && fields_.begin()->first == "errorFields_int");
  if (plain) {
    if (errorCode_ == 0) return std::string(message);
    return std::string(message) + " (" + std::to_string(errorCode_) + ")";
  }
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  writer.StartObject();
  writer.Key("message");
  writer.String(message.data(), static_cast<rapidjson::SizeType>(message.size()));
  for (const auto& [name, value] : fields_) {
    writer.Key(name.data(), static_cast<rapidjson::SizeType>(name.size()));
    switch (value.index()) {
      case 0:
        writer.Bool(std::get<0>(value));
        break;
      case 1:
        writer.Int64(std::get<1>(value));
        break;
      case 2:
        writer.Uint64(std::get<2>(value));
        break;
      case 3:
        // JSON has no NaN or infinity; such a field is written as null.
        if (std::isfinite(std::get<3>(value))) {
          writer.Double(std::get<3>(value));
        } else {
          writer.Null();
        }
        break;
      default: {
        const std::string& text = std::get<4>(value);
        writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
        break;
      }
    }
  }
  writer.EndObject();
  return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace kiv
