#include "core/project/ProjectScanner.hpp"

#include "core/support/ErrorText.hpp"
#include "core/support/Files.hpp"
#include "core/support/Json.hpp"
#include "core/support/Text.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>
#include <utf8proc.h>

namespace tovrane {
namespace fs = std::filesystem;

namespace {

// Words that Kotlin or Java reserve; a package part that equals one gets "_".
constexpr std::array<std::string_view, 38> reservedWords{
    "package", "class", "fun", "object", "val", "var", "when", "is", "in", "as",
    "if", "do", "for", "try", "null", "true", "false", "this", "super", "return",
    "throw", "while", "interface", "typealias", "typeof", "break", "continue", "else", "int", "new",
    "default", "public", "private", "static", "final", "native", "switch", "case"};

constexpr std::array<std::string_view, 4> imageExtensions{"png", "jpg", "jpeg", "webp"};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& table, std::string_view word) {
  return std::find(table.begin(), table.end(), word) != table.end();
}

using text::endsWith;

// How the walks see one directory entry. Links count as what they point
// at while that lies inside the boundary; links to folders are never entered
// (their target is walked under its own path).
enum class Kind {
  file,
  folder,
  special,     // a FIFO, socket or device: reading one could block or never end
  linkOut,     // a link whose target lies outside the boundary
  linkBroken,  // a link whose target cannot be reached
  passed,      // a link to a folder inside the boundary
};

struct Entry {
  fs::path path;
  std::string name;
  Kind kind;
};

fs::path canonicalOrEmpty(const fs::path& path) {
  std::error_code ec;
  fs::path out = fs::canonical(path, ec);
  return ec ? fs::path{} : out;
}

// True when path (following every link) is a regular file inside boundary.
bool isFileWithin(const fs::path& path, const fs::path& canonicalBoundary) {
  const fs::path target = canonicalOrEmpty(path);
  std::error_code ec;
  return !target.empty() && !canonicalBoundary.empty() && files::isWithin(canonicalBoundary, target) &&
         fs::is_regular_file(target, ec);
}

// The kind as the folder listing tells it, which needs no further look at
// the entry: a folder whose path passes the system's limit is still known
// as a folder (and reported when it cannot be listed). An entry whose kind
// cannot be told counts as a file.
Kind classify(const fs::directory_entry& entry, const fs::path& canonicalBoundary) {
  std::error_code ec;
  if (entry.is_symlink(ec)) {
    const fs::path target = canonicalOrEmpty(entry.path());
    if (target.empty()) return Kind::linkBroken;
    if (canonicalBoundary.empty() || !files::isWithin(canonicalBoundary, target)) return Kind::linkOut;
    const fs::file_status status = fs::status(target, ec);
    if (ec) return Kind::linkBroken;
    if (fs::is_directory(status)) return Kind::passed;
    return fs::is_regular_file(status) ? Kind::file : Kind::special;
  }
  if (entry.is_directory(ec)) return Kind::folder;
  if (entry.is_regular_file(ec) || ec) return Kind::file;
  return Kind::special;
}

Kind classify(const fs::path& path, const fs::path& canonicalBoundary) {
  std::error_code ec;
  return classify(fs::directory_entry(path, ec), canonicalBoundary);
}

// The folder's entries, sorted by name: the file system's own order is
// arbitrary (hash order on ext4), and a fixed order makes the first project
// folder, the order of colours and images and the last app icon set the same
// on every run. nullopt, with the system's reason in `error`, when the folder
// cannot be listed.
std::optional<std::vector<Entry>> listFolder(const fs::path& folder, const fs::path& canonicalBoundary,
                                             bool includeHidden, std::error_code& error) {
  fs::directory_iterator it(folder, error), end;
  if (error) return std::nullopt;
  std::vector<Entry> entries;
  for (; it != end; it.increment(error)) {
    if (error) return std::nullopt;
    std::string name = it->path().filename().string();
    if (!includeHidden && name.starts_with('.')) continue;
    const Kind kind = classify(*it, canonicalBoundary);
    entries.push_back({it->path(), std::move(name), kind});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return entries;
}

// Depth-first, pre-order walk below root. visit returns whether to enter a
// folder entry; unlisted(folder, error) hears of each folder that cannot be
// listed, which is passed over. Iterative, so a deep tree cannot exhaust the
// stack. Ends early, with what it has, when stop is requested.
template <typename Visit, typename Unlisted>
void walk(const fs::path& root, const fs::path& canonicalBoundary, bool includeHidden, const std::stop_token& stop,
          Visit visit, Unlisted unlisted) {
  std::vector<std::pair<std::vector<Entry>, std::size_t>> stack;
  const auto enter = [&](const fs::path& folder) {
    std::error_code error;
    if (auto entries = listFolder(folder, canonicalBoundary, includeHidden, error))
      stack.emplace_back(std::move(*entries), 0);
    else
      unlisted(folder, error);
  };
  enter(root);
  while (!stack.empty() && !stop.stop_requested()) {
    auto& [entries, next] = stack.back();
    if (next == entries.size()) {
      stack.pop_back();
      continue;
    }
    const Entry entry = entries[next++];
    if (visit(entry) && entry.kind == Kind::folder) enter(entry.path);
  }
}

// Builds the scan's warnings about what it passed over, each naming the
// entry relative to the project folder.
struct PassedOver {
  const fs::path& root;
  std::vector<ConversionWarning>& warnings;

  void add(const fs::path& path, std::string message, std::string source) {
    std::string file = path.lexically_relative(root).string();
    if (file.empty() || file == ".") file = path.filename().string();
    warnings.push_back({std::move(file), std::move(message), std::move(source)});
  }
  void folder(const fs::path& path, const std::error_code& error) {
    add(path,
        error == std::errc::filename_too_long
            ? "Pfad ist l\xC3\xA4nger, als das System erlaubt \xE2\x80\x93 der Ordner fehlt in der Konvertierung"
            : "Ordner nicht lesbar \xE2\x80\x93 sein Inhalt fehlt in der Konvertierung",
        errortext::systemText(error));
  }
  // A link that leads out of the project or nowhere; its target is the source.
  void link(const Entry& entry) {
    std::error_code ec;
    add(entry.path,
        entry.kind == Kind::linkOut ? "Link f\xC3\xBChrt aus dem Projekt hinaus \xE2\x80\x93 nicht \xC3\xBC" "bernommen"
                                    : "Link ohne erreichbares Ziel \xE2\x80\x93 nicht \xC3\xBC" "bernommen",
        fs::read_symlink(entry.path, ec).string());
  }
  void special(const Entry& entry) {
    add(entry.path,
        "Swift-Datei ist keine gew\xC3\xB6hnliche Datei (FIFO, Socket oder Ger\xC3\xA4t) \xE2\x80\x93 "
        "nicht \xC3\xBC" "bernommen",
        entry.name);
  }
};

bool isLink(Kind kind) { return kind == Kind::linkOut || kind == Kind::linkBroken; }

// The content of a quoted value of a project.pbxproj file (an old-style
// property list) from `pos`, just after its opening quote, with its escapes
// decoded: \n and the other C escapes, \U and up to four hexadecimal digits
// (a UTF-16 unit; pairs are joined), a backslash and up to three octal digits
// (taken as the Latin-1 character), and a backslash before any other
// character standing for that character. `pos` ends just after the closing
// quote, or at the end of the text when there is none.
std::string decodeQuoted(std::string_view text, std::size_t& pos) {
  std::string out;
  const auto digits = [&](int base, std::size_t most) {
    std::uint32_t value = 0;
    std::size_t taken = 0;
    for (; taken < most && pos < text.size(); ++taken, ++pos) {
      const char c = text[pos];
      const int digit = c >= '0' && c <= '9'                 ? c - '0'
                        : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                             : base;
      if (digit >= base) break;
      value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    }
    return taken == 0 ? std::optional<std::uint32_t>() : value;
  };
  char32_t highSurrogate = 0;
  const auto flushSurrogate = [&] {
    if (highSurrogate != 0) text::appendUtf8(out, U'\uFFFD');
    highSurrogate = 0;
  };
  while (pos < text.size()) {
    const char c = text[pos++];
    if (c == '"') break;
    if (c != '\\' || pos == text.size()) {
      flushSurrogate();
      out += c;
      continue;
    }
    const char escaped = text[pos++];
    if (escaped == 'U') {
      const std::optional<std::uint32_t> unit = digits(16, 4);
      if (!unit) {
        flushSurrogate();
        out += 'U';
      } else if (*unit >= 0xD800 && *unit <= 0xDBFF) {
        flushSurrogate();
        highSurrogate = static_cast<char32_t>(*unit);
      } else if (*unit >= 0xDC00 && *unit <= 0xDFFF) {
        if (highSurrogate == 0) text::appendUtf8(out, U'\uFFFD');
        else text::appendUtf8(out, 0x10000 + ((highSurrogate - 0xD800) << 10) + (*unit - 0xDC00));
        highSurrogate = 0;
      } else {
        flushSurrogate();
        text::appendUtf8(out, static_cast<char32_t>(*unit));
      }
      continue;
    }
    flushSurrogate();
    if (escaped >= '0' && escaped <= '7') {
      --pos;
      text::appendUtf8(out, static_cast<char32_t>(*digits(8, 3)));
      continue;
    }
    constexpr std::string_view named = "abfnrtv", meaning = "\a\b\f\n\r\t\v";
    const auto at = named.find(escaped);
    out += at == std::string_view::npos ? escaped : meaning[at];
  }
  flushSurrogate();
  return out;
}

// The Swift files (sorted by path) with every second path of one file left
// out: a link to another Swift file of the project names the same source,
// which is converted once, under its own path where the walk found it.
std::vector<fs::path> withoutSecondNames(std::vector<fs::path> swiftFiles) {
  std::map<fs::path, std::size_t> byTarget;  // canonical path → index of the kept entry
  std::vector<bool> keep(swiftFiles.size(), true);
  for (std::size_t i = 0; i < swiftFiles.size(); ++i) {
    const fs::path target = canonicalOrEmpty(swiftFiles[i]);
    if (target.empty()) continue;
    const auto [found, inserted] = byTarget.emplace(target, i);
    if (inserted) continue;
    // Of two names, the file's own path wins over a link's.
    std::error_code ec;
    const bool laterIsLink = fs::is_symlink(fs::symlink_status(swiftFiles[i], ec));
    const std::size_t dropped = laterIsLink ? i : found->second;
    keep[dropped] = false;
    found->second = laterIsLink ? found->second : i;
  }
  std::vector<fs::path> kept;
  for (std::size_t i = 0; i < swiftFiles.size(); ++i)
    if (keep[i]) kept.push_back(std::move(swiftFiles[i]));
  return kept;
}

bool isSkippedFolder(std::string_view name) {
  return contains(ProjectScanner::skippedDirs, name) || endsWith(name, "Tests") ||
         endsWith(name, ".xcframework") || endsWith(name, ".framework");
}

bool isSwiftSource(std::string_view name) {
  return endsWith(name, ".swift") && name != "Package.swift" && !endsWith(name, "Tests.swift");
}

// The last path component, also for "." or a path with a trailing separator.
std::string lastComponent(const fs::path& path) {
  std::error_code ec;
  fs::path normal = fs::absolute(path, ec).lexically_normal();
  if (normal.filename().empty()) normal = normal.parent_path();
  return normal.filename().string();
}

std::string stripMarks(std::string_view text) {
  utf8proc_uint8_t* folded = nullptr;
  const auto length = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                                   static_cast<utf8proc_ssize_t>(text.size()), &folded,
                                   static_cast<utf8proc_option_t>(UTF8PROC_DECOMPOSE | UTF8PROC_STRIPMARK));
  if (length < 0) return std::string(text);
  std::string out(reinterpret_cast<char*>(folded), static_cast<std::size_t>(length));
  std::free(folded);
  return out;
}

bool isAsciiAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

std::string cleanPackagePart(std::string_view part) {
  std::string replaced;
  text::forEachGrapheme(part, [&](std::string_view character) {
    replaced += text::isLetter(character) || text::isNumber(character) ? std::string(character) : "_";
    return true;
  });
  std::string out;
  for (const char c : stripMarks(replaced))
    if (isAsciiAlnum(c) || c == '_') out += c;
  if (out.empty()) out = "app";
  if (out[0] >= '0' && out[0] <= '9') out.insert(0, "a");
  if (contains(reservedWords, out)) out += '_';
  return out;
}

// A colour component's JSON value as a number from 0 to 1; nullopt when the
// value cannot be a colour byte (not finite), so the set is passed over.
std::optional<double> readComponent(const json::Json& components, const char* key) {
  const auto it = components.find(key);
  if (it == components.end()) return 1.0;
  double value = 1.0;
  if (it->is_number()) {
    value = it->get<double>();
  } else if (it->is_string()) {
    std::string_view text = it->get_ref<const std::string&>();
    std::uint32_t hex = 0;
    if (text.starts_with("0x") && text.size() > 2) {
      const auto [end, error] = std::from_chars(text.data() + 2, text.data() + text.size(), hex, 16);
      // from_chars takes no sign, so "0x-1" and "0x+1" fail here as they should.
      if (error == std::errc{} && end == text.data() + text.size()) return hex / 255.0;
    }
    // Like a plain decimal reading: a single leading "+" is allowed, blanks
    // are not, and the decimal point does not depend on the process locale.
    if (text.starts_with('+') && text.size() > 1 && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error == std::errc{} && end == text.data() + text.size() && !text.empty()) value = number;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return value > 1 ? value / 255 : value;
}

}  // namespace

namespace project {

std::string lowercased(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    // ASCII, by far the common case, needs no table lookup.
    if (const auto byte = static_cast<unsigned char>(text.front()); byte < 0x80) {
      out.push_back(byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + ('a' - 'A')) : static_cast<char>(byte));
      text.remove_prefix(1);
      continue;
    }
    std::size_t length = 0;
    const char32_t c = text::firstScalar(text, &length);
    text::appendUtf8(out, static_cast<char32_t>(utf8proc_tolower(static_cast<utf8proc_int32_t>(c))));
    text.remove_prefix(length);
  }
  return out;
}

}  // namespace project

