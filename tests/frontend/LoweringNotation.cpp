#include "tests/frontend/LoweringNotation.hpp"

#include "core/frontend/SwiftLowering.hpp"
#include "core/ir/IRJson.hpp"
#include "core/support/Json.hpp"

#include <cstddef>
#include <stdexcept>
#include <vector>

namespace tovrane::test {

namespace {

using json::OrderedJson;

bool isPositional(const std::string& key) { return key.size() >= 2 && key[0] == '_'; }

std::string render(const OrderedJson& value);

std::string renderList(const OrderedJson& value) {
  std::string out = "[";
  bool first = true;
  for (const OrderedJson& element : value) {
    if (!first) out += ", ";
    first = false;
    out += render(element);
  }
  return out + "]";
}

std::string renderPayload(const OrderedJson& payload) {
  // Positional keys carry their place among all fields; an absent optional
  // before one shows as a gap.
  std::vector<std::string> parts;
  for (auto it = payload.begin(); it != payload.end(); ++it) {
    if (isPositional(it.key())) {
      std::size_t position = std::stoul(it.key().substr(1));
      while (parts.size() < position) parts.push_back("nil");
      parts.push_back(render(it.value()));
    } else {
      parts.push_back(it.key() + ": " + render(it.value()));
    }
  }
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? ", " : "") + parts[i];
  return out;
}

std::string render(const OrderedJson& value) {
  if (value.is_array()) return renderList(value);
  if (!value.is_object()) return value.dump();
  // A union value is an object with one key, its case, holding an object;
  // the one record that can show a single key is an unlabeled IRArg.
  if (value.size() == 1 && value.begin().value().is_object() && value.begin().key() != "value") {
    const OrderedJson& payload = value.begin().value();
    if (payload.empty()) return value.begin().key();
    return value.begin().key() + "(" + renderPayload(payload) + ")";
  }
  std::string out = "{";
  out.append(renderPayload(value)).append("}");
  return out;
}

template <typename T>
std::string notationOf(const T& value) {
  std::optional<std::string> text = encodeIRJson(value);
  if (!text) throw std::runtime_error("IR too deep to encode");
  std::optional<OrderedJson> parsed = json::tryParseOrdered(*text);
  if (!parsed) throw std::runtime_error("IR JSON does not parse: " + *text);
  return render(*parsed);
}

swift::SyntaxTree parseSnippet(std::string_view source, bool folded) {
  swift::SyntaxTree tree = swift::parse(source);
  if (folded) swift::fold(tree);
  return tree;
}

swift::NodeId topLevelItems(const swift::SyntaxTree& tree) {
  return tree.node(tree.root(), swift::SourceFile::statements);
}

}  // namespace

std::string notation(const IRExpr& expr) { return notationOf(expr); }
std::string notation(const IRStmt& stmt) { return notationOf(stmt); }

std::string lowerBodyNotation(std::string_view source, bool folded) {
  swift::SyntaxTree tree = parseSnippet(source, folded);
  SwiftLowering lowering(tree);
  std::string out;
  for (const IRStmt& stmt : lowering.lowerBlock(topLevelItems(tree))) {
    if (!out.empty()) out += '\n';
    out += notation(stmt);
  }
  return out;
}

std::string lowerExprNotation(std::string_view source, bool folded) {
  swift::SyntaxTree tree = parseSnippet(source, folded);
  SwiftLowering lowering(tree);
  auto items = tree.elements(topLevelItems(tree));
  if (items.empty()) return "<no item>";
  swift::NodeId item = tree.node(items[0], swift::CodeBlockItem::item);
  if (tree.is(item, swift::SyntaxKind::expressionStmt)) item = tree.node(item, swift::ExpressionStmt::expression);
  return notation(lowering.lowerExpr(item));
}

}  // namespace tovrane::test
