// Automatisch aus Habits/HabitEditorView.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.habits

import androidx.compose.runtime.*
import tovrane.runtime.*
enum class ScheduleKind(val rawValue: String) {
    daily("Daily"),
    weekdays("Weekdays"),
    perWeek("Times per week"),
    interval("Every few days");
    val id: String
        get() = rawValue
    companion object {
        operator fun invoke(rawValue: String): ScheduleKind? = entries.firstOrNull { it.rawValue == rawValue }
    }
}

@Composable @NonSkippableComposable
fun HabitEditorView(habit: Habit, onSave: (Habit) -> Unit, mod: Mod = Mod()) {
    val self = remember { HabitEditorViewView(habit, onSave) }
    self.onSave = onSave
    self.dismiss = LocalDismiss.current
    Apply(mod) { self.body() }
}

class HabitEditorViewView(habit: Habit, var onSave: (Habit) -> Unit) {
    var habit by mutableStateOf<Habit>(habit, neverEqualPolicy())
    var dismiss = DismissAction {}
    var kind by mutableStateOf<ScheduleKind>(ScheduleKind.daily, neverEqualPolicy())
    var count by mutableStateOf<Int>(3, neverEqualPolicy())
    var noteText by mutableStateOf<String>("", neverEqualPolicy())
    var hasNote by mutableStateOf<Boolean>(false, neverEqualPolicy())
    private val schedule: Schedule
        get() {
            return when (kind) {
                ScheduleKind.daily -> {
                    Schedule.daily
                }
                ScheduleKind.weekdays -> {
                    Schedule.weekdays
                }
                ScheduleKind.perWeek -> {
                    Schedule.timesPerWeek(count)
                }
                ScheduleKind.interval -> {
                    Schedule.everyNDays(count)
                }
                else -> error("unerwarteter Fall")
            }
        }
    private val canSave: Boolean
        get() = !habit.name.trimmingCharacters(`in` = null).isEmpty
    @Composable @NonSkippableComposable
    fun body() {
        NavigationStack {
            Form(mod = Mod().navigationTitle((if (habit.name.isEmpty) "New Habit" else habit.name)).toolbar(content = {
                ToolbarItem(placement = null) { Button("Cancel") { dismiss() } }
                ToolbarItem(placement = null) { Button("Save", mod = Mod().disabled(!canSave)) { save() } }
            }).onAppear(perform = { load() }).onChange0(of = hasNote, perform = {
                if (!hasNote) {
                    noteText = ""
                }
            })) {
                Section("Habit") {
                    TextField("Name", text = Binding({ habit.name }, { habit.name = it; habit = habit }))
                    Picker("Category", selection = Binding({ habit.category }, { habit.category = it; habit = habit })) { ForEach(HabitCategory.entries.toMutableList()) { category -> Label(category.title, systemImage = category.symbol, mod = Mod().tag(category)) } }
                }
                Section("Schedule") {
                    Picker("Repeat", selection = Binding({ kind }, { kind = it })) { ForEach(ScheduleKind.entries.toMutableList()) { option -> Text(option.rawValue, mod = Mod().tag(option)) } }
                    if (((kind == ScheduleKind.perWeek) || (kind == ScheduleKind.interval))) {
                        Stepper((if ((kind == ScheduleKind.perWeek)) "${count} times a week" else "Every ${count} days"), value = Binding({ count }, { count = it }), `in` = (1..7))
                    }
                    TargetStepper(target = Binding({ habit.dailyTarget }, { habit.dailyTarget = it; habit = habit }))
                }
                Section("Note") {
                    Toggle("Add a note", isOn = Binding({ hasNote }, { hasNote = it }))
                    if (hasNote) {
                        TextField("Why does this matter?", text = Binding({ noteText }, { noteText = it }))
                    }
                }
                Section { Text("Preview: ${schedule.summary}, ${habit.dailyTarget}× a day", mod = Mod().foregroundStyle(Color.secondary)) }
            }
        }
    }
    private fun load() {
        when (val sw41 = habit.schedule) {
            Schedule.daily -> {
                kind = ScheduleKind.daily
            }
            Schedule.weekdays -> {
                kind = ScheduleKind.weekdays
            }
            is Schedule.timesPerWeek -> {
                val times = (sw41 as Schedule.timesPerWeek).value0
                kind = ScheduleKind.perWeek
                count = times
            }
            is Schedule.everyNDays -> {
                val days = (sw41 as Schedule.everyNDays).value0
                kind = ScheduleKind.interval
                count = days
            }
            else -> {}
        }
        run {
            val note = habit.note
            if (note != null) {
                noteText = note
                hasNote = true
            }
        }
    }
    private fun save() {
        var result = habit
        result.name = habit.name.trimmingCharacters(`in` = null)
        result.schedule = schedule
        result.note = (if ((hasNote && !noteText.isEmpty)) noteText else null)
        onSave(result)
        dismiss()
    }
}

@Composable @NonSkippableComposable
fun TargetStepper(target: Binding<Int>, mod: Mod = Mod()) {
    val self = remember { TargetStepperView(target) }
    self._target = target
    Apply(mod) { self.body() }
}

class TargetStepperView(var _target: Binding<Int>) {
    var target: Int
        get() = _target.value
        set(v) { _target.value = v }
    @Composable @NonSkippableComposable
    fun body() {
        Stepper(value = _target, `in` = (1..20)) { Text((if ((target == 1)) "Once a day" else "${target} times a day")) }
    }
}

