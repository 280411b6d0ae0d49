#include "core/ir/IR.hpp"

#include "tests/support/IRBuilders.hpp"

#include <gtest/gtest.h>

#include <unordered_set>

namespace tovrane {
namespace {

using testsupport::named;

TEST(IRType, EqualityIsStructural) {
  const IRType intType = named("Int");
  const struct {
    IRType a, b;
    bool equal;
  } cases[] = {
      {IRType::inferred{}, IRType::inferred{}, true},
      {IRType::tuple{}, IRType::tuple{}, true},
      {named("Array", {intType}), IRType::array{intType}, false},
      {named("Array", {intType}), named("Array", {named("Int")}), true},
      {IRType::function{{intType}, named("Void")}, IRType::function{{}, named("Void")}, false},
      {IRType::dictionary{named("String"), intType}, IRType::dictionary{intType, intType}, false},
      {IRType::dictionary{intType, named("String")}, IRType::dictionary{intType, named("String")}, true},
      {IRType::optional{intType}, intType, false},
      {intType, named("Int", {IRType::inferred{}}), false},
      {IRType::optional{IRType::optional{intType}}, IRType::optional{IRType::optional{intType}}, true},
      // Texts compare byte for byte: a precomposed and a decomposed "é" differ.
      {named("Caf\xC3\xA9"), named("Cafe\xCC\x81"), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.a == c.b, c.equal);
    EXPECT_EQ(c.b == c.a, c.equal);
  }
}

TEST(IRTypeKind, TextsAndParsingAreExactCaseNames) {
  EXPECT_EQ(rawValue(IRTypeKind::extension), "extension");
  EXPECT_EQ(rawValue(IRTypeKind::struct_), "struct");
  EXPECT_EQ(irTypeKindFromRawValue("actor"), IRTypeKind::actor);
  EXPECT_EQ(irTypeKindFromRawValue("Struct"), std::nullopt);
  EXPECT_EQ(irTypeKindFromRawValue("struct_"), std::nullopt);
  EXPECT_EQ(irTypeKindFromRawValue(""), std::nullopt);
  std::unordered_set<IRTypeKind> kinds;
  for (auto text : {"struct", "class", "enum", "protocol", "extension", "actor"}) {
    const auto kind = irTypeKindFromRawValue(text);
    ASSERT_TRUE(kind) << text;
    EXPECT_EQ(rawValue(*kind), text);
    kinds.insert(*kind);
  }
  EXPECT_EQ(kinds.size(), 6u);
}

TEST(IRRecords, DefaultsOfOptionalFields) {
  const IRProperty property{.name = "count", .type = IRType::inferred{}, .isLet = false, .isStatic = false,
                            .isPrivate = false};
  EXPECT_FALSE(property.wrapper || property.wrapperArg || property.initializer || property.getter || property.setter);
  EXPECT_TRUE(property.otherAttributes.empty());
  EXPECT_FALSE(property.isOverride);
  EXPECT_EQ(property.setterParam, "newValue");

  const IRParam param{.name = "x", .type = named("Int")};
  EXPECT_FALSE(param.label || param.defaultValue);
  EXPECT_FALSE(param.isInout);

  const IRFunction function{.name = "f", .params = {}, .attributes = {}};
  EXPECT_FALSE(function.returnType || function.body);
  EXPECT_FALSE(function.isOverride);

  const IRArg arg{.value = IRExpr::ident{"x"}};
  EXPECT_FALSE(arg.label);

  // An empty computed getter is present, unlike a stored property's.
  IRProperty computed = property;
  computed.getter.emplace();
  EXPECT_TRUE(computed.getter && computed.getter->empty());
}

TEST(IRBox, CopiesAreIndependentAndMovesKeepTheNode) {
  IRExpr chain = IRExpr::binary{IRExpr::ident{"a"}, "+", IRExpr::member{IRExpr::selfRef{}, "b"}};
  IRExpr copy = chain;
  auto* member = copy.as<IRExpr::binary>()->rhs->as<IRExpr::member>();
  ASSERT_TRUE(member);
  member->name = "changed";
  **member->base = IRExpr::nilLit{};
  const auto* original = chain.as<IRExpr::binary>()->rhs->as<IRExpr::member>();
  EXPECT_EQ(original->name, "b");
  EXPECT_TRUE((*original->base)->is<IRExpr::selfRef>());

  const IRExpr* lhsBefore = &*chain.as<IRExpr::binary>()->lhs;
  IRExpr moved = std::move(chain);
  EXPECT_EQ(&*moved.as<IRExpr::binary>()->lhs, lhsBefore);

  IRModule module{{IRFile{"A.swift", {IRDecl::typeAlias{"Id", named("Int")}}}}};
  IRModule merged = module;
  merged.files[0].decls[0].as<IRDecl::typeAlias>()->aliased = IRType::inferred{};
  EXPECT_EQ(*module.files[0].decls[0].as<IRDecl::typeAlias>()->aliased, named("Int"));
}

}  // namespace
}  // namespace tovrane
