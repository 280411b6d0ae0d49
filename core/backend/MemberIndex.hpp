#pragma once
// The members of the module's types, looked up by name. The emitter asks
// about a member at every use (a call's parameters, a case in a pattern, a
// property compared with a case), so a walk through the declaration's lists
// would cost as much as the type is long, and a long type used often would
// cost the square of its length; the index is built once per run instead.
#include <algorithm>
#include <cstddef>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/backend/SymbolCollector.hpp"
#include "core/ir/IR.hpp"

namespace tovrane {

// Values grouped by a name: sorted once, then found by binary search. The
// values of one name keep the order they were added in. Two flat vectors
// rather than a tree of nodes, since an index is built for every member of
// every type on every run.
template <typename Value>
class ByName {
 public:
  ByName() = default;
  explicit ByName(std::vector<std::pair<std::string_view, Value>> entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    values_.reserve(entries.size());
    groups_.reserve(entries.size());
    for (auto& [name, value] : entries) {
      if (groups_.empty() || groups_.back().name != name) groups_.push_back(Group{name, values_.size(), values_.size()});
      values_.push_back(std::move(value));
      ++groups_.back().end;
    }
  }

  // The values of that name; empty when there are none.
  std::span<const Value> find(std::string_view name) const {
    const auto group = std::lower_bound(groups_.begin(), groups_.end(), name,
                                        [](const Group& g, std::string_view n) { return g.name < n; });
    if (group == groups_.end() || group->name != name) return {};
    return std::span<const Value>(values_).subspan(group->begin, group->end - group->begin);
  }
  // The first value of that name, or a value-initialized one.
  Value first(std::string_view name) const {
    const std::span<const Value> found = find(name);
    return found.empty() ? Value{} : found.front();
  }
  std::size_t names() const { return groups_.size(); }
  template <typename Visit>
  void forEachName(Visit visit) const {
    for (const Group& group : groups_) visit(group.name);
  }

 private:
  struct Group {
    std::string_view name;
    std::size_t begin;
    std::size_t end;
  };
  std::vector<Group> groups_;
  std::vector<Value> values_;
};

// Indexes the types and enumerations of one ModuleSymbols, which must
// outlive it unchanged: it holds pointers into them. Names are Swift names;
// case names are looked up without Swift's backquotes.
class MemberIndex {
 public:
  // The members of one type (symbols.types) by name, each kind in
  // declaration order.
  struct TypeMembers {
    ByName<const IRProperty*> properties;
    // Every function, initializers included.
    ByName<const IRFunction*> functions;
    std::vector<const IRFunction*> initializers;
    ByName<const IREnumCase*> cases;
    // The last stored instance property holding a function or a view: the
    // one a single trailing closure fills.
    const IRProperty* content = nullptr;
    // Only where a name is declared twice (properties that Swift rejects,
    // overloads): the properties that are not static, those of them without
    // a getter, and the functions that are no initializer. Elsewhere one
    // member per name tells these by its own flags.
    ByName<const IRProperty*> instanceProperties;
    ByName<const IRProperty*> storedProperties;
    ByName<const IRFunction*> methods;

    // The first property of that name that is not static, and the first of
    // those without a getter.
    const IRProperty* instanceProperty(std::string_view name) const;
    const IRProperty* storedProperty(std::string_view name) const;
    // The first function of that name that is no initializer.
    const IRFunction* method(std::string_view name) const;
    // Whether a property or function has that name.
    bool declares(std::string_view name) const;
  };
  // A property and the path of the type that declares it.
  struct OwnedProperty {
    const std::string* owner;
    const IRProperty* property;
  };

  explicit MemberIndex(const ModuleSymbols& symbols);
  MemberIndex(const MemberIndex&) = delete;
  MemberIndex& operator=(const MemberIndex&) = delete;

  // The members of the module type at `path`; none for any other path.
  const TypeMembers& type(std::string_view path) const;
  // The first case of that name of the enumeration at enumPath
  // (symbols.enums); null when it has none.
  const IREnumCase* enumCase(std::string_view enumPath, std::string_view name) const;
  // The enumerations (symbols.enums) with a case of that name, each once, in
  // path order.
  std::span<const std::string* const> enumsWithCase(std::string_view name) const;
  // Every property of that name in every type, in path order.
  std::span<const OwnedProperty> propertiesNamed(std::string_view name) const;

 private:
  std::map<std::string_view, TypeMembers, std::less<>> types_;
  std::map<std::string_view, ByName<const IREnumCase*>, std::less<>> enumCases_;
  ByName<const std::string*> enumsWithCase_;
  ByName<OwnedProperty> propertiesNamed_;
};

// Whether a name is a member of any of several types (the supertypes whose
// member names a type takes over, the protocols it conforms to). Short
// lists of names are copied into one set; long ones are looked at where they
// are, so that many types inheriting one long type do not each copy it, and
// one type inheriting many short ones asks one set.
class MemberNames {
 public:
  void add(const NameSet& names);
  void add(const MemberIndex::TypeMembers& members);
  bool contains(std::string_view name) const;

 private:
  // Lists longer than this are not copied.
  static constexpr std::size_t maxCopied = 64;
  NameSet copied_;
  std::set<const NameSet*> sets_;
  std::set<const MemberIndex::TypeMembers*> types_;
};

}  // namespace tovrane
