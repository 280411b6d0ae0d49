#include "app/state/EngineTypes.hpp"

namespace tovrane::app {

namespace {
const AIProviderInfo& info(AIProvider provider) {
  for (const AIProviderInfo& entry : aiProviders) {
    if (entry.provider == provider) {
      return entry;
    }
  }
  return aiProviders[0];
}
}  // namespace

const char* rawValue(AIProvider provider) { return info(provider).rawValue; }
const char* displayName(AIProvider provider) { return info(provider).displayName; }

std::optional<AIProvider> aiProviderFromRawValue(std::string_view text) {
  for (const AIProviderInfo& entry : aiProviders) {
    if (text == entry.rawValue) {
      return entry.provider;
    }
  }
  return std::nullopt;
}

std::string ModelTier::label() const { return std::string(displayName(provider)) + " " + model; }

}  // namespace tovrane::app
