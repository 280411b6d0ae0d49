// Ctrl-C and SIGTERM at several points of a running `tovrane convert`: what
// is left is a complete project or nothing at all, and a retry succeeds.
#include "cli/ConvertCommand.hpp"
#include "core/project/Converter.hpp"
#include "core/support/Files.hpp"
#include "core/support/Host.hpp"
#include "core/support/Process.hpp"
#include "tests/support/TempDir.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <sstream>
#include <thread>

namespace tovrane::cli {
namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

// A project large enough that a conversion takes a while: the Trips example,
// 50 times over in folders of its own.
fs::path largeProject(const TempDir& temp) {
  const fs::path project = temp / "Big";
  const fs::path example = fs::path(TOVRANE_SOURCE_DIR) / "examples/Trips/Trips";
  for (int copy = 1; copy <= 50; ++copy) {
    const fs::path folder = project / std::string("F").append(std::to_string(copy));
    fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(example))
      if (entry.path().extension() == ".swift") fs::copy_file(entry.path(), folder / entry.path().filename());
  }
  fs::copy(example / "Assets.xcassets", project / "Assets.xcassets", fs::copy_options::recursive);
  return project;
}

// The hidden work folder of a run that writes `output`, if one stands there
// (other than `besides`).
std::optional<fs::path> workFolder(const fs::path& output, const std::optional<fs::path>& besides = {}) {
  std::string prefix(1, '.');
  prefix.append(output.filename().string()).append(".tovrane-");
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(output.parent_path(), ec))
    if (entry.path().filename().string().starts_with(prefix) && entry.path() != besides) return entry.path();
  return std::nullopt;
}

process::Spec convertSpec(const fs::path& project, const fs::path& output) {
  process::Spec spec;
  spec.program = TOVRANE_COMMAND;
  spec.arguments = {"convert", project.string(), "--out", output.string()};
  spec.environment = Host::system().environment();
  return spec;
}

process::ExitStatus waitFor(process::Detached& child) {
  while (true) {
    if (const auto status = child.exited()) return *status;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

TEST(ConvertSignals, AnInterruptedRunLeavesAWholeProjectOrNothing) {
  TempDir temp;
  const fs::path project = largeProject(temp);
  const std::size_t swiftFiles = 50 * 6;
  // When to send the signal: at once, as soon as the work folder is there,
  // once the project's files are being written, once the report is there.
  const struct {
    const char* name;
    std::function<bool(const fs::path& output)> reached;
  } points[] = {
      {"at the start", [](const fs::path&) { return true; }},
      {"work folder made", [](const fs::path& output) { return workFolder(output).has_value(); }},
      {"writing the project",
       [](const fs::path& output) {
         const auto work = workFolder(output);
         return work && fs::exists(*work / "app/src/main/java/tovrane/runtime");
       }},
      {"report written",
       [](const fs::path& output) {
         const auto work = workFolder(output);
         return work && fs::exists(*work / "TOVRANE_BERICHT.md");
       }},
  };
  int interrupted = 0;
  for (const int signal : {SIGINT, SIGTERM}) {
    for (const auto& point : points) {
      SCOPED_TRACE(std::string(point.name) + (signal == SIGINT ? " SIGINT" : " SIGTERM"));
      const fs::path output = temp / "Out";
      fs::remove_all(output);
      process::Detached child = process::startDetached(convertSpec(project, output));
      std::optional<process::ExitStatus> status;
      while (!point.reached(output) && !(status = child.exited()))
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      if (!status) {
        ::kill(child.pid(), signal);
        status = waitFor(child);
      }
      EXPECT_FALSE(workFolder(output)) << "the hidden work folder stayed";
      if (fs::exists(output)) {
        // Finished before the signal took effect: then it is whole.
        EXPECT_FALSE(status->signaled);
        const auto manifest = readManifest(output);
        ASSERT_TRUE(manifest);
        EXPECT_EQ(manifest->files.size(), swiftFiles);
        EXPECT_TRUE(fs::exists(output / "TOVRANE_BERICHT.md"));
        EXPECT_TRUE(fs::exists(output / ".tovrane/ir.json"));
        continue;
      }
      ++interrupted;
      EXPECT_TRUE(status->signaled);
      EXPECT_EQ(status->status, signal);
      // Nothing blocks a retry into the same folder.
      process::Detached retry = process::startDetached(convertSpec(project, output));
      EXPECT_EQ(waitFor(retry).status, 0);
      EXPECT_TRUE(readManifest(output));
    }
  }
  // The points are chosen so that most runs are really interrupted.
  EXPECT_GE(interrupted, 4);
}

// SIGKILL leaves the hidden work folder behind; the next run into the same
// folder removes it, but never the folder of a run that is still alive.
TEST(ConvertSignals, AKilledRunsFolderIsRemovedByTheNextButALiveOneIsKept) {
  TempDir temp;
  const fs::path project = largeProject(temp);
  const fs::path output = temp / "Out";
  std::optional<fs::path> killedFolder;
  while (!killedFolder) {
    fs::remove_all(output);
    process::Detached killed = process::startDetached(convertSpec(project, output));
    std::optional<process::ExitStatus> status;
    while (!workFolder(output) && !(status = killed.exited())) std::this_thread::sleep_for(std::chrono::microseconds(200));
    if (status) continue;  // finished before it could be killed: try again
    ::kill(killed.pid(), SIGKILL);
    EXPECT_TRUE(waitFor(killed).signaled);
    if (!fs::exists(output)) killedFolder = workFolder(output);
  }

  // A live run: the next one removes the killed run's folder first.
  std::optional<process::Result> live;
  std::atomic<bool> liveEnded{false};
  std::thread liveRun([&] {
    live = process::Child(convertSpec(project, output)).run();
    liveEnded = true;
  });
  std::optional<fs::path> liveFolder;
  while (!liveEnded && !(liveFolder = workFolder(output, killedFolder)))
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  EXPECT_FALSE(fs::exists(*killedFolder));
  if (!liveFolder) {
    liveRun.join();
    GTEST_SKIP() << "the live run ended before it was seen at work";
  }
  // A second run while it works: small, so it finishes first and takes the
  // output folder.
  files::writeFile(temp / "Small/A.swift", "struct A {}\n");
  std::ostringstream out, err;
  const int code = runConvert({(temp / "Small").string(), "--out", output.string()}, out, err, false);
  liveRun.join();
  ASSERT_TRUE(live);
  if (code == 0) {
    // The live run's work was left alone: it ended at its final rename,
    // finding the output taken, not at a missing folder.
    EXPECT_EQ(live->status, 1);
    EXPECT_NE(live->output.find("existiert bereits"), std::string::npos) << live->output;
  }
  EXPECT_FALSE(fs::exists(*liveFolder));
  EXPECT_FALSE(workFolder(output));
}

}  // namespace
}  // namespace tovrane::cli
