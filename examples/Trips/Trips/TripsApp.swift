import SwiftUI

@main
struct TripsApp: App {
    @State private var store = TripStore()

    var body: some Scene {
        WindowGroup {
            TripListView()
                .environment(store)
        }
    }
}
