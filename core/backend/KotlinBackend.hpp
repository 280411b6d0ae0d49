#pragma once
// The Kotlin backend: one recursive translator from merged IR files to
// Kotlin/Compose source text. KotlinEmitter holds the run-wide state; its
// operations live in one file per area so the areas can grow independently:
//   KotlinBackend.cpp      writer, scope, placeholder, keyword escaping, type mapping
//   KotlinDecls.cpp        file template, declaration and type dispatch, extensions
//   KotlinDeclsTypes.cpp   structs, classes, enumerations, protocols (members: KotlinDeclsMembers.cpp)
//   KotlinExpressions.cpp  expressions, closures, identifiers and members, implicit members, calls
//   KotlinStatements.cpp   statements, conditions, patterns, switch, if chains, expression bodies
//   KotlinViewTypes.cpp    SwiftUI view and app types (content: KotlinViews.cpp)
//   KotlinViews.cpp        view content, view calls, modifier chains
// Helpers private to one area are free functions in that area's file taking
// the emitter; everything here is what the areas call of each other.
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <variant>
#include <vector>

#include "core/backend/ConversionWarning.hpp"
#include "core/backend/KotlinNameTables.hpp"
#include "core/backend/KotlinNames.hpp"
#include "core/backend/KotlinStringLiteral.hpp"
#include "core/backend/MemberIndex.hpp"
#include "core/backend/RuntimeGlobals.hpp"
#include "core/backend/SymbolCollector.hpp"
#include "core/ir/IR.hpp"

namespace tovrane {

// What the context of an expression knows: the call or modifier whose
// argument it is, that argument's label and the type it should have. The
// empty hint knows nothing.
struct Hint {
  std::optional<std::string> callee{};
  std::optional<std::string> label{};
  std::optional<IRType> type{};
};

// Collects output lines; callers raise and lower `level` around blocks.
class Writer {
 public:
  std::vector<std::string> lines;
  int level = 0;

  // An empty text appends one empty line. Otherwise each piece between line
  // feeds (empty pieces included) becomes a line indented by four blanks per
  // level, up to maxIndent blanks in all.
  void line(std::string_view text);

  // Where indentation stops growing. Nested writers re-indent their lines at
  // every level, so without a ceiling the blanks of deeply nested code would
  // grow with the square of its depth; Kotlin does not read them, and real
  // code stays far above it.
  static constexpr std::size_t maxIndent = 4 * 32;
};

// The emission context of one type declaration: which Swift names are in
// scope and how the members of the type are written. The first name frame
// and the first entries of returnLabels and returnTypes are never popped.
class EmitScope {
 public:
  // Lexical frames of declared Swift names; the last is the innermost.
  std::vector<NameSet> names{NameSet{}};
  // Per frame, in step with names: the written types of typed locals.
  std::vector<std::map<std::string, IRType, std::less<>>> localTypes{{}};
  // Per frame, in step with names: locals declared without a value, which
  // Kotlin must see definitely assigned before they are read.
  std::vector<NameSet> unsetLocals{{}};
  // Per open closure: Swift parameter name to Kotlin name.
  std::vector<std::map<std::string, std::string, std::less<>>> closureRename;
  // The last entry decides how `return` is written: plain, or "return@" + label.
  std::vector<std::optional<std::string>> returnLabels{std::nullopt};
  NameSet stateFields;
  NameSet bindingFields;
  NameSet appStorageFields;
  NameSet viewMembers;
  NameSet methodNames;
  // Member names the type takes over from its supertypes; known like the
  // names of the outermost frame.
  MemberNames inherited;
  // Property or variable name to the module type of its value.
  std::map<std::string, std::string, std::less<>> varClass;
  std::optional<std::string> typeName;
  bool isViewHolder = false;
  // The last entry is the type a returned value is coerced to.
  std::vector<std::optional<IRType>> returnTypes{std::nullopt};
  // One-shot request that the next closure destructure its two parameters.
  bool tupleClosure = false;
  // One-shot: the type the values of the next if or switch written as an
  // expression are coerced to (a returned one); its branches take it over.
  std::optional<IRType> valueType;

