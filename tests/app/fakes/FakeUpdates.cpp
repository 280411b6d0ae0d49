#include "tests/app/fakes/FakeUpdates.hpp"

#include "core/support/Files.hpp"
#include "core/support/Json.hpp"
#include "tests/app/AppTest.hpp"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QSettings>
#include <QtTest>

#include <cstdlib>

namespace tovrane::app::test {

std::filesystem::path FakeInstaller::makePrivateFolder() {
  if (folderFailure) throw UpdateError(*folderFailure);
  std::string pattern = (base_ / "private-XXXXXX").string();
  files::createDirectories(base_);
  if (::mkdtemp(pattern.data()) == nullptr) throw files::FileError(base_, "mkdtemp");
  std::lock_guard lock(mutex_);
  folders_.push_back(pattern);
  return pattern;
}

process::Spec FakeInstaller::install(const std::filesystem::path& archive, const std::filesystem::path&,
                                     long long build) {
  const std::string bytes = files::readFile(archive);
  std::unique_lock lock(mutex_);
  // Bounded, so that a test that fails before its release() still ends.
  released_.wait_for(lock, maxHold, [this] { return !held_; });
  installations_.push_back({bytes, build});
  process::Spec relaunch;
  relaunch.program = "/bin/true";
  return relaunch;
}

void FakeInstaller::tidy() {
  std::lock_guard lock(mutex_);
  ++tidied_;
}

void FakeInstaller::hold() {
  std::lock_guard lock(mutex_);
  held_ = true;
}

void FakeInstaller::release() {
  {
    std::lock_guard lock(mutex_);
    held_ = false;
  }
  released_.notify_all();
}

std::vector<FakeInstaller::Installation> FakeInstaller::installations() const {
  std::lock_guard lock(mutex_);
  return installations_;
}

std::vector<std::filesystem::path> FakeInstaller::privateFolders() const {
  std::lock_guard lock(mutex_);
  return folders_;
}

int FakeInstaller::tidied() const {
  std::lock_guard lock(mutex_);
  return tidied_;
}

UpdaterRig::UpdaterRig(std::shared_ptr<Installer> installer, std::chrono::milliseconds interval) {
  QSettings(QStringLiteral("TovraneAndroid")).remove(QStringLiteral("autoUpdate"));
  Updater::Setup setup;
  setup.feedURL = QString::fromStdString(server.url("/feed"));
  setup.interval = interval;
  setup.installer = std::move(installer);
  setup.runningJobs = [this] { return jobs; };
  setup.quit = [this] { ++quits; };
  updater = std::make_unique<Updater>(std::move(setup), workers, settings);
  QObject::connect(updater.get(), &Updater::stateChanged, updater.get(), [this] { states.append(state()); });
}

UpdaterRig::~UpdaterRig() { updater.reset(); }

void UpdaterRig::serveFeed(const std::string& document, std::chrono::milliseconds delay) {
  fakes::FakeReply reply;
  reply.body = document;
  reply.delay = delay;
  server.on("/feed", reply);
}

std::string UpdaterRig::serveArchive(const std::string& bytes, bool announceLength) {
  fakes::FakeReply reply;
  if (announceLength) {
    reply.body = bytes;
  } else {
    for (std::size_t at = 0; at < bytes.size(); at += 262144) reply.chunks.push_back({{}, bytes.substr(at, 262144)});
  }
  server.on("/archive", reply);
  return server.url("/archive");
}

void UpdaterRig::offer(long long build, const std::string& url, const std::string& sha256,
                       std::optional<std::string> notes) {
  settings.setAutoUpdate(false);
  serveFeed(feed(build, url, sha256, std::move(notes)));
  updater->check(false);
  finish();
  states.clear();
}

void UpdaterRig::finish() {
  // A worker's posts are queued before it ends, so each round runs all posts of
  // the calls before it; the updater's longest chain is three calls deep
  // (check, download, putting in place), plus the posts of the last.
  for (int round = 0; round < 4; ++round) {
    QVERIFY(workers.waitForAll(test::patience));
    QCoreApplication::processEvents();
  }
}

int UpdaterRig::requestsTo(const std::string& path) const {
  int count = 0;
  for (const fakes::RecordedRequest& request : server.requests()) count += request.path == path ? 1 : 0;
  return count;
}

QString UpdaterRig::state() const { return describe(updater->state()); }

std::string feed(long long build, const std::string& url, const std::string& sha256,
                 std::optional<std::string> notes, const std::string& version) {
  json::OrderedJson document{{"version", version}, {"build", build}, {"url", url}, {"sha256", sha256}};
  if (notes) document["notes"] = *notes;
  return json::dumpCompact(document);
}

std::string sha256Hex(const std::string& bytes) {
  return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256).toHex().toStdString();
}

QString describe(const UpdateState& state) {
  return std::visit(
      [](const auto& value) -> QString {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, update_state::Idle>) return QStringLiteral("idle");
        if constexpr (std::is_same_v<T, update_state::Checking>) return QStringLiteral("checking");
        if constexpr (std::is_same_v<T, update_state::UpToDate>) return QStringLiteral("upToDate");
        if constexpr (std::is_same_v<T, update_state::Available>) return QStringLiteral("available");
        if constexpr (std::is_same_v<T, update_state::Downloading>) {
          return QStringLiteral("downloading ") + QString::number(value.fraction);
        }
        if constexpr (std::is_same_v<T, update_state::Installing>) return QStringLiteral("installing");
        if constexpr (std::is_same_v<T, update_state::Failed>) return QStringLiteral("failed: ") + value.message;
      },
      state);
}

}  // namespace tovrane::app::test
