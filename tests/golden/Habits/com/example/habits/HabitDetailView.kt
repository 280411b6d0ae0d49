// Automatisch aus Habits/HabitDetailView.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.habits

import androidx.compose.runtime.*
import tovrane.runtime.*
@Composable @NonSkippableComposable
fun HabitDetailView(habitID: java.util.UUID, mod: Mod = Mod()) {
    val self = remember { HabitDetailViewView(habitID) }
    self.habitID = habitID
    self.store = environmentObject<HabitStore>()
    self.dismiss = LocalDismiss.current
    Apply(mod) { self.body() }
}

class HabitDetailViewView(var habitID: java.util.UUID) {
    lateinit var store: HabitStore
    var dismiss = DismissAction {}
    var editing by mutableStateOf<Boolean>(false, neverEqualPolicy())
    var confirmingDelete by mutableStateOf<Boolean>(false, neverEqualPolicy())
    private val habit: Habit?
        get() = store.habit(with = habitID)
    @Composable @NonSkippableComposable
    fun body() {
        run {
            val habit = habit
            if (habit != null) {
                List(mod = Mod().navigationTitle(habit.name).toolbar(content = { Button("Edit") { editing = true } }).sheet(isPresented = Binding({ editing }, { editing = it }), content = { HabitEditorView(habit = habit, onSave = { updated -> store.update(updated) }) }).alert("Delete ${habit.name}?", isPresented = Binding({ confirmingDelete }, { confirmingDelete = it }), actions = {
                    Button("Delete", role = ButtonRole.destructive) {
                        store.delete(habit)
                        dismiss()
                    }
                    Button("Cancel", role = ButtonRole.cancel) { }
                }, message = { Text("Its whole history is removed as well.") })) {
                    Section {
                        Unsupported("LabeledContent")
                        Unsupported("LabeledContent")
                        Unsupported("LabeledContent")
                        ProgressView(value = habit.progress(today = habit.completionsToday), mod = Mod().tint(Color("StreakGreen")))
                        streakBadge(`for` = habit.streak)
                    }
                    Section("History") {
                        Unsupported("LabeledContent")
                        Unsupported("LabeledContent")
                        Text(lastSeenText(habit), mod = Mod().foregroundStyle(Color.secondary))
                    }
                    run {
                        val note = habit.note
                        if (note != null) {
                            Section("Note") { Text(note) }
                        }
                    }
                    Section {
                        Button((if (habit.isArchived) "Restore" else "Archive")) { store.toggleArchived(habit) }
                        Button("Check in now", mod = Mod().disabled(habit.isDoneToday)) { store.checkIn(habit) }
                        Button("Delete", role = ButtonRole.destructive) { confirmingDelete = true }
                    }
                }
            } else {
                Text("This habit was deleted.", mod = Mod().foregroundStyle(Color.secondary))
            }
        }
    }
    @Composable @NonSkippableComposable
    fun streakBadge(`for`: Int) {
        val days = `for`
        if ((days > 1)) {
            Label("${days}-day streak", systemImage = "flame.fill", mod = Mod().foregroundStyle(Color.orange))
        } else if ((days == 1)) {
            Label("Started a streak today", systemImage = "flame")
        } else {
            Text("No streak yet", mod = Mod().foregroundStyle(Color.secondary))
        }
    }
    private fun lastSeenText(habit: Habit): String {
        val last = habit.lastCompleted
        if (!(last != null)) {
            return "Never checked in"
        }
        val days = (Calendar.current.dateComponents(mutableListOf(SwiftCalendar.Component.day), from = last, to = Date()).day ?: 0)
        when (days) {
            0 -> {
                return "Last checked in today"
            }
            1 -> {
                return "Last checked in yesterday"
            }
            in (2..6) -> {
                return "Last checked in ${days} days ago"
            }
            else -> {
                return "Last checked in on ${last.formatted(date = FormatStyleLevel.abbreviated, time = FormatStyleLevel.omitted)}"
            }
        }
    }
}

