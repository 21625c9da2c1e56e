// register_model.h: RegisterJoustModel, the one registration of the whole
// tournament model (every enum and record of the namespaces Api, LCDS and
// ZMS) into a module's type registry, so that conversions, the built-in
// "Help" and the API description know every type.
//
// Order: the error types and enums first, then the backend records, the push
// notifications and the records read from neighbouring plugins, and last the
// records of the plugin's own resources. Every type is registered under its
// bare name in the name space of its namespace ("LCDS.Bracket").
//
// Not for: the backend class names (lcds/class_names.h), which are kept apart
// from the registry.
//
//   void JoustPlugin::RegisterApi() {
//     if (auto registered = RegisterJoustModel(typeRegistry()); !registered.ok()) Fatal(...);
//   }
#pragma once

#include "sdk/registry/type_registry.h"
#include "sdk/value/failure.h"
#include "sdk/value/maybe_type.h"

namespace kiv::joust {

/// Registers every model type in order. Fails with code 500 naming the first
/// type the registry refused (its name or identifier is already taken); the
/// types before it stay registered.
MaybeType<Failure, void> RegisterJoustModel(TypeRegistry& registry);

}  // namespace kiv::joust
