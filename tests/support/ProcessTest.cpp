#include "core/support/Process.hpp"

#include "core/support/Files.hpp"
#include "tests/support/FakeTool.hpp"
#include "tests/support/TempDir.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <exception>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <poll.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace tovrane::process {
namespace {

using namespace std::chrono_literals;
using testsupport::eventually;
using testsupport::FakeTool;
using testsupport::InstalledTool;
using testsupport::leave;
using testsupport::Leftover;
using testsupport::shellQuote;
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
  // What a child sleeps that a run must not wait for: a run that ends "at
  // once" takes less than a third of it, however loaded the machine.
  static constexpr const char* longSleep = "sleep 600";
  static constexpr double atOnce = 200;

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
  const std::string at = dir.path().string();
  struct Case {
    const char* name;
    std::filesystem::path program;
    std::optional<std::filesystem::path> folder;
    int error;
    std::filesystem::path path;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"missing", dir / "missing", std::nullopt, ENOENT, dir / "missing",
       "Das Programm " + at + "/missing ließ sich nicht starten: Datei oder Ordner nicht gefunden."},
      {"not executable", dir / "plain", std::nullopt, EACCES, dir / "plain",
       "Das Programm " + at + "/plain ließ sich nicht starten: Keine Berechtigung."},
      {"a folder", dir / "folder", std::nullopt, EACCES, dir / "folder",
       "Das Programm " + at + "/folder ließ sich nicht starten: Keine Berechtigung."},
      {"relative, never searched", "sh", std::nullopt, EINVAL, "sh",
       "Das Programm sh ließ sich nicht starten: Ungültiges Argument."},
      {"missing working folder", tool.program, dir / "nowhere", ENOENT, dir / "nowhere",
       "Das Programm " + tool.program.string() + " ließ sich im Ordner " + at +
           "/nowhere nicht starten: Datei oder Ordner nicht gefunden."},
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
      EXPECT_EQ(error.what(), c.text);
    }
  }
  EXPECT_TRUE(tool.calls().empty());
}

// Without a descriptor left for its pipes the program cannot start either.
TEST_F(Process, NoDescriptorLeftIsAStartError) {
  const auto tool = install(FakeTool{});
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  // Every descriptor below the lowest free one is taken: none is left below it.
  const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(lowestFree, 0);
  ::close(lowestFree);
  // A sanitizer checking an object's dynamic type probes its memory through
  // a pipe of its own the first time it meets that type; with no descriptor
  // left the probe fails. It meets a StartError once while it still can, and
  // the thrown one is only looked at once the limit is back.
  [[maybe_unused]] const StartError seen(EMFILE, tool.program);
  rlimit tight = limit;
  tight.rlim_cur = static_cast<rlim_t>(lowestFree);
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
  std::exception_ptr thrown;
  try {
    run(specFor(tool));
  } catch (...) {
    thrown = std::current_exception();
  }
  ::setrlimit(RLIMIT_NOFILE, &limit);
  std::optional<StartError> failure;
  try {
    if (thrown) std::rethrow_exception(thrown);
  } catch (const StartError& error) {
    failure = error;
  } catch (const std::exception& other) {
    ADD_FAILURE() << "not a StartError: " << other.what();
  }
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->code().value(), EMFILE);
  EXPECT_EQ(failure->what(),
            "Das Programm " + tool.program.string() + " ließ sich nicht starten: Zu viele offene Dateien.");
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
  Spec spec = specFor(body(std::string("echo one; ") + longSleep));
  const auto start = SteadyClock::now();
  EXPECT_THROW(Child(spec).run([](std::string_view) { throw std::runtime_error("stop"); }), std::runtime_error);
  EXPECT_LT(secondsSince(start), atOnce);
}

