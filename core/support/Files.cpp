#include "core/support/Files.hpp"

#include "core/support/ErrorText.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace tovrane::files {
namespace {

[[noreturn]] void failErrno(const fs::path& path, int error) { throw FileError(path, error); }

// Closes the descriptor on every path out.
struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

void writeAll(int fd, std::string_view bytes, const fs::path& path) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      failErrno(path, errno);
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

constexpr std::size_t randomLength = 12;
constexpr std::string_view randomDigits = "0123456789abcdefghijklmnopqrstuvwxyz";

std::string randomSuffix() {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  std::string s;
  for (std::size_t i = 0; i < randomLength; ++i) s += randomDigits[generator() % randomDigits.size()];
  return s;
}

// What temporarySibling puts before the random letters.
std::string siblingPrefix(const fs::path& path, std::string_view tag) {
  std::string suffix(1, '.');
  suffix.append(tag).append("-");
  std::string hidden(1, '.');
  std::string name = fittedName(hidden.append(path.filename().string()), suffix + std::string(randomLength, '0'));
  name.resize(name.size() - randomLength);
  return name;
}

bool isHidden(const fs::path& p) {
  const auto name = p.filename().string();
  return !name.empty() && name[0] == '.';
}

[[noreturn]] void failTooLarge(const fs::path& path, std::size_t maxBytes) {
  std::string reason = "ist größer als ";
  throw FileError(path, reason.append(std::to_string(maxBytes >> 20)).append(" MB"), EFBIG);
}

// The rest of an open file, at most maxBytes of it (EFBIG beyond).
std::string readToEnd(int fd, const fs::path& path, const struct stat& st, std::size_t maxBytes) {
  std::string out;
  if (st.st_size > 0) out.reserve(std::min(static_cast<std::size_t>(st.st_size), maxBytes));
  char buffer[65536];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      failErrno(path, errno);
    }
    if (n == 0) break;
    if (static_cast<std::size_t>(n) > maxBytes - out.size()) failTooLarge(path, maxBytes);
    out.append(buffer, static_cast<std::size_t>(n));
  }
  return out;
}

}  // namespace

FileError::FileError(fs::path path, const std::string& message, int error)
    : std::runtime_error(path.string() + ": " + message), path_(std::move(path)), reason_(message), error_(error) {}

FileError::FileError(fs::path path, int error) : FileError(std::move(path), errortext::systemText(error), error) {}

FileError::FileError(fs::path path, const std::error_code& error)
    : FileError(std::move(path), errortext::systemText(error), error.value()) {}

void createDirectories(const fs::path& path) {
  if (path.empty()) return;
  std::error_code ec;
  fs::create_directories(path, ec);
  if (ec) throw FileError(path, ec);
}

std::string fittedName(std::string_view name, std::string_view suffix) {
  const std::size_t room = maxNameBytes > suffix.size() ? maxNameBytes - suffix.size() : 0;
  if (name.size() > room) {
    std::size_t cut = room;
    // Back up to the first byte of a UTF-8 character.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name = name.substr(0, cut);
  }
  std::string out(name);
  return out.append(suffix);
}

fs::path temporarySibling(const fs::path& path, std::string_view tag) {
  return path.parent_path() / (siblingPrefix(path, tag) + randomSuffix());
}

bool isTemporarySibling(const fs::path& candidate, const fs::path& path, std::string_view tag) {
  const std::string name = candidate.filename().string();
  const std::string prefix = siblingPrefix(path, tag);
  return name.size() == prefix.size() + randomLength && name.starts_with(prefix) &&
         name.find_first_not_of(randomDigits, prefix.size()) == std::string::npos;
}

void writeAtomic(const fs::path& path, std::string_view bytes, mode_t mode, Flush flush) {
  createDirectories(path.parent_path());
  Fd out;
  fs::path temporary;
  for (int attempt = 0; attempt < 100 && out.fd < 0; ++attempt) {
    temporary = temporarySibling(path, "tmp");
    // O_EXCL: never reuse or follow something already there. The mode is
    // given at creation, so the content is never visible with wider rights.
    out.fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (out.fd < 0 && errno != EEXIST) failErrno(path, errno);
  }
  if (out.fd < 0) failErrno(path, EEXIST);
  try {
    // The umask may have narrowed the mode; set exactly what was asked for.
    if (::fchmod(out.fd, mode) != 0) failErrno(path, errno);
    writeAll(out.fd, bytes, path);
    if (flush == Flush::now && ::fsync(out.fd) != 0) failErrno(path, errno);
    const int fd = out.fd;
    out.fd = -1;
    if (::close(fd) != 0) failErrno(path, errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) failErrno(path, errno);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
}

bool renameIfAbsent(const fs::path& from, const fs::path& to) {
#if defined(__linux__)
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EEXIST) return false;
  // Some file systems cannot rename without replacing; they get the check below.
  if (errno != EINVAL && errno != ENOSYS) failErrno(from, errno);
#elif defined(__APPLE__)
  if (::renamex_np(from.c_str(), to.c_str(), RENAME_EXCL) == 0) return true;
  if (errno == EEXIST) return false;
  if (errno != ENOTSUP) failErrno(from, errno);
#endif
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) return false;
  if (::rename(from.c_str(), to.c_str()) != 0) failErrno(from, errno);
  return true;
}

