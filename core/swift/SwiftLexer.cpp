// The Swift lexer. Trivia rule: a token's trailing trivia is the same-line
// whitespace and comments after it, up to (not including) the next newline;
// everything else before a token is its leading trivia. Inside string
// literals, text the compiler does not see (a multi-line literal's
// indentation, the line breaks next to its delimiters, line-continuation
// backslashes) is leading trivia of the next token.
//
// The lexer is modal: code, string content and interpolations nest on a
// mode stack (a vector, so nesting depth costs no native stack).
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
    std::uint16_t pounds = 0;
    std::uint32_t parenDepth = 0;
    std::uint32_t indentStart = 0;
    std::uint32_t indentLength = 0;
  };

  unsigned char at(std::uint32_t i) const { return i < n_ ? static_cast<unsigned char>(s_[i]) : 0; }
  bool startsAt(std::uint32_t i, std::string_view what) const { return s_.substr(std::min(i, n_)).starts_with(what); }
  std::uint32_t skipTrivia(std::uint32_t i, bool crossLines, bool* sawNewline) const;
  std::uint32_t skipBlockComment(std::uint32_t i) const;
  void emit(TokenKind kind, std::uint32_t textStart, std::uint32_t textEnd, std::uint32_t trailEnd, Keyword keyword = Keyword::none);
  void lexCodeToken();
  void lexStringPiece();
  std::uint32_t identifierEnd(std::uint32_t i) const;
  std::uint32_t operatorEnd(std::uint32_t i) const;
  std::uint32_t numberEnd(std::uint32_t i, bool afterPeriod) const;
  bool operandExpected() const;
  std::uint32_t regexEnd(std::uint32_t i) const;
  bool closesString(std::uint32_t i, const Mode& m) const;
  std::uint32_t skipIndent(std::uint32_t i, const Mode& m) const;
  bool closingLineAt(std::uint32_t i, const Mode& m) const;
  void openString(std::uint32_t quoteStart, std::uint16_t pounds);

  std::string_view s_;
  std::uint32_t n_;
  std::vector<Token>& tokens_;
  std::vector<Mode> modes_;
  std::vector<std::uint32_t> open_;
  std::uint32_t pos_ = 0;
  std::uint32_t lastEnd_ = 0;
  // The leading trivia of the next token holds a line break.
  bool lineStart_ = false;
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
  auto id = static_cast<std::uint32_t>(tokens_.size());
  if (kind == TokenKind::leftParen || kind == TokenKind::leftBrace || kind == TokenKind::leftSquare) open_.push_back(id);
  if (kind == TokenKind::rightParen || kind == TokenKind::rightBrace || kind == TokenKind::rightSquare) {
    TokenKind opener = kind == TokenKind::rightParen ? TokenKind::leftParen
                       : kind == TokenKind::rightBrace ? TokenKind::leftBrace : TokenKind::leftSquare;
    // Pair with the nearest open bracket of the same kind; brackets left open above it stay unpaired.
    for (std::size_t k = open_.size(); k-- > 0;) {
      if (tokens_[open_[k]].kind == opener) {
        tokens_[open_[k]].match = id;
        t.match = open_[k];
        open_.resize(k);
        break;
      }
    }
  }
  tokens_.push_back(t);
  lastEnd_ = trailEnd;
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
// division in real code fails at least one of these.
std::uint32_t LexerImpl::regexEnd(std::uint32_t i) const {
  if (!operandExpected()) return 0;
  unsigned char first = at(i + 1);
  if (first == ' ' || first == '\t' || isNewlineChar(first) || first == 0 || first == '/' || first == '*') return 0;
  bool inClass = false;
  for (std::uint32_t j = i + 1; j < n_; ++j) {
    unsigned char c = static_cast<unsigned char>(s_[j]);
    if (isNewlineChar(c)) return 0;
    if (c == '\\') { ++j; continue; }
    if (c == '[') inClass = true;
    else if (c == ']') inClass = false;
    else if (c == '/' && !inClass) return s_[j - 1] == ' ' ? 0 : j + 1;
  }
  return 0;
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

void LexerImpl::openString(std::uint32_t quoteStart, std::uint16_t pounds) {
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
  if (!m.multiline) {
    modes_.push_back(m);
    return;
  }
  // The closing delimiter's line fixes the indentation stripped from every line.
  std::uint32_t line = quoteEnd;
  while (line < n_) {
    std::uint32_t nl = line;
    while (nl < n_ && !isNewlineChar(at(nl))) ++nl;
    if (nl >= n_) break;
    line = nl + (at(nl) == '\r' && at(nl + 1) == '\n' ? 2 : 1);
    std::uint32_t k = line;
    while (k < n_ && (s_[k] == ' ' || s_[k] == '\t')) ++k;
    if (closesString(k, m)) {
      m.indentStart = line;
      m.indentLength = k - line;
      break;
    }
  }
  // The rest of the opening line and its line break are not content.
  std::uint32_t k = quoteEnd;
  while (k < n_ && (s_[k] == ' ' || s_[k] == '\t')) ++k;
  if (isNewlineChar(at(k))) {
    k += (at(k) == '\r' && at(k + 1) == '\n') ? 2 : 1;
    pos_ = closingLineAt(k, m) ? k : skipIndent(k, m);
    if (closingLineAt(k, m))
      while (pos_ < n_ && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
  }
  modes_.push_back(m);
}

void LexerImpl::lexStringPiece() {
  Mode m = modes_.back();
  std::uint32_t i = pos_;
  if (i >= n_) {  // unterminated: the parser inserts the missing quote
    modes_.pop_back();
    return;
  }
  if (closesString(i, m)) {
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
  auto prevChar = [&]() -> unsigned char { return i > 0 ? static_cast<unsigned char>(s_[i - 1]) : 0; };

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
        std::uint32_t j = i;
        while (at(j) == '#') ++j;
        if (at(j) == '"') {
          emit(TokenKind::rawStringPoundDelimiter, i, j, j);
          openString(j, static_cast<std::uint16_t>(std::min<std::uint32_t>(j - i, 0xFFFF)));
          return;
        }
        if (at(j) == '/') {
          // Extended regex #/…/#: ends at a slash followed by as many pounds.
          std::uint32_t pounds = j - i;
          for (std::uint32_t k = j + 1; k < n_; ++k) {
            if (s_[k] == '\\') { ++k; continue; }
            if (s_[k] != '/') continue;
            std::uint32_t p = 0;
            while (p < pounds && at(k + 1 + p) == '#') ++p;
            if (p == pounds) {
              kind = TokenKind::regexLiteral;
              end = k + 1 + pounds;
              break;
            }
          }
          if (kind == TokenKind::regexLiteral) break;
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
          std::size_t close = s_.find("#>", i + 2);
          std::size_t nl = s_.find_first_of("\r\n", i + 2);
          if (close != std::string_view::npos && (nl == std::string_view::npos || close < nl)) {
            kind = TokenKind::editorPlaceholder;
            end = static_cast<std::uint32_t>(close + 2);
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
          end = operatorEnd(i);
          kind = TokenKind::binaryOperator;
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
    unsigned char before = prevChar();
    bool leftBound = i > 0 && !(isHorizontalSpace(before) || isNewlineChar(before) || before == '(' ||
                                before == '[' || before == '{' || before == ',' || before == ';' || before == ':' ||
                                (before == '/' && i > 1 && s_[i - 2] == '*'));
    if (leftBound && (c == '?' || (c == '!' && at(i + 1) != '='))) end = i + 1;
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
  while (true) {
    if (!modes_.empty() && modes_.back().string) {
      lexStringPiece();
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
      break;
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
