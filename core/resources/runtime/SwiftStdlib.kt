// Swift standard library and Foundation on Kotlin: the conversions, collection
// and string members, ranges, formatting, dates, errors and tasks that
// converted code calls. Names called by their bare name start their
// declaration at the beginning of a line; the converter reads them from there.
@file:Suppress(
    "unused", "FunctionName", "ObjectPropertyName", "EnumEntryName", "ClassName",
    "NOTHING_TO_INLINE", "EXTENSION_SHADOWED_BY_MEMBER", "UNCHECKED_CAST",
)

package tovrane.runtime

import kotlinx.coroutines.CoroutineScope
import kotlinx.coroutines.Dispatchers
import kotlinx.coroutines.Job
import kotlinx.coroutines.SupervisorJob
import kotlinx.coroutines.currentCoroutineContext
import kotlinx.coroutines.ensureActive
import kotlinx.coroutines.launch
import kotlinx.coroutines.withContext
import java.util.Locale
import kotlin.collections.count as kotlinCount
import kotlin.collections.removeAll as kotlinRemoveAll

// ---------------------------------------------------------------------------
// Errors and printing

/** A thrown Swift value; Kotlin code catches it as an Exception. */
class SwiftError(val value: Any?) : Exception(swiftDescription(value))

/** The thrown Swift value behind an exception, or the exception itself. */
val Throwable.swiftValue: Any? get() = if (this is SwiftError) value else this

/** Swift's `description` text of a value: nil for null, brackets for collections. */
fun swiftDescription(value: Any?): String = when (value) {
    null -> "nil"
    is String -> value
    is Map<*, *> -> if (value.isEmpty()) "[:]" else value.entries.joinToString(", ", "[", "]") {
        swiftDebug(it.key) + ": " + swiftDebug(it.value)
    }
    is Iterable<*> -> value.joinToString(", ", "[", "]") { swiftDebug(it) }
    is Pair<*, *> -> "(" + swiftDebug(value.first) + ", " + swiftDebug(value.second) + ")"
    is Enum<*> -> value.name
    is java.util.Date -> java.text.SimpleDateFormat("yyyy-MM-dd HH:mm:ss Z", Locale.ROOT).format(value)
    else -> value.toString()
}

private fun swiftDebug(value: Any?): String = if (value is String) "\"" + value + "\"" else swiftDescription(value)

val Any?.description: String get() = swiftDescription(this)

fun swiftPrint(vararg items: Any?, separator: String = " ", terminator: String = "\n") {
    print(items.joinToString(separator) { swiftDescription(it) } + terminator)
}

fun debugPrint(vararg items: Any?) = swiftPrint(*items)

fun dump(value: Any?) = swiftPrint(value)

// ---------------------------------------------------------------------------
// Conversions written like Swift initialisers: Int(x), Double(text), String(x)
// (A trailing `unusedTail: Unit = Unit` parameter, here and below, keeps two
// overloads whose other parameters look alike apart, on the JVM and for
// positional calls, where the one without it wins.)

fun Int(value: Number): Int = value.toInt()
fun Int(value: String): Int? = value.trim().toIntOrNull()
fun Int(value: Char): Int? = value.digitToIntOrNull()
fun Int(value: String, radix: Int): Int? = value.toIntOrNull(radix)
fun Int32(value: Number): Int = value.toInt()
fun Int64(value: Number): Long = value.toLong()
fun Int64(value: String): Long? = value.trim().toLongOrNull()
fun UInt(value: Number): Int = maxOf(0, value.toInt())
fun Double(value: Number): Double = value.toDouble()
fun Double(value: String): Double? = value.trim().toDoubleOrNull()
fun Float(value: Number): Float = value.toFloat()
fun Float(value: String): Float? = value.trim().toFloatOrNull()
fun CGFloat(value: Number): Double = value.toDouble()
fun TimeInterval(value: Number): Double = value.toDouble()
fun TimeInterval(value: String): Double? = Double(value)
fun Bool(value: String): Boolean? = value.toBooleanStrictOrNull()
fun Character(value: String): Char = value.first()

fun String(value: Any?): String = swiftDescription(value)
fun String(describing: Any?, unusedTail: Unit = Unit): String = swiftDescription(describing)
fun String(repeating: String, count: Int): String = repeating.repeat(maxOf(0, count))
fun String(repeating: Char, count: Int): String = repeating.toString().repeat(maxOf(0, count))
fun String(value: Int, radix: Int, uppercase: Boolean = false): String =
    value.toString(radix).let { if (uppercase) it.uppercase() else it }
fun String(format: String, vararg arguments: Any?): String = swiftFormat(format, arguments.toList())
fun String(localized: String, comment: String? = null): String = localized
/** String(data:encoding:): nil when the bytes are not valid UTF-8 (the only encoding kept). */
fun String(data: ByteArray, encoding: Any? = null): String? = try {
    Charsets.UTF_8.newDecoder().decode(java.nio.ByteBuffer.wrap(data)).toString()
} catch (e: java.nio.charset.CharacterCodingException) {
    null
}

typealias Bool = Boolean
typealias Character = Char
typealias CGFloat = Double
typealias TimeInterval = Double
typealias Int64 = Long
typealias Int32 = Int
typealias Never = Nothing
typealias Void = Unit
// Swift's IndexSet iterates its offsets in ascending order, like a tree set.
typealias IndexSet = java.util.TreeSet<Int>

fun Boolean.Companion.random(): Boolean = kotlin.random.Random.nextBoolean()
fun Int.Companion.random(`in`: IntRange): Int = `in`.random()
fun Double.Companion.random(`in`: ClosedRange<Double>): Double =
    `in`.start + kotlin.random.Random.nextDouble() * (`in`.endInclusive - `in`.start)
fun Float.Companion.random(`in`: ClosedRange<Float>): Float =
    `in`.start + kotlin.random.Random.nextFloat() * (`in`.endInclusive - `in`.start)

val Double.Companion.infinity: Double get() = Double.POSITIVE_INFINITY
val Double.Companion.pi: Double get() = Math.PI
val Double.Companion.greatestFiniteMagnitude: Double get() = Double.MAX_VALUE
val Int.Companion.max: Int get() = Int.MAX_VALUE
val Int.Companion.min: Int get() = Int.MIN_VALUE

// Swift's printf-style formats: %@ is any value, %ld and %lld are integers.
internal fun swiftFormat(format: String, arguments: List<Any?>): String {
    val javaFormat = format.replace("%@", "%s").replace("%lld", "%d").replace("%ld", "%d")
        .replace("%lu", "%d").replace("%li", "%d").replace("%i", "%d")
    val values = arguments.map { if (it is String || it is Number || it is Char || it is Boolean) it else swiftDescription(it) }
    return try {
        String.format(Locale.ROOT, javaFormat, *values.toTypedArray())
    } catch (e: java.util.IllegalFormatException) {
        format
    }
}

