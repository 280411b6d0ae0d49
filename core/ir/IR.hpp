#pragma once
// The intermediate representation: the typed tree between the Swift frontend
// and the Kotlin backend. Pure data: plain value records and tagged unions,
// no behaviour besides construction, structural equality of IRType and the
// text of IRTypeKind. Literals, operators and unsupported constructs stay
// source text.
//
// How the types are shaped (one scheme for every type, so users can guess):
//
// - A record (IRModule, IRFile, IRTypeDecl, IRProperty, IRFunction, IRParam,
//   IREnumCase, IRSwitchCase, IRArg, IRClosure, IRDictEntry) is an aggregate
//   whose members are the fields in declaration order; build it with
//   designated initializers. Fields with a default may be left out; the
//   required ones carry no member initializer (Booleans aside, which start
//   false), so -Wextra flags a required field left out:
//       IRProperty p{.name = "count", .type = IRType::inferred{}, .isLet = false,
//                    .isStatic = false, .isPrivate = false};
// - A union (IRDecl, IRType, IRStmt, IRCondition, IRPattern, IRExpr,
//   IRStringPart) is a struct with one member `node`, a std::variant of one
//   nested struct per case. The nested struct has exactly the case's name;
//   a case named like a C++ keyword gets a trailing underscore
//   (IRCondition::bool_). Payload elements that carry a label keep it as the
//   member name; unlabeled ones get a short descriptive name.
//       IRExpr sum = IRExpr::binary{IRExpr::ident{"a"}, "+", IRExpr::intLit{"1"}};
//       if (const auto* b = sum.as<IRExpr::binary>()) use(*b->lhs, b->op);
//   A default-constructed union holds its first case with an empty payload.
// - A payload element that is itself an IR union or record is held in a
//   Box<T> (optional ones in std::optional<Box<T>>); texts, Booleans and
//   lists are plain (std::string, bool, std::vector<T>). Records hold their
//   IR fields by value (std::optional<T> where the field is optional).
// - Box<T> owns one T. Copying a Box copies the whole subtree, so every copy
//   of a tree is independent (the backend's merged module never changes the
//   module as parsed); moving a Box moves only the pointer.
// - IRTypeKind is an enum class; the keyword cases carry a trailing
//   underscore (struct_, class_, enum_); rawValue() gives the case name.
#include <concepts>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace tovrane {

// True when C is one of the alternatives of the variant V.
template <typename C, typename V>
inline constexpr bool isIRCaseOf = false;
template <typename C, typename... Cases>
inline constexpr bool isIRCaseOf<C, std::variant<Cases...>> = (std::same_as<C, Cases> || ...);

// C is a case of the union U.
template <typename C, typename U>
concept IRCaseOf = requires { typename U::Node; } && isIRCaseOf<C, typename U::Node>;

// An owning, deep-copying pointer to one value: the recursion point of the
// IR. A moved-from Box holds nothing; it may only be assigned to, copied or
// destroyed.
template <typename T>
class Box {
 public:
  using element_type = T;

  Box() : ptr_(std::make_unique<T>()) {}
  Box(T value) : ptr_(std::make_unique<T>(std::move(value))) {}
  // Any IR case converts to its union first, so a case can be boxed directly.
  template <typename C>
    requires IRCaseOf<std::remove_cvref_t<C>, T>
  Box(C&& value) : ptr_(std::make_unique<T>(std::forward<C>(value))) {}
  Box(const Box& other) : ptr_(other.ptr_ ? std::make_unique<T>(*other.ptr_) : nullptr) {}
  Box(Box&& other) noexcept = default;
  Box& operator=(const Box& other) {
    if (this != &other) ptr_ = other.ptr_ ? std::make_unique<T>(*other.ptr_) : nullptr;
    return *this;
  }
  Box& operator=(Box&& other) noexcept = default;
  ~Box() = default;

  T& operator*() { return *ptr_; }
  const T& operator*() const { return *ptr_; }
  T* operator->() { return ptr_.get(); }
  const T* operator->() const { return ptr_.get(); }
  T& get() { return *ptr_; }
  const T& get() const { return *ptr_; }

