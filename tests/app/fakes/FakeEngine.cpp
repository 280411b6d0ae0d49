#include "tests/app/fakes/FakeEngine.hpp"

#include "core/support/Files.hpp"

#include <QCoreApplication>
#include <QThread>

#include <thread>

namespace tovrane::app::test {

void Hold::release() {
  const std::lock_guard lock(mutex_);
  isReleased_ = true;
  released_.notify_all();
}

bool Hold::reached() const {
  const std::lock_guard lock(mutex_);
  return reached_;
}

void Hold::pass() {
  std::unique_lock lock(mutex_);
  reached_ = true;
  released_.wait(lock, [this] { return isReleased_; });
}

Holds::~Holds() {
  for (const std::shared_ptr<Hold>& hold : holds_) {
    hold->release();
  }
}

std::shared_ptr<Hold> Holds::make() { return holds_.emplace_back(std::make_shared<Hold>()); }

namespace {
// Waits for the step's hold and delay; the caller then reports its value.
template <typename Value>
void await(const Step<Value>& step) {
  if (step.hold) {
    step.hold->pass();
  }
  std::this_thread::sleep_for(step.delay);
}
}  // namespace

class FakeRepairer final : public Repairer {
 public:
  FakeRepairer(const FakeEngine& engine, RepairScript script, RepairEvents events)
      : engine_(engine), script_(std::move(script)), events_(std::move(events)) {}

  AIRepairResult run() override {
    engine_.record("run");
    for (const Step<AIRepairEvent>& step : script_.events) {
      if (cancelled_) {
        return whenCancelled();
      }
      await(step);
      events_(step.value);
    }
    if (cancelled_) {
      return whenCancelled();
    }
    if (const auto* error = std::get_if<EngineError>(&script_.outcome)) {
      throw *error;
    }
    return std::get<AIRepairResult>(script_.outcome);
  }

  void cancel() override {
    engine_.record("cancel");
    cancelled_ = true;
  }

 private:
  AIRepairResult whenCancelled() const {
    if (script_.resultWhenCancelled) {
      return *script_.resultWhenCancelled;
    }
    if (script_.errorWhenCancelled) {
      throw *script_.errorWhenCancelled;
    }
    throw EngineError(EngineError::Kind::cancelled, "Abgebrochen");
  }