// ---------------------------------------------------------------------------
// Math, written as Swift's global functions

fun min(a: Int, b: Int): Int = if (a <= b) a else b
fun min(a: Long, b: Long): Long = if (a <= b) a else b
fun min(a: Double, b: Double): Double = Math.min(a, b)
fun min(a: Int, b: Double): Double = Math.min(a.toDouble(), b)
fun min(a: Double, b: Int): Double = Math.min(a, b.toDouble())
fun <T> min(a: T, b: T, vararg rest: T): T where T : Comparable<T> = rest.fold(if (b < a) b else a) { m, x -> if (x < m) x else m }
fun max(a: Int, b: Int): Int = if (a >= b) a else b
fun max(a: Long, b: Long): Long = if (a >= b) a else b
fun max(a: Double, b: Double): Double = Math.max(a, b)
fun max(a: Int, b: Double): Double = Math.max(a.toDouble(), b)
fun max(a: Double, b: Int): Double = Math.max(a, b.toDouble())
fun <T> max(a: T, b: T, vararg rest: T): T where T : Comparable<T> = rest.fold(if (b > a) b else a) { m, x -> if (x > m) x else m }
fun abs(value: Int): Int = Math.abs(value)
fun abs(value: Long): Long = Math.abs(value)
fun abs(value: Double): Double = Math.abs(value)
fun abs(value: Float): Float = Math.abs(value)
fun sqrt(value: Number): Double = Math.sqrt(value.toDouble())
fun pow(base: Number, exponent: Number): Double = Math.pow(base.toDouble(), exponent.toDouble())
fun round(value: Number): Double = value.toDouble().rounded()
fun floor(value: Number): Double = Math.floor(value.toDouble())
fun ceil(value: Number): Double = Math.ceil(value.toDouble())
fun sin(value: Number): Double = Math.sin(value.toDouble())
fun cos(value: Number): Double = Math.cos(value.toDouble())
fun tan(value: Number): Double = Math.tan(value.toDouble())
fun atan2(y: Number, x: Number): Double = Math.atan2(y.toDouble(), x.toDouble())
fun log(value: Number): Double = Math.log(value.toDouble())
fun log10(value: Number): Double = Math.log10(value.toDouble())
fun exp(value: Number): Double = Math.exp(value.toDouble())
fun hypot(x: Number, y: Number): Double = Math.hypot(x.toDouble(), y.toDouble())

enum class RoundingRule { up, down, toNearestOrEven, toNearestOrAwayFromZero, towardZero, awayFromZero }

fun Double.rounded(rule: RoundingRule? = null): Double = when (rule ?: RoundingRule.toNearestOrAwayFromZero) {
    RoundingRule.up -> Math.ceil(this)
    RoundingRule.down -> Math.floor(this)
    RoundingRule.toNearestOrEven -> Math.rint(this)
    RoundingRule.toNearestOrAwayFromZero -> if (this < 0) -Math.round(-this).toDouble() else Math.round(this).toDouble()
    RoundingRule.towardZero -> if (this < 0) Math.ceil(this) else Math.floor(this)
    RoundingRule.awayFromZero -> if (this < 0) Math.floor(this) else Math.ceil(this)
}

fun Int.isMultiple(of: Int): Boolean = if (of == 0) this == 0 else this % of == 0
val Int.magnitude: Int get() = Math.abs(this)
val Double.magnitude: Double get() = Math.abs(this)
val Double.isNaN: Boolean get() = this.isNaN()
val Double.isFinite: Boolean get() = this.isFinite()
fun Int.clamped(to: IntRange): Int = coerceIn(to)
fun Double.clamped(to: ClosedRange<Double>): Double = coerceIn(to)
fun Double.clamped(to: IntRange): Double = coerceIn(to.first.toDouble(), to.last.toDouble())
fun Int.distance(to: Int): Int = to - this
fun Int.advanced(by: Int): Int = this + by
fun Int.quotientAndRemainder(dividingBy: Int): Pair<Int, Int> = Pair(this / dividingBy, this % dividingBy)

// ---------------------------------------------------------------------------
// Ranges: half-open and closed ranges are Kotlin's own; one-sided ones are these

/** A range bounded on one side only, as in `5...`, `..<5` and `...5`. */
class PartialRange<T : Comparable<T>>(val lower: T?, val upper: T?, val upperIncluded: Boolean) {
    operator fun contains(value: T): Boolean {
        if (lower != null && value < lower) return false
        if (upper != null) return if (upperIncluded) value <= upper else value < upper
        return true
    }
    fun contains(value: T, unusedTail: Unit = Unit): Boolean = value in this
}

fun <T> swiftRangeFrom(lower: T): PartialRange<T> where T : Comparable<T> = PartialRange(lower, null, false)
fun <T> swiftRangeUpTo(upper: T): PartialRange<T> where T : Comparable<T> = PartialRange(null, upper, false)
fun <T> swiftRangeThrough(upper: T): PartialRange<T> where T : Comparable<T> = PartialRange(null, upper, true)

private fun PartialRange<Int>.indicesIn(size: Int): IntRange {
    val from = lower ?: 0
    val to = when {
        upper == null -> size
        upperIncluded -> upper + 1
        else -> upper
    }
    return from until to
}

operator fun <T> List<T>.get(range: IntRange): MutableList<T> = subList(range.first, range.last + 1).toMutableList()
operator fun <T> List<T>.get(range: PartialRange<Int>): MutableList<T> = this[range.indicesIn(size)]
operator fun String.get(range: IntRange): String = substring(range.first, range.last + 1)
operator fun String.get(range: PartialRange<Int>): String = this[range.indicesIn(length)]

val IntRange.lowerBound: Int get() = first
val IntRange.upperBound: Int get() = last + 1
val IntRange.count: Int get() = if (last < first) 0 else last - first + 1
val <T : Comparable<T>> ClosedRange<T>.lowerBound: T get() = start
val <T : Comparable<T>> ClosedRange<T>.upperBound: T get() = endInclusive

fun stride(from: Int, to: Int, by: Int): List<Int> = strideValues(from.toDouble(), to.toDouble(), by.toDouble(), false).map { it.toInt() }
fun stride(from: Double, to: Double, by: Double): List<Double> = strideValues(from, to, by, false)
fun strideThrough(from: Int, through: Int, by: Int): List<Int> =
    strideValues(from.toDouble(), through.toDouble(), by.toDouble(), true).map { it.toInt() }
fun strideThrough(from: Double, through: Double, by: Double): List<Double> = strideValues(from, through, by, true)

