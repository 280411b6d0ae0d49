// Whole-conversion throughput: a generated project of more than 100k Swift
// lines, made of copies of the corpus and example sources, converted with
// everything written to disk. Reports Swift lines per second; peak memory is
// printed from the process's high-water mark.
#include "core/project/Converter.hpp"
#include "core/support/Files.hpp"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tovrane;

struct GeneratedProject {
  fs::path root;
  fs::path project;
  GeneratedProject() {
    char pattern[] = "/tmp/tovrane-bench-XXXXXX";
    root = ::mkdtemp(pattern);
    project = root / "Big";
    files::writeFile(project / "Big.xcodeproj/project.pbxproj",
                     "PRODUCT_BUNDLE_IDENTIFIER = com.example.big;\nPRODUCT_NAME = Big;\n");
    std::vector<fs::path> sources;
    for (const char* folder : {"tests/swift/corpus", "examples"})
      for (const auto& file : files::listFiles(fs::path(TOVRANE_SOURCE_DIR) / folder))
        if (file.extension() == ".swift") sources.push_back(file);
    int lines = 0;
    for (int copy = 0; lines < 100000; ++copy)
      for (const auto& source : sources) {
        const std::string text = files::readFile(source);
        files::writeFile(project / ("Copy" + std::to_string(copy)) / source.filename(), text);
        lines += static_cast<int>(std::count(text.begin(), text.end(), '\n'));
      }
  }
  ~GeneratedProject() { fs::remove_all(root); }
};

void wholeConversion(benchmark::State& state) {
  static const GeneratedProject generated;
  static int run = 0;
  long long lines = 0;
  std::vector<fs::path> outputs;
  for (auto _ : state) {
    outputs.push_back(generated.root / ("Out" + std::to_string(run++)));
    const auto result = TovraneConverter().convert(generated.project, outputs.back(), {}, nullptr);
    lines += result.swiftLines;
  }
  // Removed only after the timed loop: on a file system without a journal,
  // ext4 skips inodes freed in the last half minute when it allocates new
  // ones, so removing each output before the next run made the file
  // creation of later runs slower and slower.
  for (const fs::path& output : outputs) fs::remove_all(output);
  state.counters["swiftLines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["peakMiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(wholeConversion)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
