#pragma once
// The one place where a Swift name becomes a Kotlin name. Every name from the
// Swift source that the backend writes (types, properties, functions,
// parameters, labels, cases, locals, and names made from them such as a
// binding's "_" field) goes through kw, so nothing a name holds can reach the
// output as code, and the same Swift name gives the same Kotlin name
// everywhere in a module.
#include <string>
#include <string_view>

namespace tovrane {

// How kw writes a name.
enum class KotlinNameForm {
  plain,     // a Kotlin identifier and no keyword: as it is
  quoted,    // a Kotlin keyword, or characters Kotlin takes only between backquotes: «`when`», «`🐶`»
  replaced,  // anything else: a made-up legal name (see kw)
};

KotlinNameForm kotlinNameForm(std::string_view name);

// A Swift name without the backquotes that may surround it («`default`»).
std::string_view withoutBackquotes(std::string_view name);

// The Kotlin identifier for a Swift name. Swift's backquotes around it are
// removed first. A Kotlin identifier that is no keyword stays as it is; a
// keyword, or a name whose characters Kotlin accepts between backquotes and
// an Android app's code format accepts in names (emoji, most symbols, "-"),
// is put between backquotes. Anything else (blanks, line breaks, «;», «(»,
// «{», «"», a backquote, only underscores) is replaced by its leading
// identifier characters (at most 24 bytes) and "_" with eight hexadecimal
// digits of a hash of the whole name: «a: Int = 1; init { … }» becomes
// «a_7c1f03e2». The replacement depends on the name alone, so every use
// matches its declaration.
std::string kw(std::string_view name);

// The Kotlin name of a name made from a Swift name by adding a prefix or a
// suffix («_» + name for a binding's field, name + «View» for a view's
// holder class): the made name goes through kw as a whole.
std::string kwMade(std::string_view prefix, std::string_view swiftName, std::string_view suffix = {});

// A type name as written in Swift, possibly dotted («Outer.Inner»): each part
// through kw. An empty name stays empty.
std::string kwPath(std::string_view name);

// The Kotlin name of a module type at its qualified path («Outer.Kind»).
// Nested types are written at file level, so the path's pieces become one
// name joined by "_" («Outer_Kind»): types of one simple name nested in
// different types stay apart. A top-level type keeps its own name.
std::string kwNested(std::string_view path);

}  // namespace tovrane
