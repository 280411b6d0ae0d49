#pragma once
// What the two view files (view types and view content) both ask of a
// property.
#include <algorithm>

#include "core/ir/IR.hpp"

namespace tovrane {

// Marked @ViewBuilder, as its first attribute or a later one.
inline bool isViewBuilder(const IRProperty& property) {
  return property.wrapper == "ViewBuilder" ||
         std::find(property.otherAttributes.begin(), property.otherAttributes.end(), "ViewBuilder") !=
             property.otherAttributes.end();
}

}  // namespace tovrane
