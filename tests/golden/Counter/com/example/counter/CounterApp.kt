// Automatisch aus Counter/CounterApp.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.counter

import androidx.compose.runtime.*
import tovrane.runtime.*
@Composable @NonSkippableComposable
fun CounterApp() {
    val self = remember { CounterAppRoot() }
    self.body()
}

class CounterAppRoot() {
    @Composable @NonSkippableComposable
    fun body() {
        WindowGroup { ContentView() }
    }
}

