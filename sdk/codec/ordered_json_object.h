// ordered_json_object.h: OrderedJsonObject, the JSON text of an object whose
// members come in the order they are added.
//
// A structure is always written in name order (its members are kept that
// way); some payloads the plugin sends to other plugins expect their members
// in a fixed order instead. Each member's value is written as WriteJson
// would write it.
//
// Not for: reading, or objects whose member order does not matter (write the
// structure with WriteJson).
//
//   OrderedJsonObject body;
//   body.Add("tournamentId", BindingProperty(int64_t{7})).Add("action", BindingProperty("end"));
//   body.Text();  // {"tournamentId":7,"action":"end"}
#pragma once

#include <string>
#include <string_view>

#include "sdk/value/binding_property.h"

namespace kiv {

class OrderedJsonObject {
 public:
  /// Appends the member `name` with `value`; an empty value writes null.
  OrderedJsonObject& Add(std::string_view name, const BindingProperty& value);
  /// The object's text: "{}" with no member.
  std::string Text() const { return text_ + "}"; }

 private:
  std::string text_ = "{";
};

}  // namespace kiv
