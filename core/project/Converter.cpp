#include "core/project/Converter.hpp"

#include "core/backend/KotlinBackend.hpp"
#include "core/backend/SymbolCollector.hpp"
#include "core/frontend/SwiftFrontend.hpp"
#include "core/ir/IRJson.hpp"
#include "core/project/AndroidProjectWriter.hpp"
#include "core/project/ProjectScanner.hpp"
#include "core/support/Cancelled.hpp"
#include "core/support/Files.hpp"
#include "core/support/Json.hpp"
#include "core/support/Regex.hpp"
#include "core/support/Text.hpp"

#include <algorithm>
#include <unordered_set>

namespace tovrane {
namespace {

namespace fs = std::filesystem;

// Untranslated places that skipped source counts for: one per started three
// lines, as the coverage estimate reckons three lines per place.
int skippedPlaces(const SkippedSource& skipped) { return static_cast<int>((skipped.lines + 2) / 3); }

ConversionWarning warning(std::string file, std::string message, std::string_view source) {
  return ConversionWarning{.file = std::move(file),
                           .message = std::move(message),
                           .source = std::string(text::prefixGraphemes(source, 300))};
}

// The file's text; nullopt, with a warning, when its content is lost: one
// that cannot be read (a special file, too large, no permission) or is not
// text is converted as an empty file. UTF-16 with a byte order mark, as
// editors can save it, is decoded rather than lost.
std::optional<std::string> readSwiftFile(const fs::path& path, const std::string& relative,
                                         std::vector<ConversionWarning>& warnings) {
  constexpr std::string_view lost = " \xE2\x80\x93 ihr Inhalt fehlt in der Konvertierung";
  std::string bytes;
  try {
    bytes = files::readRegularFile(path, ProjectScanner::maxSwiftFileBytes);
  } catch (const files::FileError& e) {
    warnings.push_back(warning(relative, std::string("Swift-Datei nicht lesbar").append(lost), e.reason()));
    return std::nullopt;
  }
  if (text::isValidUtf8(bytes)) return bytes;
  if (std::optional<std::string> decoded = text::utf8FromUtf16(bytes)) return decoded;
  warnings.push_back(
      warning(relative, std::string("Swift-Datei ist weder UTF-8 noch UTF-16 mit Byte-Order-Mark").append(lost), ""));
  return std::nullopt;
}

// The bytes the Swift files will hold in memory, as their sizes tell before
// they are read; files above the per-file limit are refused unread.
std::size_t sourceBytes(const std::vector<fs::path>& swiftFiles) {
  std::size_t total = 0;
  for (const fs::path& file : swiftFiles) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (!ec && size <= ProjectScanner::maxSwiftFileBytes) total += static_cast<std::size_t>(size);
  }
  return total;
}

// Whether the module declares `name` at the top level of the Kotlin package.
bool declaresTopLevel(const ModuleSymbols& symbols, std::string_view name) {
  return symbols.types.contains(name) || symbols.views.contains(name) || symbols.apps.contains(name) ||
         symbols.topLevelFunctions.contains(name) || symbols.topLevelVars.contains(name);
}

// The launcher activity's class: "MainActivity", unless the module has a
// declaration of that name, which the class would clash with.
std::string activityName(const ModuleSymbols& symbols) {
  std::string name = "MainActivity";
  for (int k = 1; declaresTopLevel(symbols, name); ++k)
    name = "TovraneMainActivity" + (k == 1 ? std::string() : std::to_string(k));
  return name;
}

// The composable the activity shows: the App marked @main, else of several
// App types the smallest path (so repeated runs agree), else ContentView or
// the smallest view; written as the backend names the type.
std::optional<std::string> entryComposable(const ModuleSymbols& symbols) {
  std::optional<std::string> entry;
  for (const std::string& app : symbols.apps) {
    const auto type = symbols.types.find(app);
    const bool main = type != symbols.types.end() &&
                      std::ranges::find(type->second.attributes, "main") != type->second.attributes.end();
    if (main || !entry) entry = app;
    if (main) break;
  }
  if (!entry && symbols.views.contains("ContentView")) entry = "ContentView";
  if (!entry && !symbols.views.empty()) entry = *symbols.views.begin();
  if (entry) entry = kwNested(*entry);
  return entry;
}

// The path relative to the project folder: the folder's prefix is removed
// once, at the start (the scan only returns files below it).
std::string relativePath(const fs::path& file, const fs::path& project) {
  const std::string path = file.string();
  std::string prefix = project.string();
  if (!prefix.ends_with('/')) prefix += '/';
  return path.starts_with(prefix) ? path.substr(prefix.size()) : path;
}

// The first free name of "<base>.kt", "<base>_2.kt", … where `isTaken` is
// asked about the lowercased candidate ("MainActivity.kt" is always taken).
// The base is shortened where a candidate would pass the file system's
// limit, as a Swift file's name may take all of it.
template <class IsTaken>
std::string uniqueKotlinFileName(std::string_view swiftPath, IsTaken isTaken) {
  std::string base(swiftPath.substr(swiftPath.rfind('/') + 1));  // npos + 1 == 0
  if (const auto dot = base.rfind('.'); dot != std::string::npos) base.erase(dot);
  const std::string cleaned = text::replaceAll(text::replaceAll(base, "+", "_"), " ", "_");
  const auto taken = [&](const std::string& candidate) {
    const std::string lowered = project::lowercased(candidate);
    return lowered == "mainactivity.kt" || isTaken(lowered);
  };
  std::string candidate = files::fittedName(cleaned, ".kt");
  for (int k = 2; taken(candidate); ++k) candidate = files::fittedName(cleaned, "_" + std::to_string(k) + ".kt");
  return candidate;
}

// Failures of the metadata files are not the conversion's: they are skipped.
// Each is written atomically, so a full disk leaves the file missing, never
// truncated: readers depend on the manifest and can tell "missing".
void writeMetadata(const fs::path& output, const ProjectManifest& manifest, const std::optional<std::string>& ir) {
  const fs::path folder = output / ".tovrane";
  std::error_code error;
  if (!fs::is_directory(folder, error)) return;
  try {
    files::writeAtomic(folder / "manifest.json", encodeManifest(manifest));
  } catch (const files::FileError&) {
  }
  if (ir) {
    try {
      files::writeAtomic(folder / "ir.json", *ir);
    } catch (const files::FileError&) {
    }
  }
}

}  // namespace

