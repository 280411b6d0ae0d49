#include "core/backend/SymbolCollector.hpp"

#include <algorithm>
#include <string_view>

namespace tovrane::SymbolCollector {
namespace {

using ExtensionMap = std::map<std::string, std::vector<IRTypeDecl>, std::less<>>;

bool contains(const std::vector<std::string>& list, std::string_view value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// The qualified path an extension names: its dotted pieces without empty
// ones ("Outer..Inner" and "Outer.Inner" name the same type). A name made of
// dots only is taken whole.
std::string extensionPath(const std::string& name) {
  std::string path;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t dot = name.find('.', start);
    if (dot == std::string::npos) dot = name.size();
    if (dot > start) {
      if (!path.empty()) path += '.';
      path.append(name, start, dot - start);
    }
    start = dot + 1;
  }
  return path.empty() ? name : path;
}

std::string topLevelPath(const IRTypeDecl& decl) {
  return decl.kind == IRTypeKind::extension ? extensionPath(decl.name) : decl.name;
}

// Qualified paths of every type the module declares. Types declared inside
// an extension count under the extended type's path, which is where merging
// puts them.
void collectNames(const IRTypeDecl& decl, const std::string& path, NameSet& names) {
  if (decl.kind != IRTypeKind::extension) names.insert(path);
  for (const IRTypeDecl& nested : decl.nested) collectNames(nested, path + "." + nested.name, names);
}

// Appends the members of the extensions of `path` to decl, then does the
// same for its nested types under their longer paths. An extension only ever
// reaches the one path it names, and every nested type's path is longer than
// its parent's, so a type declared inside an extension under the extended
// type's own simple name ("extension Foo { struct Foo {} }") never receives
// that extension again and the walk ends.
void apply(IRTypeDecl& decl, const std::string& path, const ExtensionMap& extensions) {
  if (decl.kind != IRTypeKind::extension) {
    if (auto found = extensions.find(path); found != extensions.end()) {
      for (const IRTypeDecl& extension : found->second) {
        decl.properties.insert(decl.properties.end(), extension.properties.begin(), extension.properties.end());
        decl.functions.insert(decl.functions.end(), extension.functions.begin(), extension.functions.end());
        decl.inherits.insert(decl.inherits.end(), extension.inherits.begin(), extension.inherits.end());
        decl.nested.insert(decl.nested.end(), extension.nested.begin(), extension.nested.end());
      }
    }
  }
  for (IRTypeDecl& nested : decl.nested) apply(nested, path + "." + nested.name, extensions);
}

const IRTypeDecl* typeDecl(const IRDecl& decl) {
  const auto* type = decl.as<IRDecl::type>();
  return type ? &type->decl.get() : nullptr;
}

bool isViewBuilder(const IRProperty& property) {
  return property.wrapper == "ViewBuilder" || contains(property.otherAttributes, "ViewBuilder");
}

bool isObservable(const IRTypeDecl& decl) {
  return contains(decl.attributes, "Observable") || contains(decl.inherits, "ObservableObject") ||
         contains(decl.attributes, "Model");
}

NameSet observedProperties(const IRTypeDecl& decl) {
  NameSet observed;
  const bool published = contains(decl.inherits, "ObservableObject");
  for (const IRProperty& property : decl.properties) {
    // Only the first attribute (the wrapper) can switch observation off.
    const bool keep = published ? property.wrapper == "Published"
                                : !property.getter && !property.isLet && !property.isStatic &&
                                      property.wrapper != "ObservationIgnored";
    if (keep) observed.insert(property.name);
  }
  return observed;
}

ModuleSymbols::EnumInfo enumInfo(const IRTypeDecl& decl) {
  ModuleSymbols::EnumInfo info{.name = decl.name, .cases = decl.cases, .sealed = false, .rawType = std::nullopt};
  info.sealed = std::any_of(decl.cases.begin(), decl.cases.end(),
                            [](const IREnumCase& c) { return !c.associated.empty(); });
  if (info.sealed || decl.inherits.empty()) return info;
  // Sized integer raw types (Core Data attributes are often Int16) are
  // written as Kotlin Int like Int itself, so they count as Int here.
  static constexpr std::string_view rawTypes[] = {"String", "Int", "Double", "Character"};
  static constexpr std::string_view intRawTypes[] = {"Int8",  "Int16",  "Int32", "UInt",
                                                     "UInt8", "UInt16", "UInt32"};
  const std::string& first = decl.inherits.front();
  if (std::find(std::begin(rawTypes), std::end(rawTypes), first) != std::end(rawTypes)) {
    info.rawType = first;
  } else if (std::find(std::begin(intRawTypes), std::end(intRawTypes), first) != std::end(intRawTypes)) {
    info.rawType = "Int";
  }
  return info;
}

// The type visited last under each name; copied into ModuleSymbols::types
// once at the end, so a name declared many times costs one deep copy.
using LatestTypes = std::map<std::string_view, const IRTypeDecl*>;

void visit(const IRTypeDecl& decl, ModuleSymbols& symbols, LatestTypes& latest) {
  if (decl.kind != IRTypeKind::extension) {
    latest.insert_or_assign(decl.name, &decl);
    switch (decl.kind) {
      case IRTypeKind::struct_:
        if (contains(decl.inherits, "View")) {
          symbols.views.insert(decl.name);
        } else if (contains(decl.inherits, "App")) {
          symbols.apps.insert(decl.name);
        } else {
          symbols.structs.insert(decl.name);
        }
        break;
      case IRTypeKind::enum_:
        symbols.enums.insert_or_assign(decl.name, enumInfo(decl));
        for (const IREnumCase& c : decl.cases) symbols.caseIndex[c.name].push_back(decl.name);
        break;
      case IRTypeKind::protocol: {
        NameSet members;
        for (const IRProperty& property : decl.properties) members.insert(property.name);
        for (const IRFunction& function : decl.functions) members.insert(function.name);
        symbols.protocols.insert_or_assign(decl.name, std::move(members));
        break;
      }
      case IRTypeKind::class_:
      case IRTypeKind::actor:
        symbols.classes.insert(decl.name);
        if (isObservable(decl)) symbols.observable.insert_or_assign(decl.name, observedProperties(decl));
        break;
      case IRTypeKind::extension:
        break;
    }
  }
  for (const IRFunction& function : decl.functions) {
    if (function.isMutating) symbols.mutatingFunctions.insert(function.name);
  }
  for (const IRTypeDecl& nested : decl.nested) visit(nested, symbols, latest);
}

// Members of a view or app that produce view content.
NameSet viewMembers(const IRTypeDecl& decl, const NameSet& viewNames) {
  const auto isViewType = [&](const IRType& type) {
    const auto* named = type.as<IRType::named>();
    if (!named) return false;
    const std::string& n = named->name;
    return n == "View" || n == "some View" || n == "AnyView" || n == "Scene" || viewNames.contains(n);
  };
  NameSet members;
  for (const IRProperty& property : decl.properties) {
    const bool counts = property.getter ? isViewType(property.type) || isViewBuilder(property)
                                        : property.type.is<IRType::function>() && isViewBuilder(property);
    if (counts) members.insert(property.name);
  }
  for (const IRFunction& function : decl.functions) {
    if ((function.returnType && isViewType(*function.returnType)) || contains(function.attributes, "ViewBuilder")) {
      members.insert(function.name);
    }
  }
  return members;
}

}  // namespace

IRModule mergeExtensions(IRModule module) {
  NameSet names;
  for (const IRFile& file : module.files) {
    for (const IRDecl& decl : file.decls) {
      if (const IRTypeDecl* type = typeDecl(decl)) collectNames(*type, topLevelPath(*type), names);
    }
  }

  ExtensionMap extensions;
  for (IRFile& file : module.files) {
    std::vector<IRDecl> kept;
    kept.reserve(file.decls.size());
    for (IRDecl& decl : file.decls) {
      const IRTypeDecl* type = typeDecl(decl);
      if (type && type->kind == IRTypeKind::extension) {
        std::string path = extensionPath(type->name);
        if (names.contains(path)) {
          extensions[path].push_back(std::move(decl.as<IRDecl::type>()->decl.get()));
          continue;
        }
      }
      kept.push_back(std::move(decl));
    }
    file.decls = std::move(kept);
  }

  for (IRFile& file : module.files) {
    for (IRDecl& decl : file.decls) {
      if (auto* type = decl.as<IRDecl::type>()) apply(type->decl.get(), topLevelPath(type->decl.get()), extensions);
    }
  }
  return module;
}

ModuleSymbols collect(const IRModule& module) {
  ModuleSymbols symbols;
  LatestTypes latest;
  for (const IRFile& file : module.files) {
    for (const IRDecl& decl : file.decls) {
      if (const auto* function = decl.as<IRDecl::function>()) {
        symbols.topLevelFunctions.insert(function->decl->name);
      } else if (const auto* variable = decl.as<IRDecl::variable>()) {
        symbols.topLevelVars.insert(variable->property->name);
      } else if (const IRTypeDecl* type = typeDecl(decl)) {
        visit(*type, symbols, latest);
      }
    }
  }
  for (const auto& [name, decl] : latest) symbols.types.emplace_hint(symbols.types.end(), name, *decl);

  NameSet viewNames = symbols.views;
  viewNames.insert(symbols.apps.begin(), symbols.apps.end());
  for (const std::string& name : viewNames) {
    if (auto found = symbols.types.find(name); found != symbols.types.end()) {
      symbols.viewFunctions.insert_or_assign(name, viewMembers(found->second, viewNames));
    }
  }
  return symbols;
}

}  // namespace tovrane::SymbolCollector
