#pragma once
// Lossless, error-tolerant Swift syntax tree: the public face of core/swift.
// Design note and navigation guide: core/swift/README.md.
//
//   SyntaxTree tree = swift::parse(text);      // never fails, never throws
//   FoldResult folded = swift::fold(tree);     // operator sequences -> binary trees
//   for (NodeId item : tree.elements(tree.node(tree.root(), SourceFile::statements))) …
//
// Tokens and nodes live in vectors owned by the tree and are referred to by
// 32-bit ids. Kinds, names and child slots come from SwiftTokens.def and
// SwiftNodes.def; nothing here repeats those lists.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane::swift {

enum class TokenKind : std::uint8_t {
#define SWIFT_TOKEN(name) name,
#include "core/swift/SwiftTokens.def"
};

enum class Keyword : std::uint8_t {
  none,
#define SWIFT_KEYWORD(name, spelling, reserved) name,
#include "core/swift/SwiftTokens.def"
};

enum class TriviaKind : std::uint8_t {
#define SWIFT_TRIVIA(name) name,
#include "core/swift/SwiftTokens.def"
};

enum class SyntaxKind : std::uint16_t {
#define SWIFT_NODE(category, kind, Type, children) kind,
#define SWIFT_LIST(kind, Type) kind,
#include "core/swift/SwiftNodes.def"
};

enum class SyntaxCategory : std::uint8_t { decl, stmt, expr, type, pattern, other, list };

std::string_view tokenKindName(TokenKind kind);
std::string_view keywordSpelling(Keyword keyword);
// The keyword spelled exactly `text`, or none.
Keyword keywordFromText(std::string_view text);
bool isReservedKeyword(Keyword keyword);
std::string_view triviaKindName(TriviaKind kind);
// Lower camel case, as in the public node model ("structDecl", "poundSourceLocation").
std::string_view syntaxKindName(SyntaxKind kind);
SyntaxCategory syntaxCategory(SyntaxKind kind);
inline bool isList(SyntaxKind kind) { return syntaxCategory(kind) == SyntaxCategory::list; }
// The named child slots of a layout node in order (empty for lists).
std::span<const std::string_view> childNames(SyntaxKind kind);
// The number of named child slots (childNames(kind).size(), without the table walk).
std::size_t childCount(SyntaxKind kind);
inline constexpr std::size_t syntaxKindCount = 0
#define SWIFT_NODE(category, kind, Type, children) +1
#define SWIFT_LIST(kind, Type) +1
#include "core/swift/SwiftNodes.def"
    ;

// Typed ids: a token id never converts into a node id or back.
struct TokenId {
  static constexpr std::uint32_t invalid = 0xFFFFFFFFu;
  std::uint32_t index = invalid;
  constexpr explicit operator bool() const { return index != invalid; }
  friend bool operator==(TokenId, TokenId) = default;
};
struct NodeId {
  static constexpr std::uint32_t invalid = 0xFFFFFFFFu;
  std::uint32_t index = invalid;
  constexpr explicit operator bool() const { return index != invalid; }
  friend bool operator==(NodeId, NodeId) = default;
};

// One child slot: a token, a node or nothing (an absent optional child).
class Slot {
public:
  constexpr Slot() = default;
  static constexpr Slot of(TokenId token) { return Slot(token ? (token.index | tokenBit) : absentValue); }
  static constexpr Slot of(NodeId node) { return Slot(node ? node.index : absentValue); }
  constexpr bool isAbsent() const { return raw_ == absentValue; }
  constexpr bool isToken() const { return !isAbsent() && (raw_ & tokenBit) != 0; }
  constexpr bool isNode() const { return !isAbsent() && (raw_ & tokenBit) == 0; }
  constexpr TokenId token() const { return isToken() ? TokenId{raw_ & ~tokenBit} : TokenId{}; }
  constexpr NodeId node() const { return isNode() ? NodeId{raw_} : NodeId{}; }

private:
  static constexpr std::uint32_t tokenBit = 0x80000000u;
  static constexpr std::uint32_t absentValue = 0xFFFFFFFFu;
  constexpr explicit Slot(std::uint32_t raw) : raw_(raw) {}
  std::uint32_t raw_ = absentValue;
};

// A token's text and trivia are byte ranges into the tree's source:
// leading trivia [leadStart, textStart), text [textStart, textEnd),
// trailing trivia [textEnd, trailEnd). `match` pairs brackets once, in the
// lexer. 24 bytes: offsets instead of string_views halve the record, and a
// file of 200k lines has about a million tokens.
struct Token {
  static constexpr std::uint8_t missingFlag = 1;    // zero-width, inserted by recovery
  static constexpr std::uint8_t lineStartFlag = 2;  // a newline precedes it in its leading trivia
  std::uint32_t leadStart = 0;
  std::uint32_t textStart = 0;
  std::uint32_t textEnd = 0;
  std::uint32_t trailEnd = 0;
  std::uint32_t match = TokenId::invalid;
  TokenKind kind = TokenKind::unknown;
  Keyword keyword = Keyword::none;
  std::uint8_t flags = 0;
  std::uint8_t spare = 0;
};
static_assert(sizeof(Token) == 24);

