#include "app/state/ProjectRecord.hpp"

#include <algorithm>

namespace tovrane::app {

double ProjectRecord::effectiveCoverage() const {
  if (!ai || unsupported < 1) {
    return coverage;
  }
  if (ai->remaining == 0 && ai->compiled == true) {
    return 1;
  }
  const int remainingPlaces = std::min(ai->remaining, unsupported);
  // Kept in this order: the pages truncate the percentage, so another rounding
  // could move a shown figure by one.
  return coverage + ((1 - coverage) * (unsupported - remainingPlaces)) / unsupported;
}

}  // namespace tovrane::app
