// Grapheme iteration sits under every cut of source text; keep it cheap.
#include "core/support/Text.hpp"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void graphemeCount(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "let name = \"Grüße 👩‍👩‍👧 \\(count)\"\n";
  for (auto _ : state) benchmark::DoNotOptimize(tovrane::text::graphemeCount(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(graphemeCount);

}  // namespace
