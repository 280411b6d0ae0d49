// Long chains, one file each, through the frontend and the backend: operator
// chains («0 + 1 + …»), call chains («a.f().f()…»), SwiftUI modifier chains
// («.padding()» after «.padding()») and member chains («s.m.m…»). The time
// per link must stay flat as chains grow. The lowering caps a chain at 5000
// IR levels (a call with its member is two), beyond which it is one
// unsupported placeholder: 50k and 100k links measure the parse and the walk
// to the cap, 1000 and 2000 links are translated whole.
#include "core/backend/KotlinBackend.hpp"
#include "core/backend/SymbolCollector.hpp"
#include "core/frontend/SwiftFrontend.hpp"
#include "core/support/LargeStack.hpp"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace tovrane;

std::string repeated(std::string_view piece, std::int64_t times) {
  std::string out;
  out.reserve(piece.size() * static_cast<std::size_t>(times));
  for (std::int64_t i = 0; i < times; ++i) out += piece;
  return out;
}

enum class Kind { operators, calls, modifiers, members };

std::string source(Kind kind, std::int64_t links) {
  switch (kind) {
    case Kind::operators: return "let x = 0" + repeated(" + 1", links) + "\n";
    case Kind::calls:
      return "struct A { func f() -> A { self } }\nlet y = A()" + repeated(".f()", links) + "\n";
    case Kind::modifiers:
      return "import SwiftUI\nstruct V: View {\n  var body: some View {\n    Text(\"x\")" +
             repeated("\n      .padding()", links) + "\n  }\n}\n";
    case Kind::members: return "struct S { var m: S? }\nlet z = S()" + repeated(".m", links) + "\n";
  }
  return {};
}

void chain(benchmark::State& state, Kind kind) {
  const std::string text = source(kind, state.range(0));
  for (auto _ : state) {
    // On a large stack, as in the app and the command (timed in real time:
    // the work runs on that thread, not the benchmark's).
    runWithLargeStack([&] {
      IRModule module;
      module.files.push_back(SwiftFrontend().parse(text, "Chain.swift"));
      const IRModule merged = SymbolCollector::mergeExtensions(std::move(module));
      KotlinEmitter emitter(SymbolCollector::collect(merged), "com.example.chain");
      benchmark::DoNotOptimize(emitter.emitFile(merged.files.front()));
    });
  }
  state.counters["links/s"] =
      benchmark::Counter(static_cast<double>(state.range(0) * state.iterations()), benchmark::Counter::kIsRate);
  state.counters["bytes/s"] =
      benchmark::Counter(static_cast<double>(text.size() * state.iterations()), benchmark::Counter::kIsRate);
}

#define TOVRANE_CHAIN_BENCH(kind)                                                                    \
  BENCHMARK_CAPTURE(chain, kind, Kind::kind)                                                         \
      ->Arg(1000)                                                                                      \
      ->Arg(2000)                                                                                      \
      ->Arg(50000)                                                                                     \
      ->Arg(100000)                                                                                    \
      ->Unit(benchmark::kMillisecond)                                                                  \
      ->UseRealTime()
TOVRANE_CHAIN_BENCH(operators);
TOVRANE_CHAIN_BENCH(calls);
TOVRANE_CHAIN_BENCH(modifiers);
TOVRANE_CHAIN_BENCH(members);

}  // namespace