  void declare(std::string name);
  // Declares a local with its written type, which assignments to it use;
  // hasValue false: declared without a value.
  void declare(std::string name, const IRType& type, bool hasValue = true);
  // Whether the innermost local `name` was declared without a value.
  bool isUnsetLocal(std::string_view name) const;
  // For the innermost local `name` declared after the outermost frame: its
  // written type, or null when it has none; nullopt when there is no such local.
  std::optional<const IRType*> localType(std::string_view name) const;
  void push();
  // Removes the innermost frame; the outermost one stays.
  void pop();
  bool knows(std::string_view name) const;
};

// Whether a Swift identifier is a binding reference ("$isOn"): a "$" followed
// by a name, not by the number of an anonymous closure parameter ("$0").
bool isBindingReference(std::string_view name);

// An integer or floating-point literal, possibly negated.
bool isNumberLiteral(const IRExpr& value);

// Translates the merged IR files of one conversion run into Kotlin source
// files. Warnings, the count of untranslated places and the counter of
// generated names accumulate over the whole run; currentFile and hoisted
// belong to the file being written; scope belongs to the type being written
// (a fresh one per type, and per top-level function, variable or extension).
// Used by one thread at a time; never fails: what cannot be translated
// becomes a placeholder with a warning.
class KotlinEmitter {
  // The symbols and the index of their members live together, shared by
  // copies of an emitter, so the index always points into the symbols it
  // was built from.
  struct Module {
    explicit Module(ModuleSymbols taken) : symbols(std::move(taken)), members(symbols) {}
    ModuleSymbols symbols;
    MemberIndex members;
  };
  std::shared_ptr<const Module> module_;

 public:
  // How a stored property of a view or app is held.
  struct ViewField {
    struct param {
      IRProperty property;
    };
    struct binding {
      IRProperty property;
    };
    struct state {
      IRProperty property;
    };
    // typeName: the Kotlin type name of the environment object; path: the
    // module type it is, if it is one.
    struct envObject {
      IRProperty property;
      std::string typeName;
      std::optional<std::string> path;
    };
    // key: the key path's name ("dismiss" for \.dismiss).
    struct envValue {
      IRProperty property;
      std::string key;
    };
    // key: Kotlin source of the preference key, a string literal.
    struct appStorage {
      IRProperty property;
      std::string key;
    };
    struct constant {
      IRProperty property;
    };

    TOVRANE_IR_UNION_BODY(ViewField, param, binding, state, envObject, envValue, appStorage, constant)

    const IRProperty& property() const {
      return std::visit([](const auto& c) -> const IRProperty& { return c.property; }, node);
    }
  };

  // One modifier peeled off a view expression: views into the modifier
  // call's arguments, since a chain is peeled for every emitted view and
  // copies would duplicate whole trailing closures.
  struct ModifierEntry {
    std::string name;
    std::span<const IRArg> args;
    std::span<const IRArg> trailing;
  };

  // A condition list split into what Kotlin needs: value lines before the
  // test, one predicate per condition, and payload bindings for the guarded
  // code.
  struct CondParts {
    std::vector<std::string> prelude;
    std::vector<std::string> predicates;
    std::vector<std::string> bindingLines;
  };

  // The Kotlin test of one pattern and the lines binding its payload values.
  struct PatternTest {
    std::string test;
    std::vector<std::string> bindingLines;
  };

  KotlinEmitter(ModuleSymbols symbols, std::string packageName);

  const ModuleSymbols& symbols;
  const MemberIndex& members;
  const std::string packageName;
  std::vector<ConversionWarning> warnings;
  std::string currentFile;
  EmitScope scope;
  int labelCounter = 0;
  // A generated Kotlin name: prefix + the next value of labelCounter.
  std::string freshName(std::string_view prefix);
  int unsupportedCount = 0;
  // When requested, emitFile writes no further top-level declaration and
  // returns what it has; the caller, which asked for the stop, drops it.
  std::stop_token stop;
  // A nested or local type waiting to be written at file level, with the
  // path the module symbols know it by (a local type's is its name).
  struct HoistedType {
    IRTypeDecl decl;
    std::string path;
  };
  std::vector<HoistedType> hoisted;

