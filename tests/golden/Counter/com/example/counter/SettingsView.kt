// Automatisch aus Counter/SettingsView.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.counter

import androidx.compose.runtime.*
import tovrane.runtime.*
@Composable @NonSkippableComposable
fun SettingsView(count: Binding<Int>, mod: Mod = Mod()) {
    val self = remember { SettingsViewView(count) }
    self._count = count
    self.dismiss = LocalDismiss.current
    self._stepSize = rememberAppStorage("stepSize", 1)
    self._allowNegative = rememberAppStorage("allowNegative", false)
    self._theme = rememberAppStorage("theme", CounterTheme.classic)
    self._goal = rememberAppStorage("goal", 10)
    Apply(mod) { self.body() }
}

class SettingsViewView(var _count: Binding<Int>) {
    var count: Int
        get() = _count.value
        set(v) { _count.value = v }
    var dismiss = DismissAction {}
    lateinit var _stepSize: MutableState<Int>
    var stepSize: Int
        get() = _stepSize.value
        set(v) { _stepSize.value = v }
    lateinit var _allowNegative: MutableState<Boolean>
    var allowNegative: Boolean
        get() = _allowNegative.value
        set(v) { _allowNegative.value = v }
    lateinit var _theme: MutableState<CounterTheme>
    var theme: CounterTheme
        get() = _theme.value
        set(v) { _theme.value = v }
    lateinit var _goal: MutableState<Int>
    var goal: Int
        get() = _goal.value
        set(v) { _goal.value = v }
    var showingResetAlert by mutableStateOf<Boolean>(false, neverEqualPolicy())
    @Composable @NonSkippableComposable
    fun body() {
        NavigationStack {
            Form(mod = Mod().navigationTitle("Settings").toolbar(content = { ToolbarItem(placement = null) { Button("Done") { dismiss() } } }).alert("Reset the counter?", isPresented = Binding({ showingResetAlert }, { showingResetAlert = it }), actions = {
                Button("Reset", role = ButtonRole.destructive) { count = 0 }
                Button("Cancel", role = ButtonRole.cancel) { }
            }, message = { Text("The count goes back to zero.") }).onChange2(of = allowNegative, perform = { _, newValue ->
                if ((!newValue && (count < 0))) {
                    count = 0
                }
            })) {
                Section("Counting") {
                    Stepper("Step size: ${stepSize}", value = _stepSize.binding(), `in` = (1..10))
                    Stepper("Goal: ${goal}", value = _goal.binding(), `in` = (1..1000), step = 5)
                    Toggle("Allow negative numbers", isOn = _allowNegative.binding())
                }
                Section("Appearance") { Picker("Theme", selection = _theme.binding()) { ForEach(CounterTheme.entries.toMutableList()) { theme -> Text(theme.title, mod = Mod().tag(theme)) } } }
                Section(content = { Button("Reset Counter", role = ButtonRole.destructive) { showingResetAlert = true } }, footer = { Text("The current count is ${count}.") })
            }
        }
    }
}

