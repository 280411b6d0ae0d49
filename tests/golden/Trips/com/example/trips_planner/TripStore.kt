// Automatisch aus Trips/TripStore.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.trips_planner

import androidx.compose.runtime.*
import tovrane.runtime.*
class TripStore {
    var trips by mutableStateOf<MutableList<Trip>>(mutableListOf<Trip>(), neverEqualPolicy())
    val upcomingTrips: MutableList<Trip>
        get() = trips.filter_ { it.isUpcoming }.sorted { p0, p1 -> (p0.startDate < p1.startDate) }
    val pastTrips: MutableList<Trip>
        get() = trips.filter_ { !it.isUpcoming }.sorted { p0, p1 -> (p0.startDate > p1.startDate) }
    constructor(trips: MutableList<Trip> = Trip.samples) {
        this.trips = trips
    }
    fun add(trip: Trip) {
        trips.append(trip)
        this.trips = this.trips
    }
    fun delete(trip: Trip) {
        trips.removeAll { (it.id == trip.id) }
        this.trips = this.trips
    }
    fun toggleFavorite(trip: Trip) {
        val index = trips.firstIndex(where = { (it.id == trip.id) })
        if (!(index != null)) {
            return
        }
        trips[index].isFavorite = !trips[index].isFavorite
        this.trips = this.trips
    }
    fun trip(with: java.util.UUID): Trip? {
        val id = with
        return trips.first { (it.id == id) }
    }
}

