// The `tovrane` command: the conversion without a window.
#include "cli/ConvertCommand.hpp"
#include "core/support/Process.hpp"

#include <atomic>
#include <csignal>
#include <cstring>
#include <iostream>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

// The signal that asked the run to stop. The conversion stops at its next
// step and cleans up; a second signal ends the process at once, leaving at
// most the hidden folder of the unfinished project.
std::atomic<int> interruption{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onInterrupt(int signal) {
  if (interruption.exchange(signal) != 0) ::_exit(128 + signal);
}

void handleInterrupts() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

// Ends the process by the signal that stopped the run, so that a calling
// shell sees the interruption for what it is.
[[noreturn]] void endBy(int signal) {
  std::cout.flush();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  ::_exit(128 + signal);
}

void printUsage(std::ostream& out) {
  out << "tovrane " << TOVRANE_VERSION << " – Xcode-Projekte (Swift/SwiftUI) nach Android (Kotlin/Compose)\n"
      << "\n"
      << "Aufruf:\n"
      << "  tovrane convert <Projektordner> [--out <Ordner>]\n"
      << "                         Xcode-Projekt in ein Android-Studio-Projekt umwandeln\n"
      << "  tovrane --version      Version anzeigen\n"
      << "  tovrane --help         Diese Hilfe anzeigen\n";
}

}  // namespace

int main(int argc, char** argv) {
  tovrane::process::ignoreSigpipe();
  if (argc >= 2 && std::string_view(argv[1]) == "--version") {
    std::cout << "tovrane " << TOVRANE_VERSION << "\n";
    return 0;
  }
  if (argc >= 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
    printUsage(std::cout);
    return 0;
  }
  if (argc >= 2 && std::string_view(argv[1]) == "convert") {
    handleInterrupts();
    const std::vector<std::string> args(argv + 2, argv + argc);
    const int code = tovrane::cli::runConvert(args, std::cout, std::cerr, ::isatty(STDERR_FILENO) != 0, &interruption);
    if (code > 128 && interruption.load() != 0) endBy(interruption.load());
    return code;
  }
  printUsage(argc >= 2 ? std::cerr : std::cout);
  return argc >= 2 ? 2 : 0;
}
