#include "sdk/value/failure.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>

namespace kiv {

struct Failure::Details {
  uint32_t errorCode = 0;
  const char* staticMessage = nullptr;  ///< Wins over ownedMessage when set.
  std::string ownedMessage;
  Fields fields;
};

namespace {
const Failure::Fields& NoFields() {
  static const Failure::Fields kNone;
  return kNone;
}
}  // namespace

Failure::Failure() noexcept = default;

Failure::Failure(const Failure& other)
    : details_(other.details_ ? std::make_unique<Details>(*other.details_) : nullptr) {}

Failure& Failure::operator=(const Failure& other) {
  if (this != &other) {
    details_ = other.details_ ? std::make_unique<Details>(*other.details_) : nullptr;
  }
  return *this;
}

Failure::Failure(Failure&& other) noexcept = default;
Failure& Failure::operator=(Failure&& other) noexcept = default;
Failure::~Failure() = default;

Failure::Details& Failure::Edit() {
  if (!details_) details_ = std::make_unique<Details>();
  return *details_;
}

Failure::Failure(uint32_t errorCode, std::string message) {
  Edit().ownedMessage = std::move(message);
  SetErrorCode(errorCode);
}

Failure Failure::WithStaticMessage(uint32_t errorCode, const char* message) {
  Failure failure;
  failure.Edit().staticMessage = message;
  failure.SetErrorCode(errorCode);
  return failure;
}

uint32_t Failure::ErrorCode() const { return details_ ? details_->errorCode : 0; }

std::string_view Failure::Message() const {
  if (!details_) return {};
  return details_->staticMessage ? std::string_view(details_->staticMessage)
                                 : std::string_view(details_->ownedMessage);
}

const Failure::Fields& Failure::GetFields() const {
  return details_ ? details_->fields : NoFields();
}

void Failure::SetErrorCode(uint32_t errorCode) {
  Edit().errorCode = errorCode;
  if (errorCode != 0) {
    AddField("errorCode_int", static_cast<int64_t>(static_cast<int32_t>(errorCode)));
  }
}

void Failure::SetMessage(std::string message) {
  Details& details = Edit();
  details.staticMessage = nullptr;
  details.ownedMessage = std::move(message);
}

Failure& Failure::AddFieldValue(std::string name, FieldValue value) {
  Edit().fields.insert_or_assign(std::move(name), std::move(value));
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
  if (!details_) return nullptr;
  auto found = details_->fields.find(std::string(name));
  return found == details_->fields.end() ? nullptr : &found->second;
}

bool Failure::RemoveField(std::string_view name) {
  return details_ && details_->fields.erase(std::string(name)) != 0;
}

std::string Failure::ToString() const {
  const std::string_view message = Message();
  if (message.empty()) return {};
  const Fields& fields = GetFields();
  const bool plain =
      fields.empty() || (fields.size() == 1 && fields.begin()->first == "errorFields_int");
  if (plain) {
    if (ErrorCode() == 0) return std::string(message);
    return std::string(message) + " (" + std::to_string(ErrorCode()) + ")";
  }
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  writer.StartObject();
  writer.Key("message");
  writer.String(message.data(), static_cast<rapidjson::SizeType>(message.size()));
  for (const auto& [name, value] : fields) {
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
