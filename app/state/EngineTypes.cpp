#include "app/state/EngineTypes.hpp"

namespace tovrane::app {

std::string ModelTier::label() const { return std::string(displayName(provider)) + " " + model; }

}  // namespace tovrane::app