// A node's slots are a contiguous range of the tree's slot vector. Layout
// nodes normally hold exactly their named slots; when recovery put stray
// content into one (hasUnexpected), it holds 2n+1 slots: an "unexpected"
// slot before every named slot and one after the last. firstToken and
// lastToken are the first and last present tokens, so src() is O(1).
// 16 bytes: nodes append their slots as they are created, so a node's slots
// end where the next node's begin and no count is stored; a file of 200k
// lines has about 1.5 million nodes, and the smaller record took a fifth
// off the node vector's memory.
struct Node {
  static constexpr std::uint8_t unexpectedFlag = 1;
  SyntaxKind kind{};
  std::uint8_t flags = 0;
  std::uint8_t spare = 0;
  std::uint32_t firstSlot = 0;
  TokenId firstToken;
  TokenId lastToken;
};
static_assert(sizeof(Node) == 16);

// Slot constants per layout node kind: StructDecl::name, FunctionCallExpr::arguments …
#define SWIFT_UNPAREN(...) __VA_ARGS__
#define SWIFT_NODE(category, kind, Type, children)                                   \
  struct Type {                                                                      \
    enum Child : std::uint8_t { SWIFT_UNPAREN children };                             \
    friend constexpr SyntaxKind slotOwner(Child) { return SyntaxKind::kind; }         \
  };
#include "core/swift/SwiftNodes.def"
#undef SWIFT_UNPAREN

struct TriviaPiece {
  TriviaKind kind;
  std::string_view text;
};
// Splits a trivia range (as returned by leadingTrivia/trailingTrivia) into pieces.
std::vector<TriviaPiece> triviaPieces(std::string_view trivia);

class SyntaxTree;

// Iterates the elements of a list node as node ids (lists hold nodes only,
// except tokenList, whose elements are tokens: use tokens()).
class ElementRange {
public:
  class iterator {
  public:
    iterator(const SyntaxTree* tree, const Slot* at) : tree_(tree), at_(at) {}
    NodeId operator*() const;
    iterator& operator++() { ++at_; return *this; }
    friend bool operator==(const iterator&, const iterator&) = default;
  private:
    const SyntaxTree* tree_;
    const Slot* at_;
  };
  ElementRange(const SyntaxTree* tree, std::span<const Slot> slots) : tree_(tree), slots_(slots) {}
  iterator begin() const { return {tree_, slots_.data()}; }
  iterator end() const { return {tree_, slots_.data() + slots_.size()}; }
  std::size_t size() const { return slots_.size(); }
  bool empty() const { return slots_.empty(); }
  NodeId operator[](std::size_t i) const;
private:
  const SyntaxTree* tree_;
  std::span<const Slot> slots_;
};

// The whole file: its source, every token, every node. Invariants: the
// lexed tokens (ids 0 … endOfFile) tile the source exactly, so their
// leading trivia, text and trailing trivia concatenate to the input; missing
// tokens follow after the end-of-file token; every node's slots lie in
// source order. Movable, not copyable (ids stay valid after a move).
class SyntaxTree {
public:
  SyntaxTree() = default;
  SyntaxTree(SyntaxTree&&) noexcept = default;
  SyntaxTree& operator=(SyntaxTree&&) noexcept = default;
  SyntaxTree(const SyntaxTree&) = delete;
  SyntaxTree& operator=(const SyntaxTree&) = delete;

  std::string_view source() const { return source_; }
  NodeId root() const { return root_; }

  // Tokens.
  const Token& token(TokenId id) const { return tokens_[id.index]; }
  // Text as written; "" for a missing token.
  std::string_view text(TokenId id) const;
  std::string_view leadingTrivia(TokenId id) const;
  std::string_view trailingTrivia(TokenId id) const;
  bool isMissing(TokenId id) const { return (tokens_[id.index].flags & Token::missingFlag) != 0; }
  TokenKind tokenKind(TokenId id) const { return tokens_[id.index].kind; }
  // Lexed tokens (the end-of-file token included), in source order.
  std::uint32_t lexedTokenCount() const { return lexedCount_; }
  std::uint32_t tokenCount() const { return static_cast<std::uint32_t>(tokens_.size()); }

  // Nodes.
  std::uint32_t nodeCount() const { return static_cast<std::uint32_t>(nodes_.size()); }
  SyntaxKind kind(NodeId id) const { return nodes_[id.index].kind; }
  std::string_view kindName(NodeId id) const { return syntaxKindName(kind(id)); }
  bool is(NodeId id, SyntaxKind k) const { return id && kind(id) == k; }
  SyntaxCategory category(NodeId id) const { return syntaxCategory(kind(id)); }
  bool hasUnexpected(NodeId id) const { return (nodes_[id.index].flags & Node::unexpectedFlag) != 0; }

