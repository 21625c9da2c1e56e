// backend_method.h: how one method of the tournament service is described:
// its name, its argument keys with their kinds, and the C++ type of its
// result. The fifty methods are rows of this kind (backend_methods.h); the
// backend client (backend_client.h) checks a call's arguments against its
// row when it compiles.
//
// Not for: calling; see backend_client.h.
//
//   inline constexpr BackendMethod<LCDS::PendingRosterDTO, 2> kKickMember{
//       "kickMember", {{{"invitationId", kText}, {"memberId", kUnsigned}}}};
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "joust/model/lcds/enums.h"
#include "sdk/value/static_type.h"

namespace kiv::joust {

/// The kind of one argument value, as the service receives it.
enum class ArgumentKind : uint8_t {
  kText,          ///< a string
  kSigned,        ///< a signed integer
  kUnsigned,      ///< an unsigned integer (player ids)
  kPosition,      ///< a `Position` value, sent by name
  kUnsignedList,  ///< a collection of unsigned integers
  kTextList,      ///< a collection of strings
  kSignedList,    ///< a collection of signed integers
};

inline constexpr ArgumentKind kText = ArgumentKind::kText;
inline constexpr ArgumentKind kSigned = ArgumentKind::kSigned;
inline constexpr ArgumentKind kUnsigned = ArgumentKind::kUnsigned;
inline constexpr ArgumentKind kPosition = ArgumentKind::kPosition;
inline constexpr ArgumentKind kUnsignedList = ArgumentKind::kUnsignedList;
inline constexpr ArgumentKind kTextList = ArgumentKind::kTextList;
inline constexpr ArgumentKind kSignedList = ArgumentKind::kSignedList;

struct ArgumentSpec {
  std::string_view key;
  ArgumentKind kind;
};

/// The result of a method that answers nothing the caller uses.
struct NoResult {};

/// One method of the service "joust". `Result` is the record its answer
/// converts to: NoResult for none, BindingProperty for the answer itself.
template <typename Result, size_t kArguments>
struct BackendMethod {
  using ResultType = Result;
  std::string_view name;
  std::array<ArgumentSpec, kArguments> arguments;
};

/// A method row without its result type, for walking all of them.
struct BackendMethodRow {
  std::string_view name;
  std::vector<ArgumentSpec> arguments;
  std::string_view resultType;  ///< the static type name; "" for NoResult
};

template <typename Result, size_t kArguments>
BackendMethodRow RowOf(const BackendMethod<Result, kArguments>& method) {
  return {method.name, std::vector<ArgumentSpec>(method.arguments.begin(), method.arguments.end()),
          std::is_same_v<Result, NoResult> ? std::string_view() : StaticType::Name<Result>()};
}

/// The kind a C++ argument value has; the client checks it against the row.
template <typename T>
constexpr ArgumentKind KindOf() {
  if constexpr (std::is_same_v<T, LCDS::Position>) {
    return kPosition;
  } else if constexpr (std::is_same_v<T, std::vector<uint64_t>>) {
    return kUnsignedList;
  } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
    return kTextList;
  } else if constexpr (std::is_same_v<T, std::vector<int64_t>>) {
    return kSignedList;
  } else if constexpr (std::is_convertible_v<T, std::string_view>) {
    return kText;
  } else if constexpr (std::is_same_v<T, bool>) {
    static_assert(!std::is_same_v<T, bool>, "the service takes no bool argument");
    return kText;
  } else if constexpr (std::is_integral_v<T> && std::is_unsigned_v<T>) {
    return kUnsigned;
  } else if constexpr (std::is_integral_v<T>) {
    return kSigned;
  } else {
    static_assert(sizeof(T) == 0, "no argument kind for this type");
    return kText;
  }
}

}  // namespace kiv::joust
