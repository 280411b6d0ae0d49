#pragma once
// A scripted engine that answers as the real one where a test sets nothing
// else (the model ladder, the suggested local models). Each blocking call takes the next script of its kind
// (in call order) and plays it on the calling thread, which for the run
// models is a worker: its callbacks arrive from that thread, after the
// scripted delays and holds. Repairs check the cancel flag between steps, as
// the real repairers do between model calls. Every call is recorded,
// thread-safely, with whether it was made on the UI thread.
#include "app/state/Engine.hpp"

#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <map>
#include <mutex>
#include <optional>
#include <variant>

namespace tovrane::app::test {

using std::chrono::milliseconds;

// A point where a scripted call stops until the test releases it. A test
// that holds a call releases it on every way out (a failed check included),
// or the worker never ends and the test program waits for it forever.
class Hold {
 public:
  void release();
  // The call has come to the hold (it may have passed it since).
  bool reached() const;
  // For the fake: marks the hold reached and waits for the release.
  void pass();

 private:
  mutable std::mutex mutex_;
  std::condition_variable released_;
  bool reached_ = false;
  bool isReleased_ = false;
};

// Makes holds and releases every one of them when it goes; declared after
// the workers, it lets held calls end on every way out of a test.
class Holds {
 public:
  Holds() = default;
  Holds(const Holds&) = delete;
  Holds& operator=(const Holds&) = delete;
  ~Holds();
  std::shared_ptr<Hold> make();

 private:
  std::vector<std::shared_ptr<Hold>> holds_;
};

// One scripted report: the call waits for `hold` (when set), then `delay`,
// then reports `value`.
template <typename Value>
struct Step {
  milliseconds delay{0};
  Value value;
  std::shared_ptr<Hold> hold{};
};

struct ConversionScript {
  std::vector<Step<ConversionStage>> stages;
  std::variant<ConversionResult, EngineError> outcome = ConversionResult{};
  // What a successful run writes into its output folder, as the engine
  // writes the project: path inside the folder → text.
  std::map<std::string, std::string> files{};
};

struct RepairScript {
  std::vector<Step<AIRepairEvent>> events;
  std::variant<AIRepairResult, EngineError> outcome = AIRepairResult{};
  // A cancel seen before the end: this result, else this error (a Codex run
  // fails with its exit text), else a cancellation.
  std::optional<AIRepairResult> resultWhenCancelled{};
  std::optional<EngineError> errorWhenCancelled{};
};

struct DeviceRunScript {
  std::vector<Step<std::string>> statuses;
  std::optional<EngineError> error{};
};

struct PullScript {
  std::vector<Step<std::pair<double, std::string>>> progress;
  std::optional<EngineError> error{};
};

class FakeEngine final : public Engine {
 public:
  ConversionResult convert(const std::filesystem::path& project, const std::filesystem::path& output,
                           const ConversionOptions& options,
                           const std::function<void(const ConversionStage&)>& progress) override;
  // Core's options, with the arguments recorded.
  AIRepairOptions makeRepairOptions(const std::map<AIProvider, std::string>& keys,
                                    std::optional<AIProvider> preferred,
                                    std::optional<std::string> localModel) override;
  std::vector<ModelTier> ladder(const AIRepairOptions& options) override;
  std::string fixesServiceURL() override;
  std::unique_ptr<Repairer> ladderRepairer(const std::filesystem::path& project, const AIRepairOptions& options,
                                           RepairEvents events) override;
  std::unique_ptr<Repairer> codexRepairer(const std::filesystem::path& project, const std::string& codexPath,
                                          const FixKnowledge& knowledge, RepairEvents events) override;
  std::vector<TestDevice> androidDevices() override;
  std::vector<TestDevice> iosDevices() override;
  void runAndroid(const std::filesystem::path& project, const std::string& avd, const StatusCallback& status) override;
  void runIOS(const std::filesystem::path& xcodeProjectFolder, const std::string& udid,
              const StatusCallback& status) override;
  void cancelDeviceRuns() override;
  bool canRunIOSSimulator() override;
  std::vector<RecommendedLocalModel> recommendedLocalModels() override;
  bool localModelsInstalled() override;
  bool ensureLocalModelsRunning() override;
  std::vector<LocalModel> installedLocalModels() override;
  void pullLocalModel(const std::string& name,
                      const std::function<void(double, const std::string&)>& progress) override;
  std::optional<std::string> locateClaudeCode() override;
  std::optional<std::string> locateCodex() override;

  // One line per call, for example "convert /a -> /b" or "cancel".
  QStringList calls() const;
  // Those of calls() that were made on the UI thread.
  QStringList uiThreadCalls() const;
  // What the last ladder repairer and the last Codex repairer were made with.
  std::optional<AIRepairOptions> lastLadderOptions() const;
  std::optional<FixKnowledge> lastCodexKnowledge() const;

  // Scripts and answers; set them before the calls that use them.
  std::deque<ConversionScript> conversions;
  std::deque<RepairScript> repairs;
  std::deque<DeviceRunScript> deviceRuns;
  std::deque<PullScript> pulls;
  // The rungs ladder() answers with when a test sets some; while empty it
  // answers as the engine does, with core's own ladder of the options.
  std::vector<ModelTier> ladderTiers;
  // Empty, as in every build the project makes.
  std::string fixesURL;
  // Core's own suggestions unless a test sets others.
  std::vector<RecommendedLocalModel> recommended{LocalModels::recommended.begin(), LocalModels::recommended.end()};
  std::vector<TestDevice> android;
  std::vector<TestDevice> ios;
  bool iosSimulator = false;
  // When set, the Android listing waits for it before it answers.
  std::shared_ptr<Hold> androidListingHold;
  std::vector<LocalModel> localModels;
  bool localInstalled = false;
  bool localRunning = false;
  std::optional<std::string> claudeCodePath;
  std::optional<std::string> codexPath;

 private:
  friend class FakeRepairer;
  void record(const std::string& call) const;
  template <typename Script>
  Script next(std::deque<Script>& scripts);

  mutable std::mutex mutex_;
  mutable QStringList calls_;
  mutable QStringList uiThreadCalls_;
  std::optional<AIRepairOptions> lastLadderOptions_;
  std::optional<FixKnowledge> lastCodexKnowledge_;
};

}  // namespace tovrane::app::test
