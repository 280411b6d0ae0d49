#include "core/support/Resources.hpp"

#include <algorithm>
#include <atomic>

namespace tovrane::resources {
namespace {

std::atomic<const std::vector<Entry>*>& current() {
  static std::atomic<const std::vector<Entry>*> store{nullptr};
  return store;
}

const std::vector<Entry>& store() {
  const auto* overridden = current().load(std::memory_order_acquire);
  return overridden ? *overridden : embeddedEntries();
}

}  // namespace

std::optional<std::string_view> find(std::string_view name) {
  for (const auto& entry : store())
    if (entry.name == name) return entry.bytes;
  return std::nullopt;
}

std::vector<std::string> names(std::string_view prefix) {
  std::vector<std::string> out;
  for (const auto& entry : store())
    if (entry.name.starts_with(prefix)) out.emplace_back(entry.name);
  std::sort(out.begin(), out.end());
  return out;
}

Override::Override(std::vector<Entry> entries)
    : entries_(std::move(entries)), previous_(current().exchange(&entries_, std::memory_order_acq_rel)) {}

Override::~Override() { current().store(previous_, std::memory_order_release); }

}  // namespace tovrane::resources
