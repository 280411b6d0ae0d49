// SwiftUI on Jetpack Compose (Material 3): the views, the modifier chain `Mod`,
// environment values, navigation, sheets and alerts that converted views call.
// One file on purpose: converted projects copy the runtime as two sources, and
// the parts lean on each other (every view goes through `Node`).
//
// Shape of the calls: every view takes SwiftUI's argument labels as parameter
// names, then `mod: Mod = Mod()`, then its content lambda last. Content lambdas
// take no receiver, so `this` inside them stays the converted view's holder.
@file:Suppress(
    "unused", "FunctionName", "ObjectPropertyName", "EnumEntryName", "ClassName",
    "UNCHECKED_CAST", "ComposableNaming",
)

package tovrane.runtime

import androidx.compose.foundation.background
import androidx.compose.foundation.border
import androidx.compose.foundation.clickable
import androidx.compose.foundation.horizontalScroll
import androidx.compose.foundation.isSystemInDarkTheme
import androidx.compose.foundation.layout.Arrangement
import androidx.compose.foundation.layout.Box
import androidx.compose.foundation.layout.BoxScope
import androidx.compose.foundation.layout.Column
import androidx.compose.foundation.layout.ColumnScope
import androidx.compose.foundation.layout.PaddingValues
import androidx.compose.foundation.layout.Row
import androidx.compose.foundation.layout.RowScope
import androidx.compose.foundation.layout.WindowInsets
import androidx.compose.foundation.layout.defaultMinSize
import androidx.compose.foundation.layout.fillMaxHeight
import androidx.compose.foundation.layout.fillMaxSize
import androidx.compose.foundation.layout.fillMaxWidth
import androidx.compose.foundation.layout.height
import androidx.compose.foundation.layout.heightIn
import androidx.compose.foundation.layout.offset
import androidx.compose.foundation.layout.padding
import androidx.compose.foundation.layout.safeDrawingPadding
import androidx.compose.foundation.layout.size
import androidx.compose.foundation.layout.width
import androidx.compose.foundation.layout.widthIn
import androidx.compose.foundation.rememberScrollState
import androidx.compose.foundation.shape.CircleShape
import androidx.compose.foundation.shape.GenericShape
import androidx.compose.foundation.shape.RoundedCornerShape
import androidx.compose.foundation.text.BasicTextField
import androidx.compose.foundation.verticalScroll
import androidx.compose.material.icons.Icons
import androidx.compose.material.icons.automirrored.filled.ArrowBack
import androidx.compose.material.icons.automirrored.filled.ArrowForward
import androidx.compose.material.icons.automirrored.filled.ExitToApp
import androidx.compose.material.icons.automirrored.filled.KeyboardArrowLeft
import androidx.compose.material.icons.automirrored.filled.KeyboardArrowRight
import androidx.compose.material.icons.automirrored.filled.List
import androidx.compose.material.icons.automirrored.filled.Send
import androidx.compose.material.icons.filled.AccountCircle
import androidx.compose.material.icons.filled.Add
import androidx.compose.material.icons.filled.AddCircle
import androidx.compose.material.icons.filled.ArrowDropDown
import androidx.compose.material.icons.filled.Build
import androidx.compose.material.icons.filled.Call
import androidx.compose.material.icons.filled.Check
import androidx.compose.material.icons.filled.CheckCircle
import androidx.compose.material.icons.filled.Clear
import androidx.compose.material.icons.filled.Close
import androidx.compose.material.icons.filled.DateRange
import androidx.compose.material.icons.filled.Delete
import androidx.compose.material.icons.filled.Edit
import androidx.compose.material.icons.filled.Email
import androidx.compose.material.icons.filled.Face
import androidx.compose.material.icons.filled.Favorite
import androidx.compose.material.icons.filled.FavoriteBorder
import androidx.compose.material.icons.filled.Home
import androidx.compose.material.icons.filled.Info
import androidx.compose.material.icons.filled.KeyboardArrowDown
import androidx.compose.material.icons.filled.KeyboardArrowUp
import androidx.compose.material.icons.filled.LocationOn
import androidx.compose.material.icons.filled.Lock
import androidx.compose.material.icons.filled.Menu
import androidx.compose.material.icons.filled.MoreVert
import androidx.compose.material.icons.filled.Notifications
import androidx.compose.material.icons.filled.Person
import androidx.compose.material.icons.filled.Phone
import androidx.compose.material.icons.filled.Place
import androidx.compose.material.icons.filled.PlayArrow
import androidx.compose.material.icons.filled.Refresh
import androidx.compose.material.icons.filled.Search
import androidx.compose.material.icons.filled.Settings
import androidx.compose.material.icons.filled.Share
import androidx.compose.material.icons.filled.ShoppingCart
import androidx.compose.material.icons.filled.Star
import androidx.compose.material.icons.filled.ThumbUp
import androidx.compose.material.icons.filled.Warning
import androidx.compose.material3.AlertDialog
import androidx.compose.material3.CircularProgressIndicator
import androidx.compose.material3.DropdownMenu
import androidx.compose.material3.DropdownMenuItem
import androidx.compose.material3.ExperimentalMaterial3Api
import androidx.compose.material3.HorizontalDivider
import androidx.compose.material3.Icon
import androidx.compose.material3.IconButton
import androidx.compose.material3.LinearProgressIndicator
import androidx.compose.material3.LocalContentColor
import androidx.compose.material3.MaterialTheme
import androidx.compose.material3.ModalBottomSheet
import androidx.compose.material3.NavigationBar
import androidx.compose.material3.NavigationBarItem
import androidx.compose.material3.Scaffold
import androidx.compose.material3.Surface
import androidx.compose.material3.Switch
import androidx.compose.material3.TextButton
import androidx.compose.material3.TopAppBar
import androidx.compose.material3.VerticalDivider
import androidx.compose.material3.darkColorScheme
import androidx.compose.material3.lightColorScheme
import androidx.compose.material3.rememberModalBottomSheetState
import androidx.compose.runtime.Composable
import androidx.compose.runtime.CompositionLocalProvider
import androidx.compose.runtime.LaunchedEffect
import androidx.compose.runtime.DisposableEffect
import androidx.compose.runtime.MutableState
import androidx.compose.runtime.SideEffect
import androidx.compose.runtime.compositionLocalOf
import androidx.compose.runtime.currentCompositeKeyHash
import androidx.compose.runtime.getValue
import androidx.compose.runtime.key
import androidx.compose.runtime.mutableStateListOf
import androidx.compose.runtime.mutableStateOf
import androidx.compose.runtime.remember
import androidx.compose.runtime.setValue
import androidx.compose.runtime.staticCompositionLocalOf
import androidx.compose.ui.Modifier
import androidx.compose.ui.draw.alpha
import androidx.compose.ui.draw.clip
import androidx.compose.ui.draw.rotate
import androidx.compose.ui.draw.scale
import androidx.compose.ui.draw.shadow
import androidx.compose.ui.geometry.Rect
import androidx.compose.ui.graphics.RectangleShape
import androidx.compose.ui.graphics.SolidColor
import androidx.compose.ui.graphics.vector.ImageVector
import androidx.compose.ui.layout.ContentScale
import androidx.compose.ui.platform.LocalContext
import androidx.compose.ui.platform.LocalUriHandler
import androidx.compose.ui.res.painterResource
import androidx.compose.ui.text.TextStyle
import androidx.compose.ui.text.font.FontFamily
import androidx.compose.ui.text.font.FontStyle
import androidx.compose.ui.text.style.TextAlign
import androidx.compose.ui.text.style.TextDecoration
import androidx.compose.ui.text.style.TextOverflow
import androidx.compose.ui.unit.dp
import androidx.compose.ui.unit.sp
import androidx.compose.material3.Text as MaterialText
import androidx.compose.ui.graphics.Color as ComposeColor
import androidx.compose.ui.Alignment as UiAlignment
import androidx.compose.ui.graphics.Shape as UiShape
import androidx.compose.ui.text.font.FontWeight as UiFontWeight

// ---------------------------------------------------------------------------
// Colours: Swift's named colours as members of Compose's Color

typealias Color = androidx.compose.ui.graphics.Color

// The factories below take Swift's labels; inside this file Compose's own
// factories are called as ComposeColor, since Color(…) would find these first.

val androidx.compose.ui.graphics.Color.Companion.red: Color get() = ComposeColor(0xFFFF3B30)
val androidx.compose.ui.graphics.Color.Companion.orange: Color get() = ComposeColor(0xFFFF9500)
val androidx.compose.ui.graphics.Color.Companion.yellow: Color get() = ComposeColor(0xFFFFCC00)
val androidx.compose.ui.graphics.Color.Companion.green: Color get() = ComposeColor(0xFF34C759)
val androidx.compose.ui.graphics.Color.Companion.mint: Color get() = ComposeColor(0xFF00C7BE)
val androidx.compose.ui.graphics.Color.Companion.teal: Color get() = ComposeColor(0xFF30B0C7)
val androidx.compose.ui.graphics.Color.Companion.cyan: Color get() = ComposeColor(0xFF32ADE6)
val androidx.compose.ui.graphics.Color.Companion.blue: Color get() = ComposeColor(0xFF007AFF)
val androidx.compose.ui.graphics.Color.Companion.indigo: Color get() = ComposeColor(0xFF5856D6)
val androidx.compose.ui.graphics.Color.Companion.purple: Color get() = ComposeColor(0xFFAF52DE)
val androidx.compose.ui.graphics.Color.Companion.pink: Color get() = ComposeColor(0xFFFF2D55)
val androidx.compose.ui.graphics.Color.Companion.brown: Color get() = ComposeColor(0xFFA2845E)
val androidx.compose.ui.graphics.Color.Companion.gray: Color get() = ComposeColor(0xFF8E8E93)
val androidx.compose.ui.graphics.Color.Companion.black: Color get() = ComposeColor(0xFF000000)
val androidx.compose.ui.graphics.Color.Companion.white: Color get() = ComposeColor(0xFFFFFFFF)
val androidx.compose.ui.graphics.Color.Companion.clear: Color get() = ComposeColor(0x00000000)

