#include "cli/ConvertCommand.hpp"

#include "core/project/Converter.hpp"
#include "core/support/LargeStack.hpp"

#include <cerrno>
#include <cstring>
#include <ostream>
#include <sys/stat.h>

namespace tovrane::cli {
namespace {

namespace fs = std::filesystem;

// The step text and completion of a stage, as the app shows them.
std::pair<std::string, double> describe(const ConversionStage& stage) {
  if (const auto* p = std::get_if<ConversionStage::parsing>(&stage.node)) {
    const std::string name = fs::path(p->file).filename().string();
    return {"\xC3\x9C" "bersetze " + name + " (" + std::to_string(p->index + 1) + "/" + std::to_string(p->total) + ")",
            0.1 + 0.75 * p->index / std::max(p->total, 1)};
  }
  if (std::holds_alternative<ConversionStage::scanning>(stage.node)) return {"Projekt wird gelesen \xE2\x80\xA6", 0.05};
  if (std::holds_alternative<ConversionStage::generating>(stage.node)) return {"Kotlin-Code wird erzeugt \xE2\x80\xA6", 0.88};
  if (std::holds_alternative<ConversionStage::writingProject>(stage.node))
    return {"Android-Studio-Projekt wird geschrieben \xE2\x80\xA6", 0.95};
  return {"Fertig", 1.0};
}

void printUsage(std::ostream& err) {
  err << "Aufruf: tovrane convert <Xcode-Projektordner, .xcodeproj oder .xcworkspace> [--out <Ordner>]\n";
}

}  // namespace

std::optional<fs::path> projectFolder(const fs::path& item) {
  fs::path folder = item;
  if (!folder.has_filename()) folder = folder.parent_path();
  if (folder.extension() == ".xcodeproj" || folder.extension() == ".xcworkspace") folder = folder.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return std::nullopt;
  return fs::absolute(folder).lexically_normal();
}

void reserveFolder(const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder.parent_path(), ec);
  if (::mkdir(folder.c_str(), 0755) != 0) {
    if (errno == EEXIST) throw OutputFolderError("Der Ausgabeordner " + folder.string() + " existiert bereits.");
    throw OutputFolderError("Der Ausgabeordner " + folder.string() +
                            " konnte nicht angelegt werden: " + std::strerror(errno));
  }
}

fs::path reserveOutputFolder(const fs::path& project) {
  fs::path root = project;
  if (!root.has_filename()) root = root.parent_path();
  const std::string base = root.filename().string() + "-Android";
  for (int n = 1;; ++n) {
    const fs::path candidate = root.parent_path() / (n == 1 ? base : base + "-" + std::to_string(n));
    try {
      reserveFolder(candidate);
      return candidate;
    } catch (const OutputFolderError&) {
      std::error_code ec;
      if (!fs::exists(candidate, ec)) throw;  // not taken, but cannot be made
    }
  }
}

int runConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal) {
  std::optional<fs::path> item, outFolder;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--out" && i + 1 < args.size()) {
      outFolder = args[++i];
    } else if (!item && !args[i].starts_with("-")) {
      item = args[i];
    } else {
      printUsage(err);
      return 2;
    }
  }
  if (!item) {
    printUsage(err);
    return 2;
  }
  const auto project = projectFolder(*item);
  if (!project) {
    err << "Bitte einen Ordner angeben \xE2\x80\x93 nicht eine einzelne Datei.\n";
    return 1;
  }

  fs::path output;
  try {
    if (outFolder) {
      output = fs::absolute(*outFolder).lexically_normal();
      reserveFolder(output);
    } else {
      output = reserveOutputFolder(*project);
    }
  } catch (const OutputFolderError& e) {
    err << e.what() << "\n";
    return 1;
  }

  std::optional<ConversionResult> result;
  std::string failure;
  const auto progress = [&](const ConversionStage& stage) {
    if (!terminal) return;
    const auto [text, fraction] = describe(stage);
    err << "\r\033[K[" << static_cast<int>(fraction * 100) << " %] " << text << std::flush;
  };
  runWithLargeStack([&] {
    try {
      result = TovraneConverter().convert(*project, output, {}, progress);
    } catch (const std::exception& e) {
      failure = e.what();
    }
  });
  if (terminal) err << "\r\033[K";

  if (!result) {
    std::error_code ec;
    fs::remove(output, ec);  // only when the run left it empty
    err << failure << "\n";
    return 1;
  }
  out << "Fertig: " << result->appName << " nach " << output.string() << "\n"
      << "  Swift-Dateien:            " << result->swiftFiles << " (" << result->swiftLines << " Zeilen)\n"
      << "  Kotlin-Dateien:           " << result->kotlinFiles << "\n"
      << "  Gesch\xC3\xA4tzte Abdeckung:     " << static_cast<long long>(result->coverage * 100) << " %\n"
      << "  Nicht \xC3\xBC" "bersetzte Stellen: " << result->unsupportedCount << "\n"
      << "  Hinweise:                 " << result->warnings.size() << "\n";
  return 0;
}

}  // namespace tovrane::cli