private fun strideValues(from: Double, end: Double, step: Double, included: Boolean): List<Double> {
    if (step == 0.0) return emptyList()
    val out = ArrayList<Double>()
    var index = 0
    while (true) {
        val value = from + index * step
        val more = if (step > 0) (if (included) value <= end else value < end) else (if (included) value >= end else value > end)
        if (!more) break
        out.add(value)
        index += 1
    }
    return out
}

fun <A, B> zip(first: Iterable<A>, second: Iterable<B>): MutableList<Pair<A, B>> = first.zip(second).toMutableList()

fun <T> repeatElement(element: T, count: Int): MutableList<T> = MutableList(maxOf(0, count)) { element }

fun type(of: Any): kotlin.reflect.KClass<out Any> = of::class

// ---------------------------------------------------------------------------
// Collections: the constructors and members that Swift code uses

fun <T> Array(repeating: T, count: Int): MutableList<T> = MutableList(maxOf(0, count)) { repeating }
fun <T> Array(elements: Iterable<T>): MutableList<T> = elements.toMutableList()
fun <T> Set(elements: Iterable<T>): MutableSet<T> = elements.toMutableSet()
fun <K, V> Dictionary(uniqueKeysWithValues: Iterable<Pair<K, V>>): MutableMap<K, V> = uniqueKeysWithValues.toMap().toMutableMap()
fun <K, V> Dictionary(grouping: Iterable<V>, by: (V) -> K): MutableMap<K, MutableList<V>> {
    val out = LinkedHashMap<K, MutableList<V>>()
    for (element in grouping) out.getOrPut(by(element)) { mutableListOf() }.add(element)
    return out
}

/** One element of `enumerated()`: destructures as (offset, element) like Swift's tuple. */
data class Enumerated<T>(val offset: Int, val element: T)

fun <T> Iterable<T>.enumerated(): MutableList<Enumerated<T>> = mapIndexed { i, e -> Enumerated(i, e) }.toMutableList()
fun String.enumerated(): MutableList<Enumerated<Char>> = toList().enumerated()

val <T> Collection<T>.count: Int get() = size
val <T> Collection<T>.isEmpty: Boolean get() = size == 0
val <K, V> Map<K, V>.count: Int get() = size
val <K, V> Map<K, V>.isEmpty: Boolean get() = size == 0
val <T> List<T>.first: T? get() = firstOrNull()
val <T> List<T>.last: T? get() = lastOrNull()
val <T> Set<T>.first: T? get() = firstOrNull()
val <T> List<T>.startIndex: Int get() = 0
val <T> List<T>.endIndex: Int get() = size
val <K, V> Map<K, V>.keys_: MutableList<K> get() = keys.toMutableList()
val <K, V> Map<K, V>.values_: MutableList<V> get() = values.toMutableList()

fun <T> Iterable<T>.first(where: (T) -> Boolean): T? = firstOrNull(where)
fun <T> List<T>.last(where: (T) -> Boolean): T? = lastOrNull(where)
fun <T> Iterable<T>.contains(where: (T) -> Boolean): Boolean = any(where)
fun <T> Iterable<T>.allSatisfy(predicate: (T) -> Boolean): Boolean = all(predicate)
fun <T> List<T>.firstIndex(of: T): Int? = indexOf(of).takeIf { it >= 0 }
fun <T> List<T>.firstIndex(where: (T) -> Boolean): Int? = indexOfFirst(where).takeIf { it >= 0 }
fun <T> List<T>.lastIndex(of: T): Int? = lastIndexOf(of).takeIf { it >= 0 }
fun <T> List<T>.lastIndex(where: (T) -> Boolean): Int? = indexOfLast(where).takeIf { it >= 0 }
fun <T> List<T>.index(of: T): Int? = firstIndex(of)
fun <T> Iterable<T>.count(where: (T) -> Boolean): Int = kotlinCount(where)
fun <T> Collection<T>.randomElement(): T? = if (isEmpty()) null else random()
fun <T> List<T>.prefix(maxLength: Int): MutableList<T> = take(maxOf(0, maxLength)).toMutableList()
fun <T> List<T>.suffix(maxLength: Int): MutableList<T> = takeLast(maxOf(0, maxLength)).toMutableList()
fun <T> List<T>.dropFirst(k: Int = 1): MutableList<T> = drop(maxOf(0, k)).toMutableList()
fun <T> Iterable<T>.dropLast_(k: Int = 1): MutableList<T> = toList().dropLast(maxOf(0, k)).toMutableList()
fun <T> Iterable<T>.filter_(isIncluded: (T) -> Boolean): MutableList<T> = filter(isIncluded).toMutableList()
fun <T, R> Iterable<T>.map_(transform: (T) -> R): MutableList<R> = map(transform).toMutableList()
fun <T, R> Iterable<T>.flatMap_(transform: (T) -> Iterable<R>): MutableList<R> = flatMap(transform).toMutableList()
fun <T, R : Any> Iterable<T>.compactMap(transform: (T) -> R?): MutableList<R> = mapNotNull(transform).toMutableList()
fun <T> Iterable<T>.reversed_(): MutableList<T> = toList().asReversed().toMutableList()
fun <T> Iterable<T>.shuffled_(): MutableList<T> = shuffled().toMutableList()
fun <T : Comparable<T>> Iterable<T>.sorted_(): MutableList<T> = sorted().toMutableList()
fun <T> Iterable<T>.sorted(by: (T, T) -> Boolean): MutableList<T> = sortedWith(swiftOrder(by)).toMutableList()
fun <T, R> Iterable<T>.reduce(initialResult: R, nextPartialResult: (R, T) -> R): R = fold(initialResult, nextPartialResult)
fun <T> Iterable<T>.min(by: (T, T) -> Boolean): T? = toList().minWithOrNull(swiftOrder(by))
fun <T> Iterable<T>.max(by: (T, T) -> Boolean): T? = toList().maxWithOrNull(swiftOrder(by))
fun <T : Comparable<T>> Iterable<T>.min(): T? = minOrNull()
fun <T : Comparable<T>> Iterable<T>.max(): T? = maxOrNull()
fun Iterable<*>.joined(separator: String = ""): String = joinToString(separator) { swiftDescription(it) }
fun <T> Iterable<T>.elementsEqual(other: Iterable<T>): Boolean = toList() == other.toList()
fun <T> Iterable<T>.split(separator: T): MutableList<MutableList<T>> {
    val out = mutableListOf<MutableList<T>>()
    var current = mutableListOf<T>()
    for (element in this) {
        if (element == separator) {
            if (current.isNotEmpty()) out.add(current)
            current = mutableListOf()
        } else {
            current.add(element)
        }
    }
    if (current.isNotEmpty()) out.add(current)
    return out
}

private fun <T> swiftOrder(areInIncreasingOrder: (T, T) -> Boolean): Comparator<T> = Comparator { a, b ->
    when {
        areInIncreasingOrder(a, b) -> -1
        areInIncreasingOrder(b, a) -> 1
        else -> 0
    }
}