void syncFileSystem(const fs::path& path) {
  Fd fd;
  fd.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd.fd < 0) failErrno(path, errno);
#ifdef __linux__
  if (::syncfs(fd.fd) != 0) failErrno(path, errno);
#else
  ::sync();
#endif
}

void writeFile(const fs::path& path, std::string_view bytes) {
  createDirectories(path.parent_path());
  Fd out;
  out.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out.fd < 0) failErrno(path, errno);
  writeAll(out.fd, bytes, path);
}

void appendToExisting(const fs::path& path, std::string_view bytes) {
  Fd out;
  out.fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
  if (out.fd < 0) failErrno(path, errno);
  writeAll(out.fd, bytes, path);
}

std::string readFile(const fs::path& path) {
  Fd in;
  in.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (in.fd < 0) failErrno(path, errno);
  struct stat st {};
  if (::fstat(in.fd, &st) != 0) failErrno(path, errno);
  if (S_ISDIR(st.st_mode)) failErrno(path, EISDIR);
  return readToEnd(in.fd, path, st, std::string().max_size());
}

std::string readRegularFile(const fs::path& path, std::size_t maxBytes) {
  Fd in;
  // O_NONBLOCK: opening a FIFO without a writer must not wait for one.
  in.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (in.fd < 0) failErrno(path, errno);
  struct stat st {};
  if (::fstat(in.fd, &st) != 0) failErrno(path, errno);
  if (!S_ISREG(st.st_mode)) throw FileError(path, "ist keine gewöhnliche Datei", EINVAL);
  if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) failTooLarge(path, maxBytes);
  return readToEnd(in.fd, path, st, maxBytes);
}

void copyFile(const fs::path& from, const fs::path& to) {
  writeFile(to, readFile(from));
}

std::vector<fs::path> listFiles(const fs::path& root, const ListOptions& options,
                                bool (*skip)(const fs::path& folder)) {
  std::vector<fs::path> out;
  std::error_code ec;
  auto dirOptions = fs::directory_options::skip_permission_denied;
  if (options.followSymlinks) dirOptions |= fs::directory_options::follow_directory_symlink;
  fs::recursive_directory_iterator it(root, dirOptions, ec), end;
  if (ec) throw FileError(root, ec);
  for (; it != end; it.increment(ec)) {
    if (ec) throw FileError(root, ec);
    const fs::path& p = it->path();
    if (!options.includeHidden && isHidden(p)) {
      if (it->is_directory(ec)) it.disable_recursion_pending();
      continue;
    }
    const bool isLink = it->is_symlink(ec);
    if (it->is_directory(ec)) {
      if (skip && skip(p)) it.disable_recursion_pending();
      continue;
    }
    if (isLink && !options.followSymlinks) continue;
    if (it->is_regular_file(ec)) out.push_back(p);
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<fs::path> listChildren(const fs::path& folder, const ListOptions& options) {
  std::vector<fs::path> out;
  std::error_code ec;
  fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
  if (ec) throw FileError(folder, ec);
  for (; it != end; it.increment(ec)) {
    if (ec) throw FileError(folder, ec);
    if (!options.includeHidden && isHidden(it->path())) continue;
    if (!options.followSymlinks && it->is_symlink(ec)) continue;
    out.push_back(it->path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

fs::path normalPath(const fs::path& path) {
  std::error_code ec;
  fs::path normal = fs::absolute(path, ec).lexically_normal();
  if (ec) throw FileError(path, ec);
  if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
  return normal;
}

bool isWithin(const fs::path& outer, const fs::path& inner) {
  std::error_code outerError, innerError;
  const fs::path o = fs::absolute(outer, outerError).lexically_normal();
  const fs::path i = fs::absolute(inner, innerError).lexically_normal();
  // A relative path without a current folder to resolve it against lies nowhere.
  if (outerError || innerError) return false;
  auto oi = o.begin(), ii = i.begin();
  for (; oi != o.end(); ++oi, ++ii) {
    if (oi->empty()) continue;  // trailing separator
    if (ii == i.end() || *oi != *ii) return false;
  }
  return true;
}

}  // namespace tovrane::files
