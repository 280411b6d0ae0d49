// Automatisch aus Counter/ContentView.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.counter

import androidx.compose.runtime.*
import tovrane.runtime.*
@Composable @NonSkippableComposable
fun ContentView(mod: Mod = Mod()) {
    val self = remember { ContentViewView() }
    self._stepSize = rememberAppStorage("stepSize", 1)
    self._allowNegative = rememberAppStorage("allowNegative", false)
    self._theme = rememberAppStorage("theme", CounterTheme.classic)
    self._goal = rememberAppStorage("goal", 10)
    Apply(mod) { self.body() }
}

class ContentViewView() {
    var count by mutableStateOf<Int>(0, neverEqualPolicy())
    var showingSettings by mutableStateOf<Boolean>(false, neverEqualPolicy())
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
    private val countColor: Color
        get() {
            return if ((count > 0)) {
                Color("PositiveGreen")
            } else {
                if ((count < 0)) {
                    Color("NegativeRed")
                } else {
                    Color.primary
                }
            }
        }
    private val progress: Double
        get() {
            if (!((goal > 0))) {
                return 0.0
            }
            return min((Double(max(count, 0)) / Double(goal)), 1)
        }
    @Composable @NonSkippableComposable
    fun body() {
        NavigationStack {
            VStack(spacing = 24, mod = Mod().frame(maxWidth = Double.infinity, maxHeight = Double.infinity).background(theme.background).navigationTitle("Counter").toolbar(content = { ToolbarItem(placement = null) { Button(action = { showingSettings = true }, label = { Image(systemName = "gearshape") }) } }).sheet(isPresented = Binding({ showingSettings }, { showingSettings = it }), content = { SettingsView(count = Binding({ count }, { count = it })) })) {
                AssetImage("Badge", mod = Mod().frame(width = 72, height = 72))
                Text("${count}", mod = Mod().font(Font.system(size = 96, weight = FontWeight.bold, design = FontDesign.rounded)).foregroundColor(countColor))
                ProgressView(value = progress, mod = Mod().padding(Edge.horizontal, 40)) { Text("Goal: ${goal}") }
                HStack(spacing = 32) {
                    Button(action = { decrement() }, label = { Image(systemName = "minus.circle.fill", mod = Mod().font(Font.system(size = 56))) }, mod = Mod().disabled((!allowNegative && ((count - stepSize) < 0))))
                    Button(action = { increment() }, label = { Image(systemName = "plus.circle.fill", mod = Mod().font(Font.system(size = 56))) })
                }
                Stepper("Step: ${stepSize}", value = _stepSize.binding(), `in` = (1..10), mod = Mod().padding(Edge.horizontal, 40))
                Button("Reset", role = ButtonRole.destructive) { count = 0 }
                if (((count >= goal) && (goal > 0))) {
                    Text("Goal reached!", mod = Mod().font(Font.headline).foregroundColor(Color("PositiveGreen")))
                }
            }
        }
    }
    private fun increment() {
        count += stepSize
    }
    private fun decrement() {
        val next = (count - stepSize)
        if (((next >= 0) || allowNegative)) {
            count = next
        }
    }
}

