#pragma once
// The seam between the application and the engine: conversion, the two
// repairers, the device launcher, the local model runtime and the tool
// look-ups. Every call blocks its caller; the run models call them on worker
// threads and hop back to the UI thread with postToMain. Callbacks may be
// called on any thread. Failures are thrown as EngineError.
#include "app/state/EngineTypes.hpp"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tovrane::app {

using RepairEvents = std::function<void(const AIRepairEvent&)>;
using StatusCallback = std::function<void(const std::string&)>;

// One repair run. cancel() may be called from any thread and returns at once.
class Repairer {
 public:
  virtual ~Repairer() = default;
  virtual AIRepairResult run() = 0;
  virtual void cancel() = 0;
};

class Engine {
 public:
  virtual ~Engine() = default;

  virtual ConversionResult convert(const std::filesystem::path& project, const std::filesystem::path& output,
                                   const ConversionOptions& options,
                                   const std::function<void(const ConversionStage&)>& progress) = 0;

  // The options of a ladder repair from the user's keys, preferred provider
  // and local model, by the engine's rules (blank keys dropped, a preferred
  // provider without a key replaced, an empty model name meaning none).
  virtual AIRepairOptions makeRepairOptions(const std::map<AIProvider, std::string>& keys,
                                            std::optional<AIProvider> preferred,
                                            std::optional<std::string> localModel) = 0;
  virtual std::vector<ModelTier> ladder(const AIRepairOptions& options) = 0;
  // The base address of the fixes service; empty when this build has none.
  virtual std::string fixesServiceURL() = 0;
  virtual std::unique_ptr<Repairer> ladderRepairer(const std::filesystem::path& project,
                                                   const AIRepairOptions& options, RepairEvents events) = 0;
  virtual std::unique_ptr<Repairer> codexRepairer(const std::filesystem::path& project,
                                                  const std::string& codexPath, const FixKnowledge& knowledge,
                                                  RepairEvents events) = 0;

  virtual std::vector<TestDevice> androidDevices() = 0;
  virtual std::vector<TestDevice> iosDevices() = 0;
  // A run that is cancelled while it waits for the emulator's boot throws
  // EngineError `cancelled` once its build has ended.
  virtual void runAndroid(const std::filesystem::path& project, const std::string& avd,
                          const StatusCallback& status) = 0;
  virtual void runIOS(const std::filesystem::path& xcodeProjectFolder, const std::string& udid,
                      const StatusCallback& status) = 0;
  // Cancels every device run under way; later runs are not affected.
  virtual void cancelDeviceRuns() = 0;
  // Whether this machine can run the iOS simulator (Xcode on a Mac). May
  // start a short child process; call it on a worker.
  virtual bool canRunIOSSimulator() = 0;

  virtual std::vector<RecommendedLocalModel> recommendedLocalModels() = 0;
  virtual bool localModelsInstalled() = 0;
  virtual bool ensureLocalModelsRunning() = 0;
  virtual std::vector<LocalModel> installedLocalModels() = 0;
  virtual void pullLocalModel(const std::string& name,
                              const std::function<void(double fraction, const std::string& status)>& progress) = 0;

  virtual std::optional<std::string> locateClaudeCode() = 0;
  virtual std::optional<std::string> locateCodex() = 0;
};

}  // namespace tovrane::app
