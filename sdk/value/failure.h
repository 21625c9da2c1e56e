// failure.h: Failure, the error record of every fallible operation: an error
// code, a message and named fields.
//
// Not for: success paths. A Failure is built only when something failed;
// carry it in MaybeType (maybe_type.h). It is a value: nothing here throws.
//
// Its code, message and fields live behind one pointer, so a Failure is one
// word: a MaybeType<Failure, T> is barely larger than T, and telling success
// from failure is one compare. A default Failure has no details and
// allocates nothing.
//
//   Failure failure(404, FormatMessage("No tournament %1", tournamentId));
//   failure.AddField("tournamentId", tournamentId);
//   failure.ToString();  // {"message":"No tournament 7","errorCode_int":404,...}
//   Failure::WithStaticMessage(500, "Finalizing");  // no copy of the text
#pragma once

#include <concepts>
#include <cstdint>
#include <memory>
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

  /// No code, no message, no fields; allocates nothing.
  Failure() noexcept;
  Failure(const Failure& other);
  Failure& operator=(const Failure& other);
  Failure(Failure&& other) noexcept;
  Failure& operator=(Failure&& other) noexcept;
  ~Failure();
  /// Owns a copy of `message`. A nonzero code adds the field "errorCode_int".
  Failure(uint32_t errorCode, std::string message);
  /// Refers to `message` without copying: it must be static text.
  static Failure WithStaticMessage(uint32_t errorCode, const char* message);

  uint32_t ErrorCode() const;
  /// Sets the code; a nonzero code also sets the field "errorCode_int" to the
  /// code as a signed 64-bit integer (sign-extended from 32 bits).
  void SetErrorCode(uint32_t errorCode);

  std::string_view Message() const;
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

  /// The fields (an empty map for a failure without any).
  const Fields& GetFields() const;
  /// The field, or nullptr when absent.
  const FieldValue* FindField(std::string_view name) const;

  /// "" without a message. Without fields (or with the single field
  /// "errorFields_int"): the message, or "<message> (<code>)" for a nonzero
  /// code. Otherwise a compact JSON object: "message" first, then each field
  /// in the map's iteration order.
  std::string ToString() const;

 private:
  struct Details;
  Failure& AddFieldValue(std::string name, FieldValue value);
  /// The details, created on first write.
  Details& Edit();

  std::unique_ptr<Details> details_;
};

}  // namespace kiv
