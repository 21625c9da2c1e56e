// type_registry.h: TypeRegistry, the module's registry of structures, enums,
// functions and events, and TypeBuilder, the one way a type enters it.
//
// The conversions of values and the help output read the registry; the
// module fills it once at load. A new registry already holds the built-in
// help and async records and the event "OnCallback" (builtin_types.h).
// Registrations are refused when the static type identifier is taken, or the
// name is taken in the same name space; a refused builder drops everything
// added to it. Types of different name spaces may share a bare name: a bare
// lookup finds the first registered, a qualified one ("LCDS.Bracket") the one
// of that name space, and help names shared types by their qualified name.
//
// Not for: records with a descriptor (use RegisterNative, register_native.h,
// which drives the builder), or use from several threads at once.
//
//   TypeRegistry registry;
//   bool added = registry.RegisterType("Visibility", 4, 0, kEnumTypeFlag)
//                    .AddValue("Hidden", 0).AddValue("Visible", 2)
//                    .SetDescription("Who sees the tournament.").Finish();
//   registry.EnumName(registry.FindTypeByName("Visibility")->staticTypeId, 2);  // "Visible"
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sdk/registry/api_description.h"
#include "sdk/registry/type_description.h"
#include "sdk/value/conversion_status.h"

namespace kiv {

class TypeRegistry;

/// Collects one type's description; Finish() commits it. Move-only.
class [[nodiscard]] TypeBuilder {
 public:
  /// The moved-from builder is refused: only one builder can commit.
  TypeBuilder(TypeBuilder&& other) noexcept;
  TypeBuilder& operator=(TypeBuilder&& other) noexcept;

  TypeBuilder& AddField(std::string name, std::string description, uint32_t offset,
                        TypeReference type, uint32_t flags);
  TypeBuilder& AddValue(std::string name, int32_t number, std::string description = {});
  TypeBuilder& AddNameSpace(std::string segment);
  TypeBuilder& AddTag(std::string tag);
  TypeBuilder& SetDescription(std::string description);
  TypeBuilder& SetConverter(NativeConverter converter);

  /// Commits the description. False when the registry refused it (at
  /// RegisterType: identifier taken; now: identifier, or name in the same
  /// name space, taken); nothing is added then.
  [[nodiscard]] bool Finish();
  bool refused() const { return registry_ == nullptr; }

 private:
  friend class TypeRegistry;
  TypeBuilder(TypeRegistry* registry, TypeDescription pending);

  TypeRegistry* registry_;  ///< Null once refused or finished.
  TypeDescription pending_;
};

class TypeRegistry {
 public:
  /// A registry holding the built-in types and events.
  TypeRegistry();
  TypeRegistry(const TypeRegistry&) = delete;
  TypeRegistry& operator=(const TypeRegistry&) = delete;

  /// Starts a registration; `flag` is kEnumTypeFlag for enums, 0 for
  /// structures. Identifier 0 means "no native type" and is never taken.
  TypeBuilder RegisterType(std::string name, uint32_t size, uint32_t staticTypeId, uint32_t flag);

  /// Null when nothing is registered under the identifier or name. A name
  /// is bare ("Bracket": the first type registered under it) or qualified by
  /// its name space joined with "." ("LCDS.Bracket"). The pointers stay valid
  /// as long as the registry.
  const TypeDescription* FindTypeById(uint32_t staticTypeId) const;
  const TypeDescription* FindTypeByName(std::string_view name) const;
  /// The name that identifies `type` to a reader: its bare name, or, when
  /// another registered type shares it and `type` has a name space, the
  /// qualified name.
  std::string ReferenceName(const TypeDescription& type) const;

  /// The first name of `number` in the enum `staticTypeId`, or nullptr.
  const char* EnumName(uint32_t staticTypeId, int32_t number) const;
  /// The number of `name` in the enum `staticTypeId`, if registered.
  std::optional<int32_t> EnumNumber(uint32_t staticTypeId, std::string_view name) const;

  /// False (and nothing added) when a function of that name space and name
  /// is already registered.
  [[nodiscard]] bool RegisterFunction(FunctionDescription function);
  /// False when an event of that name is already registered.
  [[nodiscard]] bool RegisterEvent(EventDescription event);

  /// Everything registered, in registration order.
  const std::deque<TypeDescription>& Types() const { return types_; }
  const std::vector<FunctionDescription>& Functions() const { return functions_; }
  const std::vector<EventDescription>& Events() const { return events_; }

  /// Converts into the native object at `native` by the type's registered
  /// converter. An unregistered identifier, or one without a converter, sets
  /// "Couldn't assign value to '%1' because the input is an unregistered
  /// structure or not a structure at all." on `status`.
  void FromValueById(uint32_t staticTypeId, const BindingProperty& value, std::string_view name,
                     void* native, ConversionStatus& status) const;
  /// The other direction; an unregistered identifier sets "Couldn't convert
  /// native value because it's an unregistered structure.".
  void ToValueById(uint32_t staticTypeId, const void* native, BindingProperty& out,
                   ConversionStatus& status) const;

 private:
  friend class TypeBuilder;
  bool IsTaken(const TypeDescription& description) const;
  bool Commit(TypeDescription&& description);

  std::deque<TypeDescription> types_;  ///< A deque keeps descriptions in place.
  /// Bare name to the types registered under it, in registration order.
  std::multimap<std::string, const TypeDescription*, std::less<>> byName_;
  std::unordered_map<uint32_t, const TypeDescription*> byId_;
  std::vector<FunctionDescription> functions_;
  std::vector<EventDescription> events_;
};

}  // namespace kiv
