// Automatisch aus Sources/Library.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.sample

import androidx.compose.runtime.*
import tovrane.runtime.*
enum class LibraryError {
    empty,
    tooLong;
}

fun conversions(text: String, value: Double): String {
    val a = (Int(text) ?: 0)
    val b = Int(value)
    val c = (Double("3.5") ?: 0.0)
    val d = String(a)
    val e = String(describing = value)
    val f = String(format = "%.2f %d %@", value, a, d)
    val g = String(localized = "key")
    val h = String(repeating = "-", count = 3)
    val i = Int64(a)
    val j = CGFloat(2)
    val k = Float(value)
    val l = UInt(a)
    val m = TimeInterval(60)
    val n = Character("x")
    val o = Bool("true")
    val p = String(text)
    val q = String(value)
    return "${a}${b}${c}${d}${e}${f}${g}${h}${i}${j}${k}${l}${m}${n}${o}${p}${q}"
}

fun math(x: Int, y: Double): Double {
    val a = min(x, 3)
    val b = max(1.0, y)
    val c = max(0, y)
    val d = abs((x - 10))
    val e = sqrt(y)
    val f = pow(2, 10)
    val g = round(y)
    val h = floor(y)
    val i = ceil(y)
    val j = y.rounded(RoundingRule.up)
    val k = y.rounded()
    val l = x.isMultiple(of = 2)
    val m = Math.PI
    val n = Double.infinity
    val o = Int.MAX_VALUE
    val p = Int.random(`in` = (1..6))
    val q = Double.random(`in` = (0.0..1.0))
    val r = Bool.random()
    val s = min("a", "b", "c")
    return (((((a + b) + c) + d) + e) + ((f + g) + ((h + i) + j)))
}

fun collections(items: MutableList<Int>, names: MutableList<String>, counts: MutableMap<String, Int>) {
    items.append(4)
    items.append(contentsOf = mutableListOf(5, 6))
    items.insert(0, at = 0)
    val removed = items.remove(at = 0)
    items.removeAll(where = { (it > 10) })
    items.removeAll { (it > 20) }
    val last = items.popLast()
    items.swapAt(0, 1)
    items.sort(by = { a, b -> (a > b) })
    items.removeFirst()
    items.removeAll()
    val total = items.count
    val empty = items.isEmpty
    val first = items.first
    val lastValue = items.last
    val evens = items.filter_ { ((it % 2) == 0) }
    val doubled = items.map_ { (it * 2) }
    val flat = mutableListOf(items, items).flatMap_ { it }
    val parsed = names.compactMap { Int(it) }
    val all = items.allSatisfy { (it > 0) }
    val joined = names.joined(separator = ", ")
    val sorted = items.sorted_()
    val sortedBy = items.sorted(by = { a, b -> (a > b) })
    val reversed = items.reversed_()
    val shuffled = items.shuffled_()
    val dropped = items.dropLast_()
    val found = items.first(where = { (it > 2) })
    val foundTrailing = items.first { (it > 2) }
    val index = items.firstIndex(of = 3)
    val whereIndex = items.firstIndex(where = { (it == 3) })
    val any = items.any { (it > 2) }
    val has = items.contains(3)
    val biggest = items.max()
    val sum = items.reduce(0, { a, b -> (a + b) })
    val keys = counts.keys_
    val values = counts.values_
    val pairs = counts.sorted(by = { a, b -> (a < b) })
    val byKey = counts.sorted(by = { p0, p1 -> (p0.key < p1.key) })
    val firstKey = byKey.first?.key
    val mapped = counts.map_ { (k, v) -> "${k}=${v}" }
    counts.updateValue(1, forKey = "a")
    counts.removeValue(forKey = "b")
    val fallback = (counts["x"] ?: 0)
    val set = Set(items)
    val other = mutableSetOf<Int>(1, 2)
    other.insert(3)
    other.formUnion(set)
    val union = set.union(other)
    val grouped = Dictionary(grouping = items, by = { (it % 2) })
    val filled = Array(repeating = 0, count = 3)
    val copied = Array(items)
    val repeated = repeatElement("x", count = 2)
    val pairsZip = zip(items, names)
    for ((offset, element) in items.enumerated()) {
        swiftPrint(offset, element)
    }
    for (i in strideThrough(from = 0, through = 10, by = 2)) {
        swiftPrint(i)
    }
    for (i in stride(from = 10, to = 0, by = -2)) {
        swiftPrint(i)
    }
    for (i in (0 until 3).reversed_()) {
        swiftPrint(i)
    }
    val tail = items[swiftRangeFrom(1)]
    val head = items[swiftRangeUpTo(2)]
    val middle = items[(1 until 2)]
    val kind = type(of = items)
}

