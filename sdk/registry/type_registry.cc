#include "sdk/registry/type_registry.h"

#include <utility>

#include "sdk/registry/builtin_types.h"
#include "sdk/registry/name_space.h"
#include "sdk/value/native/conversion_messages.h"

namespace kiv {

TypeBuilder::TypeBuilder(TypeRegistry* registry, TypeDescription pending)
    : registry_(registry), pending_(std::move(pending)) {}

TypeBuilder::TypeBuilder(TypeBuilder&& other) noexcept
    : registry_(std::exchange(other.registry_, nullptr)), pending_(std::move(other.pending_)) {}

TypeBuilder& TypeBuilder::operator=(TypeBuilder&& other) noexcept {
  registry_ = std::exchange(other.registry_, nullptr);
  pending_ = std::move(other.pending_);
  return *this;
}

TypeBuilder& TypeBuilder::AddField(std::string name, std::string description, uint32_t offset,
                                   TypeReference type, uint32_t flags) {
  if (!refused()) {
    pending_.fields.push_back({std::move(name), std::move(description), offset, type, flags});
  }
  return *this;
}

TypeBuilder& TypeBuilder::AddValue(std::string name, int32_t number, std::string description) {
  if (!refused()) {
    pending_.numbersByName.emplace(name, number);
    pending_.values.push_back({std::move(name), number, std::move(description)});
  }
  return *this;
}

TypeBuilder& TypeBuilder::AddNameSpace(std::string segment) {
  if (!refused()) pending_.nameSpace.push_back(std::move(segment));
  return *this;
}

TypeBuilder& TypeBuilder::AddTag(std::string tag) {
  if (!refused()) pending_.tags.push_back(std::move(tag));
  return *this;
}

TypeBuilder& TypeBuilder::SetDescription(std::string description) {
  if (!refused()) pending_.description = std::move(description);
  return *this;
}

TypeBuilder& TypeBuilder::SetConverter(NativeConverter converter) {
  if (!refused()) pending_.converter = converter;
  return *this;
}

bool TypeBuilder::Finish() {
  if (refused()) return false;
  TypeRegistry* registry = std::exchange(registry_, nullptr);
  return registry->Commit(std::move(pending_));
}

TypeRegistry::TypeRegistry() { RegisterBuiltinTypes(*this); }

TypeBuilder TypeRegistry::RegisterType(std::string name, uint32_t size, uint32_t staticTypeId,
                                       uint32_t flag) {
  TypeDescription description;
  description.kind = flag == kEnumTypeFlag ? NativeType::kEnum : NativeType::kStruct;
  description.name = std::move(name);
  description.size = size;
  description.staticTypeId = staticTypeId;
  description.flag = flag;
  // The name space is not known yet, so only the identifier refuses now.
  const bool taken = staticTypeId != 0 && FindTypeById(staticTypeId) != nullptr;
  return TypeBuilder(taken ? nullptr : this, std::move(description));
}

bool TypeRegistry::IsTaken(const TypeDescription& description) const {
  if (description.staticTypeId != 0 && FindTypeById(description.staticTypeId) != nullptr) {
    return true;
  }
  const auto [first, last] = byName_.equal_range(description.name);
  for (auto it = first; it != last; ++it) {
    if (it->second->nameSpace == description.nameSpace) return true;
  }
  return false;
}

bool TypeRegistry::Commit(TypeDescription&& description) {
  // Checked again: another type may have taken the name since RegisterType.
  if (IsTaken(description)) return false;
  const TypeDescription& stored = types_.emplace_back(std::move(description));
  byName_.emplace(stored.name, &stored);  // equal names keep registration order
  if (stored.staticTypeId != 0) byId_.emplace(stored.staticTypeId, &stored);
  return true;
}

const TypeDescription* TypeRegistry::FindTypeById(uint32_t staticTypeId) const {
  const auto found = byId_.find(staticTypeId);
  return found == byId_.end() ? nullptr : found->second;
}

const TypeDescription* TypeRegistry::FindTypeByName(std::string_view name) const {
  if (const auto found = byName_.find(name); found != byName_.end()) return found->second;
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return nullptr;
  const std::string_view nameSpace = name.substr(0, dot);
  const auto [first, last] = byName_.equal_range(name.substr(dot + 1));
  for (auto it = first; it != last; ++it) {
    if (JoinNameSpace(it->second->nameSpace) == nameSpace) return it->second;
  }
  return nullptr;
}

std::string TypeRegistry::ReferenceName(const TypeDescription& type) const {
  if (type.nameSpace.empty() || byName_.count(type.name) < 2) return type.name;
  return JoinNameSpace(type.nameSpace) + "." + type.name;
}

const char* TypeRegistry::EnumName(uint32_t staticTypeId, int32_t number) const {
  const TypeDescription* type = FindTypeById(staticTypeId);
  if (type == nullptr || !type->IsEnum()) return nullptr;
  for (const EnumValueDescription& value : type->values) {
    if (value.number == number) return value.name.c_str();
  }
  return nullptr;
}

std::optional<int32_t> TypeRegistry::EnumNumber(uint32_t staticTypeId,
                                                std::string_view name) const {
  const TypeDescription* type = FindTypeById(staticTypeId);
  if (type == nullptr || !type->IsEnum()) return std::nullopt;
  const auto found = type->numbersByName.find(name);
  if (found == type->numbersByName.end()) return std::nullopt;
  return found->second;
}

bool TypeRegistry::RegisterFunction(FunctionDescription function) {
  for (const FunctionDescription& existing : functions_) {
    if (existing.name == function.name && existing.nameSpace == function.nameSpace) return false;
  }
  functions_.push_back(std::move(function));
  return true;
}

bool TypeRegistry::RegisterEvent(EventDescription event) {
  for (const EventDescription& existing : events_) {
    if (existing.name == event.name) return false;
  }
  events_.push_back(std::move(event));
  return true;
}

void TypeRegistry::FromValueById(uint32_t staticTypeId, const BindingProperty& value,
                                 std::string_view name, void* native,
                                 ConversionStatus& status) const {
  if (!status.IsValid()) return;
  const TypeDescription* type = FindTypeById(staticTypeId);
  if (type == nullptr || type->converter.fromValue == nullptr) {
    return ReportUnregisteredTarget(name, status);
  }
  type->converter.fromValue(value, name, native, status);
}

void TypeRegistry::ToValueById(uint32_t staticTypeId, const void* native, BindingProperty& out,
                               ConversionStatus& status) const {
  if (!status.IsValid()) return;
  const TypeDescription* type = FindTypeById(staticTypeId);
  if (type == nullptr || type->converter.toValue == nullptr) {
    return ReportUnregisteredSource(status);
  }
  type->converter.toValue(native, out, status);
}

}  // namespace kiv
