#pragma once
// The repair engine's contract with its callers: the model providers, the
// rungs of the model ladder with their prices, the options of a ladder
// repair and the ladder they yield, the events a running repair reports, its
// result and its errors. All plain values, safe to copy across threads.
#include "core/repair/FixKnowledge.hpp"

#include <nlohmann/json_fwd.hpp>

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tovrane {

// ---- Providers

enum class AIProvider { gemini, claude, openAI, local, claudeCode };

// Every provider in its fixed order (the repair card shows them so).
inline constexpr std::array<AIProvider, 5> allAIProviders = {
    AIProvider::gemini, AIProvider::claude, AIProvider::openAI, AIProvider::local, AIProvider::claudeCode};
// The providers reached over their HTTP APIs with the user's keys. Their
// order decides the fallback of the preferred provider and the order of the
// extra rungs of a ladder.
inline constexpr std::array<AIProvider, 3> cloudAIProviders = {AIProvider::gemini, AIProvider::claude,
                                                               AIProvider::openAI};

// The stored name, equal to the case name ("openAI").
std::string_view rawValue(AIProvider provider);
// The German name the user sees ("Lokal", "Claude-Abo").
std::string_view displayName(AIProvider provider);
// The provider whose raw value equals text exactly (case-sensitive).
std::optional<AIProvider> aiProviderFromRawValue(std::string_view text);

// JSON form: the raw value as one string. Reading anything else throws
// json::ReadError.
void to_json(nlohmann::json& json, AIProvider provider);
void from_json(const nlohmann::json& json, AIProvider& provider);
void to_json(nlohmann::ordered_json& json, AIProvider provider);
void from_json(const nlohmann::ordered_json& json, AIProvider& provider);

// ---- Ladder

// One rung of the model ladder. Equal and hashed by provider, model and
// effort: two rungs that differ only in price are the same rung.
struct ModelTier {
  // Estimated US dollars per million tokens.
  struct Prices {
    double input = 0;
    double output = 0;
    double cached = 0;      // input read from the provider's prompt cache
    double cacheWrite = 0;  // input written to it (only Anthropic reports such writes)
  };

  AIProvider provider = AIProvider::claude;
  std::string model;
  std::string effort;  // "low", "medium", "high", or empty (local and Claude Code rungs)
  Prices prices;

  // The provider's display name, a blank and the model ("Gemini gemini-flash-latest").
  std::string label() const;
  // The rungs of one provider, cheaper first; none for the local provider.
  static std::vector<ModelTier> ladder(AIProvider provider);

  bool operator==(const ModelTier& other) const {
    return provider == other.provider && model == other.model && effort == other.effort;
  }
};

// The settings of one ladder repair. Every field may be changed after
// construction; ladder() always reflects the current fields.
struct AIRepairOptions {
  std::map<AIProvider, std::string> keys;
  AIProvider preferred = AIProvider::claude;
  int maxCompileRounds = 5;
  int parallelRequests = 4;
  std::optional<std::string> localModel;
  std::optional<std::string> claudeCodePath;  // set: the whole ladder is the Claude Code tool
  FixKnowledge knowledge;

  // Keeps the cloud keys, trimmed of white space and line breaks, that are
  // not empty then, and never one for the local provider; keeps `preferred`
  // when it has a kept key, else takes the first cloud provider with one,
  // else Claude; an empty local model name means none.
  AIRepairOptions(std::map<AIProvider, std::string> keys, std::optional<AIProvider> preferred,
                  std::optional<std::string> localModel);
  // One key for one provider, which is then preferred; no local model.
  AIRepairOptions(std::string apiKey, AIProvider provider);

  // The Claude Code rung alone when its path is set; otherwise the local
  // rung when a local model is set, then, when the preferred provider has a
  // key, all its rungs and the strongest rung of each other cloud provider
  // with a key. May be empty.
  std::vector<ModelTier> ladder() const;
};

// ---- Events

namespace repair_event {
struct Status {
  std::string text;  // a German status line
  bool operator==(const Status&) const = default;
};
struct FileStarted {
  std::string file;  // the Kotlin file's name
  bool operator==(const FileStarted&) const = default;
};
struct FileFinished {
  std::string file;
  bool operator==(const FileFinished&) const = default;
};
struct CompileRound {
  int round = 0;  // from 1
  int errors = 0;
  bool operator==(const CompileRound&) const = default;
};
// Running totals of the whole run, not increments.
struct Usage {
  long long input = 0;
  long long output = 0;
  long long cached = 0;
  bool operator==(const Usage&) const = default;
};
struct Cost {
  double usd = 0;  // running total
  bool operator==(const Cost&) const = default;
};
struct Escalated {
  std::string file;
  std::string to;  // the next rung's label
  bool operator==(const Escalated&) const = default;
};
struct Progress {
  int done = 0;   // placeholders gone since the start, never below 0
  int total = 0;  // placeholders at the start
  bool operator==(const Progress&) const = default;
};
}  // namespace repair_event

using AIRepairEvent = std::variant<repair_event::Status, repair_event::FileStarted, repair_event::FileFinished,
                                   repair_event::CompileRound, repair_event::Usage, repair_event::Cost,
                                   repair_event::Escalated, repair_event::Progress>;

// ---- Result and errors

struct AIRepairResult {
  int filesRepaired = 0;
  int remainingPlaceholders = 0;
  std::optional<bool> compiled;  // absent: no compile check ran
  int remainingErrors = 0;
  double costUSD = 0;
  std::vector<std::string> log;
  std::map<std::string, int> modelUsage;  // rung label → answers received

  bool operator==(const AIRepairResult&) const = default;
};

// text with every credential it may echo removed: each of `secrets` (the
// configured keys) and the value of anything that looks like an
// authorization header or key field ("Authorization: Bearer …",
// "x-api-key: …", "\"api_key\": \"…\"", "?key=…"), each replaced by
// "[entfernt]".
std::string withoutSecrets(std::string_view text, const std::vector<std::string>& secrets = {});

// A failed model request or a rejected answer; what() is the German text
// the user sees. An http body never holds what withoutSecrets removes: an
// error body may echo the request.
class AIRepairError : public std::runtime_error {
 public:
  enum class Kind { http, invalid, refusal, noCode, truncated, noProvider };

  // A request that got an answer other than success; status 0 for a failure
  // without one, with its own message as the body. The body is kept as
  // withoutSecrets(body, secrets) leaves it.
  static AIRepairError http(int status, std::string body, const std::vector<std::string>& secrets = {});
  // A failed request that carries its own German text (the Claude Code
  // tool's verdict, a transport failure) instead of the status's; judged by
  // its status like an answer, 0 when none came. The text is also the detail.
  static AIRepairError failed(int status, std::string message);
  static AIRepairError invalid(std::string reason);
  static AIRepairError refusal();
  static AIRepairError noCode();
  static AIRepairError truncated();
  static AIRepairError noProvider();

  Kind kind() const { return kind_; }
  int status() const { return status_; }                 // http only
  const std::string& detail() const { return detail_; }  // the body (http) or the reason (invalid)

 private:
  AIRepairError(Kind kind, int status, std::string detail, std::string description);
  Kind kind_;
  int status_;
  std::string detail_;
};

}  // namespace tovrane

template <>
struct std::hash<tovrane::ModelTier> {
  std::size_t operator()(const tovrane::ModelTier& tier) const noexcept;
};