// Swift's array + array is again an array (a mutable list here); Kotlin's
// own + would give a read-only list.
operator fun <T> MutableList<T>.plus(elements: Iterable<T>): MutableList<T> = toMutableList().also { it.addAll(elements) }
fun <T> MutableList<T>.append(newElement: T) { add(newElement) }
fun <T> MutableList<T>.append(contentsOf: Iterable<T>) { addAll(contentsOf) }
fun <T> MutableList<T>.insert(newElement: T, at: Int) { add(at, newElement) }
fun <T> MutableList<T>.insert(contentsOf: Iterable<T>, at: Int) { addAll(at, contentsOf.toList()) }
fun <T> MutableList<T>.remove(at: Int): T = removeAt(at)
fun <T> MutableList<T>.remove(atOffsets: Iterable<Int>) {
    for (index in atOffsets.toSortedSet().reversed()) removeAt(index)
}
fun <T> MutableCollection<T>.removeAll() = clear()
fun <T> MutableList<T>.removeAll(where: (T) -> Boolean) { kotlinRemoveAll(where) }
fun <T> MutableList<T>.removeFirst(k: Int) { repeat(minOf(k, size)) { removeAt(0) } }
fun <T> MutableList<T>.removeLast(k: Int) { repeat(minOf(k, size)) { removeAt(size - 1) } }
fun <T> MutableList<T>.popLast(): T? = if (isEmpty()) null else removeAt(size - 1)
fun <T> MutableList<T>.swapAt(i: Int, j: Int) = java.util.Collections.swap(this, i, j)
fun <T> MutableList<T>.sort(by: (T, T) -> Boolean) = sortWith(swiftOrder(by))
fun <T> MutableList<T>.move(fromOffsets: Iterable<Int>, toOffset: Int) {
    val indices = fromOffsets.toSortedSet()
    val moving = indices.map { this[it] }
    var target = toOffset - indices.count { it < toOffset }
    for (index in indices.reversed()) removeAt(index)
    for (element in moving) add(target++, element)
}

fun <T> MutableSet<T>.insert(newMember: T): Boolean = add(newMember)
fun <T> MutableSet<T>.formUnion(other: Iterable<T>) { addAll(other) }
fun <T> MutableSet<T>.formIntersection(other: Iterable<T>) { retainAll(other.toSet()) }
fun <T> MutableSet<T>.subtract(other: Iterable<T>) { removeAll(other.toSet()) }
fun <T> Set<T>.union(other: Iterable<T>): MutableSet<T> = (this + other).toMutableSet()
fun <T> Set<T>.intersection(other: Iterable<T>): MutableSet<T> = (this intersect other.toSet()).toMutableSet()
fun <T> Set<T>.subtracting(other: Iterable<T>): MutableSet<T> = (this - other.toSet()).toMutableSet()
fun <T> Set<T>.symmetricDifference(other: Iterable<T>): MutableSet<T> = ((this - other.toSet()) + (other.toSet() - this)).toMutableSet()
fun <T> Set<T>.isSubset(of: Iterable<T>): Boolean = of.toSet().containsAll(this)
fun <T> Set<T>.isSuperset(of: Iterable<T>): Boolean = containsAll(of.toList())
fun <T> Set<T>.isDisjoint(with: Iterable<T>): Boolean = with.none { it in this }

fun <K, V> MutableMap<K, V>.updateValue(value: V, forKey: K): V? = put(forKey, value)
fun <K, V> MutableMap<K, V>.removeValue(forKey: K): V? = remove(forKey)
fun <K, V> MutableMap<K, V>.removeAll() = clear()
fun <K, V> MutableMap<K, V>.merge(other: Map<K, V>, combine: (V, V) -> V) {
    for ((key, value) in other) {
        val old = this[key]
        this[key] = if (old == null && !containsKey(key)) value else combine(old as V, value)
    }
}
fun <K, V> Map<K, V>.filter_(isIncluded: (Map.Entry<K, V>) -> Boolean): MutableMap<K, V> = filter(isIncluded).toMutableMap()
fun <K, V, R> Map<K, V>.map_(transform: (Map.Entry<K, V>) -> R): MutableList<R> = map(transform).toMutableList()
fun <K, V, R> Map<K, V>.flatMap_(transform: (Map.Entry<K, V>) -> Iterable<R>): MutableList<R> = flatMap(transform).toMutableList()
// Swift's mapValues hands the closure the value; Kotlin's own hands it the
// entry. Declared here, it is found before the standard library's.
fun <K, V, R> Map<K, V>.mapValues(transform: (V) -> R): MutableMap<K, R> {
    val out = LinkedHashMap<K, R>()
    for ((key, value) in this) out[key] = transform(value)
    return out
}
fun <K, V, R : Any> Map<K, V>.compactMapValues(transform: (V) -> R?): MutableMap<K, R> {
    val out = LinkedHashMap<K, R>()
    for ((key, value) in this) transform(value)?.let { out[key] = it }
    return out
}
fun <K, V> Map<K, V>.sorted(by: (Map.Entry<K, V>, Map.Entry<K, V>) -> Boolean): MutableList<Map.Entry<K, V>> =
    entries.sortedWith(swiftOrder(by)).toMutableList()
fun <K, V> Map<K, V>.contains(where: (Map.Entry<K, V>) -> Boolean): Boolean = entries.any(where)
fun <K, V> Map<K, V>.first(where: (Map.Entry<K, V>) -> Boolean): Map.Entry<K, V>? = entries.firstOrNull(where)
// Swift compares (key, value) tuples element by element; `.0` and `.1` name their parts.
operator fun <K : Comparable<K>, V : Comparable<V>> Map.Entry<K, V>.compareTo(other: Map.Entry<K, V>): Int =
    key.compareTo(other.key).takeIf { it != 0 } ?: value.compareTo(other.value)
operator fun <A : Comparable<A>, B : Comparable<B>> Pair<A, B>.compareTo(other: Pair<A, B>): Int =
    first.compareTo(other.first).takeIf { it != 0 } ?: second.compareTo(other.second)
val <K, V> Map.Entry<K, V>.first: K get() = key
val <K, V> Map.Entry<K, V>.second: V get() = value
fun <K, V> Map<K, V>.reduce(initialResult: V, nextPartialResult: (V, Map.Entry<K, V>) -> V): V = entries.fold(initialResult, nextPartialResult)

// ---------------------------------------------------------------------------
// Strings