  // Compares the values, not the pointers; only used where T has ==.
  bool operator==(const Box& other) const { return *ptr_ == *other.ptr_; }

 private:
  std::unique_ptr<T> ptr_;
};

// The common members of every union, written once: the variant `node`, a
// converting constructor from each case, and typed case access.
#define TOVRANE_IR_UNION_BODY(Self, ...)                      \
  using Node = std::variant<__VA_ARGS__>;                     \
  template <typename C>                                       \
  static constexpr bool isCase = isIRCaseOf<C, Node>;         \
  Node node;                                                  \
  Self() = default;                                           \
  template <typename C>                                       \
    requires isCase<std::remove_cvref_t<C>>                   \
  Self(C&& value) : node(std::forward<C>(value)) {}           \
  template <typename C>                                       \
  bool is() const {                                           \
    return std::holds_alternative<C>(node);                   \
  }                                                           \
  template <typename C>                                       \
  const C* as() const {                                       \
    return std::get_if<C>(&node);                             \
  }                                                           \
  template <typename C>                                       \
  C* as() {                                                   \
    return std::get_if<C>(&node);                             \
  }

struct IRType;
struct IRExpr;
struct IRStmt;
struct IRCondition;
struct IRPattern;
struct IRStringPart;
struct IRArg;
struct IRDictEntry;
struct IRClosure;
struct IRSwitchCase;
struct IRParam;
struct IREnumCase;
struct IRProperty;
struct IRFunction;
struct IRTypeDecl;
struct IRDecl;
struct IRFile;
struct IRModule;

// The declaration keyword of an IRTypeDecl. Equality and std::hash come with
// the enum; the text is the case name.
enum class IRTypeKind : std::uint8_t { struct_, class_, enum_, protocol, extension, actor };

std::string_view rawValue(IRTypeKind kind);
// The kind whose text equals `text` exactly (case-sensitive); nullopt otherwise.
std::optional<IRTypeKind> irTypeKindFromRawValue(std::string_view text);

// A type as written.
struct IRType {
  // A type name with its generic arguments; also dotted member types, "Void"
  // and every form the frontend does not break down.
  struct named {
    std::string name;
    std::vector<IRType> args;
    bool operator==(const named&) const = default;
  };
  struct optional {
    Box<IRType> wrapped;
    bool operator==(const optional&) const = default;
  };
  struct array {
    Box<IRType> element;
    bool operator==(const array&) const = default;
  };
  struct dictionary {
    Box<IRType> key;
    Box<IRType> value;
    bool operator==(const dictionary&) const = default;
  };
  struct tuple {
    std::vector<IRType> elements;
    bool operator==(const tuple&) const = default;
  };
  struct function {
    std::vector<IRType> params;
    Box<IRType> result;
    bool operator==(const function&) const = default;
  };
  struct inferred {
    bool operator==(const inferred&) const = default;
  };

  TOVRANE_IR_UNION_BODY(IRType, named, optional, array, dictionary, tuple, function, inferred)

  // Structural: same case and equal payloads; texts compare byte for byte.
  bool operator==(const IRType& other) const { return node == other.node; }
};

