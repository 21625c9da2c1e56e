#include "sdk/value/enum_description.h"

namespace kiv {

EnumDescription::EnumDescription(std::string typeName, std::vector<Value> values)
    : typeName_(std::move(typeName)), values_(std::move(values)) {}

void EnumDescription::AddValue(std::string name, int32_t number) {
  values_.push_back({std::move(name), number});
}

// Linear scans: enums have a handful of values, and the order of registration
// decides which name wins when two share a number.
const char* EnumDescription::NameOf(int32_t number) const {
  const std::string* name = FindName(number);
  return name ? name->c_str() : nullptr;
}

const std::string* EnumDescription::FindName(int32_t number) const {
  for (const Value& value : values_) {
    if (value.number == number) return &value.name;
  }
  return nullptr;
}

std::optional<int32_t> EnumDescription::NumberOf(std::string_view name) const {
  for (const Value& value : values_) {
    if (value.name == name) return value.number;
  }
  return std::nullopt;
}

}  // namespace kiv