  // Placeholder for code that cannot be translated: records a warning with
  // the first 300 characters of source, counts one untranslated place and
  // returns TODO("tovrane: " + the first 120 characters).
  std::string todo(std::string_view source, std::string_view message);
  // Records a warning about source (cut to its first 300 characters) in the
  // current file, without counting an untranslated place.
  void warn(std::string_view source, std::string message);

  // --- Type mapping (KotlinBackend.cpp)
  // The path of the module type that a Swift type name names where the
  // current type is being written (scope.typeName), as Swift resolves it.
  std::optional<std::string> typePath(std::string_view name) const;
  // The type with every module type it names replaced by that type's path,
  // resolved where `context` (a type's path) declares it: a type read from
  // another declaration keeps its meaning wherever it is used.
  IRType qualified(const IRType& type, std::string_view context) const;
  // The path of the module type a named type names, if it does.
  std::optional<std::string> moduleTypeOf(const IRType& type) const;
  std::string typeName(std::string_view name) const;
  // Kotlin type text; empty for an inferred type.
  std::string kt(const IRType& type) const;
  bool isNumeric(const IRType& type, const NameSet& names) const;
  // The expression written so that literals take the expected type.
  std::string coerced(const IRExpr& value, const IRType& type);
  // Initial value of a stored property without one, if the type has one.
  std::optional<std::string> defaultValue(const IRType& type) const;

  // --- File template and dispatch (KotlinDecls.cpp)
  std::string emitFile(const IRFile& file);
  // One warning for each name the file declares that kw replaces.
  void warnReplacedNames(const IRFile& file);
  void emitDecl(const IRDecl& decl, Writer& writer);
  // path: the type's path in the module symbols; empty for a top-level or
  // local type, whose path is its name. The type emitters are given the
  // path emitType settled on.
  void emitType(const IRTypeDecl& decl, Writer& writer, std::string_view path = {});

  // --- Structs and classes (KotlinDeclsTypes.cpp)
  void emitStructOrClass(const IRTypeDecl& decl, Writer& writer, bool isStruct, std::string_view path);
  std::vector<std::string> kotlinSupertypes(const IRTypeDecl& decl);
  // The members of the protocols the type conforms to.
  MemberNames protocolMembers(const IRTypeDecl& decl);
  // The members of the type's supertypes, a few levels up.
  MemberNames inheritedMembers(const IRTypeDecl& decl);
  void emitInit(const IRFunction& initializer, Writer& writer);
  void emitCompanion(const IRTypeDecl& decl, Writer& writer);

  // --- Enumerations and protocols (KotlinDeclsTypes.cpp)
  void emitEnum(const IRTypeDecl& decl, Writer& writer, std::string_view path);
  void emitProtocol(const IRTypeDecl& decl, Writer& writer, std::string_view path);

  // --- Functions and properties (KotlinDeclsMembers.cpp)
  void emitFunction(const IRFunction& function, Writer& writer, const std::optional<std::string>& receiver,
                    bool override, std::string_view open);
  std::string paramList(const IRFunction& function);
  std::vector<std::string> renameLines(const IRFunction& function);
  void emitFunctionBody(const std::vector<IRStmt>& body, Writer& writer, bool returns,
                        const std::optional<IRType>& returnType);
  void emitProperty(const IRProperty& property, Writer& writer, const MemberNames& protocolMembers);
  void emitGetter(const std::vector<IRStmt>& getter, Writer& writer, const IRType& type);
  void emitSetter(const IRProperty& property, Writer& writer);
  void emitStoredProperty(const IRProperty& property, Writer& writer, bool observable, bool override,
                          std::string_view open);
  std::string propType(const IRProperty& property);
  std::string guessKotlinType(const IRExpr& value);

  // --- Expressions (KotlinExpressions.cpp)
  std::string expr(const IRExpr& value, const Hint& hint = {});
  std::string stringExpr(const std::vector<IRStringPart>& parts);
  std::string escapeSwiftText(std::string_view text);
  // A string literal of one character as a Kotlin char literal; none for
  // any other expression.
  std::optional<std::string> charLiteral(const IRExpr& value);

