#include "core/repair/GradleRunner.hpp"

#include "core/support/Files.hpp"
#include "core/support/Process.hpp"
#include "tests/support/FakeMachine.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace tovrane {
namespace {

namespace fs = std::filesystem;
using testsupport::FakeMachine;
using testsupport::FakeTool;
using testsupport::leave;
using testsupport::Leftover;

TEST(AndroidTools, JavaRuntimeOnMacOSPrefersAndroidStudioOverJavaHome) {
  struct Case {
    const char* name;
    bool studio;
    bool preview;
    bool javaHomeHoldsJava;
    const char* expected;  // "studio", "preview", "javaHome" or "" for none
  };
  const std::vector<Case> cases = {
      {"Android Studio beats JAVA_HOME", true, true, true, "studio"},
      {"the Preview edition alone", false, true, true, "preview"},
      {"JAVA_HOME when it holds bin/java", false, false, true, "javaHome"},
      {"JAVA_HOME without bin/java", false, false, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeMachine machine(Platform::macOS);
    std::map<std::string, fs::path> found;
    if (c.studio) found["studio"] = machine.androidStudio();
    if (c.preview) found["preview"] = machine.androidStudio(true);
    const fs::path javaHome = machine.root() / "opt/jdk-21";
    files::createDirectories(javaHome);
    if (c.javaHomeHoldsJava) found["javaHome"] = machine.javaRuntime(javaHome);
    machine.environment()["JAVA_HOME"] = javaHome.string();
    const auto result = AndroidTools::javaHome(machine.host());
    if (*c.expected) EXPECT_EQ(result, found.at(c.expected));
    else EXPECT_EQ(result, std::nullopt);
  }
}

TEST(AndroidTools, JavaRuntimeOnLinuxFollowsTheInstallFoldersThenJavaHome) {
  const std::vector<std::string> candidates = {
      "~/android-studio/jbr",
      "/opt/android-studio/jbr",
      "/usr/local/android-studio/jbr",
      "~/.local/share/JetBrains/Toolbox/apps/android-studio/jbr",
      "/snap/android-studio/current/android-studio/jbr",
  };
  // Installing candidates first..last: the first of them wins; none: JAVA_HOME.
  for (std::size_t first = 0; first <= candidates.size(); ++first) {
    SCOPED_TRACE(first);
    FakeMachine machine(Platform::linuxOS);
    const auto place = [&](const std::string& candidate) {
      return candidate[0] == '~' ? machine.home() / candidate.substr(2) : machine.root() / candidate.substr(1);
    };
    for (std::size_t i = first; i < candidates.size(); ++i) machine.javaRuntime(place(candidates[i]));
    const fs::path javaHome = machine.javaRuntime(machine.root() / "usr/lib/jvm/java-17");
    machine.environment()["JAVA_HOME"] = javaHome.string();
    EXPECT_EQ(AndroidTools::javaHome(machine.host()), first < candidates.size() ? place(candidates[first]) : javaHome);
  }

  // A JAVA_HOME that is empty or relative names no folder of ours.
  FakeMachine machine(Platform::linuxOS);
  for (const char* value : {"", "jdk"}) {
    machine.environment()["JAVA_HOME"] = value;
    EXPECT_EQ(AndroidTools::javaHome(machine.host()), std::nullopt) << value;
  }
}

TEST(AndroidTools, SdkFromAndroidHomeElseTheHomeDefault) {
  for (Platform platform : {Platform::macOS, Platform::linuxOS}) {
    SCOPED_TRACE(platform == Platform::macOS ? "macOS" : "Linux");
    FakeMachine machine(platform);
    EXPECT_EQ(AndroidTools::sdk(machine.host()), std::nullopt);

    // ANDROID_HOME without "platforms" does not count; the home default does.
    const fs::path elsewhere = machine.root() / "opt/android";
    files::createDirectories(elsewhere);
    machine.environment()["ANDROID_HOME"] = elsewhere.string();
    machine.androidSdk(machine.homeSdk());
    EXPECT_EQ(AndroidTools::sdk(machine.host()), machine.homeSdk());

    machine.androidSdk(elsewhere);
    EXPECT_EQ(AndroidTools::sdk(machine.host()), elsewhere);
  }
  // The other platform's home default is no SDK.
  FakeMachine linux(Platform::linuxOS);
  linux.androidSdk(linux.home() / "Library/Android/sdk");
  EXPECT_EQ(AndroidTools::sdk(linux.host()), std::nullopt);
}

TEST(AndroidTools, ToolsInstalledBetweenTwoCallsAreFoundByTheSecond) {
  FakeMachine machine(Platform::macOS);
  const Host host = machine.host();
  EXPECT_EQ(AndroidTools::javaHome(host), std::nullopt);
  EXPECT_EQ(GradleRunner::create(machine.root() / "project", host), std::nullopt);
  const fs::path studio = machine.androidStudio();
  EXPECT_EQ(AndroidTools::javaHome(host), studio);
  // Java alone is not enough for a runner; the SDK completes it.
  EXPECT_EQ(GradleRunner::create(machine.root() / "project", host), std::nullopt);
  machine.androidSdk(machine.homeSdk());
  const auto runner = GradleRunner::create(machine.root() / "project", host);
  ASSERT_TRUE(runner);
  EXPECT_EQ(runner->javaHome(), studio);
  EXPECT_EQ(runner->sdk(), machine.homeSdk());
  EXPECT_EQ(runner->project(), machine.root() / "project");
}

// A machine with Java and an SDK and a project folder whose gradlew is a fake tool.
struct GradleMachine {
  FakeMachine machine{Platform::linuxOS};
  fs::path project = machine.root() / "work/My App-Android";
  fs::path studio = machine.javaRuntime(machine.home() / "android-studio/jbr");
  fs::path sdk = machine.androidSdk(machine.homeSdk()).folder;

  GradleMachine() {
    machine.environment()["PATH"] = "/usr/bin:/bin";
    machine.environment()["JAVA_HOME"] = "/somewhere/else";
    files::createDirectories(project);
  }
  testsupport::InstalledTool gradlew(FakeTool tool) const { return tool.install(project / "gradlew"); }
  GradleRunner runner() const { return *GradleRunner::create(project, machine.host()); }
};

TEST(GradleRunner, RunsTheWrapperWithItsToolsAloneInItsGroupWithoutInput) {
  GradleMachine m;
  FakeTool tool;
  tool.variables = {"JAVA_HOME", "ANDROID_HOME", "PATH", "HOME"};
  tool.readsInput = true;
  tool.body = "if kill -0 -$$ 2>/dev/null; then echo own-group; fi";
  const auto gradlew = m.gradlew(tool);

  const CompileCheck check = m.runner().compileErrors();
  const auto calls = gradlew.calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].arguments, (std::vector<std::string>{"compileDebugKotlin", "--console=plain", "-q"}));
  EXPECT_EQ(calls[0].workingFolder, m.project);
  EXPECT_EQ(calls[0].variables.at("JAVA_HOME"), m.studio.string());
  EXPECT_EQ(calls[0].variables.at("ANDROID_HOME"), m.sdk.string());
  EXPECT_EQ(calls[0].variables.at("PATH"), "/usr/bin:/bin");
  EXPECT_EQ(calls[0].variables.at("HOME"), m.machine.home().string());
  EXPECT_EQ(calls[0].input, "");
  EXPECT_EQ(check.run.output, "own-group\n");
  EXPECT_TRUE(check.run.ok);
  EXPECT_TRUE(check.compiled());

