#include "core/frontend/ConditionalCompilation.hpp"

#include "core/support/Text.hpp"

#include <array>
#include <vector>

namespace tovrane {
namespace {

// Frameworks that an iOS app cannot import.
constexpr std::array<std::string_view, 7> absentModules{"AppKit", "WatchKit", "Cocoa", "TVUIKit",
                                                        "RealityKit", "ARKit", "CarPlay"};

// Atoms that hold whatever their argument says.
constexpr std::array<std::string_view, 7> alwaysTrue{"DEBUG",   "true",       "swift",       "compiler",
                                                     "arch",    "hasFeature", "hasAttribute"};

struct Frame {
  bool active;
  bool taken;
  bool parent;
};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& list, std::string_view name) {
  for (auto entry : list)
    if (entry == name) return true;
  return false;
}

}  // namespace

void ConditionalCompilation::Parser::skip() {
  while (position < text.size() && (text[position] == ' ' || text[position] == '\t')) ++position;
}

bool ConditionalCompilation::Parser::eat(std::string_view s) {
  skip();
  if (text.substr(position).starts_with(s)) {
    position += s.size();
    return true;
  }
  return false;
}

// The grammar: or := and ("||" and)*; and := unary ("&&" unary)*;
// unary := "!"* ("(" or ")"? | atom). Both loops always parse their right
// operand, so the position moves past the whole chain; a missing ")" is
// accepted. Walked with an explicit stack of open parentheses, not by
// recursion: a condition of a million "(" must not exhaust the stack.
bool ConditionalCompilation::Parser::orExpr() {
  // One level per open parenthesis (the first is the whole condition): the
  // value of its or-chain so far, of its current and-chain, and whether the
  // "!" before its "(" negate it.
  struct Level {
    bool orValue = false;
    bool andValue = true;
    bool negated = false;
  };
  std::vector<Level> levels(1);
  while (true) {
    std::size_t negations = 0;
    while (eat("!")) ++negations;
    if (eat("(")) {
      levels.push_back(Level{.negated = negations % 2 == 1});
      continue;
    }
    bool operand = atom() != (negations % 2 == 1);
    while (true) {
      Level& level = levels.back();
      level.andValue = level.andValue && operand;
      if (eat("&&")) break;
      level.orValue = level.orValue || level.andValue;
      level.andValue = true;
      if (eat("||")) break;
      if (levels.size() == 1) return level.orValue;
      // The parenthesised or-chain ends: its value is an operand one level out.
      eat(")");
      operand = level.orValue != level.negated;
      levels.pop_back();
    }
  }
}

bool ConditionalCompilation::Parser::atom() {
  skip();
  const std::size_t nameStart = position;
  while (position < text.size()) {
    std::size_t length = 0;
    text::firstScalar(text.substr(position), &length);
    const std::string_view character = text.substr(position, length);
    if (character != "_" && !text::isLetter(character) && !text::isNumber(character)) break;
    position += length;
  }
  const std::string_view name = text.substr(nameStart, position - nameStart);

  std::string_view argument;
  if (eat("(")) {
    const std::size_t argumentStart = position;
    std::size_t depth = 1;
    std::size_t argumentEnd = text.size();
    for (; position < text.size(); ++position) {
      if (text[position] == '(') {
        ++depth;
      } else if (text[position] == ')' && --depth == 0) {
        argumentEnd = position++;
        break;
      }
    }
    argument = text::trimBlanks(text.substr(argumentStart, argumentEnd - argumentStart));
  }

  if (name == "os") return argument == "iOS";
  if (name == "canImport") {
    std::string_view module = argument;
    for (std::size_t start = 0; start <= argument.size();) {
      const std::size_t comma = std::min(argument.find(',', start), argument.size());
      if (comma > start) {
        module = text::trimBlanks(argument.substr(start, comma - start));
        break;
      }
      start = comma + 1;
    }
    return !contains(absentModules, module);
  }
  return contains(alwaysTrue, name);
}

bool ConditionalCompilation::eval(std::string_view condition) {
  Parser parser{condition.substr(0, condition.find("//")), 0};
  return parser.orExpr();
}

std::string ConditionalCompilation::resolve(std::string_view source) {
  if (source.find("#if") == std::string_view::npos) return std::string(source);

  const auto lines = text::splitLines(source);
  std::vector<Frame> frames;
  bool current = true;
  std::string out;
  out.reserve(source.size());

  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const bool hasCR = line.ends_with('\r');
    const std::string_view trimmed = text::trimBlanks(hasCR ? line.substr(0, line.size() - 1) : line);
    const auto rest = [&](std::size_t n) { return trimmed.substr(n); };
    bool directive = true;

    if (trimmed.starts_with("#if ") || trimmed.starts_with("#if(")) {
      const bool value = current && eval(rest(3));
      frames.push_back({value, value, current});
      current = value;
    } else if (trimmed.starts_with("#elseif") && !frames.empty()) {
      const Frame top = frames.back();
      frames.pop_back();
      const bool value = top.parent && !top.taken && eval(rest(7));
      frames.push_back({value, top.taken || value, top.parent});
      current = value;
    } else if ((trimmed == "#else" || trimmed.starts_with("#else ")) && !frames.empty()) {
      Frame& top = frames.back();
      top.active = top.parent && !top.taken;
      top.taken = true;
      current = top.active;
    } else if (trimmed.starts_with("#endif") && !frames.empty()) {
      current = frames.back().parent;
      frames.pop_back();
    } else {
      directive = false;
    }

    if (i) out += '\n';
    if (!directive && current)
      out.append(line);
    else if (hasCR)
      out += '\r';
  }
  return out;
}

}  // namespace tovrane
