#include "sdk/registry/builtin_types.h"

#include "sdk/registry/help_records.h"
#include "sdk/registry/register_native.h"

namespace kiv {
namespace {

constexpr std::string_view kHelpNameSpace[] = {"$builtin", "help"};
constexpr std::string_view kAsyncNameSpace[] = {"$builtin", "async"};

}  // namespace

bool RegisterBuiltinTypes(TypeRegistry& registry) {
  const RegistrationOptions help{.nameSpace = kHelpNameSpace};
  const RegistrationOptions async{.nameSpace = kAsyncNameSpace};
  bool registered = RegisterNative<BindingFullTypeIdentifier>(registry, help);
  registered &= RegisterNative<BindingFullArgumentHelp>(registry, help);
  registered &= RegisterNative<BindingFullFunctionHelp>(registry, help);
  registered &= RegisterNative<BindingFullEnumValueHelp>(registry, help);
  registered &= RegisterNative<BindingFullFieldHelp>(registry, help);
  registered &= RegisterNative<BindingFullTypeHelp>(registry, help);
  registered &= RegisterNative<BindingFullEventHelp>(registry, help);
  registered &= RegisterNative<BindingFullApiHelp>(registry, help);
  registered &= RegisterNative<BindingHelpFormat>(registry, help);
  registered &= RegisterNative<BindingAsyncState>(registry, async);
  registered &= RegisterNative<BindingGenericEvent>(registry, async);
  registered &= RegisterNative<BindingCallbackEvent>(registry, async);
  registered &= RegisterNative<BindingGenericAsyncEvent>(registry, async);
  registered &= RegisterNative<BindingAsyncFailureEvent>(registry, async);
  registered &= RegisterNative<BindingAsyncCancelEvent>(registry, async);
  registered &= registry.RegisterEvent({.name = "OnCallback",
                                        .nameSpace = {"$builtin"},
                                        .type = TypeReferenceOf<BindingCallbackEvent>(),
                                        .description = "Fired when a callback is invoked."});
  return registered;
}

}  // namespace kiv
