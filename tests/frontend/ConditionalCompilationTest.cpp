#include "core/frontend/ConditionalCompilation.hpp"

#include <gtest/gtest.h>

namespace tovrane {
namespace {

TEST(ConditionalCompilation, ResolvesBlocksAndKeepsLineCount) {
  const struct {
    std::string input;
    std::string expected;
  } cases[] = {
      // No "#if" anywhere: unchanged, stray directives included.
      {"a\n#else\n#endif\n", "a\n#else\n#endif\n"},
      {"// see #ifdef\nx", "// see #ifdef\nx"},
      {"#if DEBUG\nA\n#else\nB\n#endif", "\nA\n\n\n"},
      {"#if os(macOS)\nA\n#elseif os(iOS)\nB\n#else\nC\n#endif", "\n\n\nB\n\n\n"},
      {"#if DEBUG\nA\n#elseif true\nB\n#endif", "\nA\n\n\n"},
      {"#if os(watchOS)\n#if DEBUG\nA\n#endif\n#else\nB\n#endif", "\n\n\n\n\nB\n"},
      {"#if DEBUG\nA\n#endif\n", "\nA\n\n"},
      {"    #if DEBUG\n    A\n    #endif", "\n    A\n"},
      // Not directives: "#ifdef", "#if" + tab, "#else//", "#else" + tab.
      {"#ifdef X\nA", "#ifdef X\nA"},
      {"#if\tDEBUG\nA", "#if\tDEBUG\nA"},
      {"#if(DEBUG)\nA\n#endif", "\nA\n"},
      {"#if false\nA\n#else // note\nB\n#endif // x", "\n\n\nB\n"},
      {"#if false\nA\n#else// note\nB\n#endif", "\n\n\n\n"},
      {"#if DEBUG\nA\n#else\tx\nB\n#endif", "\nA\n#else\tx\nB\n"},
      // Without an open block, #else and #endif are ordinary lines.
      {"#endif\n#if DEBUG\nA\n#endif\n#else", "#endif\n\nA\n\n#else"},
      {"#if false\nA", "\n"},
      // Blanks include Unicode space separators.
      {"\xC2\xA0#if DEBUG\nA\n#endif", "\nA\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(ConditionalCompilation::resolve(c.input), c.expected) << c.input;
}

TEST(ConditionalCompilation, CrLfLinesKeepTheirBytesAndDirectivesAreSeen) {
  EXPECT_EQ(ConditionalCompilation::resolve("#if DEBUG\r\nA\r\n#else\r\nB\r\n#endif\r\n"), "\r\nA\r\n\r\n\r\n\r\n");
  EXPECT_EQ(ConditionalCompilation::resolve("#if os(macOS)\r\n  A \r\n#endif\r\nC\r"), "\r\n\r\n\r\nC\r");
}

TEST(ConditionalCompilation, EvaluatesConditionsAgainstTheFixedTarget) {
  const struct {
    const char* condition;
    bool value;
  } cases[] = {
      {"", false},
      {"!", true},
      {"!DEBUG", false},
      {"!!DEBUG", true},
      {"! ! DEBUG", true},
      {"os(iOS)", true},
      {"os( iOS )", true},
      {"os (iOS)", true},
      {"os(macOS)", false},
      {"os(Linux)", false},
      {"os(ios)", false},
      {"canImport(UIKit)", true},
      {"canImport(SwiftUI)", true},
      {"canImport(UIKit, _version: 2.0)", true},
      {"canImport(AppKit)", false},
      {"canImport( Cocoa , _version: 1)", false},
      {"canImport(,ARKit)", false},
      {"targetEnvironment(simulator)", false},
      {"targetEnvironment(macCatalyst)", false},
      {"swift(>=5.9)", true},
      {"compiler(<6.0)", true},
      {"arch(x86_64)", true},
      {"arch(arm64)", true},
      {"hasFeature(X)", true},
      {"hasAttribute(Y)", true},
      {"false", false},
      {"FOO", false},
      {"Debug", false},
      {"DEBUG || os(macOS) && os(tvOS)", true},
      {"(DEBUG || os(macOS)) && os(tvOS)", false},
      {"DEBUG && (os(iOS)", true},
      {"DEBUG FOO", true},
      {"os(macOS) // || DEBUG", false},
      {"// DEBUG", false},
      {"swift(>=5.9) && !os(macOS)", true},
      {"canImport(Foo(Bar)) && DEBUG", true},
  };
  for (const auto& c : cases) EXPECT_EQ(ConditionalCompilation::eval(c.condition), c.value) << c.condition;
}

// A file may hold a condition of a million parentheses: it is evaluated
// without recursion, by the same rules as a shallow one.
TEST(ConditionalCompilation, DeeplyNestedConditionsNeedNoStack) {
  constexpr std::size_t depth = 1'000'000;
  auto nested = [&](std::string_view open, std::string_view atom, std::string_view close) {
    std::string text;
    for (std::size_t i = 0; i < depth; ++i) text += open;
    text += atom;
    for (std::size_t i = 0; i < depth; ++i) text += close;
    return text;
  };
  EXPECT_TRUE(ConditionalCompilation::eval(nested("(", "DEBUG", ")")));
  EXPECT_FALSE(ConditionalCompilation::eval(nested("(", "os(macOS)", "")));
  EXPECT_TRUE(ConditionalCompilation::eval(nested("!(", "DEBUG", ")")));  // an even number of negations
  EXPECT_FALSE(ConditionalCompilation::eval(nested("(false || ", "DEBUG", ") && FOO")));
  EXPECT_EQ(ConditionalCompilation::resolve("#if " + nested("(", "DEBUG", ")") + "\nA\n#else\nB\n#endif"), "\nA\n\n\n");
}

}  // namespace
}  // namespace tovrane