val String.count: Int get() = codePointCount(0, length)
val String.isEmpty: Boolean get() = length == 0
val String.first: Char? get() = firstOrNull()
val String.last: Char? get() = lastOrNull()
val String.capitalized: String get() = (this as CharSequence).split(" ").joinToString(" ") { word -> word.lowercase().replaceFirstChar { it.titlecase() } }
val String.localizedCapitalized: String get() = capitalized
val String.absoluteString: String get() = this
val String.lastPathComponent: String get() = substringAfterLast('/')
val String.pathExtension: String get() = substringAfterLast('.', "")
val String.utf8: ByteArray get() = toByteArray(Charsets.UTF_8)
val String.unicodeScalars: List<Int> get() = codePoints().toArray().toList()
fun String.uppercased(): String = uppercase()
fun String.lowercased(): String = lowercase()
fun String.hasPrefix(prefix: String): Boolean = startsWith(prefix)
fun String.hasSuffix(suffix: String): Boolean = endsWith(suffix)
fun String.contains(where: (Char) -> Boolean): Boolean = any(where)
fun String.localizedCaseInsensitiveContains(other: String): Boolean = contains(other, ignoreCase = true)
fun String.localizedStandardContains(other: String): Boolean = contains(other, ignoreCase = true)
fun String.caseInsensitiveCompare(other: String): Int = compareTo(other, ignoreCase = true)
fun String.replacingOccurrences(of: String, with: String): String = replace(of, with)
fun String.trimmingCharacters(`in`: Any?): String = trim()
fun String.components(separatedBy: String): MutableList<String> = (this as CharSequence).split(separatedBy).toMutableList()
fun String.split(separator: Char, maxSplits: Int = Int.MAX_VALUE, omittingEmptySubsequences: Boolean = true): MutableList<String> =
    split(maxSplits, omittingEmptySubsequences) { it == separator }
fun String.split(separator: String, maxSplits: Int = Int.MAX_VALUE, omittingEmptySubsequences: Boolean = true): MutableList<String> =
    if (separator.length == 1) split(separator[0], maxSplits, omittingEmptySubsequences)
    else (this as CharSequence).split(separator).let { if (omittingEmptySubsequences) it.filter { piece -> piece.isNotEmpty() } else it }.toMutableList()
/** Swift's split(whereSeparator:): at most maxSplits cuts, empty pieces dropped unless asked for. */
fun String.split(maxSplits: Int = Int.MAX_VALUE, omittingEmptySubsequences: Boolean = true, whereSeparator: (Char) -> Boolean): MutableList<String> {
    val out = mutableListOf<String>()
    var start = 0
    var index = 0
    while (index < length) {
        if (out.size < maxSplits && whereSeparator(this[index])) {
            if (!omittingEmptySubsequences || index > start) out.add(substring(start, index))
            start = index + 1
        }
        index += 1
    }
    if (!omittingEmptySubsequences || start < length) out.add(substring(start))
    return out
}
fun String.prefix(maxLength: Int): String = take(maxOf(0, maxLength))
fun String.suffix(maxLength: Int): String = takeLast(maxOf(0, maxLength))
fun String.dropFirst(k: Int = 1): String = drop(maxOf(0, k))
fun String.dropLast_(k: Int = 1): String = dropLast(maxOf(0, k))
fun String.reversed_(): String = reversed().toString()
fun String.filter_(isIncluded: (Char) -> Boolean): String = filter(isIncluded)
fun <R> String.map_(transform: (Char) -> R): MutableList<R> = map(transform).toMutableList()
fun <R : Any> String.compactMap(transform: (Char) -> R?): MutableList<R> = mapNotNull(transform).toMutableList()
fun String.shuffled_(): String = toList().shuffled().joinToString("")
fun String.sorted_(): MutableList<Char> = toList().sorted().toMutableList()
fun String.allSatisfy(predicate: (Char) -> Boolean): Boolean = all(predicate)
fun String.firstIndex(of: Char): Int? = indexOf(of).takeIf { it >= 0 }
fun String.padding(toLength: Int, withPad: String, startingAt: Int = 0): String =
    if (length >= toLength) take(toLength) else this + withPad.repeat(toLength - length).take(toLength - length)
fun String.data(using: Any? = null): ByteArray = toByteArray(Charsets.UTF_8)
fun String.appending(other: String): String = this + other
fun String.index(after: Int): Int = after + 1
fun String.index(before: Int, unusedTail: Unit = Unit): Int = before - 1
val String.startIndex: Int get() = 0
val String.endIndex: Int get() = length

val Char.isLetter: Boolean get() = this.isLetter()
val Char.isNumber: Boolean get() = this.isDigit()
val Char.isWholeNumber: Boolean get() = this.isDigit()
val Char.isWhitespace: Boolean get() = this.isWhitespace()
val Char.isNewline: Boolean get() = this == '\n' || this == '\r' || this == '\u000B' || this == '\u000C' || this == '\u0085' || this == '\u2028' || this == '\u2029'
val Char.isUppercase: Boolean get() = this.isUpperCase()
val Char.isLowercase: Boolean get() = this.isLowerCase()
val Char.isPunctuation: Boolean get() = !isLetterOrDigit() && !isWhitespace()
val Char.wholeNumberValue: Int? get() = digitToIntOrNull()
fun Char.uppercased(): String = toString().uppercase()
fun Char.lowercased(): String = toString().lowercase()

// ---------------------------------------------------------------------------
// Formatting: value.formatted(...) and the styles behind it

enum class FormatStyleLevel { omitted, numeric, abbreviated, long, complete, shortened, standard }

fun java.util.Date.formatted(style: DateFormatStyle? = null): String = (style ?: DateFormatStyle.dateTime).format(this)

fun java.util.Date.formatted(date: FormatStyleLevel, time: FormatStyleLevel = FormatStyleLevel.omitted): String =
    levelFormat(date, time)?.format(this) ?: ""

/** The platform's format for Swift's date and time levels; none when both are omitted. */
private fun levelFormat(date: FormatStyleLevel, time: FormatStyleLevel): java.text.DateFormat? {
    val datePart = when (date) {
        FormatStyleLevel.omitted -> null
        FormatStyleLevel.numeric -> java.text.DateFormat.SHORT
        FormatStyleLevel.abbreviated -> java.text.DateFormat.MEDIUM
        FormatStyleLevel.long -> java.text.DateFormat.LONG
        else -> java.text.DateFormat.FULL
    }
    val timePart = when (time) {
        FormatStyleLevel.omitted -> null
        FormatStyleLevel.shortened -> java.text.DateFormat.SHORT
        FormatStyleLevel.standard -> java.text.DateFormat.MEDIUM
        else -> java.text.DateFormat.LONG
    }
    return when {
        datePart != null && timePart != null -> java.text.DateFormat.getDateTimeInstance(datePart, timePart)
        datePart != null -> java.text.DateFormat.getDateInstance(datePart)
        timePart != null -> java.text.DateFormat.getTimeInstance(timePart)
        else -> null
    }
}

