// The IR is written once per conversion as ".tovrane/ir.json"; both directions
// should cost far less than parsing the Swift sources they came from.
#include "core/ir/IRJson.hpp"

#include <benchmark/benchmark.h>

#include <string>
#include <variant>

namespace {

using namespace tovrane;

// Builds a module shaped like converted SwiftUI code and counts its IR
// values (union and record instances) as it goes.
class ModuleGenerator {
 public:
  IRModule module(int files) {
    IRModule result;
    for (int f = 0; f < files; ++f) result.files.push_back(file(f));
    return result;
  }
  long long nodes() const { return nodes_; }

 private:
  IRFile file(int index) {
    IRTypeDecl view{.kind = IRTypeKind::struct_, .name = "Screen" + std::to_string(index), .inherits = {"View"},
                    .attributes = {}, .properties = {}, .functions = {}, .cases = {}, .nested = {},
                    .typealiases = {}};
    for (int p = 0; p < 10; ++p) {
      IRProperty property{.name = "value" + std::to_string(p), .type = type("Int"), .isLet = false,
                          .isStatic = false, .isPrivate = false};
      property.wrapper = "State";
      property.initializer = IRExpr(IRExpr::intLit{std::to_string(p)});
      nodes_ += 2;
      view.properties.push_back(std::move(property));
    }
    for (int m = 0; m < 10; ++m) view.functions.push_back(function("update" + std::to_string(m)));
    nodes_ += 3;
    return IRFile{"Sources/Screen" + std::to_string(index) + ".swift", {IRDecl::type{std::move(view)}}};
  }

  IRFunction function(std::string name) {
    IRFunction result{.name = std::move(name), .params = {}, .body = std::vector<IRStmt>{}, .attributes = {}};
    result.params.push_back(IRParam{.label = std::nullopt, .name = "amount", .type = type("Int")});
    nodes_ += 2;
    for (int s = 0; s < 8; ++s) {
      // value = value + amount * 2 + count(items.filter { $0 > 1 })
      IRExpr sum = IRExpr::binary{IRExpr::binary{ident("value"), "+", IRExpr::binary{ident("amount"), "*", lit("2")}},
                                  "+", call(member(ident("items"), "filter"), closure())};
      nodes_ += 3;
      std::vector<IRStmt> then;
      then.push_back(IRStmt::assign{ident("value"), "=", std::move(sum)});
      then.push_back(IRStmt::expr{call(ident("print"), IRExpr::stringLit{{IRStringPart::text{"value: "},
                                                                          IRStringPart::interp{ident("value")}}})});
      nodes_ += 6;
      result.body->push_back(IRStmt::ifStmt{{IRCondition::bool_{IRExpr::binary{ident("amount"), ">", lit("0")}}},
                                            std::move(then), std::vector<IRStmt>{IRStmt::ret{}}});
      nodes_ += 5;
    }
    return result;
  }

  IRType type(std::string name) {
    ++nodes_;
    return IRType::named{std::move(name), {}};
  }
  IRExpr ident(std::string name) {
    ++nodes_;
    return IRExpr::ident{std::move(name)};
  }
  IRExpr lit(std::string text) {
    ++nodes_;
    return IRExpr::intLit{std::move(text)};
  }
  IRExpr member(IRExpr base, std::string name) {
    ++nodes_;
    return IRExpr::member{std::move(base), std::move(name)};
  }
  IRExpr call(IRExpr callee, IRExpr argument) {
    nodes_ += 2;
    return IRExpr::call{std::move(callee), {IRArg{.label = std::nullopt, .value = std::move(argument)}}, {}};
  }
  IRExpr closure() {
    nodes_ += 3;
    return IRExpr::closure{IRClosure{{"$0"}, {IRStmt::expr{IRExpr::binary{ident("$0"), ">", lit("1")}}}}};
  }

  long long nodes_ = 0;
};

constexpr int fileCount = 250;

void encodeModule(benchmark::State& state) {
  ModuleGenerator generator;
  const IRModule module = generator.module(fileCount);
  std::size_t bytes = 0;
  for (auto _ : state) {
    auto text = encodeIRJson(module);
    bytes = text->size();
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["nodes"] = static_cast<double>(generator.nodes());
  state.counters["nodes/s"] =
      benchmark::Counter(static_cast<double>(generator.nodes()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(encodeModule)->Unit(benchmark::kMillisecond)->UseRealTime();

void decodeModule(benchmark::State& state) {
  ModuleGenerator generator;
  const std::string text = *encodeIRJson(generator.module(fileCount));
  for (auto _ : state) {
    auto read = decodeIRJson<IRModule>(text);
    if (!std::holds_alternative<IRModule>(read)) state.SkipWithError("the generated module did not read back");
    benchmark::DoNotOptimize(read);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.counters["nodes"] = static_cast<double>(generator.nodes());
  state.counters["nodes/s"] =
      benchmark::Counter(static_cast<double>(generator.nodes()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(decodeModule)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
