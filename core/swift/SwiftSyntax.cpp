// Tables derived from SwiftTokens.def / SwiftNodes.def, tree accessors,
// trivia splitting, the dumper and the visitor walk.
#include "core/swift/SwiftSyntax.hpp"

#include <algorithm>
#include <array>

namespace tovrane::swift {
namespace {

constexpr std::string_view tokenKindNames[] = {
#define SWIFT_TOKEN(name) #name,
#include "core/swift/SwiftTokens.def"
};

struct KeywordEntry {
  std::string_view spelling;
  bool reserved;
};
constexpr KeywordEntry keywordEntries[] = {
    {"", false},
#define SWIFT_KEYWORD(name, spelling, reserved) {spelling, reserved},
#include "core/swift/SwiftTokens.def"
};
constexpr std::size_t keywordCount = std::size(keywordEntries);

constexpr std::string_view triviaKindNames[] = {
#define SWIFT_TRIVIA(name) #name,
#include "core/swift/SwiftTokens.def"
};

struct KindEntry {
  std::string_view name;
  SyntaxCategory category;
  std::string_view children;  // "(a, b, c)" as written in the table
};
constexpr KindEntry kindEntries[] = {
#define SWIFT_NODE(category, kind, Type, children) {#kind, SyntaxCategory::category, #children},
#define SWIFT_LIST(kind, Type) {#kind, SyntaxCategory::list, ""},
#define Decl decl
#define Stmt stmt
#define Expr expr
#define Type type
#define Pattern pattern
#define Other other
#include "core/swift/SwiftNodes.def"
#undef Decl
#undef Stmt
#undef Expr
#undef Type
#undef Pattern
#undef Other
};
static_assert(std::size(kindEntries) == syntaxKindCount);

// Child names split once from the stringized table. Function-local statics
// are initialised thread-safely; the table never changes afterwards.
struct ChildNameTable {
  std::vector<std::string_view> names;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;
  ChildNameTable() {
    for (const KindEntry& entry : kindEntries) {
      auto begin = static_cast<std::uint32_t>(names.size());
      std::string_view list = entry.children;
      if (!list.empty()) {
        list = list.substr(1, list.size() - 2);
        while (!list.empty()) {
          std::size_t comma = list.find(',');
          std::string_view name = list.substr(0, comma);
          while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
          while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
          if (name == "operator_") name = "operator";
          names.push_back(name);
          if (comma == std::string_view::npos) break;
          list.remove_prefix(comma + 1);
        }
      }
      ranges.emplace_back(begin, static_cast<std::uint32_t>(names.size()) - begin);
    }
  }
};
const ChildNameTable& childNameTable() {
  static const ChildNameTable table;
  return table;
}

constexpr std::uint8_t countChildren(std::string_view list) {
  if (list.empty()) return 0;
  std::uint8_t commas = 0;
  for (char c : list) commas += c == ',';
  return static_cast<std::uint8_t>(commas + 1);
}
constexpr auto childCounts = [] {
  std::array<std::uint8_t, syntaxKindCount> counts{};
  for (std::size_t k = 0; k < syntaxKindCount; ++k) counts[k] = countChildren(kindEntries[k].children);
  return counts;
}();

}  // namespace

std::size_t childCount(SyntaxKind kind) { return childCounts[static_cast<std::size_t>(kind)]; }

std::string_view tokenKindName(TokenKind kind) { return tokenKindNames[static_cast<std::size_t>(kind)]; }
std::string_view keywordSpelling(Keyword keyword) { return keywordEntries[static_cast<std::size_t>(keyword)].spelling; }
bool isReservedKeyword(Keyword keyword) { return keywordEntries[static_cast<std::size_t>(keyword)].reserved; }

namespace {

// Keywords bucketed by length and first byte at compile time (a counting
// sort into one array): an identifier is compared with at most a few
// keywords, and the lookup touches no heap memory.
constexpr std::size_t keywordBucketCount = 24 * 64;
constexpr std::size_t keywordBucket(std::size_t length, char first) {
  return length * 64 + (static_cast<unsigned char>(first) & 63);
}
struct KeywordBuckets {
  std::array<std::uint16_t, keywordBucketCount + 1> start{};
  std::array<std::uint8_t, keywordCount> keywords{};
};
constexpr KeywordBuckets keywordBuckets = [] {
  KeywordBuckets b;
  for (std::size_t k = 1; k < keywordCount; ++k)
    ++b.start[keywordBucket(keywordEntries[k].spelling.size(), keywordEntries[k].spelling[0]) + 1];
  for (std::size_t i = 1; i <= keywordBucketCount; ++i) b.start[i] += b.start[i - 1];
  std::array<std::uint16_t, keywordBucketCount> next{};
  for (std::size_t i = 0; i < keywordBucketCount; ++i) next[i] = b.start[i];
  for (std::size_t k = 1; k < keywordCount; ++k)
    b.keywords[next[keywordBucket(keywordEntries[k].spelling.size(), keywordEntries[k].spelling[0])]++] =
        static_cast<std::uint8_t>(k);
  return b;
}();
static_assert(keywordCount < 256);
static_assert([] {
  for (std::size_t k = 1; k < keywordCount; ++k)
    if (keywordEntries[k].spelling.empty() || keywordEntries[k].spelling.size() >= 24) return false;
  return true;
}());

}  // namespace

Keyword keywordFromText(std::string_view text) {
  if (text.empty() || text.size() >= 24) return Keyword::none;
  const std::size_t bucket = keywordBucket(text.size(), text[0]);
  for (std::size_t at = keywordBuckets.start[bucket]; at < keywordBuckets.start[bucket + 1]; ++at) {
    const std::uint8_t k = keywordBuckets.keywords[at];
    // Lengths are equal and the words short: a byte loop beats a memcmp call.
    const std::string_view spelling = keywordEntries[k].spelling;
    std::size_t i = 0;
    while (i < text.size() && spelling[i] == text[i]) ++i;
    if (i == text.size()) return static_cast<Keyword>(k);
  }
  return Keyword::none;
}

std::string_view triviaKindName(TriviaKind kind) { return triviaKindNames[static_cast<std::size_t>(kind)]; }
std::string_view syntaxKindName(SyntaxKind kind) { return kindEntries[static_cast<std::size_t>(kind)].name; }
SyntaxCategory syntaxCategory(SyntaxKind kind) { return kindEntries[static_cast<std::size_t>(kind)].category; }

std::span<const std::string_view> childNames(SyntaxKind kind) {
  const ChildNameTable& table = childNameTable();
  auto [begin, count] = table.ranges[static_cast<std::size_t>(kind)];
  return {table.names.data() + begin, count};
}

std::vector<TriviaPiece> triviaPieces(std::string_view trivia) {
  std::vector<TriviaPiece> pieces;
  std::size_t i = 0;
  auto push = [&](TriviaKind kind, std::size_t end) {
    pieces.push_back({kind, trivia.substr(i, end - i)});
    i = end;
  };
  auto run = [&](char c) {
    std::size_t j = i;
    while (j < trivia.size() && trivia[j] == c) ++j;
    return j;
  };
  while (i < trivia.size()) {
    char c = trivia[i];
    std::string_view rest = trivia.substr(i);
    if (c == ' ') push(TriviaKind::spaces, run(' '));
    else if (c == '\t') push(TriviaKind::tabs, run('\t'));
    else if (c == '\v') push(TriviaKind::verticalTabs, run('\v'));
    else if (c == '\f') push(TriviaKind::formfeeds, run('\f'));
    else if (c == '\n') push(TriviaKind::newlines, run('\n'));
    else if (rest.starts_with("\r\n")) {
      std::size_t j = i;
      while (trivia.substr(j).starts_with("\r\n")) j += 2;
      push(TriviaKind::carriageReturnLineFeeds, j);
    } else if (c == '\r') push(TriviaKind::carriageReturns, run('\r'));
    else if (rest.starts_with("//")) {
      std::size_t end = trivia.find_first_of("\r\n", i);
      if (end == std::string_view::npos) end = trivia.size();
      push(rest.starts_with("///") ? TriviaKind::docLineComment : TriviaKind::lineComment, end);
    } else if (rest.starts_with("/*")) {
      // Nested block comments, as the lexer closed them.
      std::size_t j = i + 2;
      int depth = 1;
      while (j < trivia.size() && depth > 0) {
        if (trivia.substr(j).starts_with("/*")) { ++depth; j += 2; }
        else if (trivia.substr(j).starts_with("*/")) { --depth; j += 2; }
        else ++j;
      }
      bool doc = rest.starts_with("/**") && !rest.starts_with("/**/");
      push(doc ? TriviaKind::docBlockComment : TriviaKind::blockComment, j);
    } else if (i == 0 && rest.starts_with("#!")) {
      std::size_t end = trivia.find_first_of("\r\n", i);
      push(TriviaKind::shebang, end == std::string_view::npos ? trivia.size() : end);
    } else if (rest.starts_with("\xEF\xBB\xBF")) push(TriviaKind::byteOrderMark, i + 3);
    else if (c == '\\') push(TriviaKind::backslash, i + 1);
    else push(TriviaKind::unexpectedText, i + 1);
  }
  return pieces;
}

NodeId ElementRange::iterator::operator*() const { return tree_->resolve(at_->node()); }
NodeId ElementRange::operator[](std::size_t i) const { return tree_->resolve(slots_[i].node()); }

std::string_view SyntaxTree::text(TokenId id) const {
  const Token& t = tokens_[id.index];
  return std::string_view(source_).substr(t.textStart, t.textEnd - t.textStart);
}
std::string_view SyntaxTree::leadingTrivia(TokenId id) const {
  const Token& t = tokens_[id.index];
  return std::string_view(source_).substr(t.leadStart, t.textStart - t.leadStart);
}
std::string_view SyntaxTree::trailingTrivia(TokenId id) const {
  const Token& t = tokens_[id.index];
  return std::string_view(source_).substr(t.textEnd, t.trailEnd - t.textEnd);
}

Slot SyntaxTree::childAt(NodeId id, unsigned index, SyntaxKind owner) const {
  // An absent node has no children, so optional chains of child lookups
  // need no test at every step.
  if (!id) return {};
  const Node& n = nodes_[id.index];
  if (n.kind != owner) return {};
  unsigned physical = (n.flags & Node::unexpectedFlag) ? 2 * index + 1 : index;
  Slot s = slots_[n.firstSlot + physical];
  if (s.isNode()) return Slot::of(resolve(s.node()));
  return s;
}

NodeId SyntaxTree::unexpectedBefore(NodeId id, unsigned index) const {
  const Node& n = nodes_[id.index];
  if (!(n.flags & Node::unexpectedFlag) || 2 * index >= slots(id).size()) return {};
  return slots_[n.firstSlot + 2 * index].node();
}

ElementRange SyntaxTree::elements(NodeId list) const {
  if (!list || !isList(kind(list))) return {this, {}};
  return {this, slots(list)};
}

std::vector<TokenId> SyntaxTree::tokens(NodeId list) const {
  std::vector<TokenId> out;
  if (!list) return out;
  for (Slot s : slots(list))
    if (s.isToken()) out.push_back(s.token());
  return out;
}

std::span<const Slot> SyntaxTree::slots(NodeId id) const {
  const std::uint32_t begin = nodes_[id.index].firstSlot;
  const std::size_t end = id.index + 1 < nodes_.size() ? nodes_[id.index + 1].firstSlot : slots_.size();
  return {slots_.data() + begin, end - begin};
}

std::string_view SyntaxTree::src(NodeId id) const {
  if (!id) return {};
  const Node& n = nodes_[id.index];
  if (!n.firstToken) return {};
  std::uint32_t begin = tokens_[n.firstToken.index].textStart;
  std::uint32_t end = tokens_[n.lastToken.index].textEnd;
  return std::string_view(source_).substr(begin, end - begin);
}

std::pair<std::uint32_t, std::uint32_t> SyntaxTree::lineColumn(std::uint32_t offset) const {
  auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
  auto line = static_cast<std::uint32_t>(it - lineStarts_.begin());
  std::uint32_t start = line > 0 ? lineStarts_[line - 1] : 0;
  return {line, offset - start + 1};
}

NodeId SyntaxTree::addNode(SyntaxKind kind, std::span<const Slot> slots, bool hasUnexpected) {
  Node n;
  n.kind = kind;
  n.flags = hasUnexpected ? Node::unexpectedFlag : 0;
  n.firstSlot = static_cast<std::uint32_t>(slots_.size());
  // The first present token from the front and the last from the back: a
  // long list is not walked element by element.
  const auto present = [this](Slot s, bool fromFront) -> TokenId {
    if (s.isToken()) {
      // The end-of-file token is present but holds no text: it never ends src.
      const Token& t = tokens_[s.token().index];
      return (t.flags & Token::missingFlag) || t.kind == TokenKind::endOfFile ? TokenId{} : s.token();
    }
    if (s.isNode()) return fromFront ? nodes_[s.node().index].firstToken : nodes_[s.node().index].lastToken;
    return {};
  };
  std::size_t front = 0;
  while (front < slots.size() && !(n.firstToken = present(slots[front], true))) ++front;
  for (std::size_t back = slots.size(); n.firstToken && back-- > front;)
    if ((n.lastToken = present(slots[back], false))) break;
  slots_.insert(slots_.end(), slots.begin(), slots.end());
  nodes_.push_back(n);
  const NodeId id{static_cast<std::uint32_t>(nodes_.size() - 1)};
  if (kind == SyntaxKind::unexpectedNodes) unexpectedNodes_.push_back(id);
  return id;
}

TokenId SyntaxTree::addMissingToken(TokenKind kind, std::uint32_t offset) {
  Token t;
  t.leadStart = t.textStart = t.textEnd = t.trailEnd = offset;
  t.kind = kind;
  t.flags = Token::missingFlag;
  tokens_.push_back(t);
  return TokenId{static_cast<std::uint32_t>(tokens_.size() - 1)};
}

std::string SyntaxTree::dump(NodeId from) const {
  std::string out;
  struct Item {
    Slot slot;
    unsigned depth;
    std::string_view label;
  };
  std::vector<Item> stack{{Slot::of(from), 0, {}}};
  while (!stack.empty()) {
    Item item = stack.back();
    stack.pop_back();
    // Indentation is capped so that a 100k-deep member chain dumps in linear size.
    out.append(2 * std::min(item.depth, 100u), ' ');
    if (!item.label.empty()) out.append(item.label).append(": ");
    if (item.slot.isToken()) {
      TokenId t = item.slot.token();
      out.append(tokenKindName(tokenKind(t)));
      if (isMissing(t)) out.append(" missing");
      else out.append(" '").append(text(t)).append("'");
      out.push_back('\n');
      continue;
    }
    NodeId id = resolve(item.slot.node());
    out.append(kindName(id)).push_back('\n');
    std::span<const Slot> all = slots(id);
    auto names = childNames(kind(id));
    bool unexpected = hasUnexpected(id);
    for (std::size_t i = all.size(); i-- > 0;) {
      if (all[i].isAbsent()) continue;
      std::string_view label;
      if (!names.empty()) {
        if (!unexpected) label = names[i];
        else if (i % 2 == 1) label = names[i / 2];
        else label = "unexpected";
      }
      stack.push_back({all[i], item.depth + 1, label});
    }
  }
  return out;
}

void SyntaxVisitor::walk(const SyntaxTree& tree, NodeId from) {
  std::vector<NodeId> stack{tree.resolve(from)};
  while (!stack.empty()) {
    NodeId id = stack.back();
    stack.pop_back();
    if (!tree.firstToken(id)) continue;
    switch (tree.kind(id)) {
#define SWIFT_NODE(category, kind, Type, children) \
  case SyntaxKind::kind: visit##Type(tree, id); break;
#define SWIFT_LIST(kind, Type) \
  case SyntaxKind::kind: visit##Type(tree, id); break;
#include "core/swift/SwiftNodes.def"
    }
    std::span<const Slot> all = tree.slots(id);
    for (std::size_t i = all.size(); i-- > 0;)
      if (all[i].isNode()) stack.push_back(tree.resolve(all[i].node()));
  }
}

}  // namespace tovrane::swift
