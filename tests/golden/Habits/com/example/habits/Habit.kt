// Automatisch aus Habits/Habit.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.habits

import androidx.compose.runtime.*
import tovrane.runtime.*
enum class HabitCategory(val rawValue: String) {
    health("health"),
    mind("mind"),
    work("work"),
    social("social");
    val id: String
        get() = rawValue
    val title: String
        get() = rawValue.capitalized
    val symbol: String
        get() {
            return when (this) {
                HabitCategory.health -> {
                    "heart.fill"
                }
                HabitCategory.mind -> {
                    "brain.head.profile"
                }
                HabitCategory.work -> {
                    "briefcase.fill"
                }
                HabitCategory.social -> {
                    "person.2.fill"
                }
                else -> error("unerwarteter Fall")
            }
        }
    companion object {
        operator fun invoke(rawValue: String): HabitCategory? = entries.firstOrNull { it.rawValue == rawValue }
    }
}

sealed class Schedule {
    data object daily : Schedule()
    data object weekdays : Schedule()
    data class timesPerWeek(val value0: Int) : Schedule()
    data class everyNDays(val value0: Int) : Schedule()
    val summary: String
        get() {
            return run {
                val sw2 = this
                when {
                    sw2 == Schedule.daily -> {
                        "Every day"
                    }
                    sw2 == Schedule.weekdays -> {
                        "Monday to Friday"
                    }
                    (sw2 is Schedule.timesPerWeek && run { val count = (sw2 as Schedule.timesPerWeek).value0; (count == 1) }) -> {
                        val count = (sw2 as Schedule.timesPerWeek).value0
                        "Once a week"
                    }
                    sw2 is Schedule.timesPerWeek -> {
                        val count = (sw2 as Schedule.timesPerWeek).value0
                        "${count} times a week"
                    }
                    sw2 is Schedule.everyNDays -> {
                        val days = (sw2 as Schedule.everyNDays).value0
                        (if ((days == 2)) "Every other day" else "Every ${days} days")
                    }
                    else -> error("unerwarteter Fall")
                }
            }
        }
    val expectedPerWeek: Int
        get() {
            return when (val sw3 = this) {
                Schedule.daily -> {
                    7
                }
                Schedule.weekdays -> {
                    5
                }
                is Schedule.timesPerWeek -> {
                    val count = (sw3 as Schedule.timesPerWeek).value0
                    count
                }
                is Schedule.everyNDays -> {
                    val days = (sw3 as Schedule.everyNDays).value0
                    max((7 / max(days, 1)), 1)
                }
                else -> error("unerwarteter Fall")
            }
        }
}

data class Habit(
    var id: java.util.UUID = UUID(),
    var name: String,
    var category: HabitCategory,
    var schedule: Schedule,
    override var dailyTarget: Int = 1,
    var note: String? = null,
    var isArchived: Boolean = false,
    override var completions: MutableList<java.util.Date> = mutableListOf<java.util.Date>()
) : Trackable {
    val isDoneToday: Boolean
        get() = (completionsToday >= dailyTarget)
    val completionsToday: Int
        get() = completions.filter_ { Calendar.current.isDateInToday(it) }.count
    val lastCompleted: java.util.Date?
        get() = completions.max()
    val streak: Int
        get() {
            val calendar = Calendar.current
            var day = calendar.startOfDay(`for` = Date())
            var count = 0
            while (completions.contains(where = { calendar.isDate(it, inSameDayAs = day) })) {
                count += 1
                val previous = calendar.date(byAdding = SwiftCalendar.Component.day, value = -1, to = day)
                if (!(previous != null)) {
                    break
                }
                day = previous
            }
            return count
        }
    fun checkIn(at: java.util.Date = Date()) {
        val date = at
        if (!((completionsToday < dailyTarget))) {
            return
        }
        completions.append(date)
    }
    fun undoCheckIn() {
        if (!completions.isEmpty) {
            completions.removeLast()
        }
    }
    companion object {
        val samples: MutableList<Habit> = mutableListOf<Habit>(Habit(name = "Drink water", category = HabitCategory.health, schedule = Schedule.daily, dailyTarget = 8), Habit(name = "Read", category = HabitCategory.mind, schedule = Schedule.timesPerWeek(4), note = "Twenty pages at least"), Habit(name = "Inbox zero", category = HabitCategory.work, schedule = Schedule.weekdays), Habit(name = "Call a friend", category = HabitCategory.social, schedule = Schedule.timesPerWeek(1)), Habit(name = "Stretch", category = HabitCategory.health, schedule = Schedule.everyNDays(2), isArchived = true))
    }
}

