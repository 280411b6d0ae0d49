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
    Answers answers{located(&Engine::locateClaudeCode, engine), located(&Engine::locateCodex, engine)};
    try {
      answers.iosSimulator = engine.canRunIOSSimulator();
    } catch (const std::exception&) {
    }
    postToMain(guard, [lookup, answers = std::move(answers)]() mutable { lookup->found(std::move(answers)); });
  });
}

void ToolLookup::found(Answers answers) {
  looking_ = false;
  if (known_ && answers == answers_) {
    return;
  }
  known_ = true;
  answers_ = std::move(answers);
  emit changed();
}

}  // namespace tovrane::app
