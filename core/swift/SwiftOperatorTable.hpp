#pragma once
// The standard Swift operator table: precedence groups and the infix
// operators the standard library declares. Operators a project declares
// itself are deliberately not added. Checked at compile time: spellings
// unique, every group chain ends at AssignmentPrecedence without cycles.
#include <array>
#include <cstdint>
#include <string_view>

namespace tovrane::swift {

enum class PrecedenceGroup : std::uint8_t {
  bitwiseShift, multiplication, addition, rangeFormation, casting, nilCoalescing, comparison,
  logicalConjunction, logicalDisjunction, defaultPrecedence, ternary, functionArrow, assignment, none
};
enum class Associativity : std::uint8_t { none, left, right };

struct PrecedenceGroupInfo {
  std::string_view name;
  Associativity associativity;
  PrecedenceGroup higherThan;
};

inline constexpr std::array<PrecedenceGroupInfo, 13> precedenceGroups{{
    {"BitwiseShiftPrecedence", Associativity::none, PrecedenceGroup::multiplication},
    {"MultiplicationPrecedence", Associativity::left, PrecedenceGroup::addition},
    {"AdditionPrecedence", Associativity::left, PrecedenceGroup::rangeFormation},
    {"RangeFormationPrecedence", Associativity::none, PrecedenceGroup::casting},
    // Casts are non-associative in the language, but a cast's right side is a
    // type, so "x as A as? B" can only mean ((x as A) as? B): chain to the left.
    {"CastingPrecedence", Associativity::left, PrecedenceGroup::nilCoalescing},
    {"NilCoalescingPrecedence", Associativity::right, PrecedenceGroup::comparison},
    {"ComparisonPrecedence", Associativity::none, PrecedenceGroup::logicalConjunction},
    {"LogicalConjunctionPrecedence", Associativity::left, PrecedenceGroup::logicalDisjunction},
    {"LogicalDisjunctionPrecedence", Associativity::left, PrecedenceGroup::ternary},
    {"DefaultPrecedence", Associativity::none, PrecedenceGroup::ternary},
    {"TernaryPrecedence", Associativity::right, PrecedenceGroup::functionArrow},
    {"FunctionArrowPrecedence", Associativity::right, PrecedenceGroup::assignment},
    {"AssignmentPrecedence", Associativity::right, PrecedenceGroup::none},
}};

struct InfixOperator {
  std::string_view spelling;
  PrecedenceGroup group;
};

inline constexpr InfixOperator infixOperators[] = {
    {"<<", PrecedenceGroup::bitwiseShift}, {">>", PrecedenceGroup::bitwiseShift},
    {"&<<", PrecedenceGroup::bitwiseShift}, {"&>>", PrecedenceGroup::bitwiseShift},
    {"*", PrecedenceGroup::multiplication}, {"/", PrecedenceGroup::multiplication},
    {"%", PrecedenceGroup::multiplication}, {"&*", PrecedenceGroup::multiplication},
    {"&", PrecedenceGroup::multiplication},
    {"+", PrecedenceGroup::addition}, {"-", PrecedenceGroup::addition}, {"&+", PrecedenceGroup::addition},
    {"&-", PrecedenceGroup::addition}, {"|", PrecedenceGroup::addition}, {"^", PrecedenceGroup::addition},
    {"...", PrecedenceGroup::rangeFormation}, {"..<", PrecedenceGroup::rangeFormation},
    {"??", PrecedenceGroup::nilCoalescing},
    {"<", PrecedenceGroup::comparison}, {"<=", PrecedenceGroup::comparison}, {">", PrecedenceGroup::comparison},
    {">=", PrecedenceGroup::comparison}, {"==", PrecedenceGroup::comparison}, {"!=", PrecedenceGroup::comparison},
    {"===", PrecedenceGroup::comparison}, {"!==", PrecedenceGroup::comparison}, {"~=", PrecedenceGroup::comparison},
    {".==", PrecedenceGroup::comparison}, {".!=", PrecedenceGroup::comparison}, {".<", PrecedenceGroup::comparison},
    {".<=", PrecedenceGroup::comparison}, {".>", PrecedenceGroup::comparison}, {".>=", PrecedenceGroup::comparison},
    {"&&", PrecedenceGroup::logicalConjunction}, {".&", PrecedenceGroup::logicalConjunction},
    {"||", PrecedenceGroup::logicalDisjunction}, {".|", PrecedenceGroup::logicalDisjunction},
    {".^", PrecedenceGroup::logicalDisjunction},
    {"*=", PrecedenceGroup::assignment}, {"/=", PrecedenceGroup::assignment}, {"%=", PrecedenceGroup::assignment},
    {"+=", PrecedenceGroup::assignment}, {"-=", PrecedenceGroup::assignment}, {"<<=", PrecedenceGroup::assignment},
    {">>=", PrecedenceGroup::assignment}, {"&=", PrecedenceGroup::assignment}, {"|=", PrecedenceGroup::assignment},
    {"^=", PrecedenceGroup::assignment}, {"&*=", PrecedenceGroup::assignment}, {"&+=", PrecedenceGroup::assignment},
    {"&-=", PrecedenceGroup::assignment}, {"&<<=", PrecedenceGroup::assignment}, {"&>>=", PrecedenceGroup::assignment},
    {".&=", PrecedenceGroup::assignment}, {".|=", PrecedenceGroup::assignment}, {".^=", PrecedenceGroup::assignment},
};

constexpr const PrecedenceGroupInfo& groupInfo(PrecedenceGroup group) {
  return precedenceGroups[static_cast<std::size_t>(group)];
}

// True when `a` binds tighter than `b` (b is reachable along higherThan).
constexpr bool bindsTighter(PrecedenceGroup a, PrecedenceGroup b) {
  for (PrecedenceGroup g = groupInfo(a).higherThan; g != PrecedenceGroup::none; g = groupInfo(g).higherThan)
    if (g == b) return true;
  return false;
}

constexpr PrecedenceGroup infixGroup(std::string_view spelling) {
  for (const InfixOperator& op : infixOperators)
    if (op.spelling == spelling) return op.group;
  return PrecedenceGroup::none;
}

namespace detail {
constexpr bool spellingsUnique() {
  for (std::size_t i = 0; i < std::size(infixOperators); ++i)
    for (std::size_t j = i + 1; j < std::size(infixOperators); ++j)
      if (infixOperators[i].spelling == infixOperators[j].spelling) return false;
  return true;
}
constexpr bool chainsEndAtAssignment() {
  for (std::size_t i = 0; i < precedenceGroups.size(); ++i) {
    auto g = static_cast<PrecedenceGroup>(i);
    std::size_t steps = 0;
    while (g != PrecedenceGroup::assignment) {
      g = groupInfo(g).higherThan;
      if (g == PrecedenceGroup::none || ++steps > precedenceGroups.size()) return false;
    }
  }
  return true;
}
}  // namespace detail
static_assert(detail::spellingsUnique());
static_assert(detail::chainsEndAtAssignment());
static_assert(bindsTighter(PrecedenceGroup::multiplication, PrecedenceGroup::addition));
static_assert(!bindsTighter(PrecedenceGroup::defaultPrecedence, PrecedenceGroup::logicalDisjunction));

}  // namespace tovrane::swift