std::string ProjectScanner::moduleIdentifier(std::string_view name) {
  std::string identifier;
  for (const std::string_view character : text::graphemes(name)) {
    const bool kept = character == "_" || text::isLetter(character) || text::isNumber(character);
    identifier += kept ? character : "_";
  }
  if (!identifier.empty() && text::isNumber(text::graphemes(identifier).front())) identifier.insert(0, "_");
  return identifier;
}

std::optional<std::string> ProjectScanner::firstMatch(std::string_view text, std::string_view key) {
  const std::string needle = std::string(key) + " = ";
  const auto start = text.find(needle);
  if (start == std::string_view::npos) return std::nullopt;
  const auto valueStart = text.find_first_not_of(' ', start + needle.size());
  if (valueStart != std::string_view::npos && text[valueStart] == '"') {
    // A quoted value ends at its closing quote, whatever it holds (";"
    // included), and its escapes stand for the characters they name.
    std::size_t end = valueStart + 1;
    std::string value = decodeQuoted(text, end);
    if (text.find(';', end) == std::string_view::npos) return std::nullopt;
    return value;
  }
  const auto semicolon = text.find(';', start + needle.size());
  if (semicolon == std::string_view::npos) return std::nullopt;
  std::string_view value = text.substr(start + needle.size(), semicolon - start - needle.size());
  const auto isTrimmed = [](char c) { return c == '"' || c == ' '; };
  while (!value.empty() && isTrimmed(value.front())) value.remove_prefix(1);
  while (!value.empty() && isTrimmed(value.back())) value.remove_suffix(1);
  return std::string(value);
}

