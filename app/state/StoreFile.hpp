#pragma once
// One of the JSON files the application keeps in its folder (AppPaths): the
// history and the key file.
//
// Reading takes a regular file of at most maxBytes only: a FIFO, a device,
// a link to either or a huge file is refused without blocking on it. A
// missing file is simply absent. A file that exists but is refused or
// unreadable, or whose content the owner could not decode, is "damaged":
// the next write first moves it aside to the first free name of
// "<name>.bak", "<name>.bak.1", … (owner only), so that neither a store that
// starts empty nor a later damage ever destroys what the user had.
//
// Several instances of the application share the folder. Lock serialises
// each read-change-write across processes and threads, so no save drops
// what another one wrote in between; under it, what interrupted saves of
// the file left behind (temporary files, perhaps holding keys) is removed.
#include <QString>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace tovrane::app {

// A save that failed; what() is the German text, naming the file.
class StoreError : public std::runtime_error {
 public:
  StoreError(const std::filesystem::path& path, const std::string& reason);
};

class StoreFile {
 public:
  // The file `name` in the application's folder, which is created (owner
  // only) when missing; a failure to create it is ignored here and shows
  // later as a failed read or write.
  StoreFile(const QString& name, std::size_t maxBytes);

  const std::filesystem::path& path() const { return path_; }

  // The folder's lock, held from construction to destruction. Best effort:
  // where the file system offers no locks, the work goes on without one.
  class Lock {
   public:
    explicit Lock(const StoreFile& file);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    int folder_ = -1;
  };

  // The content as `decode` (text to an optional value) makes it; nullopt
  // when the file is missing, or refused, unreadable or not decoded (these
  // three mark it damaged).
  template <class Decode>
  auto read(Decode&& decode) -> decltype(decode(std::string())) {
    const std::optional<std::string> text = readText();
    if (!text) {
      return std::nullopt;
    }
    auto value = decode(*text);
    if (!value) {
      damaged_ = true;
    }
    return value;
  }
  // The last read found the file damaged, and no write has moved it aside since.
  bool damaged() const { return damaged_; }

  // Replaces the file atomically with `bytes`, created with exactly `mode`,
  // after moving a damaged file aside. Throws StoreError; the file then
  // stays as it was, and a damaged file is never overwritten.
  void write(std::string_view bytes, mode_t mode);

  // Takes read rights away from everybody but the owner: the file to 0600,
  // the folder to 0700. Links are not followed; failures are ignored.
  void restrictToOwner() const;

 private:
  // The whole content; nullopt when the file is missing, refused or
  // unreadable (the latter two mark it damaged).
  std::optional<std::string> readText();
  void moveAside() const;
  void removeLeftovers() const;

  std::filesystem::path path_;
  std::size_t maxBytes_;
  bool damaged_ = false;
};

}  // namespace tovrane::app
