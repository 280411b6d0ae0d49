#include "core/support/Process.hpp"

#include "core/support/Files.hpp"
#include "tests/support/FakeTool.hpp"
#include "tests/support/TempDir.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace tovrane::process {
namespace {

using namespace std::chrono_literals;
using testsupport::FakeTool;
using testsupport::InstalledTool;
using testsupport::TempDir;
using SteadyClock = std::chrono::steady_clock;

// What every test child needs to find sh's helpers, and nothing else.
const Environment kPath = {{"PATH", "/usr/bin:/bin"}};

class Process : public ::testing::Test {
 protected:
  InstalledTool install(const FakeTool& tool, const std::string& name = "tool") const {
    return tool.install(dir / name);
  }
  static Spec specFor(const InstalledTool& tool, std::vector<std::string> arguments = {}) {
    Spec spec;
    spec.program = tool.program;
    spec.arguments = std::move(arguments);
    spec.environment = kPath;
    return spec;
  }
  static InstalledTool body(const TempDir& dir, const std::string& script, const std::string& name = "tool") {
    FakeTool tool;
    tool.body = script;
    return tool.install(dir / name);
  }
  InstalledTool body(const std::string& script, const std::string& name = "tool") const {
    return body(dir, script, name);
  }
  static double secondsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
  }

  TempDir dir;
};

TEST_F(Process, PassesArgumentsFolderAndEnvironmentExactly) {
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    bool inFolder;
    Environment environment;
    std::map<std::string, std::optional<std::string>> expected;
  };
  const std::vector<Case> cases = {
      {"empty arguments kept", {"-p", "", "--tools", "", ""}, false, kPath, {{"KEEP", std::nullopt}}},
      {"spaces, quotes, line feeds, globs", {"a b", "'\"$HOME\"'", "x\ny\n", "*", "ü ✓"}, true, kPath, {}},
      {"no arguments", {}, false, kPath, {}},
      {"environment replaced: unset variables stay unset",
       {},
       false,
       {{"PATH", "/usr/bin:/bin"}, {"KEEP", "1"}},
       {{"KEEP", "1"}, {"SET", std::nullopt}}},
      {"environment overlaid: one variable replaced, empty value kept",
       {},
       false,
       {{"PATH", "/usr/bin:/bin"}, {"KEEP", "1"}, {"SET", "new = value"}, {"EMPTY", ""}},
       {{"KEEP", "1"}, {"SET", "new = value"}, {"EMPTY", ""}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTool fake;
    fake.variables = {"KEEP", "SET", "EMPTY"};
    const auto tool = install(fake);
    Spec spec = specFor(tool, c.arguments);
    spec.environment = c.environment;
    files::createDirectories(dir / "work");
    if (c.inFolder) spec.workingFolder = dir / "work";
    ASSERT_EQ(run(spec).status, 0);
    const auto calls = tool.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].arguments, c.arguments);
    EXPECT_EQ(calls[0].workingFolder, c.inFolder ? dir / "work" : std::filesystem::current_path());
    for (const auto& [name, value] : c.expected) EXPECT_EQ(calls[0].variables.at(name), value) << name;
  }
}

TEST_F(Process, RoutesTheTwoOutputs) {
  // Alternating writes to both streams, each a separate write(2).
  const auto tool = body("printf 'o1\\n'; printf 'e1\\n' >&2; printf 'o2\\n'; printf 'e2\\n' >&2");
  struct Case {
    Outputs outputs;
    std::string output;
    std::string errorOutput;
  };
  for (const auto& c : std::vector<Case>{
           {Outputs::merged, "o1\ne1\no2\ne2\n", ""},
           {Outputs::separate, "o1\no2\n", "e1\ne2\n"},
           {Outputs::discardStderr, "o1\no2\n", ""},
           {Outputs::discard, "", ""},
       }) {
    SCOPED_TRACE(static_cast<int>(c.outputs));
    Spec spec = specFor(tool);
    spec.outputs = c.outputs;
    const Result result = run(spec);
    EXPECT_EQ(result.output, c.output);
    EXPECT_EQ(result.errorOutput, c.errorOutput);
  }
}