  m.runner().run({"assembleDebug"});
  EXPECT_EQ(gradlew.calls().at(1).arguments, (std::vector<std::string>{"assembleDebug", "--console=plain", "-q"}));
}

TEST(GradleRunner, CompilerErrorLinesBecomeTheMapPerFile) {
  struct Case {
    const char* name;
    std::string output;
    CompileErrors expected;
  };
  const std::vector<Case> cases = {
      {"errors kept in order, warnings and file-less errors left out",
       "e: file:///p/A.kt:3:1 X\nw: file:///p/A.kt:4:1 Y\ne: file:///p/A.kt:9:2 Z\ne: Compilation error\n",
       {{"/p/A.kt", {"line 3:1 X", "line 9:2 Z"}}}},
      {"a build script is no Kotlin source", "e: file:///p/app/build.gradle.kts:5:1 X\n", {}},
      {"the example line",
       "e: file:///Users/me/Notes-Android/app/src/main/java/com/example/notes/ContentView.kt:12:5 Unresolved "
       "reference 'title'.",
       {{"/Users/me/Notes-Android/app/src/main/java/com/example/notes/ContentView.kt",
         {"line 12:5 Unresolved reference 'title'."}}}},
      {"escaped blanks and letters are decoded",
       "e: file:///w/My%20App-Android/src/Gr%C3%BC%C3%9Fe.kt:1:2 Oops\ne: file:///w/B.kt:7:1 Two\n",
       {{"/w/My App-Android/src/Grüße.kt", {"line 1:2 Oops"}}, {"/w/B.kt", {"line 7:1 Two"}}}},
      {"escapes that decode to no path stay as printed",
       "e: file:///w/a%00b.kt:1:1 N\ne: file:///w/c%FF.kt:1:1 U\ne: file:///w/d%zz.kt:1:1 V\n",
       {{"/w/a%00b.kt", {"line 1:1 N"}}, {"/w/c%FF.kt", {"line 1:1 U"}}, {"/w/d%zz.kt", {"line 1:1 V"}}}},
      {"nothing but Gradle's failure block", "\nFAILURE: Build failed with an exception.\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GradleRunner::parseCompileErrors(c.output), c.expected);
  }

  // The same through a real run of the wrapper, from a folder with a blank.
  GradleMachine m;
  FakeTool tool;
  tool.output = cases[3].output;
  tool.status = 1;
  m.gradlew(tool);
  const CompileCheck check = m.runner().compileErrors();
  EXPECT_FALSE(check.run.ok);
  EXPECT_EQ(check.run.status, 1);
  EXPECT_EQ(check.errors, cases[3].expected);
}

TEST(GradleRunner, AFailedBuildWithoutErrorLinesIsNoCleanCompile) {
  GradleMachine m;
  FakeTool tool;
  tool.errorOutput =
      "\nFAILURE: Build failed with an exception.\n\n* What went wrong:\n"
      "Could not determine the dependencies of task ':app:compileDebugKotlin'.\n"
      "> Failed to find target with hash string 'android-35'\n\n* Try:\n> Run with --stacktrace.\n";
  tool.status = 1;
  m.gradlew(tool);
  const CompileCheck check = m.runner().compileErrors();
  EXPECT_FALSE(check.run.ok);
  EXPECT_TRUE(check.errors.empty());
  EXPECT_FALSE(check.compiled());
  EXPECT_EQ(GradleRunner::failureReason(check.run),
            "Could not determine the dependencies of task ':app:compileDebugKotlin'.");
}

TEST(GradleRunner, FailureReasonIsOneCleanLine) {
  struct Case {
    const char* name;
    std::string output;
    int status;
    std::string expected;
    bool timedOut = false;
  };
  const std::vector<Case> cases = {
      {"the line after the heading", "a\r\n* What went wrong:\r\n\r\n  Task failed.  \r\nlast\r\n", 1,
       "Task failed."},
      {"else the last non-empty line", "first\nsecond\n \n\n", 1, "second"},
      {"a heading at the very end", "first\n* What went wrong:\n", 1, "* What went wrong:"},
      {"no output", "", 137, "Code 137"},
      {"blank output", " \n\t\n", 2, "Code 2"},
      {"terminal escapes dropped", "\x1b[31mRed\x1b[0m\tend\x07", 1, "[31mRed[0m end"},
      {"cut to 300 characters", std::string(150, 'x') + std::string(200, 'y'), 1,
       std::string(150, 'x') + std::string(150, 'y')},
      {"ended at the time limit", "> Task :app:compileDebugKotlin\n", 143,
       "Gradle hat nach 1 Stunde nicht geendet und wurde beendet.", true},
  };
  for (const Case& c : cases) {
    const GradleRun run{false, c.status, c.output, c.timedOut};
    EXPECT_EQ(GradleRunner::failureReason(run), c.expected) << c.name;
  }
}

TEST(GradleRunner, ExitStatusesAndLargeOutput) {
  GradleMachine m;
  FakeTool killed;
  killed.body = "kill -9 $$";
  m.gradlew(killed);
  const GradleRun run = m.runner().run({"assembleDebug"});
  EXPECT_FALSE(run.ok);
  EXPECT_EQ(run.status, 128 + 9);

  // Megabytes on both streams, then an error line: read to the end, nothing stalls.
  FakeTool chatty;
  chatty.body =
      "head -c 3000000 /dev/zero | tr '\\0' 'o'; echo\n"
      "head -c 3000000 /dev/zero | tr '\\0' 'e' >&2; echo >&2\n"
      "echo 'e: file:///p/Last.kt:1:1 Late'";
  chatty.status = 1;
  m.gradlew(chatty);
  const CompileCheck check = m.runner().compileErrors();
  EXPECT_EQ(check.run.output.size(), 6000002u + std::string("e: file:///p/Last.kt:1:1 Late\n").size());
  EXPECT_EQ(check.errors, (CompileErrors{{"/p/Last.kt", {"line 1:1 Late"}}}));
}

TEST(GradleRunner, AMissingWrapperStillGivesARunnerThatCannotStart) {
  GradleMachine m;
  const GradleRunner runner = m.runner();
  EXPECT_THROW(runner.run({"assembleDebug"}), process::StartError);
  EXPECT_THROW(runner.compileErrors(), process::StartError);
  // Present but not executable.
  files::writeFile(m.project / "gradlew", "#!/bin/sh\n");
  EXPECT_THROW(runner.compileErrors(), process::StartError);
}

// A stop request ends a build with everything it started (a daemon too),
// also when they ignore SIGTERM; a flood of output ends it in German.
TEST(GradleRunner, AStoppedBuildOrAFloodEndsTheBuildAndWhatItStarted) {
  for (const bool flood : {false, true}) {
    SCOPED_TRACE(flood ? "flood" : "stop");
    GradleMachine m;
    FakeTool hanging;
    hanging.ignoresTerminate = true;
    hanging.body = leave(Leftover::inGroup) + leave(Leftover::daemon) + (flood ? "yes" : "sleep 600");
    const auto gradlew = m.gradlew(hanging);
    std::stop_source stop;
    std::jthread stopper([&] {
      if (!flood && gradlew.awaitPids(3)) stop.request_stop();
    });
    if (flood) {
      try {
        m.runner().compileErrors(stop.get_token());
        ADD_FAILURE() << "the build returned";
      } catch (const process::OutputLimitError& error) {
        EXPECT_STREQ(error.what(), "„gradlew“ hat mehr als 64 MB ausgegeben und wurde beendet.");
      }
    } else {
      const CompileCheck check = m.runner().compileErrors(stop.get_token());
      EXPECT_TRUE(check.run.cancelled);
      EXPECT_FALSE(check.run.ok);
      EXPECT_FALSE(check.compiled());
    }
    stopper.join();
    EXPECT_TRUE(testsupport::allEnd(gradlew.pids()));
  }
}

}  // namespace
}  // namespace tovrane
