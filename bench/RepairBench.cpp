// The ladder repair reads the whole package again after every accepted file
// (the placeholder count behind its progress) and once per run for the
// package outline; with a few hundred files both should stay far below the
// time of one model request.
#include "core/project/Converter.hpp"
#include "core/repair/AIRepairer.hpp"
#include "core/support/Files.hpp"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using tovrane::AIRepairer;
using tovrane::AIRepairOptions;

constexpr int fileCount = 200;

// A generated project with 200 Kotlin files of about 6 KB in its package,
// each with top-level declarations, members and a few placeholders.
class GeneratedProject {
 public:
  GeneratedProject() : root_(fs::temp_directory_path() / ("tovrane-repair-bench-" + std::to_string(::getpid()))) {
    tovrane::files::writeFile(root_ / ".tovrane/manifest.json",
                              tovrane::encodeManifest({"com.example.bench", "/Users/me/Bench", {}}));
    for (int i = 0; i < fileCount; ++i) {
      const std::string n = std::to_string(i);
      std::string text = "package com.example.bench\n\nimport androidx.compose.runtime.*\nimport tovrane.runtime.*\n\n";
      text += "@Composable\nfun Screen" + n + "(mod: Mod = Mod) {\n";
      for (int row = 0; row < 60; ++row)
        text += "    Text(\"Row " + std::to_string(row) + " of screen " + n + "\", mod = Mod.padding(4.0))\n";
      text += "}\n\nclass Screen" + n + "State {\n    var count by mutableStateOf(0, neverEqualPolicy())\n";
      text += "    fun increment() { count += 1 }\n}\n\n";
      text += "private fun helper" + n + "(): Int = TODO(\"tovrane: items.reduce(0, +)\")\n";
      text += "val total" + n + ": Int = TODO(\"tovrane: values.map { $0 * 2 }.sum()\")\n";
      text += "@Composable fun Chart" + n + "(mod: Mod) { Unsupported(\"GeometryReader\") }\n";
      bytes_ += text.size();
      tovrane::files::writeFile(package() / ("Screen" + n + ".kt"), text);
    }
  }
  ~GeneratedProject() {
    std::error_code error;
    fs::remove_all(root_, error);
  }

  const fs::path& root() const { return root_; }
  fs::path package() const { return root_ / "app/src/main/java/com/example/bench"; }
  std::size_t bytes() const { return bytes_; }

 private:
  fs::path root_;
  std::size_t bytes_ = 0;
};

const GeneratedProject& project() {
  static const GeneratedProject generated;
  return generated;
}

void countPlaceholders(benchmark::State& state) {
  const GeneratedProject& p = project();
  for (auto _ : state) benchmark::DoNotOptimize(AIRepairer::countPlaceholders(p.package()));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(p.bytes()));
}
BENCHMARK(countPlaceholders)->Unit(benchmark::kMillisecond);

void packageOutline(benchmark::State& state) {
  const GeneratedProject& p = project();
  for (auto _ : state) {
    // The outline is built once per repairer.
    const AIRepairer repairer(p.root(), AIRepairOptions({}, std::nullopt, std::nullopt), {});
    benchmark::DoNotOptimize(repairer.packageOutline());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(p.bytes()));
}
BENCHMARK(packageOutline)->Unit(benchmark::kMillisecond);

}  // namespace
