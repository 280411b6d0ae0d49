#pragma once
// The self-updater: reads the release feed, holds the update state that the
// banner shows, and installs a newer build (download, digest check, the
// installer's swap, relaunch, quit).
//
// Invariants: everything here runs on the UI thread; network transfers, file
// work and tools run on background threads that hold only a guard and post
// their results back. At most one installation runs: install() acts only in
// `available` and takes the release once, a check never starts or ends
// anything while `downloading` or `installing`, and only one automatic loop
// ever runs. Until the archive is complete and verified, nothing installed is
// touched; every failure ends in `failed` with the old version still running.
// A job that runs when the update is about to take effect is never ended for
// it unless the user agreed: the update then waits in `available`.
#include "app/state/UpdaterInstall.hpp"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string_view>
#include <variant>

namespace tovrane::app {

class Settings;
class Workers;

namespace update_state {
struct Idle {
  bool operator==(const Idle&) const = default;
};
// A reported check is under way.
struct Checking {
  bool operator==(const Checking&) const = default;
};
// A reported check found no newer build.
struct UpToDate {
  bool operator==(const UpToDate&) const = default;
};
// The feed offers a newer build.
struct Available {
  bool operator==(const Available&) const = default;
};
// The fraction received, 0 to 1 (0 throughout when no length was announced).
struct Downloading {
  double fraction = 0;
  bool operator==(const Downloading&) const = default;
};
// The archive is verified and being put in place.
struct Installing {
  bool operator==(const Installing&) const = default;
};
// The last reported check or the installation failed; the text is shown.
struct Failed {
  QString message;
  bool operator==(const Failed&) const = default;
};
}  // namespace update_state

using UpdateState = std::variant<update_state::Idle, update_state::Checking, update_state::UpToDate,
                                 update_state::Available, update_state::Downloading, update_state::Installing,
                                 update_state::Failed>;

class Updater : public QObject {
  Q_OBJECT

 public:
  // The feed document of one release.
  struct Release {
    QString version;
    long long build = 0;
    // The archive's address.
    QString url;
    // Hexadecimal SHA-256 of the archive, in either letter case.
    QString sha256;
    std::optional<QString> notes;
    bool operator==(const Release&) const = default;

    // Strict: "version", "build" (an integer), "url" and "sha256" required,
    // "notes" missing, null or text; other keys ignored. Throws
    // json::ReadError, or UpdateError when body is not JSON at all.
    static Release decode(std::string_view body);
  };

  struct Setup {
    QString feedURL = Updater::feedURL();
    std::chrono::milliseconds interval = std::chrono::hours(6);
    std::shared_ptr<Installer> installer;
    // The number of running jobs: automatic installation waits for 0.
    std::function<int()> runningJobs;
    // The application's normal quit path, called once the relaunch is handed over.
    std::function<void()> quit;
  };

  // Transfers, file work and tools run on workers.
  Updater(Setup setup, Workers& workers, const Settings& settings, QObject* parent = nullptr);
  // Stops any transfer under way; the background threads then end on their own.
  ~Updater() override;

  // The running application's version text and build number (set at build time).
  static QString currentVersion();
  static long long currentBuild();
  // The release feed of this system on the maker's server.
  static QString feedURL();

  const UpdateState& state() const { return state_; }
  const std::optional<Release>& release() const { return release_; }
  // False when someone else manages this installation: updates are offered, never installed.
  bool updatesItself() const;
  int runningJobs() const;

  // Reads the feed. A silent check shows nothing until it has a result and
  // swallows failures; a reported one shows `checking`, then the outcome.
  // A newer build is installed at once when "autoUpdate" allows it and no job runs.
  void check(bool silent);
  // A silent check now and then one per interval; later calls do nothing.
  // Also lets the installer tidy up after earlier updates.
  void startAutomaticChecks();
  // Whether an installation may end the jobs that run when it is ready to
  // restart: only when the user agreed to that; otherwise it waits for them.
  enum class RunningJobs { wait, end };
  // Downloads, verifies and installs `release`; only in `available`. An
  // archive address that is neither HTTPS nor this machine ends in `failed`
  // with the reason. Right before the app is changed and again right before
  // it restarts, running jobs are looked for: unless they may end, the
  // update goes back to `available` (and is offered again).
  void install(RunningJobs runningJobs = RunningJobs::wait);

 signals:
  void stateChanged();
  void releaseChanged();

 private:
  void setState(UpdateState state);
  void finishCheck(bool silent, std::optional<Release> release, const QString& error);
  bool busyInstalling() const;
  // Back to `available` (the private folder removed) when a job runs that may not end.
  bool waitForJobs(const std::filesystem::path& folder);
  void putInPlace(const std::filesystem::path& archive, const std::filesystem::path& folder, long long build);
  void restart(const process::Spec& relaunch, const std::filesystem::path& folder);

  Setup setup_;
  Workers& workers_;
  const Settings& settings_;
  UpdateState state_;
  std::optional<Release> release_;
  QTimer timer_;
  std::stop_source stop_;
  // The installation under way may end running jobs.
  bool endJobs_ = false;
};

}  // namespace tovrane::app