// The adaptive colours stay unspecified, so text and surfaces take the theme's own.
val androidx.compose.ui.graphics.Color.Companion.primary: Color get() = Color.Unspecified
val androidx.compose.ui.graphics.Color.Companion.background: Color get() = Color.Unspecified
val androidx.compose.ui.graphics.Color.Companion.secondary: Color get() = ComposeColor(0xFF8E8E93)
val androidx.compose.ui.graphics.Color.Companion.tertiary: Color get() = ComposeColor(0x998E8E93)
val androidx.compose.ui.graphics.Color.Companion.accentColor: Color get() = assetColors["AccentColor"] ?: ComposeColor(0xFF007AFF)
val androidx.compose.ui.graphics.Color.Companion.ultraThinMaterial: Color get() = ComposeColor(0x33F2F2F7)
val androidx.compose.ui.graphics.Color.Companion.thinMaterial: Color get() = ComposeColor(0x66F2F2F7)
val androidx.compose.ui.graphics.Color.Companion.regularMaterial: Color get() = ComposeColor(0x99F2F2F7)
val androidx.compose.ui.graphics.Color.Companion.thickMaterial: Color get() = ComposeColor(0xCCF2F2F7)
val androidx.compose.ui.graphics.Color.Companion.bar: Color get() = ComposeColor(0xF0F9F9F9)

fun Color(red: Number, green: Number, blue: Number, opacity: Number = 1.0): Color =
    ComposeColor(red.toFloat().coerceIn(0f, 1f), green.toFloat().coerceIn(0f, 1f), blue.toFloat().coerceIn(0f, 1f), opacity.toFloat().coerceIn(0f, 1f))
fun Color(white: Number, opacity: Number = 1.0): Color =
    ComposeColor(white.toFloat().coerceIn(0f, 1f), white.toFloat().coerceIn(0f, 1f), white.toFloat().coerceIn(0f, 1f), opacity.toFloat().coerceIn(0f, 1f))
fun Color(hue: Number, saturation: Number, brightness: Number, opacity: Number = 1.0, unusedTail: Unit = Unit): Color {
    val h = (hue.toDouble() - Math.floor(hue.toDouble())) * 6.0
    val s = saturation.toDouble().coerceIn(0.0, 1.0)
    val v = brightness.toDouble().coerceIn(0.0, 1.0)
    val f = h - Math.floor(h)
    val p = v * (1 - s)
    val q = v * (1 - s * f)
    val t = v * (1 - s * (1 - f))
    val (r, g, b) = when (h.toInt()) {
        0 -> Triple(v, t, p)
        1 -> Triple(q, v, p)
        2 -> Triple(p, v, t)
        3 -> Triple(p, q, v)
        4 -> Triple(t, p, v)
        else -> Triple(v, p, q)
    }
    return ComposeColor(r.toFloat(), g.toFloat(), b.toFloat(), opacity.toFloat().coerceIn(0f, 1f))
}
/** A colour of the asset catalogue by name; unknown names fall back to the accent colour. */
fun Color(name: String): Color = assetColors[name] ?: Color.accentColor

fun Color.opacity(value: Number): Color = copy(alpha = alpha * value.toFloat().coerceIn(0f, 1f))
val Color.gradient: Color get() = this

// ---------------------------------------------------------------------------
// Values and styles that arguments name

enum class FontWeight(internal val weight: Int) {
    ultraLight(100), thin(200), light(300), regular(400), medium(500), semibold(600), bold(700), heavy(800), black(900);
    internal val compose: UiFontWeight get() = UiFontWeight(weight)
}

enum class FontDesign { default, rounded, serif, monospaced }

/** A text style: a size in points with optional weight, design and slant. */
class Font internal constructor(
    internal val size: Double,
    internal val weight: FontWeight? = null,
    internal val design: FontDesign? = null,
    internal val italic: Boolean = false,
) {
    fun bold() = Font(size, FontWeight.bold, design, italic)
    fun weight(weight: FontWeight) = Font(size, weight, design, italic)
    fun italic() = Font(size, weight, design, true)
    fun monospaced() = Font(size, weight, FontDesign.monospaced, italic)
    fun monospacedDigit() = this
    fun smallCaps() = this
    fun leading(leading: Any?) = this

    companion object {
        val largeTitle = Font(34.0)
        val title = Font(28.0)
        val title2 = Font(22.0)
        val title3 = Font(20.0)
        val headline = Font(17.0, FontWeight.semibold)
        val subheadline = Font(15.0)
        val body = Font(17.0)
        val callout = Font(16.0)
        val footnote = Font(13.0)
        val caption = Font(12.0)
        val caption2 = Font(11.0)
        fun system(size: Number, weight: FontWeight? = null, design: FontDesign? = null) = Font(size.toDouble(), weight, design)
        fun system(style: Font, design: FontDesign? = null, weight: FontWeight? = null) =
            Font(style.size, weight ?: style.weight, design ?: style.design, style.italic)
        fun custom(name: String, size: Number, relativeTo: Any? = null) = Font(size.toDouble())
    }
}

enum class Alignment(internal val compose: UiAlignment) {
    center(UiAlignment.Center), leading(UiAlignment.CenterStart), trailing(UiAlignment.CenterEnd),
    top(UiAlignment.TopCenter), bottom(UiAlignment.BottomCenter),
    topLeading(UiAlignment.TopStart), topTrailing(UiAlignment.TopEnd),
    bottomLeading(UiAlignment.BottomStart), bottomTrailing(UiAlignment.BottomEnd),
}

enum class HorizontalAlignment(internal val compose: UiAlignment.Horizontal) {
    leading(UiAlignment.Start), center(UiAlignment.CenterHorizontally), trailing(UiAlignment.End),
}

enum class VerticalAlignment(internal val compose: UiAlignment.Vertical) {
    top(UiAlignment.Top), center(UiAlignment.CenterVertically), bottom(UiAlignment.Bottom),
    firstTextBaseline(UiAlignment.CenterVertically), lastTextBaseline(UiAlignment.CenterVertically),
}

enum class TextAlignment(internal val compose: TextAlign) { leading(TextAlign.Start), center(TextAlign.Center), trailing(TextAlign.End) }

enum class Edge { top, bottom, leading, trailing, horizontal, vertical, all }

enum class Axis { horizontal, vertical }

enum class ButtonRole { destructive, cancel }

enum class ColorScheme { light, dark }

class Angle(val degrees: Double) {
    val radians: Double get() = Math.toRadians(degrees)
    companion object {
        fun degrees(value: Number) = Angle(value.toDouble())
        fun radians(value: Number) = Angle(Math.toDegrees(value.toDouble()))
    }
}

fun Angle(degrees: Number): Angle = Angle(degrees.toDouble())

/** The shapes arguments name: `.circle`, `RoundedRectangle(cornerRadius:)` … */
interface SwiftShape {
    val compose: UiShape
}

enum class Shape(override val compose: UiShape) : SwiftShape {
    circle(CircleShape), capsule(RoundedCornerShape(percent = 50)), rectangle(RectangleShape),
}

class RoundedRectangleShape(cornerRadius: Number) : SwiftShape {
    override val compose: UiShape = RoundedCornerShape(cornerRadius.toFloat().dp)
}

private val ellipseShape = GenericShape { size, _ -> addOval(Rect(0f, 0f, size.width, size.height)) }

// ---------------------------------------------------------------------------
// Bindings, environment values and stored preferences

/** Read and write access to a value owned elsewhere (`$name` in Swift). */
class Binding<T>(get: () -> T, set: (T) -> Unit) {
    private val read = get
    private val write = set
    var value: T
        get() = read()
        set(newValue) = write(newValue)
    var wrappedValue: T
        get() = read()
        set(newValue) = write(newValue)
    val projectedValue: Binding<T> get() = this

    /** The animation that SwiftUI would run on a change; Compose animates on its own. */
    fun animation(animation: Any? = null): Binding<T> = this

    companion object {
        fun <T> constant(value: T): Binding<T> = Binding({ value }, {})
    }
}

/** `Binding { read } set: { write in … }`: the first trailing closure arrives as content. */
fun <T> Binding(content: () -> T, set: (T) -> Unit, unusedTail: Unit = Unit): Binding<T> = Binding(get = content, set = set)

fun <T> MutableState<T>.binding(): Binding<T> = Binding({ value }, { value = it })

/** Closes the presented sheet or the pushed screen (`@Environment(\.dismiss)`). */
class DismissAction(private val action: () -> Unit) {
    operator fun invoke() = action()
    fun dismiss() = action()
    val wrappedValue: DismissAction get() = this
    val isPresented: Boolean get() = true
}

val LocalDismiss = compositionLocalOf { DismissAction {} }

/** Opens a link in the browser (`@Environment(\.openURL)`). */
class OpenURLAction(private val open: (String) -> Unit) {
    operator fun invoke(url: String?) {
        if (url != null) open(url)
    }
}

@Composable
fun currentOpenURL(): OpenURLAction {
    val handler = LocalUriHandler.current
    return remember(handler) { OpenURLAction { url -> runCatching { handler.openUri(url) } } }
}

@Composable
fun currentColorScheme(): ColorScheme = if (isSystemInDarkTheme()) ColorScheme.dark else ColorScheme.light

/**
 * Objects put into the environment. A view may read an object that it puts
 * there itself (`ContentView().environmentObject(store)`), so every object is
 * also kept process-wide, the latest of each class winning.
 */
object EnvironmentObjects {
    private val registry = java.util.concurrent.ConcurrentHashMap<Class<*>, Any>()

    fun register(value: Any) {
        registry[value.javaClass] = value
    }

    @PublishedApi
    internal fun <T : Any> lookup(type: Class<T>, local: List<Any>): T {
        local.lastOrNull { type.isInstance(it) }?.let { return it as T }
        registry[type]?.let { return it as T }
        registry.values.firstOrNull { type.isInstance(it) }?.let { return it as T }
        throw IllegalStateException("Kein Environment-Objekt vom Typ ${type.simpleName}")
    }
}

val LocalEnvironmentObjects = compositionLocalOf<List<Any>> { emptyList() }

@Composable
inline fun <reified T : Any> environmentObject(): T = EnvironmentObjects.lookup(T::class.java, LocalEnvironmentObjects.current)

/** One stored preference, shared by every view that names its key. */
private class AppStorageState<T>(private val key: String, initial: T) : MutableState<T> {
    private val state = mutableStateOf(initial)
    override var value: T
        get() = state.value
        set(newValue) {
            state.value = newValue
            UserDefaults.standard.set(newValue, key)
        }
    override fun component1(): T = value
    override fun component2(): (T) -> Unit = { value = it }
}

