// Fuzz target for the Swift parser: parse + verify + fold + src + visitor
// on arbitrary bytes. Any lost byte, broken invariant or crash aborts; a
// crash found here becomes a case in tests/swift.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/swift/SwiftSyntax.hpp"
#include "tests/swift/SwiftVerifier.hpp"

namespace {

class Everything : public tovrane::swift::SyntaxVisitor {
public:
  std::size_t references = 0;

protected:
  void visitDeclReferenceExpr(const tovrane::swift::SyntaxTree& tree, tovrane::swift::NodeId id) override {
    references += tree.src(id).size();
  }
};

void check(bool ok, const char* what, const tovrane::swift::SyntaxTree& tree, const std::string& detail = {}) {
  if (ok) return;
  std::fprintf(stderr, "%s\n%s\n", what, detail.empty() ? tree.dump().substr(0, 20000).c_str() : detail.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  using namespace tovrane::swift;
  std::string_view source(reinterpret_cast<const char*>(data), size);
  SyntaxTree tree = parse(source);
  std::string problems = testing::verify(tree);
  check(problems.empty(), "verifier failed", tree, problems);
  check(tree.src(tree.root()).size() <= size, "src longer than the source", tree);
  FoldResult folded = fold(tree);
  if (folded.ok()) {
    problems = testing::verify(tree);
    check(problems.empty(), "verifier failed on the folded view", tree, problems);
  } else {
    check(!tree.showsFolded(), "failed fold left the folded view on", tree);
  }
  Everything visitor;
  visitor.walk(tree, tree.root());
  return 0;
}