TEST_F(Process, TerminateReachesTheWholeGroup) {
  // The script waits for a grandchild that holds the output pipe: the run can
  // only end early when the grandchild gets the signal too.
  Spec spec = specFor(body(std::string(longSleep) + " &\necho started\nwait"));
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
  EXPECT_LT(secondsSince(start), atOnce);
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

TEST_F(Process, TimeLimitEndsAHangingScriptWithSigtermThenSigkill) {
  struct Case {
    const char* name;
    const char* script;
    bool ignoresTerminate;
    int signal;  // what ended the script
  };
  for (const auto& c : std::vector<Case>{
           {"hangs with its output open", "echo partial; sleep 600", false, SIGTERM},
           {"hangs after closing its output", "exec >/dev/null 2>&1; sleep 600", false, SIGTERM},
           {"its background child keeps the pipe", "sleep 600 & wait", false, SIGTERM},
           {"ignores SIGTERM", "echo partial; sleep 600", true, SIGKILL},
           {"ignores SIGTERM after closing its output", "exec >/dev/null 2>&1; sleep 600", true, SIGKILL},
       }) {
    SCOPED_TRACE(c.name);
    FakeTool fake;
    fake.body = c.script;
    fake.ignoresTerminate = c.ignoresTerminate;
    const auto tool = install(fake);
    Spec spec = specFor(tool);
    spec.timeout = 300ms;
    spec.grace = 200ms;
    const auto start = SteadyClock::now();
    const Result result = run(spec);
    EXPECT_LT(secondsSince(start), atOnce);
    EXPECT_TRUE(result.timedOut);
    EXPECT_FALSE(result.cancelled);
    EXPECT_TRUE(result.signaled);
    EXPECT_EQ(result.status, c.signal);
    EXPECT_TRUE(testsupport::allEnd(tool.pids()));
  }
  Spec quick = specFor(body("echo done"));
  quick.timeout = 10min;
  const Result result = run(quick);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.output, "done\n");
}

// However a run ends before its time (a stop request, terminate(), its time
// limit), nothing it started stays: not a tool that ignores SIGTERM, nor a
// child that left for a session of its own, nor an orphan of one.
TEST_F(Process, EndingARunEndsEveryProcessItStarted) {
  struct Case {
    const char* name;
    bool ignoresTerminate;
    std::vector<Leftover> leftovers;
  };
  const std::vector<Case> cases = {
      {"heeds SIGTERM", false, {Leftover::inGroup}},
      {"ignores SIGTERM, as its children do", true, {Leftover::inGroup}},
      {"a child in a session of its own", true, {Leftover::ownSession}},
      {"an orphan in a session of its own", true, {Leftover::daemon}},
      {"all of them", true, {Leftover::inGroup, Leftover::ownSession, Leftover::daemon}},
  };
  enum class Ending { stop, terminate, timeLimit };
  for (const Case& c : cases) {
    for (const Ending ending : {Ending::stop, Ending::terminate, Ending::timeLimit}) {
      SCOPED_TRACE(std::string(c.name) + ", ending " + std::to_string(static_cast<int>(ending)));
      FakeTool fake;
      fake.ignoresTerminate = c.ignoresTerminate;
      for (const Leftover leftover : c.leftovers) fake.body += leave(leftover);
      fake.body += "echo ready\nsleep 600";
      const auto tool = install(fake);
      Spec spec = specFor(tool);
      spec.grace = 200ms;
      std::stop_source stop;
      spec.stop = stop.get_token();
      if (ending == Ending::timeLimit) spec.timeout = 500ms;
      Child child(spec);
      const Result result = child.run([&](std::string_view line) {
        if (line != "ready") return;
        if (ending == Ending::stop) stop.request_stop();
        if (ending == Ending::terminate) {
          EXPECT_TRUE(child.terminate());
        }
      });
      EXPECT_EQ(result.timedOut, ending == Ending::timeLimit);
      EXPECT_EQ(result.cancelled, ending != Ending::timeLimit);
      EXPECT_TRUE(result.started);
      const std::vector<pid_t> pids = tool.pids();
      if (ending != Ending::timeLimit) {
        EXPECT_EQ(pids.size(), 1 + c.leftovers.size());
      }
      EXPECT_TRUE(testsupport::allEnd(pids));
    }
  }
}

// Output a run keeps is capped: a flood ends the run and fails it in German,
// also when the tool ignores SIGTERM. Lines handed on are not kept.
TEST_F(Process, OutputBeyondTheLimitEndsTheRun) {
  struct Case {
    const char* name;
    std::string script;
    Outputs outputs;
    bool lineMode;
    bool fails;
  };
  const std::vector<Case> cases = {
      {"endless output", "yes", Outputs::merged, false, true},
      {"endless standard error", "yes >&2", Outputs::separate, false, true},
      {"one endless line", "yes | tr -d '\\n'", Outputs::separate, true, true},
      {"many short lines", "yes | head -c 5000000", Outputs::separate, true, false},
  };
  for (const bool ignoresTerminate : {false, true}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (ignoresTerminate ? ", ignoring SIGTERM" : ""));
      FakeTool fake;
      fake.body = c.script;
      fake.ignoresTerminate = ignoresTerminate;
      const auto tool = install(fake);
      Spec spec = specFor(tool);
      spec.outputs = c.outputs;
      spec.outputLimit = std::size_t(1) << 20;
      spec.grace = 200ms;
      std::size_t lines = 0;
      try {
        Child child(spec);
        const Result result = c.lineMode ? child.run([&](std::string_view) { ++lines; }) : child.run();
        EXPECT_FALSE(c.fails) << "kept " << result.output.size() << " + " << result.errorOutput.size();
        EXPECT_EQ(lines, 2500000u);
      } catch (const OutputLimitError& error) {
        EXPECT_TRUE(c.fails);
        EXPECT_STREQ(error.what(), "„tool“ hat mehr als 1 MB ausgegeben und wurde beendet.");
      }
      EXPECT_TRUE(testsupport::allEnd(tool.pids()));
    }
  }
}

