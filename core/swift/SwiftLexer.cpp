// The Swift lexer. Trivia rule: a token's trailing trivia is the same-line
// whitespace and comments after it, up to (not including) the next newline;
// everything else before a token is its leading trivia. Inside string
// literals, text the compiler does not see (a multi-line literal's
// indentation, the line breaks next to its delimiters, line-continuation
// backslashes) is leading trivia of the next token.
//
// The lexer is modal: code, string content and interpolations nest on a
// mode stack (a vector, so nesting depth costs no native stack).
//
// Lexing time is linear in the input: every scan either ends inside the token
// it is made for, or its answer is kept so that the next token does not scan
// the same bytes again (a run of "#", a line of "<#", a bare regex that did
// not close). A multi-line literal is lexed twice at most: once ahead to find
// its closing line, whose indentation each of its lines loses, and once for
// real (see lookAhead).
#include "core/swift/SwiftLexer.hpp"

#include <array>

#include "core/support/Text.hpp"
#include "core/swift/SwiftSyntax.hpp"

namespace tovrane::swift {
namespace {

constexpr bool isIdentHead(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
constexpr bool isIdentBody(unsigned char c) { return isIdentHead(c) || (c >= '0' && c <= '9'); }
constexpr bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(unsigned char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isAsciiOperatorChar(unsigned char c) {
  switch (c) {
    case '/': case '=': case '-': case '+': case '!': case '*': case '%':
    case '<': case '>': case '&': case '|': case '^': case '~': case '?':
      return true;
    default:
      return false;
  }
}
bool isHorizontalSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
bool isNewlineChar(unsigned char c) { return c == '\n' || c == '\r'; }

// Unicode operator characters as the Swift grammar lists them (operator-head
// and operator-character ranges that matter outside ASCII).
bool isUnicodeOperator(char32_t c) {
  return (c >= 0xA1 && c <= 0xA7) || c == 0xA9 || c == 0xAB || c == 0xAC || c == 0xAE || c == 0xB0 || c == 0xB1 ||
         c == 0xB6 || c == 0xBB || c == 0xBF || c == 0xD7 || c == 0xF7 || (c >= 0x2016 && c <= 0x2017) ||
         (c >= 0x2020 && c <= 0x2027) || (c >= 0x2030 && c <= 0x203E) || (c >= 0x2041 && c <= 0x2053) ||
         (c >= 0x2055 && c <= 0x205E) || (c >= 0x2190 && c <= 0x23FF) || (c >= 0x2500 && c <= 0x2775) ||
         (c >= 0x2794 && c <= 0x2BFF) || (c >= 0x2E00 && c <= 0x2E7F) || (c >= 0x3001 && c <= 0x3003) ||
         (c >= 0x3008 && c <= 0x3020) || c == 0x3030;
}

class LexerImpl {
public:
  LexerImpl(std::string_view source, std::vector<Token>& tokens)
      : s_(source), n_(static_cast<std::uint32_t>(source.size())), tokens_(tokens) {}

  void run();

private:
  struct Mode {
    bool string = false;     // string content (else: code inside an interpolation)
    bool multiline = false;
    std::uint32_t pounds = 0;
    std::uint32_t parenDepth = 0;
    std::uint32_t indentStart = 0;
    std::uint32_t indentLength = 0;
    // While lexing ahead: the literal's entry in closings_.
    std::uint32_t closing = 0;
  };
  // A multi-line literal's opening quote and the indentation of its closing
  // line (none when it closes elsewhere or never).
  struct Closing {
    std::uint32_t opener = 0;
    std::uint32_t indentStart = 0;
    std::uint32_t indentLength = 0;
  };

  unsigned char at(std::uint32_t i) const { return i < n_ ? static_cast<unsigned char>(s_[i]) : 0; }
  bool startsAt(std::uint32_t i, std::string_view what) const { return s_.substr(std::min(i, n_)).starts_with(what); }
  void lexUntil(std::size_t depth);
  std::uint32_t skipTrivia(std::uint32_t i, bool crossLines, bool* sawNewline) const;
  std::uint32_t skipBlockComment(std::uint32_t i) const;
  void emit(TokenKind kind, std::uint32_t textStart, std::uint32_t textEnd, std::uint32_t trailEnd, Keyword keyword = Keyword::none);
  void pairBracket(TokenKind kind, std::uint32_t id, Token& t);
  void lexCodeToken();
  void lexStringPiece();
  std::uint32_t identifierEnd(std::uint32_t i) const;
  std::uint32_t operatorEnd(std::uint32_t i) const;
  bool boundLeft(std::uint32_t i) const;
  std::uint32_t numberEnd(std::uint32_t i, bool afterPeriod) const;
  bool operandExpected() const;
  std::uint32_t regexEnd(std::uint32_t i);
  std::uint32_t extendedRegexEnd(std::uint32_t i, std::uint32_t slash, bool* closed) const;
  std::uint32_t placeholderEnd(std::uint32_t i);
  std::uint32_t poundRunEnd(std::uint32_t i);
  bool closesString(std::uint32_t i, const Mode& m) const;
  std::uint32_t skipIndent(std::uint32_t i, const Mode& m) const;
  bool closingLineAt(std::uint32_t i, const Mode& m) const;
  std::uint32_t contentStart(std::uint32_t quoteEnd, const Mode& m) const;
  void openString(std::uint32_t quoteStart, std::uint32_t pounds);
  void lookAhead(Mode m, std::uint32_t quoteEnd);
  void recordClosing(std::uint32_t closer, const Mode& m);

  std::string_view s_;
  std::uint32_t n_;
  std::vector<Token>& tokens_;
  std::vector<Mode> modes_;
  // Per bracket kind ( "(", "{", "[" ): the ids of its brackets still open.
  std::array<std::vector<std::uint32_t>, 3> open_;
  std::uint32_t pos_ = 0;
  std::uint32_t lastEnd_ = 0;
  // The leading trivia of the next token holds a line break.
  bool lineStart_ = false;
  // A bare regex is not tried again from inside the text a failed try read.
  std::uint32_t regexRetryFrom_ = 0;
  // The last scans that look past their token, kept as [from, stop): an
  // opener inside that range gets the same answer without a scan of its own.
  std::uint32_t placeholderFrom_ = 1, placeholderStop_ = 0;  // to the first "#>" or line break
  std::uint32_t poundRunFrom_ = 1, poundRunEnd_ = 0;         // a run of "#"
  // Multi-line literals whose closing lines the last look-ahead found, in
  // source order; the ones before nextClosing_ are used up.
  std::vector<Closing> closings_;
  std::size_t nextClosing_ = 0;
  bool lookingAhead_ = false;
};

std::uint32_t LexerImpl::skipBlockComment(std::uint32_t i) const {
  // i at "/*"; nested comments as Swift allows. 0 when the comment is never
  // closed: it is no trivia then, but a token the parser reports.
  int depth = 0;
  while (i < n_) {
    if (s_[i] == '/' && at(i + 1) == '*') { ++depth; i += 2; }
    else if (s_[i] == '*' && at(i + 1) == '/') {
      i += 2;
      if (--depth == 0) return i;
    } else ++i;
  }
  return 0;
}

// Bytes that can start trivia; every other byte ends it at once.
constexpr auto triviaStartTable = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : {' ', '\t', '\v', '\f', '\n', '\r', '/', '#', '\xEF'}) table[c] = true;
  return table;
}();

std::uint32_t LexerImpl::skipTrivia(std::uint32_t i, bool crossLines, bool* sawNewline) const {
  while (i < n_) {
    unsigned char c = static_cast<unsigned char>(s_[i]);
    // Blanks first and then the bytes that start no trivia: together nearly
    // every byte this loop sees.
    if (c == ' ') {
      ++i;
      continue;
    }
    if (!triviaStartTable[c]) break;
    if (isHorizontalSpace(c)) ++i;
    else if (isNewlineChar(c)) {
      if (!crossLines) break;
      if (sawNewline) *sawNewline = true;
      ++i;
    } else if (c == '/' && at(i + 1) == '/') {
      while (i < n_ && !isNewlineChar(static_cast<unsigned char>(s_[i]))) ++i;
    } else if (c == '/' && at(i + 1) == '*') {
      std::uint32_t end = skipBlockComment(i);
      if (end == 0) break;
      if (sawNewline && crossLines)
        for (std::uint32_t k = i; k < end; ++k)
          if (isNewlineChar(static_cast<unsigned char>(s_[k]))) *sawNewline = true;
      i = end;
    } else if (i == 0 && startsAt(0, "\xEF\xBB\xBF")) i = 3;
    else if (i == 0 && startsAt(0, "#!")) {
      while (i < n_ && !isNewlineChar(static_cast<unsigned char>(s_[i]))) ++i;
    } else break;
  }
  return i;
}

void LexerImpl::emit(TokenKind kind, std::uint32_t textStart, std::uint32_t textEnd, std::uint32_t trailEnd, Keyword keyword) {
  Token t;
  t.leadStart = lastEnd_;
  t.textStart = textStart;
  t.textEnd = textEnd;
  t.trailEnd = trailEnd;
  t.kind = kind;
  t.keyword = keyword;
  if (lineStart_) t.flags |= Token::lineStartFlag;
  lineStart_ = false;
  // Tokens lexed ahead are dropped again; only the real ones are paired.
  if (kind >= TokenKind::leftParen && kind <= TokenKind::rightSquare && !lookingAhead_)
    pairBracket(kind, static_cast<std::uint32_t>(tokens_.size()), t);
  tokens_.push_back(t);
  lastEnd_ = trailEnd;
}

// The bracket kinds stand in pairs, opener first: (), {}, [].
static_assert(static_cast<int>(TokenKind::rightParen) == static_cast<int>(TokenKind::leftParen) + 1 &&
              static_cast<int>(TokenKind::leftBrace) == static_cast<int>(TokenKind::leftParen) + 2 &&
              static_cast<int>(TokenKind::rightBrace) == static_cast<int>(TokenKind::leftParen) + 3 &&
              static_cast<int>(TokenKind::leftSquare) == static_cast<int>(TokenKind::leftParen) + 4 &&
              static_cast<int>(TokenKind::rightSquare) == static_cast<int>(TokenKind::leftParen) + 5);

// A closing bracket pairs with the nearest open bracket of its kind; brackets
// of other kinds opened after that one stay unpaired. One stack per kind, so
// a closer never walks past open brackets of the other kinds.
void LexerImpl::pairBracket(TokenKind kind, std::uint32_t id, Token& t) {
  const auto offset = static_cast<std::size_t>(static_cast<int>(kind) - static_cast<int>(TokenKind::leftParen));
  std::vector<std::uint32_t>& same = open_[offset / 2];
  if (offset % 2 == 0) {
    same.push_back(id);
    return;
  }
  if (same.empty()) return;
  const std::uint32_t opener = same.back();
  same.pop_back();
  tokens_[opener].match = id;
  t.match = opener;
  for (std::vector<std::uint32_t>& other : open_)
    while (!other.empty() && other.back() > opener) other.pop_back();
}

// ASCII identifier characters as one table lookup (the lexer's busiest test).
constexpr auto identBodyTable = [] {
  std::array<bool, 128> table{};
  for (unsigned c = 0; c < 128; ++c) table[c] = isIdentBody(static_cast<unsigned char>(c));
  return table;
}();

std::uint32_t LexerImpl::identifierEnd(std::uint32_t i) const {
  while (i < n_) {
    unsigned char c = static_cast<unsigned char>(s_[i]);
    if (c < 0x80) {
      if (!identBodyTable[c]) break;
      ++i;
      continue;
    }
    std::size_t length = 0;
    char32_t scalar = text::firstScalar(s_.substr(i), &length);
    if (scalar == 0xFFFD && !startsAt(i, "\xEF\xBF\xBD")) break;  // invalid UTF-8
    if (isUnicodeOperator(scalar) || text::isBlank(scalar) || text::isNewline(scalar)) break;
    i += static_cast<std::uint32_t>(length);
  }
  return i;
}

std::uint32_t LexerImpl::operatorEnd(std::uint32_t i) const {
  bool dotOperator = s_[i] == '.';
  std::uint32_t start = i;
  while (i < n_) {
    unsigned char c = static_cast<unsigned char>(s_[i]);
    if (i > start && c == '/' && (at(i + 1) == '/' || at(i + 1) == '*')) break;
    if (c == '.' ? dotOperator : isAsciiOperatorChar(c)) { ++i; continue; }
    if (c >= 0x80) {
      std::size_t length = 0;
      char32_t scalar = text::firstScalar(s_.substr(i), &length);
      if (isUnicodeOperator(scalar)) { i += static_cast<std::uint32_t>(length); continue; }
    }
    break;
  }
  return i;
}

// Nothing that separates operands stands right before i: a "?" or "!" there
// binds to the operand before it.
bool LexerImpl::boundLeft(std::uint32_t i) const {
  if (i == 0) return false;
  unsigned char before = static_cast<unsigned char>(s_[i - 1]);
  return !(isHorizontalSpace(before) || isNewlineChar(before) || before == '(' || before == '[' || before == '{' ||
           before == ',' || before == ';' || before == ':' || (before == '/' && i > 1 && s_[i - 2] == '*'));
}

std::uint32_t LexerImpl::numberEnd(std::uint32_t i, bool afterPeriod) const {
  auto digits = [&](std::uint32_t j, bool hex) {
    while (j < n_ && ((hex ? isHexDigit(at(j)) : isDigit(at(j))) || at(j) == '_')) ++j;
    return j;
  };
  if (afterPeriod) return digits(i, false);  // tuple index: "t.0.1" is 0 then 1
  if (at(i) == '0' && (at(i + 1) == 'x' || at(i + 1) == 'X')) {
    std::uint32_t j = digits(i + 2, true);
    if (at(j) == '.' && isHexDigit(at(j + 1))) j = digits(j + 1, true);
    if (at(j) == 'p' || at(j) == 'P') {
      std::uint32_t k = j + 1;
      if (at(k) == '+' || at(k) == '-') ++k;
      if (isDigit(at(k))) j = digits(k, false);
    }
    return j;
  }
  if (at(i) == '0' && (at(i + 1) == 'o' || at(i + 1) == 'b')) return digits(i + 2, true);
  std::uint32_t j = digits(i, false);
  if (at(j) == '.' && isDigit(at(j + 1))) j = digits(j + 1, false);
  if (at(j) == 'e' || at(j) == 'E') {
    std::uint32_t k = j + 1;
    if (at(k) == '+' || at(k) == '-') ++k;
    if (isDigit(at(k))) j = digits(k, false);
  }
  return j;
}

bool LexerImpl::operandExpected() const {
  if (tokens_.empty()) return true;
  const Token& last = tokens_.back();
  switch (last.kind) {
    case TokenKind::leftParen: case TokenKind::leftSquare: case TokenKind::leftBrace:
    case TokenKind::comma: case TokenKind::colon: case TokenKind::semicolon: case TokenKind::equal:
    case TokenKind::arrow: case TokenKind::binaryOperator: case TokenKind::prefixOperator:
    case TokenKind::infixQuestionMark: case TokenKind::prefixAmpersand:
      return true;
    case TokenKind::keyword:
      return last.keyword != Keyword::kwSelf && last.keyword != Keyword::kwSelfType &&
             last.keyword != Keyword::kwSuper && last.keyword != Keyword::kwTrue &&
             last.keyword != Keyword::kwFalse && last.keyword != Keyword::kwNil && last.keyword != Keyword::kwAny &&
             last.keyword != Keyword::kwInit;
    default:
      return false;
  }
}

// A bare /regex/: only where an operand is expected, not starting with a
// space, closed on the same line by a slash not preceded by a space. Every
// division in real code fails at least one of these. A slash inside the text
// a failed try read opens no new try: on a line like "= /[ = /[ …" each try
// would read to the line's end again.
std::uint32_t LexerImpl::regexEnd(std::uint32_t i) {
  if (i < regexRetryFrom_ || !operandExpected()) return 0;
  unsigned char first = at(i + 1);
  if (first == ' ' || first == '\t' || isNewlineChar(first) || first == 0 || first == '/' || first == '*') return 0;
  bool inClass = false;
  std::uint32_t j = i + 1;
  for (; j < n_; ++j) {
    unsigned char c = static_cast<unsigned char>(s_[j]);
    if (isNewlineChar(c)) break;
    if (c == '\\') { ++j; continue; }
    if (c == '[') inClass = true;
    else if (c == ']') inClass = false;
    else if (c == '/' && !inClass) {
      if (s_[j - 1] != ' ') return j + 1;
      break;
    }
  }
  regexRetryFrom_ = std::min(j, n_);
  return 0;
}

// An extended regex #/…/# (as many pounds on both sides), i at its first "#",
// slash at the "/". Swift reads it as a regex whatever follows, so it is one
// token: up to its closing delimiter, or unterminated (closed false) to the
// end of its line, or of the file when "#/" ends its line (a multi-line
// literal).
std::uint32_t LexerImpl::extendedRegexEnd(std::uint32_t i, std::uint32_t slash, bool* closed) const {
  const std::uint32_t pounds = slash - i;
  const bool multiline = isNewlineChar(at(slash + 1));
  *closed = false;
  for (std::uint32_t k = slash + 1; k < n_; ++k) {
    unsigned char c = static_cast<unsigned char>(s_[k]);
    if (!multiline && isNewlineChar(c)) return k;
    if (c == '\\') {
      if (!multiline && isNewlineChar(at(k + 1))) return k + 1;
      ++k;
      continue;
    }
    if (c != '/') continue;
    std::uint32_t p = 0;
    while (p < pounds && at(k + 1 + p) == '#') ++p;
    if (p == pounds) {
      *closed = true;
      return k + 1 + pounds;
    }
  }
  return n_;
}

// The end of the editor placeholder "<#…#>" opened at i, or 0 when no "#>"
// follows on the same line.
std::uint32_t LexerImpl::placeholderEnd(std::uint32_t i) {
  const std::uint32_t from = i + 2;
  if (from < placeholderFrom_ || from > placeholderStop_) {
    std::uint32_t k = from;
    while (k < n_ && !isNewlineChar(at(k)) && !(s_[k] == '#' && at(k + 1) == '>')) ++k;
    placeholderFrom_ = from;
    placeholderStop_ = k;
  }
  return placeholderStop_ < n_ && s_[placeholderStop_] == '#' ? placeholderStop_ + 2 : 0;
}

// The end of the run of "#" that i stands in.
std::uint32_t LexerImpl::poundRunEnd(std::uint32_t i) {
  if (i < poundRunFrom_ || i >= poundRunEnd_) {
    std::uint32_t j = i;
    while (at(j) == '#') ++j;
    poundRunFrom_ = i;
    poundRunEnd_ = j;
  }
  return poundRunEnd_;
}

bool LexerImpl::closesString(std::uint32_t i, const Mode& m) const {
  std::uint32_t q = m.multiline ? 3 : 1;
  if (!startsAt(i, m.multiline ? "\"\"\"" : "\"")) return false;
  for (std::uint32_t k = 0; k < m.pounds; ++k)
    if (at(i + q + k) != '#') return false;
  return true;
}

std::uint32_t LexerImpl::skipIndent(std::uint32_t i, const Mode& m) const {
  std::uint32_t k = 0;
  while (k < m.indentLength && i + k < n_ && s_[i + k] == s_[m.indentStart + k]) ++k;
  return i + k;
}

bool LexerImpl::closingLineAt(std::uint32_t i, const Mode& m) const {
  while (i < n_ && (s_[i] == ' ' || s_[i] == '\t')) ++i;
  return closesString(i, m);
}

// Where a multi-line literal's content starts: the rest of the opening line
// and its line break are no content, nor is the closing line's indentation.
std::uint32_t LexerImpl::contentStart(std::uint32_t quoteEnd, const Mode& m) const {
  std::uint32_t k = quoteEnd;
  while (k < n_ && (s_[k] == ' ' || s_[k] == '\t')) ++k;
  if (!isNewlineChar(at(k))) return quoteEnd;
  k += (at(k) == '\r' && at(k + 1) == '\n') ? 2 : 1;
  if (!closingLineAt(k, m)) return skipIndent(k, m);
  while (k < n_ && (s_[k] == ' ' || s_[k] == '\t')) ++k;
  return k;
}

void LexerImpl::openString(std::uint32_t quoteStart, std::uint32_t pounds) {
  Mode m;
  m.string = true;
  m.pounds = pounds;
  m.multiline = startsAt(quoteStart, "\"\"\"");
  // #"""# is a one-line raw string holding a quote: three quotes directly
  // followed by the closing pounds open no multi-line literal.
  if (m.multiline && pounds > 0) {
    std::uint32_t k = 0;
    while (k < pounds && at(quoteStart + 3 + k) == '#') ++k;
    m.multiline = k < pounds;
  }
  std::uint32_t quoteEnd = quoteStart + (m.multiline ? 3 : 1);
  emit(m.multiline ? TokenKind::multilineStringQuote : TokenKind::stringQuote, quoteStart, quoteEnd, quoteEnd);
  pos_ = quoteEnd;
  if (m.multiline) {
    if (lookingAhead_) {
      m.closing = static_cast<std::uint32_t>(closings_.size());
      closings_.push_back(Closing{quoteStart});
    } else {
      // The closing line's indentation is stripped from every line.
      while (nextClosing_ < closings_.size() && closings_[nextClosing_].opener < quoteStart) ++nextClosing_;
      if (nextClosing_ == closings_.size() || closings_[nextClosing_].opener != quoteStart) {
        closings_.assign(1, Closing{quoteStart});
        nextClosing_ = 0;
        lookAhead(m, quoteEnd);
      }
      const Closing& closing = closings_[nextClosing_++];
      m.indentStart = closing.indentStart;
      m.indentLength = closing.indentLength;
    }
    pos_ = contentStart(quoteEnd, m);
  }
  modes_.push_back(m);
}

// Lexes the multi-line literal whose opening quote ends at quoteEnd up to its
// closing delimiter (closings_ holds its entry first), then rewinds to where
// it started. The literals opened inside its interpolations are closed on the
// way and keep their entries too, so each byte is lexed ahead at most once.
// Indentation decides no token's end or kind, so lexing ahead without it
// reaches the same closing delimiters as lexing for real.
void LexerImpl::lookAhead(Mode m, std::uint32_t quoteEnd) {
  const std::uint32_t savedPos = pos_, savedLastEnd = lastEnd_, savedRegexRetry = regexRetryFrom_;
  const bool savedLineStart = lineStart_;
  const std::size_t savedTokens = tokens_.size(), depth = modes_.size();
  lookingAhead_ = true;
  m.closing = 0;
  pos_ = contentStart(quoteEnd, m);
  modes_.push_back(m);
  lexUntil(depth + 1);
  lookingAhead_ = false;
  modes_.resize(depth);
  tokens_.resize(savedTokens);
  pos_ = savedPos;
  lastEnd_ = savedLastEnd;
  regexRetryFrom_ = savedRegexRetry;
  lineStart_ = savedLineStart;
}

// While lexing ahead: the multi-line literal m closes at closer. Only a
// closing delimiter that starts its line (after blanks) gives indentation.
void LexerImpl::recordClosing(std::uint32_t closer, const Mode& m) {
  std::uint32_t lineStart = closer;
  while (lineStart > 0 && (s_[lineStart - 1] == ' ' || s_[lineStart - 1] == '\t')) --lineStart;
  if (lineStart == 0 || !isNewlineChar(static_cast<unsigned char>(s_[lineStart - 1]))) return;
  closings_[m.closing].indentStart = lineStart;
  closings_[m.closing].indentLength = closer - lineStart;
}

void LexerImpl::lexStringPiece() {
  Mode m = modes_.back();
  std::uint32_t i = pos_;
  if (i >= n_) {  // unterminated: the parser inserts the missing quote
    modes_.pop_back();
    return;
  }
  if (closesString(i, m)) {
    if (lookingAhead_ && m.multiline) recordClosing(i, m);
    std::uint32_t q = m.multiline ? 3 : 1;
    emit(m.multiline ? TokenKind::multilineStringQuote : TokenKind::stringQuote, i, i + q, i + q);
    if (m.pounds) emit(TokenKind::rawStringPoundDelimiter, i + q, i + q + m.pounds, i + q + m.pounds);
    pos_ = i + q + m.pounds;
    modes_.pop_back();
    return;
  }
  auto escapeAt = [&](std::uint32_t j) {
    if (at(j) != '\\') return false;
    for (std::uint32_t k = 0; k < m.pounds; ++k)
      if (at(j + 1 + k) != '#') return false;
    return true;
  };
  if (escapeAt(i) && at(i + 1 + m.pounds) == '(') {
    emit(TokenKind::backslash, i, i + 1, i + 1);
    if (m.pounds) emit(TokenKind::rawStringPoundDelimiter, i + 1, i + 1 + m.pounds, i + 1 + m.pounds);
    std::uint32_t p = i + 1 + m.pounds;
    emit(TokenKind::leftParen, p, p + 1, p + 1);
    pos_ = p + 1;
    Mode code;
    modes_.push_back(code);
    return;
  }
  enum class Stop { none, closing, continuation, lineEnd, unterminated };
  Stop stop = Stop::none;
  std::uint32_t j = i;
  while (j < n_) {
    unsigned char c = static_cast<unsigned char>(s_[j]);
    if (isNewlineChar(c)) {
      if (!m.multiline) { stop = Stop::unterminated; break; }
      std::uint32_t after = j + ((c == '\r' && at(j + 1) == '\n') ? 2 : 1);
      if (closingLineAt(after, m)) { stop = Stop::closing; break; }
      j = after;
      stop = Stop::lineEnd;
      break;
    }
    if (closesString(j, m)) break;
    if (escapeAt(j)) {
      std::uint32_t e = j + 1 + m.pounds;
      if (at(e) == '(') break;
      if (m.multiline) {
        std::uint32_t k = e;
        while (k < n_ && (s_[k] == ' ' || s_[k] == '\t')) ++k;
        if (isNewlineChar(at(k))) { stop = Stop::continuation; break; }
      }
      if (at(e) == 'u' && at(e + 1) == '{') {
        std::uint32_t k = e + 2;
        while (k < n_ && isHexDigit(at(k))) ++k;
        j = at(k) == '}' ? k + 1 : k;
      } else {
        j = e + 1;
      }
      continue;
    }
    ++j;
  }
  if (j > i) emit(TokenKind::stringSegment, i, std::min(j, n_), std::min(j, n_));
  pos_ = std::min(j, n_);
  switch (stop) {
    case Stop::unterminated:
      modes_.pop_back();
      break;
    case Stop::closing: {
      std::uint32_t k = pos_;
      while (k < n_ && !closesString(k, m)) ++k;
      pos_ = k;
      break;
    }
    case Stop::lineEnd:
      pos_ = skipIndent(pos_, m);
      break;
    case Stop::continuation: {
      std::uint32_t k = pos_ + 1 + m.pounds;
      while (k < n_ && (s_[k] == ' ' || s_[k] == '\t')) ++k;
      k += (at(k) == '\r' && at(k + 1) == '\n') ? 2 : 1;
      pos_ = skipIndent(k, m);
      break;
    }
    case Stop::none:
      break;
  }
}

void LexerImpl::lexCodeToken() {
  std::uint32_t i = pos_;
  unsigned char c = static_cast<unsigned char>(s_[i]);
  TokenKind kind = TokenKind::unknown;
  Keyword keyword = Keyword::none;
  std::uint32_t end = i + 1;

  if (isIdentHead(c) || c >= 0x80) {
    end = identifierEnd(i);
    if (end == i) {
      // A non-ASCII character that is no identifier character.
      std::size_t length = 0;
      char32_t scalar = text::firstScalar(s_.substr(i), &length);
      if (isUnicodeOperator(scalar)) {
        end = operatorEnd(i);
        kind = TokenKind::binaryOperator;
      } else {
        end = i + static_cast<std::uint32_t>(std::max<std::size_t>(length, 1));
      }
    } else {
      kind = TokenKind::identifier;
      keyword = keywordFromText(s_.substr(i, end - i));
      if (keyword != Keyword::none && isReservedKeyword(keyword)) kind = TokenKind::keyword;
    }
  } else if (isDigit(c)) {
    bool afterPeriod = !tokens_.empty() && tokens_.back().kind == TokenKind::period && tokens_.back().trailEnd == i;
    end = numberEnd(i, afterPeriod);
    std::string_view t = s_.substr(i, end - i);
    bool hex = t.size() > 1 && (t[1] == 'x' || t[1] == 'X');
    bool isFloat = !afterPeriod && (t.find('.') != std::string_view::npos ||
                                    (hex ? t.find_first_of("pP") != std::string_view::npos
                                         : t.find_first_of("eE") != std::string_view::npos));
    kind = isFloat ? TokenKind::floatLiteral : TokenKind::integerLiteral;
  } else {
    switch (c) {
      case '(': kind = TokenKind::leftParen; break;
      case ')': kind = TokenKind::rightParen; break;
      case '{': kind = TokenKind::leftBrace; break;
      case '}': kind = TokenKind::rightBrace; break;
      case '[': kind = TokenKind::leftSquare; break;
      case ']': kind = TokenKind::rightSquare; break;
      case ',': kind = TokenKind::comma; break;
      case ':': kind = TokenKind::colon; break;
      case ';': kind = TokenKind::semicolon; break;
      case '@': kind = TokenKind::atSign; break;
      case '\\': kind = TokenKind::backslash; break;
      case '`': {
        std::uint32_t j = i + 1;
        while (j < n_ && s_[j] != '`' && !isNewlineChar(at(j))) ++j;
        if (at(j) == '`' && j > i + 1) {
          kind = TokenKind::identifier;
          end = j + 1;
        }
        break;
      }
      case '$': {
        std::uint32_t j = identifierEnd(i + 1);
        if (j > i + 1) {
          kind = TokenKind::dollarIdentifier;
          end = j;
        } else {
          kind = TokenKind::identifier;
        }
        break;
      }
      case '"':
        openString(i, 0);
        return;
      case '#': {
        std::uint32_t j = poundRunEnd(i);
        if (at(j) == '"') {
          emit(TokenKind::rawStringPoundDelimiter, i, j, j);
          openString(j, j - i);
          return;
        }
        if (at(j) == '/') {
          bool closed = false;
          end = extendedRegexEnd(i, j, &closed);
          kind = closed ? TokenKind::regexLiteral : TokenKind::unknown;
          break;
        }
        kind = TokenKind::pound;
        if (j == i + 1 && isIdentHead(at(i + 1))) {
          std::uint32_t w = identifierEnd(i + 1);
          std::string_view word = s_.substr(i + 1, w - i - 1);
          TokenKind special = word == "if" ? TokenKind::poundIf
                              : word == "elseif" ? TokenKind::poundElseif
                              : word == "else" ? TokenKind::poundElse
                              : word == "endif" ? TokenKind::poundEndif
                              : word == "available" ? TokenKind::poundAvailable
                              : word == "unavailable" ? TokenKind::poundUnavailable
                              : word == "sourceLocation" ? TokenKind::poundSourceLocation
                              : TokenKind::pound;
          if (special != TokenKind::pound) {
            kind = special;
            end = w;
          }
        }
        break;
      }
      case '.': {
        // An operator may start with a dot ("..<", ".==", ".&"); then it may
        // hold further dots. A lone dot is a period.
        // Nearly always a member name follows: one table look-up rules that out.
        unsigned char next = at(i + 1);
        if (next >= 0x80 || !identBodyTable[next]) end = operatorEnd(i);
        kind = end > i + 1 ? TokenKind::binaryOperator : TokenKind::period;
        break;
      }
      default:
        if (c == '<' && at(i + 1) == '#') {
          if (std::uint32_t close = placeholderEnd(i)) {
            kind = TokenKind::editorPlaceholder;
            end = close;
            break;
          }
        }
        if (c == '/') {
          if (at(i + 1) == '*') {
            // A block comment never closed (a closed one is trivia): it runs to the end.
            end = n_;
            break;
          }
          if (std::uint32_t r = regexEnd(i)) {
            kind = TokenKind::regexLiteral;
            end = r;
            break;
          }
        }
        if (isAsciiOperatorChar(c)) {
          kind = TokenKind::binaryOperator;
          // A "?" or "!" bound to the operand before it is a one-character
          // token (optional chaining, force unwrap) whatever follows, "!="
          // aside: cut before scanning, so a run of them is read once.
          end = (c == '?' || (c == '!' && at(i + 1) != '=')) && boundLeft(i) ? i + 1 : operatorEnd(i);
        }
        break;
    }
  }

  if (kind == TokenKind::binaryOperator) {
    // "func ==<T>(…)": a "<" before a name opens the generic parameters, it
    // is no part of the operator's name.
    if (end - i > 1 && s_[end - 1] == '<' && isIdentHead(at(end)) && !tokens_.empty() &&
        tokens_.back().kind == TokenKind::keyword && tokens_.back().keyword == Keyword::kwFunc)
      --end;
    bool leftBound = boundLeft(i);
    unsigned char after = at(end);
    bool rightBound = end < n_ && !(isHorizontalSpace(after) || isNewlineChar(after) || after == ')' ||
                                    after == ']' || after == '}' || after == ',' || after == ';' || after == ':' ||
                                    (after == '/' && (at(end + 1) == '/' || at(end + 1) == '*')));
    std::string_view op = s_.substr(i, end - i);
    if (op == "=") kind = TokenKind::equal;
    else if (op == "->") kind = TokenKind::arrow;
    else if (op == "&" && rightBound && !leftBound) kind = TokenKind::prefixAmpersand;
    else if (op == "?") kind = leftBound ? TokenKind::postfixQuestionMark : TokenKind::infixQuestionMark;
    else if (op == "!" && leftBound) kind = TokenKind::exclamationMark;
    else if (leftBound != rightBound) kind = leftBound ? TokenKind::postfixOperator : TokenKind::prefixOperator;
  }

  // The ")" that closes an interpolation is followed by string content, not trivia.
  bool closesInterpolation = kind == TokenKind::rightParen && !modes_.empty() && !modes_.back().string &&
                             modes_.back().parenDepth == 0;
  bool unused = false;
  std::uint32_t trailEnd = closesInterpolation ? end : skipTrivia(end, false, &unused);
  emit(kind, i, end, trailEnd, keyword);
  pos_ = trailEnd;
  // Room to split ">>", ">=", ">?" … when the parser closes generic brackets.
  if (s_[i] == '>' && end - i > 1 && kind != TokenKind::arrow)
    for (std::uint32_t k = i + 1; k < end; ++k) emit(TokenKind::splitRoom, trailEnd, trailEnd, trailEnd);

  if (!modes_.empty() && !modes_.back().string) {
    Mode& code = modes_.back();
    if (kind == TokenKind::leftParen) ++code.parenDepth;
    else if (kind == TokenKind::rightParen) {
      if (code.parenDepth == 0) modes_.pop_back();  // closes the interpolation
      else --code.parenDepth;
    }
  }
}

void LexerImpl::run() {
  tokens_.reserve(n_ / 4 + 16);
  lexUntil(0);
}

// Lexes tokens and string pieces until the end of the file, or until fewer
// than `depth` modes are open: a literal lexed ahead has closed, which only a
// string piece does.
void LexerImpl::lexUntil(std::size_t depth) {
  while (true) {
    if (!modes_.empty() && modes_.back().string) {
      lexStringPiece();
      if (modes_.size() < depth) return;
      continue;
    }
    // An interpolation inside a one-line literal cannot cross a line break:
    // the literal ends unterminated there.
    bool oneLineInterpolation = modes_.size() >= 2 && !modes_.back().string && !modes_[modes_.size() - 2].multiline;
    bool sawNewline = false;
    std::uint32_t next = skipTrivia(pos_, !oneLineInterpolation, &sawNewline);
    if (oneLineInterpolation && next < n_ && isNewlineChar(at(next))) {
      modes_.pop_back();
      modes_.pop_back();
      continue;
    }
    pos_ = next;
    lineStart_ = sawNewline;
    if (pos_ >= n_) {
      emit(TokenKind::endOfFile, n_, n_, n_);
      return;
    }
    lexCodeToken();
  }
}

}  // namespace

class Lexer {
public:
  static void run(SyntaxTree& tree) {
    LexerImpl impl(tree.source_, tree.tokens_);
    impl.run();
    tree.lexedCount_ = static_cast<std::uint32_t>(tree.tokens_.size());
    // Line starts for line/column lookups (CR LF and lone CR end lines too).
    std::string_view s = tree.source_;
    tree.lineStarts_.assign(1, 0);
    // Lines average more than 24 bytes in real code: one allocation.
    tree.lineStarts_.reserve(s.size() / 24 + 16);
    for (std::uint32_t k = 0; k < s.size(); ++k)
      if (s[k] == '\n' || (s[k] == '\r' && (k + 1 >= s.size() || s[k + 1] != '\n'))) tree.lineStarts_.push_back(k + 1);
  }
};

void lexSource(SyntaxTree& tree) { Lexer::run(tree); }

}  // namespace tovrane::swift
