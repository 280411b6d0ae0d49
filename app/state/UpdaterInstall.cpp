#include "app/state/UpdaterInstall.hpp"

#include "app/platform/PlatformTexts.hpp"
#include "app/state/AppPaths.hpp"
#include "core/support/Files.hpp"
#include "core/support/Host.hpp"
#include "core/support/Http.hpp"

#include <QCryptographicHash>
#include <QFile>
#include <QXmlStreamReader>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tovrane::app {

namespace fs = std::filesystem;

namespace {

QString noApp() { return QStringLiteral("Im Update steckt keine App."); }

QString downloadFailure(int status) {
  return QStringLiteral("Update-Download fehlgeschlagen: ") + serverFailure(status);
}

QString notThisBuild(long long build) {
  return QStringLiteral("Das Update enthält nicht Build %1.").arg(build);
}

[[noreturn]] void failWithErrno(const fs::path& path) { throw files::FileError(path, errno); }

// The folder in which the update's renames happen must be writable by us, as
// the kernel judges it for this process (effective ids).
void requireWritable(const fs::path& folder) {
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    throw UpdateError(platformText(QStringLiteral("Keine Schreibrechte für /Programme."),
                                   QString::fromStdString(folder.string())));
  }
}

// mkdtemp gives a new name and mode 0700 in one step, so no other user can
// place anything inside before we do.
fs::path makeUniqueFolder(const fs::path& parent, const std::string& prefix) {
  std::string pattern = (parent / (prefix + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) failWithErrno(parent);
  return pattern;
}

void makeFolder(const fs::path& path) {
  if (::mkdir(path.c_str(), 0700) != 0) failWithErrno(path);
}

void renameOver(const fs::path& from, const fs::path& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) failWithErrno(to);
}

void removeTree(const fs::path& path) {
  std::error_code error;
  fs::remove_all(path, error);
  if (error) throw files::FileError(path, error);
}

// Runs a tool and waits for it; any status but 0 fails with the tool's path and status.
void runTool(const fs::path& program, std::vector<std::string> arguments) {
  process::Spec spec;
  spec.program = program;
  spec.arguments = std::move(arguments);
  spec.environment = Host::system().environment();
  spec.outputs = process::Outputs::discard;
  spec.input = process::Input::null;
  const process::Result result = process::run(spec);
  if (result.status != 0 || result.signaled) {
    throw UpdateError(QStringLiteral("%1 fehlgeschlagen (%2)").arg(QString::fromStdString(program.string())).arg(result.status));
  }
}

// The file's text without trailing blanks and line breaks; empty when unreadable.
std::string trimmedText(const fs::path& path) {
  std::string text;
  try {
    text = files::readFile(path);
  } catch (const files::FileError&) {
    return {};
  }
  while (!text.empty() && std::strchr(" \t\r\n", text.back()) != nullptr) text.pop_back();
  return text;
}

bool isBuildName(const std::string& name) {
  return !name.empty() && name.size() <= 18 && std::all_of(name.begin(), name.end(), [](char c) {
           return c >= '0' && c <= '9';
         });
}

process::Spec shell(const char* script, std::vector<std::string> parameters) {
  process::Spec spec;
  spec.program = "/bin/sh";
  spec.arguments = {"-c", script, "sh"};
  spec.arguments.insert(spec.arguments.end(), parameters.begin(), parameters.end());
  spec.environment = Host::system().environment();
  return spec;
}

// $1 the process to outlive; then the program and its arguments.
constexpr const char* relaunchScript =
    "while kill -0 \"$1\" 2>/dev/null; do sleep 0.3; done; shift; exec \"$@\"";

// $1 the process to outlive, $2 the new bundle, $3 the target, $4 the running
// bundle, $5 the private download folder. The EXIT trap reopens the running
// bundle whenever the script stops early; only a complete swap disarms it.
constexpr const char* swapScript = R"(set -e
while kill -0 "$1" 2>/dev/null; do sleep 0.3; done
new=$2
target=$3
running=$4
work=$5
staged=$target.tovrane-update
old=$target.tovrane-previous
trap '/usr/bin/open "$running"' EXIT
rm -rf "$staged" "$old"
/usr/bin/ditto "$new" "$staged"
/usr/bin/xattr -dr com.apple.quarantine "$staged" 2>/dev/null || true
if [ -e "$target" ]; then mv "$target" "$old"; fi
if ! mv "$staged" "$target"; then
  if [ -e "$old" ]; then mv "$old" "$target"; fi
  exit 1
fi
trap - EXIT
rm -rf "$old" "$work" || true
exec /usr/bin/open "$target")";

