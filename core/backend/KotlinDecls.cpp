// The spine of the Kotlin backend: the file template, the dispatch of
// declarations and types to their emitters, hoisting of nested and local
// types to file level, extensions of types the module does not declare, and
// the comment block of an unsupported declaration.
#include <algorithm>
#include <utility>

#include "core/backend/KotlinBackend.hpp"
#include "core/support/Text.hpp"

namespace tovrane {
namespace {

// Warnings the generated code would otherwise raise by design (unused
// parameters of translated signatures, Swift naming, casts the translation
// writes defensively).
constexpr std::string_view suppressedWarnings[] = {
    "UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST",
    "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName",
    "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON",
    "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION"};
static_assert(std::size(suppressedWarnings) == 17);

// Nested types more than this many levels below a file's declarations are
// not written.
constexpr int maxHoistingPasses = 20;
// Lines of an unsupported declaration's source quoted in its comment block.
constexpr std::size_t maxQuotedLines = 30;

std::string fileHeader(const std::string& path, const std::string& packageName) {
  std::string suppress = "@file:Suppress(";
  for (std::size_t i = 0; i < std::size(suppressedWarnings); ++i) {
    if (i > 0) suppress += ", ";
    suppress += '"';
    suppress += suppressedWarnings[i];
    suppress += '"';
  }
  suppress += ")";
  // A line break in a folder or file name would end the comment.
  std::string header = "// Automatisch aus ";
  header += text::printable(path);
  header += " erzeugt von tovrane.\n";
  header += suppress;
  header += "\n\npackage ";
  header += packageName;
  header += "\n\nimport androidx.compose.runtime.*\nimport tovrane.runtime.*\n";
  return header;
}

// The source's lines for a line comment. Kotlin ends a line at LF, CR LF and
// a lone CR alike, so all three end a quoted line; a CR left inside a
// comment would turn the rest of the Swift line into code.
std::vector<std::string_view> commentLines(std::string_view source) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= source.size(); ++i) {
    if (i < source.size() && source[i] != '\n' && source[i] != '\r') continue;
    if (i > start) lines.push_back(source.substr(start, i - start));
    if (i + 1 < source.size() && source[i] == '\r' && source[i + 1] == '\n') ++i;
    start = i + 1;
  }
  return lines;
}

// The names a file declares, in order: types with their members, parameters
// and cases, top-level functions and variables, aliases, and the locals of
// every body. (Closure parameters are left out; they live in expressions.)
class DeclaredNames {
 public:
  std::vector<std::string_view> names;

  void decl(const IRDecl& decl) {
    if (const auto* type = decl.as<IRDecl::type>()) this->type(*type->decl);
    if (const auto* function = decl.as<IRDecl::function>()) this->function(*function->decl);
    if (const auto* variable = decl.as<IRDecl::variable>()) property(*variable->property);
    if (const auto* alias = decl.as<IRDecl::typeAlias>()) names.push_back(alias->name);
  }

 private:
  void type(const IRTypeDecl& decl) {
    if (decl.kind != IRTypeKind::extension) names.push_back(decl.name);
    for (const IRProperty& member : decl.properties) property(member);
    for (const IRFunction& member : decl.functions) function(member);
    for (const IREnumCase& enumCase : decl.cases) {
      names.push_back(enumCase.name);
      for (const IRParam& value : enumCase.associated) names.push_back(value.name);
    }
    for (const IRTypeDecl& nested : decl.nested) type(nested);
    for (const auto& [alias, aliased] : decl.typealiases) names.push_back(alias);
  }
  void function(const IRFunction& function) {
    if (!function.isInit) names.push_back(function.name);
    for (const IRParam& param : function.params) {
      if (param.label) names.push_back(*param.label);
      names.push_back(param.name);
    }
    if (function.body) stmts(*function.body);
  }
  void property(const IRProperty& property) {
    names.push_back(property.name);
    if (property.getter) stmts(*property.getter);
    if (property.setter) stmts(*property.setter);
  }
  void conds(const std::vector<IRCondition>& conds) {
    for (const IRCondition& cond : conds)
      if (const auto* binding = cond.as<IRCondition::optionalBinding>()) names.push_back(binding->name);
  }
  void stmts(const std::vector<IRStmt>& body) {
    for (const IRStmt& stmt : body) {
      if (const auto* s = stmt.as<IRStmt::local>()) names.push_back(s->name);
      if (const auto* s = stmt.as<IRStmt::destructure>()) names.insert(names.end(), s->names.begin(), s->names.end());
      if (const auto* s = stmt.as<IRStmt::ifStmt>()) {
        conds(s->conds);
        stmts(s->then);
        if (s->els) stmts(*s->els);
      }
      if (const auto* s = stmt.as<IRStmt::guardStmt>()) {
        conds(s->conds);
        stmts(s->els);
      }
      if (const auto* s = stmt.as<IRStmt::forIn>()) stmts(s->body);
      if (const auto* s = stmt.as<IRStmt::whileLoop>()) {
        conds(s->conds);
        stmts(s->body);
      }
      if (const auto* s = stmt.as<IRStmt::repeatWhile>()) stmts(s->body);
      if (const auto* s = stmt.as<IRStmt::switchStmt>())
        for (const IRSwitchCase& c : s->cases) stmts(c.body);
      if (const auto* s = stmt.as<IRStmt::doCatch>()) {
        stmts(s->body);
        if (s->catchBody) stmts(*s->catchBody);
      }
      if (const auto* s = stmt.as<IRStmt::defer_>()) stmts(s->body);
      if (const auto* s = stmt.as<IRStmt::localFunc>()) function(*s->function);
      if (const auto* s = stmt.as<IRStmt::localType>()) type(*s->decl);
    }
  }
};

}  // namespace