private val appStorageStates = java.util.concurrent.ConcurrentHashMap<String, AppStorageState<*>>()

private fun <T> storedOrDefault(key: String, default: T): T {
    val stored = UserDefaults.standard.`object`(key) ?: return default
    return when (default) {
        is Int -> (stored as? Number)?.toInt() ?: default
        is Long -> (stored as? Number)?.toLong() ?: default
        is Double -> (stored as? Number)?.toDouble() ?: default
        is Float -> (stored as? Number)?.toFloat() ?: default
        is Boolean -> stored as? Boolean ?: default
        is String -> stored as? String ?: default
        else -> default
    } as T
}

@Composable
fun <T> rememberAppStorage(key: String, default: T): MutableState<T> = remember(key) {
    appStorageStates.getOrPut(key) { AppStorageState(key, storedOrDefault(key, default)) } as MutableState<T>
}

// ---------------------------------------------------------------------------
// SwiftData: an in-memory store behind @Query and the model context

object ModelStore {
    private val models = mutableListOf<Any>()
    private var version by mutableStateOf(0)

    fun insert(model: Any) {
        models.add(model)
        version += 1
    }

    fun delete(model: Any) {
        models.remove(model)
        version += 1
    }

    fun <T : Any> fetch(
        type: kotlin.reflect.KClass<T>,
        filter: ((T) -> Boolean)? = null,
        sort: ((T) -> Any?)? = null,
        reverse: Boolean = false,
    ): List<T> {
        // Reading the version makes a fetch inside a view follow inserts and deletes.
        if (version < 0) return emptyList()
        var found = models.filter { type.java.isInstance(it) }.map { it as T }
        if (filter != null) found = found.filter(filter)
        if (sort != null) found = found.sortedWith { a, b -> compareSortKeys(sort(a), sort(b)) }
        return if (reverse) found.asReversed() else found
    }

    private fun compareSortKeys(a: Any?, b: Any?): Int = when {
        a == null && b == null -> 0
        a == null -> -1
        b == null -> 1
        a is Comparable<*> -> (a as Comparable<Any>).compareTo(b)
        else -> a.toString().compareTo(b.toString())
    }
}

object ModelContext {
    fun insert(model: Any) = ModelStore.insert(model)
    fun delete(model: Any) = ModelStore.delete(model)
    fun save() {}
    val hasChanges: Boolean get() = false
}

// ---------------------------------------------------------------------------
// The modifier chain

/** What the modifiers of a view set for the text, icons and shapes inside it. */
data class SwiftStyle(
    val font: Font? = null,
    val weight: FontWeight? = null,
    val italic: Boolean = false,
    val color: Color? = null,
    val tint: Color? = null,
    val alignment: TextAlignment? = null,
    val lineLimit: Int? = null,
    val strikethrough: Boolean = false,
    val underline: Boolean = false,
    val fill: Color? = null,
    val stroke: Color? = null,
    val strokeWidth: Double = 1.0,
    val enabled: Boolean = true,
)

val LocalSwiftStyle = compositionLocalOf { SwiftStyle() }

/** Parts of a modifier that need their own container around the view. */
internal sealed interface Layer
internal class FrameLayer(val size: Modifier, val alignment: UiAlignment) : Layer
internal class BackgroundLayer(val content: @Composable () -> Unit, val alignment: UiAlignment) : Layer
internal class OverlayLayer(val content: @Composable () -> Unit, val alignment: UiAlignment) : Layer

internal object NoTag

/** One modifier of the chain; each sets one of these roles. */
internal class ModOp(
    val modifier: ((Modifier) -> Modifier)? = null,
    val clipContent: (@Composable () -> Unit)? = null,
    val style: ((SwiftStyle) -> SwiftStyle)? = null,
    val layer: Layer? = null,
    val effect: (@Composable () -> Unit)? = null,
    val environmentObject: Any? = null,
    val tag: Any? = NoTag,
    val tabItem: (@Composable () -> Unit)? = null,
    val fixedSize: Boolean = false,
)

private val Number.pt get() = toFloat().dp

private fun edgeNames(edges: Iterable<*>): Set<String> = edges.mapNotNull {
    when (it) {
        is Edge -> it.name
        is Alignment -> it.name
        else -> null
    }
}.toSet()

/**
 * A SwiftUI modifier chain as a value: `Mod().padding().background(Color.blue)`.
 * The modifiers apply innermost first, as in SwiftUI; views receive the chain
 * as their `mod` argument and hand it to `Node`.
 */
class Mod internal constructor(internal val ops: List<ModOp>) {
    constructor() : this(emptyList())

    private fun with(op: ModOp) = Mod(ops + op)
    private fun modifier(change: (Modifier) -> Modifier) = with(ModOp(modifier = change))
    private fun style(change: (SwiftStyle) -> SwiftStyle) = with(ModOp(style = change))
    private fun effect(effect: @Composable () -> Unit) = with(ModOp(effect = effect))

    internal val tag: Any? get() = ops.firstOrNull { it.tag !== NoTag }?.tag ?: NoTag
    internal val tabItem: (@Composable () -> Unit)? get() = ops.firstOrNull { it.tabItem != null }?.tabItem
    internal fun withoutTabs() = Mod(ops.filter { it.tabItem == null && it.tag === NoTag })

    // Layout and drawing
    fun padding() = padding(Edge.all, 16)
    fun padding(length: Number) = padding(Edge.all, length)
    fun padding(edges: Edge, length: Number? = null) = padding(listOf(edges), length)
    fun padding(edges: Iterable<*>, length: Number? = null): Mod {
        val names = edgeNames(edges)
        val amount = (length ?: 16).pt
        fun has(vararg keys: String) = keys.any { it in names } || "all" in names
        val start = if (has("leading", "horizontal")) amount else 0.dp
        val end = if (has("trailing", "horizontal")) amount else 0.dp
        val top = if (has("top", "vertical")) amount else 0.dp
        val bottom = if (has("bottom", "vertical")) amount else 0.dp
        return modifier { it.padding(start, top, end, bottom) }
    }

    fun frame(
        width: Number? = null, height: Number? = null,
        minWidth: Number? = null, idealWidth: Number? = null, maxWidth: Number? = null,
        minHeight: Number? = null, idealHeight: Number? = null, maxHeight: Number? = null,
        alignment: Alignment = Alignment.center,
    ): Mod {
        var size: Modifier = Modifier
        if (width != null) size = size.width(width.pt)
        if (height != null) size = size.height(height.pt)
        if (maxWidth != null && maxWidth.toDouble().isInfinite()) size = size.fillMaxWidth()
        if (minWidth != null || (maxWidth != null && !maxWidth.toDouble().isInfinite())) {
            size = size.widthIn(min = minWidth?.pt ?: 0.dp, max = maxWidth?.takeIf { !it.toDouble().isInfinite() }?.pt ?: androidx.compose.ui.unit.Dp.Infinity)
        }
        if (maxHeight != null && maxHeight.toDouble().isInfinite()) size = size.fillMaxHeight()
        if (minHeight != null || (maxHeight != null && !maxHeight.toDouble().isInfinite())) {
            size = size.heightIn(min = minHeight?.pt ?: 0.dp, max = maxHeight?.takeIf { !it.toDouble().isInfinite() }?.pt ?: androidx.compose.ui.unit.Dp.Infinity)
        }
        return with(ModOp(layer = FrameLayer(size, alignment.compose), fixedSize = width != null || height != null))
    }

    fun offset(x: Number = 0, y: Number = 0) = modifier { it.offset(x.pt, y.pt) }
    fun background(color: Color, `in`: SwiftShape? = null) =
        if (color.isUnspecifiedColor) this else modifier { it.background(color, `in`?.compose ?: RectangleShape) }
    fun background(shape: SwiftShape) = with(ModOp(layer = BackgroundLayer({ ShapeFill(shape.compose) }, UiAlignment.Center)))
    fun background(content: @Composable () -> Unit, alignment: Alignment = Alignment.center) =
        with(ModOp(layer = BackgroundLayer(content, alignment.compose)))
    fun overlay(content: @Composable () -> Unit, alignment: Alignment = Alignment.center) =
        with(ModOp(layer = OverlayLayer(content, alignment.compose)))
    fun cornerRadius(radius: Number, antialiased: Boolean = true) = modifier { it.clip(RoundedCornerShape(radius.pt)) }
    fun clipShape(shape: SwiftShape, style: Any? = null) = modifier { it.clip(shape.compose) }
    fun clipShape(content: @Composable () -> Unit) = with(ModOp(clipContent = content))
    fun opacity(value: Number) = modifier { it.alpha(value.toFloat().coerceIn(0f, 1f)) }
    fun shadow(color: Color = ComposeColor(0x33000000), radius: Number = 0, x: Number = 0, y: Number = 0) =
        modifier { it.shadow(radius.pt, ambientColor = color, spotColor = color) }
    fun border(color: Color, width: Number = 1) = modifier { it.border(width.pt, color) }
    fun scaleEffect(scale: Number) = modifier { it.scale(scale.toFloat()) }
    fun scaleEffect(x: Number = 1, y: Number = 1) = modifier { it.scale(x.toFloat(), y.toFloat()) }
    fun rotationEffect(angle: Angle) = modifier { it.rotate(angle.degrees.toFloat()) }

    // Text and colour
    fun font(font: Font?) = style { it.copy(font = font) }
    fun fontWeight(weight: FontWeight?) = style { it.copy(weight = weight) }
    fun bold(isActive: Boolean = true) = style { if (isActive) it.copy(weight = FontWeight.bold) else it }
    fun italic(isActive: Boolean = true) = style { it.copy(italic = isActive) }
    fun strikethrough(isActive: Boolean = true, color: Color? = null) = style { it.copy(strikethrough = isActive) }
    fun underline(isActive: Boolean = true, color: Color? = null) = style { it.copy(underline = isActive) }
    fun foregroundColor(color: Color?) = style { it.copy(color = color) }
    fun foregroundStyle(style: Color) = style { it.copy(color = style) }
    fun tint(color: Color?) = style { it.copy(tint = color) }
    fun accentColor(color: Color?) = style { it.copy(tint = color) }
    fun multilineTextAlignment(alignment: TextAlignment) = style { it.copy(alignment = alignment) }
    fun lineLimit(number: Int?, reservesSpace: Boolean = false) = style { it.copy(lineLimit = number) }
    fun lineLimit(range: IntRange) = style { it.copy(lineLimit = range.last) }
    fun fill(color: Color = Color.primary, style: Any? = null) = style { it.copy(fill = color, stroke = null) }
    fun stroke(color: Color = Color.primary, lineWidth: Number = 1, style: Any? = null) =
        style { it.copy(stroke = color, strokeWidth = lineWidth.toDouble()) }
    fun disabled(isDisabled: Boolean) = style { it.copy(enabled = it.enabled && !isDisabled) }

