// Automatisch aus Trips/Trip.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.trips_planner

import androidx.compose.runtime.*
import tovrane.runtime.*
enum class Transport(val rawValue: String) {
    plane("plane"),
    train("train"),
    car("car"),
    boat("boat");
    val id: String
        get() = rawValue
    val title: String
        get() = rawValue.capitalized
    val systemImage: String
        get() {
            return when (this) {
                Transport.plane -> {
                    "airplane"
                }
                Transport.train -> {
                    "tram.fill"
                }
                Transport.car -> {
                    "car.fill"
                }
                Transport.boat -> {
                    "ferry.fill"
                }
                else -> error("unerwarteter Fall")
            }
        }
    companion object {
        operator fun invoke(rawValue: String): Transport? = entries.firstOrNull { it.rawValue == rawValue }
    }
}

data class Trip(
    var id: java.util.UUID = UUID(),
    var name: String,
    var destination: String,
    var startDate: java.util.Date,
    var endDate: java.util.Date,
    var transport: Transport,
    var notes: String = "",
    var isFavorite: Boolean = false
) {
    val nights: Int
        get() {
            val days = (Calendar.current.dateComponents(mutableListOf(SwiftCalendar.Component.day), from = startDate, to = endDate).day ?: 0)
            return max(days, 0)
        }
    val isUpcoming: Boolean
        get() = (startDate > Date())
    val dateRangeText: String
        get() {
            val start = startDate.formatted(date = FormatStyleLevel.abbreviated, time = FormatStyleLevel.omitted)
            val end = endDate.formatted(date = FormatStyleLevel.abbreviated, time = FormatStyleLevel.omitted)
            return "${start} – ${end}"
        }
    companion object {
        val samples: MutableList<Trip> = mutableListOf<Trip>(Trip(name = "Spring in Lisbon", destination = "Lisbon, Portugal", startDate = Date().addingTimeInterval((86400 * 20)), endDate = Date().addingTimeInterval((86400 * 25)), transport = Transport.plane, notes = "Tram 28, pastéis de nata, Belém tower."), Trip(name = "Alps by rail", destination = "Zermatt, Switzerland", startDate = Date().addingTimeInterval((86400 * 60)), endDate = Date().addingTimeInterval((86400 * 67)), transport = Transport.train, isFavorite = true), Trip(name = "Island hopping", destination = "Split, Croatia", startDate = Date().addingTimeInterval((-86400 * 40)), endDate = Date().addingTimeInterval((-86400 * 33)), transport = Transport.boat))
    }
}

