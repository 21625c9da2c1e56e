// failure.h: Failure, the error record of every fallible operation: an error
// code, a message and named fields.
//
// Not for: success paths. A Failure is built only when something failed;
// carry it in MaybeType (maybe_type.h). It is a value: nothing here throws.
//
//   Failure failure(404, FormatMessage("No tournament %1", tournamentId));
//   failure.AddField("tournamentId", tournamentId);
//   failure.ToString();  // {"message":"No tournament 7","errorCode_int":404,...}
//   Failure::WithStaticMessage(500, "Finalizing");  // no copy of the text
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>

namespace kiv {

class Failure {
 public:
  /// A field value: bool, signed 64-bit, unsigned 64-bit, double or string.
  using FieldValue = std::variant<bool, int64_t, uint64_t, double, std::string>;
  using Fields = std::unordered_map<std::string, FieldValue>;

  /// No code, no message, no fields.
  Failure() = default;
  /// Owns a copy of `message`. A nonzero code adds the field "errorCode_int".
  Failure(uint32_t errorCode, std::string message);
  /// Refers to `message` without copying: it must be static text.
  static Failure WithStaticMessage(uint32_t errorCode, const char* message);

  uint32_t ErrorCode() const { return errorCode_; }
  /// Sets the code; a nonzero code also sets the field "errorCode_int" to the
  /// code as a signed 64-bit integer (sign-extended from 32 bits).
  void SetErrorCode(uint32_t errorCode);

  std::string_view Message() const {
    return staticMessage_ ? std::string_view(staticMessage_) : std::string_view(ownedMessage_);
  }
  void SetMessage(std::string message);

  /// Adds or replaces a named field. Integers widen by signedness.
  Failure& AddField(std::string name, bool value);
  template <std::signed_integral T>
  Failure& AddField(std::string name, T value) {
    return AddFieldValue(std::move(name), FieldValue(std::in_place_index<1>, value));
  }
  template <std::unsigned_integral T>
  requires(!std::same_as<T, bool>) Failure& AddField(std::string name, T value) {
    return AddFieldValue(std::move(name), FieldValue(std::in_place_index<2>, value));
  }
  Failure& AddField(std::string name, double value);
  Failure& AddField(std::string name, std::string_view value);
  Failure& AddField(std::string name, const char* value);
  Failure& AddField(std::string name, const std::string& value);
  template <typename T>
  Failure& AddField(std::string name, const T*) = delete;

  /// Removes a field; false when absent.
  bool RemoveField(std::string_view name);

  const Fields& GetFields() const { return fields_; }
  /// The field, or nullptr when absent.
  const FieldValue* FindField(std::string_view name) const;

  /// "" without a message. Without fields (or with the single field
  /// "errorFields_int"): the message, or "<message> (<code>)" for a nonzero
  /// code. Otherwise a compact JSON object: "message" first, then each field
  /// in the map's iteration order.
  std::string ToString() const;

 private:
  Failure& AddFieldValue(std::string name, FieldValue value);

  uint32_t errorCode_ = 0;
  const char* staticMessage_ = nullptr;  ///< Wins over ownedMessage_ when set.
  std::string ownedMessage_;
  Fields fields_;
};

}  // namespace kiv
