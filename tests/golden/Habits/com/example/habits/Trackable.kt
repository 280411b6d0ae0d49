// Automatisch aus Habits/Trackable.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.habits

import androidx.compose.runtime.*
import tovrane.runtime.*
interface Trackable {
    val completions: MutableList<java.util.Date>
    val dailyTarget: Int
    val totalCompletions: Int
        get() = completions.count
    val completionsThisWeek: Int
        get() {
            val weekAgo = Date().addingTimeInterval((-7 * 86400))
            return completions.filter_ { (it > weekAgo) }.count
        }
    fun progress(today: Int): Double {
        val count = today
        if (!((dailyTarget > 0))) {
            return 0.0
        }
        return min((Double(count) / Double(dailyTarget)), 1.0)
    }
}

