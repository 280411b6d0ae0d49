// Parse and fold throughput over the Swift corpus (and fixtures), repeated
// to at least 200k lines. Reports lines/s ("items") and bytes/s, and the
// growth of the process's peak memory per source byte as a counter.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "core/swift/SwiftSyntax.hpp"

namespace {

namespace fs = std::filesystem;

const std::string& workload() {
  static const std::string text = [] {
    std::string one;
    for (const char* folder : {"tests/swift/corpus", "tests/swift/fixtures", "tests/swift/golden"}) {
      fs::path root = fs::path(TOVRANE_SOURCE_DIR) / folder;
      if (!fs::exists(root)) continue;
      std::vector<fs::path> files;
      for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.path().extension() == ".swift" && entry.path().string().find("/broken/") == std::string::npos)
          files.push_back(entry.path());
      std::sort(files.begin(), files.end());
      for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream buffer;
        buffer << in.rdbuf();
        one += buffer.str();
        one += "\n";
      }
    }
    std::size_t lines = std::max<std::size_t>(1, static_cast<std::size_t>(std::count(one.begin(), one.end(), '\n')));
    std::string all;
    for (std::size_t total = 0; total < 200000; total += lines) all += one;
    return all;
  }();
  return text;
}

// The process's high-water mark in bytes.
double peakBytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) * 1024.0;
}

// How far one parsed and folded tree of the workload raises the peak, per
// source byte; measured once, before any timed run.
double peakPerSourceByte() {
  static const double value = [] {
    const std::string& text = workload();
    const double before = peakBytes();
    {
      tovrane::swift::SyntaxTree tree = tovrane::swift::parse(text);
      benchmark::DoNotOptimize(tovrane::swift::fold(tree));
    }
    return (peakBytes() - before) / static_cast<double>(text.size());
  }();
  return value;
}

void parseAndFold(benchmark::State& state) {
  const std::string& text = workload();
  auto lines = static_cast<std::int64_t>(std::count(text.begin(), text.end(), '\n'));
  std::size_t nodes = 0;
  const double peak = peakPerSourceByte();
  for (auto _ : state) {
    tovrane::swift::SyntaxTree tree = tovrane::swift::parse(text);
    tovrane::swift::FoldResult result = tovrane::swift::fold(tree);
    benchmark::DoNotOptimize(result);
    nodes = tree.nodeCount();
  }
  state.SetItemsProcessed(state.iterations() * lines);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["nodes"] = static_cast<double>(nodes);
  state.counters["peakPerSourceByte"] = peak;
}
BENCHMARK(parseAndFold)->Unit(benchmark::kMillisecond);

void parseOnly(benchmark::State& state) {
  const std::string& text = workload();
  auto lines = static_cast<std::int64_t>(std::count(text.begin(), text.end(), '\n'));
  for (auto _ : state) benchmark::DoNotOptimize(tovrane::swift::parse(text).nodeCount());
  state.SetItemsProcessed(state.iterations() * lines);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(parseOnly)->Unit(benchmark::kMillisecond);

// Runs of one pattern that once took quadratic time: modifiers that no
// declaration follows, a call of "a<b" arguments (each "<" could open generic
// arguments), and the lexer's runs that each token read again to their end.
// Each run repeats its piece 50k times; its bytes/s should stay near the
// corpus's.
struct LongRun {
  const char* label;
  std::string head;
  const char* piece;
  const char* tail;
};

const LongRun longRuns[] = {
    {"public public … x", "", "public ", "x\n"},
    {"f(a<b, a<b, …)", "f(", "a<b, ", "c)\n"},
    {"a!!!…", "a", "!", "\n"},
    {"Int???…", "Int", "?", "\n"},
    {"<#<#<#… on one line", "", "<#", "\n"},
    {"<#x on each line", "", "<#x\n", ""},
    {"###…", "", "#", "\n"},
    {"\"\"\"\"\"\"…", "", "\"\"\"", "\n"},
    {"((( … ]]]", std::string(50000, '('), "]", "\n"},
    {"= /[ = /[ …", "", "= /[ ", "\n"},
    {"#/a on each line", "", "#/a\n", ""},
    {"case 1: #if a a a …", "switch x {\ncase 1: #if", " a", "\n}\n"},
};

void parseLongRun(benchmark::State& state) {
  const LongRun& run = longRuns[state.range(0)];
  std::string text = run.head;
  for (int i = 0; i < 50000; ++i) text += run.piece;
  text += run.tail;
  for (auto _ : state) benchmark::DoNotOptimize(tovrane::swift::parse(text).nodeCount());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.SetLabel(run.label);
}
BENCHMARK(parseLongRun)->DenseRange(0, static_cast<int>(std::size(longRuns)) - 1)->Unit(benchmark::kMillisecond);

}  // namespace
