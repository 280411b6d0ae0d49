#pragma once
// The observable state and driver of the AI repair of one Android output
// folder. The job centre makes one per folder and keeps it for the life of
// the process, so a repair goes on when its page is left. start() saves the
// chosen back-end and settings and runs one repairer of the engine on a
// worker; each event it reports is posted to the UI thread on its own and
// applied by handle(). The model also lists, chooses and downloads local
// models.
//
// Invariants: every field lives on the UI thread and notifies only a real
// change. Posts of a run apply only while that run is the model's latest, so
// a late event of an earlier run never mixes into the next one. A key field
// that the user edited is neither refreshed by reloadKeys() nor lost: an
// `api` start saves exactly the edited fields, so no stale key overwrites or
// removes one stored elsewhere (the settings page) meanwhile. The tool
// paths follow the process-wide ToolLookup.
#include "app/state/Engine.hpp"
#include "app/state/JobServices.hpp"
#include "app/state/Settings.hpp"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace tovrane::app {

class JobCenter;

namespace repair_phase {
struct Idle {
  bool operator==(const Idle&) const = default;
};
struct Running {
  bool operator==(const Running&) const = default;
};
struct Done {
  bool operator==(const Done&) const = default;
};
struct Failed {
  QString text;
  bool operator==(const Failed&) const = default;
};
}  // namespace repair_phase
using RepairPhase = std::variant<repair_phase::Idle, repair_phase::Running, repair_phase::Done, repair_phase::Failed>;

// A local model being downloaded and the fraction done (0 to 1).
struct LocalModelPull {
  QString name;
  double progress = 0;
  bool operator==(const LocalModelPull&) const = default;
};

class AIRepairModel : public QObject {
  Q_OBJECT

 public:
  using Phase = RepairPhase;
  // Called when a run returns a result: the result, the back-end it ran
  // with, and the number of placeholders it resolved.
  using FinishAction = std::function<void(const AIRepairResult&, Backend, int resolved)>;

  // Reads the stored keys and settings once; the tool paths come from
  // services.tools, now or when its first answer arrives.
  AIRepairModel(const JobServices& services, JobCenter& jobs, std::filesystem::path project, QString name,
                QObject* parent = nullptr);

  Backend backend() const { return backend_; }
  const Phase& phase() const { return phase_; }
  const QString& status() const { return status_; }
  // The files the run reported as started, in order of first report.
  const QStringList& touchedFiles() const { return touchedFiles_; }
  double cost() const { return cost_; }
  const std::optional<AIRepairResult>& result() const { return result_; }
  int done() const { return done_; }
  // Never lowered within a run.
  int total() const { return total_; }
  int compileRound() const { return compileRound_; }
  const std::optional<int>& compileErrors() const { return compileErrors_; }
  const QDateTime& startedAt() const { return startedAt_; }
  const QString& anthropicKey() const { return anthropicKey_.text; }
  const QString& openAIKey() const { return openAIKey_.text; }
  const QString& geminiKey() const { return geminiKey_.text; }
  AIProvider preferred() const { return preferred_; }
  int escalations() const { return escalations_; }
  int filesDone() const { return filesDone_; }
  const QString& currentModel() const { return currentModel_; }
  const std::filesystem::path& project() const { return project_; }
  const QString& name() const { return name_; }
  bool useLocal() const { return useLocal_; }
  const QString& localModel() const { return localModel_; }
  const std::vector<LocalModel>& localModels() const { return localModels_; }
  const QString& localState() const { return localState_; }
  const std::optional<LocalModelPull>& pulling() const { return pulling_; }
  const std::optional<QString>& claudePath() const { return claudePath_; }
  const std::optional<QString>& codexPath() const { return codexPath_; }

  // What the card edits.
  void setBackend(Backend backend);
  // The card moves a finished or failed run back to idle.
  void setPhase(Phase phase);
  void setAnthropicKey(const QString& key);
  void setOpenAIKey(const QString& key);
  void setGeminiKey(const QString& key);
  void setPreferred(AIProvider provider);
  void setUseLocal(bool useLocal);
  void setLocalModel(const QString& name);
  // The card sets it immediately before each start().
  void setOnFinish(FinishAction action) { onFinish_ = std::move(action); }

