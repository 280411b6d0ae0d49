#include "app/state/CoreEngine.hpp"

#include "core/project/StagedConversion.hpp"
#include "core/support/Files.hpp"

namespace tovrane::app {

namespace {

// The texts the repair engine and the device launcher give when their tools are missing.
const char* const noProviderText = "Kein API-Schlüssel hinterlegt.";
const char* const noAndroidSdkText = "Android Studio bzw. das Android-SDK wurde nicht gefunden.";
const char* const noXcodeText =
    "Xcode wurde nicht gefunden – die iOS-App lässt sich nur auf einem Mac mit installiertem Xcode im Simulator "
    "starten.";
const char* const noLocalServerText = "Ollama läuft nicht";

// A repairer with nothing to run: its ladder is empty.
class NoToolRepairer final : public Repairer {
 public:
  AIRepairResult run() override { throw EngineError(EngineError::Kind::missing, noProviderText); }
  void cancel() override {}
};

}  // namespace

ConversionResult CoreEngine::convert(const std::filesystem::path& project, const std::filesystem::path& output,
                                     const ConversionOptions& options,
                                     const std::function<void(const ConversionStage&)>& progress) {
  // The conversion model claims its folder by making it, empty; the
  // conversion itself makes the folder appear only whole, so the empty claim
  // is given back first (a folder with anything in it stays and is refused).
  std::error_code ignored;
  std::filesystem::remove(output, ignored);
  try {
    return convertIntoNewFolder(project, output, options, progress);
  } catch (const ConversionError& error) {
    throw EngineError(EngineError::Kind::failed, error.what());
  } catch (const files::FileError& error) {
    throw EngineError(EngineError::Kind::failed, error.what());
  }
}

AIRepairOptions CoreEngine::makeRepairOptions(const std::map<AIProvider, std::string>& keys,
                                              std::optional<AIProvider> preferred,
                                              std::optional<std::string> localModel) {
  return AIRepairOptions(keys, preferred, std::move(localModel));
}

std::vector<ModelTier> CoreEngine::ladder(const AIRepairOptions& options) { return options.ladder(); }

std::string CoreEngine::fixesServiceURL() { return FixKnowledge::defaultURL(); }

std::unique_ptr<Repairer> CoreEngine::ladderRepairer(const std::filesystem::path&, const AIRepairOptions&,
                                                     RepairEvents) {
  return std::make_unique<NoToolRepairer>();
}

std::unique_ptr<Repairer> CoreEngine::codexRepairer(const std::filesystem::path&, const std::string&,
                                                    const FixKnowledge&, RepairEvents) {
  return std::make_unique<NoToolRepairer>();
}

std::vector<TestDevice> CoreEngine::androidDevices() { return {}; }
std::vector<TestDevice> CoreEngine::iosDevices() { return {}; }

void CoreEngine::runAndroid(const std::filesystem::path&, const std::string&, const StatusCallback&) {
  throw EngineError(EngineError::Kind::missing, noAndroidSdkText);
}

void CoreEngine::runIOS(const std::filesystem::path&, const std::string&, const StatusCallback&) {
  throw EngineError(EngineError::Kind::missing, noXcodeText);
}

std::vector<RecommendedLocalModel> CoreEngine::recommendedLocalModels() { return {}; }
bool CoreEngine::localModelsInstalled() { return false; }
bool CoreEngine::ensureLocalModelsRunning() { return false; }
std::vector<LocalModel> CoreEngine::installedLocalModels() { return {}; }

void CoreEngine::pullLocalModel(const std::string&, const std::function<void(double, const std::string&)>&) {
  throw EngineError(EngineError::Kind::failed, noLocalServerText);
}

std::optional<std::string> CoreEngine::locateClaudeCode() { return std::nullopt; }
std::optional<std::string> CoreEngine::locateCodex() { return std::nullopt; }

}  // namespace tovrane::app
