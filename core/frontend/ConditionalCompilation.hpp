#pragma once
// Resolves #if / #elseif / #else / #endif blocks on the text of a Swift file
// before it is parsed, against one fixed view of the target (iOS, DEBUG set,
// no target environment, every module importable but a few desktop and
// device-specific frameworks, every version, architecture, feature and
// attribute test true). Works on lines, knows nothing of comments or string
// literals, keeps the number of lines and never fails.
#include <cstddef>
#include <string>
#include <string_view>

namespace tovrane {

class ConditionalCompilation {
 public:
  ConditionalCompilation() = delete;

  // The text with directive lines and the lines of branches that do not hold
  // blanked. Lines end at LF; a CR before the LF stays with its line (a kept
  // line keeps all its bytes, a blanked line keeps only its CR), so CR LF
  // files keep their line ends and their directives are still recognised.
  static std::string resolve(std::string_view source);
  // The value of one condition against the fixed target view.
  static bool eval(std::string_view condition);

  // A cursor over one condition; its operations only ever advance.
  struct Parser {
    std::string_view text;
    std::size_t position = 0;

    void skip();
    bool eat(std::string_view s);
    // The value of the or-expression from the position on.
    bool orExpr();
    bool atom();
  };
};

}  // namespace tovrane