  // A named child of a layout node (absent child or absent node → empty
  // Slot / invalid id).
  template <class S>
  Slot child(NodeId id, S slot) const { return childAt(id, static_cast<unsigned>(slot), slotOwner(slot)); }
  template <class S>
  NodeId node(NodeId id, S slot) const { return child(id, slot).node(); }
  template <class S>
  TokenId tokenOf(NodeId id, S slot) const { return child(id, slot).token(); }
  // Text of a token child; "" when absent or missing.
  template <class S>
  std::string_view tokenText(NodeId id, S slot) const {
    TokenId t = tokenOf(id, slot);
    return t ? text(t) : std::string_view();
  }
  // The unexpected content recorded before named child `index` (index ==
  // child count: after the last one); invalid when there is none.
  NodeId unexpectedBefore(NodeId id, unsigned index) const;

  // List elements.
  ElementRange elements(NodeId list) const;
  std::vector<TokenId> tokens(NodeId list) const;
  // All slots of a node as stored (unexpected slots included), for walkers.
  std::span<const Slot> slots(NodeId id) const;

  // Text from the first to the last present token; "" when none is present.
  std::string_view src(NodeId id) const;
  TokenId firstToken(NodeId id) const { return nodes_[id.index].firstToken; }
  TokenId lastToken(NodeId id) const { return nodes_[id.index].lastToken; }
  // 1-based line and column (in bytes) of a byte offset.
  std::pair<std::uint32_t, std::uint32_t> lineColumn(std::uint32_t offset) const;

  // After a successful fold the tree shows folded nodes in place of every
  // sequenceExpr; the unfolded nodes stay and can be shown again.
  bool showsFolded() const { return showFolded_; }
  void showFolded(bool folded) { showFolded_ = folded && !replacement_.empty(); }
  // Resolves a node id through the folded view (identity when unfolded).
  NodeId resolve(NodeId id) const {
    if (showFolded_ && id && id.index < replacement_.size() && replacement_[id.index]) return replacement_[id.index];
    return id;
  }

  // One node or token per line, indented by depth: "kind" / "token 'text'".
  std::string dump(NodeId from) const;
  std::string dump() const { return dump(root_); }

  // Building (parser and folding).
  NodeId addNode(SyntaxKind kind, std::span<const Slot> slots, bool hasUnexpected);
  TokenId addMissingToken(TokenKind kind, std::uint32_t offset);

private:
  friend class Lexer;
  friend class Parser;
  friend class Folder;
  friend SyntaxTree parse(std::string_view source);
  Slot childAt(NodeId id, unsigned index, SyntaxKind owner) const;

  std::string source_;
  std::vector<Token> tokens_;
  std::uint32_t lexedCount_ = 0;
  std::vector<Node> nodes_;
  std::vector<Slot> slots_;
  std::vector<NodeId> replacement_;
  // Every sequenceExpr the parser built, in creation order (folding's worklist).
  std::vector<NodeId> sequences_;
  // Every unexpectedNodes node, in creation order: folding leaves what lies
  // below them alone and need not search the whole node vector for them.
  std::vector<NodeId> unexpectedNodes_;
  std::vector<std::uint32_t> lineStarts_;
  bool showFolded_ = false;
  NodeId root_;
};

// Lexes and parses a whole file. Never fails: syntax errors become missing
// tokens and unexpected nodes inside the tree.
SyntaxTree parse(std::string_view source);

struct FoldError {
  enum class Reason { unknownOperator, nonAssociative, unrelatedGroups };
  Reason reason;
  std::string operatorText;
  std::uint32_t offset = 0;  // byte offset of the operator token
  std::uint32_t line = 0;
  std::uint32_t column = 0;
  std::string message;  // German, for diagnostics
};
struct FoldResult {
  std::optional<FoldError> error;
  bool ok() const { return !error; }
};
// Folds every operator sequence with the standard Swift operator table.
// On success the tree shows the folded view; on the first error nothing
// changes (the unfolded tree stays in view) and the error is returned.
// Sequences inside unexpected content are left unfolded.
FoldResult fold(SyntaxTree& tree);

// Walks present nodes below (and including) a start node in source order,
// calling the callback for each node's kind; missing nodes (no present
// token) are skipped, unexpected content is visited. Iterative, so any depth
// of postfix chains is safe.
class SyntaxVisitor {
public:
  virtual ~SyntaxVisitor() = default;
  void walk(const SyntaxTree& tree, NodeId from);

protected:
#define SWIFT_NODE(category, kind, Type, children) \
  virtual void visit##Type(const SyntaxTree&, NodeId) {}
#define SWIFT_LIST(kind, Type) \
  virtual void visit##Type(const SyntaxTree&, NodeId) {}
#include "core/swift/SwiftNodes.def"
};

}  // namespace tovrane::swift
