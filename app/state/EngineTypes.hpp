#pragma once
// The values the application exchanges with the conversion and repair engine
// and the device launcher: plain records, no behaviour beyond naming.
#include "core/devices/DeviceLauncher.hpp"
#include "core/project/ConversionContract.hpp"
#include "core/repair/AIRepair.hpp"
#include "core/repair/LocalModels.hpp"

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

// The repair contract is core's too: providers (with rawValue, displayName
// and aiProviderFromRawValue), rungs, options, events and result.
using tovrane::AIProvider;
using tovrane::AIRepairEvent;
using tovrane::AIRepairOptions;
using tovrane::AIRepairResult;
using tovrane::FixKnowledge;
using tovrane::ModelTier;
namespace repair_event = tovrane::repair_event;

// The local model runtime's records: an installed model, and a suggested
// one with a German note on what it needs.
using LocalModel = tovrane::LocalModels::Model;
using RecommendedLocalModel = tovrane::LocalModels::Suggestion;

// The device record is the launcher's own.
using tovrane::TestDevice;

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
