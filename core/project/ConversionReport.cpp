// The conversion report "TOVRANE_BERICHT.md" and ".tovrane/warnings.json".
#include "core/project/AndroidProjectWriter.hpp"
#include "core/support/Files.hpp"
#include "core/support/Json.hpp"
#include "core/support/Text.hpp"
#include "core/support/Time.hpp"

#include <map>
#include <set>

namespace tovrane {
namespace {

namespace fs = std::filesystem;

// One line of source for a Markdown code span; other control characters
// (a carriage return among them) could still break the line.
std::string shortSource(std::string_view source) {
  const std::string flat = text::replaceAll(text::replaceAll(source, "\n", " "), "`", "'");
  return text::printable(text::prefixGraphemes(flat, 140));
}

}  // namespace

std::string AndroidProjectWriter::reportText(const ConversionResult& result, std::string_view date) {
  const auto n = [](int value) { return std::to_string(value); };
  std::string out;
  const auto line = [&](std::string_view text) {
    out.append(text);
    out += '\n';
  };
  // Names from the project stay on their line: a line break in a heading
  // would start Markdown of its own.
  line("# Konvertierungsbericht \xE2\x80\x93 " + text::printable(result.appName));
  line("");
  line("Erzeugt von **tovrane** am " + std::string(date) + ".");
  line("");
  line("| | |");
  line("|---|---|");
  line("| Swift-Dateien | " + n(result.swiftFiles) + " (" + n(result.swiftLines) + " Zeilen) |");
  // Only when there are any: the table of a whole conversion stays as it was.
  if (result.lostFiles > 0) line("| Verlorene Swift-Dateien | " + n(result.lostFiles) + " |");
  line("| Kotlin-Dateien | " + n(result.kotlinFiles) + " |");
  line("| Paketname | `" + text::printable(result.packageName) + "` |");
  line("| Bilder / Farben | " + n(result.images) + " / " + n(result.colors) + " |");
  line("| Nicht \xC3\xBC" "bersetzte Stellen | " + n(result.unsupportedCount) + " |");
  line("| Gesch\xC3\xA4tzte Abdeckung | " + std::to_string(static_cast<long long>(result.coverage * 100)) + " % |");
  line("");
  line("## So \xC3\xB6" "ffnest du das Projekt");
  line("");
  line("1. Android Studio starten \xE2\x86\x92 **Open** \xE2\x86\x92 diesen Ordner w\xC3\xA4hlen.");
  line("2. Warten, bis Gradle synchronisiert hat (beim ersten Mal einige Minuten).");
  line("3. Oben einen Emulator oder ein Ger\xC3\xA4t w\xC3\xA4hlen und auf \xE2\x96\xB6\xEF\xB8\x8E klicken.");
  line("");
  line("Stellen, die tovrane nicht automatisch \xC3\xBC" "bersetzen konnte, sind im Code mit `TODO(\"tovrane: \xE2\x80\xA6\")`");
  line("bzw. als orangefarbener Platzhalter \xE2\x80\x9ENicht \xC3\xBC" "bersetzt\" in der App markiert.");
  if (result.warnings.empty()) return out;

  line("");
  line("## Hinweise");
  line("");
  // std::map orders the file texts bytewise, which for UTF-8 is the order of
  // Unicode scalar values.
  std::map<std::string, std::vector<const ConversionWarning*>> groups;
  for (const auto& warning : result.warnings) groups[warning.file].push_back(&warning);
  for (const auto& [file, warnings] : groups) {
    line("### " + text::printable(file));
    line("");
    std::set<std::string> seen;
    for (const ConversionWarning* warning : warnings) {
      if (!seen.insert(warning->message + warning->source).second) continue;
      line("- " + text::printable(warning->message) + ": `" + shortSource(warning->source) + "`");
    }
    line("");
  }
  return out;
}

void AndroidProjectWriter::writeReport(const ConversionResult& result) const {
  write(reportText(result, utcNow()), "TOVRANE_BERICHT.md");
  json::OrderedJson list = json::OrderedJson::array();
  for (const auto& warning : result.warnings) list.push_back(toJson(warning));
  const fs::path folder = target(".tovrane", true);
  files::createDirectories(folder);
  files::writeFile(target(".tovrane/warnings.json"), json::dumpPretty(list));
}

}  // namespace tovrane