  const FakeEngine& engine_;
  RepairScript script_;
  RepairEvents events_;
  std::atomic<bool> cancelled_{false};
};

void FakeEngine::record(const std::string& call) const {
  const bool onUiThread = QCoreApplication::instance() != nullptr &&
                          QThread::currentThread() == QCoreApplication::instance()->thread();
  const std::lock_guard lock(mutex_);
  calls_.append(QString::fromStdString(call));
  if (onUiThread) {
    uiThreadCalls_.append(QString::fromStdString(call));
  }
}

QStringList FakeEngine::calls() const {
  const std::lock_guard lock(mutex_);
  return calls_;
}

QStringList FakeEngine::uiThreadCalls() const {
  const std::lock_guard lock(mutex_);
  return uiThreadCalls_;
}

std::optional<AIRepairOptions> FakeEngine::lastLadderOptions() const {
  const std::lock_guard lock(mutex_);
  return lastLadderOptions_;
}

std::optional<FixKnowledge> FakeEngine::lastCodexKnowledge() const {
  const std::lock_guard lock(mutex_);
  return lastCodexKnowledge_;
}

template <typename Script>
Script FakeEngine::next(std::deque<Script>& scripts) {
  const std::lock_guard lock(mutex_);
  if (scripts.empty()) {
    return Script{};
  }
  Script script = std::move(scripts.front());
  scripts.pop_front();
  return script;
}

ConversionResult FakeEngine::convert(const std::filesystem::path& project, const std::filesystem::path& output,
                                     const ConversionOptions&,
                                     const std::function<void(const ConversionStage&)>& progress) {
  record("convert " + project.string() + " -> " + output.string());
  const ConversionScript script = next(conversions);
  for (const Step<ConversionStage>& step : script.stages) {
    await(step);
    progress(step.value);
  }
  if (const auto* error = std::get_if<EngineError>(&script.outcome)) {
    throw *error;
  }
  ConversionResult result = std::get<ConversionResult>(script.outcome);
  if (result.outputDirectory.empty()) {
    result.outputDirectory = output;
  }
  for (const auto& [path, text] : script.files) {
    files::writeFile(result.outputDirectory / path, text);
  }
  return result;
}

AIRepairOptions FakeEngine::makeRepairOptions(const std::map<AIProvider, std::string>& keys,
                                              std::optional<AIProvider> preferred,
                                              std::optional<std::string> localModel) {
  QStringList call{QStringLiteral("makeRepairOptions")};
  for (const auto& [provider, key] : keys) {
    call << QString::fromUtf8(rawValue(provider)) + QLatin1Char('=') + QString::fromStdString(key);
  }
  call << QStringLiteral("preferred=") + (preferred ? QString::fromUtf8(rawValue(*preferred)) : QStringLiteral("none"));
  call << QStringLiteral("local=") + QString::fromStdString(localModel.value_or("none"));
  record(call.join(QLatin1Char(' ')).toStdString());
  return AIRepairOptions(keys, preferred, std::move(localModel));
}

std::vector<ModelTier> FakeEngine::ladder(const AIRepairOptions& options) {
  record("ladder");
  const std::lock_guard lock(mutex_);
  return ladderTiers.empty() ? options.ladder() : ladderTiers;
}

std::string FakeEngine::fixesServiceURL() {
  record("fixesServiceURL");
  const std::lock_guard lock(mutex_);
  return fixesURL;
}

std::unique_ptr<Repairer> FakeEngine::ladderRepairer(const std::filesystem::path& project,
                                                     const AIRepairOptions& options, RepairEvents events) {
  record("ladderRepairer " + project.string());
  {
    const std::lock_guard lock(mutex_);
    lastLadderOptions_ = options;
  }
  return std::make_unique<FakeRepairer>(*this, next(repairs), std::move(events));
}

std::unique_ptr<Repairer> FakeEngine::codexRepairer(const std::filesystem::path& project, const std::string& codex,
                                                    const FixKnowledge& knowledge, RepairEvents events) {
  record("codexRepairer " + project.string() + " " + codex);
  {
    const std::lock_guard lock(mutex_);
    lastCodexKnowledge_ = knowledge;
  }
  return std::make_unique<FakeRepairer>(*this, next(repairs), std::move(events));
}

std::vector<TestDevice> FakeEngine::androidDevices() {
  record("androidDevices");
  if (androidListingHold) {
    androidListingHold->pass();
  }
  const std::lock_guard lock(mutex_);
  return android;
}

std::vector<TestDevice> FakeEngine::iosDevices() {
  record("iosDevices");
  const std::lock_guard lock(mutex_);
  return ios;
}

namespace {
void playDeviceRun(const DeviceRunScript& script, const StatusCallback& status) {
  for (const Step<std::string>& step : script.statuses) {
    await(step);
    status(step.value);
  }
  if (script.error) {
    throw *script.error;
  }
}
}  // namespace

void FakeEngine::runAndroid(const std::filesystem::path& project, const std::string& avd,
                            const StatusCallback& status) {
  record("runAndroid " + project.string() + " " + avd);
  playDeviceRun(next(deviceRuns), status);
}

void FakeEngine::runIOS(const std::filesystem::path& xcodeProjectFolder, const std::string& udid,
                        const StatusCallback& status) {
  record("runIOS " + xcodeProjectFolder.string() + " " + udid);
  playDeviceRun(next(deviceRuns), status);
}

void FakeEngine::cancelDeviceRuns() { record("cancelDeviceRuns"); }

bool FakeEngine::canRunIOSSimulator() {
  record("canRunIOSSimulator");
  const std::lock_guard lock(mutex_);
  return iosSimulator;
}

std::vector<RecommendedLocalModel> FakeEngine::recommendedLocalModels() {
  record("recommendedLocalModels");
  const std::lock_guard lock(mutex_);
  return recommended;
}

bool FakeEngine::localModelsInstalled() {
  record("localModelsInstalled");
  const std::lock_guard lock(mutex_);
  return localInstalled;
}

bool FakeEngine::ensureLocalModelsRunning() {
  record("ensureLocalModelsRunning");
  const std::lock_guard lock(mutex_);
  return localRunning;
}

std::vector<LocalModel> FakeEngine::installedLocalModels() {
  record("installedLocalModels");
  const std::lock_guard lock(mutex_);
  return localRunning ? localModels : std::vector<LocalModel>{};
}

void FakeEngine::pullLocalModel(const std::string& name,
                                const std::function<void(double, const std::string&)>& progress) {
  record("pullLocalModel " + name);
  const PullScript script = next(pulls);
  for (const auto& step : script.progress) {
    await(step);
    progress(step.value.first, step.value.second);
  }
  if (script.error) {
    throw *script.error;
  }
}

std::optional<std::string> FakeEngine::locateClaudeCode() {
  record("locateClaudeCode");
  const std::lock_guard lock(mutex_);
  return claudeCodePath;
}

std::optional<std::string> FakeEngine::locateCodex() {
  record("locateCodex");
  const std::lock_guard lock(mutex_);
  return codexPath;
}

}  // namespace tovrane::app::test
