import Foundation
import Observation
import SwiftUI

/// Not isolated as a whole: views read it from plain helper properties, and only the
/// long-running updates need to come back to the main actor.
@Observable
final class WeatherViewModel {
    enum Phase: Equatable {
        case idle
        case loading
        case loaded
        case failed(message: String)
    }

    private(set) var savedCities: [City] = []
    private(set) var forecasts: [City.ID: Forecast] = [:]
    private(set) var failures: [City.ID: String] = [:]
    private(set) var phase: Phase = .idle
    var selectedCityID: City.ID?
    var searchQuery = "" {
        didSet { scheduleSearch() }
    }
    private(set) var searchResults: [City] = []
    private(set) var isSearching = false

    var unit: TemperatureUnit {
        get {
            access(keyPath: \.unit)
            return TemperatureUnit(rawValue: UserDefaults.standard.string(forKey: "unit") ?? "") ?? .celsius
        }
        set {
            withMutation(keyPath: \.unit) {
                UserDefaults.standard.set(newValue.rawValue, forKey: "unit")
            }
        }
    }

    private let client: any WeatherProviding
    private let location = LocationProvider()
    @ObservationIgnored private var searchTask: Task<Void, Never>?
    private let storageKey = "savedCities"

    init(client: any WeatherProviding = OpenForecastClient()) {
        self.client = client
        if let data = UserDefaults.standard.data(forKey: storageKey),
           let cities = try? JSONDecoder().decode([City].self, from: data) {
            savedCities = cities
        } else {
            savedCities = [.berlin]
        }
        selectedCityID = savedCities.first?.id
    }

    var selectedForecast: Forecast? {
        selectedCityID.flatMap { forecasts[$0] }
    }

    func formatted(_ celsius: Double, showUnit: Bool = true) -> String {
        guard !celsius.isNaN else { return "–" }
        let value = unit.convert(celsius: celsius)
        let rounded = Int(value.rounded())
        return showUnit ? "\(rounded)\(unit.rawValue)" : "\(rounded)°"
    }

    @MainActor
    func refreshAll(force: Bool = false) async {
        let stale = savedCities.filter { city in
            force || forecasts[city.id].map(\.isStale) ?? true
        }
        guard !stale.isEmpty else { return }
        phase = .loading
        let results = await client.forecasts(for: stale, unit: .celsius)
        for (id, result) in results {
            switch result {
            case .success(let forecast):
                forecasts[id] = forecast
                failures[id] = nil
            case .failure(let error as WeatherError):
                failures[id] = error.errorDescription
            case .failure(let error):
                failures[id] = error.localizedDescription
            }
        }
        if failures.count == savedCities.count, let message = failures.values.first {
            phase = .failed(message: message)
        } else {
            phase = .loaded
        }
    }

    func add(_ city: City) {
        guard !savedCities.contains(where: { $0.id == city.id }) else {
            selectedCityID = city.id
            return
        }
        savedCities.append(city)
        selectedCityID = city.id
        persist()
        Task {
            await refreshAll()
        }
    }

    func remove(atOffsets offsets: IndexSet) {
        let removed = offsets.map { savedCities[$0].id }
        savedCities.remove(atOffsets: offsets)
        removed.forEach { forecasts[$0] = nil }
        if let selected = selectedCityID, removed.contains(selected) {
            selectedCityID = savedCities.first?.id
        }
        persist()
    }

    func move(fromOffsets source: IndexSet, toOffset destination: Int) {
        savedCities.move(fromOffsets: source, toOffset: destination)
        persist()
    }

    @MainActor
    func addCurrentLocation() async {
        do {
            let city = try await location.currentCity()
            add(city)
        } catch LocationProvider.LocationError.denied {
            phase = .failed(message: "Location access is off. You can turn it on in Settings.")
        } catch {
            phase = .failed(message: "Your location could not be found.")
        }
    }

    private func scheduleSearch() {
        searchTask?.cancel()
        let query = searchQuery
        guard query.count >= 2 else {
            searchResults = []
            isSearching = false
            return
        }
        isSearching = true
        searchTask = Task {
            do {
                try await Task.sleep(for: .milliseconds(350))
                let results = try await client.searchCities(named: query)
                try Task.checkCancellation()
                searchResults = results
            } catch is CancellationError {
                return
            } catch {
                searchResults = []
            }
            isSearching = false
        }
    }

    private func persist() {
        do {
            let data = try JSONEncoder().encode(savedCities)
            UserDefaults.standard.set(data, forKey: storageKey)
        } catch {
            assertionFailure("Saving cities failed: \(error)")
        }
    }
}
