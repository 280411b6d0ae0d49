// Harvesting runs after every accepted repair, on the largest files it takes
// (1499 lines a side): the line diff's table is its whole cost.
#include "core/repair/FixKnowledge.hpp"
#include "core/support/Text.hpp"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using tovrane::FixKnowledge;

constexpr int lineCount = 1499;

// A Kotlin-like file with a placeholder every 100 lines, and its repair: the
// placeholders replaced, a few lines inserted and deleted near them.
struct Pair {
  std::string before;
  std::string after;
};

Pair makePair() {
  std::vector<std::string> before, after;
  for (int i = 0; i < lineCount; ++i) {
    const std::string line = "    val value" + std::to_string(i) + " = compute(" + std::to_string(i % 17) + ")";
    if (i % 100 == 50) {
      before.push_back("    val total" + std::to_string(i) + " = TODO(\"tovrane: items" + std::to_string(i) + ".reduce(0, +)\")");
      after.push_back("    val total" + std::to_string(i) + " = items.sum()");
    } else if (i % 300 == 10) {
      before.push_back(line);  // deleted in the repair
    } else if (i % 300 == 20) {
      before.push_back(line);
      after.push_back(line);
      after.push_back("    // inserted by the repair");
    } else {
      before.push_back(line);
      after.push_back(line);
    }
  }
  while (after.size() > static_cast<std::size_t>(lineCount)) after.pop_back();
  return {tovrane::text::join(before, "\n"), tovrane::text::join(after, "\n")};
}

void hunks(benchmark::State& state) {
  const Pair pair = makePair();
  const auto oldLines = tovrane::text::splitLines(pair.before);
  const auto newLines = tovrane::text::splitLines(pair.after);
  for (auto _ : state) benchmark::DoNotOptimize(FixKnowledge::hunks(oldLines, newLines));
  state.counters["lines/s"] =
      benchmark::Counter(static_cast<double>(oldLines.size() + newLines.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(hunks)->Unit(benchmark::kMillisecond);

void harvest(benchmark::State& state) {
  const Pair pair = makePair();
  const std::vector<std::string> errors = {"line 200:5 Unresolved reference 'x'.", "line 900:1 Type mismatch."};
  std::size_t fixes = 0;
  for (auto _ : state) {
    const auto harvested = FixKnowledge::harvest(pair.before, pair.after, errors, "bench");
    fixes = harvested.size();
    benchmark::DoNotOptimize(harvested);
  }
  state.counters["fixes"] = static_cast<double>(fixes);
  state.counters["lines/s"] = benchmark::Counter(
      static_cast<double>(tovrane::text::lineCount(pair.before) + tovrane::text::lineCount(pair.after)),
      benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(harvest)->Unit(benchmark::kMillisecond);

}  // namespace
