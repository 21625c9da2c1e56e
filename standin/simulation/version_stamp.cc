#include "standin/simulation/version_stamp.h"

#include <cstdint>

#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"
#include "sdk/value/binding_property.h"
#include "standin/simulation/endpoint_answer.h"

namespace kiv::standin {
namespace {

bool IsWholeNumber(const BindingProperty& value) {
  return value.Kind() == ValueKind::kSigned || value.Kind() == ValueKind::kUnsigned;
}

// True when anything below `value` was stamped.
bool Stamp(BindingProperty& value) {
  bool stamped = false;
  if (value.IsCollection()) {
    for (BindingProperty& element : value.MutableElements()) stamped = Stamp(element) || stamped;
    return stamped;
  }
  if (!value.IsStructure()) return false;
  const BindingProperty* version = value.FindMember("version");
  if (version && IsWholeNumber(*version) && value.FindMember("logoColor")) {
    value.MutableMember("logoColor") = WholeNumber(*version);
    stamped = true;
  }
  for (BindingMember& member : value.MutableMembers()) stamped = Stamp(member.Value()) || stamped;
  return stamped;
}

}  // namespace

std::string StampRosterVersions(const std::string& json) {
  // Most payloads carry no roster: they are not written again.
  if (json.find("\"logoColor\"") == std::string::npos) return json;
  BindingProperty value = ReadJson(json);
  if (!value.IsValid() || !Stamp(value)) return json;
  return WriteJson(value);
}

}  // namespace kiv::standin