TEST_F(Process, FeedsInputWhileDrainingLargeOutputs) {
  // The tool fills both output pipes before it reads a byte: only a runner
  // that writes and reads at once finishes.
  const auto tool = body(
      "head -c 1048576 /dev/zero | tr '\\0' a\n"
      "head -c 1048576 /dev/zero | tr '\\0' b >&2\n"
      "wc -c | tr -d ' '\n");
  Spec spec = specFor(tool);
  spec.outputs = Outputs::separate;
  spec.input = Input::bytes;
  spec.inputBytes = std::string(1 << 20, 'i');
  const Result result = run(spec);
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(result.inputTaken);
  EXPECT_EQ(result.output, std::string(1 << 20, 'a') + "1048576\n");
  EXPECT_EQ(result.errorOutput, std::string(1 << 20, 'b'));
}

TEST_F(Process, InputIsLoggedExactlyAndEmptyInputClosesAtOnce) {
  FakeTool fake;
  fake.readsInput = true;
  const auto tool = install(fake);
  for (const std::string& input : {std::string("line one\nline two without end"), std::string()}) {
    Spec spec = specFor(tool);
    spec.input = Input::bytes;
    spec.inputBytes = input;
    const Result result = run(spec);
    EXPECT_TRUE(result.inputTaken);
    EXPECT_EQ(tool.calls().back().input, input);
  }
}

TEST_F(Process, ToolThatIgnoresItsInputOnlyLeavesItUntaken) {
  Spec spec = specFor(body("exit 3"));
  spec.input = Input::bytes;
  spec.inputBytes = std::string(1 << 20, 'x');  // far more than a pipe holds
  const Result result = run(spec);
  EXPECT_EQ(result.status, 3);
  EXPECT_FALSE(result.signaled);
  EXPECT_FALSE(result.inputTaken);
}

TEST_F(Process, ReportsExitStatusOrSignal) {
  struct Case {
    const char* script;
    int status;
    bool signaled;
  };
  for (const auto& c : std::vector<Case>{
           {"exit 0", 0, false}, {"exit 7", 7, false}, {"exit 255", 255, false}, {"kill -KILL $$", SIGKILL, true}}) {
    SCOPED_TRACE(c.script);
    const Result result = run(specFor(body(c.script)));
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.signaled, c.signaled);
    EXPECT_FALSE(result.timedOut);
    EXPECT_FALSE(result.cancelled);
  }
}

TEST_F(Process, ChildStartsWithDefaultSignalHandlingAndEmptyMask) {
  // We ignore SIGPIPE; the child must not: `yes` then dies quietly of it
  // instead of complaining about a broken pipe.
  Spec pipeSpec = specFor(body("yes | head -n 1 >/dev/null", "pipe"));
  pipeSpec.outputs = Outputs::separate;
  const Result piped = run(pipeSpec);
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.errorOutput, "");

  // A signal blocked in the starting thread must be deliverable in the child.
  sigset_t usr1;
  sigemptyset(&usr1);
  sigaddset(&usr1, SIGUSR1);
  sigset_t old;
  ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &usr1, &old), 0);
  const Result signaled = run(specFor(body("kill -USR1 $$; exit 0", "usr1")));
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  EXPECT_TRUE(signaled.signaled);
  EXPECT_EQ(signaled.status, SIGUSR1);
}

TEST_F(Process, OutputThatIsNotUtf8DecodesLossily) {
  FakeTool fake;
  fake.output = "e: file:///p/A.kt:1:1 caf\xe9\nBUILD FAILED \xff\xfe\n";
  const Result result = run(specFor(install(fake)));
  EXPECT_EQ(result.output, fake.output);
  EXPECT_EQ(decodeOutput(result.output), "e: file:///p/A.kt:1:1 caf\xEF\xBF\xBD\nBUILD FAILED \xEF\xBF\xBD\xEF\xBF\xBD\n");
  EXPECT_EQ(decodeOutput("fine ✓"), "fine ✓");
}