  // --- Closures (KotlinExpressions.cpp)
  // paramTypes: the parameters' types when Kotlin cannot learn them from
  // where the lambda stands (written into its head).
  std::string closureExpr(const IRClosure& closure, bool viewMode, const std::vector<IRType>* paramTypes = nullptr);

  // --- Identifiers and members (KotlinExpressions.cpp)
  std::string identExpr(std::string_view name);
  bool isKnownIdent(std::string_view name);
  std::string memberExpr(const IRExpr& base, std::string_view name, const Hint& hint);
  // The binding to a member and subscript chain rooted at a binding
  // reference («$recipe.steps[i]», with member: «$recipe.steps[i].text»);
  // none for any other expression.
  std::optional<std::string> bindingTo(const IRExpr& chain, std::string_view member = {});
  // Translates, with translate, a text that its caller writes twice (a
  // toggled base, the target of a binding). Such a text inside another would
  // double again at every level of nesting, so inside one there is none.
  std::optional<std::string> writtenTwice(const std::function<std::string()>& translate);
  std::vector<std::string> path(const IRExpr& value);
  std::optional<std::string> implicitTypeFor(const IRExpr& value);
  std::optional<std::string> enumType(std::string_view ofProperty, std::string_view in);
  std::optional<std::string> enumTypeOfProperty(std::string_view name);
  // The property `name` of the type being written, when that is a module type.
  const IRProperty* currentTypeProperty(std::string_view name) const;
  // Its first method (not an initializer) of that name, likewise.
  const IRFunction* currentTypeMethod(std::string_view name) const;
  std::optional<std::string> elementClass(const IRExpr& value);
  bool isPropertyOfCurrentType(std::string_view name);
  // The written type of what `target` names: a typed local, or a stored
  // property of the type being written (`x` not hidden by a local, or
  // `self.x`); null otherwise.
  const IRType* assignedType(const IRExpr& target);

  // --- Implicit members (KotlinExpressions.cpp)
  std::optional<std::string> implicitMember(std::string_view name, const Hint& hint);

  // --- Calls and argument lists (KotlinExpressions.cpp)
  std::string callExpr(const IRExpr& callee, const std::vector<IRArg>& args, const std::vector<IRArg>& trailing,
                       const Hint& hint);
  std::vector<std::string> argList(const std::vector<IRArg>& args, const std::optional<std::string>& callee,
                                   const std::vector<std::optional<IRType>>& typeHints);
  // The declared types of the arguments, wherever the callee is a known
  // declaration: an initializer (memberwise or written) of a module type, a
  // case of a module enumeration (also «.case(…)» under the hint's type), a
  // method of a module type or a top-level function. Empty otherwise.
  std::vector<std::optional<IRType>> paramTypes(const IRExpr& callee, const std::vector<IRArg>& args,
                                                const Hint& hint = {});
  // The path of the module type an expression names: «Item», «Outer.Item»;
  // none for a local or parameter.
  std::optional<std::string> typePathOf(const IRExpr& value) const;

  // --- Statements (KotlinStatements.cpp)
  void emitStmt(const IRStmt& stmt, Writer& writer);
  std::optional<std::string> touchLine(const IRExpr& mutated);

  // --- Conditions, patterns and switch (KotlinStatements.cpp)
  CondParts conditionParts(const std::vector<IRCondition>& conds);
  PatternTest patternTest(const IRPattern& pattern, const std::string& subject,
                          const std::optional<std::string>& enumHint);
  // The pattern as a Boolean test of subject (what an `if case` and a
  // switch case with a `where` condition need), with its binding lines.
  PatternTest patternCondition(const IRPattern& pattern, const std::string& subject,
                               const std::optional<std::string>& enumHint);
  std::optional<std::string> switchEnum(const IRExpr& subject, const std::vector<IRSwitchCase>& cases);
  void emitSwitch(const IRExpr& subject, const std::vector<IRSwitchCase>& cases, Writer& writer, bool view,
                  bool asExpression);

