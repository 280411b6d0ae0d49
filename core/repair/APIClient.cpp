#include "core/repair/APIClient.hpp"

#include "core/repair/AnswerFields.hpp"
#include "core/support/Cancelled.hpp"
#include "core/support/Text.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tovrane {

namespace {

using json::Json;
using answer::countOf;
using answer::elements;
using answer::field;
using answer::textOf;

// The answer body as a JSON object; anything else that parses counts as an
// empty one. Bytes that are not JSON (a proxy's page, say) are a rejected
// answer: the next rung may be reached another way.
Json parseAnswer(const std::string& body) {
  auto parsed = json::tryParse(body);
  if (!parsed) throw AIRepairError::invalid("die Antwort ist kein JSON");
  return parsed->is_object() ? std::move(*parsed) : Json::object();
}

constexpr double maxDelaySeconds = 90;

// A "retry-after" that reads as a number of seconds, zero or more.
std::optional<double> retryAfterSeconds(const http::Response& response) {
  const auto header = response.header("retry-after");
  if (!header) return std::nullopt;
  const auto value = text::trimWhitespaceAndNewlines(*header);
  double seconds = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  if (error != std::errc() || end != value.data() + value.size() || !std::isfinite(seconds) || seconds < 0)
    return std::nullopt;
  return seconds;
}

// The digits of the first `"retryDelay":` followed by optional white space and
// a quoted number (Gemini writes "37s"), as seconds.
std::optional<double> retryDelaySeconds(const std::string& body) {
  static constexpr std::string_view key = "\"retryDelay\":";
  auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  for (auto at = body.find(key); at != std::string::npos; at = body.find(key, at + 1)) {
    std::size_t i = at + key.size();
    while (i < body.size() && isSpace(body[i])) ++i;
    if (i >= body.size() || body[i] != '"' || i + 1 >= body.size() || !isDigit(body[i + 1])) continue;
    double seconds = 0;
    for (++i; i < body.size() && isDigit(body[i]); ++i) seconds = seconds * 10 + (body[i] - '0');
    return seconds;
  }
  return std::nullopt;
}

// Seconds to hold back after the n-th retry's answer (n from 0): 4, 8, 16, …,
// or what the provider asked for plus one; the body's hint beats the header.
double backOff(int n, const http::Response& response) {
  double delay = std::ldexp(1.0, n + 2);
  if (auto seconds = retryAfterSeconds(response)) delay = *seconds + 1;
  if (text::isValidUtf8(response.body)) {
    if (auto seconds = retryDelaySeconds(response.body)) delay = *seconds + 1;
  }
  return std::min(delay, maxDelaySeconds);
}

Clock::Duration seconds(double value) {
  return std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double>(value));
}

}  // namespace

Endpoints Endpoints::standard() {
  return Endpoints{
      .anthropic = "https://api.anthropic.com",
      .openAI = "https://api.openai.com",
      .gemini = "https://generativelanguage.googleapis.com",
      .local = "http://127.0.0.1:11434",
  };
}

APIClient::APIClient(std::map<AIProvider, std::string> keys, std::optional<std::string> claudeCodePath,
                     Endpoints endpoints, RateGate& gate, const Host& host)
    : keys_(std::move(keys)),
      claudeCodePath_(std::move(claudeCodePath)),
      endpoints_(std::move(endpoints)),
      gate_(&gate),
      host_(&host) {}

std::string APIClient::systemText(const SystemBlocks& system) {
  std::vector<std::string> texts;
  for (const auto& block : system) {
    if (const auto& text = field(block, "text"); text.is_string()) texts.push_back(text.get<std::string>());
  }
  return text::join(texts, "\n\n");
}

APIClient::Reply APIClient::send(const ModelTier& tier, const SystemBlocks& system, const std::string& user,
                                 std::stop_token stop) const {
  if (tier.provider == AIProvider::claudeCode) return sendClaudeCode(tier, system, user, std::move(stop));
  if (tier.provider == AIProvider::local) return sendLocal(tier, system, user, std::move(stop));
  const auto key = keys_.find(tier.provider);
  if (key == keys_.end()) throw AIRepairError::noProvider();
  // Such a key can never go out in a header; trying again would not help.
  if (std::any_of(key->second.begin(), key->second.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; }))
    throw AIRepairError::failed(401, "Der API-Schlüssel für " + std::string(displayName(tier.provider)) +
                                         " enthält ein Steuerzeichen (etwa einen Zeilenumbruch). Bitte den "
                                         "Schlüssel in den Einstellungen neu eintragen.");
  switch (tier.provider) {
    case AIProvider::gemini:
      return sendGemini(tier, key->second, system, user, std::move(stop));
    case AIProvider::claude:
      return sendClaude(tier, key->second, system, user, std::move(stop));
    default:
      return sendOpenAI(tier, key->second, system, user, std::move(stop));
  }
}

