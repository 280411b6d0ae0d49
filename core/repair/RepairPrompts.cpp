// The prompt parts that every file of a run shares: the full system prompt
// with the runtime's sources, the compact one with only their signatures,
// and the outline of the package's public declarations.
#include "core/repair/AIRepairer.hpp"

#include "core/support/Files.hpp"
#include "core/support/Regex.hpp"
#include "core/support/Text.hpp"

#include <array>

namespace tovrane {

namespace {

namespace fs = std::filesystem;
using json::Json;

constexpr std::string_view systemText =
    "You are finishing an automatic Swift/SwiftUI → Kotlin/Jetpack Compose port made by the tool \"tovrane\".\n"
    "Each generated Kotlin file mirrors one Swift file. The generated code uses a small runtime library (package "
    "tovrane.runtime, included below) that recreates SwiftUI's API on top of Compose: views are @Composable "
    "functions taking `mod: Mod` for modifiers, SwiftUI view structs become a @Composable function plus a "
    "state-holder class, @State fields use `by mutableStateOf(..., neverEqualPolicy())`, bindings use "
    "`Binding<T>`.\n"
    "\n"
    "Your job for each file you receive:\n"
    "- Replace every `TODO(\"tovrane: …\")` and every `Unsupported(\"…\")` placeholder with a real implementation "
    "that reproduces the Swift original's behavior and look as closely as Android allows. No placeholder may "
    "remain.\n"
    "- Fix the listed compiler errors, if any. The signatures of the other files in the package are listed so you "
    "can call them correctly; do not guess names that are not listed there or in the runtime.\n"
    "- Keep the file's package line, public names and signatures stable, because other generated files call "
    "them.\n"
    "- Prefer the tovrane runtime where it fits. You may also use Jetpack Compose, Material 3, "
    "material-icons-extended, kotlinx.coroutines and the Android/Java standard library directly (add the imports "
    "you need). Do not add Gradle dependencies.\n"
    "- For Apple-only frameworks without an Android equivalent (HealthKit, WidgetKit, StoreKit …) write a sensible "
    "stub that compiles and keeps the app usable, with a short `// tovrane-ai:` comment saying what is missing.\n"
    "- If something you need is missing from the runtime, implement a small private helper inside this file.\n"
    "\n"
    "Reply with the complete corrected Kotlin file in exactly one ```kotlin code block and nothing else. Never "
    "abbreviate unchanged parts.";

constexpr std::array<std::string_view, 2> runtimeSources = {"SwiftStdlib.kt", "SwiftUI.kt"};

constexpr std::size_t outlineLinesPerFile = 40;
constexpr std::size_t outlineLineCharacters = 160;
constexpr std::size_t outlineCharacters = 12000;

// Words that open a declaration, at the start of a line or after a blank.
constexpr std::array<std::string_view, 11> declarationWords = {
    "fun ", "class ", "object ", "interface ", "enum ", "data ", "val ", "var ", "sealed ", "@Composable fun",
    "typealias "};

std::string_view trimSpacesAndTabs(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

fs::path runtimeFolder(const fs::path& project) { return project / "app/src/main/java/tovrane/runtime"; }

// The runtime's public declarations, one per line, bodies and initialisers
// cut off; members keep a two-blank indent.
void appendSignatures(std::string& out, std::string_view source) {
  static const Regex declaration(
      R"re(^(@Composable\s+)?(inline\s+|operator\s+|override\s+)*(fun|class|data class|enum class|object|val|var|typealias|interface)\b)re");
  text::forEachLine(source, text::LineEnds::lf, [&](std::string_view line) {
    std::string_view t = trimSpacesAndTabs(line);
    if (text::startsWith(t, "private") || text::startsWith(t, "internal") || text::startsWith(t, "//")) return;
    if (!declaration.search(t)) return;
    if (const auto assignment = t.find(" = "); assignment != std::string_view::npos) t = t.substr(0, assignment);
    if (text::endsWith(t, "{")) t = trimSpacesAndTabs(t.substr(0, t.size() - 1));
    if (text::startsWith(line, " ")) out += "  ";
    out += t;
    out += '\n';
  });
}

bool isOutlineLine(std::string_view line) {
  if (line.empty() || line[0] == ' ' || line[0] == '\t') return false;
  const std::string_view t = trimSpacesAndTabs(line);
  if (text::startsWith(t, "private")) return false;
  for (std::string_view word : declarationWords) {
    if (text::startsWith(t, word)) return true;
    for (auto at = t.find(word); at != std::string_view::npos; at = t.find(word, at + 1))
      if (at > 0 && t[at - 1] == ' ') return true;
  }
  return false;
}

// The first 160 characters, without " {".
std::string outlineLine(std::string_view line) {
  if (line.size() > outlineLineCharacters) line = text::prefixGraphemes(line, outlineLineCharacters);
  return text::replaceAll(line, " {", "");
}

}  // namespace

const APIClient::SystemBlocks& AIRepairer::system() const {
  std::call_once(systemOnce_, [this] {
    const fs::path folder = runtimeFolder(project_);
    const std::string stdlib = readInside(folder / runtimeSources[0]).value_or("");
    const std::string swiftUI = readInside(folder / runtimeSources[1]).value_or("");
    system_ = {
        Json{{"type", "text"}, {"text", std::string(systemText)}},
        Json{{"type", "text"},
             {"text", "tovrane runtime – SwiftStdlib.kt:\n```kotlin\n" + stdlib +
                          "\n```\n\ntovrane runtime – SwiftUI.kt:\n```kotlin\n" + swiftUI + "\n```"},
             {"cache_control", {{"type", "ephemeral"}}}},
    };
  });
  return system_;
}

const APIClient::SystemBlocks& AIRepairer::compactSystem() const {
  std::call_once(compactOnce_, [this] {
    std::string signatures;
    for (std::string_view source : runtimeSources)
      appendSignatures(signatures, readInside(runtimeFolder(project_) / source).value_or(""));
    compactSystem_ = {
        system().front(),
        Json{{"type", "text"}, {"text", "tovrane runtime API (signatures only):\n```kotlin\n" + signatures + "```"}},
    };
  });
  return compactSystem_;
}

const std::string& AIRepairer::packageOutline() const {
  std::call_once(outlineOnce_, [this] {
    std::vector<fs::path> children;
    try {
      if (const std::optional<fs::path> folder = insideProject(packageFolder()))
        children = files::listChildren(*folder, {.includeHidden = true});
    } catch (const files::FileError&) {
    }
    std::string outline;
    for (const fs::path& file : children) {
      if (file.extension() != ".kt") continue;
      const std::string text = readInside(file).value_or("");
      std::vector<std::string> kept;
      text::forEachLine(text, text::LineEnds::lf, [&](std::string_view line) {
        if (kept.size() < outlineLinesPerFile && isOutlineLine(line)) kept.push_back(outlineLine(line));
      });
      if (kept.empty()) continue;
      outline += "// " + file.filename().string() + "\n" + text::join(kept, "\n") + "\n";
    }
    if (outline.size() > outlineCharacters) outline = std::string(text::prefixGraphemes(outline, outlineCharacters));
    packageOutline_ = std::move(outline);
  });
  return packageOutline_;
}

}  // namespace tovrane
