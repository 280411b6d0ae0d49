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
#include <string>
#include <vector>

#include "core/ir/IR.hpp"

namespace tovrane {

// A set of Swift or Kotlin names; the transparent order lets callers look up
// a std::string_view without building a string.
using NameSet = std::set<std::string, std::less<>>;

// The module's symbols. All names are simple Swift names as the IR holds
// them. Keys are simple names, so two types of one simple name at different
// nesting levels share an entry in `types` and `enums`; the one visited
// later wins (files in order, declarations in order, a type before its
// nested types).
struct ModuleSymbols {
  struct EnumInfo {
    std::string name;
    std::vector<IREnumCase> cases;
    // Some case carries associated values.
    bool sealed = false;
    // "String", "Int", "Double" or "Character" when that is the first
    // inherited name and the enumeration is not sealed.
    std::optional<std::string> rawType;
  };

  // Structs that inherit "View".
  NameSet views;
  // Structs that inherit "App" and not "View".
  NameSet apps;
  // Observable class or actor to its observed stored properties.
  std::map<std::string, NameSet, std::less<>> observable;
  std::map<std::string, EnumInfo, std::less<>> enums;
  // Case name to the enumerations declaring it, in visiting order.
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
  NameSet topLevelVars;
  // View or app to its members that produce view content.
  std::map<std::string, NameSet, std::less<>> viewFunctions;
};

namespace SymbolCollector {

// Moves every top-level extension of a type that the module declares into
// that type: its properties, functions, inherited names and nested types are
// appended after the type's own. A type is identified by its qualified path
// ("Outer.Inner"), so an extension of Outer.Inner reaches exactly that type
// and never an unrelated Inner elsewhere. Extensions of types the module
// does not declare stay where they are; files keep their order and paths
// even when they end up empty.
IRModule mergeExtensions(IRModule module);

// The symbols of a merged module.
ModuleSymbols collect(const IRModule& module);

}  // namespace SymbolCollector

}  // namespace tovrane