TEST_F(Process, TheStartedCallbackComesOnceBeforeAnythingIsReadAndOnlyForAStartedChild) {
  FakeTool fake;
  fake.output = "first\nsecond\n";
  const auto tool = install(fake);
  std::vector<std::string> seen;
  Spec spec = specFor(tool);
  spec.onStarted = [&] { seen.push_back("started"); };
  Child(spec).run([&](std::string_view line) { seen.emplace_back(line); });
  EXPECT_EQ(seen, (std::vector<std::string>{"started", "first", "second"}));

  // Neither a program that cannot start nor a stop before the start calls it.
  seen.clear();
  Spec missing = spec;
  missing.program = dir / "missing";
  EXPECT_THROW(run(missing), StartError);
  std::stop_source stop;
  stop.request_stop();
  Spec stopped = spec;
  stopped.stop = stop.get_token();
  const Result result = run(stopped);
  EXPECT_TRUE(result.cancelled);
  EXPECT_FALSE(result.started);
  EXPECT_EQ(seen, std::vector<std::string>{});
  EXPECT_EQ(tool.calls().size(), 1u);

  // One that throws ends the run, which then throws it.
  Spec throwing = specFor(body("echo ready; sleep 600", "throwing"));
  throwing.grace = 200ms;
  throwing.onStarted = [] { throw std::runtime_error("stop here"); };
  EXPECT_THROW(run(throwing), std::runtime_error);
}

TEST_F(Process, DetachedChildStartedMeanwhileDoesNotHoldTheRunsPipe) {
  // The run's tool ends only once four sleepers were started while it ran.
  const std::filesystem::path gate = dir / "gate";
  const auto slow = body("until [ -e " + shellQuote(gate.string()) + " ]; do sleep 0.01; done; echo finished", "slow");
  const auto sleeper = body(longSleep, "sleeper");
  std::atomic<bool> running = true;
  std::promise<void> runStarted;
  std::vector<pid_t> detached;
  std::thread starter([&, started = runStarted.get_future()] {
    started.wait();
    // Start sleepers throughout the run, so they start while its pipe exists.
    while (running) {
      detached.push_back(startDetached(specFor(sleeper)).pid());
      if (detached.size() == 4) files::writeFile(gate, "");
      std::this_thread::sleep_for(20ms);
    }
  });
  Spec spec = specFor(slow);
  spec.onStarted = [&] { runStarted.set_value(); };
  const auto start = SteadyClock::now();
  const Result result = run(spec);
  const double seconds = secondsSince(start);
  running = false;
  starter.join();
  // Each leads its own session and so its own group: end the sleep with its shell.
  for (pid_t pid : detached) ::kill(-pid, SIGKILL);
  EXPECT_EQ(result.output, "finished\n");
  EXPECT_LT(seconds, atOnce);
  EXPECT_GE(detached.size(), 4u);
}

TEST_F(Process, ChildInheritsNoDescriptorBeyondTheStandardThree) {
  // A pipe of ours that is not close-on-exec, as a library might leave one.
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  Detached sleeper = startDetached(specFor(body(longSleep)));
  ::close(fds[1]);
  pollfd readable{fds[0], POLLIN, 0};
  // EOF shows only when the child holds no copy of the write end; a copy
  // would keep it away for the whole sleep.
  const int ready = ::poll(&readable, 1, 60000);
  ::kill(-sleeper.pid(), SIGKILL);
  EXPECT_EQ(ready, 1);
  char byte;
  if (ready == 1) {
    EXPECT_EQ(::read(fds[0], &byte, 1), 0);
  }
  ::close(fds[0]);

  // A run's child, started another way, neither.
  ASSERT_EQ(::pipe(fds), 0);
  const std::string leaked = std::to_string(fds[1]);
  const Result result = run(specFor(body("[ -e /proc/$$/fd/" + leaked + " ] && echo held || echo closed", "run")));
  ::close(fds[0]);
  ::close(fds[1]);
  EXPECT_EQ(result.output, "closed\n");
}

