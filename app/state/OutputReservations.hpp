#pragma once
// The output folders that conversions of this process are writing. A folder
// is reserved on the UI thread before its run starts and released by the run's
// worker when the call returns, also when the model that started it is gone;
// so two runs never pick the same folder, even before either has written it.
// One instance per process, made by the entry and passed by reference.
#include <filesystem>
#include <mutex>
#include <set>

namespace tovrane::app {

class OutputReservations {
 public:
  // False when the folder is reserved already.
  bool reserve(const std::filesystem::path& folder);
  void release(const std::filesystem::path& folder);
  bool isReserved(const std::filesystem::path& folder) const;

 private:
  mutable std::mutex mutex_;
  std::set<std::filesystem::path> folders_;
};

}  // namespace tovrane::app
