#include "core/backend/RuntimeGlobals.hpp"

#include <gtest/gtest.h>

#include "core/support/Resources.hpp"

namespace tovrane {
namespace {

// A runtime source that shows which declarations count and which do not.
constexpr std::string_view runtimeFixture = R"(package tovrane.runtime

fun swiftPrint(vararg items: Any?) {}
@Composable
fun Text(text: String, mod: Mod = Mod()) {}
@Composable inline fun Apply(block: () -> Unit) = block()
inline fun <T> MutableList<T>.map_(f: (T) -> T) = map(f)
fun <T> strideThrough(from: T, to: T) {}
fun String.swiftTrimmed(): String = trim()
class Mod
data class Binding<T>(val get: () -> T)
enum class Edge { top }
object TaskStatic
val LocalDismiss = 1
var swiftCounter = 0
typealias DismissAction = () -> Unit
interface Shape
fun interface Callback { fun call() }
    fun indented() {}
private fun hidden() {}
@Composable private fun HiddenComposable() {}
sealed class Sealed
open class Opened
enum Plain
funny()
class `Backquoted`
)";

TEST(RuntimeGlobals, FindsOnlyUnindentedDeclarationsAtLineStarts) {
  const std::set<std::string> expected = {
      "swiftPrint", "Text", "Apply",
      // The captured name is the first identifier after the keyword: the
      // receiver type of an extension, and "interface" after "fun".
      "MutableList", "strideThrough", "String", "Mod", "Binding", "Edge", "TaskStatic", "LocalDismiss",
      "swiftCounter", "DismissAction", "Shape", "interface"};
  EXPECT_EQ(runtimeGlobalsIn({runtimeFixture}), expected);
}

TEST(RuntimeGlobals, ReadsBothRuntimeSourcesAndSkipsMissingOnes) {
  const resources::Override both({{"runtime/SwiftStdlib.kt", "fun swiftPrint() {}\r\nclass SwiftError\r\n"},
                                  {"runtime/SwiftUI.kt", "@Composable\r\nfun VStack() {}\n"},
                                  {"SwiftUI.kt", "fun NotRuntime() {}\n"}});
  EXPECT_EQ(readRuntimeGlobals(), (std::set<std::string>{"SwiftError", "VStack", "swiftPrint"}));
  {
    const resources::Override onlyUi(std::vector<resources::Entry>{{"runtime/SwiftUI.kt", "object Mod\n"}});
    EXPECT_EQ(readRuntimeGlobals(), std::set<std::string>{"Mod"});
  }
  const resources::Override none(std::vector<resources::Entry>{});
  EXPECT_TRUE(readRuntimeGlobals().empty());
}

}  // namespace
}  // namespace tovrane
