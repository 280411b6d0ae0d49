#pragma once
// Stand-ins for the updater's seams: an installer that records what it was
// handed, a rig around one updater, and the feed document.
#include "app/state/Settings.hpp"
#include "app/state/Updater.hpp"
#include "app/state/Workers.hpp"
#include "tests/support/FakeHttpServer.hpp"

#include <QString>

#include <condition_variable>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tovrane::app::test {

// Private folders below `base`; install() keeps the archive's bytes and the
// build, can be held until the test releases it, and returns a harmless
// command (/bin/true) as the relaunch.
class FakeInstaller final : public Installer {
 public:
  explicit FakeInstaller(std::filesystem::path base) : base_(std::move(base)) {}

  bool updatesItself() const override { return selfUpdating; }
  std::string archiveName() const override { return "update.archive"; }
  std::filesystem::path makePrivateFolder() override;
  process::Spec install(const std::filesystem::path& archive, const std::filesystem::path& privateFolder,
                        long long build) override;
  void tidy() override;

  // install() waits from now until release(), at most maxHold.
  static constexpr std::chrono::seconds maxHold{10};
  void hold();
  void release();

  struct Installation {
    std::string archive;
    long long build = 0;
  };
  std::vector<Installation> installations() const;
  std::vector<std::filesystem::path> privateFolders() const;
  int tidied() const;

  // Set before the updater uses the installer.
  bool selfUpdating = true;
  // makePrivateFolder() throws UpdateError with this text.
  std::optional<QString> folderFailure;

 private:
  std::filesystem::path base_;
  mutable std::mutex mutex_;
  std::condition_variable released_;
  bool held_ = false;
  std::vector<Installation> installations_;
  std::vector<std::filesystem::path> folders_;
  int tidied_ = 0;
};

// One updater on a loopback feed ("/feed") with its seams: the given
// installer, a job count, a quit counter and its own workers. "autoUpdate"
// is removed from the settings first. Every state taken is kept in `states`.
class UpdaterRig {
 public:
  explicit UpdaterRig(std::shared_ptr<Installer> installer, std::chrono::milliseconds interval = std::chrono::hours(1));
  ~UpdaterRig();

  // The feed's answer from now on.
  void serveFeed(const std::string& document, std::chrono::milliseconds delay = {});
  // Serves bytes at "/archive" (with their length, or in chunks of 256 KiB
  // without one) and returns the address.
  std::string serveArchive(const std::string& bytes, bool announceLength = true);
  // Brings the updater to `available` for a release of build at url by a
  // reported check, with automatic installation off; clears `states` after.
  void offer(long long build, const std::string& url, const std::string& sha256,
             std::optional<std::string> notes = std::nullopt);
  // Waits for the workers and runs the UI-thread posts they left, also those
  // of calls the posts started (a check's result starting an installation).
  void finish();
  int requestsTo(const std::string& path) const;
  QString state() const;

  fakes::FakeHttpServer server;
  Settings settings;
  int jobs = 0;
  int quits = 0;
  QStringList states;
  Workers workers;
  // Declared last: destroyed first, which stops its transfers before the workers are waited for.
  std::unique_ptr<Updater> updater;
};

// A feed document; notes left out when absent.
std::string feed(long long build, const std::string& url, const std::string& sha256,
                 std::optional<std::string> notes = std::nullopt, const std::string& version = "0.2.0");
// Lower-case hexadecimal SHA-256.
std::string sha256Hex(const std::string& bytes);

// A state as text: "idle", "checking", "upToDate", "available",
// "downloading 0.25", "installing", "failed: <message>".
QString describe(const UpdateState& state);

}  // namespace tovrane::app::test
