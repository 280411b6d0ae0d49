#include "cli/ConvertCommand.hpp"

#include "core/project/StagedConversion.hpp"
#include "core/support/Cancelled.hpp"
#include "core/support/ErrorText.hpp"
#include "core/support/Files.hpp"
#include "core/support/Text.hpp"

#include <cerrno>
#include <new>
#include <ostream>
#include <unistd.h>
#include <variant>

namespace tovrane::cli {
namespace {

namespace fs = std::filesystem;

// Project data (names of files and folders, the app name) on the terminal:
// control characters could rewrite the screen.
std::string shown(std::string_view text) { return text::printable(text); }

// The step text and completion of a stage, as the app shows them.
std::pair<std::string, double> describe(const ConversionStage& stage) {
  if (const auto* p = std::get_if<ConversionStage::parsing>(&stage.node)) {
    const std::string name = shown(fs::path(p->file).filename().string());
    return {"\xC3\x9C" "bersetze " + name + " (" + std::to_string(p->index + 1) + "/" + std::to_string(p->total) + ")",
            0.1 + 0.75 * p->index / std::max(p->total, 1)};
  }
  if (std::holds_alternative<ConversionStage::scanning>(stage.node)) return {"Projekt wird gelesen \xE2\x80\xA6", 0.05};
  if (std::holds_alternative<ConversionStage::generating>(stage.node)) return {"Kotlin-Code wird erzeugt \xE2\x80\xA6", 0.88};
  if (std::holds_alternative<ConversionStage::writingProject>(stage.node))
    return {"Android-Studio-Projekt wird geschrieben \xE2\x80\xA6", 0.95};
  return {"Fertig", 1.0};
}

void printUsage(std::ostream& stream) {
  stream << "Aufruf: tovrane convert [--out <Ordner>] [--] <Xcode-Projektordner, .xcodeproj oder .xcworkspace>\n";
}

int usage(std::ostream& err) {
  printUsage(err);
  return 2;
}

bool isPermissionError(int error) { return error == EACCES || error == EPERM || error == EROFS; }

// A file-system failure as a German sentence around its German reason.
std::string fileFailure(const fs::path& path, const std::string& reason, int error) {
  if (!isPermissionError(error)) return "Dateifehler bei " + shown(path.string()) + ": " + reason + ".";
  // EACCES's reason would only repeat the sentence.
  return "Keine Berechtigung f\xC3\xBCr " + shown(path.string()) + (error == EACCES ? "" : " (" + reason + ")") + ".";
}


// The project folder for the item, or the German text saying why there is none.
std::variant<fs::path, std::string> resolveProject(const fs::path& item) {
  if (const auto folder = projectFolder(item)) {
    if (::access(folder->c_str(), R_OK | X_OK) != 0)
      return "Keine Berechtigung, den Ordner " + shown(folder->string()) + " zu lesen.";
    return *folder;
  }
  std::error_code ec;
  const fs::file_status status = fs::status(item, ec);
  if (isPermissionError(ec.value())) return "Keine Berechtigung f\xC3\xBCr " + shown(item.string()) + ".";
  if (!fs::exists(status)) return "Den Ordner " + shown(item.string()) + " gibt es nicht.";
  return std::string("Bitte einen Ordner angeben \xE2\x80\x93 nicht eine einzelne Datei.");
}

}  // namespace

std::optional<fs::path> projectFolder(const fs::path& item) {
  fs::path folder = files::normalPath(item);
  if (folder.extension() == ".xcodeproj" || folder.extension() == ".xcworkspace") folder = folder.parent_path();
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return std::nullopt;
  return folder;
}

std::string failureText(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const ConversionError& e) {
    return shown(e.what());
  } catch (const files::FileError& e) {
    return fileFailure(e.path(), e.reason(), e.error());
  } catch (const fs::filesystem_error& e) {
    return fileFailure(e.path1(), errortext::systemText(e.code()), e.code().value());
  } catch (const std::bad_alloc&) {
    return "Nicht genug Arbeitsspeicher f\xC3\xBCr diese Konvertierung.";
  } catch (const std::exception& e) {
    return "Die Konvertierung ist fehlgeschlagen: " + shown(errortext::describe(e));
  }
}

fs::path freeOutputFolder(const fs::path& project) {
  const fs::path root = files::normalPath(project);
  const std::string name = root.filename().string();
  for (int n = 1;; ++n) {
    const fs::path candidate =
        root.parent_path() / files::fittedName(name, n == 1 ? "-Android" : "-Android-" + std::to_string(n));
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate;
  }
}

int runConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool terminal,
               Interruption* interruption) {
  std::optional<std::string> item, outFolder;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
      // Asked for, the usage is the answer, whatever else stands there.
      printUsage(out);
      return 0;
    } else if (!optionsEnded && arg == "--out") {
      if (outFolder || i + 1 == args.size()) return usage(err);
      outFolder = args[++i];
    } else if ((!optionsEnded && arg.starts_with("-")) || item) {
      return usage(err);
    } else {
      item = arg;
    }
  }
  // An empty path would name the current folder: almost certainly a mistake.
  if (!item || item->empty() || (outFolder && outFolder->empty())) return usage(err);

  fs::path folder, output;
  try {
    auto project = resolveProject(*item);
    if (const auto* problem = std::get_if<std::string>(&project)) {
      err << *problem << "\n";
      return 1;
    }
    folder = std::get<fs::path>(std::move(project));
    output = outFolder ? files::normalPath(*outFolder) : freeOutputFolder(folder);
  } catch (const files::FileError&) {
    // A relative path, and the current folder it is relative to is gone.
    err << failureText(std::current_exception()) << "\n";
    return 1;
  }

  const auto progress = [&](const ConversionStage& stage) {
    if (!terminal) return;
    const auto [text, fraction] = describe(stage);
    err << "\r\033[K[" << static_cast<int>(fraction * 100) << " %] " << text << std::flush;
  };
  std::optional<ConversionResult> result;
  std::exception_ptr failure;
  try {
    result = convertIntoNewFolder(folder, output, {}, progress,
                                  interruption ? interruption->stop.get_token() : std::stop_token());
  } catch (const Cancelled&) {
  } catch (...) {
    failure = std::current_exception();
  }
  if (terminal) err << "\r\033[K";

  if (!result && !failure) {
    err << "Abgebrochen \xE2\x80\x93 es wurde kein Projekt angelegt.\n";
    return 128 + interruption->signal.load();
  }
  if (failure) {
    err << failureText(failure) << "\n";
    return 1;
  }
  out << "Fertig: " << shown(result->appName) << " nach " << shown(output.string()) << "\n"
      << "  Swift-Dateien:            " << result->swiftFiles << " (" << result->swiftLines << " Zeilen)\n"
      << "  Kotlin-Dateien:           " << result->kotlinFiles << "\n"
      << "  Gesch\xC3\xA4tzte Abdeckung:     " << static_cast<long long>(result->coverage * 100) << " %\n"
      << "  Nicht \xC3\xBC" "bersetzte Stellen: " << result->unsupportedCount << "\n"
      << "  Verlorene Swift-Dateien:  " << result->lostFiles << "\n"
      << "  Hinweise:                 " << result->warnings.size() << "\n";
  if (!readManifest(output))
    err << "Warnung: .tovrane/manifest.json konnte nicht geschrieben werden \xE2\x80\x93 KI-Reparatur und "
           "Ger\xC3\xA4tetest brauchen diese Datei.\n";
  return 0;
}

}  // namespace tovrane::cli
