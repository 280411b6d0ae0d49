// Automatisch aus Habits/StatsView.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.habits

import androidx.compose.runtime.*
import tovrane.runtime.*
@Composable @NonSkippableComposable
fun StatsView(mod: Mod = Mod()) {
    val self = remember { StatsViewView() }
    self.store = environmentObject<HabitStore>()
    self.dismiss = LocalDismiss.current
    Apply(mod) { self.body() }
}

class StatsViewView() {
    lateinit var store: HabitStore
    var dismiss = DismissAction {}
    private val categoryTotals: MutableList<Pair<HabitCategory, Int>>
        get() = HabitCategory.entries.toMutableList().map_ { category -> Pair(category, (store.habitsByCategory[category]?.count ?: 0)) }.filter_ { (it.second > 0) }
    @Composable @NonSkippableComposable
    fun header() {
        VStack(spacing = 4, mod = Mod().frame(maxWidth = Double.infinity)) {
            Text("${store.longestStreak}", mod = Mod().font(Font.system(size = 48, weight = FontWeight.bold, design = FontDesign.rounded)).foregroundStyle(Color("StreakGreen")))
            Text((if ((store.longestStreak == 1)) "day in a row" else "days in a row"), mod = Mod().font(Font.caption).foregroundStyle(Color.secondary))
        }
    }
    private val rateText: String
        get() {
            val percent = Int((store.completionRate * 100).rounded())
            return "${percent}%"
        }
    @Composable @NonSkippableComposable
    fun body() {
        NavigationStack {
            Form(mod = Mod().navigationTitle("Statistics").toolbar(content = { ToolbarItem(placement = null) { Button("Done") { dismiss() } } })) {
                Section { header() }
                Section("Today") {
                    Unsupported("LabeledContent")
                    ProgressView(value = store.completionRate)
                }
                Section("Totals") {
                    Unsupported("LabeledContent")
                    Unsupported("LabeledContent")
                    run {
                        val last = store.lastActivity
                        if (last != null) {
                            Unsupported("LabeledContent")
                        }
                    }
                }
                Section("By category") {
                    ForEach(categoryTotals) { (category, count) ->
                        HStack {
                            Label(category.title, systemImage = category.symbol)
                            Spacer()
                            Text("${count}", mod = Mod().foregroundStyle(Color.secondary))
                        }
                    }
                }
            }
        }
    }
}

