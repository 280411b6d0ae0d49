// The `tovrane` command: the conversion without a window.
#include "cli/ConvertCommand.hpp"
#include "core/support/Process.hpp"

#include <cstring>
#include <unistd.h>
#include <vector>
#include <iostream>
#include <string_view>

namespace {

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
    const std::vector<std::string> args(argv + 2, argv + argc);
    return tovrane::cli::runConvert(args, std::cout, std::cerr, ::isatty(STDERR_FILENO) != 0);
  }
  printUsage(argc >= 2 ? std::cerr : std::cout);
  return argc >= 2 ? 2 : 0;
}
