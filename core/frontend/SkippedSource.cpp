// Finds the source that the parser could not place (see skippedSource in
// SwiftLowering.hpp): stretches of lexed tokens, merged where they touch, so
// that one garbled line gives one stretch however recovery cut it up.
#include "core/frontend/SwiftFrontend.hpp"
#include "core/frontend/SwiftLowering.hpp"

#include <algorithm>
#include <utility>

namespace tovrane {
namespace {

namespace sx = swift;
using sx::NodeId;
using sx::SyntaxKind;
using sx::SyntaxTree;

class SkippedTokenFinder : public sx::SyntaxVisitor {
 public:
  // First and last lexed token of each skipped node.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;

 protected:
  void visitUnexpectedNodes(const SyntaxTree& tree, NodeId node) override { add(tree, node); }
  void visitMemberBlockItem(const SyntaxTree& tree, NodeId item) override {
    NodeId decl = tree.node(item, sx::MemberBlockItem::decl);
    const sx::TokenId macroName = tree.tokenOf(decl, sx::MacroExpansionDecl::macroName);
    if (tree.is(decl, SyntaxKind::missingDecl) || (macroName && tree.isMissing(macroName))) add(tree, decl);
  }

 private:
  void add(const SyntaxTree& tree, NodeId node) {
    const sx::TokenId first = tree.firstToken(node);
    if (first) ranges.emplace_back(first.index, tree.lastToken(node).index);
  }
};

}  // namespace

std::vector<SkippedSource> skippedSource(const SyntaxTree& tree) {
  SkippedTokenFinder finder;
  finder.walk(tree, tree.root());
  std::vector<std::pair<std::uint32_t, std::uint32_t>>& ranges = finder.ranges;
  std::sort(ranges.begin(), ranges.end());

  std::vector<SkippedSource> result;
  const std::string_view source = tree.source();
  for (std::size_t i = 0; i < ranges.size();) {
    auto [first, last] = ranges[i];
    // Nested and neighbouring ranges join the stretch.
    for (++i; i < ranges.size() && ranges[i].first <= last + 1; ++i) last = std::max(last, ranges[i].second);
    const std::uint32_t start = tree.token(sx::TokenId{first}).textStart;
    const std::uint32_t end = tree.token(sx::TokenId{last}).textEnd;
    const std::string_view text = source.substr(start, end - start);
    const std::uint32_t line = tree.lineColumn(start).first;
    result.push_back(SkippedSource{.line = line,
                                   .lines = tree.lineColumn(end).first - line + 1,
                                   .text = std::string(text)});
  }
  return result;
}

}  // namespace tovrane