  // --- If, else chains and expression bodies (KotlinStatements.cpp)
  void emitIf(const std::vector<IRCondition>& conds, const std::vector<IRStmt>& then,
              const std::optional<std::vector<IRStmt>>& els, Writer& writer, bool view, bool isElseIf);
  void emitElse(const std::optional<std::vector<IRStmt>>& els, Writer& writer, bool view);
  bool containsLoopJump(const std::vector<IRStmt>& stmts);
  void emitStmtAsExpression(const IRStmt& stmt, Writer& writer);
  void emitExpressionBody(const std::vector<IRStmt>& stmts, Writer& writer);

  // --- SwiftUI view types (KotlinViewTypes.cpp)
  void emitViewType(const IRTypeDecl& decl, Writer& writer, std::string_view path);
  ViewField classify(const IRProperty& property);
  void emitQuery(const IRProperty& property, Writer& writer);
  void emitViewBody(const std::vector<IRStmt>& stmts, Writer& writer);

  // --- View expressions (KotlinViews.cpp)
  void emitViewBlock(const std::vector<IRStmt>& stmts, Writer& writer);
  void emitViewStmt(const IRStmt& stmt, Writer& writer);
  void emitView(const IRExpr& value, Writer& writer);
  bool isViewExpr(const IRExpr& value);
  // Whether a Swift name names a view of the module where it is written.
  bool isModuleView(std::string_view name) const;
  std::string describe(const IRExpr& value);
  void emitViewCall(const std::string& name, const std::vector<IRArg>& args, const std::vector<IRArg>& trailing,
                    const std::optional<std::string>& mod, Writer& writer, const IRExpr& source);
  void emitViewArgs(const std::string& name, const std::vector<IRArg>& args, const NameSet& viewClosureLabels,
                    const std::vector<IRArg>& trailing, const std::optional<std::string>& mod, Writer& writer,
                    bool trailingIsView);

  // --- Modifier chains (KotlinViews.cpp)
  std::string modString(const std::vector<ModifierEntry>& modifiers);

  // What bindingTo learns about a chain is kept while the expression that
  // asked is being written and forgotten when this scope ends, so only links
  // of the IR in hand are remembered, never addresses that may be reused.
  class ChainMemoScope {
   public:
    explicit ChainMemoScope(KotlinEmitter& emitter) : emitter_(emitter), mark_(emitter.plainLinks_.size()) {
      ++emitter_.memoScopes_;
    }
    ~ChainMemoScope();
    ChainMemoScope(const ChainMemoScope&) = delete;
    ChainMemoScope& operator=(const ChainMemoScope&) = delete;

   private:
    KotlinEmitter& emitter_;
    std::size_t mark_;
  };

 private:
  // Links of member and subscript chains whose root is no binding
  // reference, in the order learnt and as a set (bindingTo, ChainMemoScope).
  std::vector<const IRExpr*> plainLinks_;
  std::unordered_set<const IRExpr*> plainLinkSet_;
  // Open ChainMemoScopes; without one, bindingTo remembers nothing.
  int memoScopes_ = 0;
  // A text that will be written twice is being translated (writtenTwice).
  bool writingTwice_ = false;
  // What enumType and enumTypeOfProperty found, by type path and name
  // (joined by a zero byte), and by name.
  std::map<std::string, std::optional<std::string>, std::less<>> enumTypes_;
  std::map<std::string, std::optional<std::string>, std::less<>> propertyEnums_;

  // The type a member type name stands for: «Owner.Alias» or a simple alias
  // of the type being written or one around it, and Identifiable's «ID» (the
  // type of `id`). Kotlin has no member type aliases, so these are written
  // as what they name.
  std::optional<IRType> memberType(std::string_view name) const;
  // typeName and kt, following at most a few aliases deep.
  std::string typeNameAt(std::string_view name, int depth) const;
  std::string ktAt(const IRType& type, int depth) const;

  // The parts of emitType for an extension of a type the module does not
  // declare: extension functions and extension properties.
  void emitExtension(const IRTypeDecl& decl, Writer& writer);
  void emitUnsupportedDecl(const IRDecl::unsupported& decl, Writer& writer);
};

}  // namespace tovrane
