// Runs on the JVM after the compile check: the Swift semantics of the runtime's
// library functions, where Kotlin's own would answer differently.
package tovrane.check

import tovrane.runtime.*

private var failures = 0

private fun expect(actual: Any?, expected: Any?, what: String) {
    if (actual != expected) {
        failures += 1
        System.err.println("FAIL $what: expected <$expected>, got <$actual>")
    }
}

private fun formatting() {
    expect(String(format = "%.2f", 3.14159), "3.14", "two decimals, independent of the locale")
    expect(String(format = "%@ has %ld", "list", 3), "list has 3", "%@ and %ld")
    expect(String(format = "%d%%", 50), "50%", "escaped percent")
    expect(String(format = "%d", "not a number"), "%d", "a bad argument keeps the format instead of throwing")
    expect(String(describing = null), "nil", "nil")
    expect(String(mutableListOf("a", "b")), "[\"a\", \"b\"]", "array description")
    expect(String(mutableMapOf("k" to 1)), "[\"k\": 1]", "dictionary description")
    expect(String(mutableMapOf<String, Int>()), "[:]", "empty dictionary")
    expect(String(2.5), "2.5", "double")
    val text = "50%d %@"
    expect(String(text), "50%d %@", "String of a text is the text, never a format")
}

private fun conversions() {
    expect(Int("12"), 12, "Int of text")
    expect(Int("1x"), null, "Int of bad text is nil")
    expect(Int(3.9), 3, "Int of a double truncates")
    expect(Double("2.5"), 2.5, "Double of text")
    expect(UInt(-3), 0, "UInt never negative")
}

private fun rounding() {
    expect(2.5.rounded(), 3.0, "schoolbook rounding")
    expect((-2.5).rounded(), -3.0, "away from zero for negatives")
    expect(2.5.rounded(RoundingRule.toNearestOrEven), 2.0, "banker's rounding")
    expect(2.1.rounded(RoundingRule.up), 3.0, "up")
    expect((-2.7).rounded(RoundingRule.towardZero), -2.0, "toward zero")
    expect(round(-2.5), -3.0, "global round, half away from zero")
    expect("hello  big world".capitalized, "Hello  Big World", "capitalized keeps the spacing")
}

private fun ranges() {
    expect(strideThrough(from = 0, through = 10, by = 5), listOf(0, 5, 10), "stride through includes the end")
    expect(stride(from = 0, to = 10, by = 5), listOf(0, 5), "stride to excludes the end")
    expect(stride(from = 10, to = 0, by = -5), listOf(10, 5), "negative stride")
    expect(stride(from = 0, to = 3, by = 0), emptyList<Int>(), "zero step does not loop forever")
    expect(5 in swiftRangeFrom(5), true, "5...")
    expect(5 in swiftRangeUpTo(5), false, "..<5")
    expect(5 in swiftRangeThrough(5), true, "...5")
    val list = mutableListOf(1, 2, 3, 4)
    expect(list[swiftRangeFrom(1)], listOf(2, 3, 4), "list[1...]")
    expect(list[swiftRangeUpTo(2)], listOf(1, 2), "list[..<2]")
    expect(list[swiftRangeThrough(2)], listOf(1, 2, 3), "list[...2]")
    expect(list[(1 until 3)], listOf(2, 3), "list[1..<3]")
}