// One expression.
struct IRExpr {
  struct ident {
    std::string name;
  };
  struct intLit {
    std::string text;
  };
  struct floatLit {
    std::string text;
  };
  struct stringLit {
    std::vector<IRStringPart> parts;
  };
  struct boolLit {
    bool value = false;
  };
  struct nilLit {};
  struct selfRef {};
  // An absent base is an implicit member (`.name`).
  struct member {
    std::optional<Box<IRExpr>> base{};
    std::string name;
  };
  struct call {
    Box<IRExpr> callee;
    std::vector<IRArg> args;
    std::vector<IRArg> trailing;
  };
  struct subscriptExpr {
    Box<IRExpr> base;
    std::vector<IRArg> args;
  };
  struct binary {
    Box<IRExpr> lhs;
    std::string op;
    Box<IRExpr> rhs;
  };
  struct prefix {
    std::string op;
    Box<IRExpr> operand;
  };
  struct postfix {
    Box<IRExpr> operand;
    std::string op;
  };
  struct ternary {
    Box<IRExpr> cond;
    Box<IRExpr> thenValue;
    Box<IRExpr> elseValue;
  };
  struct closure {
    Box<IRClosure> value;
  };
  struct arrayLit {
    std::vector<IRExpr> elements;
  };
  struct dictLit {
    std::vector<IRDictEntry> entries;
  };
  struct tuple {
    std::vector<IRArg> elements;
  };
  // keyword: "as", "as?", "as!" or "is".
  struct cast {
    Box<IRExpr> value;
    std::string keyword;
    Box<IRType> type;
  };
  // keyword: "try", "try?" or "try!".
  struct tryExpr {
    Box<IRExpr> value;
    std::string keyword;
  };
  struct awaitExpr {
    Box<IRExpr> value;
  };
  // op: "..<" or "..."; either bound may be absent (one-sided ranges).
  struct range {
    std::optional<Box<IRExpr>> lower{};
    std::string op;
    std::optional<Box<IRExpr>> upper{};
  };
  // An `if` or `switch` in expression position: its ifStmt or switchStmt.
  struct ifExpr {
    Box<IRStmt> stmt;
  };
  struct unsupported {
    std::string source;
  };

  TOVRANE_IR_UNION_BODY(IRExpr, ident, intLit, floatLit, stringLit, boolLit, nilLit, selfRef, member, call,
                        subscriptExpr, binary, prefix, postfix, ternary, closure, arrayLit, dictLit, tuple, cast,
                        tryExpr, awaitExpr, range, ifExpr, unsupported)
};

// One segment of a string literal; text segments keep their escapes unprocessed.
struct IRStringPart {
  struct text {
    std::string value;
  };
  struct interp {
    Box<IRExpr> value;
  };

  TOVRANE_IR_UNION_BODY(IRStringPart, text, interp)
};

// An argument of a call, subscript or tuple.
struct IRArg {
  std::optional<std::string> label{};
  IRExpr value;
};

struct IRDictEntry {
  IRExpr key;
  IRExpr value;
};

struct IRClosure {
  std::vector<std::string> params;
  std::vector<IRStmt> body;
};

// One statement.
struct IRStmt {
  struct expr {
    Box<IRExpr> value;
  };
  struct local {
    std::string name;
    Box<IRType> type;
    bool isLet = false;
    std::optional<Box<IRExpr>> value{};
  };
  struct destructure {
    std::vector<std::string> names;
    Box<IRExpr> value;
  };
  // op: "=", "+=", "-=", "*=", "/=" or "%=".
  struct assign {
    Box<IRExpr> target;
    std::string op;
    Box<IRExpr> value;
  };
  struct ret {
    std::optional<Box<IRExpr>> value{};
  };
  // els: absent without else; for `else if`, one nested ifStmt.
  struct ifStmt {
    std::vector<IRCondition> conds;
    std::vector<IRStmt> then;
    std::optional<std::vector<IRStmt>> els;
  };
  struct guardStmt {
    std::vector<IRCondition> conds;
    std::vector<IRStmt> els;
  };
  struct forIn {
    std::string name;
    Box<IRExpr> seq;
    std::vector<IRStmt> body;
  };
  struct whileLoop {
    std::vector<IRCondition> conds;
    std::vector<IRStmt> body;
  };
  struct repeatWhile {
    std::vector<IRStmt> body;
    Box<IRExpr> cond;
  };
  struct switchStmt {
    Box<IRExpr> subject;
    std::vector<IRSwitchCase> cases;
  };
  struct doCatch {
    std::vector<IRStmt> body;
    std::optional<std::vector<IRStmt>> catchBody;
  };
  struct breakStmt {};
  struct continueStmt {};
  struct throwStmt {
    Box<IRExpr> value;
  };
  struct defer_ {
    std::vector<IRStmt> body;
  };
  struct localFunc {
    Box<IRFunction> function;
  };
  struct localType {
    Box<IRTypeDecl> decl;
  };
  struct unsupported {
    std::string source;
  };

  TOVRANE_IR_UNION_BODY(IRStmt, expr, local, destructure, assign, ret, ifStmt, guardStmt, forIn, whileLoop,
                        repeatWhile, switchStmt, doCatch, breakStmt, continueStmt, throwStmt, defer_, localFunc,
                        localType, unsupported)
};

