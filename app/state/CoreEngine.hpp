#pragma once
// The engine the application runs on: core's conversion into a new folder,
// on a thread with a stack large enough for deeply nested sources; core's
// repair options, ladder and fixes service; the ladder and Codex repairers;
// the local model runtime; the look-ups of the two coding tools; and the
// device launcher. Core's errors become EngineError (engineError()).
#include "app/state/Engine.hpp"
#include "core/repair/APIClient.hpp"
#include "core/support/Host.hpp"

#include <mutex>
#include <stop_token>

namespace tovrane::app {

// The EngineError for a failure of core: a cancellation `cancelled`, a
// missing tool or project `missing`, everything else `failed`, each with a
// German text. Core's own errors keep theirs; system messages in file errors
// are put in German; anything else gets a German sentence around its text.
EngineError engineError(const std::exception& failure);

class CoreEngine final : public Engine {
 public:
  // Programs are looked up and started on host, model providers and the
  // local runtime reached at endpoints; host must outlive the engine.
  explicit CoreEngine(const Host& host = Host::system(), Endpoints endpoints = Endpoints::standard());

  ConversionResult convert(const std::filesystem::path& project, const std::filesystem::path& output,
                           const ConversionOptions& options,
                           const std::function<void(const ConversionStage&)>& progress) override;

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

 private:
  const Host& host_;
  const Endpoints endpoints_;
  // The device runs under way stop at the current source's request; a
  // cancel replaces it, so later runs start unstopped.
  std::mutex deviceStopMutex_;
  std::stop_source deviceStop_;
};

}  // namespace tovrane::app
