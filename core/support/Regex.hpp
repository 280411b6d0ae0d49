#pragma once
// A compiled PCRE2 pattern in UTF mode with Unicode character classes.
// Compiled once; matching is const and safe from several threads at once
// (each match gets its own match data).
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane {

class RegexError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RegexOptions {
  bool multiLine = false;   // ^ and $ match at every line
  bool caseless = false;
  bool dotAll = false;      // . matches line ends too
};

// One match: group 0 is the whole match; absent groups have no value.
struct RegexMatch {
  std::string_view subject;
  std::vector<std::optional<std::pair<std::size_t, std::size_t>>> groups;  // [begin, end) byte offsets

  std::size_t begin() const { return groups[0]->first; }
  std::size_t end() const { return groups[0]->second; }
  bool has(std::size_t i) const { return i < groups.size() && groups[i].has_value(); }
  // The text of group i, empty when it did not take part.
  std::string_view group(std::size_t i) const;
};

class Regex {
 public:
  // Throws RegexError with PCRE2's message and offset for an invalid pattern.
  explicit Regex(std::string_view pattern, RegexOptions options = {});
  ~Regex();
  Regex(Regex&&) noexcept;
  Regex& operator=(Regex&&) noexcept;
  Regex(const Regex&) = delete;
  Regex& operator=(const Regex&) = delete;

  // True when the whole subject matches.
  bool matches(std::string_view subject) const;
  // The first match at or after start.
  std::optional<RegexMatch> search(std::string_view subject, std::size_t start = 0) const;
  // All non-overlapping matches, left to right (an empty match advances by one character).
  std::vector<RegexMatch> allMatches(std::string_view subject) const;
  // Replaces every match by what fn returns for it.
  std::string replace(std::string_view subject, const std::function<std::string(const RegexMatch&)>& fn) const;

  std::size_t groupCount() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tovrane
