#pragma once
// The repair engine's memory of solved problems. A problem is named by a key
// ("ph:…" for a placeholder, "ph:Unsupported:…" for a view placeholder,
// "err:…" for a compiler error); a fix is the changed region of a repaired
// file around such a problem. Known fixes come from the fixes service as
// prompt examples; solved ones are harvested from a file's text before and
// after a repair and posted back when the user shares them.
//
// A FixKnowledge value holds only its three settings. The two requests never
// throw: every failure of the service gives no examples or is ignored. The
// static operations are pure functions of their arguments (the snapshot ones
// read files), safe from any thread.
#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane {

struct FixKnowledge {
  struct Fix {
    std::string kind;    // "placeholder" for keys beginning with "ph:", else "compile"
    std::string key;
    std::string before;  // the changed lines with up to two lines of context
    std::string after;
    std::string swift;   // always empty: the user's Swift source is never shared
    std::string model;   // the rung label or agent that produced the fix
    bool operator==(const Fix&) const = default;

    // An object with exactly the six members, in field order.
    nlohmann::ordered_json toJson() const;
    // nullopt unless value is an object with all six members as strings.
    static std::optional<Fix> fromJson(const nlohmann::json& value);
  };

  // Half-open range of 0-based line indices.
  struct LineRange {
    std::size_t start = 0;
    std::size_t end = 0;
    bool operator==(const LineRange&) const = default;
  };
  // One differing region of a line diff; never both ranges empty.
  struct Hunk {
    LineRange oldRange;
    LineRange newRange;
    bool operator==(const Hunk&) const = default;
  };

  struct PlaceholderKey {
    std::string key;
    int line = 0;  // 0-based
    bool operator==(const PlaceholderKey&) const = default;
  };
  struct ErrorKey {
    std::string key;
    std::optional<int> line;  // 0-based; absent when the error names no line
    bool operator==(const ErrorKey&) const = default;
  };

  // Kotlin file path → text.
  using Snapshot = std::map<std::filesystem::path, std::string>;

  // The service's base address: the build's TOVRANE_FIXES_URL origin followed
  // by "/tovraneandroid/api", or empty (no service: both requests disabled).
  static std::string defaultURL();

  explicit FixKnowledge(bool share = false, bool useExamples = true, std::string baseURL = defaultURL());

  std::string baseURL;  // without a trailing slash; requests go to baseURL + "/fixes"
  bool share = false;
  bool useExamples = true;

  // Known fixes for the keys as an English prompt section of at most maxChars
  // characters (the header always stands; entries stop at the first one that
  // does not fit), or empty. One GET with at most 40 distinct keys (the first
  // in sorted order), 8 s time-out.
  std::string examples(const std::vector<std::string>& keys, std::size_t maxChars) const;
  // Posts the fixes as {"fixes": […]} in batches of 40, one request at a time,
  // when sharing is on; answers and failures are ignored.
  void upload(const std::vector<Fix>& fixes) const;

  // The placeholder keys of a Kotlin text with the line of each, in line
  // order, TODO placeholders before view placeholders within a line; one key
  // per place, duplicates kept.
  static std::vector<PlaceholderKey> placeholderKeys(std::string_view kotlin);
  // The key of one compiler error line ("line 12:5 message" or any text).
  static ErrorKey errorKey(std::string_view errorLine);
  // Whitespace runs to one blank, blanks trimmed, cut to 200 characters.
  static std::string normalize(std::string_view text);
  // Group 1 of every match of pattern in text; empty for a pattern that does
  // not compile.
  static std::vector<std::string> matches(std::string_view pattern, std::string_view text);
  // The line diff of a longest common subsequence, taking the new side first
  // on ties. Its table is capped at 1500 × 1500 cells; larger inputs give one
  // hunk from the first differing line to both ends.
  static std::vector<Hunk> hunks(const std::vector<std::string_view>& oldLines,
                                 const std::vector<std::string_view>& newLines);
  // The fixes of one repaired file: for each changed region that touches a
  // problem of the before text (its placeholders, and the given compiler
  // error lines that name a line), one fix per key not used before. Texts of
  // 1500 lines or more and over-long snippets give nothing.
  static std::vector<Fix> harvest(std::string_view before, std::string_view after,
                                  const std::vector<std::string>& errors, std::string_view model);
  // Every ".kt" file below folder (hidden ones included, links not followed)
  // outside the runtime library, read as UTF-8; unreadable files left out,
  // an unreadable folder gives an empty snapshot.
  static Snapshot snapshot(const std::filesystem::path& folder);
  // The fixes of every file of `earlier` whose text has changed in folder
  // since; added and removed files give nothing.
  static std::vector<Fix> harvest(const Snapshot& earlier, const std::filesystem::path& folder,
                                  std::string_view model);
};

}  // namespace tovrane
