// Automatisch aus Habits/HabitsApp.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.habits

import androidx.compose.runtime.*
import tovrane.runtime.*
@Composable @NonSkippableComposable
fun HabitsApp() {
    val self = remember { HabitsAppRoot() }
    self.body()
}

class HabitsAppRoot() {
    var store by mutableStateOf<HabitStore>(HabitStore(), neverEqualPolicy())
    @Composable @NonSkippableComposable
    fun body() {
        WindowGroup { HabitListView(mod = Mod().environmentObject(store)) }
    }
}