http::Request APIClient::request(const std::string& url, http::Headers headers, const Json& body) const {
  http::Request request;
  request.method = "POST";
  request.url = url;
  request.timeout = endpoints_.cloudTimeout;
  request.deadline = endpoints_.cloudDeadline;
  request.maxBodyBytes = endpoints_.maxAnswerBytes;
  // The headers carry the user's key: they go to the provider and nowhere else.
  request.maxRedirects = 0;
  request.headers.push_back({"content-type", "application/json"});
  for (auto& header : headers) request.headers.push_back(std::move(header));
  request.body = json::dumpCompact(body);
  return request;
}

std::string APIClient::perform(const http::Request& request, AIProvider provider, std::stop_token stop) const {
  const Clock& clock = host_->clock();
  const auto pause = [&](double delay) {
    if (!clock.sleepFor(seconds(delay), stop)) throw Cancelled();
  };
  // The local server is the user's own: its 429 is no hint to wait.
  const bool retryTooManyRequests = provider != AIProvider::local;
  for (int n = 0;; ++n) {
    if (!gate_->wait(provider, stop)) throw Cancelled();
    http::Response response;
    try {
      response = http::send(request, stop);
    } catch (const http::HttpError& error) {
      if (error.kind() == http::ErrorKind::cancelled) throw Cancelled();
      // A lost connection is retried, three times; a silent server or a
      // request that cannot be sent as it is would only fail again.
      if (error.kind() != http::ErrorKind::network || n > 2) throw;
      pause(std::ldexp(1.0, n + 1));
      continue;
    }
    if (response.status == 429 && retryTooManyRequests && n <= 7) {
      gate_->pause(provider, backOff(n, response));
      continue;
    }
    if (response.status >= 500 && n < 4) {
      // Only this request holds back: a server fault is no reason to slow the others.
      pause(backOff(n, response));
      continue;
    }
    if (response.status == 200) return std::move(response.body);
    // An error body may echo the request, keys and all: none of them is shown or written.
    std::vector<std::string> secrets;
    for (const auto& entry : keys_) secrets.push_back(entry.second);
    throw AIRepairError::http(response.status,
                              text::isValidUtf8(response.body) ? std::move(response.body) : std::string(), secrets);
  }
}

APIClient::Reply APIClient::sendLocal(const ModelTier& tier, const SystemBlocks& system, const std::string& user,
                                      std::stop_token stop) const {
  const Json body = {
      {"model", tier.model},
      {"stream", false},
      {"messages", Json::array({{{"role", "system"}, {"content", systemText(system)}},
                                {{"role", "user"}, {"content", user}}})},
      {"options", {{"temperature", 0.2}, {"num_ctx", 16384}}},
  };
  auto chat = request(endpoints_.local + "/api/chat", {}, body);
  chat.timeout = endpoints_.localTimeout;
  chat.deadline = endpoints_.localDeadline;
  std::string answerBody;
  try {
    answerBody = perform(chat, AIProvider::local, std::move(stop));
  } catch (const http::HttpError& error) {
    // Refused or silent: on the user's own machine both mean the model cannot keep up.
    if (error.kind() != http::ErrorKind::network && error.kind() != http::ErrorKind::timeout) throw;
    throw AIRepairError::invalid("lokales Modell zu langsam");
  }
  const Json answer = parseAnswer(answerBody);
  if (textOf(field(answer, "done_reason")) == "length") throw AIRepairError::truncated();
  return Reply{
      .text = textOf(field(field(answer, "message"), "content")),
      .input = countOf(field(answer, "prompt_eval_count")),
      .output = countOf(field(answer, "eval_count")),
      .cached = 0,
  };
}

