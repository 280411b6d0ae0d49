#include "core/support/LargeStack.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tovrane {
namespace {

// Deep enough to overflow a default 8 MiB stack.
int recurse(int depth) {
  volatile char frame[256];
  frame[0] = static_cast<char>(depth);
  return depth == 0 ? frame[0] : recurse(depth - 1) + 1;
}

TEST(LargeStack, RunsDeepRecursionAndRethrows) {
  int result = 0;
  runWithLargeStack([&] { result = recurse(100000); });
  EXPECT_EQ(result, 100000);
  EXPECT_THROW(runWithLargeStack([] { throw std::runtime_error("x"); }), std::runtime_error);
}

}  // namespace
}  // namespace tovrane
