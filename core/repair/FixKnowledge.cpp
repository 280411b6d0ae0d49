#include "core/repair/FixKnowledge.hpp"

#include "core/support/Files.hpp"
#include "core/support/Http.hpp"
#include "core/support/Json.hpp"
#include "core/support/Regex.hpp"
#include "core/support/Text.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <set>
#include <unordered_map>

#ifndef TOVRANE_FIXES_URL
#define TOVRANE_FIXES_URL ""
#endif

namespace tovrane {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::size_t maxKeysPerRequest = 40;
constexpr std::size_t fixesPerBatch = 40;
constexpr std::size_t maxHarvestLines = 1499;
constexpr std::size_t contextLines = 2;
constexpr std::size_t maxBeforeSnippet = 2999;
constexpr std::size_t maxAfterSnippet = 4999;
constexpr std::size_t maxKeyMessage = 200;
// The diff table of two 1499-line texts, and no more.
constexpr std::size_t maxDiffCells = 1500 * 1500;

constexpr std::string_view examplesHeader =
    "Proven fixes for the same problems from earlier tovrane ports (adapt names to this file; they compiled):\n";

// Possessive forms of "run of non-quote, non-backslash characters or escaped
// pairs": they match exactly what the backtracking forms would (the run can
// only end at a quote), without a backtracking frame per character.
const Regex& todoPlaceholder() {
  static const Regex pattern(R"re(TODO\("tovrane: ((?:[^"\\]++|\\.)*+)"\))re");
  return pattern;
}
const Regex& viewPlaceholder() {
  static const Regex pattern(R"re(Unsupported\("((?:[^"\\]++|\\.)*+)")re");
  return pattern;
}
const Regex& whitespaceRun() {
  static const Regex pattern(R"re(\s+)re");
  return pattern;
}
const Regex& fileAddress() {
  static const Regex pattern(R"re(file://\S+)re");
  return pattern;
}

std::string joinLines(const std::vector<std::string_view>& lines, std::size_t start, std::size_t end) {
  std::string out;
  for (std::size_t i = start; i < end; ++i) {
    if (i > start) out += '\n';
    out += lines[i];
  }
  return out;
}

// Byte length bounds the character count from above, so most snippets need
// no grapheme walk.
bool withinCharacters(std::string_view text, std::size_t limit) {
  return text.size() <= limit || text::graphemeCount(text) <= limit;
}

bool isArrayOfObjects(const json::Json& value) {
  return value.is_array() &&
         std::all_of(value.begin(), value.end(), [](const json::Json& element) { return element.is_object(); });
}

const std::string* stringMember(const json::Json& object, const char* name) {
  const auto found = object.find(name);
  return found != object.end() && found->is_string() ? found->get_ptr<const std::string*>() : nullptr;
}

}  // namespace

// ---- Fix

json::OrderedJson FixKnowledge::Fix::toJson() const {
  json::OrderedJson object;
  object["kind"] = kind;
  object["key"] = key;
  object["before"] = before;
  object["after"] = after;
  object["swift"] = swift;
  object["model"] = model;
  return object;
}

std::optional<FixKnowledge::Fix> FixKnowledge::Fix::fromJson(const json::Json& value) {
  if (!value.is_object()) return std::nullopt;
  Fix fix;
  const std::pair<const char*, std::string*> members[] = {{"kind", &fix.kind},     {"key", &fix.key},
                                                          {"before", &fix.before}, {"after", &fix.after},
                                                          {"swift", &fix.swift},   {"model", &fix.model}};
  for (const auto& [name, field] : members) {
    const std::string* text = stringMember(value, name);
    if (!text) return std::nullopt;
    *field = *text;
  }
  return fix;
}

// ---- Settings and the service

std::string FixKnowledge::defaultURL() {
  const std::string_view origin = TOVRANE_FIXES_URL;
  return origin.empty() ? std::string() : std::string(origin) + "/tovraneandroid/api";
}

FixKnowledge::FixKnowledge(bool share, bool useExamples, std::string baseURL)
    : baseURL(std::move(baseURL)), share(share), useExamples(useExamples) {}

std::string FixKnowledge::examples(const std::vector<std::string>& keys, std::size_t maxChars) const {
  if (!useExamples || keys.empty() || baseURL.empty()) return {};
  const std::set<std::string> distinct(keys.begin(), keys.end());
  std::vector<http::QueryItem> items;
  for (const std::string& key : distinct) {
    if (items.size() == maxKeysPerRequest) break;
    items.push_back({"key", key});
  }

  http::Request request;
  request.url = baseURL + "/fixes?" + http::query(items);
  request.timeout = 8s;
  // Every file's repair waits for this answer.
  request.deadline = 20s;
  std::optional<json::Json> answer;
  try {
    const http::Response response = http::send(request);
    if (response.status != 200) return {};
    answer = json::tryParse(response.body);
  } catch (const std::exception&) {
    return {};
  }
  if (!answer || !answer->is_object() || answer->empty() ||
      !std::all_of(answer->begin(), answer->end(), isArrayOfObjects))
    return {};

  // Members come in ascending byte order: Json keeps its object sorted.
  std::string section(examplesHeader);
  std::size_t characters = text::graphemeCount(section);
  const std::string fence = "```";
  for (const auto& [key, fixes] : answer->items()) {
    if (fixes.empty()) continue;
    const std::string* before = stringMember(fixes.front(), "before");
    const std::string* after = stringMember(fixes.front(), "after");
    if (!before || !after) continue;
    const std::string label = text::replaceAll(text::replaceAll(key, "ph:", "placeholder "), "err:", "error ");
    const std::string entry = "\n### " + label + "\nbefore:\n" + fence + "kotlin\n" + *before + "\n" + fence +
                              "\nafter:\n" + fence + "kotlin\n" + *after + "\n" + fence + "\n";
    const std::size_t entryCharacters = text::graphemeCount(entry);
    if (characters + entryCharacters > maxChars) break;
    section += entry;
    characters += entryCharacters;
  }
  return section + "\n";
}

void FixKnowledge::upload(const std::vector<Fix>& fixes) const {
  if (!share || fixes.empty() || baseURL.empty()) return;
  for (std::size_t start = 0; start < fixes.size(); start += fixesPerBatch) {
    json::OrderedJson batch = json::OrderedJson::array();
    for (std::size_t i = start; i < std::min(fixes.size(), start + fixesPerBatch); ++i)
      batch.push_back(fixes[i].toJson());
    json::OrderedJson body;
    body["fixes"] = std::move(batch);

    http::Request request;
    request.method = "POST";
    request.url = baseURL + "/fixes";
    request.headers = {{"content-type", "application/json"}};
    request.body = json::dumpCompact(body);
    request.timeout = 15s;
    request.deadline = 60s;
    try {
      http::send(request);
    } catch (const std::exception&) {
      // Sharing is a courtesy: a failed batch changes nothing for the user.
    }
  }
}

// ---- Problem keys

std::string FixKnowledge::normalize(std::string_view text) {
  const std::string blanked = whitespaceRun().replace(text, [](const RegexMatch&) { return std::string(" "); });
  return std::string(text::prefixGraphemes(text::trimBlanks(blanked), maxKeyMessage));
}

std::vector<FixKnowledge::PlaceholderKey> FixKnowledge::placeholderKeys(std::string_view kotlin) {
  std::vector<PlaceholderKey> keys;
  int index = 0;
  text::forEachLine(kotlin, text::LineEnds::lf, [&](std::string_view line) {
    // Most lines hold neither placeholder; skip the regular expressions for them.
    if (line.find("TODO(\"tovrane: ") != std::string_view::npos)
      for (const RegexMatch& match : todoPlaceholder().allMatches(line))
        keys.push_back({"ph:" + normalize(match.group(1)), index});
    if (line.find("Unsupported(\"") != std::string_view::npos)
      for (const RegexMatch& match : viewPlaceholder().allMatches(line))
        keys.push_back({"ph:Unsupported:" + normalize(match.group(1)), index});
    ++index;
  });
  return keys;
}

FixKnowledge::ErrorKey FixKnowledge::errorKey(std::string_view errorLine) {
  std::string_view message = errorLine;
  std::optional<int> line;
  if (text::startsWith(errorLine, "line ")) {
    const std::string_view rest = errorLine.substr(5);
    if (const auto blank = rest.find(' '); blank != std::string_view::npos) {
      std::string_view position = rest.substr(0, blank);
      position.remove_prefix(std::min(position.find_first_not_of(':'), position.size()));
      const std::string_view first = position.substr(0, position.find(':'));
      int number = 0;
      const auto [end, error] = std::from_chars(first.data(), first.data() + first.size(), number);
      if (!first.empty() && error == std::errc() && end == first.data() + first.size()) line = number - 1;
      message = rest.substr(blank + 1);
    }
  }
  const std::string withoutFiles = fileAddress().replace(message, [](const RegexMatch&) { return std::string(); });
  return {"err:" + normalize(withoutFiles), line};
}

std::vector<std::string> FixKnowledge::matches(std::string_view pattern, std::string_view text) {
  std::vector<std::string> out;
  try {
    const Regex regex(pattern);
    for (const RegexMatch& match : regex.allMatches(text))
      if (match.has(1)) out.emplace_back(match.group(1));
  } catch (const RegexError&) {
    return {};
  }
  return out;
}

// ---- Line diff

std::vector<FixKnowledge::Hunk> FixKnowledge::hunks(const std::vector<std::string_view>& oldLines,
                                                    const std::vector<std::string_view>& newLines) {
  const std::size_t n = oldLines.size();
  const std::size_t m = newLines.size();
  // The walk takes equal leading lines as they come whatever the table says,
  // so the common prefix never needs a row or column of it.
  std::size_t prefix = 0;
  while (prefix < n && prefix < m && oldLines[prefix] == newLines[prefix]) ++prefix;
  if (prefix == n && prefix == m) return {};
  const std::size_t rows = n - prefix;
  const std::size_t columns = m - prefix;
  if ((rows + 1) > maxDiffCells / (columns + 1)) return {Hunk{{prefix, n}, {prefix, m}}};

  // Lines as small integers, so the table loop compares numbers, not texts.
  std::unordered_map<std::string_view, std::uint32_t> ids;
  std::vector<std::uint32_t> a(rows), b(columns);
  for (std::size_t i = 0; i < rows; ++i) a[i] = ids.try_emplace(oldLines[prefix + i], ids.size()).first->second;
  for (std::size_t j = 0; j < columns; ++j) b[j] = ids.try_emplace(newLines[prefix + j], ids.size()).first->second;

  // table[i * width + j]: length of the longest common subsequence of a[i…] and b[j…].
  const std::size_t width = columns + 1;
  std::vector<std::uint32_t> table((rows + 1) * width, 0);
  for (std::size_t i = rows; i-- > 0;) {
    std::uint32_t* row = &table[i * width];
    const std::uint32_t* below = row + width;
    for (std::size_t j = columns; j-- > 0;)
      row[j] = a[i] == b[j] ? below[j + 1] + 1 : std::max(below[j], row[j + 1]);
  }
  const auto cell = [&](std::size_t i, std::size_t j) { return table[i * width + j]; };

  std::vector<Hunk> out;
  std::optional<Hunk> open;
  std::size_t i = 0, j = 0;
  while (i < rows || j < columns) {
    if (i < rows && j < columns && a[i] == b[j]) {
      if (open) {
        open->oldRange.end = prefix + i;
        open->newRange.end = prefix + j;
        out.push_back(*open);
        open.reset();
      }
      ++i;
      ++j;
      continue;
    }
    if (!open) open = Hunk{{prefix + i, 0}, {prefix + j, 0}};
    if (j < columns && (i == rows || cell(i, j + 1) >= cell(i + 1, j))) ++j;
    else ++i;
  }
  if (open) {
    open->oldRange.end = n;
    open->newRange.end = m;
    out.push_back(*open);
  }
  return out;
}

// ---- Harvest

std::vector<FixKnowledge::Fix> FixKnowledge::harvest(std::string_view before, std::string_view after,
                                                     const std::vector<std::string>& errors,
                                                     std::string_view model) {
  const std::vector<std::string_view> beforeLines = text::splitLines(before);
  const std::vector<std::string_view> afterLines = text::splitLines(after);
  if (beforeLines.size() > maxHarvestLines || afterLines.size() > maxHarvestLines) return {};

  std::vector<std::vector<std::string>> keysByLine(beforeLines.size());
  bool anyKey = false;
  const auto collect = [&](int line, std::string key) {
    if (line < 0 || static_cast<std::size_t>(line) >= keysByLine.size()) return;
    keysByLine[static_cast<std::size_t>(line)].push_back(std::move(key));
    anyKey = true;
  };
  for (PlaceholderKey& placeholder : placeholderKeys(before)) collect(placeholder.line, std::move(placeholder.key));
  for (const std::string& error : errors)
    if (ErrorKey key = errorKey(error); key.line) collect(*key.line, std::move(key.key));
  if (!anyKey) return {};

  std::vector<Fix> fixes;
  std::set<std::string> used;
  for (const Hunk& hunk : hunks(beforeLines, afterLines)) {
    std::vector<const std::string*> keys;
    for (std::size_t line = hunk.oldRange.start; line < hunk.oldRange.end; ++line)
      for (const std::string& key : keysByLine[line]) keys.push_back(&key);
    if (keys.empty()) continue;

    const std::string beforeSnippet =
        joinLines(beforeLines, hunk.oldRange.start - std::min(hunk.oldRange.start, contextLines),
                  std::min(hunk.oldRange.end + contextLines, beforeLines.size()));
    const std::string afterSnippet =
        joinLines(afterLines, hunk.newRange.start - std::min(hunk.newRange.start, contextLines),
                  std::min(hunk.newRange.end + contextLines, afterLines.size()));
    if (!withinCharacters(beforeSnippet, maxBeforeSnippet) || !withinCharacters(afterSnippet, maxAfterSnippet))
      continue;
    for (const std::string* key : keys) {
      if (!used.insert(*key).second) continue;
      fixes.push_back(Fix{text::startsWith(*key, "ph:") ? "placeholder" : "compile", *key, beforeSnippet,
                          afterSnippet, "", std::string(model)});
    }
  }
  return fixes;
}

FixKnowledge::Snapshot FixKnowledge::snapshot(const fs::path& folder) {
  Snapshot texts;
  std::vector<fs::path> found;
  try {
    found = files::listFiles(folder, {.includeHidden = true, .followSymlinks = false});
  } catch (const files::FileError&) {
    return {};
  }
  for (const fs::path& file : found) {
    if (file.extension() != ".kt" || file.string().find("/tovrane/runtime/") != std::string::npos) continue;
    try {
      std::string content = files::readFile(file);
      if (text::isValidUtf8(content)) texts.emplace(file, std::move(content));
    } catch (const files::FileError&) {
      // An unreadable file has nothing to teach.
    }
  }
  return texts;
}

std::vector<FixKnowledge::Fix> FixKnowledge::harvest(const Snapshot& earlier, const fs::path& folder,
                                                     std::string_view model) {
  const Snapshot now = snapshot(folder);
  std::vector<Fix> fixes;
  for (const auto& [path, before] : earlier) {
    const auto found = now.find(path);
    if (found == now.end() || found->second == before) continue;
    std::vector<Fix> fromFile = harvest(before, found->second, {}, model);
    fixes.insert(fixes.end(), std::make_move_iterator(fromFile.begin()), std::make_move_iterator(fromFile.end()));
  }
  return fixes;
}

}  // namespace tovrane
