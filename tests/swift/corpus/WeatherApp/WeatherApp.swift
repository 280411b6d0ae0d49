import SwiftUI

@main
struct WeatherApp: App {
    @State private var model = WeatherViewModel()

    var body: some Scene {
        WindowGroup {
            WeatherRootView()
                .environment(model)
        }
    }
}

struct WeatherRootView: View {
    @Environment(WeatherViewModel.self) private var model
    @Environment(\.scenePhase) private var scenePhase
    @Environment(\.horizontalSizeClass) private var sizeClass
    @State private var showingCities = false

    var body: some View {
        Group {
            if sizeClass == .regular {
                NavigationSplitView {
                    CityListView()
                } detail: {
                    ForecastContainer()
                }
            } else {
                NavigationStack {
                    ForecastContainer()
                        .toolbar {
                            ToolbarItem(placement: .topBarTrailing) {
                                Button {
                                    showingCities = true
                                } label: {
                                    Image(systemName: "list.bullet")
                                }
                            }
                        }
                        .sheet(isPresented: $showingCities) {
                            NavigationStack {
                                CityListView()
                                    .toolbar {
                                        Button("Done") { showingCities = false }
                                    }
                            }
                            .presentationDetents([.medium, .large])
                        }
                }
            }
        }
        .task {
            await model.refreshAll()
        }
        .onChange(of: scenePhase) { _, phase in
            guard phase == .active else { return }
            Task { await model.refreshAll() }
        }
        .onChange(of: model.selectedCityID) {
            showingCities = false
        }
    }
}

private struct ForecastContainer: View {
    @Environment(WeatherViewModel.self) private var model

    var body: some View {
        ZStack {
            background
                .ignoresSafeArea()
            switch (model.phase, model.selectedForecast) {
            case (_, let forecast?):
                ForecastView(forecast: forecast)
            case (.failed(let message), nil):
                ContentUnavailableView {
                    Label("No Forecast", systemImage: "cloud.slash")
                } description: {
                    Text(message)
                } actions: {
                    Button("Retry") {
                        Task { await model.refreshAll(force: true) }
                    }
                }
            case (.loading, nil), (.idle, nil), (.loaded, nil):
                ProgressView()
                    .controlSize(.large)
            }
        }
        .refreshable {
            await model.refreshAll(force: true)
        }
    }

    private var background: LinearGradient {
        let isDay = model.selectedForecast?.current.isDay ?? true
        let colors: [Color] = isDay
            ? [Color(red: 0.35, green: 0.62, blue: 0.95), Color(red: 0.62, green: 0.80, blue: 0.98)]
            : [Color(red: 0.05, green: 0.08, blue: 0.22), Color(red: 0.20, green: 0.22, blue: 0.40)]
        return LinearGradient(colors: colors, startPoint: .top, endPoint: .bottom)
    }
}

struct ForecastView: View {
    let forecast: Forecast
    @Environment(WeatherViewModel.self) private var model

    var body: some View {
        ScrollView {
            VStack(spacing: 20) {
                CurrentConditionsView(forecast: forecast)
                HourlyStrip(hours: forecast.hours, timeZone: forecast.city.timeZone)
                    .cardStyle()
                DailyList(days: forecast.days, range: forecast.weekRange, timeZone: forecast.city.timeZone)
                    .cardStyle()
                DetailsGrid(current: forecast.current, today: forecast.days.first)
                Text("Updated \(forecast.fetchedAt, style: .relative) ago")
                    .font(.footnote)
                    .foregroundStyle(.white.opacity(0.8))
            }
            .padding()
        }
        .scrollContentBackground(.hidden)
        .navigationTitle(forecast.city.name)
        #if os(iOS)
        .navigationBarTitleDisplayMode(.inline)
        .toolbarBackground(.hidden, for: .navigationBar)
        #endif
    }
}

private struct CurrentConditionsView: View {
    let forecast: Forecast
    @Environment(WeatherViewModel.self) private var model

    var body: some View {
        let current = forecast.current
        VStack(spacing: 6) {
            Text(forecast.city.name)
                .font(.largeTitle)
            Text(model.formatted(current.temperature, showUnit: false))
                .font(.system(size: 88, weight: .thin))
            Label(current.condition.description, systemImage: current.condition.symbolName(isDay: current.isDay))
                .symbolRenderingMode(.multicolor)
                .font(.title3)
            if let today = forecast.days.first {
                Text("H:\(model.formatted(today.high, showUnit: false))  L:\(model.formatted(today.low, showUnit: false))")
                    .font(.headline)
            }
        }
        .foregroundStyle(.white)
        .shadow(radius: 4)
        .accessibilityElement(children: .combine)
    }
}

