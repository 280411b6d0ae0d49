#pragma once
// What the backend tests need around the IR builders: a module as the
// symbol collector sees it, and the emitter's output and warnings as text.
#include <string>
#include <vector>

#include "core/backend/KotlinBackend.hpp"
#include "core/support/Text.hpp"
#include "tests/support/IRBuilders.hpp"

namespace tovrane::testsupport {

// A module that knows the given declarations, as the collector would build it.
inline ModuleSymbols symbolsFor(const std::vector<IRTypeDecl>& decls) {
  IRFile file{.path = "Module.swift", .decls = {}};
  for (const IRTypeDecl& decl : decls) file.decls.push_back(declOf(decl));
  return SymbolCollector::collect(IRModule{.files = {file}});
}

inline std::string written(const Writer& writer) { return text::join(writer.lines, "\n"); }

inline std::vector<std::string> messages(const KotlinEmitter& emitter) {
  std::vector<std::string> texts;
  for (const ConversionWarning& warning : emitter.warnings) texts.push_back(warning.message);
  return texts;
}

}  // namespace tovrane::testsupport
