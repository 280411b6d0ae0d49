#pragma once
// Putting a downloaded, verified update in place of the running application,
// one installer per kind of installation, and the scripts that start the new
// version once this process has ended.
//
// Linux: the data folder's "TovraneAndroid/versions/" holds one complete app
// per build ("versions/<build>/bin/tovrane-android", resources, a file
// "BUILD"), and "versions/current" is a relative link to one of them, which
// the desktop entry starts. An update is unpacked in a private folder inside
// "versions/", so that putting it in place is a rename, and the link is
// replaced by renaming a new link over it. Nothing the running version uses
// is touched before the new tree is complete and checked.
//
// macOS: the archive is a zip holding the bundle; a script run after this
// process has ended copies it beside the installed bundle and swaps it in.
#include "core/support/Process.hpp"

#include <QString>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <sys/types.h>

namespace tovrane::app {

// A failed installation step; what() is the German text the user sees.
class UpdateError : public std::runtime_error {
 public:
  explicit UpdateError(const QString& message) : std::runtime_error(message.toStdString()) {}
  QString message() const { return QString::fromStdString(what()); }
};

// One installation's way of taking an update. Called on a worker thread, one
// installation at a time; failures throw UpdateError, files::FileError or
// process::StartError.
class Installer {
 public:
  virtual ~Installer() = default;

  // False for an installation that someone else manages (a package, a build
  // folder): the updater then offers the update but never installs it.
  virtual bool updatesItself() const = 0;
  // The archive's file name inside the private folder.
  virtual std::string archiveName() const = 0;
  // A new private folder (mode 0700, unique) for one download; first makes
  // sure that the installation can be written at all.
  virtual std::filesystem::path makePrivateFolder() = 0;
  // Unpacks the verified archive inside privateFolder, checks that it holds
  // the app of `build`, and puts it in place as far as this system allows
  // while the app runs. Returns the command that, started detached, waits for
  // this process to end and then starts the new version.
  virtual process::Spec install(const std::filesystem::path& archive, const std::filesystem::path& privateFolder,
                                long long build) = 0;
  // Removes what earlier updates left behind. Called once at start-up.
  virtual void tidy() = 0;

  // The installer for the running program on this system.
  static std::shared_ptr<Installer> forThisSystem(const std::filesystem::path& program);
};

class LinuxLayoutInstaller final : public Installer {
 public:
  // appFolder: the "TovraneAndroid" data folder; program: the running
  // executable. The app updates itself only when program is
  // "versions/<folder>/bin/tovrane-android" below appFolder (links resolved).
  LinuxLayoutInstaller(std::filesystem::path appFolder, const std::filesystem::path& program);

  bool updatesItself() const override { return ownVersion_.has_value(); }
  std::string archiveName() const override { return "TovraneAndroid-update.tar.gz"; }
  std::filesystem::path makePrivateFolder() override;
  process::Spec install(const std::filesystem::path& archive, const std::filesystem::path& privateFolder,
                        long long build) override;
  // Keeps the version "current" names, the running one and the newest other
  // one; removes further version folders and private folders older than a day.
  void tidy() override;

  std::filesystem::path versionsFolder() const { return versions_; }

 private:
  std::filesystem::path versions_;
  // The name of the version folder the running program lies in.
  std::optional<std::string> ownVersion_;
};

class MacBundleInstaller final : public Installer {
 public:
  // program: the running executable, "<bundle>.app/Contents/MacOS/<name>".
  explicit MacBundleInstaller(const std::filesystem::path& program);

  bool updatesItself() const override { return bundle_.has_value(); }
  std::string archiveName() const override { return "TovraneAndroid-update.zip"; }
  std::filesystem::path makePrivateFolder() override;
  process::Spec install(const std::filesystem::path& archive, const std::filesystem::path& privateFolder,
                        long long build) override;
  void tidy() override {}

  // Where the new bundle goes: the running bundle when it lies in
  // "/Applications/", else "/Applications/TovraneAndroid.app".
  static std::filesystem::path target(const std::filesystem::path& runningBundle);

 private:
  std::optional<std::filesystem::path> bundle_;
};

// The download's write size: at most this much of the archive sits in memory.
inline constexpr std::size_t downloadChunk = 1048576;

// Whether the server's answer is what was asked for (a 2xx status).
bool isSuccess(int status);
// The German text of an answer with an error status.
QString serverFailure(int status);

// Streams url into a new file at path (mode 0600; an existing file is an
// error), downloadChunk bytes per write. After each full chunk, when the
// server announced a length of at least one byte, progress gets the fraction
// written so far; the rest at the end reports nothing. Returns the lower-case
// hexadecimal SHA-256 of the bytes received, computed as they arrive. An
// answer with an error status throws UpdateError ("Update-Download
// fehlgeschlagen: " and serverFailure) before its body is written. Throws
// http::HttpError or files::FileError too; a partial file stays.
QString downloadArchive(const QString& url, const std::filesystem::path& path,
                        const std::function<void(double fraction)>& progress, std::stop_token stop = {});

// "/bin/sh" waiting until process pid has ended, then replacing itself with
// program (no arguments). Paths reach the shell only as positional
// parameters, never as script text.
process::Spec relaunchAfterExit(pid_t pid, const std::filesystem::path& program);

// "/bin/sh" waiting until process pid has ended, then copying newBundle
// beside target under a temporary name, clearing its quarantine mark,
// swapping it in by renames, removing the old bundle and privateFolder, and
// opening target. When a step fails, the old bundle stays (or is moved back)
// and runningBundle is opened again. Paths are positional parameters only.
process::Spec swapBundleAfterExit(pid_t pid, const std::filesystem::path& newBundle,
                                  const std::filesystem::path& target, const std::filesystem::path& runningBundle,
                                  const std::filesystem::path& privateFolder);

// The text of key in an XML property list (a bundle's Info.plist), or
// nullopt when the file, the key or a string value is missing.
std::optional<std::string> propertyListString(const std::filesystem::path& plist, const std::string& key);

}  // namespace tovrane::app