#if os(iOS)
@available(iOS 17, *)
#endif
@MainActor
struct HourlyStrip: View {
    let hours: [HourForecast]
    let timeZone: TimeZone
    @Environment(WeatherViewModel.self) private var model

    private var formatter: Date.FormatStyle {
        var style = Date.FormatStyle.dateTime.hour()
        style.timeZone = timeZone
        return style
    }

    var body: some View {
        VStack(alignment: .leading, spacing: 10) {
            Label("Hourly forecast", systemImage: "clock")
                .font(.caption.weight(.semibold))
                .foregroundStyle(.secondary)
            Divider()
            ScrollView(.horizontal, showsIndicators: false) {
                HStack(spacing: 18) {
                    ForEach(Array(hours.enumerated()), id: \.element.id) { index, hour in
                        VStack(spacing: 8) {
                            Text(index == 0 ? "Now" : hour.date.formatted(formatter))
                                .font(.caption)
                            Image(systemName: hour.condition.symbolName())
                                .symbolRenderingMode(.multicolor)
                                .frame(height: 24)
                            if let chance = hour.precipitationChance, chance >= 20 {
                                Text("\(chance)%")
                                    .font(.caption2.bold())
                                    .foregroundStyle(.cyan)
                            }
                            Text(model.formatted(hour.temperature, showUnit: false))
                                .font(.callout.weight(.medium))
                        }
                    }
                }
            }
        }
    }
}

struct DailyList: View {
    let days: [DayForecast]
    let range: ClosedRange<Double>
    let timeZone: TimeZone
    @Environment(WeatherViewModel.self) private var model

    var body: some View {
        VStack(alignment: .leading, spacing: 8) {
            Label("\(days.count)-day forecast", systemImage: "calendar")
                .font(.caption.weight(.semibold))
                .foregroundStyle(.secondary)
            ForEach(days) { day in
                Divider()
                ForecastRow(
                    title: title(for: day.date),
                    symbol: day.condition.symbolName(),
                    low: model.formatted(day.low, showUnit: false),
                    high: model.formatted(day.high, showUnit: false),
                    bar: barFractions(for: day)
                )
            }
        }
    }

    private func title(for date: Date) -> String {
        var calendar = Calendar.current
        calendar.timeZone = timeZone
        if calendar.isDateInToday(date) {
            return "Today"
        }
        return date.formatted(.dateTime.weekday(.abbreviated))
    }

    private func barFractions(for day: DayForecast) -> ClosedRange<Double> {
        let span = range.upperBound - range.lowerBound
        guard span > 0, !day.low.isNaN, !day.high.isNaN else { return 0 ... 1 }
        let start = (day.low - range.lowerBound) / span
        let end = (day.high - range.lowerBound) / span
        return start.clamped(to: 0 ... 1) ... max(start, end).clamped(to: 0 ... 1)
    }
}

private struct DetailsGrid: View {
    let current: CurrentWeather
    let today: DayForecast?
    @Environment(WeatherViewModel.self) private var model
    @AppStorage("windUnit") private var windUnit: WindUnit = .kilometresPerHour

    private var wind: String {
        let speed = Measurement(value: current.windSpeed, unit: UnitSpeed.kilometersPerHour).converted(to: windUnit.unit)
        return speed.formatted(.measurement(width: .abbreviated, usage: .asProvided, numberFormatStyle: .number.precision(.fractionLength(0))))
    }

    var body: some View {
        Grid(horizontalSpacing: 12, verticalSpacing: 12) {
            GridRow {
                tile("Feels like", value: model.formatted(current.feelsLike), symbol: "thermometer.medium")
                tile("Humidity", value: "\(current.humidity)%", symbol: "humidity")
            }
            GridRow {
                tile("Wind", value: wind, symbol: "wind")
                if let today {
                    tile("Daylight", value: today.daylight.formattedDuration, symbol: "sun.horizon")
                } else {
                    Color.clear
                }
            }
        }
    }

    private func tile(_ title: String, value: String, symbol: String) -> some View {
        VStack(alignment: .leading, spacing: 8) {
            Label(title.uppercased(), systemImage: symbol)
                .font(.caption2.weight(.semibold))
                .foregroundStyle(.secondary)
            Text(value)
                .font(.title2)
        }
        .frame(maxWidth: .infinity, alignment: .leading)
        .cardStyle()
    }
}

#Preview("Forecast") {
    NavigationStack {
        ForecastView(forecast: .sample())
    }
    .environment(WeatherViewModel(client: PreviewWeatherClient()))
}
