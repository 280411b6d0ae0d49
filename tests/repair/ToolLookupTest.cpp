#include "core/repair/ClaudeCodeRepair.hpp"
#include "core/repair/CodexRepair.hpp"

#include "tests/support/FakeMachine.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace tovrane {
namespace {

using namespace std::chrono_literals;
using testsupport::FakeMachine;
using testsupport::FakeTool;
namespace fs = std::filesystem;

using Locate = std::function<std::optional<std::string>(const Host&)>;

// A login shell's time limit that no fake shell comes near, however loaded the machine.
constexpr auto patient = std::chrono::minutes(10);

// Both tools, each with its fixed places in the order they are tried.
struct ToolCase {
  const char* name;
  Locate locate;
  std::vector<std::string> fixed;         // absolute, below the machine's root
  std::vector<std::string> homeSuffixes;  // below the home folder
};

const std::vector<ToolCase> tools = {
    {"claude", [](const Host& host) { return ClaudeCode::locate(host, patient); },
     {"/opt/homebrew/bin/claude", "/usr/local/bin/claude"},
     {"/.local/bin/claude", "/.claude/local/claude", "/.npm-global/bin/claude", "/.bun/bin/claude"}},
    {"codex", [](const Host& host) { return CodexCLI::locate(host, patient); },
     {"/opt/homebrew/bin/codex", "/usr/local/bin/codex"},
     {"/.local/bin/codex", "/.npm-global/bin/codex", "/.bun/bin/codex"}},
};

std::vector<fs::path> candidates(const FakeMachine& machine, const ToolCase& tool) {
  std::vector<fs::path> paths;
  for (const auto& fixed : tool.fixed) paths.push_back(machine.root() / fs::path(fixed).relative_path());
  for (const auto& suffix : tool.homeSuffixes) paths.push_back(machine.home().string() + suffix);
  return paths;
}

// A login shell that prints output, then runs body.
FakeTool shellPrinting(std::string output, std::string body = {}) {
  FakeTool shell;
  shell.output = std::move(output);
  shell.body = std::move(body);
  shell.readsInput = true;
  return shell;
}

// This machine as seen with the given login shell.
Host withShell(FakeMachine& machine, const fs::path& shell) {
  return Host(Host::Options{.environment = machine.environment(), .platform = Platform::linuxOS,
                            .root = machine.root(), .clock = nullptr, .loginShell = shell});
}

TEST(ToolLookup, FirstExecutableCandidateWinsInOrder) {
  for (const auto& tool : tools) {
    for (const auto platform : {Platform::macOS, Platform::linuxOS}) {
      FakeMachine machine(platform);
      const auto paths = candidates(machine, tool);
      // Filled from the last candidate to the first: each added one must win.
      for (auto i = paths.size(); i-- > 0;) {
        SCOPED_TRACE(paths[i].string());
        FakeTool{}.install(paths[i]);
        EXPECT_EQ(tool.locate(machine.host()), paths[i].string());
      }
    }
  }
}

TEST(ToolLookup, NonExecutableCandidatesAreSkipped) {
  for (const auto& tool : tools) {
    SCOPED_TRACE(tool.name);
    FakeMachine machine(Platform::linuxOS);
    const auto paths = candidates(machine, tool);
    FakeTool{}.install(paths.front());
    fs::permissions(paths.front(), fs::perms::owner_read | fs::perms::owner_write);
    // A folder of the tool's name is no program either.
    fs::create_directories(paths[1]);
    FakeTool{}.install(paths.back());
    EXPECT_EQ(tool.locate(machine.host()), paths.back().string());
  }
}

TEST(ToolLookup, CodexHasNoClaudeLocalCandidate) {
  FakeMachine machine(Platform::linuxOS);
  FakeTool{}.install(machine.home() / ".claude/local/codex");
  const auto shell = machine.tool("/fake/shell");
  EXPECT_EQ(CodexCLI::locate(withShell(machine, shell.program), patient), std::nullopt);
  EXPECT_EQ(shell.calls().size(), 1u);
}

TEST(ToolLookup, AsksTheLoginShellWhenNoCandidateMatches) {
  FakeMachine machine(Platform::linuxOS);
  const auto elsewhere = machine.tool("/srv/tools/claude");
  const auto notExecutable = machine.root() / "srv/tools/plain";
  FakeTool{}.install(notExecutable);
  fs::permissions(notExecutable, fs::perms::owner_read);
  struct Case {
    const char* name;
    std::string output;
    std::optional<std::string> found;
  };
  const std::vector<Case> cases = {
      {"path with its line feed", elsewhere.program.string() + "\n", elsewhere.program.string()},
      {"greeting before the path", "Welcome back!\n  " + elsewhere.program.string() + "  \n\n",
       elsewhere.program.string()},
      {"nothing", "", std::nullopt},
      {"blank lines", "\n  \n\t\n", std::nullopt},
      {"relative name", "claude\n", std::nullopt},
      {"an alias", "alias claude='npx claude'\n", std::nullopt},
      {"path after the last line", elsewhere.program.string() + "\nbye\n", std::nullopt},
      {"not executable", notExecutable.string() + "\n", std::nullopt},
      {"missing", (machine.root() / "gone/claude").string() + "\n", std::nullopt},
      {"not UTF-8", elsewhere.program.string() + "\xff\n", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto shell = machine.tool("/fake/shell", shellPrinting(c.output));
    EXPECT_EQ(ClaudeCode::locate(withShell(machine, shell.program), patient), c.found);
    const auto calls = shell.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].arguments, (std::vector<std::string>{"-lc", "command -v claude"}));
    // Its input is the null device, never the caller's terminal.
    EXPECT_EQ(calls[0].input, "");
  }
}

TEST(ToolLookup, MacOSAsksZsh) {
  FakeMachine machine(Platform::macOS);
  const auto codex = machine.tool("/srv/tools/codex");
  const auto zsh = machine.tool("/bin/zsh", shellPrinting(codex.program.string() + "\n"));
  EXPECT_EQ(CodexCLI::locate(machine.host(), patient), codex.program.string());
  ASSERT_EQ(zsh.calls().size(), 1u);
  EXPECT_EQ(zsh.calls()[0].arguments, (std::vector<std::string>{"-lc", "command -v codex"}));
}

TEST(ToolLookup, HangingLoginShellCountsAsAbsent) {
  FakeMachine machine(Platform::linuxOS);
  const auto found = machine.tool("/srv/tools/claude");
  // Prints the path, then hangs in its profile's background work.
  const auto shell = machine.tool("/fake/shell", shellPrinting(found.program.string() + "\n", "sleep 60 & sleep 60"));
  EXPECT_EQ(ClaudeCode::locate(withShell(machine, shell.program), 300ms), std::nullopt);
}

TEST(ToolLookup, ShellThatCannotStartCountsAsAbsent) {
  FakeMachine machine(Platform::linuxOS);
  EXPECT_EQ(ClaudeCode::locate(withShell(machine, machine.root() / "no/shell"), patient), std::nullopt);
}

}  // namespace
}  // namespace tovrane
