#include "app/state/ProjectRecord.hpp"

#include <algorithm>

namespace tovrane::app {

int ProjectRecord::convertedPlaceholders() const { return placeholders.value_or(unsupported); }

long long ProjectRecord::aiSolved() const {
  // Wide: a hand-edited history may hold any two counts.
  return ai ? static_cast<long long>(convertedPlaceholders()) - ai->remaining : 0;
}

int ProjectRecord::openPlaces() const { return ai ? ai->remaining : convertedPlaceholders(); }

double ProjectRecord::effectiveCoverage() const {
  if (!ai || unsupported < 1) {
    return coverage;
  }
  if (ai->remaining == 0 && ai->compiled == true) {
    return 1;
  }
  const long long solved = std::clamp<long long>(aiSolved(), 0, unsupported);
  // Kept in this order: the pages truncate the percentage, so another rounding
  // could move a shown figure by one.
  return coverage + ((1 - coverage) * solved) / unsupported;
}

}  // namespace tovrane::app
