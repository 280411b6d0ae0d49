#include "app/state/AIRepairModel.hpp"

#include "app/platform/Platform.hpp"
#include "app/state/Clock.hpp"
#include "app/state/JobCenter.hpp"
#include "app/state/Keychain.hpp"
#include "app/state/MainThread.hpp"
#include "app/state/Observable.hpp"
#include "app/state/StoreFile.hpp"
#include "app/state/ToolLookup.hpp"
#include "app/state/Workers.hpp"

#include <QGuiApplication>
#include <QPointer>

#include <algorithm>

namespace tovrane::app {

namespace {

const char* const startingText = "Startet …";
const char* const startingLocalModelText = "Starte lokales Modell …";
const char* const claudeCodeModelText = "Claude-Abo Opus 5.5";
const char* const searchingOllamaText = "Suche Ollama …";
const char* const ollamaMissingText = "Ollama ist nicht installiert (ollama.com).";
const char* const noLocalModelText = "Noch kein lokales Modell geladen.";
const char* const localModelsText = " lokale Modelle";
const char* const pullFailedText = "Download fehlgeschlagen: ";

QString text(const std::string& value) { return QString::fromStdString(value); }

QString keyOf(const char* service) { return Keychain::load(QString::fromUtf8(service)).value_or(QString()); }

}  // namespace

const AIRepairModel::KeyRow AIRepairModel::keyRows[3] = {
    {Keychain::openAIService, &AIRepairModel::openAIKey_, &AIRepairModel::openAIKeyChanged},
    {Keychain::anthropicService, &AIRepairModel::anthropicKey_, &AIRepairModel::anthropicKeyChanged},
    {Keychain::geminiService, &AIRepairModel::geminiKey_, &AIRepairModel::geminiKeyChanged},
};

AIRepairModel::AIRepairModel(const JobServices& services, JobCenter& jobs, std::filesystem::path project,
                             QString name, QObject* parent)
    : QObject(parent),
      services_(services),
      jobs_(jobs),
      startedAt_(services.clock.now()),
      preferred_(services.settings.preferredProvider()),
      project_(std::move(project)),
      name_(std::move(name)),
      useLocal_(services.settings.useLocalModel(services.engine.localModelsInstalled())),
      localModel_(services.settings.localModel()),
      localState_(QString::fromUtf8(searchingOllamaText)) {
  for (const KeyRow& row : keyRows) {
    (this->*row.field).text = keyOf(row.service);
  }
  claudePath_ = services.tools.claudeCode();
  codexPath_ = services.tools.codex();
  const std::optional<Backend> stored = services.settings.defaultBackend();
  backendSettled_ = stored.has_value() || services.tools.known();
  backend_ = stored.value_or(backendFromTools());
  connect(&services.tools, &ToolLookup::changed, this, &AIRepairModel::takeToolPaths);
}

// ---- Fields

void AIRepairModel::setBackend(Backend backend) {
  backendSettled_ = true;
  assign(this, backend_, backend, &AIRepairModel::backendChanged);
}
void AIRepairModel::setPhase(Phase phase) { assign(this, phase_, std::move(phase), &AIRepairModel::phaseChanged); }
void AIRepairModel::setStatus(QString status) {
  assign(this, status_, std::move(status), &AIRepairModel::statusChanged);
}
void AIRepairModel::setTouchedFiles(QStringList files) {
  assign(this, touchedFiles_, std::move(files), &AIRepairModel::touchedFilesChanged);
}
void AIRepairModel::setCost(double cost) { assign(this, cost_, cost, &AIRepairModel::costChanged); }
void AIRepairModel::setResult(std::optional<AIRepairResult> result) {
  assign(this, result_, std::move(result), &AIRepairModel::resultChanged);
}
void AIRepairModel::setDone(int done) { assign(this, done_, done, &AIRepairModel::doneChanged); }
void AIRepairModel::setTotal(int total) { assign(this, total_, total, &AIRepairModel::totalChanged); }
void AIRepairModel::setCompileRound(int round) {
  assign(this, compileRound_, round, &AIRepairModel::compileRoundChanged);
}
void AIRepairModel::setCompileErrors(std::optional<int> errors) {
  assign(this, compileErrors_, errors, &AIRepairModel::compileErrorsChanged);
}
void AIRepairModel::setStartedAt(QDateTime startedAt) {
  assign(this, startedAt_, std::move(startedAt), &AIRepairModel::startedAtChanged);
}
void AIRepairModel::setAnthropicKey(const QString& key) {
  setKey(&AIRepairModel::anthropicKey_, &AIRepairModel::anthropicKeyChanged, key);
}
void AIRepairModel::setOpenAIKey(const QString& key) {
  setKey(&AIRepairModel::openAIKey_, &AIRepairModel::openAIKeyChanged, key);
}
void AIRepairModel::setGeminiKey(const QString& key) {
  setKey(&AIRepairModel::geminiKey_, &AIRepairModel::geminiKeyChanged, key);
}
void AIRepairModel::setKey(KeyField AIRepairModel::*field, void (AIRepairModel::*changed)(), const QString& key) {
  KeyField& keyField = this->*field;
  if (keyField.text == key) {
    return;
  }
  keyField.edited = true;
  assign(this, keyField.text, key, changed);
}
void AIRepairModel::setPreferred(AIProvider provider) {
  assign(this, preferred_, provider, &AIRepairModel::preferredChanged);
}
void AIRepairModel::setEscalations(int escalations) {
  assign(this, escalations_, escalations, &AIRepairModel::escalationsChanged);
}
void AIRepairModel::setFilesDone(int filesDone) {
  assign(this, filesDone_, filesDone, &AIRepairModel::filesDoneChanged);
}
void AIRepairModel::setCurrentModel(QString model) {
  assign(this, currentModel_, std::move(model), &AIRepairModel::currentModelChanged);
}
void AIRepairModel::setUseLocal(bool useLocal) { assign(this, useLocal_, useLocal, &AIRepairModel::useLocalChanged); }
void AIRepairModel::setLocalModel(const QString& name) {
  assign(this, localModel_, name, &AIRepairModel::localModelChanged);
}
void AIRepairModel::setLocalModels(std::vector<LocalModel> models) {
  assign(this, localModels_, std::move(models), &AIRepairModel::localModelsChanged);
}
void AIRepairModel::setLocalState(QString state) {
  assign(this, localState_, std::move(state), &AIRepairModel::localStateChanged);
}
void AIRepairModel::setPulling(std::optional<LocalModelPull> pulling) {
  assign(this, pulling_, std::move(pulling), &AIRepairModel::pullingChanged);
}
void AIRepairModel::setClaudePath(std::optional<QString> path) {
  assign(this, claudePath_, std::move(path), &AIRepairModel::claudePathChanged);
}
void AIRepairModel::setCodexPath(std::optional<QString> path) {
  assign(this, codexPath_, std::move(path), &AIRepairModel::codexPathChanged);
}

// ---- Settings

Backend AIRepairModel::backendFromTools() const {
  if (claudePath_) {
    return Backend::claudeCode;
  }
  return codexPath_ ? Backend::codex : Backend::api;
}

void AIRepairModel::takeToolPaths() {
  const ToolLookup& tools = services_.tools;
  setClaudePath(tools.claudeCode());
  setCodexPath(tools.codex());
  if (!backendSettled_ && tools.known()) {
    backendSettled_ = true;
    assign(this, backend_, backendFromTools(), &AIRepairModel::backendChanged);
  }
}

void AIRepairModel::reloadKeys() {
  for (const KeyRow& row : keyRows) {
    if (!(this->*row.field).edited) {
      assign(this, (this->*row.field).text, keyOf(row.service), row.changed);
    }
  }
}

bool AIRepairModel::canStart() const {
  switch (backend_) {
    case Backend::codex:
      return codexPath_.has_value();
    case Backend::claudeCode:
      return claudePath_.has_value();
    case Backend::api:
      break;
  }
  return !services_.engine.ladder(apiOptions()).empty();
}

AIRepairOptions AIRepairModel::apiOptions() const {
  // A pasted key may bring blanks or a line break along, which no request may carry.
  const std::map<AIProvider, std::string> keys{{AIProvider::gemini, geminiKey_.text.trimmed().toStdString()},
                                               {AIProvider::claude, anthropicKey_.text.trimmed().toStdString()},
                                               {AIProvider::openAI, openAIKey_.text.trimmed().toStdString()}};
  std::optional<std::string> localModel;
  if (useLocal_ && !localModel_.isEmpty()) {
    localModel = localModel_.toStdString();
  }
  AIRepairOptions options = services_.engine.makeRepairOptions(keys, preferred_, localModel);
  options.knowledge.baseURL = services_.engine.fixesServiceURL();
  options.knowledge.share = services_.settings.shareFixes();
  options.knowledge.useExamples = true;
  return options;
}

// ---- Runs

void AIRepairModel::resetRunFields() {
  // The phase last, so the job appears with its first status.
  setStatus(QString::fromUtf8(startingText));
  setTouchedFiles({});
  setCost(0);
  setResult(std::nullopt);
  setDone(0);
  setTotal(0);
  setCompileRound(0);
  setCompileErrors(std::nullopt);
  setStartedAt(services_.clock.now());
  setEscalations(0);
  setFilesDone(0);
  setCurrentModel(QString());
  setPhase(repair_phase::Running{});
}

void AIRepairModel::saveRunSettings() {
  Settings& settings = services_.settings;
  backendSettled_ = true;
  settings.setDefaultBackend(backend_);
  if (backend_ != Backend::api) {
    return;
  }
  // A key that cannot be saved is used all the same; it stays edited, so the next start saves it again.
  std::optional<QString> failure;
  for (const KeyRow& row : keyRows) {
    KeyField& field = this->*row.field;
    if (!field.edited) {
      continue;
    }
    try {
      Keychain::save(field.text, QString::fromUtf8(row.service));
      field.edited = false;
    } catch (const StoreError& error) {
      failure = QString::fromStdString(error.what());
    }
  }
  if (failure) {
    emit keysNotSaved(*failure + QStringLiteral(" Die Reparatur nutzt die Schlüssel trotzdem; sie werden beim "
                                                "nächsten Start erneut gespeichert."));
  }
  settings.setPreferredProvider(preferred_);
  settings.setUseLocalModel(useLocal_);
  settings.setLocalModel(localModel_);
}

void AIRepairModel::start() {
  const int run = ++run_;
  resetRunFields();
  saveRunSettings();
  const AIRepairOptions options = apiOptions();
  const Backend backend = backend_;

  // The worker never touches the model: `model` is used only inside posts,
  // which run on the UI thread, while the guard holds and the run is the latest.
  const QPointer<QObject> guard(this);
  AIRepairModel* model = this;
  RepairEvents events = [guard, model, run](const AIRepairEvent& event) {
    postToMain(guard, [model, run, event] {
      if (model->run_ == run) {
        model->handle(event);
      }
    });
  };
  Engine& engine = services_.engine;
  std::shared_ptr<Repairer> runner;
  bool startLocalModels = false;
  if (backend == Backend::codex && codexPath_) {
    runner = engine.codexRepairer(project_, codexPath_->toStdString(), options.knowledge, std::move(events));
    codexRunner_ = runner;
  } else if (backend == Backend::claudeCode && claudePath_) {
    AIRepairOptions claudeCode = engine.makeRepairOptions({}, std::nullopt, std::nullopt);
    claudeCode.claudeCodePath = claudePath_->toStdString();
    claudeCode.knowledge = options.knowledge;
    runner = engine.ladderRepairer(project_, claudeCode, std::move(events));
    apiRunner_ = runner;
    setCurrentModel(QString::fromUtf8(claudeCodeModelText));
  } else {
    // The API ladder, also for a back-end whose tool was not found.
    if (options.localModel) {
      setStatus(QString::fromUtf8(startingLocalModelText));
      startLocalModels = true;
    }
    runner = engine.ladderRepairer(project_, options, std::move(events));
    apiRunner_ = runner;
    const std::vector<ModelTier> ladder = engine.ladder(options);
    setCurrentModel(ladder.empty() ? QString() : text(ladder.front().label()));
  }

  services_.workers.run([guard, model, run, runner, startLocalModels, backend, &engine] {
    if (startLocalModels) {
      try {
        // Whether it came up does not matter: the local rung then fails like any other.
        engine.ensureLocalModelsRunning();
      } catch (const std::exception&) {
      }
    }
    std::optional<AIRepairResult> result;
    std::optional<QString> failure;
    try {
      result = runner->run();
    } catch (const EngineError& error) {
      if (error.kind() != EngineError::Kind::cancelled) {
        failure = QString::fromStdString(error.what());
      }
    } catch (const std::exception& error) {
      failure = QString::fromStdString(error.what());
    }
    postToMain(guard, [model, run, backend, result = std::move(result), failure = std::move(failure)] {
      if (model->run_ == run) {
        model->finished(backend, result, failure);
      }
    });
  });
}

void AIRepairModel::cancel() {
  for (const std::shared_ptr<Repairer>& runner : {codexRunner_, apiRunner_}) {
    if (runner) {
      runner->cancel();
    }
  }
}

// Applies one event of the run; one operator per case of AIRepairEvent.
struct AIRepairModel::EventApplier {
  AIRepairModel& model;

