#include "app/state/Updater.hpp"

#include "app/state/MainThread.hpp"
#include "app/state/Settings.hpp"
#include "app/state/Workers.hpp"
#include "core/support/ErrorText.hpp"
#include "core/support/Http.hpp"
#include "core/support/Json.hpp"

#include <QPointer>
#include <QSysInfo>
#include <QUrl>

#include <arpa/inet.h>

namespace tovrane::app {

namespace fs = std::filesystem;

namespace {

constexpr std::chrono::seconds feedTimeout{15};

// The German description of a failure, for the `failed` state.
QString describe(const std::exception& error) { return QString::fromStdString(errortext::describe(error)); }

// The same for a failure of a transfer from url: transport failures name
// the host, the one detail a user can act on.
QString describe(const std::exception& error, const QString& url) {
  if (const auto* httpError = dynamic_cast<const http::HttpError*>(&error)) {
    const QString host = QUrl(url).host();
    switch (httpError->kind()) {
      case http::ErrorKind::network: return QStringLiteral("Keine Verbindung zum Server (%1)").arg(host);
      case http::ErrorKind::timeout: return QStringLiteral("Der Server antwortet nicht (%1)").arg(host);
      case http::ErrorKind::invalidURL: return QStringLiteral("Ungültige Adresse (%1)").arg(url);
      case http::ErrorKind::cancelled:
      case http::ErrorKind::other: break;
    }
  }
  return describe(error);
}

// Nothing of an installation that did not end in a restart is kept.
void removeFolder(const fs::path& folder) {
  std::error_code ignored;
  if (!folder.empty()) fs::remove_all(folder, ignored);
}

// Why the archive at that address is not fetched; nullopt when it may be.
// Archives come over TLS only; plain HTTP is accepted from this machine
// itself, whose answer the digest still has to match.
std::optional<QString> refusedArchiveURL(const QString& text) {
  const QUrl url(text, QUrl::StrictMode);
  if (!url.isValid() || url.host().isEmpty() ||
      (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http"))) {
    return QStringLiteral("Update nicht geladen: Die Adresse des Archivs ist ungültig.");
  }
  if (url.scheme() == QLatin1String("https")) return std::nullopt;
  const std::string host = url.host().toStdString();
  in_addr address4{};
  in6_addr address6{};
  const bool loopback =
      host == "localhost" ||
      (inet_pton(AF_INET, host.c_str(), &address4) == 1 && (ntohl(address4.s_addr) >> 24) == 127) ||
      (inet_pton(AF_INET6, host.c_str(), &address6) == 1 && IN6_IS_ADDR_LOOPBACK(&address6));
  if (loopback) return std::nullopt;
  return QStringLiteral("Update nicht geladen: Das Archiv liegt auf einer unverschlüsselten http-Adresse.");
}

}  // namespace

Updater::Release Updater::Release::decode(std::string_view body) {
  const std::optional<json::Json> document = json::tryParse(body);
  if (!document) throw UpdateError(QStringLiteral("Die Antwort ist kein JSON-Dokument."));
  const json::Reader reader(*document);
  reader.object();
  Release release;
  release.version = QString::fromStdString(reader.at("version").string());
  release.build = reader.at("build").integer();
  release.url = QString::fromStdString(reader.at("url").string());
  release.sha256 = QString::fromStdString(reader.at("sha256").string());
  if (const std::optional<json::Reader> notes = reader.optional("notes")) {
    release.notes = QString::fromStdString(notes->string());
  }
  return release;
}

Updater::Updater(Setup setup, Workers& workers, const Settings& settings, QObject* parent)
    : QObject(parent), setup_(std::move(setup)), workers_(workers), settings_(settings) {
  timer_.setInterval(setup_.interval);
  connect(&timer_, &QTimer::timeout, this, [this] { check(true); });
}

Updater::~Updater() { stop_.request_stop(); }

QString Updater::currentVersion() { return QStringLiteral(TOVRANE_APP_VERSION); }

long long Updater::currentBuild() { return TOVRANE_APP_BUILD; }

QString Updater::feedURL() {
#ifdef Q_OS_MACOS
  const QString document = QStringLiteral("version.json");
#else
  const QString document = QStringLiteral("version-linux-%1.json").arg(QSysInfo::buildCpuArchitecture());
#endif
  return QStringLiteral("https://" TOVRANE_UPDATE_HOST "/tovraneandroid/download/") + document;
}

bool Updater::updatesItself() const { return setup_.installer->updatesItself(); }

int Updater::runningJobs() const { return setup_.runningJobs(); }

bool Updater::busyInstalling() const {
  return std::holds_alternative<update_state::Downloading>(state_) ||
         std::holds_alternative<update_state::Installing>(state_);
}

void Updater::setState(UpdateState state) {
  if (state == state_) return;
  state_ = std::move(state);
  emit stateChanged();
}

void Updater::check(bool silent) {
  if (busyInstalling()) return;
  if (!silent) setState(update_state::Checking{});
  http::Request request;
  request.url = setup_.feedURL.toStdString();
  request.timeout = feedTimeout;
  workers_.run([this, guard = QPointer<QObject>(this), silent, request, stop = stop_.get_token()] {
    std::optional<Release> release;
    QString error;
    try {
      const http::Response response = http::send(request, stop);
      if (!isSuccess(response.status)) throw UpdateError(serverFailure(response.status));
      release = Release::decode(response.body);
    } catch (const std::exception& failure) {
      error = describe(failure, QString::fromStdString(request.url));
    }
    postToMain(guard, [this, silent, release = std::move(release), error] { finishCheck(silent, release, error); });
  });
}

void Updater::finishCheck(bool silent, std::optional<Release> release, const QString& error) {
  // An installation under way has taken its release; nothing may start a second one.
  if (busyInstalling()) return;
  if (!release) {
    if (!silent) setState(update_state::Failed{QStringLiteral("Update-Prüfung fehlgeschlagen: ") + error});
    return;
  }
  if (release_ != release) {
    release_ = std::move(release);
    emit releaseChanged();
  }
  if (currentBuild() >= release_->build) {
    setState(silent ? UpdateState(update_state::Idle{}) : UpdateState(update_state::UpToDate{}));
    return;
  }
  setState(update_state::Available{});
  if (settings_.autoUpdate() && runningJobs() == 0) install();
}

void Updater::startAutomaticChecks() {
  if (timer_.isActive()) return;
  workers_.run([installer = setup_.installer] {
    // What earlier updates left only takes disk space; a failure here changes nothing else.
    try {
      installer->tidy();
    } catch (const std::exception&) {
    }
  });
  check(true);
  timer_.start();
}

void Updater::install(RunningJobs runningJobs) {
  if (!std::holds_alternative<update_state::Available>(state_) || !release_ || !updatesItself()) return;
  const Release release = *release_;
  if (const std::optional<QString> refusal = refusedArchiveURL(release.url)) {
    setState(update_state::Failed{*refusal});
    return;
  }
  endJobs_ = runningJobs == RunningJobs::end;
  setState(update_state::Downloading{0});
  workers_.run([this, guard = QPointer<QObject>(this), release, installer = setup_.installer,
                stop = stop_.get_token()] {
    fs::path folder;
    try {
      folder = installer->makePrivateFolder();
      const fs::path archive = folder / installer->archiveName();
      const QString digest = downloadArchive(
          release.url, archive,
          [this, guard](double fraction) {
            postToMain(guard, [this, fraction] { setState(update_state::Downloading{fraction}); });
          },
          stop);
      if (digest != release.sha256.toLower()) {
        throw UpdateError(QStringLiteral("Prüfsumme stimmt nicht – Download beschädigt."));
      }
      postToMain(guard, [this, archive, folder, build = release.build] { putInPlace(archive, folder, build); });
    } catch (const std::exception& failure) {
      removeFolder(folder);
      postToMain(guard, [this, message = describe(failure, release.url)] { setState(update_state::Failed{message}); });
    }
  });
}

bool Updater::waitForJobs(const fs::path& folder) {
  if (endJobs_ || runningJobs() == 0) return false;
  // A job started while the update was under way: it must not end for it.
  // The update is offered again, as when a check finds a job running.
  removeFolder(folder);
  setState(update_state::Available{});
  return true;
}

void Updater::putInPlace(const fs::path& archive, const fs::path& folder, long long build) {
  if (waitForJobs(folder)) return;
  setState(update_state::Installing{});
  workers_.run([this, guard = QPointer<QObject>(this), archive, folder, build, installer = setup_.installer,
                stop = stop_.get_token()] {
    try {
      // Quitting while the download ended: the installed version stays as it is.
      if (stop.stop_requested()) throw http::HttpError(http::ErrorKind::cancelled, "Abgebrochen.");
      process::Spec relaunch = installer->install(archive, folder, build);
      postToMain(guard, [this, relaunch = std::move(relaunch), folder] { restart(relaunch, folder); });
    } catch (const std::exception& failure) {
      removeFolder(folder);
      postToMain(guard, [this, message = describe(failure)] { setState(update_state::Failed{message}); });
    }
  });
}

void Updater::restart(const process::Spec& relaunch, const fs::path& folder) {
  // Checked here, on the UI thread, so that no job can start between this and the quit.
  if (waitForJobs(folder)) return;
  try {
    process::startDetached(relaunch);
  } catch (const std::exception& failure) {
    removeFolder(folder);
    setState(update_state::Failed{describe(failure)});
    return;
  }
  setup_.quit();
}

}  // namespace tovrane::app