std::optional<std::string> TovraneConverter::irJson(const IRModule& module, std::vector<ConversionWarning>& warnings) {
  std::optional<std::string> json = encodeIRJson(module);
  if (json) return json;
  constexpr std::string_view message = "Zu tief verschachtelt f\xC3\xBCr .tovrane/ir.json \xE2\x80\x93 "
                                       "die Datei wird nicht geschrieben";
  const std::size_t before = warnings.size();
  for (const IRFile& file : module.files)
    if (!encodeIRJson(file)) warnings.push_back(warning(file.path, std::string(message), ""));
  if (warnings.size() == before) warnings.push_back(warning(".tovrane/ir.json", std::string(message), ""));
  return std::nullopt;
}

int TovraneConverter::countLines(std::string_view text) {
  int count = 0;
  text::forEachLine(text, text::LineEnds::crlfAsOne, [&](std::string_view line) { count += !line.empty(); });
  return count;
}

std::string TovraneConverter::kotlinFileName(std::string_view swiftPath, const std::vector<std::string>& taken) {
  std::unordered_set<std::string> lowered;
  for (const std::string& name : taken) lowered.insert(project::lowercased(name));
  return uniqueKotlinFileName(swiftPath, [&](const std::string& name) { return lowered.contains(name); });
}

ConversionResult TovraneConverter::convert(const fs::path& project, const fs::path& output,
                                           const ConversionOptions& options, const Progress& progress,
                                           std::stop_token stop) const {
  const auto report = [&](ConversionStage stage) {
    if (progress) progress(stage);
  };
  const auto checkStop = [&] {
    if (stop.stop_requested()) throw Cancelled();
  };
  report({ConversionStage::scanning{}});
  const ProjectScan scan = ProjectScanner().scan(project, stop);
  checkStop();
  if (scan.swiftFiles.empty()) throw ConversionError::noSwiftFiles(project);
  // Checked before the first file is read, and again as files are read, in
  // case one grew meanwhile.
  if (sourceBytes(scan.swiftFiles) > maxProjectSourceBytes)
    throw ConversionError::projectTooLarge(project, maxProjectSourceBytes);

  const std::string appName = options.appName.value_or(scan.appName);
  const std::string packageName = options.packageName.value_or(scan.packageName);

  // The pipeline's own warnings come first: what the scan passed over, then
  // per file what could not be read or parsed; the code generator's and the
  // writer's follow.
  std::vector<ConversionWarning> warnings = scan.warnings;
  int skippedCount = 0;
  int lostFiles = scan.lostSwiftFiles;
  IRModule parsed;
  int swiftLines = 0;
  std::size_t bytesRead = 0;
  const int total = static_cast<int>(scan.swiftFiles.size());
  for (int index = 0; index < total; ++index) {
    checkStop();
    const std::string relative = relativePath(scan.swiftFiles[index], project);
    report({ConversionStage::parsing{relative, index, total}});
    const std::optional<std::string> read = readSwiftFile(scan.swiftFiles[index], relative, warnings);
    lostFiles += !read;
    const std::string_view source = read ? std::string_view(*read) : std::string_view();
    bytesRead += source.size();
    if (bytesRead > maxProjectSourceBytes) throw ConversionError::projectTooLarge(project, maxProjectSourceBytes);
    swiftLines += countLines(source);
    std::vector<SkippedSource> skipped;
    parsed.files.push_back(SwiftFrontend().parse(source, relative, skipped));
    for (const SkippedSource& stretch : skipped) {
      warnings.push_back(warning(relative, "Vom Parser \xC3\xBC" "bersprungen (Zeile " + std::to_string(stretch.line) +
                                               ") \xE2\x80\x93 nicht \xC3\xBC" "bersetzt",
                                 stretch.text));
      skippedCount += skippedPlaces(stretch);
    }
  }

  checkStop();
  report({ConversionStage::generating{}});
  // ".tovrane/ir.json" shows the module as parsed, before extensions are
  // merged: encoding it now lets the merge take the module over instead of
  // working on a deep copy.
  const std::optional<std::string> parsedJson = irJson(parsed, warnings);
  checkStop();
  const IRModule merged = SymbolCollector::mergeExtensions(std::move(parsed), scan.moduleName, stop);
  checkStop();
  const ModuleSymbols symbols = SymbolCollector::collect(merged, scan.moduleName);
  KotlinEmitter emitter(symbols, packageName);
  emitter.stop = stop;

  std::vector<KotlinSourceFile> kotlinFiles;
  // Lowercased, so that each new name is checked in constant time: many
  // files of the same name must not make naming quadratic.
  std::unordered_set<std::string> kotlinNames;
  ProjectManifest manifest{packageName, project.string(), {}};
  for (std::size_t i = 0; i < merged.files.size(); ++i) {
    checkStop();
    std::string text = emitter.emitFile(merged.files[i]);
    checkStop();
    std::string name = uniqueKotlinFileName(merged.files[i].path,
                                            [&](const std::string& lowered) { return kotlinNames.contains(lowered); });
    kotlinNames.insert(project::lowercased(name));
    manifest.files[name] = (project / merged.files[i].path).string();
    kotlinFiles.push_back({std::move(name), std::move(text)});
  }

  report({ConversionStage::writingProject{}});
  const std::optional<std::string> entry = entryComposable(symbols);
  const bool entryIsApp = !symbols.apps.empty();

  const AndroidProjectWriter writer(appName, packageName, output, activityName(symbols));
  const std::vector<ConversionWarning> writerWarnings = writer.write(kotlinFiles, entry, entryIsApp, scan, stop);

  ConversionResult result;
  result.outputDirectory = output;
  result.appName = appName;
  result.packageName = packageName;
  result.swiftFiles = total;
  result.swiftLines = swiftLines;
  result.kotlinFiles = static_cast<int>(kotlinFiles.size());
  result.lostFiles = lostFiles;
  result.warnings = std::move(warnings);
  result.warnings.insert(result.warnings.end(), emitter.warnings.begin(), emitter.warnings.end());
  result.warnings.insert(result.warnings.end(), writerWarnings.begin(), writerWarnings.end());
  // Skipped source is untranslated too, though no placeholder stands for it.
  result.unsupportedCount = emitter.unsupportedCount + skippedCount;
  result.images = static_cast<int>(scan.images.size());
  result.colors = static_cast<int>(scan.colors.size());
  result.coverage = coverageEstimate(swiftLines, result.unsupportedCount, total + scan.lostSwiftFiles, lostFiles);
  checkStop();
  writer.writeReport(result);

  writeMetadata(output, manifest, parsedJson);
  report({ConversionStage::done{}});
  return result;
}

