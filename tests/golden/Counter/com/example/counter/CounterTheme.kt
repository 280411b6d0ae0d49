// Automatisch aus Counter/CounterTheme.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.counter

import androidx.compose.runtime.*
import tovrane.runtime.*
enum class CounterTheme(val rawValue: String) {
    classic("classic"),
    ocean("ocean"),
    sunset("sunset");
    val id: String
        get() = rawValue
    val title: String
        get() {
            return when (this) {
                CounterTheme.classic -> {
                    "Classic"
                }
                CounterTheme.ocean -> {
                    "Ocean"
                }
                CounterTheme.sunset -> {
                    "Sunset"
                }
                else -> error("unerwarteter Fall")
            }
        }
    val background: Color
        get() {
            return when (this) {
                CounterTheme.classic -> {
                    Color("CounterBackground")
                }
                CounterTheme.ocean -> {
                    Color.blue.opacity(0.15)
                }
                CounterTheme.sunset -> {
                    Color.orange.opacity(0.15)
                }
                else -> error("unerwarteter Fall")
            }
        }
    companion object {
        operator fun invoke(rawValue: String): CounterTheme? = entries.firstOrNull { it.rawValue == rawValue }
    }
}