std::string ProjectScanner::packageName(const std::optional<std::string>& bundleIdentifier,
                                        std::string_view appName) {
  std::string identifier = bundleIdentifier.value_or("");
  if (identifier.empty() || identifier.find('$') != std::string::npos)
    identifier = "com.tovrane." + std::string(appName);
  identifier = project::lowercased(identifier);

  std::vector<std::string> parts;
  std::string_view rest = identifier;
  while (true) {
    const auto dot = rest.find('.');
    const std::string_view part = rest.substr(0, dot);
    if (!part.empty()) parts.push_back(cleanPackagePart(part));
    if (dot == std::string_view::npos) break;
    rest.remove_prefix(dot + 1);
  }
  if (parts.size() < 2) parts.insert(parts.begin(), {"com", "tovrane"});
  return text::join(parts, ".");
}

std::optional<std::uint32_t> ProjectScanner::readColor(const fs::path& colorSet, const fs::path& boundary) {
  const fs::path description = colorSet / "Contents.json";
  if (!isFileWithin(description, canonicalOrEmpty(boundary.empty() ? colorSet : boundary))) return std::nullopt;
  std::optional<json::Json> document;
  try {
    document = json::tryParse(files::readRegularFile(description, maxDescriptionBytes));
  } catch (const files::FileError&) {
    return std::nullopt;
  }
  if (!document || !document->is_object()) return std::nullopt;
  const auto colors = document->find("colors");
  if (colors == document->end() || !colors->is_array() || colors->empty()) return std::nullopt;
  if (!std::all_of(colors->begin(), colors->end(), [](const json::Json& c) { return c.is_object(); }))
    return std::nullopt;

  // The first variant without appearances is the light, default one.
  const auto hasAppearances = [](const json::Json& c) {
    const auto it = c.find("appearances");
    return it != c.end() && it->is_array();
  };
  auto chosen = std::find_if_not(colors->begin(), colors->end(), hasAppearances);
  if (chosen == colors->end()) chosen = colors->begin();

  const auto color = chosen->find("color");
  if (color == chosen->end() || !color->is_object()) return std::nullopt;
  const auto components = color->find("components");
  if (components == color->end() || !components->is_object()) return std::nullopt;

  std::uint32_t argb = 0;
  for (const char* key : {"alpha", "red", "green", "blue"}) {
    const auto component = readComponent(*components, key);
    if (!component) return std::nullopt;
    // A value outside 0…255 has no byte to stand for it; the set is passed
    // over rather than guessed at.
    const double byte = std::round(*component * 255);
    if (byte < 0 || byte > 255) return std::nullopt;
    argb = (argb << 8) | static_cast<std::uint32_t>(byte);
  }
  return argb;
}