/** Numbers: the styles Swift names here (.number, .percent …) arrive as null. */
fun Number.formatted(style: Any? = null): String = when (this) {
    is Double, is Float -> java.text.NumberFormat.getInstance().apply { maximumFractionDigits = 2 }.format(this)
    else -> java.text.NumberFormat.getIntegerInstance().format(this)
}

/** A date formatter with a pattern or the two style levels of Foundation. */
class DateFormatter {
    var dateFormat: String = ""
    var dateStyle: Any? = null
    var timeStyle: Any? = null
    var locale: Any? = null
    var timeZone: TimeZone? = null
    private fun format() = java.text.SimpleDateFormat(if (dateFormat.isEmpty()) "d. MMM yyyy" else dateFormat, Locale.getDefault())
        .also { format -> timeZone?.let { format.timeZone = it.zone } }
    fun string(from: java.util.Date): String = format().format(from)
    fun date(from: String): java.util.Date? = try {
        format().parse(from)
    } catch (e: java.text.ParseException) {
        null
    }
}

class NumberFormatter {
    var minimumFractionDigits: Int = 0
    var maximumFractionDigits: Int = 2
    var numberStyle: Any? = null
    fun string(from: Number): String? = java.text.NumberFormat.getInstance().also {
        it.minimumFractionDigits = minimumFractionDigits
        it.maximumFractionDigits = maximumFractionDigits
    }.format(from)
}

// ---------------------------------------------------------------------------
// Dates, UUIDs and URLs (Swift's Date, UUID and URL are java.util.Date, java.util.UUID and String)

object Date {
    operator fun invoke(): java.util.Date = java.util.Date()
    operator fun invoke(timeIntervalSinceNow: Number): java.util.Date =
        java.util.Date(System.currentTimeMillis() + (timeIntervalSinceNow.toDouble() * 1000).toLong())
    operator fun invoke(timeIntervalSince1970: Number, unusedTail: Unit = Unit): java.util.Date =
        java.util.Date((timeIntervalSince1970.toDouble() * 1000).toLong())
    operator fun invoke(timeInterval: Number, since: java.util.Date): java.util.Date =
        java.util.Date(since.time + (timeInterval.toDouble() * 1000).toLong())
    val now: java.util.Date get() = java.util.Date()
    val distantFuture: java.util.Date get() = java.util.Date(Long.MAX_VALUE / 2)
    val distantPast: java.util.Date get() = java.util.Date(Long.MIN_VALUE / 2)

    /**
     * A date format assembled like Swift's `.dateTime.day().month(.wide)`:
     * every call adds a field; no field at all means date and time in the
     * default form. `FormatStyle(date:time:)` takes Swift's levels instead.
     */
    class FormatStyle private constructor(
        private val fields: List<Pair<String, String?>>,
        private val levels: Pair<FormatStyleLevel, FormatStyleLevel>?,
        var timeZone: TimeZone?,
    ) {
        constructor(date: FormatStyleLevel = FormatStyleLevel.numeric, time: FormatStyleLevel = FormatStyleLevel.shortened) :
            this(emptyList(), Pair(date, time), null)

        fun year(width: String? = null) = with("year", width)
        fun month(width: String? = null) = with("month", width)
        fun day(width: String? = null) = with("day", width)
        fun weekday(width: String? = null) = with("weekday", width)
        fun hour(width: String? = null) = with("hour", width)
        fun minute(width: String? = null) = with("minute", width)
        fun second(width: String? = null) = with("second", width)
        private fun with(field: String, width: String?) = FormatStyle(fields + Pair(field, width), null, timeZone)

        internal fun pattern(): String {
            if (fields.isEmpty()) return "d.M.yyyy, HH:mm"
            val parts = fields.map { (field, width) ->
                when (field) {
                    "year" -> if (width == "twoDigits") "yy" else "yyyy"
                    "month" -> when (width) {
                        "wide" -> "MMMM"
                        "narrow" -> "MMMMM"
                        "twoDigits" -> "MM"
                        "abbreviated" -> "MMM"
                        else -> "MMM"
                    }
                    "day" -> if (width == "twoDigits") "dd" else "d"
                    "weekday" -> if (width == "wide") "EEEE" else "EEE"
                    "hour" -> "HH"
                    "minute" -> "mm"
                    else -> "ss"
                }
            }
            return parts.joinToString(" ")
        }

        fun format(date: java.util.Date): String {
            val format = if (levels != null) levelFormat(levels.first, levels.second) ?: return ""
            else java.text.SimpleDateFormat(pattern(), Locale.getDefault())
            timeZone?.let { format.timeZone = it.zone }
            return format.format(date)
        }

        companion object {
            val dateTime: FormatStyle get() = FormatStyle(emptyList(), null, null)
        }
    }
}

typealias DateFormatStyle = Date.FormatStyle

/** Swift's TimeZone: a zone known by its identifier. */
class TimeZone internal constructor(internal val zone: java.util.TimeZone) {
    val identifier: String get() = zone.id
    fun secondsFromGMT(`for`: java.util.Date = java.util.Date()): Int = zone.getOffset(`for`.time) / 1000
    override fun equals(other: Any?): Boolean = other is TimeZone && other.zone.id == zone.id
    override fun hashCode(): Int = zone.id.hashCode()
    override fun toString(): String = zone.id

    companion object {
        val current: TimeZone get() = TimeZone(java.util.TimeZone.getDefault())
        val autoupdatingCurrent: TimeZone get() = current
        val gmt: TimeZone get() = TimeZone(java.util.TimeZone.getTimeZone("GMT"))
        /** Nil for an identifier the platform does not know (it would silently answer GMT). */
        operator fun invoke(identifier: String): TimeZone? =
            java.util.TimeZone.getTimeZone(identifier).takeIf { it.id == identifier }?.let { TimeZone(it) }
        operator fun invoke(secondsFromGMT: Int): TimeZone? =
            if (Math.abs(secondsFromGMT) > 18 * 3600) null else TimeZone(java.util.SimpleTimeZone(secondsFromGMT * 1000, "GMT"))
    }
}

val distantFuture: java.util.Date get() = Date.distantFuture
val distantPast: java.util.Date get() = Date.distantPast

val java.util.Date.timeIntervalSince1970: Double get() = time / 1000.0
val java.util.Date.timeIntervalSinceNow: Double get() = (time - System.currentTimeMillis()) / 1000.0
fun java.util.Date.timeIntervalSince(other: java.util.Date): Double = (time - other.time) / 1000.0
fun java.util.Date.addingTimeInterval(interval: Number): java.util.Date = java.util.Date(time + (interval.toDouble() * 1000).toLong())
fun java.util.Date.distance(to: java.util.Date): Double = (to.time - time) / 1000.0

fun UUID(): java.util.UUID = java.util.UUID.randomUUID()
fun UUID(uuidString: String): java.util.UUID? = try {
    java.util.UUID.fromString(uuidString)
} catch (e: IllegalArgumentException) {
    null
}
val java.util.UUID.uuidString: String get() = toString().uppercase()

