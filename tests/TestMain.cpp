// The one main of every test program.
#include <gtest/gtest.h>
#include <csignal>

int main(int argc, char** argv) {
  // A child that closes its end of a pipe must not kill the test program.
  std::signal(SIGPIPE, SIG_IGN);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