APIClient::Reply APIClient::sendClaude(const ModelTier& tier, const std::string& key, const SystemBlocks& system,
                                       const std::string& user, std::stop_token stop) const {
  const Json body = {
      {"model", tier.model},
      {"max_tokens", 32000},
      {"thinking", {{"type", "adaptive"}}},
      {"output_config", {{"effort", tier.effort}}},
      {"system", Json(system)},
      {"messages", Json::array({{{"role", "user"}, {"content", user}}})},
  };
  const Json answer = parseAnswer(perform(
      request(endpoints_.anthropic + "/v1/messages", {{"x-api-key", key}, {"anthropic-version", "2023-06-01"}}, body),
      AIProvider::claude, std::move(stop)));
  const std::string stopReason = textOf(field(answer, "stop_reason"));
  if (stopReason == "refusal") throw AIRepairError::refusal();
  if (stopReason == "max_tokens") throw AIRepairError::truncated();
  std::string text;
  for (const auto& block : elements(field(answer, "content"))) {
    if (textOf(field(block, "type")) == "text") text += textOf(field(block, "text"));
  }
  const Json& usage = field(answer, "usage");
  const long long cacheWrites = countOf(field(usage, "cache_creation_input_tokens"));
  return Reply{
      .text = std::move(text),
      .input = countOf(field(usage, "input_tokens")) + cacheWrites,
      .output = countOf(field(usage, "output_tokens")),
      .cached = countOf(field(usage, "cache_read_input_tokens")),
      .cacheWrites = cacheWrites,
  };
}

APIClient::Reply APIClient::sendOpenAI(const ModelTier& tier, const std::string& key, const SystemBlocks& system,
                                       const std::string& user, std::stop_token stop) const {
  auto message = [](const char* role, const std::string& text) {
    return Json{{"role", role}, {"content", Json::array({{{"type", "input_text"}, {"text", text}}})}};
  };
  const Json body = {
      {"model", tier.model},
      {"reasoning", {{"effort", tier.effort}}},
      {"max_output_tokens", 32000},
      {"input", Json::array({message("developer", systemText(system)), message("user", user)})},
  };
  const Json answer = parseAnswer(
      perform(request(endpoints_.openAI + "/v1/responses", {{"authorization", "Bearer " + key}}, body),
              AIProvider::openAI, std::move(stop)));
  // No refusal check: this API hands a refusal over as ordinary text.
  if (textOf(field(answer, "status")) == "incomplete") throw AIRepairError::truncated();
  std::string text;
  for (const auto& item : elements(field(answer, "output"))) {
    for (const auto& part : elements(field(item, "content"))) {
      if (textOf(field(part, "type")) == "output_text") text += textOf(field(part, "text"));
    }
  }
  const Json& usage = field(answer, "usage");
  return Reply{
      .text = std::move(text),
      .input = countOf(field(usage, "input_tokens")),
      .output = countOf(field(usage, "output_tokens")),
      .cached = countOf(field(field(usage, "input_tokens_details"), "cached_tokens")),
  };
}

APIClient::Reply APIClient::sendGemini(const ModelTier& tier, const std::string& key, const SystemBlocks& system,
                                       const std::string& user, std::stop_token stop) const {
  const Json body = {
      {"systemInstruction", {{"parts", Json::array({{{"text", systemText(system)}}})}}},
      {"contents", Json::array({{{"role", "user"}, {"parts", Json::array({{{"text", user}}})}}})},
      {"generationConfig", {{"maxOutputTokens", 65536}, {"temperature", 0.2}}},
  };
  // The key goes in a header only: URLs end up in logs and proxies.
  const std::string url = endpoints_.gemini + "/v1beta/models/" + tier.model + ":generateContent";
  const Json answer =
      parseAnswer(perform(request(url, {{"x-goog-api-key", key}}, body), AIProvider::gemini, std::move(stop)));
  const auto& candidates = elements(field(answer, "candidates"));
  const Json candidate = candidates.empty() ? Json::object() : candidates.front();
  const std::string finishReason = textOf(field(candidate, "finishReason"));
  if (finishReason == "MAX_TOKENS") throw AIRepairError::truncated();
  if (finishReason == "SAFETY" || finishReason == "PROHIBITED_CONTENT" || finishReason == "RECITATION")
    throw AIRepairError::refusal();
  std::string text;
  for (const auto& part : elements(field(field(candidate, "content"), "parts"))) {
    if (field(part, "thought") == Json(true)) continue;
    text += textOf(field(part, "text"));
  }
  const Json& usage = field(answer, "usageMetadata");
  const long long cached = countOf(field(usage, "cachedContentTokenCount"));
  return Reply{
      .text = std::move(text),
      .input = std::max(0LL, countOf(field(usage, "promptTokenCount")) - cached),
      .output = countOf(field(usage, "candidatesTokenCount")) + countOf(field(usage, "thoughtsTokenCount")),
      .cached = cached,
  };
}

}  // namespace tovrane
