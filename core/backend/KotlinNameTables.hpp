#pragma once
// The fixed name tables of the Kotlin backend. Each is written once as a
// constant array in KotlinNameTables.cpp and served as a set built on first
// use (thread-safe: function-local statics); order carries no meaning.
#include <set>
#include <string>

#include "core/backend/SymbolCollector.hpp"

namespace tovrane {

// Kotlin's hard keywords: identifiers spelled like one are written in
// backquotes.
const NameSet& kotlinKeywords();
// Soft keywords that an enum class entry must not spell unquoted.
const NameSet& enumEntryKeywords();
// Colour names written as "Color." + name.
const NameSet& swiftColorNames();
// Text styles written as "Font." + name.
const NameSet& swiftFontNames();
// Weights written as "FontWeight." + name.
const NameSet& fontWeightNames();
// Bare identifiers accepted as known without a placeholder.
const NameSet& knownGlobals();
// Methods whose call, made as a statement, mutates its receiver in place, so
// the statement writer re-assigns the value for Compose to notice.
const NameSet& mutatingMethods();

// SwiftUI views the runtime provides as composables of the same name.
const NameSet& runtimeViews();
// SwiftUI views replaced by a view placeholder.
const NameSet& unsupportedViews();
// Argument labels whose closures are view content in an ordinary view call.
const NameSet& viewClosureLabels();

// Modifiers kept on the Mod chain.
const NameSet& runtimeModifiers();
// Modifiers without an Android counterpart, dropped without a warning.
const NameSet& silentlyDroppedModifiers();
// Modifiers whose closures are view content.
const NameSet& viewClosureModifiers();
// Shape views recognised in modifier arguments.
const NameSet& modifierShapeNames();
// Modifiers whose labelled arguments are written without their label.
const NameSet& positionalModifiers();

}  // namespace tovrane
