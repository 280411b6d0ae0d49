// Automatisch aus Habits/HabitListView.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.habits

import androidx.compose.runtime.*
import tovrane.runtime.*
@Composable @NonSkippableComposable
fun HabitListView(mod: Mod = Mod()) {
    val self = remember { HabitListViewView() }
    self.store = environmentObject<HabitStore>()
    Apply(mod) { self.body() }
}

class HabitListViewView() {
    lateinit var store: HabitStore
    var showingEditor by mutableStateOf<Boolean>(false, neverEqualPolicy())
    var showingStats by mutableStateOf<Boolean>(false, neverEqualPolicy())
    var searchText by mutableStateOf<String>("", neverEqualPolicy())
    private val filtered: MutableList<Habit>
        get() {
            val query = searchText.trimmingCharacters(`in` = null)
            if (query.isEmpty) {
                return store.pendingToday
            }
            return store.pendingToday.filter_ { it.name.localizedCaseInsensitiveContains(query) }
        }
    @Composable @NonSkippableComposable
    fun body() {
        NavigationStack {
            List(mod = Mod().navigationTitle("Habits").toolbar(content = {
                ToolbarItem(placement = null) { Button(action = { showingEditor = true }, label = { Label("New Habit", systemImage = "plus") }) }
                ToolbarItem(placement = null) { Button("Statistics") { showingStats = true } }
            }).sheet(isPresented = Binding({ showingEditor }, { showingEditor = it }), content = { HabitEditorView(habit = Habit(name = "", category = HabitCategory.health, schedule = Schedule.daily), onSave = { habit -> store.add(habit) }) }).sheet(isPresented = Binding({ showingStats }, { showingStats = it }), content = { StatsView() })) {
                Section {
                    TextField("Search habits", text = Binding({ searchText }, { searchText = it }))
                    Toggle("Show archived", isOn = Binding({ store.showArchived }, { store.showArchived = it }))
                }
                Section("To do today") {
                    if (filtered.isEmpty) {
                        Text((if (searchText.isEmpty) "All done for today." else "No habit matches “${searchText}”."), mod = Mod().foregroundStyle(Color.secondary))
                    }
                    ForEach(filtered) { habit -> NavigationLink(content = { HabitDetailView(habitID = habit.id) }, label = { HabitRow(habit = habit, onCheckIn = { store.checkIn(habit) }) }) }
                }
                if (!store.doneToday.isEmpty) {
                    Section("Done") { ForEach(store.doneToday) { habit -> HabitRow(habit = habit, onCheckIn = { store.undoLastCheckIn(habit) }) } }
                }
            }
        }
    }
}

