#pragma once
// Where the two command-line tools a repair can run are installed (Claude
// Code and Codex), and whether this machine can run the iOS simulator, for
// the whole process: the engine's answers, the one source every screen asks.
// A lookup may wait for the user's login shell, so it runs on a worker, never
// on the UI thread; the entry starts one at start-up and the settings page
// each time it is shown.
//
// Invariants: the answers live on the UI thread; `changed` is emitted when
// the first answer arrives and whenever a later one differs. Until the
// first answer both paths are absent, there is no iOS simulator and known()
// is false.
#include <QObject>
#include <QString>

#include <optional>

namespace tovrane::app {

class Engine;
class Workers;

class ToolLookup : public QObject {
  Q_OBJECT

 public:
  ToolLookup(Engine& engine, Workers& workers, QObject* parent = nullptr);

  // Looks both tools up again, Claude Code first, then asks for the iOS
  // simulator; does nothing while a lookup is under way (its answer is as fresh).
  void refresh();
  bool known() const { return known_; }
  const std::optional<QString>& claudeCode() const { return answers_.claudeCode; }
  const std::optional<QString>& codex() const { return answers_.codex; }
  bool iosSimulator() const { return answers_.iosSimulator; }

 signals:
  void changed();

 private:
  struct Answers {
    std::optional<QString> claudeCode;
    std::optional<QString> codex;
    bool iosSimulator = false;
    bool operator==(const Answers&) const = default;
  };
  void found(Answers answers);

  Engine& engine_;
  Workers& workers_;
  bool looking_ = false;
  bool known_ = false;
  Answers answers_;
};

}  // namespace tovrane::app
