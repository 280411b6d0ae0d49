#include "tests/support/FakeTool.hpp"

#include "core/support/Process.hpp"
#include "tests/support/TempDir.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace tovrane::testsupport {
namespace {

TEST(FakeTool, CallsRunningAtOnceKeepTheirRecordsWhole) {
  TempDir dir;
  FakeTool fake;
  fake.readsInput = true;
  fake.variables = {"WHO"};
  const auto tool = fake.install(dir / "tool");
  std::vector<std::jthread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      process::Spec spec;
      spec.program = tool.program;
      spec.arguments = {std::to_string(t), ""};
      spec.environment = {{"PATH", "/usr/bin:/bin"}, {"WHO", "thread " + std::to_string(t)}};
      spec.input = process::Input::bytes;
      spec.inputBytes = std::string(20000, static_cast<char>('a' + t)) + "\n@end\n";
      process::run(spec);
    });
  threads.clear();
  const auto calls = tool.calls();
  ASSERT_EQ(calls.size(), 4u);
  std::vector<bool> seen(4);
  for (const auto& call : calls) {
    ASSERT_EQ(call.arguments.size(), 2u);
    const int t = std::stoi(call.arguments[0]);
    seen[t] = true;
    EXPECT_EQ(call.arguments[1], "");
    EXPECT_EQ(call.variables.at("WHO"), "thread " + std::to_string(t));
    EXPECT_EQ(call.input, std::string(20000, static_cast<char>('a' + t)) + "\n@end\n");
  }
  EXPECT_EQ(seen, std::vector<bool>(4, true));
}

TEST(FakeTool, LogsTheVariablesAsTheCallerSetThem) {
  // The logging sets its own PATH and LC_ALL; the record must not show them.
  TempDir dir;
  FakeTool fake;
  fake.variables = {"PATH", "LC_ALL", "EMPTY", "ABSENT"};
  const auto tool = fake.install(dir / "tool");
  process::Spec spec;
  spec.program = tool.program;
  spec.environment = {{"PATH", "/caller/bin:/usr/bin:/bin"}, {"LC_ALL", "de_DE.UTF-8"}, {"EMPTY", ""}};
  process::run(spec);
  const auto calls = tool.calls();
  ASSERT_EQ(calls.size(), 1u);
  const std::map<std::string, std::optional<std::string>> expected = {
      {"PATH", "/caller/bin:/usr/bin:/bin"}, {"LC_ALL", "de_DE.UTF-8"}, {"EMPTY", ""}, {"ABSENT", std::nullopt}};
  EXPECT_EQ(calls[0].variables, expected);
}

TEST(FakeTool, WithoutCallsTheLogIsEmptyAndReinstallingClearsIt) {
  TempDir dir;
  const auto tool = FakeTool{}.install(dir / "tool");
  EXPECT_TRUE(tool.calls().empty());
  process::Spec spec;
  spec.program = tool.program;
  process::run(spec);
  EXPECT_EQ(tool.calls().size(), 1u);
  FakeTool{}.install(dir / "tool");
  EXPECT_TRUE(tool.calls().empty());
  EXPECT_TRUE(readToolLog(dir / "never-written.log").empty());
}

}  // namespace
}  // namespace tovrane::testsupport