std::optional<fs::path> ProjectScanner::bestImage(const fs::path& set, const fs::path& boundary,
                                                  std::vector<fs::path>* oversized) {
  const fs::path canonicalBoundary = canonicalOrEmpty(boundary.empty() ? set : boundary);
  std::error_code error;
  const auto entries = listFolder(set, canonicalBoundary, true, error);
  if (!entries) return std::nullopt;
  std::optional<fs::path> best;
  std::uintmax_t bestSize = 0;
  for (const Entry& entry : *entries) {
    std::string extension = entry.path.extension().string();
    if (extension.empty()) continue;
    if (!contains(imageExtensions, project::lowercased(extension.substr(1)))) continue;
    // Only files can be copied as images; a folder named like one is not an image.
    if (entry.kind != Kind::file || !isFileWithin(entry.path, canonicalBoundary)) continue;
    std::error_code ec;
    std::uintmax_t size = fs::file_size(entry.path, ec);
    if (ec) size = 0;
    if (size > maxImageBytes) {
      if (oversized) oversized->push_back(entry.path);
      continue;
    }
    if (!best || size > bestSize) {
      best = entry.path;
      bestSize = size;
    }
  }
  return best;
}

ProjectScan ProjectScanner::scan(const fs::path& root, std::stop_token stop) const {
  ProjectScan result;
  result.root = root;
  result.appName = lastComponent(root);
  const fs::path canonicalRoot = canonicalOrEmpty(root);
  PassedOver passedOver{root, result.warnings};
  const auto unlisted = [&](const fs::path& folder, const std::error_code& error) { passedOver.folder(folder, error); };

  std::vector<fs::path> catalogues;
  std::optional<fs::path> projectFile;
  if (!canonicalRoot.empty()) {
    walk(root, canonicalRoot, false, stop, [&](const Entry& entry) {
      switch (entry.kind) {
        case Kind::file:
          if (isSwiftSource(entry.name)) result.swiftFiles.push_back(entry.path);
          return false;
        case Kind::special:
          if (!isSwiftSource(entry.name)) return false;
          passedOver.special(entry);
          ++result.lostSwiftFiles;
          return false;
        case Kind::linkOut:
        case Kind::linkBroken: {
          // Reported where it stands for a source or a folder the walk would
          // have entered.
          std::error_code ec;
          const bool swift = isSwiftSource(entry.name);
          if (swift || (fs::is_directory(entry.path, ec) && !isSkippedFolder(entry.name))) passedOver.link(entry);
          result.lostSwiftFiles += swift;
          return false;
        }
        case Kind::passed:
          return false;
        case Kind::folder:
          break;
      }
      if (isSkippedFolder(entry.name)) return false;
      if (endsWith(entry.name, ".xcassets")) {
        catalogues.push_back(entry.path);
        return false;
      }
      if (endsWith(entry.name, ".xcodeproj")) {
        const fs::path candidate = entry.path / "project.pbxproj";
        if (projectFile) return false;
        if (isFileWithin(candidate, canonicalRoot))
          projectFile = candidate;
        else if (const Kind kind = classify(candidate, canonicalRoot); isLink(kind))
          passedOver.link({candidate, "project.pbxproj", kind});
        return false;
      }
      return true;
    }, unlisted);
  }
  // Compared as UTF-8 bytes, which orders like Unicode scalar values.
  std::sort(result.swiftFiles.begin(), result.swiftFiles.end(),
            [](const fs::path& a, const fs::path& b) { return a.native() < b.native(); });
  result.swiftFiles = withoutSecondNames(std::move(result.swiftFiles));

  std::optional<std::string> bundleIdentifier;
  result.moduleName = moduleIdentifier(result.appName);
  if (projectFile) {
    const std::string projectName = projectFile->parent_path().filename().string();
    result.appName = projectName.substr(0, projectName.size() - std::string_view(".xcodeproj").size());
    result.moduleName = moduleIdentifier(result.appName);
    std::optional<std::string> content;
    try {
      content = files::readRegularFile(*projectFile, maxProjectFileBytes);
    } catch (const files::FileError&) {
    }
    if (content && text::isValidUtf8(*content)) {
      bundleIdentifier = firstMatch(*content, "PRODUCT_BUNDLE_IDENTIFIER");
      const auto moduleName = firstMatch(*content, "PRODUCT_MODULE_NAME");
      if (moduleName && moduleName->find('$') == std::string::npos) result.moduleName = moduleIdentifier(*moduleName);
      const auto displayName = firstMatch(*content, "INFOPLIST_KEY_CFBundleDisplayName");
      if (displayName && displayName->find('$') == std::string::npos) result.appName = *displayName;
    }
  }
  result.packageName = packageName(bundleIdentifier, result.appName);

  std::vector<fs::path> oversized;
  for (const fs::path& catalogue : catalogues) {
    walk(catalogue, canonicalRoot, true, stop, [&](const Entry& entry) {
      const std::string_view name = entry.name;
      if (isLink(entry.kind)) passedOver.link(entry);
      if (entry.kind != Kind::folder) return false;
      if (endsWith(name, ".colorset")) {
        if (const auto argb = readColor(entry.path, canonicalRoot)) {
          result.colors.push_back({std::string(name.substr(0, name.size() - 9)), *argb});
          return true;
        }
      }
      if (endsWith(name, ".imageset")) {
        if (auto file = bestImage(entry.path, canonicalRoot, &oversized)) {
          result.images.push_back({std::string(name.substr(0, name.size() - 9)), std::move(*file)});
          return true;
        }
      }
      if (endsWith(name, ".appiconset")) result.appIcon = bestImage(entry.path, canonicalRoot, &oversized);
      return true;
    }, unlisted);
  }
  for (const fs::path& image : oversized) {
    passedOver.add(image, "Bild ist größer als " + std::to_string(maxImageBytes >> 20) + " MB und wurde nicht übernommen",
                   image.filename().string());
  }
  return result;
}

}  // namespace tovrane