// One element of the condition list of `if`, `guard` or `while`.
struct IRCondition {
  struct bool_ {
    Box<IRExpr> value;
  };
  struct optionalBinding {
    std::string name;
    Box<IRExpr> value;
  };
  struct casePattern {
    Box<IRPattern> pattern;
    Box<IRExpr> value;
  };

  TOVRANE_IR_UNION_BODY(IRCondition, bool_, optionalBinding, casePattern)
};

// A switch-case pattern or the pattern of a `case` condition.
struct IRPattern {
  struct expr {
    Box<IRExpr> value;
  };
  // One binding per argument; nullopt for `_`.
  struct enumCase {
    std::string name;
    std::vector<std::optional<std::string>> bindings;
  };
  struct wildcard {};
  // `let name` alone: matches every value and binds it.
  struct binding {
    std::string name;
  };
  // A pattern of a switch case with its `where` condition.
  struct guarded {
    Box<IRPattern> pattern;
    Box<IRExpr> condition;
  };

  TOVRANE_IR_UNION_BODY(IRPattern, expr, enumCase, wildcard, binding, guarded)
};

// One case of a switch; empty patterns mean `default`.
struct IRSwitchCase {
  std::vector<IRPattern> patterns;
  std::vector<IRStmt> body;
};

// A parameter of a function or initializer, or an associated value of an
// enumeration case.
struct IRParam {
  std::optional<std::string> label{};
  std::string name;
  IRType type;
  std::optional<IRExpr> defaultValue{};
  bool isInout = false;
};

struct IREnumCase {
  std::string name;
  std::vector<IRParam> associated;
  std::optional<IRExpr> rawValue{};
};

// One identifier binding of a `var`/`let`.
struct IRProperty {
  std::string name;
  IRType type;
  bool isLet = false;
  bool isStatic = false;
  std::optional<std::string> wrapper{};
  std::optional<std::string> wrapperArg{};
  bool isOverride = false;
  std::vector<std::string> otherAttributes{};
  std::optional<IRExpr> initializer{};
  std::optional<std::vector<IRStmt>> getter{};
  std::optional<std::vector<IRStmt>> setter{};
  std::string setterParam = "newValue";
  bool isPrivate = false;
};

// A function, method or initializer ("init", isInit set).
struct IRFunction {
  std::string name;
  std::vector<IRParam> params;
  std::optional<IRType> returnType{};
  std::optional<std::vector<IRStmt>> body{};
  bool isStatic = false;
  bool isMutating = false;
  bool isAsync = false;
  bool isThrows = false;
  bool isInit = false;
  bool isPrivate = false;
  std::vector<std::string> attributes;
  bool isOverride = false;
};

// A nominal type or an extension.
struct IRTypeDecl {
  IRTypeKind kind = IRTypeKind::struct_;
  std::string name;
  std::vector<std::string> inherits;
  std::vector<std::string> attributes;
  std::vector<IRProperty> properties;
  std::vector<IRFunction> functions;
  std::vector<IREnumCase> cases;
  std::vector<IRTypeDecl> nested;
  // Alias name to aliased type; a later alias of the same name replaces the
  // earlier one. The order carries no meaning.
  std::map<std::string, IRType> typealiases;
};

// One top-level declaration.
struct IRDecl {
  struct type {
    Box<IRTypeDecl> decl;
  };
  struct function {
    Box<IRFunction> decl;
  };
  struct variable {
    Box<IRProperty> property;
  };
  struct typeAlias {
    std::string name;
    Box<IRType> aliased;
  };
  // reason: why it is not translated; source: the item's source text.
  struct unsupported {
    std::string reason;
    std::string source;
  };

  TOVRANE_IR_UNION_BODY(IRDecl, type, function, variable, typeAlias, unsupported)
};

// The IR of one Swift source file; path is relative to the project folder.
struct IRFile {
  std::string path;
  std::vector<IRDecl> decls;
};

// The whole converted project, one file per Swift source in scan order.
struct IRModule {
  std::vector<IRFile> files;
};

}  // namespace tovrane
