#pragma once
// The engine the application runs on: core's conversion into a new folder,
// on a thread with a stack large enough for deeply nested sources; the repair
// options, their ladder and the fixes service's address are core's. Until
// the device launcher, the repairers, the local model manager and the tool
// look-ups are part of core, their calls answer as on a machine where none of
// their tools is installed: no devices, no local model (none suggested), no
// command-line tool, and a run that is started anyway fails with the text
// the real one gives for a missing tool.
#include "app/state/Engine.hpp"

namespace tovrane::app {

class CoreEngine final : public Engine {
 public:
  // Core's ConversionError and the writer's file errors become EngineError
  // `failed` with the same German text.
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

  std::vector<RecommendedLocalModel> recommendedLocalModels() override;
  bool localModelsInstalled() override;
  bool ensureLocalModelsRunning() override;
  std::vector<LocalModel> installedLocalModels() override;
  void pullLocalModel(const std::string& name,
                      const std::function<void(double, const std::string&)>& progress) override;

  std::optional<std::string> locateClaudeCode() override;
  std::optional<std::string> locateCodex() override;
};

}  // namespace tovrane::app