    // Events and work
    fun onTapGesture(count: Int = 1, perform: () -> Unit) = modifier { it.clickable { perform() } }
    fun onAppear(perform: () -> Unit) = effect { LaunchedEffect(Unit) { perform() } }
    fun onDisappear(perform: () -> Unit) = effect { DisposableEffect(Unit) { onDispose { perform() } } }
    fun task(id: Any? = null, priority: Any? = null, action: suspend () -> Unit) = effect { LaunchedEffect(id) { action() } }
    fun <T> onChange0(of: T, initial: Boolean = false, perform: () -> Unit) = effect { OnChange(of, initial) { _, _ -> perform() } }
    fun <T> onChange1(of: T, initial: Boolean = false, perform: (T) -> Unit) = effect { OnChange(of, initial) { _, new -> perform(new) } }
    fun <T> onChange2(of: T, initial: Boolean = false, perform: (T, T) -> Unit) = effect { OnChange(of, initial, perform) }

    // Presentation
    fun sheet(isPresented: Binding<Boolean>, onDismiss: (() -> Unit)? = null, content: @Composable () -> Unit) =
        effect { SheetHost(isPresented.value, { isPresented.value = false; onDismiss?.invoke() }, fullScreen = false, content) }
    fun <T : Any> sheet(item: Binding<T?>, onDismiss: (() -> Unit)? = null, content: @Composable (T) -> Unit) = effect {
        val shown = item.value
        SheetHost(shown != null, { item.value = null; onDismiss?.invoke() }, fullScreen = false) { if (shown != null) content(shown) }
    }
    fun fullScreenCover(isPresented: Binding<Boolean>, onDismiss: (() -> Unit)? = null, content: @Composable () -> Unit) =
        effect { SheetHost(isPresented.value, { isPresented.value = false; onDismiss?.invoke() }, fullScreen = true, content) }
    fun <T : Any> fullScreenCover(item: Binding<T?>, onDismiss: (() -> Unit)? = null, content: @Composable (T) -> Unit) = effect {
        val shown = item.value
        SheetHost(shown != null, { item.value = null; onDismiss?.invoke() }, fullScreen = true) { if (shown != null) content(shown) }
    }
    fun alert(
        title: String = "", isPresented: Binding<Boolean>,
        actions: (@Composable () -> Unit)? = null, message: (@Composable () -> Unit)? = null,
    ) = effect { AlertHost(title, isPresented, actions, message) }
    /** alert(presenting:): the actions and the message receive the presented value, shown only while there is one. */
    fun <T> alert(
        title: String = "", isPresented: Binding<Boolean>, presenting: T?,
        actions: @Composable (T) -> Unit, message: (@Composable (T) -> Unit)? = null,
    ) = effect {
        if (presenting != null) {
            AlertHost(title, isPresented, { actions(presenting) }, message?.let { shown -> { shown(presenting) } })
        }
    }
    fun navigationTitle(title: String) = effect {
        val chrome = LocalScreenChrome.current
        SideEffect { chrome?.title = { SwiftText(title, Modifier) } }
    }
    fun navigationTitle(content: @Composable () -> Unit) = effect {
        val chrome = LocalScreenChrome.current
        SideEffect { chrome?.title = content }
    }
    fun toolbar(content: @Composable () -> Unit) = effect {
        val chrome = LocalScreenChrome.current
        SideEffect { chrome?.toolbar = content }
    }
    fun tag(value: Any?) = with(ModOp(tag = value))
    fun tabItem(label: @Composable () -> Unit) = with(ModOp(tabItem = label))

    // Environment
    fun environmentObject(value: Any): Mod {
        EnvironmentObjects.register(value)
        return with(ModOp(environmentObject = value))
    }
    fun environment(value: Any) = environmentObject(value)
}

private val Color.isUnspecifiedColor: Boolean get() = this == Color.Unspecified

@Composable
private fun <T> OnChange(value: T, initial: Boolean, perform: (T, T) -> Unit) {
    // Hash codes as well: an in-place change of a list keeps the same instance.
    val marker = Pair(value, value?.hashCode())
    val previous = remember { mutableStateOf<Pair<T, Int?>?>(null) }
    LaunchedEffect(marker) {
        val old = previous.value
        previous.value = marker
        if (old != null) perform(old.first, value) else if (initial) perform(value, value)
    }
}

// ---------------------------------------------------------------------------
// Node: the one path every view takes, applying its chain and its context

/** The Column or Row scope of the nearest stack, for Spacer and greedy views. */
internal val LocalStackScope = staticCompositionLocalOf<Any?> { null }
/** True while the views written here become rows of a List or Form. */
internal val LocalRowHost = staticCompositionLocalOf { false }
internal val LocalImplicitTag = staticCompositionLocalOf<Any?> { NoTag }
internal val LocalPickerMode = staticCompositionLocalOf<PickerMode?> { null }
internal val LocalTabCollector = staticCompositionLocalOf<TabCollector?> { null }
/** Set while a shape composable is asked for its outline instead of drawing. */
internal val LocalShapeSink = staticCompositionLocalOf<ShapeSink?> { null }
/** Set inside an alert's or a menu's actions: a button there also closes it. */
internal val LocalActionHost = staticCompositionLocalOf<ActionHost?> { null }

internal sealed interface PickerMode
internal class PickerLabel(val selected: Any?) : PickerMode
internal class PickerMenu(val select: (Any?) -> Unit) : PickerMode

internal class TabEntry(val tag: Any?, val label: @Composable () -> Unit, val body: @Composable () -> Unit)
internal class TabCollector {
    val entries = LinkedHashMap<Int, TabEntry>()
}

internal class ShapeSink {
    var shape: UiShape = RectangleShape
}

internal class ActionHost(val inMenu: Boolean, val close: () -> Unit)

@Composable
internal fun stackWeight(): Modifier = when (val scope = LocalStackScope.current) {
    is ColumnScope -> with(scope) { Modifier.weight(1f) }
    is RowScope -> with(scope) { Modifier.weight(1f) }
    else -> Modifier
}

/**
 * Renders one view: `content` gets the modifier for its own root layout.
 * Tab items, picker options and list rows are decided here, so each view
 * needs nothing but this call. A greedy view (list, shape, colour) takes the
 * free space of its stack unless a frame gives it a size.
 */
@Composable
internal fun Node(mod: Mod, greedy: Boolean = false, outer: Modifier = Modifier, content: @Composable (Modifier) -> Unit) {
    val tabs = LocalTabCollector.current
    val implicitTag = LocalImplicitTag.current
    val tag = mod.tag.takeIf { it !== NoTag } ?: implicitTag
    val tabItem = mod.tabItem
    if (tabs != null && tabItem != null) {
        val plain = mod.withoutTabs()
        tabs.entries[currentCompositeKeyHash] = TabEntry(tag.takeIf { it !== NoTag }, tabItem) { Node(plain, greedy, outer, content) }
        return
    }
    val picker = LocalPickerMode.current
    if (picker != null && tag !== NoTag) {
        val plain = mod.withoutTabs()
        when (picker) {
            is PickerLabel -> if (tag == picker.selected) {
                CompositionLocalProvider(LocalPickerMode provides null, LocalImplicitTag provides NoTag) { Node(plain, false, outer, content) }
            }
            is PickerMenu -> DropdownMenuItem(
                text = { CompositionLocalProvider(LocalPickerMode provides null, LocalImplicitTag provides NoTag) { Node(plain, false, outer, content) } },
                onClick = { picker.select(tag) },
            )
        }
        return
    }
    if (LocalRowHost.current) {
        ListRow {
            CompositionLocalProvider(LocalRowHost provides false, LocalImplicitTag provides NoTag) {
                Render(mod, false, outer.fillMaxWidth(), content)
            }
        }
        return
    }
    if (implicitTag !== NoTag) {
        CompositionLocalProvider(LocalImplicitTag provides NoTag) { Render(mod, greedy, outer, content) }
    } else {
        Render(mod, greedy, outer, content)
    }
}

@Composable
private fun Render(mod: Mod, greedy: Boolean, outer: Modifier, content: @Composable (Modifier) -> Unit) {
    val parentStyle = LocalSwiftStyle.current
    var style = parentStyle
    for (op in mod.ops.asReversed()) op.style?.let { style = it(style) }
    val shapes = HashMap<ModOp, UiShape>()
    for (op in mod.ops) op.clipContent?.let { shapes[op] = capturedShape(it) }
    val objects = mod.ops.mapNotNull { it.environmentObject }
    val environment = LocalEnvironmentObjects.current
    var root = outer
    if (greedy && mod.ops.none { it.fixedSize }) root = stackWeight().then(root)
    // Dim where disabling starts; views inside inherit the flag, not a second dimming.
    if (!style.enabled && parentStyle.enabled) root = root.alpha(0.4f)
    CompositionLocalProvider(
        LocalSwiftStyle provides style,
        LocalEnvironmentObjects provides (if (objects.isEmpty()) environment else environment + objects),
    ) {
        for (op in mod.ops) op.effect?.invoke()
        Layers(mod.ops, mod.ops.size, root, shapes, content)
    }
}

/** Applies ops[0 until end]: plain modifiers merge, frames and layers nest boxes. */
@Composable
private fun Layers(ops: List<ModOp>, end: Int, outer: Modifier, shapes: Map<ModOp, UiShape>, content: @Composable (Modifier) -> Unit) {
    var split = end - 1
    while (split >= 0 && ops[split].layer == null) split--
    var modifier = outer
    for (index in end - 1 downTo split + 1) {
        val op = ops[index]
        op.modifier?.let { modifier = it(modifier) }
        shapes[op]?.let { modifier = modifier.clip(it) }
    }
    if (split < 0) {
        content(modifier)
        return
    }
    when (val layer = ops[split].layer) {
        is FrameLayer -> Box(modifier.then(layer.size), contentAlignment = layer.alignment) {
            Layers(ops, split, Modifier, shapes, content)
        }
        is BackgroundLayer -> Box(modifier, contentAlignment = UiAlignment.Center) {
            Box(Modifier.matchParentSize(), contentAlignment = layer.alignment) { layer.content() }
            Layers(ops, split, Modifier, shapes, content)
        }
        is OverlayLayer -> Box(modifier, contentAlignment = UiAlignment.Center) {
            Layers(ops, split, Modifier, shapes, content)
            Box(Modifier.matchParentSize(), contentAlignment = layer.alignment) { layer.content() }
        }
        null -> content(modifier)
    }
}