// Owns a descriptor opened for writing; closes it on every way out.
class OutputFile {
 public:
  explicit OutputFile(const fs::path& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd_ < 0) failWithErrno(path_);
  }
  ~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t count = ::write(fd_, bytes.data(), bytes.size());
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) failWithErrno(path_);
      bytes.remove_prefix(static_cast<std::size_t>(count));
    }
  }
  void close() {
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) failWithErrno(path_);
  }

 private:
  fs::path path_;
  int fd_ = -1;
};

// The announced body length, or -1 when there is none or it is not a number.
long long contentLength(const http::Head& head) {
  const std::optional<std::string> text = head.header("content-length");
  long long length = -1;
  if (!text || std::from_chars(text->data(), text->data() + text->size(), length).ptr != text->data() + text->size()) {
    return -1;
  }
  return length;
}

}  // namespace

bool isSuccess(int status) { return status >= 200 && status <= 299; }

QString serverFailure(int status) { return QStringLiteral("Der Server antwortet mit Fehler %1.").arg(status); }

QString downloadArchive(const QString& url, const fs::path& path, const std::function<void(double)>& progress,
                        std::stop_token stop) {
  OutputFile file(path);
  std::string buffer;
  buffer.reserve(downloadChunk);
  QCryptographicHash digest(QCryptographicHash::Sha256);
  std::optional<long long> expected;
  long long written = 0;

  http::Request request;
  request.url = url.toStdString();
  const http::Head answer = http::streamBytes(
      request,
      [&](const http::Head& head, std::string_view bytes) {
        if (!isSuccess(head.status)) throw UpdateError(downloadFailure(head.status));
        if (!expected) expected = contentLength(head);
        digest.addData(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        while (!bytes.empty()) {
          const std::size_t taken = std::min(bytes.size(), downloadChunk - buffer.size());
          buffer.append(bytes.substr(0, taken));
          bytes.remove_prefix(taken);
          if (buffer.size() < downloadChunk) continue;
          file.write(buffer);
          written += static_cast<long long>(buffer.size());
          buffer.clear();
          if (*expected >= 1) progress(std::min(1.0, static_cast<double>(written) / static_cast<double>(*expected)));
        }
        return http::Flow::proceed;
      },
      stop);
  // An error answer without a body never reached the handler.
  if (!isSuccess(answer.status)) throw UpdateError(downloadFailure(answer.status));
  file.write(buffer);
  file.close();
  return QString::fromLatin1(digest.result().toHex());
}

std::shared_ptr<Installer> Installer::forThisSystem(const fs::path& program) {
#ifdef Q_OS_MACOS
  return std::make_shared<MacBundleInstaller>(program);
#else
  return std::make_shared<LinuxLayoutInstaller>(AppPaths::folder().toStdString(), program);
#endif
}

process::Spec relaunchAfterExit(pid_t pid, const fs::path& program) {
  return shell(relaunchScript, {std::to_string(pid), program.string()});
}

process::Spec swapBundleAfterExit(pid_t pid, const fs::path& newBundle, const fs::path& target,
                                  const fs::path& runningBundle, const fs::path& privateFolder) {
  return shell(swapScript,
               {std::to_string(pid), newBundle.string(), target.string(), runningBundle.string(), privateFolder.string()});
}

LinuxLayoutInstaller::LinuxLayoutInstaller(fs::path appFolder, const fs::path& program)
    : versions_(std::move(appFolder) / "versions") {
  std::error_code error;
  const fs::path versions = fs::canonical(versions_, error);
  if (error) return;
  const fs::path executable = fs::canonical(program, error);
  if (error) return;
  const fs::path bin = executable.parent_path();
  if (executable.filename() == "tovrane-android" && bin.filename() == "bin" &&
      bin.parent_path().parent_path() == versions) {
    ownVersion_ = bin.parent_path().filename().string();
  }
}

fs::path LinuxLayoutInstaller::makePrivateFolder() {
  requireWritable(versions_);
  return makeUniqueFolder(versions_, ".update-");
}

process::Spec LinuxLayoutInstaller::install(const fs::path& archive, const fs::path& privateFolder, long long build) {
  const fs::path unpacked = privateFolder / "unpacked";
  makeFolder(unpacked);
  runTool("/usr/bin/tar", {"-x", "-z", "-f", archive.string(), "-C", unpacked.string(), "--no-same-owner",
                           "--no-same-permissions"});

  // Exactly one real folder, holding an executable program and this build's number.
  const std::vector<fs::path> entries = files::listChildren(unpacked, {.includeHidden = true, .followSymlinks = true});
  struct stat info {};
  if (entries.size() != 1 || ::lstat(entries[0].c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    throw UpdateError(noApp());
  }
  const fs::path app = entries[0];
  const fs::path program = app / "bin" / "tovrane-android";
  if (::lstat(program.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || (info.st_mode & S_IXUSR) == 0) {
    throw UpdateError(noApp());
  }
  const std::string name = std::to_string(build);
  if (trimmedText(app / "BUILD") != name) throw UpdateError(notThisBuild(build));

  const fs::path target = versions_ / name;
  const fs::path current = versions_ / "current";
  std::error_code error;
  // A leftover of this build (an interrupted earlier attempt) goes, unless it
  // is what "current" names: then this build is installed already.
  if (!fs::equivalent(current, target, error)) {
    removeTree(target);
    renameOver(app, target);
    const fs::path link = privateFolder / "current";
    if (::symlink(name.c_str(), link.c_str()) != 0) failWithErrno(link);
    renameOver(link, current);
  }
  fs::remove_all(privateFolder, error);
  return relaunchAfterExit(::getpid(), target / "bin" / "tovrane-android");
}

void LinuxLayoutInstaller::tidy() {
  if (!ownVersion_) return;
  std::error_code error;
  std::set<std::string> keep{*ownVersion_};
  const fs::path current = fs::canonical(versions_ / "current", error);
  if (!error) keep.insert(current.filename().string());

  std::map<long long, fs::path> others;
  const auto staleBefore = fs::file_time_type::clock::now() - std::chrono::hours(24);
  for (fs::directory_iterator it(versions_, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    std::error_code entryError;
    if (it->is_symlink(entryError) || !it->is_directory(entryError)) continue;
    if (isBuildName(name) && !keep.count(name)) {
      others.emplace(std::stoll(name), it->path());
    } else if (name.rfind(".update-", 0) == 0 && fs::last_write_time(it->path(), entryError) < staleBefore &&
               !entryError) {
      fs::remove_all(it->path(), entryError);
    }
  }
  // The newest other version is the one to go back to; older ones go.
  if (!others.empty()) others.erase(std::prev(others.end()));
  for (const auto& [build, folder] : others) fs::remove_all(folder, error);
}

MacBundleInstaller::MacBundleInstaller(const fs::path& program) {
  std::error_code error;
  fs::path executable = fs::canonical(program, error);
  if (error) executable = program.lexically_normal();
  const fs::path contents = executable.parent_path().parent_path();
  if (executable.parent_path().filename() == "MacOS" && contents.filename() == "Contents" &&
      contents.parent_path().extension() == ".app") {
    bundle_ = contents.parent_path();
  }
}

fs::path MacBundleInstaller::target(const fs::path& runningBundle) {
  if (runningBundle.string().rfind("/Applications/", 0) == 0) return runningBundle;
  return "/Applications/TovraneAndroid.app";
}

fs::path MacBundleInstaller::makePrivateFolder() {
  requireWritable(target(bundle_.value_or(fs::path())).parent_path());
  return makeUniqueFolder(Host::system().temporaryFolder(), "TovraneAndroid-update-");
}

process::Spec MacBundleInstaller::install(const fs::path& archive, const fs::path& privateFolder, long long build) {
  const fs::path unpacked = privateFolder / "unpacked";
  makeFolder(unpacked);
  runTool("/usr/bin/ditto", {"-x", "-k", archive.string(), unpacked.string()});
  std::optional<fs::path> newBundle;
  for (const fs::path& entry : files::listChildren(unpacked)) {
    std::error_code error;
    if (entry.extension() == ".app" && fs::is_directory(entry, error)) {
      newBundle = entry;
      break;
    }
  }
  if (!newBundle) throw UpdateError(noApp());
  const std::optional<std::string> bundleBuild =
      propertyListString(*newBundle / "Contents" / "Info.plist", "CFBundleVersion");
  if (bundleBuild != std::to_string(build)) throw UpdateError(notThisBuild(build));
  return swapBundleAfterExit(::getpid(), *newBundle, target(*bundle_), *bundle_, privateFolder);
}

std::optional<std::string> propertyListString(const fs::path& plist, const std::string& key) {
  QFile file(QString::fromStdString(plist.string()));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QXmlStreamReader reader(&file);
  // Keys of the top dictionary lie at depth 3: plist, dict, key.
  int depth = 0;
  bool keyFound = false;
  while (!reader.atEnd()) {
    const QXmlStreamReader::TokenType token = reader.readNext();
    if (token == QXmlStreamReader::EndElement) --depth;
    if (token != QXmlStreamReader::StartElement || ++depth != 3) continue;
    const QStringView element = reader.name();
    if (keyFound) {
      if (element != QLatin1String("string")) return std::nullopt;
      const QString value = reader.readElementText();
      return reader.hasError() ? std::nullopt : std::optional<std::string>(value.trimmed().toStdString());
    }
    // Both calls read up to the element's end, which the loop then never sees.
    if (element == QLatin1String("key")) {
      keyFound = reader.readElementText() == QString::fromStdString(key);
    } else {
      reader.skipCurrentElement();
    }
    --depth;
  }
  return std::nullopt;
}

}  // namespace tovrane::app
