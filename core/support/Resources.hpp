#pragma once
// Files under core/resources/ are compiled into the core library and looked
// up by their relative name ("runtime/SwiftStdlib.kt"). Tests can put another
// store in place for the life of an Override, for example an empty one to see
// how callers cope with a missing resource.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrane::resources {

struct Entry {
  std::string_view name;
  std::string_view bytes;
};

// The store built into the library, sorted by name.
const std::vector<Entry>& embeddedEntries();

// The bytes of a resource in the current store, or nullopt.
std::optional<std::string_view> find(std::string_view name);
// Names in the current store that start with prefix, sorted.
std::vector<std::string> names(std::string_view prefix = {});

// Replaces the current store until destroyed; overrides nest. Meant for tests
// and only while no other thread reads resources.
class Override {
 public:
  explicit Override(std::vector<Entry> entries);
  ~Override();
  Override(const Override&) = delete;
  Override& operator=(const Override&) = delete;

 private:
  std::vector<Entry> entries_;
  const std::vector<Entry>* previous_;
};

}  // namespace tovrane::resources
