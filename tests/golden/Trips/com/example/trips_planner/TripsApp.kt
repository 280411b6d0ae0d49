// Automatisch aus Trips/TripsApp.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.trips_planner

import androidx.compose.runtime.*
import tovrane.runtime.*
@Composable @NonSkippableComposable
fun TripsApp() {
    val self = remember { TripsAppRoot() }
    self.body()
}

class TripsAppRoot() {
    var store by mutableStateOf<TripStore>(TripStore(), neverEqualPolicy())
    @Composable @NonSkippableComposable
    fun body() {
        WindowGroup { TripListView(mod = Mod().environment(store)) }
    }
}

