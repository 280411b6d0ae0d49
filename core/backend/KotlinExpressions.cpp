// Placeholder definitions until expressions, closures, identifiers, members,
// implicit members and calls are translated: texts come back as counted
// TODO placeholders, questions are answered "no".
#include "core/backend/KotlinBackend.hpp"

namespace tovrane {
namespace {

constexpr std::string_view pendingMessage = "Noch nicht übersetzt";

}  // namespace

std::string KotlinEmitter::expr(const IRExpr&, const Hint&) { return todo("expression", pendingMessage); }
std::string KotlinEmitter::stringExpr(const std::vector<IRStringPart>&) { return todo("string", pendingMessage); }
std::string KotlinEmitter::escapeSwiftText(std::string_view text) { return std::string(text); }

std::string KotlinEmitter::closureExpr(const IRClosure&, bool) { return todo("{ … }", pendingMessage); }

std::string KotlinEmitter::identExpr(std::string_view name) { return todo(name, pendingMessage); }
bool KotlinEmitter::isKnownIdent(std::string_view) { return false; }
std::string KotlinEmitter::memberExpr(const IRExpr&, std::string_view name, const Hint&) {
  return todo(name, pendingMessage);
}
std::vector<std::string> KotlinEmitter::path(const IRExpr&) { return {}; }
std::optional<std::string> KotlinEmitter::implicitTypeFor(const IRExpr&) { return std::nullopt; }
std::optional<std::string> KotlinEmitter::enumType(std::string_view, std::string_view) { return std::nullopt; }
std::optional<std::string> KotlinEmitter::enumTypeOfProperty(std::string_view) { return std::nullopt; }
std::optional<std::string> KotlinEmitter::elementClass(const IRExpr&) { return std::nullopt; }
bool KotlinEmitter::isPropertyOfCurrentType(std::string_view) { return false; }

std::optional<std::string> KotlinEmitter::implicitMember(std::string_view, const Hint&) { return std::nullopt; }

std::string KotlinEmitter::callExpr(const IRExpr&, const std::vector<IRArg>&, const std::vector<IRArg>&,
                                    const Hint&) {
  return todo("call", pendingMessage);
}
std::vector<std::string> KotlinEmitter::argList(const std::vector<IRArg>& args, const std::optional<std::string>&,
                                                const std::vector<std::optional<IRType>>&) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < args.size(); ++i) texts.push_back(todo("argument", pendingMessage));
  return texts;
}
std::vector<std::optional<IRType>> KotlinEmitter::paramTypes(const IRExpr&, const std::vector<IRArg>&) { return {}; }

}  // namespace tovrane
