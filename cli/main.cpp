// The `tovrane` command: the conversion without a window.
#include "cli/ConvertCommand.hpp"
#include "core/support/Process.hpp"

#include <csignal>
#include <cstring>
#include <iostream>
#include <pthread.h>
#include <string_view>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// The signal that asked the run to stop. The conversion stops at its next
// step and cleans up; a second signal ends the process at once, leaving at
// most the hidden folder of the unfinished project, which the next run into
// the same folder removes. Never destroyed: the thread that takes the
// signals may still use it while the process exits.
tovrane::cli::Interruption& interruption = *new tovrane::cli::Interruption;

// SIGINT and SIGTERM are blocked in every thread and taken by one thread that
// waits for them, so the stop is requested by ordinary code rather than in a
// signal handler. Called before any other thread starts, so that all of them
// inherit the mask.
void handleInterrupts() {
  static sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread([] {
    int signal = 0;
    if (sigwait(&signals, &signal) != 0) return;
    interruption.request(signal);
    if (sigwait(&signals, &signal) == 0) ::_exit(128 + signal);
  }).detach();
}

// Ends the process by the signal that stopped the run, so that a calling
// shell sees the interruption for what it is.
[[noreturn]] void endBy(int signal) {
  std::cout.flush();
  std::signal(signal, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
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
    if (code > 128 && interruption.signal.load() != 0) endBy(interruption.signal.load());
    return code;
  }
  printUsage(argc >= 2 ? std::cerr : std::cout);
  return argc >= 2 ? 2 : 0;
}
