// Automatisch aus Trips/TripListView.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.trips_planner

import androidx.compose.runtime.*
import tovrane.runtime.*
@Composable @NonSkippableComposable
fun TripListView(mod: Mod = Mod()) {
    val self = remember { TripListViewView() }
    self.store = environmentObject<TripStore>()
    Apply(mod) { self.body() }
}

class TripListViewView() {
    lateinit var store: TripStore
    var showingAddTrip by mutableStateOf<Boolean>(false, neverEqualPolicy())
    @Composable @NonSkippableComposable
    fun body() {
        NavigationStack {
            List(mod = Mod().navigationTitle("Trips").toolbar(content = { ToolbarItem(placement = null) { Button(action = { showingAddTrip = true }, label = { Label("Add Trip", systemImage = "plus") }) } }).sheet(isPresented = Binding({ showingAddTrip }, { showingAddTrip = it }), content = { AddTripView(onSave = { trip -> store.add(trip) }) }).overlay(content = {
                if (store.trips.isEmpty) {
                    Text("No trips yet. Tap + to plan one.", mod = Mod().foregroundStyle(Color.secondary))
                }
            })) {
                if (!store.upcomingTrips.isEmpty) {
                    Section("Upcoming") { ForEach(store.upcomingTrips) { trip -> NavigationLink(value = trip.id) { TripRow(trip = trip) } } }
                }
                if (!store.pastTrips.isEmpty) {
                    Section("Past") { ForEach(store.pastTrips) { trip -> NavigationLink(value = trip.id) { TripRow(trip = trip) } } }
                }
            }
        }
    }
    private fun delete(offsets: IndexSet, from: MutableList<Trip>) {
        val trips = from
        for (index in offsets) {
            store.delete(trips[index])
        }
    }
}

@Composable @NonSkippableComposable
fun TripRow(trip: Trip, mod: Mod = Mod()) {
    val self = remember { TripRowView(trip) }
    self.trip = trip
    Apply(mod) { self.body() }
}

class TripRowView(var trip: Trip) {
    @Composable @NonSkippableComposable
    fun body() {
        HStack(spacing = 12, mod = Mod().padding(Edge.vertical, 4)) {
            Image(systemName = trip.transport.systemImage, mod = Mod().foregroundStyle(Color("Ocean")).frame(width = 32))
            VStack(alignment = HorizontalAlignment.leading, spacing = 4) {
                Text(trip.name, mod = Mod().font(Font.headline))
                Text(trip.destination, mod = Mod().font(Font.subheadline).foregroundStyle(Color.secondary))
            }
            Spacer()
            if (trip.isFavorite) {
                Image(systemName = "star.fill", mod = Mod().foregroundStyle(Color("Sunset")))
            }
        }
    }
}

