#pragma once
// The one seam for what the system takes from the machine it runs on: the
// environment, the user's folders and login shell, the platform, where fixed
// absolute paths such as "/usr/bin/xcrun" really lie, and the clock. Every
// operation that touches one of these takes a `const Host&` defaulting to
// Host::system(); tests build their own instead of changing the real process.
#include "core/support/Clock.hpp"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tovrane {

using Environment = std::map<std::string, std::string>;

enum class Platform { macOS, linuxOS };

// An immutable value; copies are cheap enough for the few places that make one.
class Host {
 public:
  struct Options {
    Environment environment;
    Platform platform = Platform::linuxOS;
    // Put before every fixed absolute path; empty for the real machine.
    std::filesystem::path root;
    // The machine's clock when null; otherwise must outlive the Host.
    const Clock* clock = nullptr;
    // The password database's entry when absent.
    std::optional<std::filesystem::path> loginShell;
  };

  explicit Host(Options options);

  // The running process: its environment as at the first call, its platform,
  // no root prefix and the machine's clock.
  static const Host& system();

  const Environment& environment() const { return options_.environment; }
  std::optional<std::string> variable(std::string_view name) const;
  // "HOME" when set and not empty, else the password database's home folder of the current user.
  std::filesystem::path home() const;
  // "TMPDIR" when set and not empty, else the system's temporary folder.
  std::filesystem::path temporaryFolder() const;
  std::filesystem::path loginShell() const;
  Platform platform() const { return options_.platform; }
  // A fixed absolute path as it lies on this host: the root prefix followed by path.
  std::filesystem::path path(const std::filesystem::path& absolute) const;
  const Clock& clock() const { return options_.clock ? *options_.clock : Clock::system(); }

 private:
  Options options_;
};

}  // namespace tovrane