/** A URL is its text; an invalid one gives null like Swift's failable initialiser. */
fun URL(string: String): String? = try {
    java.net.URI(string)
    string
} catch (e: java.net.URISyntaxException) {
    null
}
fun URL(fileURLWithPath: String, unusedTail: Unit = Unit): String = "file://$fileURLWithPath"

/**
 * Calendar arithmetic on java.util.Date, named as in Swift's Calendar (which
 * is this class under its Swift name). A value, like Swift's: Calendar.current
 * hands out a fresh one, so changing its time zone changes no other.
 */
class SwiftCalendar(identifier: Any? = null) {
    var timeZone: TimeZone = TimeZone.current
    var locale: Any? = null

    enum class Component { era, year, month, day, hour, minute, second, weekday, weekOfYear, nanosecond }
    enum class MatchingPolicy { nextTime, strict, previousTimePreservingSmallerComponents, nextTimePreservingSmallerComponents }

    private fun field(component: Component): Int = when (component) {
        Component.era -> java.util.Calendar.ERA
        Component.year -> java.util.Calendar.YEAR
        Component.month -> java.util.Calendar.MONTH
        Component.day -> java.util.Calendar.DAY_OF_MONTH
        Component.hour -> java.util.Calendar.HOUR_OF_DAY
        Component.minute -> java.util.Calendar.MINUTE
        Component.second -> java.util.Calendar.SECOND
        Component.weekday -> java.util.Calendar.DAY_OF_WEEK
        Component.weekOfYear -> java.util.Calendar.WEEK_OF_YEAR
        Component.nanosecond -> java.util.Calendar.MILLISECOND
    }

    private fun calendar(date: java.util.Date): java.util.Calendar = java.util.Calendar.getInstance(timeZone.zone).apply { time = date }

    fun component(component: Component, from: java.util.Date): Int {
        val value = calendar(from).get(field(component))
        return when (component) {
            Component.month -> value + 1
            Component.nanosecond -> value * 1_000_000
            else -> value
        }
    }

    fun date(byAdding: Component, value: Int, to: java.util.Date): java.util.Date? =
        calendar(to).apply { add(field(byAdding), if (byAdding == Component.nanosecond) value / 1_000_000 else value) }.time

    fun startOfDay(`for`: java.util.Date): java.util.Date = calendar(`for`).apply {
        set(java.util.Calendar.HOUR_OF_DAY, 0)
        set(java.util.Calendar.MINUTE, 0)
        set(java.util.Calendar.SECOND, 0)
        set(java.util.Calendar.MILLISECOND, 0)
    }.time

    fun date(bySettingHour: Int, minute: Int, second: Int, of: java.util.Date): java.util.Date? = calendar(of).apply {
        set(java.util.Calendar.HOUR_OF_DAY, bySettingHour)
        set(java.util.Calendar.MINUTE, minute)
        set(java.util.Calendar.SECOND, second)
        set(java.util.Calendar.MILLISECOND, 0)
    }.time

    fun isDate(date: java.util.Date, inSameDayAs: java.util.Date): Boolean = startOfDay(date) == startOfDay(inSameDayAs)
    fun isDateInToday(date: java.util.Date): Boolean = isDate(date, java.util.Date())
    fun isDateInYesterday(date: java.util.Date): Boolean = isDate(date, java.util.Date(System.currentTimeMillis() - 86_400_000L))
    fun isDateInTomorrow(date: java.util.Date): Boolean = isDate(date, java.util.Date(System.currentTimeMillis() + 86_400_000L))
    fun isDateInWeekend(date: java.util.Date): Boolean = calendar(date).get(java.util.Calendar.DAY_OF_WEEK).let {
        it == java.util.Calendar.SATURDAY || it == java.util.Calendar.SUNDAY
    }

    fun dateComponents(components: Iterable<Component>, from: java.util.Date): DateComponents {
        val out = DateComponents()
        for (component in components) out[component] = component(component, from)
        return out
    }

    /** The difference between two dates in the given components, largest first. */
    fun dateComponents(components: Iterable<Component>, from: java.util.Date, to: java.util.Date): DateComponents {
        val out = DateComponents()
        var seconds = (to.time - from.time) / 1000
        val unitSeconds = linkedMapOf(
            Component.year to 31_536_000L, Component.month to 2_592_000L, Component.weekOfYear to 604_800L,
            Component.day to 86_400L, Component.hour to 3_600L, Component.minute to 60L, Component.second to 1L,
        )
        for ((component, unit) in unitSeconds) {
            if (component in components) {
                out[component] = (seconds / unit).toInt()
                seconds %= unit
            }
        }
        return out
    }

    fun date(from: DateComponents): java.util.Date? = java.util.Calendar.getInstance(timeZone.zone).apply {
        clear()
        from.year?.let { set(java.util.Calendar.YEAR, it) }
        from.month?.let { set(java.util.Calendar.MONTH, it - 1) }
        from.day?.let { set(java.util.Calendar.DAY_OF_MONTH, it) }
        from.hour?.let { set(java.util.Calendar.HOUR_OF_DAY, it) }
        from.minute?.let { set(java.util.Calendar.MINUTE, it) }
        from.second?.let { set(java.util.Calendar.SECOND, it) }
    }.time

    /**
     * The first moment after the date whose day matches the given year, month,
     * day and weekday and whose time is the given hour, minute and second
     * (zero where not given). Days that lack a match are skipped, whatever
     * the policy; eight years on without one give nil.
     */
    fun nextDate(after: java.util.Date, matching: DateComponents, matchingPolicy: MatchingPolicy = MatchingPolicy.nextTime): java.util.Date? {
        val day = calendar(startOfDay(after))
        repeat(366 * 8) {
            val matches = (matching.year == null || matching.year == day.get(java.util.Calendar.YEAR)) &&
                (matching.month == null || matching.month == day.get(java.util.Calendar.MONTH) + 1) &&
                (matching.day == null || matching.day == day.get(java.util.Calendar.DAY_OF_MONTH)) &&
                (matching.weekday == null || matching.weekday == day.get(java.util.Calendar.DAY_OF_WEEK))
            if (matches) {
                val candidate = (day.clone() as java.util.Calendar).apply {
                    set(java.util.Calendar.HOUR_OF_DAY, matching.hour ?: 0)
                    set(java.util.Calendar.MINUTE, matching.minute ?: 0)
                    set(java.util.Calendar.SECOND, matching.second ?: 0)
                }
                if (candidate.time.after(after)) return candidate.time
            }
            day.add(java.util.Calendar.DAY_OF_MONTH, 1)
        }
        return null
    }

