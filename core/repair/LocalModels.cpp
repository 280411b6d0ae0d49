#include "core/repair/LocalModels.hpp"

#include "core/repair/AnswerFields.hpp"
#include "core/support/Process.hpp"
#include "core/support/Text.hpp"

#include <chrono>
#include <filesystem>
#include <optional>

namespace tovrane {

namespace {

using namespace std::chrono_literals;
using json::Json;
using answer::field;
using answer::textOf;

constexpr std::chrono::milliseconds reachTimeout = 2s;
constexpr std::chrono::milliseconds pullTimeout = 7200s;
constexpr std::chrono::milliseconds listDeadline = 60s;
// Of a refusal's body only its start is ever shown.
constexpr std::size_t maxRefusalBytes = 64 * 1024;
constexpr int startPolls = 30;
constexpr std::chrono::milliseconds pollPause = 500ms;

// Where the installers put Ollama: the application on macOS (Homebrew's
// program too), the install script's or the distribution's program on Linux.
std::optional<std::filesystem::path> installLocation(const Host& host) {
  const auto candidates = host.platform() == Platform::macOS
                              ? std::vector<std::filesystem::path>{"/Applications/Ollama.app", "/usr/local/bin/ollama",
                                                                   "/opt/homebrew/bin/ollama"}
                              : std::vector<std::filesystem::path>{"/usr/local/bin/ollama", "/usr/bin/ollama"};
  for (const auto& candidate : candidates) {
    std::error_code error;
    if (std::filesystem::exists(host.path(candidate), error)) return host.path(candidate);
  }
  return std::nullopt;
}

// Starts the server and leaves it running. On macOS the application runs it;
// on Linux its service normally does, and otherwise the program serves itself.
// "/usr/bin/open" is never run on Linux, where it may be another program.
void startServer(const Host& host, const std::filesystem::path& installed) {
  process::Spec spec;
  spec.environment = host.environment();
  if (host.platform() == Platform::macOS) {
    spec.program = host.path("/usr/bin/open");
    spec.arguments = {"-g", "-a", "Ollama"};
  } else {
    spec.program = installed;
    spec.arguments = {"serve"};
  }
  try {
    process::startDetached(spec);
  } catch (const std::exception&) {
    // The polls that follow tell whether the server came up.
  }
}

http::Request listRequest(const std::string& baseURL) {
  http::Request request;
  request.url = baseURL + "/api/tags";
  request.deadline = listDeadline;
  return request;
}

bool isSuccess(int status) { return status >= 200 && status <= 299; }

}  // namespace

LocalModels::LocalModels(const Endpoints& endpoints, const Host& host) : baseURL_(endpoints.local), host_(&host) {}

bool LocalModels::isInstalled() const { return installLocation(*host_).has_value(); }

bool LocalModels::isRunning() const {
  auto request = listRequest(baseURL_);
  request.timeout = reachTimeout;
  try {
    return http::send(request).status == 200;
  } catch (const http::HttpError&) {
    return false;
  }
}

bool LocalModels::ensureRunning() const {
  if (isRunning()) return true;
  const auto installed = installLocation(*host_);
  if (!installed) return false;
  startServer(*host_, *installed);
  for (int poll = 0; poll < startPolls; ++poll) {
    host_->clock().sleepFor(pollPause);
    if (isRunning()) return true;
  }
  return false;
}

std::vector<LocalModels::Model> LocalModels::installed() const {
  if (!ensureRunning()) return {};
  http::Response response;
  try {
    response = http::send(listRequest(baseURL_));
  } catch (const http::HttpError&) {
    return {};
  }
  const auto list = json::tryParse(response.body);
  if (!list) return {};
  const Json& models = field(*list, "models");
  if (!models.is_array()) return {};
  std::vector<Model> result;
  for (const auto& model : models) {
    if (!model.is_object()) return {};
    const Json& name = field(model, "name");
    if (!name.is_string()) continue;
    const auto& modelName = name.get_ref<const std::string&>();
    // Embedding and speech models cannot write code.
    if (modelName.find("embed") != std::string::npos || modelName.find("whisper") != std::string::npos) continue;
    result.push_back(Model{modelName, static_cast<double>(answer::countOf(field(model, "size"))) / 1e9});
  }
  return result;
}

void LocalModels::pull(const std::string& name, const Progress& progress) const {
  if (!ensureRunning()) throw AIRepairError::http(0, "Ollama läuft nicht");
  http::Request request;
  request.method = "POST";
  request.url = baseURL_ + "/api/pull";
  request.body = json::dumpCompact(Json{{"model", name}, {"stream", true}});
  request.timeout = pullTimeout;

  std::string refusal;  // the body of an answer outside 200–299
  const auto head = http::stream(request, [&](const http::Head& head, std::string_view line) {
    if (!isSuccess(head.status)) {
      if (refusal.size() >= maxRefusalBytes) return http::Flow::proceed;
      if (!refusal.empty()) refusal += '\n';
      refusal += line.substr(0, maxRefusalBytes);
      return http::Flow::proceed;
    }
    const auto parsed = json::tryParse(line);
    if (!parsed || !parsed->is_object()) return http::Flow::proceed;
    if (const Json& error = field(*parsed, "error"); error.is_string())
      throw AIRepairError::http(0, error.get<std::string>());
    const Json& total = field(*parsed, "total");
    const Json& completed = field(*parsed, "completed");
    const double whole = total.is_number() ? total.get<double>() : 0;
    const double done = completed.is_number() ? completed.get<double>() : 0;
    progress(whole > 0 ? done / whole : 0, textOf(field(*parsed, "status")));
    return http::Flow::proceed;
  });
  if (isSuccess(head.status)) return;
  // The server words its refusals as {"error": "…"}: that text is the user's.
  std::string reason;
  text::forEachLine(refusal, text::LineEnds::lf, [&](std::string_view line) {
    if (!reason.empty()) return;
    if (const auto parsed = json::tryParse(line)) reason = textOf(field(*parsed, "error"));
  });
  if (!reason.empty()) throw AIRepairError::http(0, reason);
  throw AIRepairError::http(head.status, refusal);
}

}  // namespace tovrane