@Composable
private fun capturedShape(content: @Composable () -> Unit): UiShape {
    val sink = remember { ShapeSink() }
    CompositionLocalProvider(LocalShapeSink provides sink) { content() }
    return sink.shape
}

/** Applies a modifier chain to a view written by the converter (a view's body). */
@Composable
fun Apply(mod: Mod, content: @Composable () -> Unit) {
    Node(mod) { modifier -> if (modifier == Modifier) content() else Box(modifier) { content() } }
}

/** A placeholder for a view that has no Android form yet. */
@Composable
fun Unsupported(text: String, mod: Mod = Mod()) {
    Node(mod) { modifier ->
        Box(
            modifier.border(1.dp, Color.orange, RoundedCornerShape(6.dp)).padding(horizontal = 8.dp, vertical = 4.dp),
            contentAlignment = UiAlignment.Center,
        ) {
            MaterialText("⚠ $text", color = Color.orange, fontSize = 13.sp)
        }
    }
}

// ---------------------------------------------------------------------------
// Theme and app

private val listBackgroundLight = ComposeColor(0xFFF2F2F7)
private val listBackgroundDark = ComposeColor(0xFF000000)
private val rowBackgroundLight = ComposeColor(0xFFFFFFFF)
private val rowBackgroundDark = ComposeColor(0xFF1C1C1E)

@Composable
private fun listBackground() = if (isSystemInDarkTheme()) listBackgroundDark else listBackgroundLight

@Composable
private fun rowBackground() = if (isSystemInDarkTheme()) rowBackgroundDark else rowBackgroundLight

@Composable
private fun accent(): Color = LocalSwiftStyle.current.tint ?: MaterialTheme.colorScheme.primary

/** Material theme with the app's accent colour, light or dark like the system. */
@Composable
fun TovraneTheme(content: @Composable () -> Unit) {
    val accentColor = Color.accentColor
    val scheme = if (isSystemInDarkTheme()) {
        darkColorScheme(primary = accentColor, background = Color.black, surface = Color.black)
    } else {
        lightColorScheme(primary = accentColor, background = Color.white, surface = Color.white)
    }
    MaterialTheme(colorScheme = scheme) {
        Surface(Modifier.fillMaxSize().safeDrawingPadding(), color = scheme.background) {
            Box(Modifier.fillMaxSize(), contentAlignment = UiAlignment.Center) { content() }
        }
    }
}

@Composable
fun WindowGroup(mod: Mod = Mod(), content: @Composable () -> Unit) {
    Node(mod) { modifier -> Box(modifier.fillMaxSize(), contentAlignment = UiAlignment.Center) { content() } }
}

// ---------------------------------------------------------------------------
// Text, images and shapes

@Composable
internal fun SwiftText(text: String, modifier: Modifier) {
    val style = LocalSwiftStyle.current
    val font = style.font ?: Font.body
    val decoration = when {
        style.strikethrough && style.underline -> TextDecoration.combine(listOf(TextDecoration.LineThrough, TextDecoration.Underline))
        style.strikethrough -> TextDecoration.LineThrough
        style.underline -> TextDecoration.Underline
        else -> null
    }
    MaterialText(
        text = text,
        modifier = modifier,
        color = style.color ?: Color.Unspecified,
        style = TextStyle(
            fontSize = font.size.sp,
            fontWeight = (style.weight ?: font.weight)?.compose,
            fontStyle = if (style.italic || font.italic) FontStyle.Italic else null,
            fontFamily = when (font.design) {
                FontDesign.monospaced -> FontFamily.Monospace
                FontDesign.serif -> FontFamily.Serif
                else -> null
            },
            textAlign = style.alignment?.compose ?: TextAlign.Unspecified,
            textDecoration = decoration,
        ),
        maxLines = style.lineLimit ?: Int.MAX_VALUE,
        overflow = if (style.lineLimit != null) TextOverflow.Ellipsis else TextOverflow.Clip,
    )
}

@Composable
fun Text(content: String, mod: Mod = Mod()) {
    Node(mod) { modifier -> SwiftText(content, modifier) }
}

/** Text of any value: numbers, dates and the like, written as Swift prints them. */
@Composable
fun Text(value: Any?, mod: Mod = Mod()) {
    val text = if (value is java.util.Date) value.formatted(FormatStyleLevel.abbreviated, FormatStyleLevel.shortened) else swiftDescription(value)
    Text(text, mod)
}

private val symbolIcons: Map<String, ImageVector> by lazy {
    mapOf(
        "plus" to Icons.Filled.Add, "plus.circle" to Icons.Filled.AddCircle, "trash" to Icons.Filled.Delete,
        "star" to Icons.Filled.Star, "heart" to Icons.Filled.FavoriteBorder, "heart.fill" to Icons.Filled.Favorite,
        "house" to Icons.Filled.Home, "gear" to Icons.Filled.Settings, "gearshape" to Icons.Filled.Settings,
        "person" to Icons.Filled.Person, "person.circle" to Icons.Filled.AccountCircle,
        "person.crop.circle" to Icons.Filled.AccountCircle, "magnifyingglass" to Icons.Filled.Search,
        "info.circle" to Icons.Filled.Info, "info" to Icons.Filled.Info, "checkmark" to Icons.Filled.Check,
        "checkmark.circle" to Icons.Filled.CheckCircle, "xmark" to Icons.Filled.Close, "xmark.circle" to Icons.Filled.Clear,
        "pencil" to Icons.Filled.Edit, "square.and.pencil" to Icons.Filled.Edit, "square.and.arrow.up" to Icons.Filled.Share,
        "envelope" to Icons.Filled.Email, "phone" to Icons.Filled.Phone, "phone.arrow.up.right" to Icons.Filled.Call,
        "bell" to Icons.Filled.Notifications, "lock" to Icons.Filled.Lock, "cart" to Icons.Filled.ShoppingCart,
        "calendar" to Icons.Filled.DateRange, "mappin" to Icons.Filled.Place, "location" to Icons.Filled.LocationOn,
        "mappin.and.ellipse" to Icons.Filled.LocationOn, "play" to Icons.Filled.PlayArrow, "arrow.clockwise" to Icons.Filled.Refresh,
        "paperplane" to Icons.AutoMirrored.Filled.Send, "ellipsis" to Icons.Filled.MoreVert, "ellipsis.circle" to Icons.Filled.MoreVert,
        "line.3.horizontal" to Icons.Filled.Menu, "list.bullet" to Icons.AutoMirrored.Filled.List,
        "chevron.right" to Icons.AutoMirrored.Filled.KeyboardArrowRight, "chevron.left" to Icons.AutoMirrored.Filled.KeyboardArrowLeft,
        "chevron.down" to Icons.Filled.KeyboardArrowDown, "chevron.up" to Icons.Filled.KeyboardArrowUp,
        "exclamationmark.triangle" to Icons.Filled.Warning, "hand.thumbsup" to Icons.Filled.ThumbUp, "wrench" to Icons.Filled.Build,
        "face.smiling" to Icons.Filled.Face, "arrow.right" to Icons.AutoMirrored.Filled.ArrowForward,
        "arrow.left" to Icons.AutoMirrored.Filled.ArrowBack, "rectangle.portrait.and.arrow.right" to Icons.AutoMirrored.Filled.ExitToApp,
    )
}

/** The closest Material icon for an SF Symbols name (".fill" and ".circle" variants fall back to the base). */
internal fun symbolIcon(name: String): ImageVector {
    var key = name
    while (true) {
        symbolIcons[key]?.let { return it }
        val cut = key.lastIndexOf('.')
        if (cut < 0) return Icons.Filled.Info
        key = key.substring(0, cut)
    }
}

@Composable
fun Image(systemName: String, mod: Mod = Mod()) {
    Node(mod) { modifier ->
        val style = LocalSwiftStyle.current
        val size = ((style.font ?: Font.body).size * 1.25).dp
        val tint = style.color?.takeIf { !it.isUnspecifiedColor } ?: LocalContentColor.current
        Icon(symbolIcon(systemName), contentDescription = null, modifier = modifier.size(size), tint = tint)
    }
}

/**
 * The drawable name of an image set, as the project writer makes it: lower-cased, one "_" for every
 * character (grapheme) that is no ASCII letter or digit, "img_" before a leading digit.
 */
internal fun assetResourceName(name: String): String {
    val lower = name.lowercase()
    val characters = java.text.BreakIterator.getCharacterInstance()
    characters.setText(lower)
    val resource = StringBuilder()
    var start = characters.first()
    var end = characters.next()
    while (end != java.text.BreakIterator.DONE) {
        val c = lower[start]
        resource.append(if (end - start == 1 && (c in 'a'..'z' || c in '0'..'9')) c else '_')
        start = end
        end = characters.next()
    }
    return if (resource.isEmpty() || resource.first().isDigit()) "img_$resource" else resource.toString()
}

/**
 * An image of the asset catalogue, found among the app's drawables by the resource name that the
 * generated catalogue gives its set (sets whose names clean alike get numbered names there).
 */
@Composable
fun AssetImage(name: String, mod: Mod = Mod()) {
    val context = LocalContext.current
    val resource = assetImages[name] ?: assetResourceName(name)
    val id = remember(resource) { context.resources.getIdentifier(resource, "drawable", context.packageName) }
    Node(mod) { modifier ->
        if (id == 0) {
            Unsupported(name)
        } else {
            androidx.compose.foundation.Image(painterResource(id), contentDescription = name, modifier = modifier, contentScale = ContentScale.Fit)
        }
    }
}

@Composable
fun ColorView(color: Color, mod: Mod = Mod()) {
    Node(mod, greedy = true) { modifier ->
        Box(modifier.fillMaxSize().then(if (color.isUnspecifiedColor) Modifier else Modifier.background(color)))
    }
}

