#pragma once
// Kotlin string literals for texts that generated code carries verbatim
// (placeholder sources, colour names). The literal stays on one line, and no
// text can end it early or start a string template inside it.
#include <string>
#include <string_view>

namespace tovrane {

// The text between double quotes, with the quote, the backslash and the
// dollar sign escaped by a backslash and line feed and carriage return
// written as \n and \r. Every other byte is copied unchanged.
std::string stringLiteral(std::string_view text);

}  // namespace tovrane