std::string encodeManifest(const ProjectManifest& manifest) {
  json::OrderedJson files = json::OrderedJson::object();
  for (const auto& [kotlin, swift] : manifest.files) files[kotlin] = swift;
  json::OrderedJson object;
  object["packageName"] = manifest.packageName;
  object["sourceRoot"] = manifest.sourceRoot;
  object["files"] = std::move(files);
  return json::dumpCompact(object);
}

std::optional<ProjectManifest> decodeManifest(std::string_view text) {
  const auto document = json::tryParse(text);
  if (!document) return std::nullopt;
  try {
    const json::Reader root(*document);
    ProjectManifest manifest{root.at("packageName").string(), root.at("sourceRoot").string(), {}};
    const json::Reader files = root.at("files");
    for (const auto& [kotlin, swift] : files.object().items())
      manifest.files[kotlin] = json::Reader(swift, files.path() + "." + kotlin).string();
    return manifest;
  } catch (const json::ReadError&) {
    return std::nullopt;
  }
}

std::optional<ProjectManifest> readManifest(const fs::path& androidProject) {
  try {
    return decodeManifest(files::readFile(androidProject / ".tovrane" / "manifest.json"));
  } catch (const files::FileError&) {
    return std::nullopt;
  }
}

std::optional<std::string> trustedPackageName(const ProjectManifest& manifest) {
  static const Regex dottedIdentifiers(R"re([A-Za-z_][A-Za-z0-9_]*(\.[A-Za-z_][A-Za-z0-9_]*)+)re");
  if (!dottedIdentifiers.matches(manifest.packageName)) return std::nullopt;
  return manifest.packageName;
}

