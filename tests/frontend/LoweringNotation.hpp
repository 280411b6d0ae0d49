#pragma once
// Test helpers for the Swift lowering: parse a snippet, lower it, and write
// the IR in a short one-line notation derived from its JSON form, so that a
// table of cases reads like the IR it expects:
//   call(member(nil, "red"), [{label: "x", value: intLit("1")}], trailing: [])
// A union case is `name(payload)` (positional payload in order, a gap for an
// absent value written `nil`, labeled payload as `label: value`), a record is
// `{field: value}`, a list `[a, b]`, texts are JSON strings.
#include "core/ir/IR.hpp"

#include <string>
#include <string_view>

namespace tovrane::test {

// One row of a table of cases: a Swift snippet and the notation of its IR.
struct LoweringCase {
  std::string_view swift;
  std::string_view ir;
};

std::string notation(const IRExpr& expr);
std::string notation(const IRStmt& stmt);

// The statements of a snippet lowered as a body, one line per statement.
// `folded` false lowers the tree as if folding had failed.
std::string lowerBodyNotation(std::string_view source, bool folded = true);

// The first item of the snippet lowered as an expression.
std::string lowerExprNotation(std::string_view source, bool folded = true);

}  // namespace tovrane::test
