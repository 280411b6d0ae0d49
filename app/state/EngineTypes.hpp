#pragma once
// The values the application exchanges with the conversion and repair engine
// and the device launcher: plain records, no behaviour beyond naming.
#include "core/project/ConversionContract.hpp"
#include "core/repair/AIRepair.hpp"

#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tovrane::app {

// The conversion records are core's own.
using tovrane::ConversionOptions;
using tovrane::ConversionResult;
using tovrane::ConversionStage;
using tovrane::ConversionWarning;

// One provider table: core's, with rawValue, displayName and aiProviderFromRawValue.
using tovrane::AIProvider;

struct ModelTier {
  AIProvider provider = AIProvider::gemini;
  std::string model;
  std::string effort;
  // US dollars per million tokens.
  double inputPrice = 0;
  double outputPrice = 0;
  double cachedPrice = 0;
  // Provider's display name, a blank, the model.
  std::string label() const;
};

struct FixKnowledge {
  std::string baseURL;
  bool share = false;
  bool useExamples = true;
};

struct AIRepairOptions {
  std::map<AIProvider, std::string> keys;
  AIProvider preferred = AIProvider::claude;
  int maxCompileRounds = 5;
  int parallelRequests = 4;
  std::optional<std::string> localModel;
  std::optional<std::string> claudeCodePath;
  FixKnowledge knowledge;
};

namespace repair_event {
struct Status { std::string text; };
struct FileStarted { std::string file; };
struct FileFinished { std::string file; };
struct CompileRound { int round = 0; int errors = 0; };
struct Usage { long long input = 0; long long output = 0; long long cached = 0; };
struct Cost { double usd = 0; };
struct Escalated { std::string file; std::string to; };
struct Progress { int done = 0; int total = 0; };
}  // namespace repair_event
using AIRepairEvent = std::variant<repair_event::Status, repair_event::FileStarted, repair_event::FileFinished,
                                   repair_event::CompileRound, repair_event::Usage, repair_event::Cost,
                                   repair_event::Escalated, repair_event::Progress>;

struct AIRepairResult {
  int filesRepaired = 0;
  int remainingPlaceholders = 0;
  std::optional<bool> compiled;
  int remainingErrors = 0;
  double costUSD = 0;
  std::vector<std::string> log;
  std::map<std::string, int> modelUsage;
  bool operator==(const AIRepairResult&) const = default;
};

struct LocalModel {
  std::string name;
  double sizeGB = 0;
  bool operator==(const LocalModel&) const = default;
};

// A local model worth downloading, with a German note on what it needs.
struct RecommendedLocalModel {
  std::string name;
  std::string note;
  bool operator==(const RecommendedLocalModel&) const = default;
};

struct TestDevice {
  enum class Kind { android, ios };
  std::string id;
  std::string name;
  Kind kind = Kind::android;
  std::string detail;
  bool operator==(const TestDevice&) const = default;
};

// A failure of an engine call; what() is the German text the user sees.
// `cancelled` is a repair that stopped at the user's request before any
// result existed; `missing` a tool or project that is not there.
class EngineError : public std::runtime_error {
 public:
  enum class Kind { failed, missing, cancelled };
  EngineError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

}  // namespace tovrane::app
