// builtin_types.h: the records and events every registry provides: the help
// records (help_records.h) in the name space "$builtin", "help", the
// asynchronous-operation state and event records in "$builtin", "async", and
// the event "OnCallback" in "$builtin".
//
// Not for: the runtime's own records (sdk/runtime/runtime_types.h) or the
// plugin's.
//
//   TypeRegistry registry;   // already calls RegisterBuiltinTypes
//   registry.FindTypeByName("BindingAsyncState")->values.size();  // 6
#pragma once

#include <cstdint>
#include <string>

#include "sdk/value/binding_property.h"
#include "sdk/value/native/enum_descriptor.h"
#include "sdk/value/native/record_descriptor.h"

namespace kiv {

class TypeRegistry;

enum class BindingAsyncState : int32_t {
  kNone = 0,
  kRunning = 1,
  kCancelling = 2,
  kCancelled = 3,
  kSucceeded = 4,
  kFailed = 5,
};

struct BindingGenericEvent {
  BindingProperty data;
};

struct BindingCallbackEvent {
  uint32_t id = 0;
  BindingProperty parameters;
};

struct BindingGenericAsyncEvent {
  uint32_t asyncToken = 0;
  BindingProperty data;
};

struct BindingAsyncFailureEvent {
  uint32_t asyncToken = 0;
  std::string error;
};

struct BindingAsyncCancelEvent {
  uint32_t asyncToken = 0;
};

template <>
inline constexpr auto kEnum<BindingAsyncState> =
    Enum<BindingAsyncState>("BindingAsyncState",
                            {{"None", 0, "Invalid state"},
                             {"Running", 1, "The operation is in flight"},
                             {"Cancelling", 2, "A request to cancel the operation has been made"},
                             {"Cancelled", 3, "The operation was cancelled"},
                             {"Succeeded", 4, "The operation completed successfully"},
                             {"Failed", 5, "The operation encountered an error"}})
        .Described("Possible states of an asynchronous operation.");

template <>
inline constexpr auto kRecord<BindingGenericEvent> =
    Record<BindingGenericEvent>("BindingGenericEvent",
                                Field("data", &BindingGenericEvent::data, "Event data"))
        .Described("Represents generic data for an event.");

template <>
inline constexpr auto kRecord<BindingCallbackEvent> =
    Record<BindingCallbackEvent>("BindingCallbackEvent",
                                 Field("id", &BindingCallbackEvent::id,
                                       "ID of the callback being invoked"),
                                 Field("parameters", &BindingCallbackEvent::parameters,
                                       "Callback parameters"))
        .Described("Represents the parameters of a call to a provided callback.");

template <>
inline constexpr auto kRecord<BindingGenericAsyncEvent> =
    Record<BindingGenericAsyncEvent>("BindingGenericAsyncEvent",
                                     Field("asyncToken", &BindingGenericAsyncEvent::asyncToken,
                                           "Asynchronous operation token"),
                                     Field("data", &BindingGenericAsyncEvent::data, "Event data"))
        .Described("Represents generic data for an asynchronous event.");

template <>
inline constexpr auto kRecord<BindingAsyncFailureEvent> =
    Record<BindingAsyncFailureEvent>("BindingAsyncFailureEvent",
                                     Field("asyncToken", &BindingAsyncFailureEvent::asyncToken,
                                           "Asynchronous operation token"),
                                     Field("error", &BindingAsyncFailureEvent::error,
                                           "Error message"))
        .Described("Represents a failed asynchronous operation.");

template <>
inline constexpr auto kRecord<BindingAsyncCancelEvent> =
    Record<BindingAsyncCancelEvent>("BindingAsyncCancelEvent",
                                    Field("asyncToken", &BindingAsyncCancelEvent::asyncToken,
                                          "Asynchronous operation token"))
        .Described("Represents a cancelled asynchronous operation.");

/// Registers the built-in types and events; called by the TypeRegistry
/// constructor. Returns false if any of them was refused.
bool RegisterBuiltinTypes(TypeRegistry& registry);

}  // namespace kiv