TEST_F(Process, ProgramThatCannotStartThrowsTheSystemErrorWithItsPath) {
  files::writeAtomic(dir / "plain", "#!/bin/sh\n", 0644);
  files::createDirectories(dir / "folder");
  const auto tool = install(FakeTool{});
  struct Case {
    const char* name;
    std::filesystem::path program;
    std::optional<std::filesystem::path> folder;
    int error;
    std::filesystem::path path;
  };
  const std::vector<Case> cases = {
      {"missing", dir / "missing", std::nullopt, ENOENT, dir / "missing"},
      {"not executable", dir / "plain", std::nullopt, EACCES, dir / "plain"},
      {"a folder", dir / "folder", std::nullopt, EACCES, dir / "folder"},
      {"relative, never searched", "sh", std::nullopt, EINVAL, "sh"},
      {"missing working folder", tool.program, dir / "nowhere", ENOENT, dir / "nowhere"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Spec spec;
    spec.program = c.program;
    spec.workingFolder = c.folder;
    try {
      run(spec);
      ADD_FAILURE() << "started";
    } catch (const StartError& error) {
      EXPECT_EQ(error.code().value(), c.error);
      EXPECT_EQ(error.path(), c.path);
      EXPECT_THAT(error.what(), ::testing::HasSubstr(c.path.string()));
    }
  }
  EXPECT_TRUE(tool.calls().empty());
}

TEST_F(Process, LineModeSplitsAtLineFeedsAndKeepsTheUnterminatedRest) {
  const std::string longLine(200000, 'x');  // spans several reads
  FakeTool fake;
  fake.output = "first\n\n" + longLine + "\nthird\r\ntail";
  fake.errorOutput = "collected apart\n";
  Spec spec = specFor(install(fake));
  spec.outputs = Outputs::separate;
  std::vector<std::string> lines;
  const Result result = Child(spec).run([&](std::string_view line) { lines.emplace_back(line); });
  EXPECT_EQ(lines, (std::vector<std::string>{"first", "", longLine, "third\r"}));
  EXPECT_EQ(result.output, "tail");
  EXPECT_EQ(result.errorOutput, "collected apart\n");
}

TEST_F(Process, ExceptionFromTheLineHandlerEndsTheRunAtOnce) {
  Spec spec = specFor(body("echo one; sleep 3"));
  const auto start = SteadyClock::now();
  EXPECT_THROW(Child(spec).run([](std::string_view) { throw std::runtime_error("stop"); }), std::runtime_error);
  EXPECT_LT(secondsSince(start), 2.0);
}

TEST_F(Process, TerminateReachesTheWholeGroup) {
  // The script waits for a grandchild that holds the output pipe: the run can
  // only end early when the grandchild gets the signal too.
  Spec spec = specFor(body("sleep 15 &\necho started\nwait"));
  spec.ownProcessGroup = true;
  Child child(spec);
  std::promise<void> started;
  std::thread terminator([&, ready = started.get_future()]() mutable {
    ready.wait();
    EXPECT_TRUE(child.terminate());
  });
  const auto start = SteadyClock::now();
  bool once = false;
  const Result result = child.run([&](std::string_view line) {
    if (line == "started" && !once) {
      once = true;
      started.set_value();
    }
  });
  terminator.join();
  EXPECT_LT(secondsSince(start), 5.0);
  EXPECT_TRUE(result.signaled);
  EXPECT_EQ(result.status, SIGTERM);
  EXPECT_FALSE(child.terminate()) << "reaped: nothing more to signal";
}

TEST_F(Process, TerminateBeforeTheStartPreventsIt) {
  const auto tool = install(FakeTool{});
  Child child(specFor(tool));
  EXPECT_TRUE(child.terminate());
  const Result result = child.run();
  EXPECT_TRUE(result.cancelled);
  EXPECT_TRUE(tool.calls().empty());
  EXPECT_FALSE(child.terminate());
}

TEST_F(Process, TimeOutKillsAHangingScript) {
  struct Case {
    const char* name;
    const char* script;
  };
  for (const auto& c : std::vector<Case>{
           {"hangs with its output open", "echo partial; sleep 30"},
           {"hangs after closing its output", "exec >/dev/null 2>&1; sleep 30"},
           {"its background child keeps the pipe", "sleep 30 & wait"},
       }) {
    SCOPED_TRACE(c.name);
    Spec spec = specFor(body(c.script));
    spec.timeout = 300ms;
    const auto start = SteadyClock::now();
    const Result result = run(spec);
    const double seconds = secondsSince(start);
    EXPECT_GE(seconds, 0.25);
    EXPECT_LT(seconds, 5.0);
    EXPECT_TRUE(result.timedOut);
    EXPECT_TRUE(result.signaled);
    EXPECT_EQ(result.status, SIGKILL);
  }
  Spec quick = specFor(body("echo done"));
  quick.timeout = 10s;
  const Result result = run(quick);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.output, "done\n");
}

