#pragma once
// Turns the text of one Swift source file into one IRFile: the
// conditional-compilation pre-pass, the parse, operator folding and the
// lowering of every top-level item. Total: never throws; what has no IR form
// becomes an `unsupported` node carrying its source text, and what the parser
// could not place at all is reported on request (SkippedSource).
#include "core/ir/IR.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane {

// A stretch of source that the parser could not place and the IR therefore
// lacks: tokens it set aside as unexpected, and stray text in a type's body.
struct SkippedSource {
  std::uint32_t line = 0;   // 1-based line of its first character
  std::uint32_t lines = 0;  // the number of lines it touches
  std::string text;
  bool operator==(const SkippedSource&) const = default;
};

class SwiftFrontend {
 public:
  IRFile parse(std::string_view source, std::string_view path) const;
  // As parse, and appends what the parser skipped, in source order; adjacent
  // stretches form one.
  IRFile parse(std::string_view source, std::string_view path, std::vector<SkippedSource>& skipped) const;
};

}  // namespace tovrane