    /** The interval of the day, week, month or year that holds the date. */
    fun dateInterval(of: Component, `for`: java.util.Date): DateInterval? {
        val start = calendar(startOfDay(`for`))
        when (of) {
            Component.day -> Unit
            Component.weekOfYear, Component.weekday -> {
                val back = (start.get(java.util.Calendar.DAY_OF_WEEK) - firstWeekday + 7) % 7
                start.add(java.util.Calendar.DAY_OF_MONTH, -back)
            }
            Component.month -> start.set(java.util.Calendar.DAY_OF_MONTH, 1)
            Component.year -> start.set(java.util.Calendar.DAY_OF_YEAR, 1)
            else -> return null
        }
        val end = start.clone() as java.util.Calendar
        when (of) {
            Component.weekOfYear, Component.weekday -> end.add(java.util.Calendar.DAY_OF_MONTH, 7)
            else -> end.add(field(of), 1)
        }
        return DateInterval(start.time, end.time)
    }

    val firstWeekday: Int get() = java.util.Calendar.getInstance(timeZone.zone).firstDayOfWeek
    val weekdaySymbols: MutableList<String> get() = symbols.weekdays.drop(1).toMutableList()
    val shortWeekdaySymbols: MutableList<String> get() = symbols.shortWeekdays.drop(1).toMutableList()
    val veryShortWeekdaySymbols: MutableList<String> get() = shortWeekdaySymbols.map { it.take(1) }.toMutableList()
    val monthSymbols: MutableList<String> get() = symbols.months.take(12).toMutableList()
    val shortMonthSymbols: MutableList<String> get() = symbols.shortMonths.take(12).toMutableList()
    private val symbols get() = java.text.DateFormatSymbols.getInstance(Locale.getDefault())

    companion object {
        val current: SwiftCalendar get() = SwiftCalendar()
        val autoupdatingCurrent: SwiftCalendar get() = current
    }
}

typealias Calendar = SwiftCalendar

/** Swift's DateInterval; like Swift's, it contains its end. */
data class DateInterval(val start: java.util.Date, val end: java.util.Date) {
    val duration: Double get() = (end.time - start.time) / 1000.0
    fun contains(date: java.util.Date): Boolean = !date.before(start) && !date.after(end)
}

class DateComponents(
    var year: Int? = null, var month: Int? = null, var day: Int? = null,
    var hour: Int? = null, var minute: Int? = null, var second: Int? = null,
    var weekday: Int? = null, var weekOfYear: Int? = null,
) {
    operator fun set(component: SwiftCalendar.Component, value: Int) {
        when (component) {
            SwiftCalendar.Component.year -> year = value
            SwiftCalendar.Component.month -> month = value
            SwiftCalendar.Component.day -> day = value
            SwiftCalendar.Component.hour -> hour = value
            SwiftCalendar.Component.minute -> minute = value
            SwiftCalendar.Component.second -> second = value
            SwiftCalendar.Component.weekday -> weekday = value
            SwiftCalendar.Component.weekOfYear -> weekOfYear = value
            else -> Unit
        }
    }
}


// ---------------------------------------------------------------------------
// Concurrency: Task { } runs on the main thread like work started from a view

/** A started task; cancelling it cancels its coroutine. */
class SwiftTask internal constructor(private val job: Job) {
    fun cancel() = job.cancel()
    val isCancelled: Boolean get() = job.isCancelled

    companion object {
        /** Throws (a cancellation) when the running task has been cancelled. */
        suspend fun checkCancellation() = currentCoroutineContext().ensureActive()
        suspend fun yield() = kotlinx.coroutines.yield()
    }
}

/** Swift's `Task<Success, Failure>` as a stored type; the result type is not kept. */
typealias Task<Success, Failure> = SwiftTask

internal val swiftTaskScope = CoroutineScope(SupervisorJob() + Dispatchers.Main)

fun Task(priority: Any? = null, operation: suspend () -> Unit): SwiftTask =
    SwiftTask(swiftTaskScope.launch { operation() })

object TaskStatic {
    suspend fun sleep(nanoseconds: Long) = kotlinx.coroutines.delay(nanoseconds / 1_000_000)
    suspend fun yield() = kotlinx.coroutines.yield()
}

object MainActor {
    suspend fun <T> run(body: () -> T): T = withContext(Dispatchers.Main) { body() }
}

/** Swift's animation block; the state change itself is all that happens. */
fun <T> withAnimation(animation: Any? = null, body: () -> T): T = body()

// ---------------------------------------------------------------------------
// Stored preferences outside views (UserDefaults), kept in SharedPreferences

class SwiftUserDefaults internal constructor() {
    private val memory = HashMap<String, Any?>()
    private val preferences get() = SwiftApp.context?.getSharedPreferences("tovrane", android.content.Context.MODE_PRIVATE)

    fun set(value: Any?, forKey: String) {
        val prefs = preferences
        if (prefs == null) {
            memory[forKey] = value
            return
        }
        val editor = prefs.edit()
        when (value) {
            null -> editor.remove(forKey)
            is String -> editor.putString(forKey, value)
            is Int -> editor.putInt(forKey, value)
            is Long -> editor.putLong(forKey, value)
            is Boolean -> editor.putBoolean(forKey, value)
            is Double -> editor.putString(forKey, "d:$value")
            is Float -> editor.putFloat(forKey, value)
            else -> editor.putString(forKey, swiftDescription(value))
        }
        editor.apply()
    }

    private fun raw(key: String): Any? {
        val prefs = preferences ?: return memory[key]
        if (!prefs.contains(key)) return null
        return try {
            prefs.getString(key, null)?.let { if (it.startsWith("d:")) it.substring(2).toDoubleOrNull() ?: it else it }
        } catch (e: ClassCastException) {
            readOther(prefs, key)
        }
    }

    private fun readOther(prefs: android.content.SharedPreferences, key: String): Any? =
        listOf<() -> Any?>({ prefs.getInt(key, 0) }, { prefs.getLong(key, 0L) }, { prefs.getBoolean(key, false) }, { prefs.getFloat(key, 0f) })
            .firstNotNullOfOrNull { read -> try { read() } catch (e: ClassCastException) { null } }

    fun string(forKey: String): String? = raw(forKey) as? String
    fun integer(forKey: String): Int = (raw(forKey) as? Number)?.toInt() ?: 0
    fun double(forKey: String): Double = (raw(forKey) as? Number)?.toDouble() ?: 0.0
    fun bool(forKey: String): Boolean = raw(forKey) as? Boolean ?: false
    fun `object`(forKey: String): Any? = raw(forKey)
    fun removeObject(forKey: String) = set(null, forKey)
}

object UserDefaults {
    val standard: SwiftUserDefaults = SwiftUserDefaults()
}

// ---------------------------------------------------------------------------
// The application: the activity hands over its context before anything runs

object SwiftApp {
    var context: android.content.Context? = null
}
