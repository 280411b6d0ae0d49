#include "app/state/CoreEngine.hpp"

#include "core/devices/DeviceLauncher.hpp"
#include "core/project/StagedConversion.hpp"
#include "core/repair/AIRepairer.hpp"
#include "core/repair/ClaudeCodeRepair.hpp"
#include "core/repair/CodexRepair.hpp"
#include "core/support/Cancelled.hpp"
#include "core/support/ErrorText.hpp"
#include "core/support/Files.hpp"
#include "core/support/Http.hpp"
#include "core/support/Json.hpp"
#include "core/support/Process.hpp"

#include <new>
#include <system_error>
#include <utility>

namespace tovrane::app {

namespace {

// Runs one call of core and throws its failure as EngineError with the text
// the user reads.
template <typename Call>
auto translated(Call&& call) -> decltype(call()) {
  try {
    return call();
  } catch (const EngineError&) {
    throw;
  } catch (const std::exception& failure) {
    throw engineError(failure);
  }
}

// The device runs' stop as it is now; a cancel replaces the source.
std::stop_token tokenOf(std::mutex& mutex, const std::stop_source& source) {
  const std::lock_guard lock(mutex);
  return source.get_token();
}

// One repair run of core behind the application's seam.
template <typename CoreRepairer>
class RepairerOf final : public Repairer {
 public:
  template <typename... Args>
  explicit RepairerOf(Args&&... args) : repairer_(std::forward<Args>(args)...) {}
  CoreRepairer& core() { return repairer_; }

  AIRepairResult run() override {
    return translated([this] { return repairer_.run(); });
  }
  void cancel() override { repairer_.cancel(); }

 private:
  CoreRepairer repairer_;
};

}  // namespace

EngineError engineError(const std::exception& failure) {
  using Kind = EngineError::Kind;
  if (const auto* cancelled = dynamic_cast<const Cancelled*>(&failure)) {
    return EngineError(Kind::cancelled, cancelled->what());
  }
  if (const auto* launch = dynamic_cast<const DeviceLauncher::LaunchError*>(&failure)) {
    return EngineError(launch->kind() == DeviceLauncher::LaunchError::Kind::missing ? Kind::missing : Kind::failed,
                       launch->what());
  }
  if (const auto* repair = dynamic_cast<const AIRepairError*>(&failure)) {
    return EngineError(repair->kind() == AIRepairError::Kind::noProvider ? Kind::missing : Kind::failed,
                       repair->what());
  }
  if (dynamic_cast<const ConversionError*>(&failure) != nullptr ||
      dynamic_cast<const files::FileError*>(&failure) != nullptr ||
      dynamic_cast<const process::StartError*>(&failure) != nullptr ||
      dynamic_cast<const ClaudeCodeError*>(&failure) != nullptr ||
      dynamic_cast<const http::HttpError*>(&failure) != nullptr ||
      dynamic_cast<const json::ReadError*>(&failure) != nullptr) {
    // Core writes these texts in German.
    return EngineError(Kind::failed, failure.what());
  }
  if (dynamic_cast<const std::system_error*>(&failure) != nullptr ||
      dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) {
    // The system's failures by core's German text for them, not the library's English.
    return EngineError(Kind::failed, errortext::describe(failure) + ".");
  }
  // Not one of core's own failures: its text is the library's, for a bug report.
  return EngineError(Kind::failed, std::string("Unerwarteter interner Fehler (") + failure.what() + ").");
}

CoreEngine::CoreEngine(const Host& host, Endpoints endpoints) : host_(host), endpoints_(std::move(endpoints)) {}

ConversionResult CoreEngine::convert(const std::filesystem::path& project, const std::filesystem::path& output,
                                     const ConversionOptions& options,
                                     const std::function<void(const ConversionStage&)>& progress) {
  // The conversion model claims its folder by making it, empty; the
  // conversion itself makes the folder appear only whole, so the empty claim
  // is given back first (a folder with anything in it stays and is refused).
  std::error_code ignored;
  std::filesystem::remove(output, ignored);
  return translated([&] { return convertIntoNewFolder(project, output, options, progress); });
}

AIRepairOptions CoreEngine::makeRepairOptions(const std::map<AIProvider, std::string>& keys,
                                              std::optional<AIProvider> preferred,
                                              std::optional<std::string> localModel) {
  return AIRepairOptions(keys, preferred, std::move(localModel));
}

std::vector<ModelTier> CoreEngine::ladder(const AIRepairOptions& options) { return options.ladder(); }

std::string CoreEngine::fixesServiceURL() { return FixKnowledge::defaultURL(); }

std::unique_ptr<Repairer> CoreEngine::ladderRepairer(const std::filesystem::path& project,
                                                     const AIRepairOptions& options, RepairEvents events) {
  return std::make_unique<RepairerOf<AIRepairer>>(project, options, std::move(events), host_, endpoints_);
}

std::unique_ptr<Repairer> CoreEngine::codexRepairer(const std::filesystem::path& project, const std::string& codexPath,
                                                    const FixKnowledge& knowledge, RepairEvents events) {
  auto repairer = std::make_unique<RepairerOf<CodexRepairer>>(project, codexPath, std::move(events), host_);
  repairer->core().knowledge = knowledge;
  return repairer;
}

std::vector<TestDevice> CoreEngine::androidDevices() { return DeviceLauncher::androidDevices(host_); }
std::vector<TestDevice> CoreEngine::iosDevices() { return DeviceLauncher::iosDevices(host_); }

void CoreEngine::runAndroid(const std::filesystem::path& project, const std::string& avd,
                            const StatusCallback& status) {
  const std::stop_token stop = tokenOf(deviceStopMutex_, deviceStop_);
  translated([&] { DeviceLauncher::runAndroid(project, avd, status, stop, host_); });
}

void CoreEngine::runIOS(const std::filesystem::path& xcodeProjectFolder, const std::string& udid,
                        const StatusCallback& status) {
  const std::stop_token stop = tokenOf(deviceStopMutex_, deviceStop_);
  translated([&] { DeviceLauncher::runIOS(xcodeProjectFolder, udid, status, stop, host_); });
}

void CoreEngine::cancelDeviceRuns() {
  const std::lock_guard lock(deviceStopMutex_);
  deviceStop_.request_stop();
  deviceStop_ = std::stop_source();
}

bool CoreEngine::canRunIOSSimulator() { return DeviceLauncher::hasXcode(host_); }

std::vector<RecommendedLocalModel> CoreEngine::recommendedLocalModels() {
  return {LocalModels::recommended.begin(), LocalModels::recommended.end()};
}

bool CoreEngine::localModelsInstalled() { return LocalModels(endpoints_, host_).isInstalled(); }
bool CoreEngine::ensureLocalModelsRunning() { return LocalModels(endpoints_, host_).ensureRunning(); }
std::vector<LocalModel> CoreEngine::installedLocalModels() { return LocalModels(endpoints_, host_).installed(); }

void CoreEngine::pullLocalModel(const std::string& name,
                                const std::function<void(double, const std::string&)>& progress) {
  translated([&] { LocalModels(endpoints_, host_).pull(name, progress); });
}

std::optional<std::string> CoreEngine::locateClaudeCode() { return ClaudeCode::locate(host_); }
std::optional<std::string> CoreEngine::locateCodex() { return CodexCLI::locate(host_); }

}  // namespace tovrane::app
