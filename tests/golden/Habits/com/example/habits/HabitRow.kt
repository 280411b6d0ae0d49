// Automatisch aus Habits/HabitRow.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.habits

import androidx.compose.runtime.*
import tovrane.runtime.*
@Composable @NonSkippableComposable
fun HabitRow(habit: Habit, onCheckIn: () -> Unit, mod: Mod = Mod()) {
    val self = remember { HabitRowView(habit, onCheckIn) }
    self.habit = habit
    self.onCheckIn = onCheckIn
    Apply(mod) { self.body() }
}

class HabitRowView(var habit: Habit, var onCheckIn: () -> Unit) {
    private val progressText: String
        get() = "${habit.completionsToday}/${habit.dailyTarget}"
    @Composable @NonSkippableComposable
    fun body() {
        HStack(spacing = 12, mod = Mod().padding(Edge.vertical, 4)) {
            Image(systemName = habit.category.symbol, mod = Mod().foregroundStyle(Color("HabitTint")).frame(width = 28))
            VStack(alignment = HorizontalAlignment.leading, spacing = 2) {
                Text(habit.name, mod = Mod().font(Font.headline).strikethrough(habit.isArchived))
                Text(habit.schedule.summary, mod = Mod().font(Font.caption).foregroundStyle(Color.secondary))
                run {
                    val note = habit.note
                    if (note != null && !note.isEmpty) {
                        Text(note, mod = Mod().font(Font.caption2).foregroundStyle(Color.secondary).lineLimit(1))
                    }
                }
            }
            Spacer()
            Text(progressText, mod = Mod().font(Font.subheadline.monospacedDigit()).foregroundStyle((if (habit.isDoneToday) Color("StreakGreen") else Color.secondary)))
            Button(action = onCheckIn, label = { Image(systemName = (if (habit.isDoneToday) "checkmark.circle.fill" else "circle"), mod = Mod().font(Font.title2)) })
        }
    }
}