  // codex and claudeCode: their tool was found; api: the ladder is not empty.
  bool canStart() const;
  // The options of an API-ladder repair from the current fields, with the
  // fixes service as the user chose to share with it. Every start computes
  // them; Codex and Claude Code runs take their fixes settings from them.
  AIRepairOptions apiOptions() const;
  // Shows the stored keys in every key field not edited since it was last
  // loaded or saved; the card calls it each time its setup appears.
  void reloadKeys();

  // Starts a run with the current settings and returns at once.
  void start();
  // Asks the repairers of this model to stop and returns at once; the phase
  // changes only when the run ends.
  void cancel();
  // Lists the installed local models on a worker and keeps or repairs the choice.
  void loadLocalModels();
  // Downloads a local model on a worker; on success it becomes the choice.
  void pull(const QString& name);

 signals:
  void backendChanged();
  void phaseChanged();
  void statusChanged();
  void touchedFilesChanged();
  void costChanged();
  void resultChanged();
  void doneChanged();
  void totalChanged();
  void compileRoundChanged();
  void compileErrorsChanged();
  void startedAtChanged();
  void anthropicKeyChanged();
  void openAIKeyChanged();
  void geminiKeyChanged();
  void preferredChanged();
  void escalationsChanged();
  void filesDoneChanged();
  void currentModelChanged();
  void useLocalChanged();
  void localModelChanged();
  void localModelsChanged();
  void localStateChanged();
  void pullingChanged();
  void claudePathChanged();
  void codexPathChanged();
  // A start could not save an edited key (German, naming the key file).
  void keysNotSaved(const QString& message);

 private:
  // One API key field and whether the user changed it since it was last loaded or saved.
  struct KeyField {
    QString text;
    bool edited = false;
  };
  struct KeyRow {
    const char* service;
    KeyField AIRepairModel::*field;
    void (AIRepairModel::*changed)();
  };
  // In the order a start saves them.
  static const KeyRow keyRows[3];
  struct EventApplier;

  void setKey(KeyField AIRepairModel::*field, void (AIRepairModel::*changed)(), const QString& key);
  void resetRunFields();
  // The back-end always; for the API ladder also its settings and the edited keys.
  void saveRunSettings();
  void takeToolPaths();
  Backend backendFromTools() const;
  void handle(const AIRepairEvent& event);
  void finished(Backend backend, std::optional<AIRepairResult> result, std::optional<QString> failure);
  void listedLocalModels(std::vector<LocalModel> models);

  void setStatus(QString status);
  void setTouchedFiles(QStringList files);
  void setCost(double cost);
  void setResult(std::optional<AIRepairResult> result);
  void setDone(int done);
  void setTotal(int total);
  void setCompileRound(int round);
  void setCompileErrors(std::optional<int> errors);
  void setStartedAt(QDateTime startedAt);
  void setEscalations(int escalations);
  void setFilesDone(int filesDone);
  void setCurrentModel(QString model);
  void setLocalModels(std::vector<LocalModel> models);
  void setLocalState(QString state);
  void setPulling(std::optional<LocalModelPull> pulling);
  void setClaudePath(std::optional<QString> path);
  void setCodexPath(std::optional<QString> path);

  const JobServices& services_;
  JobCenter& jobs_;
  Backend backend_ = Backend::api;
  // The back-end no longer follows the tool lookup: it was stored, chosen,
  // or set from the lookup's first answer.
  bool backendSettled_ = false;
  Phase phase_ = repair_phase::Idle{};
  QString status_;
  QStringList touchedFiles_;
  double cost_ = 0;
  std::optional<AIRepairResult> result_;
  int done_ = 0;
  int total_ = 0;
  int compileRound_ = 0;
  std::optional<int> compileErrors_;
  QDateTime startedAt_;
  FinishAction onFinish_;
  KeyField anthropicKey_;
  KeyField openAIKey_;
  KeyField geminiKey_;
  AIProvider preferred_ = AIProvider::gemini;
  int escalations_ = 0;
  int filesDone_ = 0;
  QString currentModel_;
  const std::filesystem::path project_;
  const QString name_;
  bool useLocal_ = false;
  QString localModel_;
  std::vector<LocalModel> localModels_;
  QString localState_;
  std::optional<LocalModelPull> pulling_;
  std::optional<QString> claudePath_;
  std::optional<QString> codexPath_;
  std::shared_ptr<Repairer> codexRunner_;
  std::shared_ptr<Repairer> apiRunner_;
  // Counts the starts; a post carries the number of its run.
  int run_ = 0;
};

}  // namespace tovrane::app
