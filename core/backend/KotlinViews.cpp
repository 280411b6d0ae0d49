// View content as Compose calls: the statements of view bodies and
// view-building closures, each view expression with its modifiers peeled
// off into one Mod chain, and the mapping of each SwiftUI view to a runtime
// composable, a module view or an Unsupported placeholder. Views and
// modifiers without an Android counterpart never stop the emission: a view
// becomes a counted placeholder that still compiles, a modifier is left out.
#include <algorithm>
#include <cctype>
#include <utility>

#include "core/backend/KotlinBackend.hpp"
#include "core/backend/KotlinViewSupport.hpp"
#include "core/support/Text.hpp"

namespace tovrane {
namespace {

using ModifierEntry = KotlinEmitter::ModifierEntry;

const std::string* identName(const IRExpr& value) {
  const auto* ident = value.as<IRExpr::ident>();
  return ident ? &ident->name : nullptr;
}

bool isIdent(const IRExpr& value, std::string_view name) {
  const std::string* found = identName(value);
  return found && *found == name;
}

const IRClosure* closureOf(const IRExpr& value) {
  const auto* closure = value.as<IRExpr::closure>();
  return closure ? &*closure->value : nullptr;
}

// «Color.name»: the member and its base, when value has that shape.
const IRExpr::member* colorMember(const IRExpr& value) {
  const auto* member = value.as<IRExpr::member>();
  return member && member->base && isIdent(**member->base, "Color") ? member : nullptr;
}

// A colour as a value: «Color.red», «Color(red: …)», or one of them with an
// opacity. Modifiers that take a colour get the colour, not a view showing it.
bool isColorValue(const IRExpr& value) {
  if (colorMember(value)) return true;
  const auto* call = value.as<IRExpr::call>();
  if (!call) return false;
  if (isIdent(*call->callee, "Color")) return true;
  const auto* member = call->callee->as<IRExpr::member>();
  return member && member->base && member->name == "opacity" && isColorValue(**member->base);
}

// A key path such as «\.locale», which the frontend writes as a closure on
// "$0", or one it could not write at all.
bool isKeyPath(const IRExpr& value) { return value.is<IRExpr::unsupported>() || value.is<IRExpr::closure>(); }

// Counts one untranslated place, records its warning and returns the
// placeholder view line for shown.
std::string unsupportedView(KotlinEmitter& emitter, std::string_view shown, std::string message,
                            std::string_view source, const std::optional<std::string>& mod) {
  emitter.unsupportedCount += 1;
  emitter.warn(source, std::move(message));
  return "Unsupported(" + stringLiteral(shown) + (mod ? ", " + *mod : "") + ")";
}

// A view-valued argument as a composable lambda around the view's lines.
std::string viewLambda(KotlinEmitter& emitter, const IRExpr& value) {
  Writer lines;
  emitter.emitView(value, lines);
  return "{ " + std::string(text::trimWhitespaceAndNewlines(text::join(lines.lines, "\n"))) + " }";
}

// The label a modifier gives its only trailing closure.
std::string singleTrailingLabel(std::string_view modifier) {
  if (modifier == "onTapGesture" || modifier == "onAppear" || modifier == "onDisappear" ||
      text::startsWith(modifier, "onChange")) {
    return "perform";
  }
  if (modifier == "task") return "action";
  if (modifier == "alert") return "actions";
  if (modifier == "tabItem") return "label";
  return "content";
}

bool isViewType(const IRType& type) {
  const auto* named = type.as<IRType::named>();
  return named && named->name == "View";
}

}  // namespace

void KotlinEmitter::emitViewBlock(const std::vector<IRStmt>& stmts, Writer& writer) {
  for (const IRStmt& stmt : stmts) emitViewStmt(stmt, writer);
}

void KotlinEmitter::emitViewStmt(const IRStmt& stmt, Writer& writer) {
  if (const auto* s = stmt.as<IRStmt::expr>()) {
    emitView(*s->value, writer);
  } else if (const auto* s = stmt.as<IRStmt::ret>(); s && s->value) {
    emitView(**s->value, writer);
  } else if (const auto* s = stmt.as<IRStmt::ifStmt>()) {
    emitIf(s->conds, s->then, s->els, writer, true, false);
  } else if (const auto* s = stmt.as<IRStmt::switchStmt>()) {
    emitSwitch(*s->subject, s->cases, writer, true, false);
  } else if (const auto* s = stmt.as<IRStmt::forIn>()) {
    scope.push();
    scope.declare(s->name);
    writer.line("for (" + kw(s->name) + " in " + expr(*s->seq, Hint{}) + ") {");
    writer.level += 1;
    for (const IRStmt& inner : s->body) emitViewStmt(inner, writer);
    writer.level -= 1;
    writer.line("}");
    scope.pop();
  } else {
    emitStmt(stmt, writer);
  }
}

void KotlinEmitter::emitView(const IRExpr& value, Writer& writer) {
  // Peel modifiers from the outside in, then turn the list round: innermost
  // first is the order SwiftUI applies them in.
  std::vector<ModifierEntry> modifiers;
  const IRExpr* view = &value;
  while (const auto* call = view->as<IRExpr::call>()) {
    const auto* member = call->callee->as<IRExpr::member>();
    if (!member || !member->base) break;
    const IRExpr& base = **member->base;
    if (const std::string* name = identName(base); name && (!scope.viewMembers.contains(*name) || *name == "Color")) {
      break;
    }
    // A call of the view's own view function, not a modifier.
    if (scope.viewMembers.contains(member->name) && !runtimeModifiers().contains(member->name)) break;
    modifiers.push_back(ModifierEntry{member->name, call->args, call->trailing});
    view = &base;
  }
  std::reverse(modifiers.begin(), modifiers.end());
  const std::string chain = modString(modifiers);
  const std::optional<std::string> mod = chain == "Mod()" ? std::nullopt : std::optional("mod = " + chain);
  const auto grouped = [&mod](const std::string& text) { return mod ? "Group(" + *mod + ") { " + text + " }" : text; };
  const auto memberCall = [this](const std::string& name, const std::vector<IRArg>& args) {
    return kw(name) + "(" + text::join(argList(args, name, {}), ", ") + ")";
  };

  if (const auto* e = view->as<IRExpr::ifExpr>()) {
    emitViewStmt(*e->stmt, writer);
    return;
  }
  if (const auto* call = view->as<IRExpr::call>()) {
    if (const std::string* name = identName(*call->callee)) {
      // The view's own view functions and content closures, called without
      // "self.", are members, not views of that name.
      if (scope.viewMembers.contains(*name)) {
        writer.line(grouped(memberCall(*name, call->args)));
      } else {
        emitViewCall(*name, call->args, call->trailing, mod, writer, *view);
      }
      return;
    }
    const auto* member = call->callee->as<IRExpr::member>();
    if (member && scope.viewMembers.contains(member->name)) {
      writer.line(grouped(memberCall(member->name, call->args)));
      return;
    }
  } else if (const std::string* name = identName(*view)) {
    if (scope.viewMembers.contains(*name) || scope.knows(*name)) {
      writer.line(grouped(kw(*name) + "()"));
      return;
    }
  } else if (const auto* color = colorMember(*view)) {
    writer.line("ColorView(Color." + color->name + (mod ? ", " + *mod : "") + ")");
    return;
  } else if (const auto* member = view->as<IRExpr::member>()) {
    if (member->base && (*member->base)->is<IRExpr::selfRef>() && scope.viewMembers.contains(member->name)) {
      writer.line(kw(member->name) + "()");
      return;
    }
  }
  const std::string description = describe(*view);
  writer.line(unsupportedView(*this, description, "Unbekannter View-Ausdruck", description, std::nullopt));
}

bool KotlinEmitter::isViewExpr(const IRExpr& value) {
  if (const std::string* name = identName(value)) return scope.viewMembers.contains(*name);
  if (value.is<IRExpr::member>()) return colorMember(value) != nullptr;
  const auto* call = value.as<IRExpr::call>();
  if (!call) return false;
  if (const std::string* name = identName(*call->callee)) {
    return runtimeViews().contains(*name) || isModuleView(*name) || unsupportedViews().contains(*name) ||
           scope.viewMembers.contains(*name);
  }
  const auto* member = call->callee->as<IRExpr::member>();
  if (!member || !member->base) return false;
  if (runtimeModifiers().contains(member->name) || silentlyDroppedModifiers().contains(member->name)) {
    return isViewExpr(**member->base);
  }
  return scope.viewMembers.contains(member->name);
}

bool KotlinEmitter::isModuleView(std::string_view name) const {
  const std::optional<std::string> path = typePath(name);
  return path && symbols.views.contains(*path);
}

std::string KotlinEmitter::describe(const IRExpr& value) {
  if (const std::string* name = identName(value)) return *name;
  if (const auto* member = value.as<IRExpr::member>()) {
    return (member->base ? describe(**member->base) : std::string()) + "." + member->name;
  }
  if (const auto* call = value.as<IRExpr::call>()) return describe(*call->callee) + "(\u2026)";
  if (const auto* unsupported = value.as<IRExpr::unsupported>()) {
    return std::string(text::prefixGraphemes(unsupported->source, 80));
  }
  return "Ausdruck";
}

void KotlinEmitter::emitViewCall(const std::string& name, const std::vector<IRArg>& args,
                                 const std::vector<IRArg>& trailing, const std::optional<std::string>& mod,
                                 Writer& writer, const IRExpr& /*source*/) {
  if (unsupportedViews().contains(name)) {
    writer.line(unsupportedView(*this, name, name + " wird noch nicht unterstützt (Platzhalter eingefügt)", name, mod));
    return;
  }
  if (!runtimeViews().contains(name) && !isModuleView(name)) {
    writer.line(unsupportedView(*this, name, "Unbekannter View " + name, name, mod));
    return;
  }

  std::string view = name;
  std::vector<IRArg> written = args;
  if (name == "Image") {
    if (written.size() == 1 && !written.front().label) {
      view = "AssetImage";
    } else if (written.empty() || written.front().label != "systemName") {
      writer.line(unsupportedView(*this, "Image", "Image-Variante nicht unterstützt", "Image(...)", mod));
      return;
    }
  } else if (name == "Text") {
    if (!written.empty()) written = {IRArg{.value = written.front().value}};
  } else if (name == "ForEach" || name == "List") {
    std::erase_if(written, [](const IRArg& arg) { return arg.label == "id"; });
    // Only the unlabelled data argument iterates; «List(selection: $picked)»
    // hands over a binding that must stay one.
    const std::string* items = written.empty() || written.front().label ? nullptr : identName(written.front().value);
    if (items && text::startsWith(*items, "$")) {
      // The runtime iterates values; edits through the element bindings are
      // lost, so say so.
      warn("ForEach(" + *items + ")", "ForEach über Bindings: Elemente werden als Werte übergeben");
      written.front() = IRArg{.value = IRExpr::ident{items->substr(1)}};
    }
  } else if (name == "Color") {
    const std::string color = expr(IRExpr::call{IRExpr::ident{"Color"}, args, {}}, Hint{});
    writer.line("ColorView(" + color + (mod ? ", " + *mod : "") + ")");
    return;
  } else if (name == "Button") {
    if (std::any_of(args.begin(), args.end(), [](const IRArg& arg) { return arg.label == "action"; }) &&
        trailing.size() == 1) {
      written.push_back(IRArg{.label = "label", .value = trailing.front().value});
      emitViewArgs(name, written, NameSet{"label"}, {}, mod, writer, true);
    } else if (trailing.size() == 2) {
      written.push_back(IRArg{.label = "action", .value = trailing[0].value});
      written.push_back(IRArg{.label = "label", .value = trailing[1].value});
      emitViewArgs(name, written, NameSet{"label"}, {}, mod, writer, true);
    } else {
      // «Button("Title") { … }»: the one trailing closure is the action.
      emitViewArgs(name, written, NameSet{}, trailing, mod, writer, false);
    }
    return;
  } else if (name == "NavigationLink") {
    if (std::any_of(args.begin(), args.end(), [](const IRArg& arg) { return arg.label == "value"; })) {
      unsupportedCount += 1;
      warn("NavigationLink(value:)", "NavigationLink(value:) + navigationDestination wird nicht unterstützt");
    }
  } else if (name == "Toggle" || name == "Picker" || name == "Menu" || name == "Section" || name == "Label" ||
             name == "Stepper") {
    if (trailing.size() >= 2) warn(name, name + " mit mehreren Closures nur teilweise unterstützt");
  }
  emitViewArgs(view, written, viewClosureLabels(), trailing, mod, writer, true);
}

void KotlinEmitter::emitViewArgs(const std::string& name, const std::vector<IRArg>& args,
                                 const NameSet& viewClosureLabels, const std::vector<IRArg>& trailing,
                                 const std::optional<std::string>& mod, Writer& writer, bool trailingIsView) {
  const std::optional<std::string> path = typePath(name);
  const std::string written = path ? kwNested(*path) : kw(name);
  // The type of the view's property a label names (the last of that name).
  const MemberIndex::TypeMembers& view = members.type(path.value_or(""));
  const auto propertyType = [&](const std::optional<std::string>& label) -> const IRType* {
    if (!label) return nullptr;
    const std::span<const IRProperty* const> named = view.properties.find(*label);
    return named.empty() ? nullptr : &named.back()->type;
  };

  std::vector<std::string> parts;
  for (const IRArg& arg : args) {
    std::string text;
    if (const IRClosure* closure = closureOf(arg.value)) {
      text = closureExpr(*closure, arg.label && viewClosureLabels.contains(*arg.label));
    } else if (isViewExpr(arg.value) && name != "ColorView") {
      text = viewLambda(*this, arg.value);
    } else if (const IRType* type = propertyType(arg.label)) {
      text = coerced(arg.value, qualified(*type, *path));
    } else {
      text = expr(arg.value, Hint{.callee = name, .label = arg.label, .type = std::nullopt});
    }
    if (!arg.label) {
      parts.push_back(std::move(text));
      continue;
    }
    // A URL is a string on Android: the force unwrap of «URL(string:)!» has
    // nothing to unwrap.
    if (name == "Link" && arg.label == "destination" && text::endsWith(text, "!!")) text.resize(text.size() - 2);
    parts.push_back(kw(*arg.label) + " = " + text);
  }
  if (mod) parts.push_back(*mod);

  std::string trailingText;
  const IRClosure* single = trailing.size() == 1 ? closureOf(trailing.front().value) : nullptr;
  if (single) {
    // The stored property of a module view that a single trailing closure fills.
    const IRProperty* content = path && symbols.views.contains(*path) ? view.content : nullptr;
    if (content) {
      // The closure fills the module view's content property by name; the
      // modifier chain stays last.
      std::erase_if(parts, [](const std::string& part) { return text::startsWith(part, "mod = "); });
      const bool viewMode = isViewBuilder(*content) || isViewType(content->type);
      parts.push_back(kw(content->name) + " = " + closureExpr(*single, viewMode));
      if (mod) parts.push_back(*mod);
      writer.line(written + "(" + text::join(parts, ", ") + ")");
      return;
    }
    const auto& params = single->params;
    if (name == "ForEach" && params.size() == 2 && std::find(params.begin(), params.end(), "$0") == params.end()) {
      scope.tupleClosure = true;
    }
    trailingText = " " + closureExpr(*single, trailingIsView);
  } else if (trailing.size() >= 2) {
    for (std::size_t i = 0; i < trailing.size(); ++i) {
      const IRClosure* closure = closureOf(trailing[i].value);
      if (!closure) continue;
      const std::string label = trailing[i].label.value_or(i == 0 ? "content" : "arg" + std::to_string(i));
      parts.push_back(kw(label) + " = " + closureExpr(*closure, true));
    }
  }

  if (parts.empty() && !trailingText.empty()) {
    writer.line(written + trailingText);
  } else {
    writer.line(written + "(" + text::join(parts, ", ") + ")" + trailingText);
  }
}

std::string KotlinEmitter::modString(const std::vector<ModifierEntry>& modifiers) {
  std::string chain = "Mod()";
  for (const ModifierEntry& entry : modifiers) {
    std::string name = entry.name == "navigationBarTitle" ? "navigationTitle" : entry.name;
    if (silentlyDroppedModifiers().contains(name)) continue;
    if (!runtimeModifiers().contains(name)) {
      warn("." + name + "(...)", "Modifier ." + name + " wird auf Android (noch) nicht unterstützt und entfällt");
      continue;
    }
    // «.environment(\.key, value)» sets a SwiftUI environment value that
    // Android has no counterpart for; only environment objects stay.
    if (name == "environment" && !entry.args.empty() && isKeyPath(entry.args.front().value)) continue;
    if (name == "onChange") {
      std::size_t params = 0;
      if (const IRClosure* closure = entry.trailing.empty() ? nullptr : closureOf(entry.trailing.front().value)) {
        params = std::min<std::size_t>(closure->params.size(), 2);
      }
      // «perform: handle»: the method's parameters decide, as they do for
      // the lambda that passes them on.
      for (const IRArg& arg : entry.args) {
        const std::string* method = arg.label == "perform" ? identName(arg.value) : nullptr;
        const IRFunction* function =
            method && scope.methodNames.contains(*method) ? currentTypeMethod(*method) : nullptr;
        if (function) params = std::min<std::size_t>(function->params.size(), 2);
      }
      name += std::to_string(params);
    }
    const bool viewContent = viewClosureModifiers().contains(name);

    std::vector<std::string> parts;
    for (const IRArg& arg : entry.args) {
      const IRExpr& value = arg.value;
      const auto* call = value.as<IRExpr::call>();
      const std::string* shape = call ? identName(*call->callee) : nullptr;
      if (shape && !modifierShapeNames().contains(*shape)) shape = nullptr;
      std::string text;
      if (const IRClosure* closure = closureOf(value)) {
        text = closureExpr(*closure, viewContent && arg.label != "action");
      } else if (isViewExpr(value) && name != "background" && !(isColorValue(value) && !viewContent)) {
        text = viewLambda(*this, value);
      } else if (shape) {
        if (*shape == "RoundedRectangle") {
          text = "RoundedRectangleShape(" + (call->args.empty() ? "8" : expr(call->args.front().value, Hint{})) + ")";
        } else {
          std::string lower = *shape;
          std::transform(lower.begin(), lower.end(), lower.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
          text = "Shape." + lower;
        }
      } else if (name == "background" && isViewExpr(value)) {
        if (const auto* color = colorMember(value)) {
          text = "Color." + color->name;
        } else if (call && isIdent(*call->callee, "Color")) {
          text = expr(value, Hint{});
        } else {
          text = viewLambda(*this, value);
        }
      } else {
        text = expr(value, Hint{.callee = name, .label = arg.label, .type = std::nullopt});
      }
      if (arg.label && !positionalModifiers().contains(name)) text = kw(*arg.label) + " = " + text;
      parts.push_back(std::move(text));
    }

    const std::size_t closures = entry.trailing.size();
    for (std::size_t i = 0; i < closures; ++i) {
      const IRClosure* closure = closureOf(entry.trailing[i].value);
      if (!closure) continue;
      std::string lambda = closureExpr(*closure, viewContent);
      if (closures == 1) {
        parts.push_back(singleTrailingLabel(name) + " = " + lambda);
      } else {
        const std::string label = entry.trailing[i].label.value_or(name == "alert" ? "actions" : "content");
        parts.push_back(kw(label) + " = " + lambda);
      }
    }
    chain += "." + name + "(" + text::join(parts, ", ") + ")";
  }
  return chain;
}

}  // namespace tovrane
