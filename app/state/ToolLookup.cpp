#include "app/state/ToolLookup.hpp"

#include "app/state/Engine.hpp"
#include "app/state/MainThread.hpp"
#include "app/state/Workers.hpp"

#include <QPointer>

namespace tovrane::app {

namespace {
// A lookup that fails counts as a tool not found.
std::optional<QString> located(std::optional<std::string> (Engine::*locate)(), Engine& engine) {
  try {
    if (const std::optional<std::string> path = (engine.*locate)()) {
      return QString::fromStdString(*path);
    }
  } catch (const std::exception&) {
  }
  return std::nullopt;
}
}  // namespace

ToolLookup::ToolLookup(Engine& engine, Workers& workers, QObject* parent)
    : QObject(parent), engine_(engine), workers_(workers) {}

void ToolLookup::refresh() {
  if (looking_) {
    return;
  }
  looking_ = true;
  const QPointer<QObject> guard(this);
  ToolLookup* lookup = this;
  workers_.run([guard, lookup, &engine = engine_] {
    std::optional<QString> claudeCode = located(&Engine::locateClaudeCode, engine);
    std::optional<QString> codex = located(&Engine::locateCodex, engine);
    postToMain(guard, [lookup, claudeCode = std::move(claudeCode), codex = std::move(codex)]() mutable {
      lookup->found(std::move(claudeCode), std::move(codex));
    });
  });
}

void ToolLookup::found(std::optional<QString> claudeCode, std::optional<QString> codex) {
  looking_ = false;
  if (known_ && claudeCode == claudeCode_ && codex == codex_) {
    return;
  }
  known_ = true;
  claudeCode_ = std::move(claudeCode);
  codex_ = std::move(codex);
  emit changed();
}

}  // namespace tovrane::app