TEST_F(Process, DetachedChildStartedMeanwhileDoesNotHoldTheRunsPipe) {
  const auto slow = body("sleep 0.5; echo finished", "slow");
  const auto sleeper = body("sleep 30", "sleeper");
  std::atomic<bool> running = true;
  std::vector<pid_t> detached;
  std::thread starter([&] {
    // Start sleepers throughout the run, so some start while its pipe exists.
    while (running) {
      detached.push_back(startDetached(specFor(sleeper)).pid());
      std::this_thread::sleep_for(20ms);
    }
  });
  const auto start = SteadyClock::now();
  const Result result = run(specFor(slow));
  const double seconds = secondsSince(start);
  running = false;
  starter.join();
  // Each leads its own session and so its own group: end the sleep with its shell.
  for (pid_t pid : detached) ::kill(-pid, SIGKILL);
  EXPECT_EQ(result.output, "finished\n");
  EXPECT_GE(seconds, 0.45);
  EXPECT_LT(seconds, 5.0);
  EXPECT_GT(detached.size(), 3u);
}

TEST_F(Process, ChildInheritsNoDescriptorBeyondTheStandardThree) {
  // A pipe of ours that is not close-on-exec, as a library might leave one.
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  Detached sleeper = startDetached(specFor(body("sleep 30")));
  ::close(fds[1]);
  pollfd readable{fds[0], POLLIN, 0};
  // EOF shows at once only when the child holds no copy of the write end.
  const int ready = ::poll(&readable, 1, 2000);
  ::kill(-sleeper.pid(), SIGKILL);
  EXPECT_EQ(ready, 1);
  char byte;
  if (ready == 1) {
    EXPECT_EQ(::read(fds[0], &byte, 1), 0);
  }
  ::close(fds[0]);
}

TEST_F(Process, DetachedChildReportsItsExitAndLeavesNoZombie) {
  FakeTool fake;
  fake.output = "to the null device";
  fake.body = "sleep 0.2";
  fake.status = 5;
  const auto tool = install(fake);
  files::createDirectories(dir / "work");
  Spec spec = specFor(tool, {"-g", ""});
  spec.workingFolder = dir / "work";
  Detached watched = startDetached(spec);
  EXPECT_EQ(watched.exited(), std::nullopt);
  std::optional<ExitStatus> exit;
  for (int i = 0; i < 500 && !exit; ++i) {
    std::this_thread::sleep_for(10ms);
    exit = watched.exited();
  }
  ASSERT_TRUE(exit);
  EXPECT_EQ(exit->status, 5);
  EXPECT_FALSE(exit->signaled);
  ASSERT_EQ(tool.calls().size(), 1u);
  EXPECT_EQ(tool.calls()[0].arguments, (std::vector<std::string>{"-g", ""}));
  EXPECT_EQ(tool.calls()[0].workingFolder, dir / "work");

  // Dropped while running: the reaper collects it after its exit.
  pid_t pid = startDetached(specFor(body("sleep 0.1", "short"))).pid();
  bool gone = false;
  for (int i = 0; i < 500 && !gone; ++i) {
    std::this_thread::sleep_for(10ms);
    // A zombie still answers kill(pid, 0); a reaped child does not.
    gone = ::kill(pid, 0) != 0 && errno == ESRCH;
  }
  EXPECT_TRUE(gone);
}

}  // namespace
}  // namespace tovrane::process
