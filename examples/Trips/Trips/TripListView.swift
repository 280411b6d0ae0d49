import SwiftUI

struct TripListView: View {
    @Environment(TripStore.self) private var store
    @State private var showingAddTrip = false

    var body: some View {
        NavigationStack {
            List {
                if !store.upcomingTrips.isEmpty {
                    Section("Upcoming") {
                        ForEach(store.upcomingTrips) { trip in
                            NavigationLink(value: trip.id) {
                                TripRow(trip: trip)
                            }
                        }
                        .onDelete { offsets in
                            delete(offsets, from: store.upcomingTrips)
                        }
                    }
                }

                if !store.pastTrips.isEmpty {
                    Section("Past") {
                        ForEach(store.pastTrips) { trip in
                            NavigationLink(value: trip.id) {
                                TripRow(trip: trip)
                            }
                        }
                        .onDelete { offsets in
                            delete(offsets, from: store.pastTrips)
                        }
                    }
                }
            }
            .navigationTitle("Trips")
            .navigationDestination(for: Trip.ID.self) { id in
                TripDetailView(tripID: id)
            }
            .toolbar {
                ToolbarItem(placement: .primaryAction) {
                    Button {
                        showingAddTrip = true
                    } label: {
                        Label("Add Trip", systemImage: "plus")
                    }
                }
            }
            .sheet(isPresented: $showingAddTrip) {
                AddTripView { trip in
                    store.add(trip)
                }
            }
            .overlay {
                if store.trips.isEmpty {
                    Text("No trips yet. Tap + to plan one.")
                        .foregroundStyle(.secondary)
                }
            }
        }
    }

    private func delete(_ offsets: IndexSet, from trips: [Trip]) {
        for index in offsets {
            store.delete(trips[index])
        }
    }
}

struct TripRow: View {
    let trip: Trip

    var body: some View {
        HStack(spacing: 12) {
            Image(systemName: trip.transport.systemImage)
                .foregroundStyle(Color("Ocean"))
                .frame(width: 32)
            VStack(alignment: .leading, spacing: 4) {
                Text(trip.name)
                    .font(.headline)
                Text(trip.destination)
                    .font(.subheadline)
                    .foregroundStyle(.secondary)
            }
            Spacer()
            if trip.isFavorite {
                Image(systemName: "star.fill")
                    .foregroundStyle(Color("Sunset"))
            }
        }
        .padding(.vertical, 4)
    }
}

#Preview {
    TripListView()
        .environment(TripStore())
}