std::map<std::string, std::string> trustedFiles(const ProjectManifest& manifest) {
  std::map<std::string, std::string> trusted;
  for (const auto& [kotlin, swift] : manifest.files) {
    const bool plainName = text::endsWith(kotlin, ".kt") &&
                           kotlin.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
    std::error_code error;
    const bool swiftFile = swift.find('\0') == std::string::npos && text::endsWith(swift, ".swift") &&
                           fs::path(swift).is_absolute() && fs::is_regular_file(swift, error);
    if (plainName && swiftFile) trusted.emplace(kotlin, swift);
  }
  return trusted;
}

double coverageEstimate(int swiftLines, int unsupportedCount, int foundFiles, int lostFiles) {
  const double converted = foundFiles > 0 ? static_cast<double>(foundFiles - lostFiles) / foundFiles : 1.0;
  if (swiftLines == 0) return converted;
  return std::max(0.0, 1.0 - 3.0 * unsupportedCount / swiftLines) * converted;
}

std::string folderName(const fs::path& folder) {
  fs::path path = folder;
  if (!path.has_filename()) path = path.parent_path();
  return path.filename().string();
}

ConversionError ConversionError::noSwiftFiles(const fs::path& project) {
  return ConversionError(Kind::noSwiftFiles, project,
                         "Im Ordner " + folderName(project) + " wurden keine Swift-Dateien gefunden.");
}

ConversionError ConversionError::projectTooLarge(const fs::path& project, std::size_t limitBytes) {
  return ConversionError(Kind::projectTooLarge, project,
                         "Die Swift-Dateien im Ordner " + folderName(project) + " sind zusammen gr\xC3\xB6\xC3\x9F" "er als " +
                             std::to_string(limitBytes >> 20) +
                             " MB \xE2\x80\x93 so viel Quelltext kann eine Konvertierung nicht auf einmal bearbeiten.");
}

ConversionError ConversionError::outputExists(const fs::path& output) {
  return ConversionError(Kind::outputExists, output, "Der Zielordner " + output.string() + " existiert bereits.");
}

}  // namespace tovrane
