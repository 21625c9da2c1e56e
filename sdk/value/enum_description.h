// enum_description.h: the description of a registered enum type that an enum
// value points at: its type name and its (name, number) pairs in order.
//
// Not for: registration itself. The type registry creates and owns each
// description; a BindingProperty of kind enum only points at one, so a
// description must outlive every value that refers to it.
//
//   EnumDescription visibility("JoustVisibility",
//                              {{"Hidden", 0}, {"DarkVisible", 1}, {"Visible", 2}});
//   visibility.NameOf(2);               // "Visible"
//   visibility.NumberOf("DarkVisible");  // 1
//   visibility.NameOf(7);               // nullptr
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

class EnumDescription {
 public:
  struct Value {
    std::string name;
    int32_t number = 0;
  };

  EnumDescription() = default;
  EnumDescription(std::string typeName, std::vector<Value> values);

  std::string_view TypeName() const { return typeName_; }
  std::span<const Value> Values() const { return values_; }

  /// Appends a value after the existing ones (registration order is kept).
  void AddValue(std::string name, int32_t number);

  /// The first name registered with `number`, or nullptr when none is.
  /// NUL-terminated; valid as long as the description is not changed.
  const char* NameOf(int32_t number) const;
  /// The same name with its length; nullptr when none is registered.
  const std::string* FindName(int32_t number) const;

  /// The number registered under `name` (exact, byte-wise), if any.
  std::optional<int32_t> NumberOf(std::string_view name) const;

 private:
  std::string typeName_;
  std::vector<Value> values_;
};

}  // namespace kiv
