#pragma once
// What the Kotlin backend knows about the whole project before it writes a
// line: extensions of the project's own types folded into those types, and
// the names of views, apps, classes, enumerations, protocols, observable
// properties and top-level members. Both steps are pure functions over the
// IR; the emitter treats the result as read-only for the whole run.
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "core/ir/IR.hpp"

namespace tovrane {

// A set of Swift or Kotlin names; the transparent order lets callers look up
// a std::string_view without building a string.
using NameSet = std::set<std::string, std::less<>>;

// The module's symbols. Types are keyed by their qualified path: a
// top-level type by its name, a nested one by its enclosing types' names and
// its own joined by "." («Outer.Kind»), so types of one simple name nested in
// different types keep apart. Member names are simple names as the IR holds
// them.
struct ModuleSymbols {
  struct EnumInfo {
    // The enumeration's path.
    std::string name;
    // Its cases, their names without Swift's backquotes («default» for
    // «`default`»), since uses write them bare («.default»).
    std::vector<IREnumCase> cases;
    // Some case carries associated values.
    bool sealed = false;
    // "String", "Int", "Double" or "Character" when that is the first
    // inherited name and the enumeration is not sealed.
    std::optional<std::string> rawType;
  };

  // The Swift module the project's files form: a type written with it in
  // front («App.Item») is the module's own.
  std::string moduleName;
  // Structs that inherit "View".
  NameSet views;
  // Structs that inherit "App" and not "View".
  NameSet apps;
  // Observable class or actor to its observed stored properties.
  std::map<std::string, NameSet, std::less<>> observable;
  std::map<std::string, EnumInfo, std::less<>> enums;
  // Case name (bare) to the enumerations declaring it, in visiting order.
  std::map<std::string, std::vector<std::string>, std::less<>> caseIndex;
  // Structs that are neither views nor apps.
  NameSet structs;
  // Classes and actors.
  NameSet classes;
  // Protocol to the names of its properties and functions ("init" for
  // initializer requirements).
  std::map<std::string, NameSet, std::less<>> protocols;
  // Every declared struct, class, enumeration, protocol and actor, nested
  // ones included; never an extension.
  std::map<std::string, IRTypeDecl, std::less<>> types;
  // Methods declared `mutating` by any type or extension of the module, of
  // foreign types too. Calling one changes the value in place, just as
  // `append` does, so a state value that receives the call must be touched.
  NameSet mutatingFunctions;
  NameSet topLevelFunctions;
  // The parameter lists of the top-level functions by name, one per
  // overload in declaration order: calls type their arguments by them.
  std::map<std::string, std::vector<std::vector<IRParam>>, std::less<>> functionParams;
  NameSet topLevelVars;
  // View or app to its members that produce view content.
  std::map<std::string, NameSet, std::less<>> viewFunctions;

  // Whether `path` is the path of a module type: a key of types, enums or
  // protocols.
  bool isTypePath(std::string_view path) const;
  // The path of the module type that `name`, as written in Swift (possibly
  // dotted), names inside the type at path `context` (empty: at file level).
  // As in Swift, the first piece is looked for among the types nested in the
  // context, then in each enclosing type, then at the top level, and the rest
  // of a dotted name descends from there; a first piece naming the module
  // (where no type of that name is meant) starts at the top level. nullopt
  // when no module type has that name.
  std::optional<std::string> typePath(std::string_view name, std::string_view context = {}) const;
};

namespace SymbolCollector {

// Moves every top-level extension of a type that the module declares into
// that type: its properties, functions, inherited names and nested types are
// appended after the type's own. A type is identified by its qualified path
// ("Outer.Inner"), so an extension of Outer.Inner reaches exactly that type
// and never an unrelated Inner elsewhere; a leading piece that names the
// module (moduleName, when known) is left out first («extension App.Item»).
// Where a path is declared more than once, an extension goes to one of the
// declarations only: the first in its own file if that file declares the
// path, else the first in the module. Extensions of types the module does
// not declare stay where they are; files keep their order and paths even
// when they end up empty. Stops early, with the module half merged, when
// `stop` is requested.
IRModule mergeExtensions(IRModule module, std::string_view moduleName = {}, std::stop_token stop = {});

// The symbols of a merged module of the given name.
ModuleSymbols collect(const IRModule& module, std::string_view moduleName = {});

}  // namespace SymbolCollector

}  // namespace tovrane
