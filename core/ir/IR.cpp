#include "core/ir/IR.hpp"

#include <array>

namespace tovrane {
namespace {

// Indexed by the enum value; the texts are the Swift keywords.
constexpr std::array<std::string_view, 6> typeKindTexts = {"struct", "class", "enum", "protocol", "extension", "actor"};

}  // namespace

std::string_view rawValue(IRTypeKind kind) { return typeKindTexts[static_cast<std::size_t>(kind)]; }

std::optional<IRTypeKind> irTypeKindFromRawValue(std::string_view text) {
  for (std::size_t i = 0; i < typeKindTexts.size(); ++i)
    if (typeKindTexts[i] == text) return static_cast<IRTypeKind>(i);
  return std::nullopt;
}

}  // namespace tovrane