void KotlinEmitter::warnReplacedNames(const IRFile& file) {
  DeclaredNames declared;
  for (const IRDecl& decl : file.decls) declared.decl(decl);
  NameSet warned;
  for (const std::string_view name : declared.names) {
    if (kotlinNameForm(name) != KotlinNameForm::replaced || !warned.insert(std::string(name)).second) continue;
    warn(name, "Der Name ist in Kotlin nicht m\xC3\xB6glich und hei\xC3\x9Ft dort " + kw(name));
  }
}

std::string KotlinEmitter::emitFile(const IRFile& file) {
  currentFile = file.path;
  hoisted.clear();
  warnReplacedNames(file);
  Writer writer;
  for (const IRDecl& decl : file.decls) {
    if (stop.stop_requested()) break;
    emitDecl(decl, writer);
    writer.line("");
  }
  for (int pass = 0; pass < maxHoistingPasses && !hoisted.empty(); ++pass) {
    const std::vector<HoistedType> types = std::exchange(hoisted, {});
    for (const HoistedType& type : types) {
      if (stop.stop_requested()) break;
      emitType(type.decl, writer, type.path);
      writer.line("");
    }
  }
  return fileHeader(file.path, packageName) + text::join(writer.lines, "\n") + "\n";
}

void KotlinEmitter::emitDecl(const IRDecl& decl, Writer& writer) {
  if (const auto* type = decl.as<IRDecl::type>()) {
    emitType(*type->decl, writer);
  } else if (const auto* function = decl.as<IRDecl::function>()) {
    // Top-level members belong to no type: a fresh scope keeps the last
    // written type's members and state fields out of them.
    scope = EmitScope();
    emitFunction(*function->decl, writer, std::nullopt, false, "");
  } else if (const auto* variable = decl.as<IRDecl::variable>()) {
    scope = EmitScope();
    emitProperty(*variable->property, writer, {});
  } else if (const auto* alias = decl.as<IRDecl::typeAlias>()) {
    writer.line("typealias " + kw(alias->name) + " = " + kt(*alias->aliased));
  } else if (const auto* unsupported = decl.as<IRDecl::unsupported>()) {
    emitUnsupportedDecl(*unsupported, writer);
  }
}

void KotlinEmitter::emitType(const IRTypeDecl& decl, Writer& writer, std::string_view path) {
  if (std::find(decl.inherits.begin(), decl.inherits.end(), "PreviewProvider") != decl.inherits.end()) return;
  const std::string own(path.empty() ? std::string_view(decl.name) : path);
  // Types the module symbols do not know under the parent's path (declared
  // in an extension of a foreign type, or inside a local type) keep their
  // own name, as their uses do.
  for (const IRTypeDecl& nested : decl.nested) {
    std::string path = own + "." + nested.name;
    const bool known = decl.kind != IRTypeKind::extension && symbols.isTypePath(path);
    hoisted.push_back(HoistedType{nested, known ? std::move(path) : nested.name});
  }
  if (symbols.views.contains(own) || symbols.apps.contains(own)) {
    emitViewType(decl, writer, own);
    return;
  }
  switch (decl.kind) {
    case IRTypeKind::struct_: emitStructOrClass(decl, writer, true, own); break;
    case IRTypeKind::class_:
    case IRTypeKind::actor: emitStructOrClass(decl, writer, false, own); break;
    case IRTypeKind::enum_: emitEnum(decl, writer, own); break;
    case IRTypeKind::protocol: emitProtocol(decl, writer, own); break;
    case IRTypeKind::extension: emitExtension(decl, writer); break;
  }
}

void KotlinEmitter::emitExtension(const IRTypeDecl& decl, Writer& writer) {
  // The extended type is not the module's, so there is no type scope to
  // inherit; start clean as for top-level members.
  scope = EmitScope();
  const std::string receiver = typeName(decl.name);
  for (const IRFunction& function : decl.functions) {
    if (!function.isInit) emitFunction(function, writer, receiver, false, "");
  }
  for (const IRProperty& property : decl.properties) {
    if (!property.getter) continue;
    scope.push();
    const std::string type = kt(property.type);
    writer.line(std::string(property.setter ? "var" : "val") + " " + receiver + "." + kw(property.name) + ": " +
                (type.empty() ? "Any" : type));
    writer.level += 1;
    emitGetter(*property.getter, writer, property.type);
    emitSetter(property, writer);
    writer.level -= 1;
    scope.pop();
  }
}

void KotlinEmitter::emitUnsupportedDecl(const IRDecl::unsupported& decl, Writer& writer) {
  unsupportedCount += 1;
  warn(decl.source, "Nicht unterstützte Deklaration (" + decl.reason + ")");
  writer.line("// tovrane: nicht übersetzt (" + decl.reason + "):");
  const std::vector<std::string_view> lines = commentLines(decl.source);
  for (std::size_t i = 0; i < lines.size() && i < maxQuotedLines; ++i) writer.line("// " + std::string(lines[i]));
}

}  // namespace tovrane