private fun collections() {
    val list = mutableListOf("a", "b", "c", "d")
    list.move(fromOffsets = listOf(0), toOffset = 3)
    expect(list, listOf("b", "c", "a", "d"), "move down, as List.onMove hands it over")
    list.move(fromOffsets = listOf(3), toOffset = 0)
    expect(list, listOf("d", "b", "c", "a"), "move up")
    list.remove(atOffsets = listOf(0, 2))
    expect(list, listOf("b", "a"), "remove at offsets")
    val offsets = IndexSet()
    offsets.add(2)
    offsets.add(0)
    expect(offsets.toList(), listOf(0, 2), "an index set iterates in ascending order")
    expect(list.first(where = { it == "z" }), null, "first(where:) finds nothing without throwing")
    expect(list.first { it == "a" }, "a", "trailing-closure first")
    expect(mutableListOf<Int>().first, null, "first of empty")
    expect(mutableListOf<Int>().max(), null, "max of empty")
    expect(mutableListOf(3, 1, 2).sorted(by = { a, b -> a > b }), listOf(3, 2, 1), "sorted(by:)")
    expect("a  b ".split(separator = " "), listOf("a", "b"), "split drops empty pieces")
    expect("a,,b".components(separatedBy = ","), listOf("a", "", "b"), "components keeps them")
    expect("a\n\nb".split(separator = "\n", omittingEmptySubsequences = false), listOf("a", "", "b"), "split keeps empty pieces when asked")
    expect("a b\nc ".split { it.isWhitespace || it.isNewline }, listOf("a", "b", "c"), "split(whereSeparator:)")
    expect("a,b,c".split(maxSplits = 1, whereSeparator = { it == ',' }), listOf("a", "b,c"), "split stops after maxSplits")
    expect(",".split(omittingEmptySubsequences = false, whereSeparator = { it == ',' }), listOf("", ""), "empty pieces around a lone separator")
    expect(mutableMapOf("a" to 2).mapValues { it * 10 }, mapOf("a" to 20), "mapValues hands over the value")
    expect(1.5.clamped(to = (0..1)), 1.0, "a double clamped to an integer range")
    expect(Pair((1.5..4.0).lowerBound, (1.5..4.0).upperBound), Pair(1.5, 4.0), "bounds of a closed range")
    expect((0 until 3).upperBound, 3, "a half-open range's upper bound is past its end")
    expect(Dictionary(grouping = listOf(1, 2, 3), by = { it % 2 }), mapOf(1 to listOf(1, 3), 0 to listOf(2)), "grouping")
    val counts = mutableMapOf("a" to 1)
    counts.merge(mapOf("a" to 2, "b" to 5)) { old, new -> old + new }
    expect(counts, mapOf("a" to 3, "b" to 5), "merge combines shared keys")
    expect(mutableMapOf("b" to 1, "a" to 2).sorted(by = { a, b -> a < b }).map { it.key }, listOf("a", "b"), "dictionary sorted by <")
    expect(mutableListOf(1, 2, 3).reduce(10, { a, b -> a + b }), 16, "reduce with an initial value")
    expect(mutableListOf(1, 2, 3).reversed_(), listOf(3, 2, 1), "reversed")
    expect(mutableListOf(1, 2, 3).dropLast_(), listOf(1, 2), "dropLast")
    expect(zip(listOf(1, 2, 3), listOf("a", "b")), listOf(1 to "a", 2 to "b"), "zip stops at the shorter")
    val first = mutableListOf(1)
    val joined: MutableList<Int> = first + mutableListOf(2)
    joined.append(3)
    expect(Pair(first, joined), Pair(listOf(1), listOf(1, 2, 3)), "array + array is a new mutable array")
    val popped = mutableListOf<Int>().popLast()
    expect(popped, null, "popLast of empty")
}

