#include "core/project/Converter.hpp"

#include "core/backend/KotlinBackend.hpp"
#include "core/backend/SymbolCollector.hpp"
#include "core/frontend/SwiftFrontend.hpp"
#include "core/ir/IRJson.hpp"
#include "core/project/AndroidProjectWriter.hpp"
#include "core/project/ProjectScanner.hpp"
#include "core/support/Files.hpp"
#include "core/support/Json.hpp"
#include "core/support/Regex.hpp"
#include "core/support/Text.hpp"

#include <algorithm>
#include <unordered_set>

namespace tovrane {
namespace {

namespace fs = std::filesystem;

// The file's text, or the empty text when it cannot be read or is not UTF-8:
// such a file still takes part in every later step.
std::string readSwiftFile(const fs::path& path) {
  try {
    std::string text = files::readFile(path);
    if (text::isValidUtf8(text)) return text;
  } catch (const files::FileError&) {
  }
  return {};
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
template <class IsTaken>
std::string uniqueKotlinFileName(std::string_view swiftPath, IsTaken isTaken) {
  std::string base(swiftPath.substr(swiftPath.rfind('/') + 1));  // npos + 1 == 0
  if (const auto dot = base.rfind('.'); dot != std::string::npos) base.erase(dot);
  const std::string cleaned = text::replaceAll(text::replaceAll(base, "+", "_"), " ", "_");
  const auto taken = [&](const std::string& candidate) {
    const std::string lowered = project::lowercased(candidate);
    return lowered == "mainactivity.kt" || isTaken(lowered);
  };
  std::string candidate = cleaned + ".kt";
  for (int k = 2; taken(candidate); ++k) candidate = cleaned + "_" + std::to_string(k) + ".kt";
  return candidate;
}

// Failures of the metadata files are not the conversion's: they are skipped.
void writeMetadata(const fs::path& output, const ProjectManifest& manifest, const std::optional<std::string>& ir) {
  const fs::path folder = output / ".tovrane";
  if (!fs::is_directory(folder)) return;
  try {
    files::writeFile(folder / "manifest.json", encodeManifest(manifest));
  } catch (const files::FileError&) {
  }
  if (ir) {
    try {
      files::writeFile(folder / "ir.json", *ir);
    } catch (const files::FileError&) {
    }
  }
}

}  // namespace

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
                                           const ConversionOptions& options, const Progress& progress) const {
  const auto report = [&](ConversionStage stage) {
    if (progress) progress(stage);
  };
  report({ConversionStage::scanning{}});
  const ProjectScan scan = ProjectScanner().scan(project);
  if (scan.swiftFiles.empty()) throw ConversionError::noSwiftFiles(project);

  const std::string appName = options.appName.value_or(scan.appName);
  const std::string packageName = options.packageName.value_or(scan.packageName);

  IRModule parsed;
  int swiftLines = 0;
  const int total = static_cast<int>(scan.swiftFiles.size());
  for (int index = 0; index < total; ++index) {
    const std::string relative = relativePath(scan.swiftFiles[index], project);
    report({ConversionStage::parsing{relative, index, total}});
    const std::string source = readSwiftFile(scan.swiftFiles[index]);
    swiftLines += countLines(source);
    parsed.files.push_back(SwiftFrontend().parse(source, relative));
  }

  report({ConversionStage::generating{}});
  // ".tovrane/ir.json" shows the module as parsed, before extensions are
  // merged: encoding it now lets the merge take the module over instead of
  // working on a deep copy.
  const std::optional<std::string> irJson = encodeIRJson(parsed);
  const IRModule merged = SymbolCollector::mergeExtensions(std::move(parsed));
  const ModuleSymbols symbols = SymbolCollector::collect(merged);
  KotlinEmitter emitter(symbols, packageName);

  std::vector<KotlinSourceFile> kotlinFiles;
  // Lowercased, so that each new name is checked in constant time: many
  // files of the same name must not make naming quadratic.
  std::unordered_set<std::string> kotlinNames;
  ProjectManifest manifest{packageName, project.string(), {}};
  for (std::size_t i = 0; i < merged.files.size(); ++i) {
    std::string text = emitter.emitFile(merged.files[i]);
    std::string name = uniqueKotlinFileName(merged.files[i].path,
                                            [&](const std::string& lowered) { return kotlinNames.contains(lowered); });
    kotlinNames.insert(project::lowercased(name));
    manifest.files[name] = (project / merged.files[i].path).string();
    kotlinFiles.push_back({std::move(name), std::move(text)});
  }

  report({ConversionStage::writingProject{}});
  // Several App types: the smallest name, so repeated runs agree.
  std::optional<std::string> entry;
  const bool entryIsApp = !symbols.apps.empty();
  if (entryIsApp)
    entry = *symbols.apps.begin();
  else if (symbols.views.contains("ContentView"))
    entry = "ContentView";
  else if (!symbols.views.empty())
    entry = *symbols.views.begin();

  const AndroidProjectWriter writer(appName, packageName, output);
  writer.write(kotlinFiles, entry, entryIsApp, scan);

  ConversionResult result;
  result.outputDirectory = output;
  result.appName = appName;
  result.packageName = packageName;
  result.swiftFiles = total;
  result.swiftLines = swiftLines;
  result.kotlinFiles = static_cast<int>(kotlinFiles.size());
  result.warnings = emitter.warnings;
  result.unsupportedCount = emitter.unsupportedCount;
  result.images = static_cast<int>(scan.images.size());
  result.colors = static_cast<int>(scan.colors.size());
  result.coverage = coverageEstimate(swiftLines, emitter.unsupportedCount);
  writer.writeReport(result);

  writeMetadata(output, manifest, irJson);
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

double coverageEstimate(int swiftLines, int unsupportedCount) {
  if (swiftLines == 0) return 1;
  return std::max(0.0, 1.0 - 3.0 * unsupportedCount / swiftLines);
}

std::string folderName(const fs::path& folder) {
  fs::path path = folder;
  if (!path.has_filename()) path = path.parent_path();
  return path.filename().string();
}

ConversionError ConversionError::noSwiftFiles(const fs::path& project) {
  return ConversionError(project, "Im Ordner " + folderName(project) + " wurden keine Swift-Dateien gefunden.");
}

}  // namespace tovrane