fun strings(text: String): String {
    val a = text.count
    val b = text.isEmpty
    val c = text.uppercased()
    val d = text.lowercased().capitalized
    val e = text.hasPrefix("a")
    val f = text.hasSuffix("z")
    val g = text.contains("b")
    val h = text.replacingOccurrences(of = "a", with = "b")
    val i = text.components(separatedBy = ",")
    val j = text.split(separator = " ")
    val k = text.trimmingCharacters(`in` = null)
    val l = text.prefix(3)
    val m = text.suffix(2)
    val n = text.dropFirst()
    val o = text.first
    val p = text.reversed_()
    val q = text.localizedCaseInsensitiveContains("x")
    val r = text.filter_ { it.isLetter }
    val s = text.map_ { it.uppercased() }.joined()
    return "${a}${b}${c}${d}${e}${f}${g}${h}${i}${j}${k}${l}${m}${n}${o}${p}${q}${r}${s}"
}

fun dates(): String {
    val now = Date()
    val later = Date(timeIntervalSinceNow = 3600)
    val epoch = Date(timeIntervalSince1970 = 0)
    val tomorrow = Calendar.current.date(byAdding = SwiftCalendar.Component.day, value = 1, to = now)
    val start = Calendar.current.startOfDay(`for` = now)
    val day = Calendar.current.component(SwiftCalendar.Component.day, from = now)
    val diff = Calendar.current.dateComponents(mutableListOf(SwiftCalendar.Component.day), from = now, to = later).day
    val today = Calendar.current.isDateInToday(now)
    val seconds = later.timeIntervalSince(now)
    val text = now.formatted(DateFormatStyle.dateTime.day().month("wide").year())
    val short = now.formatted(date = FormatStyleLevel.numeric, time = FormatStyleLevel.omitted)
    val formatter = DateFormatter()
    formatter.dateFormat = "yyyy-MM-dd"
    val formatted = formatter.string(from = now)
    val id = UUID().uuidString
    val parsedId = UUID(uuidString = id)
    val url = URL(string = "https://example.com")!!
    val host = url.absoluteString
    val far = distantFuture
    val stamp = now.timeIntervalSince1970
    UserDefaults.standard.set(3, forKey = "launches")
    val launches = UserDefaults.standard.integer(forKey = "launches")
    return "${later}${epoch}${tomorrow}${start}${day}${diff}${today}${seconds}${text}${short}${formatted}${parsedId}${host}${far}${stamp}${launches}"
}

fun errors(value: Int): Int {
    try {
        if ((value < 0)) {
            throw SwiftError(LibraryError.empty)
        }
        check((value < 100))
    } catch (error: Exception) {
        swiftPrint(error.message)
        return 0
    }
    val x = runCatching { errors((value - 1)) }.getOrNull()
    when (value) {
        in swiftRangeFrom(10) -> return 10
        in swiftRangeThrough(2) -> return 2
        else -> return value
    }
}

suspend fun work(): Int {
    TaskStatic.sleep(1000000L)
    Task.checkCancellation()
    kotlinx.coroutines.delay(1000)
    MainActor.run { swiftPrint("main") }
    return 1
}

var running: Task<Unit, Never>? = null

fun startWork() {
    running?.cancel()
    val task = Task {
        work()
    }
    task.cancel()
    run {
        swiftPrint("animated")
    }
    val c = Color(red = 1, green = 0.5, blue = 0)
    val d = Color("AccentColor")
    val e = Color.black.opacity(0.1)
    val f = Font.system(Font.title, design = FontDesign.rounded).bold()
    val g = Angle(degrees = 45)
    val h = Color(hue = 0.5, saturation = 1, brightness = 1)
}
@Composable @NonSkippableComposable
fun Shell(mod: Mod = Mod()) {
    val self = remember { ShellView() }
    Apply(mod) { self.body() }
}

class ShellView() {
    var choice by mutableStateOf<String>("a", neverEqualPolicy())
    var amount by mutableStateOf<Double>(1.0, neverEqualPolicy())
    @Composable @NonSkippableComposable
    fun body() {
        TabView {
            NavigationStack {
                VStack {
                    NavigationLink("Weiter", destination = { Text("Ziel") })
                    Picker(selection = Binding({ choice }, { choice = it }), label = { Text("Wahl") }) {
                        Text("A", mod = Mod().tag("a"))
                        Text("B", mod = Mod().tag("b"))
                    }
                    TextField("Betrag", value = Binding({ amount }, { amount = it }), format = null)
                    Button("Aus", mod = Mod().disabled(true)) {
                    }
                    Text(amount)
                    Text(Date(), mod = Mod().font(Font.caption))
                    Text("Summe: ${String(format = "%.2f", amount)}", mod = Mod().frame(maxWidth = Double.infinity, alignment = Alignment.leading))
                }
            }
            Text("Zweiter", mod = Mod().tabItem(label = {
                Image(systemName = "star")
                Text("Favoriten")
            }))
        }
    }
}