  void operator()(const repair_event::Status& event) const { model.setStatus(text(event.text)); }
  void operator()(const repair_event::FileStarted& event) const {
    const QString file = text(event.file);
    if (!model.touchedFiles_.contains(file)) {
      model.setTouchedFiles(model.touchedFiles_ + QStringList{file});
    }
  }
  void operator()(const repair_event::FileFinished&) const { model.setFilesDone(model.filesDone_ + 1); }
  void operator()(const repair_event::CompileRound& event) const {
    model.setCompileRound(event.round);
    model.setCompileErrors(event.errors);
    const QString round = QStringLiteral("Build %1: ").arg(event.round);
    model.setStatus(event.errors != 0 ? round + QStringLiteral("%1 Kompilierfehler").arg(event.errors)
                                      : round + QStringLiteral("kompiliert ohne Fehler"));
  }
  void operator()(const repair_event::Usage&) const {}
  void operator()(const repair_event::Cost& event) const { model.setCost(event.usd); }
  void operator()(const repair_event::Escalated& event) const {
    model.setEscalations(model.escalations_ + 1);
    model.setCurrentModel(text(event.to));
    model.setStatus(text(event.file) + QStringLiteral(" → stärkeres Modell (") + text(event.to) +
                    QStringLiteral(")"));
  }
  void operator()(const repair_event::Progress& event) const {
    model.setDone(event.done);
    model.setTotal(std::max(model.total_, event.total));
  }
};

void AIRepairModel::handle(const AIRepairEvent& event) { std::visit(EventApplier{*this}, event); }

void AIRepairModel::finished(Backend backend, std::optional<AIRepairResult> result, std::optional<QString> failure) {
  if (failure) {
    setPhase(repair_phase::Failed{*failure});
    return;
  }
  if (!result) {
    // Cancelled before a result existed: no failure, nothing recorded.
    setPhase(repair_phase::Idle{});
    return;
  }
  const int resolved = std::max(done_, total_ - result->remainingPlaceholders);
  const double cost = result->costUSD;
  setResult(std::move(result));
  setCost(cost);
  setPhase(repair_phase::Done{});
  if (const FinishAction finish = onFinish_) {
    finish(*result_, backend, resolved);
  }
  // This model no longer counts, being done.
  services_.platform.setDockBadge(static_cast<int>(jobs_.running().size()));
  if (QGuiApplication::applicationState() != Qt::ApplicationActive) {
    services_.platform.requestAttention(services_.firstWindow ? services_.firstWindow() : nullptr);
  }
}

// ---- Local models

void AIRepairModel::loadLocalModels() {
  if (!services_.engine.localModelsInstalled()) {
    setLocalState(QString::fromUtf8(ollamaMissingText));
    return;
  }
  const QPointer<QObject> guard(this);
  AIRepairModel* model = this;
  services_.workers.run([guard, model, &engine = services_.engine] {
    std::vector<LocalModel> models;
    try {
      models = engine.installedLocalModels();
    } catch (const std::exception&) {
      // A runtime that does not answer lists nothing.
    }
    postToMain(guard, [model, models = std::move(models)]() mutable { model->listedLocalModels(std::move(models)); });
  });
}

void AIRepairModel::listedLocalModels(std::vector<LocalModel> models) {
  setLocalModels(std::move(models));
  const auto begin = localModels_.begin();
  const auto end = localModels_.end();
  const std::string chosen = localModel_.toStdString();
  if (std::none_of(begin, end, [&chosen](const LocalModel& model) { return model.name == chosen; })) {
    auto pick = std::find_if(begin, end, [](const LocalModel& model) {
      return model.name.find("coder") != std::string::npos;
    });
    if (pick == end) {
      pick = begin;
    }
    setLocalModel(pick != end ? text(pick->name) : QString());
  }
  setLocalState(localModels_.empty() ? QString::fromUtf8(noLocalModelText)
                                     : QString::number(localModels_.size()) + QString::fromUtf8(localModelsText));
}

void AIRepairModel::pull(const QString& name) {
  setPulling(LocalModelPull{name, 0});
  const QPointer<QObject> guard(this);
  AIRepairModel* model = this;
  services_.workers.run([guard, model, name, &engine = services_.engine] {
    try {
      engine.pullLocalModel(name.toStdString(), [&guard, model, &name](double fraction, const std::string&) {
        postToMain(guard, [model, pulling = LocalModelPull{name, fraction}] { model->setPulling(pulling); });
      });
    } catch (const std::exception& error) {
      postToMain(guard, [model, failure = QString::fromStdString(error.what())] {
        model->setPulling(std::nullopt);
        model->setLocalState(QString::fromUtf8(pullFailedText) + failure);
      });
      return;
    }
    postToMain(guard, [model, name] {
      model->setPulling(std::nullopt);
      model->setLocalModel(name);
      model->loadLocalModels();
    });
  });
}

}  // namespace tovrane::app
