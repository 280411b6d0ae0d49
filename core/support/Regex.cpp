#define PCRE2_CODE_UNIT_WIDTH 8
#include "core/support/Regex.hpp"

#include <pcre2.h>

namespace tovrane {

struct Regex::Impl {
  pcre2_code* code = nullptr;
  std::size_t groups = 0;
  ~Impl() { pcre2_code_free(code); }
};

namespace {

struct MatchData {
  pcre2_match_data* data;
  explicit MatchData(const pcre2_code* code) : data(pcre2_match_data_create_from_pattern(code, nullptr)) {}
  ~MatchData() { pcre2_match_data_free(data); }
};

std::optional<RegexMatch> matchAt(const pcre2_code* code, std::size_t groups, std::string_view subject,
                                  std::size_t start, uint32_t flags) {
  MatchData md(code);
  const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), start, flags,
                             md.data, nullptr);
  if (rc < 0) return std::nullopt;
  const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md.data);
  RegexMatch m{subject, {}};
  m.groups.resize(groups + 1);
  for (std::size_t i = 0; i <= groups; ++i) {
    if (ov[2 * i] == PCRE2_UNSET) continue;
    m.groups[i] = std::make_pair(static_cast<std::size_t>(ov[2 * i]), static_cast<std::size_t>(ov[2 * i + 1]));
  }
  return m;
}

}  // namespace

std::string_view RegexMatch::group(std::size_t i) const {
  if (!has(i)) return {};
  return subject.substr(groups[i]->first, groups[i]->second - groups[i]->first);
}

Regex::Regex(std::string_view pattern, RegexOptions options) : impl_(std::make_unique<Impl>()) {
  uint32_t flags = PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF;
  if (options.multiLine) flags |= PCRE2_MULTILINE;
  if (options.caseless) flags |= PCRE2_CASELESS;
  if (options.dotAll) flags |= PCRE2_DOTALL;
  int error = 0;
  PCRE2_SIZE offset = 0;
  impl_->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), flags, &error, &offset,
                              nullptr);
  if (!impl_->code) {
    PCRE2_UCHAR message[256];
    pcre2_get_error_message(error, message, sizeof message);
    throw RegexError("Ungültiger regulärer Ausdruck bei Position " + std::to_string(offset) + ": " +
                     reinterpret_cast<const char*>(message));
  }
  // JIT is an optimisation only; without it matching still works.
  pcre2_jit_compile(impl_->code, PCRE2_JIT_COMPLETE);
  uint32_t count = 0;
  pcre2_pattern_info(impl_->code, PCRE2_INFO_CAPTURECOUNT, &count);
  impl_->groups = count;
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

std::size_t Regex::groupCount() const { return impl_->groups; }

bool Regex::matches(std::string_view subject) const {
  auto m = matchAt(impl_->code, impl_->groups, subject, 0, PCRE2_ANCHORED | PCRE2_ENDANCHORED);
  return m.has_value();
}

std::optional<RegexMatch> Regex::search(std::string_view subject, std::size_t start) const {
  if (start > subject.size()) return std::nullopt;
  return matchAt(impl_->code, impl_->groups, subject, start, 0);
}

std::vector<RegexMatch> Regex::allMatches(std::string_view subject) const {
  std::vector<RegexMatch> out;
  std::size_t start = 0;
  while (start <= subject.size()) {
    auto m = search(subject, start);
    if (!m) break;
    std::size_t next = m->end();
    if (m->end() == m->begin()) {
      // Step over one whole UTF-8 sequence so an empty match cannot repeat.
      next = m->end() + 1;
      while (next < subject.size() && (static_cast<unsigned char>(subject[next]) & 0xC0) == 0x80) ++next;
    }
    out.push_back(std::move(*m));
    start = next;
  }
  return out;
}

std::string Regex::replace(std::string_view subject,
                           const std::function<std::string(const RegexMatch&)>& fn) const {
  std::string out;
  std::size_t copied = 0;
  for (const auto& m : allMatches(subject)) {
    out.append(subject.substr(copied, m.begin() - copied));
    out.append(fn(m));
    copied = m.end();
  }
  out.append(subject.substr(copied));
  return out;
}

}  // namespace tovrane
