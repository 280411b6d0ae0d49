#include "core/backend/MemberIndex.hpp"

#include "core/backend/KotlinNames.hpp"

namespace tovrane {
namespace {

template <typename Member>
using Named = std::vector<std::pair<std::string_view, const Member*>>;

bool holdsContent(const IRProperty& property) {
  if (property.isStatic || property.getter) return false;
  const auto* named = property.type.as<IRType::named>();
  return property.type.is<IRType::function>() || (named && named->name == "View");
}

MemberIndex::TypeMembers typeMembers(const IRTypeDecl& decl) {
  MemberIndex::TypeMembers members;
  Named<IRProperty> properties;
  properties.reserve(decl.properties.size());
  for (const IRProperty& property : decl.properties) {
    properties.emplace_back(property.name, &property);
    if (holdsContent(property)) members.content = &property;
  }
  members.properties = ByName<const IRProperty*>(std::move(properties));
  if (members.properties.names() < decl.properties.size()) {
    Named<IRProperty> instanceProperties, storedProperties;
    for (const IRProperty& property : decl.properties) {
      if (property.isStatic) continue;
      instanceProperties.emplace_back(property.name, &property);
      if (!property.getter) storedProperties.emplace_back(property.name, &property);
    }
    members.instanceProperties = ByName<const IRProperty*>(std::move(instanceProperties));
    members.storedProperties = ByName<const IRProperty*>(std::move(storedProperties));
  }

  Named<IRFunction> functions;
  functions.reserve(decl.functions.size());
  for (const IRFunction& function : decl.functions) {
    functions.emplace_back(function.name, &function);
    if (function.isInit) members.initializers.push_back(&function);
  }
  members.functions = ByName<const IRFunction*>(std::move(functions));
  if (members.functions.names() < decl.functions.size()) {
    Named<IRFunction> methods;
    for (const IRFunction& function : decl.functions) {
      if (!function.isInit) methods.emplace_back(function.name, &function);
    }
    members.methods = ByName<const IRFunction*>(std::move(methods));
  }

  Named<IREnumCase> cases;
  cases.reserve(decl.cases.size());
  for (const IREnumCase& enumCase : decl.cases) cases.emplace_back(withoutBackquotes(enumCase.name), &enumCase);
  members.cases = ByName<const IREnumCase*>(std::move(cases));
  return members;
}

// The one member of a name that `fits`, or with more of that name the first
// in `fitting`, which holds those that fit.
template <typename Member, typename Fits>
const Member* firstFitting(const ByName<const Member*>& all, const ByName<const Member*>& fitting,
                           std::string_view name, Fits fits) {
  const std::span<const Member* const> named = all.find(name);
  if (named.size() > 1) return fitting.first(name);
  return named.empty() || !fits(*named.front()) ? nullptr : named.front();
}

}  // namespace

const IRProperty* MemberIndex::TypeMembers::instanceProperty(std::string_view name) const {
  return firstFitting(properties, instanceProperties, name, [](const IRProperty& p) { return !p.isStatic; });
}

const IRProperty* MemberIndex::TypeMembers::storedProperty(std::string_view name) const {
  return firstFitting(properties, storedProperties, name, [](const IRProperty& p) { return !p.isStatic && !p.getter; });
}

const IRFunction* MemberIndex::TypeMembers::method(std::string_view name) const {
  return firstFitting(functions, methods, name, [](const IRFunction& f) { return !f.isInit; });
}

bool MemberIndex::TypeMembers::declares(std::string_view name) const {
  return !properties.find(name).empty() || !functions.find(name).empty();
}

MemberIndex::MemberIndex(const ModuleSymbols& symbols) {
  std::vector<std::pair<std::string_view, OwnedProperty>> owned;
  for (const auto& [path, decl] : symbols.types) {
    types_.emplace_hint(types_.end(), path, typeMembers(decl));
    for (const IRProperty& property : decl.properties) {
      owned.emplace_back(property.name, OwnedProperty{.owner = &path, .property = &property});
    }
  }
  propertiesNamed_ = ByName<OwnedProperty>(std::move(owned));

  std::vector<std::pair<std::string_view, const std::string*>> declaring;
  for (const auto& [path, info] : symbols.enums) {
    Named<IREnumCase> cases;
    for (const IREnumCase& enumCase : info.cases) cases.emplace_back(enumCase.name, &enumCase);
    const ByName<const IREnumCase*>& byName =
        enumCases_.emplace_hint(enumCases_.end(), path, ByName<const IREnumCase*>(std::move(cases)))->second;
    byName.forEachName([&](std::string_view name) { declaring.emplace_back(name, &path); });
  }
  enumsWithCase_ = ByName<const std::string*>(std::move(declaring));
}

const MemberIndex::TypeMembers& MemberIndex::type(std::string_view path) const {
  static const TypeMembers none;
  const auto found = types_.find(path);
  return found == types_.end() ? none : found->second;
}

const IREnumCase* MemberIndex::enumCase(std::string_view enumPath, std::string_view name) const {
  const auto found = enumCases_.find(enumPath);
  return found == enumCases_.end() ? nullptr : found->second.first(withoutBackquotes(name));
}

std::span<const std::string* const> MemberIndex::enumsWithCase(std::string_view name) const {
  return enumsWithCase_.find(withoutBackquotes(name));
}

std::span<const MemberIndex::OwnedProperty> MemberIndex::propertiesNamed(std::string_view name) const {
  return propertiesNamed_.find(name);
}

void MemberNames::add(const NameSet& names) {
  if (names.size() > maxCopied) {
    sets_.insert(&names);
  } else {
    copied_.insert(names.begin(), names.end());
  }
}

void MemberNames::add(const MemberIndex::TypeMembers& members) {
  if (members.properties.names() + members.functions.names() > maxCopied) {
    types_.insert(&members);
  } else {
    const auto copy = [&](std::string_view name) { copied_.emplace(name); };
    members.properties.forEachName(copy);
    members.functions.forEachName(copy);
  }
}

bool MemberNames::contains(std::string_view name) const {
  if (copied_.contains(name)) return true;
  const auto inSet = [&](const NameSet* names) { return names->contains(name); };
  const auto inType = [&](const MemberIndex::TypeMembers* members) { return members->declares(name); };
  return std::any_of(sets_.begin(), sets_.end(), inSet) || std::any_of(types_.begin(), types_.end(), inType);
}

}  // namespace tovrane
