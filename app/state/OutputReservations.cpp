#include "app/state/OutputReservations.hpp"

namespace tovrane::app {

bool OutputReservations::reserve(const std::filesystem::path& folder) {
  const std::lock_guard lock(mutex_);
  return folders_.insert(folder).second;
}

void OutputReservations::release(const std::filesystem::path& folder) {
  const std::lock_guard lock(mutex_);
  folders_.erase(folder);
}

bool OutputReservations::isReserved(const std::filesystem::path& folder) const {
  const std::lock_guard lock(mutex_);
  return folders_.count(folder) != 0;
}

}  // namespace tovrane::app
