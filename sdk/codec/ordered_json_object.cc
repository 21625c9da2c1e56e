#include "sdk/codec/ordered_json_object.h"

#include "sdk/codec/internal/rapidjson.h"
#include "sdk/codec/json_writer.h"

namespace kiv {

OrderedJsonObject& OrderedJsonObject::Add(std::string_view name, const BindingProperty& value) {
  if (text_.size() > 1) text_ += ',';
  rapidjson::StringBuffer key;
  rapidjson::Writer<rapidjson::StringBuffer> writer(key);
  writer.String(name.data(), static_cast<rapidjson::SizeType>(name.size()));
  text_.append(key.GetString(), key.GetSize());
  text_ += ':';
  // An empty root writes the empty text; a member needs null.
  text_ += value.IsEmpty() ? std::string("null") : WriteJson(value);
  return *this;
}

}  // namespace kiv
