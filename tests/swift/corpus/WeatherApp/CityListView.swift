import SwiftUI

struct CityListView: View {
    @Environment(WeatherViewModel.self) private var model
    @State private var isAddingLocation = false

    var body: some View {
        @Bindable var model = model

        List(selection: $model.selectedCityID) {
            if model.searchQuery.isEmpty {
                Section {
                    ForEach(model.savedCities) { city in
                        CitySummaryRow(city: city, forecast: model.forecasts[city.id], failure: model.failures[city.id])
                            .tag(city.id)
                    }
                    .onDelete(perform: model.remove(atOffsets:))
                    .onMove(perform: model.move(fromOffsets:toOffset:))
                }
                Section {
                    Button {
                        isAddingLocation = true
                        Task {
                            await model.addCurrentLocation()
                            isAddingLocation = false
                        }
                    } label: {
                        if isAddingLocation {
                            HStack {
                                ProgressView()
                                Text("Finding you…")
                            }
                        } else {
                            Label("Add Current Location", systemImage: "location")
                        }
                    }
                    .disabled(isAddingLocation)
                }
            } else {
                searchResults
            }
        }
        .navigationTitle("Cities")
        .searchable(text: $model.searchQuery, placement: .navigationBarDrawer(displayMode: .always), prompt: "Search for a city")
        .toolbar {
            EditButton()
            Menu {
                Picker("Temperature", selection: $model.unit) {
                    ForEach(TemperatureUnit.allCases) { unit in
                        Text(unit.rawValue).tag(unit)
                    }
                }
            } label: {
                Label("Units", systemImage: "thermometer")
            }
        }
    }

    @ViewBuilder
    private var searchResults: some View {
        if model.isSearching && model.searchResults.isEmpty {
            HStack {
                Spacer()
                ProgressView()
                Spacer()
            }
        } else if model.searchResults.isEmpty {
            ContentUnavailableView.search(text: model.searchQuery)
        } else {
            ForEach(model.searchResults) { city in
                Button {
                    model.add(city)
                    model.searchQuery = ""
                } label: {
                    VStack(alignment: .leading) {
                        Text(city.name)
                            .foregroundStyle(.primary)
                        Text(city.subtitle)
                            .font(.caption)
                            .foregroundStyle(.secondary)
                    }
                }
            }
        }
    }
}

struct CitySummaryRow: View {
    let city: City
    let forecast: Forecast?
    let failure: String?
    @Environment(WeatherViewModel.self) private var model

    private var localTime: String {
        var style = Date.FormatStyle(date: .omitted, time: .shortened)
        style.timeZone = city.timeZone
        return Date.now.formatted(style)
    }

    var body: some View {
        HStack {
            VStack(alignment: .leading, spacing: 2) {
                Text(city.name)
                    .font(.headline)
                Text(localTime)
                    .font(.caption)
                    .foregroundStyle(.secondary)
                if let failure {
                    Text(failure)
                        .font(.caption2)
                        .foregroundStyle(.red)
                        .lineLimit(1)
                }
            }
            Spacer()
            if let current = forecast?.current {
                Image(systemName: current.condition.symbolName(isDay: current.isDay))
                    .symbolRenderingMode(.multicolor)
                Text(model.formatted(current.temperature))
                    .font(.title2)
                    .monospacedDigit()
            } else if failure == nil {
                ProgressView()
            }
        }
    }
}

#Preview {
    NavigationStack {
        CityListView()
    }
    .environment(WeatherViewModel(client: PreviewWeatherClient()))
}
