#pragma once
// Sends one repair prompt (system blocks and a user text) to the model of one
// ladder rung and returns the answer text with its token counts: the local
// model server, the three cloud APIs over HTTPS, or the Claude Code tool.
//
// The client is a value without state of its own: every send builds a fresh
// request. Every HTTP request passes its provider's rate gate and one retry loop, whose
// single counter allows at most eight 429 retries (cloud providers only),
// four 5xx retries and three transport retries, so a request goes out at most
// nine times. A stop request ends a transfer, a back-off, a wait at the
// gate or a run of the Claude Code tool at once.
#include "core/repair/AIRepair.hpp"
#include "core/repair/RateGate.hpp"
#include "core/support/Host.hpp"
#include "core/support/Http.hpp"
#include "core/support/Json.hpp"

#include <chrono>
#include <map>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace tovrane {

// The largest file a repair reads and sends to a model; the converter reads
// no Swift source above it either.
inline constexpr std::size_t maxRepairFileBytes = std::size_t{16} << 20;

// Where the four HTTP providers live, how long a request may stay silent and
// take in all, how large an answer may be, and how long one run of the Claude
// Code tool may take (it and everything it started are ended then).
struct Endpoints {
  std::string anthropic;
  std::string openAI;
  std::string gemini;
  std::string local;  // the local model server (also LocalModels' base address)
  std::chrono::milliseconds cloudTimeout{std::chrono::seconds(900)};
  std::chrono::milliseconds localTimeout{std::chrono::seconds(300)};
  // Twice the silence allowed: an answer is sent whole once it is ready, so
  // only a server that trickles bytes comes near it.
  std::chrono::milliseconds cloudDeadline{std::chrono::seconds(1800)};
  std::chrono::milliseconds localDeadline{std::chrono::seconds(600)};
  // A few times the largest file a repair sends: no real answer comes near it.
  std::size_t maxAnswerBytes = 4 * maxRepairFileBytes;
  std::chrono::milliseconds claudeCodeTimeout{std::chrono::minutes(30)};

  static Endpoints standard();
};

class APIClient {
 public:
  struct Reply {
    std::string text;
    long long input = 0;  // not read from the cache; cacheWrites included
    long long output = 0;
    long long cached = 0;
    long long cacheWrites = 0;  // the part of input written to the provider's cache
    bool operator==(const Reply&) const = default;
  };
  // JSON objects with a "text" string and "type": "text"; a block may carry
  // "cache_control", which only the Anthropic API reads.
  using SystemBlocks = std::vector<json::Json>;

  // The gate and the host must outlive the client.
  APIClient(std::map<AIProvider, std::string> keys, std::optional<std::string> claudeCodePath,
            Endpoints endpoints = Endpoints::standard(), RateGate& gate = RateGate::shared(),
            const Host& host = Host::system());

  // Throws AIRepairError (noProvider for a cloud rung without a key, http,
  // refusal, truncated, invalid for an answer that is not JSON or a local
  // server that does not answer), http::HttpError for a cloud transport
  // failure (an answer above maxAnswerBytes included), Cancelled as soon as
  // stop is requested, also in the middle of a transfer, a wait or a run of
  // the Claude Code tool, and for the Claude Code rung process::StartError,
  // process::TimeoutError, process::OutputLimitError or ClaudeCodeError.
  Reply send(const ModelTier& tier, const SystemBlocks& system, const std::string& user,
             std::stop_token stop = {}) const;

  // The "text" strings of the blocks that have one, joined by a blank line.
  static std::string systemText(const SystemBlocks& system);

 private:
  Reply sendLocal(const ModelTier& tier, const SystemBlocks& system, const std::string& user,
                  std::stop_token stop) const;
  Reply sendClaude(const ModelTier& tier, const std::string& key, const SystemBlocks& system,
                   const std::string& user, std::stop_token stop) const;
  Reply sendOpenAI(const ModelTier& tier, const std::string& key, const SystemBlocks& system,
                   const std::string& user, std::stop_token stop) const;
  Reply sendGemini(const ModelTier& tier, const std::string& key, const SystemBlocks& system,
                   const std::string& user, std::stop_token stop) const;
  // In ClaudeCodeRepair.cpp.
  Reply sendClaudeCode(const ModelTier& tier, const SystemBlocks& system, const std::string& user,
                       std::stop_token stop) const;

  http::Request request(const std::string& url, http::Headers headers, const json::Json& body) const;
  // The body of a 200 answer, after the gate of provider and the retries
  // described above; every other final status throws AIRepairError::http.
  std::string perform(const http::Request& request, AIProvider provider, std::stop_token stop) const;

  std::map<AIProvider, std::string> keys_;
  std::optional<std::string> claudeCodePath_;
  Endpoints endpoints_;
  RateGate* gate_;
  const Host* host_;
};

}  // namespace tovrane
