import SwiftUI

struct TripDetailView: View {
    let tripID: Trip.ID
    @Environment(TripStore.self) private var store

    var body: some View {
        if let trip = store.trip(with: tripID) {
            ScrollView {
                VStack(alignment: .leading, spacing: 16) {
                    Image("Placeholder")
                        .resizable()
                        .scaledToFill()
                        .frame(height: 200)
                        .clipShape(RoundedRectangle(cornerRadius: 16))

                    Text(trip.destination)
                        .font(.title2)
                        .bold()

                    Label(trip.dateRangeText, systemImage: "calendar")
                    Label("\(trip.nights) nights", systemImage: "moon.zzz")
                    Label(trip.transport.title, systemImage: trip.transport.systemImage)

                    if !trip.notes.isEmpty {
                        Text("Notes")
                            .font(.headline)
                        Text(trip.notes)
                    }
                }
                .padding()
                .frame(maxWidth: .infinity, alignment: .leading)
            }
            .background(Color("Sand").opacity(0.3))
            .navigationTitle(trip.name)
            .toolbar {
                ToolbarItem(placement: .primaryAction) {
                    Button {
                        store.toggleFavorite(trip)
                    } label: {
                        Image(systemName: trip.isFavorite ? "star.fill" : "star")
                    }
                    .accessibilityLabel(trip.isFavorite ? "Remove from favourites" : "Add to favourites")
                }
            }
        } else {
            Text("This trip was deleted.")
                .foregroundStyle(.secondary)
        }
    }
}

#Preview {
    NavigationStack {
        TripDetailView(tripID: Trip.samples[0].id)
    }
    .environment(TripStore())
}
