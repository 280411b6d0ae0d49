#pragma once
// The JSON keys of the IR, one table per record and per union case: each
// lists every member of the struct in declaration order with its key (the
// field name or payload label, else "_" and the payload position). The
// encoder and the reader of IRJson.cpp are derived from these tables alone;
// a union case additionally names its case key.
//
// To add a case: add the struct to its union in IR.hpp, then one Keys
// specialization here listing all its members in order.
#include "core/ir/IR.hpp"

#include <string_view>
#include <tuple>

namespace tovrane::irjson {

template <typename S, typename M>
struct Field {
  using Type = M;
  std::string_view key;
  M S::*member;
};
template <typename S, typename M>
Field(std::string_view, M S::*) -> Field<S, M>;

template <typename... Fields>
struct Shape {
  std::string_view name;  // the case key; empty for records
  std::tuple<Fields...> fields;
};

template <typename... Fields>
constexpr Shape<Fields...> record(Fields... fields) {
  return {{}, {fields...}};
}
template <typename... Fields>
constexpr Shape<Fields...> unionCase(std::string_view name, Fields... fields) {
  return {name, {fields...}};
}

template <typename T>
struct Keys;

#define TOVRANE_IR_KEYS(T, ...)                             \
  template <>                                               \
  struct Keys<T> {                                          \
    static constexpr auto shape = __VA_ARGS__;              \
  }

// Records: the key is the field name.
TOVRANE_IR_KEYS(IRModule, record(Field{"files", &IRModule::files}));
TOVRANE_IR_KEYS(IRFile, record(Field{"path", &IRFile::path}, Field{"decls", &IRFile::decls}));
TOVRANE_IR_KEYS(IRTypeDecl,
                record(Field{"kind", &IRTypeDecl::kind}, Field{"name", &IRTypeDecl::name},
                       Field{"inherits", &IRTypeDecl::inherits}, Field{"attributes", &IRTypeDecl::attributes},
                       Field{"properties", &IRTypeDecl::properties}, Field{"functions", &IRTypeDecl::functions},
                       Field{"cases", &IRTypeDecl::cases}, Field{"nested", &IRTypeDecl::nested},
                       Field{"typealiases", &IRTypeDecl::typealiases}));
TOVRANE_IR_KEYS(IRProperty,
                record(Field{"name", &IRProperty::name}, Field{"type", &IRProperty::type},
                       Field{"isLet", &IRProperty::isLet}, Field{"isStatic", &IRProperty::isStatic},
                       Field{"wrapper", &IRProperty::wrapper}, Field{"wrapperArg", &IRProperty::wrapperArg},
                       Field{"isOverride", &IRProperty::isOverride},
                       Field{"otherAttributes", &IRProperty::otherAttributes},
                       Field{"initializer", &IRProperty::initializer}, Field{"getter", &IRProperty::getter},
                       Field{"setter", &IRProperty::setter}, Field{"setterParam", &IRProperty::setterParam},
                       Field{"isPrivate", &IRProperty::isPrivate}));
TOVRANE_IR_KEYS(IRFunction,
                record(Field{"name", &IRFunction::name}, Field{"params", &IRFunction::params},
                       Field{"returnType", &IRFunction::returnType}, Field{"body", &IRFunction::body},
                       Field{"isStatic", &IRFunction::isStatic}, Field{"isMutating", &IRFunction::isMutating},
                       Field{"isAsync", &IRFunction::isAsync}, Field{"isThrows", &IRFunction::isThrows},
                       Field{"isInit", &IRFunction::isInit}, Field{"isPrivate", &IRFunction::isPrivate},
                       Field{"attributes", &IRFunction::attributes}, Field{"isOverride", &IRFunction::isOverride}));
TOVRANE_IR_KEYS(IRParam, record(Field{"label", &IRParam::label}, Field{"name", &IRParam::name},
                                Field{"type", &IRParam::type}, Field{"defaultValue", &IRParam::defaultValue},
                                Field{"isInout", &IRParam::isInout}));
TOVRANE_IR_KEYS(IREnumCase, record(Field{"name", &IREnumCase::name}, Field{"associated", &IREnumCase::associated},
                                   Field{"rawValue", &IREnumCase::rawValue}));
TOVRANE_IR_KEYS(IRSwitchCase, record(Field{"patterns", &IRSwitchCase::patterns}, Field{"body", &IRSwitchCase::body}));
TOVRANE_IR_KEYS(IRArg, record(Field{"label", &IRArg::label}, Field{"value", &IRArg::value}));
TOVRANE_IR_KEYS(IRClosure, record(Field{"params", &IRClosure::params}, Field{"body", &IRClosure::body}));
TOVRANE_IR_KEYS(IRDictEntry, record(Field{"key", &IRDictEntry::key}, Field{"value", &IRDictEntry::value}));

// IRDecl
TOVRANE_IR_KEYS(IRDecl::type, unionCase("type", Field{"_0", &IRDecl::type::decl}));
TOVRANE_IR_KEYS(IRDecl::function, unionCase("function", Field{"_0", &IRDecl::function::decl}));
TOVRANE_IR_KEYS(IRDecl::variable, unionCase("variable", Field{"_0", &IRDecl::variable::property}));
TOVRANE_IR_KEYS(IRDecl::typeAlias,
                unionCase("typeAlias", Field{"_0", &IRDecl::typeAlias::name}, Field{"_1", &IRDecl::typeAlias::aliased}));
TOVRANE_IR_KEYS(IRDecl::unsupported, unionCase("unsupported", Field{"_0", &IRDecl::unsupported::reason},
                                               Field{"source", &IRDecl::unsupported::source}));

// IRType
TOVRANE_IR_KEYS(IRType::named,
                unionCase("named", Field{"_0", &IRType::named::name}, Field{"_1", &IRType::named::args}));
TOVRANE_IR_KEYS(IRType::optional, unionCase("optional", Field{"_0", &IRType::optional::wrapped}));
TOVRANE_IR_KEYS(IRType::array, unionCase("array", Field{"_0", &IRType::array::element}));
TOVRANE_IR_KEYS(IRType::dictionary, unionCase("dictionary", Field{"_0", &IRType::dictionary::key},
                                              Field{"_1", &IRType::dictionary::value}));
TOVRANE_IR_KEYS(IRType::tuple, unionCase("tuple", Field{"_0", &IRType::tuple::elements}));
TOVRANE_IR_KEYS(IRType::function, unionCase("function", Field{"_0", &IRType::function::params},
                                            Field{"_1", &IRType::function::result}));
TOVRANE_IR_KEYS(IRType::inferred, unionCase("inferred"));

// IRStmt
TOVRANE_IR_KEYS(IRStmt::expr, unionCase("expr", Field{"_0", &IRStmt::expr::value}));
TOVRANE_IR_KEYS(IRStmt::local, unionCase("local", Field{"name", &IRStmt::local::name},
                                         Field{"type", &IRStmt::local::type}, Field{"isLet", &IRStmt::local::isLet},
                                         Field{"value", &IRStmt::local::value}));
TOVRANE_IR_KEYS(IRStmt::destructure, unionCase("destructure", Field{"names", &IRStmt::destructure::names},
                                               Field{"value", &IRStmt::destructure::value}));
TOVRANE_IR_KEYS(IRStmt::assign,
                unionCase("assign", Field{"_0", &IRStmt::assign::target}, Field{"op", &IRStmt::assign::op},
                          Field{"_2", &IRStmt::assign::value}));
TOVRANE_IR_KEYS(IRStmt::ret, unionCase("ret", Field{"_0", &IRStmt::ret::value}));
TOVRANE_IR_KEYS(IRStmt::ifStmt,
                unionCase("ifStmt", Field{"conds", &IRStmt::ifStmt::conds}, Field{"then", &IRStmt::ifStmt::then},
                          Field{"els", &IRStmt::ifStmt::els}));
TOVRANE_IR_KEYS(IRStmt::guardStmt, unionCase("guardStmt", Field{"conds", &IRStmt::guardStmt::conds},
                                             Field{"els", &IRStmt::guardStmt::els}));
TOVRANE_IR_KEYS(IRStmt::forIn,
                unionCase("forIn", Field{"name", &IRStmt::forIn::name}, Field{"seq", &IRStmt::forIn::seq},
                          Field{"body", &IRStmt::forIn::body}));
TOVRANE_IR_KEYS(IRStmt::whileLoop, unionCase("whileLoop", Field{"conds", &IRStmt::whileLoop::conds},
                                             Field{"body", &IRStmt::whileLoop::body}));
TOVRANE_IR_KEYS(IRStmt::repeatWhile, unionCase("repeatWhile", Field{"body", &IRStmt::repeatWhile::body},
                                               Field{"cond", &IRStmt::repeatWhile::cond}));
TOVRANE_IR_KEYS(IRStmt::switchStmt, unionCase("switchStmt", Field{"_0", &IRStmt::switchStmt::subject},
                                              Field{"_1", &IRStmt::switchStmt::cases}));
TOVRANE_IR_KEYS(IRStmt::doCatch, unionCase("doCatch", Field{"body", &IRStmt::doCatch::body},
                                           Field{"catchBody", &IRStmt::doCatch::catchBody}));
TOVRANE_IR_KEYS(IRStmt::breakStmt, unionCase("breakStmt"));
TOVRANE_IR_KEYS(IRStmt::continueStmt, unionCase("continueStmt"));
TOVRANE_IR_KEYS(IRStmt::throwStmt, unionCase("throwStmt", Field{"_0", &IRStmt::throwStmt::value}));
TOVRANE_IR_KEYS(IRStmt::defer_, unionCase("defer_", Field{"_0", &IRStmt::defer_::body}));
TOVRANE_IR_KEYS(IRStmt::localFunc, unionCase("localFunc", Field{"_0", &IRStmt::localFunc::function}));
TOVRANE_IR_KEYS(IRStmt::localType, unionCase("localType", Field{"_0", &IRStmt::localType::decl}));
TOVRANE_IR_KEYS(IRStmt::unsupported, unionCase("unsupported", Field{"_0", &IRStmt::unsupported::source}));

// IRCondition
TOVRANE_IR_KEYS(IRCondition::bool_, unionCase("bool", Field{"_0", &IRCondition::bool_::value}));
TOVRANE_IR_KEYS(IRCondition::optionalBinding,
                unionCase("optionalBinding", Field{"name", &IRCondition::optionalBinding::name},
                          Field{"value", &IRCondition::optionalBinding::value}));
TOVRANE_IR_KEYS(IRCondition::casePattern, unionCase("casePattern", Field{"_0", &IRCondition::casePattern::pattern},
                                                    Field{"_1", &IRCondition::casePattern::value}));

// IRPattern
TOVRANE_IR_KEYS(IRPattern::expr, unionCase("expr", Field{"_0", &IRPattern::expr::value}));
TOVRANE_IR_KEYS(IRPattern::enumCase, unionCase("enumCase", Field{"_0", &IRPattern::enumCase::name},
                                               Field{"bindings", &IRPattern::enumCase::bindings}));
TOVRANE_IR_KEYS(IRPattern::wildcard, unionCase("wildcard"));
TOVRANE_IR_KEYS(IRPattern::binding, unionCase("binding", Field{"_0", &IRPattern::binding::name}));
TOVRANE_IR_KEYS(IRPattern::guarded, unionCase("guarded", Field{"_0", &IRPattern::guarded::pattern},
                                              Field{"where", &IRPattern::guarded::condition}));

// IRExpr
TOVRANE_IR_KEYS(IRExpr::ident, unionCase("ident", Field{"_0", &IRExpr::ident::name}));
TOVRANE_IR_KEYS(IRExpr::intLit, unionCase("intLit", Field{"_0", &IRExpr::intLit::text}));
TOVRANE_IR_KEYS(IRExpr::floatLit, unionCase("floatLit", Field{"_0", &IRExpr::floatLit::text}));
TOVRANE_IR_KEYS(IRExpr::stringLit, unionCase("stringLit", Field{"_0", &IRExpr::stringLit::parts}));
TOVRANE_IR_KEYS(IRExpr::boolLit, unionCase("boolLit", Field{"_0", &IRExpr::boolLit::value}));
TOVRANE_IR_KEYS(IRExpr::nilLit, unionCase("nilLit"));
TOVRANE_IR_KEYS(IRExpr::selfRef, unionCase("selfRef"));
TOVRANE_IR_KEYS(IRExpr::member,
                unionCase("member", Field{"_0", &IRExpr::member::base}, Field{"_1", &IRExpr::member::name}));
TOVRANE_IR_KEYS(IRExpr::call, unionCase("call", Field{"_0", &IRExpr::call::callee}, Field{"_1", &IRExpr::call::args},
                                        Field{"trailing", &IRExpr::call::trailing}));
TOVRANE_IR_KEYS(IRExpr::subscriptExpr, unionCase("subscriptExpr", Field{"_0", &IRExpr::subscriptExpr::base},
                                                 Field{"_1", &IRExpr::subscriptExpr::args}));
TOVRANE_IR_KEYS(IRExpr::binary, unionCase("binary", Field{"_0", &IRExpr::binary::lhs},
                                          Field{"_1", &IRExpr::binary::op}, Field{"_2", &IRExpr::binary::rhs}));
TOVRANE_IR_KEYS(IRExpr::prefix,
                unionCase("prefix", Field{"_0", &IRExpr::prefix::op}, Field{"_1", &IRExpr::prefix::operand}));
TOVRANE_IR_KEYS(IRExpr::postfix,
                unionCase("postfix", Field{"_0", &IRExpr::postfix::operand}, Field{"_1", &IRExpr::postfix::op}));
TOVRANE_IR_KEYS(IRExpr::ternary,
                unionCase("ternary", Field{"_0", &IRExpr::ternary::cond}, Field{"_1", &IRExpr::ternary::thenValue},
                          Field{"_2", &IRExpr::ternary::elseValue}));
TOVRANE_IR_KEYS(IRExpr::closure, unionCase("closure", Field{"_0", &IRExpr::closure::value}));
TOVRANE_IR_KEYS(IRExpr::arrayLit, unionCase("arrayLit", Field{"_0", &IRExpr::arrayLit::elements}));
TOVRANE_IR_KEYS(IRExpr::dictLit, unionCase("dictLit", Field{"_0", &IRExpr::dictLit::entries}));
TOVRANE_IR_KEYS(IRExpr::tuple, unionCase("tuple", Field{"_0", &IRExpr::tuple::elements}));
TOVRANE_IR_KEYS(IRExpr::cast, unionCase("cast", Field{"_0", &IRExpr::cast::value},
                                        Field{"_1", &IRExpr::cast::keyword}, Field{"_2", &IRExpr::cast::type}));
TOVRANE_IR_KEYS(IRExpr::tryExpr,
                unionCase("tryExpr", Field{"_0", &IRExpr::tryExpr::value}, Field{"_1", &IRExpr::tryExpr::keyword}));
TOVRANE_IR_KEYS(IRExpr::awaitExpr, unionCase("awaitExpr", Field{"_0", &IRExpr::awaitExpr::value}));
TOVRANE_IR_KEYS(IRExpr::range, unionCase("range", Field{"_0", &IRExpr::range::lower},
                                         Field{"_1", &IRExpr::range::op}, Field{"_2", &IRExpr::range::upper}));
TOVRANE_IR_KEYS(IRExpr::ifExpr, unionCase("ifExpr", Field{"_0", &IRExpr::ifExpr::stmt}));
TOVRANE_IR_KEYS(IRExpr::unsupported, unionCase("unsupported", Field{"_0", &IRExpr::unsupported::source}));

// IRStringPart
TOVRANE_IR_KEYS(IRStringPart::text, unionCase("text", Field{"_0", &IRStringPart::text::value}));
TOVRANE_IR_KEYS(IRStringPart::interp, unionCase("interp", Field{"_0", &IRStringPart::interp::value}));

#undef TOVRANE_IR_KEYS

}  // namespace tovrane::irjson