@Composable
private fun ShapeFill(shape: UiShape, modifier: Modifier = Modifier) {
    val style = LocalSwiftStyle.current
    val stroke = style.stroke
    val drawn = if (stroke != null) {
        modifier.border(style.strokeWidth.dp, if (stroke.isUnspecifiedColor) LocalContentColor.current else stroke, shape)
    } else {
        val fill = style.fill ?: style.color
        modifier.background(if (fill == null || fill.isUnspecifiedColor) LocalContentColor.current else fill, shape)
    }
    Box(drawn.fillMaxSize())
}

@Composable
private fun ShapeView(shape: UiShape, mod: Mod) {
    val sink = LocalShapeSink.current
    if (sink != null) {
        sink.shape = shape
        return
    }
    Node(mod, greedy = true) { modifier -> ShapeFill(shape, modifier) }
}

@Composable
fun Circle(mod: Mod = Mod()) = ShapeView(CircleShape, mod)

@Composable
fun Ellipse(mod: Mod = Mod()) = ShapeView(ellipseShape, mod)

@Composable
fun Rectangle(mod: Mod = Mod()) = ShapeView(RectangleShape, mod)

@Composable
fun RoundedRectangle(cornerRadius: Number = 8, style: Any? = null, mod: Mod = Mod()) =
    ShapeView(RoundedCornerShape(cornerRadius.pt), mod)

@Composable
fun Capsule(style: Any? = null, mod: Mod = Mod()) = ShapeView(RoundedCornerShape(percent = 50), mod)

@Composable
fun Spacer(minLength: Number? = null, mod: Mod = Mod()) {
    val weight = stackWeight()
    Node(mod) { modifier ->
        val min = minLength?.pt ?: 8.dp
        androidx.compose.foundation.layout.Spacer(weight.then(modifier).defaultMinSize(min, min))
    }
}

@Composable
fun Divider(mod: Mod = Mod()) {
    val vertical = LocalStackScope.current is RowScope
    Node(mod) { modifier ->
        if (vertical) VerticalDivider(modifier.height(24.dp)) else HorizontalDivider(modifier)
    }
}

@Composable
fun EmptyView(mod: Mod = Mod()) {
}

// ---------------------------------------------------------------------------
// Stacks and containers

private fun spacing(value: Number?) = (value ?: 8).pt

@Composable
fun VStack(alignment: HorizontalAlignment = HorizontalAlignment.center, spacing: Number? = null, mod: Mod = Mod(), content: @Composable () -> Unit) {
    Node(mod) { modifier ->
        Column(modifier, verticalArrangement = Arrangement.spacedBy(spacing(spacing)), horizontalAlignment = alignment.compose) {
            CompositionLocalProvider(LocalStackScope provides this) { content() }
        }
    }
}

@Composable
fun HStack(alignment: VerticalAlignment = VerticalAlignment.center, spacing: Number? = null, mod: Mod = Mod(), content: @Composable () -> Unit) {
    Node(mod) { modifier ->
        Row(modifier, horizontalArrangement = Arrangement.spacedBy(spacing(spacing)), verticalAlignment = alignment.compose) {
            CompositionLocalProvider(LocalStackScope provides this) { content() }
        }
    }
}

@Composable
fun ZStack(alignment: Alignment = Alignment.center, mod: Mod = Mod(), content: @Composable () -> Unit) {
    Node(mod) { modifier ->
        Box(modifier, contentAlignment = alignment.compose) {
            CompositionLocalProvider(LocalStackScope provides null) { content() }
        }
    }
}

@Composable
fun LazyVStack(alignment: HorizontalAlignment = HorizontalAlignment.center, spacing: Number? = null, pinnedViews: Any? = null, mod: Mod = Mod(), content: @Composable () -> Unit) =
    VStack(alignment, spacing, mod, content)

@Composable
fun LazyHStack(alignment: VerticalAlignment = VerticalAlignment.center, spacing: Number? = null, pinnedViews: Any? = null, mod: Mod = Mod(), content: @Composable () -> Unit) =
    HStack(alignment, spacing, mod, content)

@Composable
fun ScrollView(axes: Axis = Axis.vertical, showsIndicators: Boolean = true, mod: Mod = Mod(), content: @Composable () -> Unit) {
    Node(mod, greedy = true) { modifier ->
        if (axes == Axis.horizontal) {
            Row(modifier.horizontalScroll(rememberScrollState()), verticalAlignment = UiAlignment.CenterVertically) {
                CompositionLocalProvider(LocalStackScope provides null) { content() }
            }
        } else {
            Column(modifier.fillMaxWidth().verticalScroll(rememberScrollState()), horizontalAlignment = UiAlignment.CenterHorizontally) {
                CompositionLocalProvider(LocalStackScope provides null) { content() }
            }
        }
    }
}

@Composable
fun Group(mod: Mod = Mod(), content: @Composable () -> Unit) = Apply(mod, content)

/** ForEach($items): the elements of the bound list, as values. */
@Composable
fun <T> ForEach(data: Binding<out Iterable<T>>, mod: Mod = Mod(), content: @Composable (T) -> Unit) = ForEach(data.value, mod, content)

/** Repeats its content per element; inside a List each element becomes a row. */
@Composable
fun <T> ForEach(data: Iterable<T>, mod: Mod = Mod(), content: @Composable (T) -> Unit) {
    val tagged = LocalPickerMode.current != null || LocalTabCollector.current != null
    for (element in data) {
        key(element) {
            if (tagged) {
                CompositionLocalProvider(LocalImplicitTag provides element) { Apply(mod) { content(element) } }
            } else if (mod.ops.isEmpty()) {
                content(element)
            } else {
                Apply(mod) { content(element) }
            }
        }
    }
}

@Composable
internal fun ListRow(content: @Composable () -> Unit) {
    Column(Modifier.fillMaxWidth().background(rowBackground())) {
        Box(
            Modifier.fillMaxWidth().heightIn(min = 44.dp).padding(horizontal = 16.dp, vertical = 10.dp),
            contentAlignment = UiAlignment.CenterStart,
        ) { content() }
        HorizontalDivider(Modifier.padding(start = 16.dp), thickness = 0.5.dp)
    }
}

@Composable
fun List(mod: Mod = Mod(), selection: Any? = null, content: @Composable () -> Unit) {
    Node(mod, greedy = true) { modifier ->
        Column(modifier.fillMaxSize().background(listBackground()).verticalScroll(rememberScrollState()).padding(vertical = 8.dp)) {
            CompositionLocalProvider(LocalRowHost provides true, LocalStackScope provides null) { content() }
        }
    }
}

@Composable
fun <T> List(data: Iterable<T>, selection: Any? = null, mod: Mod = Mod(), rowContent: @Composable (T) -> Unit) {
    List(mod = mod, selection = selection) { ForEach(data) { rowContent(it) } }
}

@Composable
fun Form(mod: Mod = Mod(), content: @Composable () -> Unit) = List(mod = mod, content = content)

