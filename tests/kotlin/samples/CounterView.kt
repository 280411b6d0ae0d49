// Automatisch aus Sources/CounterView.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.sample

import androidx.compose.runtime.*
import tovrane.runtime.*
@Composable @NonSkippableComposable
fun CounterView(title: String, isOn: Binding<Boolean>, mod: Mod = Mod()) {
    val self = remember { CounterViewView(title, isOn) }
    self.title = title
    self._isOn = isOn
    Apply(mod) { self.body() }
}

class CounterViewView(var title: String, var _isOn: Binding<Boolean>) {
    var count by mutableStateOf<Int>(0, neverEqualPolicy())
    var isOn: Boolean
        get() = _isOn.value
        set(v) { _isOn.value = v }
    @Composable @NonSkippableComposable
    fun body() {
        VStack(alignment = HorizontalAlignment.leading, spacing = 12) {
            Text(title, mod = Mod().font(Font.headline).foregroundColor(Color.secondary))
            Text("Zähler: ${count}", mod = Mod().font(Font.system(size = 20, weight = FontWeight.bold)))
            HStack {
                Button("−") {
                    count -= 1
                }
                Spacer()
                Button("+") {
                    count += 1
                }
            }
            Toggle("Aktiv", isOn = _isOn)
            if (isOn) {
                Text("An", mod = Mod().padding().background(Color.green.opacity(0.2)).cornerRadius(8))
            } else {
                Unsupported("GeometryReader", mod = Mod().padding(Edge.horizontal, 16))
            }
        }
    }
}

