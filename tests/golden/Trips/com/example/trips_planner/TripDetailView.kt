// Automatisch aus Trips/TripDetailView.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.trips_planner

import androidx.compose.runtime.*
import tovrane.runtime.*
@Composable @NonSkippableComposable
fun TripDetailView(tripID: java.util.UUID, mod: Mod = Mod()) {
    val self = remember { TripDetailViewView(tripID) }
    self.tripID = tripID
    self.store = environmentObject<TripStore>()
    Apply(mod) { self.body() }
}

class TripDetailViewView(var tripID: java.util.UUID) {
    lateinit var store: TripStore
    @Composable @NonSkippableComposable
    fun body() {
        run {
            val trip = store.trip(with = tripID)
            if (trip != null) {
                ScrollView(mod = Mod().background({ ColorView(Color("Sand"), mod = Mod().opacity(0.3)) }).navigationTitle(trip.name).toolbar(content = { ToolbarItem(placement = null) { Button(action = { store.toggleFavorite(trip) }, label = { Image(systemName = (if (trip.isFavorite) "star.fill" else "star")) }) } })) {
                    VStack(alignment = HorizontalAlignment.leading, spacing = 16, mod = Mod().padding().frame(maxWidth = Double.infinity, alignment = Alignment.leading)) {
                        AssetImage("Placeholder", mod = Mod().frame(height = 200).clipShape({ RoundedRectangle(cornerRadius = 16) }))
                        Text(trip.destination, mod = Mod().font(Font.title2).bold())
                        Label(trip.dateRangeText, systemImage = "calendar")
                        Label("${trip.nights} nights", systemImage = "moon.zzz")
                        Label(trip.transport.title, systemImage = trip.transport.systemImage)
                        if (!trip.notes.isEmpty) {
                            Text("Notes", mod = Mod().font(Font.headline))
                            Text(trip.notes)
                        }
                    }
                }
            } else {
                Text("This trip was deleted.", mod = Mod().foregroundStyle(Color.secondary))
            }
        }
    }
}

