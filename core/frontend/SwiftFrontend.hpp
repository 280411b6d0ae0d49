#pragma once
// Turns the text of one Swift source file into one IRFile: the
// conditional-compilation pre-pass, the parse, operator folding and the
// lowering of every top-level item. Total: never throws, reports nothing;
// what has no IR form becomes an `unsupported` node carrying its source text.
#include "core/ir/IR.hpp"

#include <string_view>

namespace tovrane {

class SwiftFrontend {
 public:
  IRFile parse(std::string_view source, std::string_view path) const;
};

}  // namespace tovrane
