#pragma once
// The local model server (Ollama) seen from the application: whether it is
// installed, whether it answers, starting it when it is silent, the models it
// holds, downloading one with progress, and three suggested coder models.
// It talks to no model: the local rung's chat goes through APIClient.
//
// Holds no state: every call asks the file system or the server again, and
// calls may run on any thread at once. A server this starts keeps running.
#include "core/repair/APIClient.hpp"
#include "core/support/Host.hpp"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane {

class LocalModels {
 public:
  struct Model {
    std::string name;   // as the server lists it, "qwen2.5-coder:7b"
    double sizeGB = 0;  // bytes / 10^9
    bool operator==(const Model&) const = default;
  };
  struct Suggestion {
    std::string_view name;
    std::string_view note;
  };
  static constexpr std::array<Suggestion, 3> recommended{{
      {"qwen2.5-coder:7b", "schnell, gut für einfache Stellen (~4,7 GB)"},
      {"qwen2.5-coder:14b", "deutlich besser, braucht 16 GB RAM (~9 GB)"},
      {"qwen3-coder:30b", "stark, braucht 32 GB RAM (~19 GB)"},
  }};

  using Progress = std::function<void(double fraction, const std::string& status)>;

  // The server at endpoints.local; the host must outlive this object.
  explicit LocalModels(const Endpoints& endpoints = Endpoints::standard(), const Host& host = Host::system());

  // One of the install locations exists (no look at the server).
  bool isInstalled() const;
  // The model list answers with status 200 within 2 seconds.
  bool isRunning() const;
  // True when the server answers; when it is installed but silent, it is
  // started first and polled 30 times, every half second.
  bool ensureRunning() const;
  // The installed models without embedding and speech models, in the server's
  // order; empty when the server cannot be reached or its list not read.
  std::vector<Model> installed() const;
  // Downloads a model, reporting each progress line of the server. Throws
  // AIRepairError::http (status 0 with the server's error text, or the status
  // and body of an answer outside 200–299) or http::HttpError.
  void pull(const std::string& name, const Progress& progress) const;

 private:
  std::string baseURL_;
  const Host* host_;
};

}  // namespace tovrane
