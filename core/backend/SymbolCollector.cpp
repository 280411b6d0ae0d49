#include "core/backend/SymbolCollector.hpp"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "core/backend/KotlinNames.hpp"

namespace tovrane {
namespace SymbolCollector {
namespace {

bool contains(const std::vector<std::string>& list, std::string_view value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// The path an extension's name spells: its dotted pieces without empty ones
// ("Outer..Inner" and "Outer.Inner" name the same type) and without a first
// piece that names the module, when moduleName is given. A name made of dots
// only is taken whole.
std::string extensionPath(std::string_view name, std::string_view moduleName) {
  std::string path;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t dot = name.find('.', start);
    if (dot == std::string_view::npos) dot = name.size();
    const std::string_view piece = name.substr(start, dot - start);
    const bool module = path.empty() && dot < name.size() && !moduleName.empty() && piece == moduleName;
    if (!piece.empty() && !module) {
      if (!path.empty()) path += '.';
      path += piece;
    }
    start = dot + 1;
  }
  return path.empty() ? std::string(name) : path;
}

// Every path a type of the module is declared under, with the files whose
// own declarations (not their extensions) hold one, in file order. Types
// declared inside an extension count under the extended type's path, which
// is where merging puts them, but in no file of their own.
using DeclaredPaths = std::map<std::string, std::vector<std::size_t>, std::less<>>;

void collectNames(const IRTypeDecl& decl, const std::string& path, std::optional<std::size_t> file,
                  DeclaredPaths& declared) {
  if (decl.kind != IRTypeKind::extension) {
    std::vector<std::size_t>& files = declared[path];
    if (file && (files.empty() || files.back() != *file)) files.push_back(*file);
  }
  for (const IRTypeDecl& nested : decl.nested) collectNames(nested, path + "." + nested.name, file, declared);
}

// An extension waiting to be merged; order is its place in the module.
struct PendingExtension {
  std::size_t order;
  IRTypeDecl decl;
};

// The extensions of one path. Each is merged into exactly one declaration of
// the path, the one it extends in Swift: the first in its own file when that
// file declares the path (two files may each declare a private type of one
// name), else the first in the module. A path declared many times thus
// still receives each extension once, and the merged module stays the size
// of the parsed one.
struct PathExtensions {
  std::vector<PendingExtension> anywhere;
  std::map<std::size_t, std::vector<PendingExtension>> byFile;
  bool anywhereTaken = false;
};
using ExtensionMap = std::map<std::string, PathExtensions, std::less<>>;

// What the declaration of the path met first in `file` receives, in module order.
std::vector<PendingExtension> takeExtensions(PathExtensions& pending, std::size_t file) {
  std::vector<PendingExtension> taken;
  if (!pending.anywhereTaken) {
    pending.anywhereTaken = true;
    taken = std::move(pending.anywhere);
  }
  if (const auto own = pending.byFile.find(file); own != pending.byFile.end()) {
    std::vector<PendingExtension> merged;
    merged.reserve(taken.size() + own->second.size());
    std::merge(std::make_move_iterator(taken.begin()), std::make_move_iterator(taken.end()),
               std::make_move_iterator(own->second.begin()), std::make_move_iterator(own->second.end()),
               std::back_inserter(merged),
               [](const PendingExtension& a, const PendingExtension& b) { return a.order < b.order; });
    taken = std::move(merged);
    pending.byFile.erase(own);
  }
  return taken;
}

template <typename T>
void appendMoved(std::vector<T>& to, std::vector<T>& from) {
  to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
}

// Appends the members of the extensions that decl (in `file`) receives, then
// does the same for its nested types under their longer paths. An extension
// only ever reaches the one path it names, and every nested type's path is
// longer than its parent's, so a type declared inside an extension under the
// extended type's own simple name ("extension Foo { struct Foo {} }") never
// receives that extension again and the walk ends.
void apply(IRTypeDecl& decl, const std::string& path, std::size_t file, ExtensionMap& extensions) {
  if (decl.kind != IRTypeKind::extension) {
    if (const auto found = extensions.find(path); found != extensions.end()) {
      for (PendingExtension& extension : takeExtensions(found->second, file)) {
        appendMoved(decl.properties, extension.decl.properties);
        appendMoved(decl.functions, extension.decl.functions);
        appendMoved(decl.inherits, extension.decl.inherits);
        appendMoved(decl.nested, extension.decl.nested);
      }
    }
  }
  for (IRTypeDecl& nested : decl.nested) apply(nested, path + "." + nested.name, file, extensions);
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

ModuleSymbols::EnumInfo enumInfo(const IRTypeDecl& decl, const std::string& path) {
  ModuleSymbols::EnumInfo info{.name = path, .cases = decl.cases, .sealed = false, .rawType = std::nullopt};
  for (IREnumCase& c : info.cases) c.name = std::string(withoutBackquotes(c.name));
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

// The type visited last under each path; copied into ModuleSymbols::types
// once at the end, so a path declared many times costs one deep copy.
using LatestTypes = std::map<std::string, const IRTypeDecl*, std::less<>>;

void visit(const IRTypeDecl& decl, const std::string& path, ModuleSymbols& symbols, LatestTypes& latest) {
  if (decl.kind != IRTypeKind::extension) {
    latest.insert_or_assign(path, &decl);
    switch (decl.kind) {
      case IRTypeKind::struct_:
        if (contains(decl.inherits, "View")) {
          symbols.views.insert(path);
        } else if (contains(decl.inherits, "App")) {
          symbols.apps.insert(path);
        } else {
          symbols.structs.insert(path);
        }
        break;
      case IRTypeKind::enum_: {
        ModuleSymbols::EnumInfo info = enumInfo(decl, path);
        for (const IREnumCase& c : info.cases) symbols.caseIndex[c.name].push_back(path);
        symbols.enums.insert_or_assign(path, std::move(info));
        break;
      }
      case IRTypeKind::protocol: {
        NameSet members;
        for (const IRProperty& property : decl.properties) members.insert(property.name);
        for (const IRFunction& function : decl.functions) members.insert(function.name);
        symbols.protocols.insert_or_assign(path, std::move(members));
        break;
      }
      case IRTypeKind::class_:
      case IRTypeKind::actor:
        symbols.classes.insert(path);
        if (isObservable(decl)) symbols.observable.insert_or_assign(path, observedProperties(decl));
        break;
      case IRTypeKind::extension:
        break;
    }
  }
  for (const IRFunction& function : decl.functions) {
    if (function.isMutating) symbols.mutatingFunctions.insert(function.name);
  }
  // Types declared in an extension of a foreign type are written at file
  // level beside its members, under their own name, which the members use.
  for (const IRTypeDecl& nested : decl.nested) {
    visit(nested, decl.kind == IRTypeKind::extension ? nested.name : path + "." + nested.name, symbols, latest);
  }
}

// Members of the view or app at `path` that produce view content.
NameSet viewMembers(const IRTypeDecl& decl, const std::string& path, const ModuleSymbols& symbols) {
  const auto isViewType = [&](const IRType& type) {
    const auto* named = type.as<IRType::named>();
    if (!named) return false;
    const std::string& n = named->name;
    if (n == "View" || n == "some View" || n == "AnyView" || n == "Scene") return true;
    const std::optional<std::string> typePath = symbols.typePath(n, path);
    return typePath && (symbols.views.contains(*typePath) || symbols.apps.contains(*typePath));
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

IRModule mergeExtensions(IRModule module, std::string_view moduleName, std::stop_token stop) {
  // The module's own types first, then the types declared in extensions,
  // under the path of the type each extension names.
  DeclaredPaths declared;
  for (std::size_t index = 0; index < module.files.size(); ++index) {
    for (const IRDecl& decl : module.files[index].decls) {
      const IRTypeDecl* type = typeDecl(decl);
      if (type && type->kind != IRTypeKind::extension) collectNames(*type, type->name, index, declared);
    }
  }
  // A first piece naming the module is left out only where the whole name
  // is no type of the module: a type named like its module comes first, as
  // in Swift.
  const auto extended = [&](const IRTypeDecl& type) {
    if (type.kind != IRTypeKind::extension) return type.name;
    std::string path = extensionPath(type.name, {});
    return declared.contains(path) ? path : extensionPath(type.name, moduleName);
  };
  for (const IRFile& file : module.files) {
    for (const IRDecl& decl : file.decls) {
      const IRTypeDecl* type = typeDecl(decl);
      if (type && type->kind == IRTypeKind::extension) collectNames(*type, extended(*type), std::nullopt, declared);
    }
  }

  // A run asked to stop drops what this returns, so it may stop halfway.
  ExtensionMap extensions;
  std::size_t order = 0;
  for (std::size_t index = 0; index < module.files.size(); ++index) {
    IRFile& file = module.files[index];
    std::vector<IRDecl> kept;
    kept.reserve(file.decls.size());
    for (IRDecl& decl : file.decls) {
      if (stop.stop_requested()) return module;
      const IRTypeDecl* type = typeDecl(decl);
      if (type && type->kind == IRTypeKind::extension) {
        std::string path = extended(*type);
        if (const auto found = declared.find(path); found != declared.end()) {
          PendingExtension pending{order++, std::move(decl.as<IRDecl::type>()->decl.get())};
          PathExtensions& forPath = extensions[std::move(path)];
          if (std::binary_search(found->second.begin(), found->second.end(), index)) {
            forPath.byFile[index].push_back(std::move(pending));
          } else {
            forPath.anywhere.push_back(std::move(pending));
          }
          continue;
        }
      }
      kept.push_back(std::move(decl));
    }
    file.decls = std::move(kept);
  }

  for (std::size_t index = 0; index < module.files.size(); ++index) {
    for (IRDecl& decl : module.files[index].decls) {
      if (stop.stop_requested()) return module;
      if (auto* type = decl.as<IRDecl::type>()) apply(type->decl.get(), extended(type->decl.get()), index, extensions);
    }
  }
  return module;
}

ModuleSymbols collect(const IRModule& module, std::string_view moduleName) {
  ModuleSymbols symbols;
  symbols.moduleName = moduleName;
  LatestTypes latest;
  for (const IRFile& file : module.files) {
    for (const IRDecl& decl : file.decls) {
      if (const auto* function = decl.as<IRDecl::function>()) {
        symbols.topLevelFunctions.insert(function->decl->name);
        symbols.functionParams[function->decl->name].push_back(function->decl->params);
      } else if (const auto* variable = decl.as<IRDecl::variable>()) {
        symbols.topLevelVars.insert(variable->property->name);
      } else if (const IRTypeDecl* type = typeDecl(decl)) {
        visit(*type, type->name, symbols, latest);
      }
    }
  }
  for (const auto& [path, decl] : latest) symbols.types.emplace_hint(symbols.types.end(), path, *decl);

  NameSet viewNames = symbols.views;
  viewNames.insert(symbols.apps.begin(), symbols.apps.end());
  for (const std::string& path : viewNames) {
    if (auto found = symbols.types.find(path); found != symbols.types.end()) {
      symbols.viewFunctions.insert_or_assign(path, viewMembers(found->second, path, symbols));
    }
  }
  return symbols;
}

}  // namespace SymbolCollector

bool ModuleSymbols::isTypePath(std::string_view path) const {
  return types.contains(path) || enums.contains(path) || protocols.contains(path);
}

std::optional<std::string> ModuleSymbols::typePath(std::string_view name, std::string_view context) const {
  if (name.empty()) return std::nullopt;
  const std::size_t dot = name.find('.');
  const std::string_view first = name.substr(0, dot);
  const std::string_view rest = dot == std::string_view::npos ? std::string_view() : name.substr(dot);
  // From the innermost enclosing type outwards; an outer match still counts
  // when the inner one has no such member type.
  for (std::string_view scope = context;;) {
    std::string candidate(scope);
    if (!candidate.empty()) candidate += '.';
    candidate += first;
    if (isTypePath(candidate)) {
      candidate += rest;
      if (isTypePath(candidate)) return candidate;
    }
    if (scope.empty()) break;
    const std::size_t parent = scope.rfind('.');
    scope = parent == std::string_view::npos ? std::string_view() : scope.substr(0, parent);
  }
  // «App.Item» where no type is named like the module: its own Item.
  if (!moduleName.empty() && first == moduleName && !rest.empty() && isTypePath(rest.substr(1))) {
    return std::string(rest.substr(1));
  }
  return std::nullopt;
}

}  // namespace tovrane