TEST_F(Process, DetachedChildReportsItsExitAndLeavesNoZombie) {
  // The child runs until the test lets it end.
  const std::filesystem::path gate = dir / "gate";
  FakeTool fake;
  fake.output = "to the null device";
  fake.body = "until [ -e " + shellQuote(gate.string()) + " ]; do sleep 0.01; done";
  fake.status = 5;
  const auto tool = install(fake);
  files::createDirectories(dir / "work");
  Spec spec = specFor(tool, {"-g", ""});
  spec.workingFolder = dir / "work";
  Detached watched = startDetached(spec);
  EXPECT_EQ(watched.exited(), std::nullopt);
  files::writeFile(gate, "");
  std::optional<ExitStatus> exit;
  eventually([&] { return (exit = watched.exited()).has_value(); });
  ASSERT_TRUE(exit);
  EXPECT_EQ(exit->status, 5);
  EXPECT_FALSE(exit->signaled);
  ASSERT_EQ(tool.calls().size(), 1u);
  EXPECT_EQ(tool.calls()[0].arguments, (std::vector<std::string>{"-g", ""}));
  EXPECT_EQ(tool.calls()[0].workingFolder, dir / "work");

  // Dropped while running: the reaper collects it after its exit.
  pid_t pid = startDetached(specFor(body("sleep 0.1", "short"))).pid();
  // A zombie still answers kill(pid, 0); a reaped child does not.
  EXPECT_TRUE(eventually([&] { return ::kill(pid, 0) != 0 && errno == ESRCH; }));
}

// endAll() runs in a second process, as the application's quit does: the
// test process itself must stay able to start children. The death test's
// child runs this test again from its start, so the tools' folder is handed
// to it in the environment.
class ProcessEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (const char* inherited = std::getenv(folderVariable)) {
      folder = inherited;
      return;
    }
    own.emplace("tovrane-end-all");
    folder = own->path();
    ::setenv(folderVariable, folder.c_str(), 1);
  }
  void TearDown() override {
    if (own) ::unsetenv(folderVariable);
  }
  static Spec specFor(const InstalledTool& tool) {
    Spec spec;
    spec.program = tool.program;
    spec.environment = kPath;
    spec.grace = 300ms;
    return spec;
  }

  static constexpr const char* folderVariable = "TOVRANE_TEST_PROCESS_END_FOLDER";
  std::optional<TempDir> own;
  std::filesystem::path folder;
};

TEST_F(ProcessEnd, EndAllEndsEveryRunUnderWayAndEverythingItStarted) {
  FakeTool fake;
  fake.ignoresTerminate = true;
  fake.body = leave(Leftover::inGroup) + leave(Leftover::ownSession) + leave(Leftover::daemon) + "sleep 600";
  const InstalledTool first = own ? fake.install(folder / "first") : InstalledTool{folder / "first", {}};
  const InstalledTool second = own ? fake.install(folder / "second") : InstalledTool{folder / "second", {}};
  EXPECT_EXIT(
      {
        std::vector<std::jthread> runs;
        for (const InstalledTool* tool : {&first, &second}) runs.emplace_back([tool] { run(specFor(*tool)); });
        if (!first.awaitPids(4) || !second.awaitPids(4)) std::_Exit(2);
        const bool ended = endAll();
        runs.clear();  // every run has returned
        std::_Exit(ended ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  std::vector<pid_t> pids = first.pids();
  const std::vector<pid_t> more = second.pids();
  pids.insert(pids.end(), more.begin(), more.end());
  EXPECT_EQ(pids.size(), 8u);
  EXPECT_TRUE(testsupport::allEnd(pids));
}

#if defined(__linux__)
TEST_F(ProcessEnd, ARunEndsWhenTheProcessThatStartedItIsKilled) {
  FakeTool fake;
  fake.ignoresTerminate = true;
  fake.body = "exec sleep 600";
  const InstalledTool tool = own ? fake.install(folder / "tool") : InstalledTool{folder / "tool", {}};
  EXPECT_EXIT(
      {
        std::jthread runner([&tool] { run(specFor(tool)); });
        if (!tool.awaitPids(1)) std::_Exit(2);
        ::raise(SIGKILL);
      },
      ::testing::KilledBySignal(SIGKILL), "");
  EXPECT_EQ(tool.pids().size(), 1u);
  EXPECT_TRUE(testsupport::allEnd(tool.pids()));
}
#endif

}  // namespace
}  // namespace tovrane::process