private fun datesAndIds() {
    val start = Date(timeIntervalSince1970 = 0)
    val later = start.addingTimeInterval(2 * 86_400 + 3_600)
    val parts = Calendar.current.dateComponents(listOf(SwiftCalendar.Component.day, SwiftCalendar.Component.hour), from = start, to = later)
    expect(Pair(parts.day, parts.hour), Pair(2, 1), "date difference in days and hours")
    expect(later.timeIntervalSince(start), 176_400.0, "interval in seconds")
    expect(TimeZone(identifier = "Nowhere/Atlantis"), null, "an unknown time zone is nil, not GMT")
    val utc = TimeZone(identifier = "UTC")!!
    val calendar = Calendar.current
    calendar.timeZone = utc
    expect(Calendar.current.timeZone, TimeZone.current, "Calendar.current is a fresh value, untouched by the change above")
    val noon = Date(timeIntervalSince1970 = 12 * 3600)
    expect(calendar.startOfDay(`for` = noon), start, "start of day in the calendar's zone")
    val day = calendar.dateInterval(of = SwiftCalendar.Component.day, `for` = noon)!!
    expect(Pair(day.start, day.duration), Pair(start, 86_400.0), "a day's interval")
    expect(day.contains(day.end), true, "an interval contains its end")
    val week = calendar.dateInterval(of = SwiftCalendar.Component.weekOfYear, `for` = noon)!!
    expect(week.duration == 7 * 86_400.0 && week.contains(noon), true, "a week's interval holds the date")
    expect(calendar.weekdaySymbols.size, 7, "seven weekday names, Sunday first")
    // 1 January 1970 was a Thursday (weekday 5).
    expect(calendar.nextDate(after = noon, matching = DateComponents(weekday = 5, hour = 9)), Date(timeIntervalSince1970 = (7 * 24 + 9) * 3600), "the same weekday's hour already passed: a week on")
    expect(calendar.nextDate(after = noon, matching = DateComponents(hour = 13)), Date(timeIntervalSince1970 = 13 * 3600), "a later hour the same day")
    expect(calendar.nextDate(after = noon, matching = DateComponents(month = 2, day = 30)), null, "a day that never comes")
    expect(Date.FormatStyle(date = FormatStyleLevel.omitted, time = FormatStyleLevel.omitted).format(noon), "", "both levels omitted")
    val style = DateFormatStyle.dateTime.hour()
    style.timeZone = utc
    expect(style.format(noon), "12", "a style formats in its time zone")
    val id = UUID().uuidString
    expect(id, id.uppercase(), "uuidString is upper case")
    expect(UUID(uuidString = "nonsense"), null, "bad UUID text")
    expect(URL(string = "https://example.com/a b"), null, "bad URL text")
    expect(String(data = "grün".toByteArray()), "grün", "String(data:encoding:)")
    expect(String(data = byteArrayOf(0xC3.toByte())), null, "String(data:) of broken UTF-8 is nil")
}

private fun values() {
    val red = Color(hue = 0, saturation = 1, brightness = 1)
    expect(Triple(red.red, red.green, red.blue), Triple(1f, 0f, 0f), "hue 0 is red")
    val half = Color.blue.opacity(0.5)
    expect(Math.abs(half.alpha - 0.5f) < 0.01f, true, "opacity")
    var stored = 1
    val binding = Binding({ stored }, { stored = it })
    binding.value = 5
    expect(stored, 5, "binding writes through")
    expect(Binding.constant(3).value, 3, "constant binding")
    val trailing = Binding(content = { stored * 2 }, set = { stored = it })
    trailing.value = 7
    expect(Pair(stored, trailing.value), Pair(7, 14), "binding from trailing closures reads and writes")
}

private fun assetNames() {
    // The same cleaning as the project writer's (AndroidProjectWriter::assetName).
    val cases = listOf("AppLogo" to "applogo", "hero-image 2" to "hero_image_2", "1st place" to "img_1st_place",
        "Caf\u00e9" to "caf_", "" to "img_", "\uD83D\uDC36View" to "_view", "\u65E5\u672C" to "__")
    for ((name, resource) in cases) expect(assetResourceName(name), resource, "resource name of $name")
}

fun main() {
    formatting()
    conversions()
    rounding()
    ranges()
    collections()
    datesAndIds()
    values()
    assetNames()
    if (failures > 0) {
        System.err.println("$failures behaviour check(s) failed")
        kotlin.system.exitProcess(1)
    }
    println("behaviour checks passed")
}
