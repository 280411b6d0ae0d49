import Foundation
import Observation

@Observable
final class TripStore {
    var trips: [Trip]

    init(trips: [Trip] = Trip.samples) {
        self.trips = trips
    }

    var upcomingTrips: [Trip] {
        trips.filter { $0.isUpcoming }.sorted { $0.startDate < $1.startDate }
    }

    var pastTrips: [Trip] {
        trips.filter { !$0.isUpcoming }.sorted { $0.startDate > $1.startDate }
    }

    func add(_ trip: Trip) {
        trips.append(trip)
    }

    func delete(_ trip: Trip) {
        trips.removeAll { $0.id == trip.id }
    }

    func toggleFavorite(_ trip: Trip) {
        guard let index = trips.firstIndex(where: { $0.id == trip.id }) else { return }
        trips[index].isFavorite.toggle()
    }

    func trip(with id: Trip.ID) -> Trip? {
        trips.first { $0.id == id }
    }
}