/** A titled group; inside a List its content stays rows, headed by the caption. */
@Composable
fun Section(
    title: String? = null,
    header: (@Composable () -> Unit)? = null,
    footer: (@Composable () -> Unit)? = null,
    mod: Mod = Mod(),
    content: @Composable () -> Unit,
) {
    val inList = LocalRowHost.current
    val caption: @Composable () -> Unit = {
        CompositionLocalProvider(LocalRowHost provides false, LocalSwiftStyle provides SwiftStyle(font = Font.footnote, color = Color.secondary)) {
            Box(Modifier.padding(start = 16.dp, end = 16.dp, top = 16.dp, bottom = 6.dp)) {
                if (header != null) header() else if (title != null) SwiftText(title.uppercase(), Modifier)
            }
        }
    }
    if (inList) {
        caption()
        content()
        if (footer != null) {
            CompositionLocalProvider(LocalRowHost provides false, LocalSwiftStyle provides SwiftStyle(font = Font.footnote, color = Color.secondary)) {
                Box(Modifier.padding(horizontal = 16.dp, vertical = 6.dp)) { footer() }
            }
        }
    } else {
        Node(mod) { modifier ->
            Column(modifier) {
                caption()
                content()
                footer?.invoke()
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Navigation: a stack of screens, each with its own title bar and toolbar

internal class Navigator {
    val pushed = mutableStateListOf<@Composable () -> Unit>()
    fun push(screen: @Composable () -> Unit) {
        pushed.add(screen)
    }
    fun pop() {
        if (pushed.isNotEmpty()) pushed.removeAt(pushed.size - 1)
    }
}

/** The title and toolbar that the views of one screen set. */
internal class ScreenChrome {
    var title by mutableStateOf<(@Composable () -> Unit)?>(null)
    var toolbar by mutableStateOf<(@Composable () -> Unit)?>(null)
}

internal val LocalNavigator = staticCompositionLocalOf<Navigator?> { null }
internal val LocalScreenChrome = staticCompositionLocalOf<ScreenChrome?> { null }

@Composable
fun NavigationStack(path: Any? = null, mod: Mod = Mod(), content: @Composable () -> Unit) {
    val navigator = remember { Navigator() }
    Node(mod, greedy = true) { modifier ->
        val screens = listOf(content) + navigator.pushed
        androidx.activity.compose.BackHandler(enabled = navigator.pushed.isNotEmpty()) { navigator.pop() }
        Box(modifier.fillMaxSize()) {
            // Screens below the top stay composed, so their state survives a push.
            screens.forEachIndexed { index, screen ->
                key(index) {
                    val top = index == screens.size - 1
                    Box(if (top) Modifier.fillMaxSize() else Modifier.size(0.dp)) {
                        Screen(navigator, index, screen)
                    }
                }
            }
        }
    }
}

@Composable
fun NavigationView(mod: Mod = Mod(), content: @Composable () -> Unit) = NavigationStack(mod = mod, content = content)

@OptIn(ExperimentalMaterial3Api::class)
@Composable
private fun Screen(navigator: Navigator, index: Int, content: @Composable () -> Unit) {
    val chrome = remember { ScreenChrome() }
    val title = chrome.title
    val toolbar = chrome.toolbar
    val dismiss = if (index > 0) DismissAction { navigator.pop() } else LocalDismiss.current
    // The toolbar belongs to the screen as well: its links push, its buttons dismiss.
    CompositionLocalProvider(
        LocalNavigator provides navigator,
        LocalScreenChrome provides chrome,
        LocalDismiss provides dismiss,
    ) {
        Scaffold(
            contentWindowInsets = WindowInsets(0, 0, 0, 0),
            topBar = {
                if (title != null || toolbar != null || index > 0) {
                    TopAppBar(
                        title = { CompositionLocalProvider(LocalSwiftStyle provides SwiftStyle(font = Font.headline)) { title?.invoke() } },
                        navigationIcon = {
                            if (index > 0) {
                                IconButton(onClick = { navigator.pop() }) { Icon(Icons.AutoMirrored.Filled.ArrowBack, contentDescription = null) }
                            }
                        },
                        actions = {
                            CompositionLocalProvider(LocalSwiftStyle provides SwiftStyle(tint = MaterialTheme.colorScheme.primary)) {
                                Row(verticalAlignment = UiAlignment.CenterVertically, horizontalArrangement = Arrangement.spacedBy(12.dp)) {
                                    toolbar?.invoke()
                                }
                            }
                        },
                        windowInsets = WindowInsets(0, 0, 0, 0),
                    )
                }
            },
        ) { padding ->
            Box(Modifier.padding(padding).fillMaxSize(), contentAlignment = UiAlignment.Center) { content() }
        }
    }
}

/** Pushes its destination onto the nearest NavigationStack. */
@Composable
fun NavigationLink(
    title: String? = null,
    destination: (@Composable () -> Unit)? = null,
    value: Any? = null,
    mod: Mod = Mod(),
    content: (@Composable () -> Unit)? = null,
    label: (@Composable () -> Unit)? = null,
) {
    val navigator = LocalNavigator.current
    val target = destination ?: content
    val inList = LocalRowHost.current
    Node(mod) { modifier ->
        val open = Modifier.clickable(enabled = navigator != null && target != null) { if (target != null) navigator?.push(target) }
        Row(modifier.then(open), verticalAlignment = UiAlignment.CenterVertically) {
            Box(if (inList) Modifier.weight(1f) else Modifier) {
                val style = LocalSwiftStyle.current
                val linkStyle = if (inList || style.color != null) style else style.copy(color = style.tint ?: MaterialTheme.colorScheme.primary)
                CompositionLocalProvider(LocalStackScope provides null, LocalSwiftStyle provides linkStyle) {
                    if (label != null) label() else if (title != null) SwiftText(title, Modifier)
                }
            }
            if (inList) Icon(Icons.AutoMirrored.Filled.KeyboardArrowRight, contentDescription = null, tint = Color.gray)
        }
    }
}

// ---------------------------------------------------------------------------
// Controls

@Composable
private fun roleColor(role: ButtonRole?): Color? = if (role == ButtonRole.destructive) Color.red else null

@Composable
fun Button(title: String, systemImage: String? = null, role: ButtonRole? = null, mod: Mod = Mod(), action: () -> Unit) {
    Button(action = action, role = role, mod = mod) {
        if (systemImage != null) Label(title, systemImage) else Text(title)
    }
}

/** SwiftUI's plain button: its label in the accent colour; in alerts and menus an entry that also closes them. */
@Composable
fun Button(action: () -> Unit, role: ButtonRole? = null, mod: Mod = Mod(), label: @Composable () -> Unit) {
    val host = LocalActionHost.current
    val roleTint = roleColor(role)
    if (host != null) {
        val run = { action(); host.close() }
        val colored: @Composable () -> Unit = {
            CompositionLocalProvider(LocalSwiftStyle provides SwiftStyle(color = roleTint ?: accent())) { label() }
        }
        if (host.inMenu) DropdownMenuItem(text = colored, onClick = run) else TextButton(onClick = run) { colored() }
        return
    }
    Node(mod) { modifier ->
        val style = LocalSwiftStyle.current
        val color = roleTint ?: style.color ?: style.tint ?: MaterialTheme.colorScheme.primary
        Box(modifier.clickable(enabled = style.enabled) { action() }, contentAlignment = UiAlignment.CenterStart) {
            CompositionLocalProvider(LocalSwiftStyle provides style.copy(color = color), LocalStackScope provides null) { label() }
        }
    }
}

@Composable
fun Link(title: String, destination: String?, mod: Mod = Mod()) {
    Link(destination = destination, mod = mod) { Text(title) }
}

@Composable
fun Link(destination: String?, mod: Mod = Mod(), label: @Composable () -> Unit) {
    val open = currentOpenURL()
    Button(action = { open(destination) }, mod = mod, label = label)
}

@Composable
fun Label(title: String, systemImage: String, mod: Mod = Mod()) {
    Label(title = { Text(title) }, icon = { Image(systemName = systemImage) }, mod = mod)
}

internal val LocalInTabBar = staticCompositionLocalOf { false }

@Composable
fun Label(title: @Composable () -> Unit, icon: @Composable () -> Unit, mod: Mod = Mod()) {
    val upright = LocalInTabBar.current
    Node(mod) { modifier ->
        if (upright) {
            Column(modifier, horizontalAlignment = UiAlignment.CenterHorizontally) {
                CompositionLocalProvider(LocalStackScope provides null) {
                    icon()
                    title()
                }
            }
            return@Node
        }
        Row(modifier, horizontalArrangement = Arrangement.spacedBy(8.dp), verticalAlignment = UiAlignment.CenterVertically) {
            CompositionLocalProvider(LocalStackScope provides null) {
                icon()
                title()
            }
        }
    }
}

@Composable
fun Toggle(title: String, isOn: Binding<Boolean>, mod: Mod = Mod()) {
    Toggle(isOn = isOn, mod = mod) { Text(title) }
}

@Composable
fun Toggle(isOn: Binding<Boolean>, mod: Mod = Mod(), label: @Composable () -> Unit) {
    Node(mod) { modifier ->
        val style = LocalSwiftStyle.current
        Row(modifier.fillMaxWidth(), verticalAlignment = UiAlignment.CenterVertically) {
            Box(Modifier.weight(1f)) { CompositionLocalProvider(LocalStackScope provides null) { label() } }
            Switch(checked = isOn.value, onCheckedChange = { isOn.value = it }, enabled = style.enabled)
        }
    }
}

private fun ClosedRange<*>.bounds(): ClosedFloatingPointRange<Float> =
    (start as Number).toFloat()..(endInclusive as Number).toFloat()

@Composable
fun Slider(value: Binding<Double>, `in`: ClosedRange<*> = 0.0..1.0, step: Number? = null, mod: Mod = Mod(), onEditingChanged: ((Boolean) -> Unit)? = null) {
    SliderOf(value.value.toFloat(), { value.value = it.toDouble() }, `in`.bounds(), step, mod)
}

@JvmName("SliderInt")
@Composable
fun Slider(value: Binding<Int>, `in`: ClosedRange<*> = 0..100, step: Number? = null, mod: Mod = Mod(), onEditingChanged: ((Boolean) -> Unit)? = null) {
    SliderOf(value.value.toFloat(), { value.value = Math.round(it) }, `in`.bounds(), step ?: 1, mod)
}

@Composable
private fun SliderOf(current: Float, set: (Float) -> Unit, range: ClosedFloatingPointRange<Float>, step: Number?, mod: Mod) {
    val steps = if (step == null || step.toDouble() <= 0.0) 0 else maxOf(0, ((range.endInclusive - range.start) / step.toFloat()).toInt() - 1)
    Node(mod) { modifier ->
        androidx.compose.material3.Slider(current, onValueChange = set, modifier = modifier.fillMaxWidth(), valueRange = range, steps = steps,
            enabled = LocalSwiftStyle.current.enabled)
    }
}

@Composable
fun Stepper(title: String, value: Binding<Int>, `in`: ClosedRange<*>? = null, step: Int = 1, mod: Mod = Mod()) {
    Stepper(value = value, `in` = `in`, step = step, mod = mod) { Text(title) }
}

@Composable
fun Stepper(value: Binding<Int>, `in`: ClosedRange<*>? = null, step: Int = 1, mod: Mod = Mod(), label: @Composable () -> Unit) {
    val low = (`in`?.start as? Number)?.toInt() ?: Int.MIN_VALUE
    val high = (`in`?.endInclusive as? Number)?.toInt() ?: Int.MAX_VALUE
    StepperOf(value.value > low, value.value < high, { value.value = maxOf(low, value.value - step) }, { value.value = minOf(high, value.value + step) }, mod, label)
}

@JvmName("StepperDouble")
@Composable
fun Stepper(title: String, value: Binding<Double>, `in`: ClosedRange<*>? = null, step: Number = 1.0, mod: Mod = Mod()) {
    val step = step.toDouble()
    val low = (`in`?.start as? Number)?.toDouble() ?: Double.NEGATIVE_INFINITY
    val high = (`in`?.endInclusive as? Number)?.toDouble() ?: Double.POSITIVE_INFINITY
    StepperOf(value.value > low, value.value < high, { value.value = maxOf(low, value.value - step) }, { value.value = minOf(high, value.value + step) }, mod) { Text(title) }
}

@Composable
fun Stepper(title: String, onIncrement: (() -> Unit)?, onDecrement: (() -> Unit)?, mod: Mod = Mod()) {
    StepperOf(onDecrement != null, onIncrement != null, { onDecrement?.invoke() }, { onIncrement?.invoke() }, mod) { Text(title) }
}

@Composable
private fun StepperOf(canDecrement: Boolean, canIncrement: Boolean, decrement: () -> Unit, increment: () -> Unit, mod: Mod, label: @Composable () -> Unit) {
    Node(mod) { modifier ->
        val enabled = LocalSwiftStyle.current.enabled
        Row(modifier.fillMaxWidth(), verticalAlignment = UiAlignment.CenterVertically) {
            Box(Modifier.weight(1f)) { CompositionLocalProvider(LocalStackScope provides null) { label() } }
            TextButton(onClick = decrement, enabled = enabled && canDecrement) { MaterialText("−", fontSize = 20.sp) }
            TextButton(onClick = increment, enabled = enabled && canIncrement) { MaterialText("+", fontSize = 20.sp) }
        }
    }
}

@Composable
private fun FieldOf(title: String, text: Binding<String>, secure: Boolean, singleLine: Boolean, mod: Mod) {
    Node(mod) { modifier ->
        val style = LocalSwiftStyle.current
        val font = style.font ?: Font.body
        val color = style.color?.takeIf { !it.isUnspecifiedColor } ?: MaterialTheme.colorScheme.onSurface
        Box(modifier.fillMaxWidth().padding(vertical = 4.dp), contentAlignment = UiAlignment.CenterStart) {
            if (text.value.isEmpty() && title.isNotEmpty()) MaterialText(title, color = Color.gray, fontSize = font.size.sp)
            BasicTextField(
                value = text.value,
                onValueChange = { text.value = it },
                enabled = style.enabled,
                singleLine = singleLine,
                textStyle = TextStyle(fontSize = font.size.sp, color = color),
                cursorBrush = SolidColor(accent()),
                visualTransformation = if (secure) androidx.compose.ui.text.input.PasswordVisualTransformation()
                else androidx.compose.ui.text.input.VisualTransformation.None,
                modifier = Modifier.fillMaxWidth(),
            )
        }
    }
}

@Composable
fun TextField(title: String, text: Binding<String>, prompt: Any? = null, axis: Axis? = null, mod: Mod = Mod()) =
    FieldOf(title, text, secure = false, singleLine = axis != Axis.vertical, mod = mod)

/** A number field: edits the value's text and keeps the last text that reads as a number. */
@Composable
fun <T> TextField(title: String, value: Binding<T>, format: Any? = null, mod: Mod = Mod()) {
    val text = remember { mutableStateOf(swiftDescription(value.value)) }
    FieldOf(title, Binding({ text.value }, { typed ->
        text.value = typed
        val current = value.value
        val parsed: Any? = when (current) {
            is Int -> typed.trim().toIntOrNull()
            is Double -> typed.trim().replace(',', '.').toDoubleOrNull()
            is String -> typed
            else -> null
        }
        if (parsed != null) value.value = parsed as T
    }), secure = false, singleLine = true, mod = mod)
}

@Composable
fun SecureField(title: String, text: Binding<String>, mod: Mod = Mod()) = FieldOf(title, text, secure = true, singleLine = true, mod = mod)

@Composable
fun TextEditor(text: Binding<String>, mod: Mod = Mod()) = FieldOf("", text, secure = false, singleLine = false, mod = mod)

@Composable
fun ProgressView(
    title: String? = null,
    value: Number? = null,
    total: Number = 1.0,
    mod: Mod = Mod(),
    label: (@Composable () -> Unit)? = null,
) {
    Node(mod) { modifier ->
        Column(modifier, horizontalAlignment = UiAlignment.CenterHorizontally, verticalArrangement = Arrangement.spacedBy(8.dp)) {
            if (value == null) {
                CircularProgressIndicator(color = accent())
            } else {
                val fraction = (value.toFloat() / total.toFloat()).coerceIn(0f, 1f)
                LinearProgressIndicator(progress = { fraction }, modifier = Modifier.fillMaxWidth(), color = accent())
            }
            if (title != null) SwiftText(title, Modifier)
            label?.invoke()
        }
    }
}

/** A choice among tagged views, shown as the current choice and a drop-down menu. */
@Composable
fun <T> Picker(title: String = "", selection: Binding<T>, label: (@Composable () -> Unit)? = null, mod: Mod = Mod(), content: @Composable () -> Unit) {
    var expanded by remember { mutableStateOf(false) }
    Node(mod) { modifier ->
        Row(modifier.fillMaxWidth().clickable { expanded = true }, verticalAlignment = UiAlignment.CenterVertically) {
            Box(Modifier.weight(1f)) {
                CompositionLocalProvider(LocalStackScope provides null) { if (label != null) label() else SwiftText(title, Modifier) }
            }
            Box {
                Row(verticalAlignment = UiAlignment.CenterVertically) {
                    CompositionLocalProvider(
                        LocalPickerMode provides PickerLabel(selection.value),
                        LocalStackScope provides null,
                        LocalSwiftStyle provides LocalSwiftStyle.current.copy(color = Color.gray),
                    ) { content() }
                    Icon(Icons.Filled.ArrowDropDown, contentDescription = null, tint = Color.gray)
                }
                DropdownMenu(expanded = expanded, onDismissRequest = { expanded = false }) {
                    CompositionLocalProvider(
                        LocalPickerMode provides PickerMenu { chosen -> selection.value = chosen as T; expanded = false },
                        LocalStackScope provides null,
                        LocalRowHost provides false,
                    ) { content() }
                }
            }
        }
    }
}

/** A button that opens its content as a menu. */
@Composable
fun Menu(title: String, mod: Mod = Mod(), content: @Composable () -> Unit) {
    Menu(content = content, mod = mod) { Text(title) }
}

@Composable
fun Menu(content: @Composable () -> Unit, mod: Mod = Mod(), label: @Composable () -> Unit) {
    var expanded by remember { mutableStateOf(false) }
    Box {
        Button(action = { expanded = true }, mod = mod, label = label)
        DropdownMenu(expanded = expanded, onDismissRequest = { expanded = false }) {
            CompositionLocalProvider(LocalActionHost provides ActionHost(inMenu = true) { expanded = false }, LocalRowHost provides false) {
                content()
            }
        }
    }
}

@Composable
fun ToolbarItem(placement: Any? = null, mod: Mod = Mod(), content: @Composable () -> Unit) = Apply(mod, content)

@Composable
fun ToolbarItemGroup(placement: Any? = null, mod: Mod = Mod(), content: @Composable () -> Unit) = Apply(mod, content)

@Composable
fun ContentUnavailableView(title: String, systemImage: String? = null, description: (@Composable () -> Unit)? = null, mod: Mod = Mod()) {
    ContentUnavailableView(content = {
        VStack(spacing = 12) {
            if (systemImage != null) Image(systemName = systemImage, mod = Mod().font(Font.system(size = 44)).foregroundColor(Color.secondary))
            Text(title, Mod().font(Font.title2).bold())
        }
    }, description = description, mod = mod)
}

// The label comes last so that a lone trailing closure fills it; with several
// trailing closures the first one arrives as content.
@Composable
fun ContentUnavailableView(description: (@Composable () -> Unit)? = null, actions: (@Composable () -> Unit)? = null, mod: Mod = Mod(), content: @Composable () -> Unit) {
    Node(mod, greedy = true) { modifier ->
        Column(modifier.fillMaxSize().padding(24.dp), verticalArrangement = Arrangement.Center, horizontalAlignment = UiAlignment.CenterHorizontally) {
            content()
            if (description != null) {
                CompositionLocalProvider(LocalSwiftStyle provides LocalSwiftStyle.current.copy(color = Color.secondary, alignment = TextAlignment.center)) {
                    Box(Modifier.padding(top = 8.dp)) { description() }
                }
            }
            if (actions != null) Box(Modifier.padding(top = 16.dp)) { actions() }
        }
    }
}

// ---------------------------------------------------------------------------
// Tabs

/** Tabs from the `tabItem` of each child view, with a bottom navigation bar. */
@Composable
fun <T> TabView(selection: Binding<T>? = null, mod: Mod = Mod(), content: @Composable () -> Unit) {
    val collector = remember { TabCollector() }
    var chosen by remember { mutableStateOf(0) }
    collector.entries.clear()
    // The children only register their tabs here; nothing of them is shown in this box.
    Box(Modifier.size(0.dp)) {
        CompositionLocalProvider(LocalTabCollector provides collector) { content() }
    }
    val entries = collector.entries.values.toList()
    val selectedIndex = if (selection != null) {
        entries.indexOfFirst { it.tag == selection.value }.takeIf { it >= 0 } ?: 0
    } else {
        chosen.coerceIn(0, maxOf(0, entries.size - 1))
    }
    Node(mod, greedy = true) { modifier ->
        Column(modifier.fillMaxSize()) {
            Box(Modifier.weight(1f).fillMaxWidth(), contentAlignment = UiAlignment.Center) {
                entries.getOrNull(selectedIndex)?.let { entry -> key(selectedIndex) { entry.body() } }
            }
            NavigationBar {
                entries.forEachIndexed { index, entry ->
                    NavigationBarItem(
                        selected = index == selectedIndex,
                        onClick = {
                            chosen = index
                            if (selection != null && entry.tag != null) selection.value = entry.tag as T
                        },
                        icon = {
                            Column(horizontalAlignment = UiAlignment.CenterHorizontally) {
                                CompositionLocalProvider(LocalSwiftStyle provides SwiftStyle(font = Font.caption), LocalInTabBar provides true) {
                                    entry.label()
                                }
                            }
                        },
                    )
                }
            }
        }
    }
}

@Composable
fun TabView(mod: Mod = Mod(), content: @Composable () -> Unit) = TabView<Any?>(selection = null, mod = mod, content = content)

// ---------------------------------------------------------------------------
// Sheets and alerts

@OptIn(ExperimentalMaterial3Api::class)
@Composable
private fun SheetHost(shown: Boolean, close: () -> Unit, fullScreen: Boolean, content: @Composable () -> Unit) {
    if (!shown) return
    val inner: @Composable () -> Unit = {
        CompositionLocalProvider(
            LocalDismiss provides DismissAction(close),
            LocalNavigator provides null,
            LocalScreenChrome provides null,
            LocalRowHost provides false,
            LocalStackScope provides null,
        ) {
            Box(Modifier.fillMaxWidth().fillMaxHeight(if (fullScreen) 1f else 0.95f), contentAlignment = UiAlignment.TopCenter) { content() }
        }
    }
    if (fullScreen) {
        androidx.compose.ui.window.Dialog(
            onDismissRequest = close,
            properties = androidx.compose.ui.window.DialogProperties(usePlatformDefaultWidth = false),
        ) {
            Surface(Modifier.fillMaxSize()) { inner() }
        }
    } else {
        ModalBottomSheet(onDismissRequest = close, sheetState = rememberModalBottomSheetState(skipPartiallyExpanded = true)) { inner() }
    }
}

@Composable
private fun AlertHost(title: String, isPresented: Binding<Boolean>, actions: (@Composable () -> Unit)?, message: (@Composable () -> Unit)?) {
    if (!isPresented.value) return
    val close = { isPresented.value = false }
    AlertDialog(
        onDismissRequest = close,
        title = if (title.isEmpty()) null else ({ MaterialText(title) }),
        text = if (message == null) null else ({ CompositionLocalProvider(LocalRowHost provides false) { message() } }),
        confirmButton = {
            Row(horizontalArrangement = Arrangement.spacedBy(4.dp)) {
                if (actions == null) {
                    TextButton(onClick = close) { MaterialText("OK") }
                } else {
                    CompositionLocalProvider(LocalActionHost provides ActionHost(inMenu = false, close = close), LocalRowHost provides false) { actions() }
                }
            }
        },
    )
}
