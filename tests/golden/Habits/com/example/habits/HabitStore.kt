// Automatisch aus Habits/HabitStore.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.habits

import androidx.compose.runtime.*
import tovrane.runtime.*
class HabitStore {
    var habits by mutableStateOf<MutableList<Habit>>(mutableListOf<Habit>(), neverEqualPolicy())
    var showArchived by mutableStateOf<Boolean>(false, neverEqualPolicy())
    val visibleHabits: MutableList<Habit>
        get() = habits.filter_ { (showArchived || !it.isArchived) }.sorted { p0, p1 -> (p0.name.lowercased() < p1.name.lowercased()) }
    val pendingToday: MutableList<Habit>
        get() = visibleHabits.filter_ { (!it.isDoneToday && !it.isArchived) }
    val doneToday: MutableList<Habit>
        get() = visibleHabits.filter_ { it.isDoneToday }
    val totalCheckIns: Int
        get() = habits.map_ { it.totalCompletions }.reduce(0, { a, b -> a + b })
    val completionRate: Double
        get() {
            val active = habits.filter_ { !it.isArchived }
            if (!(!active.isEmpty)) {
                return 0.0
            }
            val done = active.filter_ { it.isDoneToday }.count
            return (Double(done) / Double(active.count))
        }
    val habitsByCategory: MutableMap<HabitCategory, MutableList<Habit>>
        get() = Dictionary(grouping = habits, by = { it.category })
    val longestStreak: Int
        get() = (habits.map_({ it.streak }).max() ?: 0)
    val lastActivity: java.util.Date?
        get() = habits.compactMap { it.lastCompleted }.max()
    val busiestCategory: HabitCategory?
        get() {
            val counts = HabitCategory.entries.toMutableList().map_ { category -> Pair(category, habits.filter_ { (it.category == category) }.reduce(0) { p0, p1 -> (p0 + p1.totalCompletions) }) }
            val best = counts.max(by = { p0, p1 -> (p0.second < p1.second) })
            if (!(best != null) || !((best.second > 0))) {
                return null
            }
            return best.first
        }
    constructor(habits: MutableList<Habit> = Habit.samples) {
        this.habits = habits
    }
    fun habit(with: java.util.UUID): Habit? {
        val id = with
        return habits.first { (it.id == id) }
    }
    fun add(habit: Habit) {
        habits.append(habit)
        this.habits = this.habits
    }
    fun update(habit: Habit) {
        val index = habits.firstIndex(where = { (it.id == habit.id) })
        if (!(index != null)) {
            return
        }
        habits[index] = habit
        this.habits = this.habits
    }
    fun checkIn(habit: Habit) {
        val index = habits.firstIndex(where = { (it.id == habit.id) })
        if (!(index != null)) {
            return
        }
        habits[index].checkIn()
        this.habits = this.habits
    }
    fun undoLastCheckIn(habit: Habit) {
        run {
            val index = habits.firstIndex(where = { (it.id == habit.id) })
            if (index != null) {
                habits[index].undoCheckIn()
                this.habits = this.habits
            }
        }
    }
    fun toggleArchived(habit: Habit) {
        val index = habits.firstIndex(where = { (it.id == habit.id) })
        if (!(index != null)) {
            return
        }
        habits[index].isArchived = !habits[index].isArchived
        this.habits = this.habits
    }
    fun delete(habit: Habit) {
        habits.removeAll { (it.id == habit.id) }
        this.habits = this.habits
    }
}

