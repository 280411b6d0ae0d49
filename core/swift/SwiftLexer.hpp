#pragma once
// Turns a tree's source into its token vector. Internal to core/swift.
namespace tovrane::swift {
class SyntaxTree;
// Fills tree's tokens (ending with endOfFile) and line starts. The tokens
// tile the source: concatenating every token's leading trivia, text and
// trailing trivia gives the source back byte for byte.
void lexSource(SyntaxTree& tree);
}  // namespace tovrane::swift
