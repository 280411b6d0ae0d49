import Foundation

struct Coordinate: Codable, Hashable, Sendable {
    var latitude: Double
    var longitude: Double

    var description: String {
        String(format: "%.3f, %.3f", latitude, longitude)
    }
}

struct City: Identifiable, Codable, Hashable, Sendable {
    var id: String { "\(name)|\(country)" }
    var name: String
    var country: String
    var admin: String?
    var coordinate: Coordinate
    var timeZoneIdentifier: String

    var timeZone: TimeZone { TimeZone(identifier: timeZoneIdentifier) ?? .current }

    var subtitle: String {
        [admin, country].compactMap { $0 }.filter { !$0.isEmpty }.joined(separator: ", ")
    }

    static let berlin = City(
        name: "Berlin",
        country: "Germany",
        admin: "Berlin",
        coordinate: Coordinate(latitude: 52.52, longitude: 13.405),
        timeZoneIdentifier: "Europe/Berlin"
    )

    static let lisbon = City(
        name: "Lisbon",
        country: "Portugal",
        coordinate: Coordinate(latitude: 38.722, longitude: -9.139),
        timeZoneIdentifier: "Europe/Lisbon"
    )
}

enum TemperatureUnit: String, CaseIterable, Identifiable, Codable {
    case celsius = "°C"
    case fahrenheit = "°F"

    var id: Self { self }

    var apiValue: String {
        self == .celsius ? "celsius" : "fahrenheit"
    }

    func convert(celsius value: Double) -> Double {
        switch self {
        case .celsius: return value
        case .fahrenheit: return value * 9 / 5 + 32
        }
    }
}

enum WindUnit: String, CaseIterable, Identifiable {
    case kilometresPerHour = "km/h"
    case metresPerSecond = "m/s"
    case milesPerHour = "mph"
    case knots = "kn"

    var id: String { rawValue }

    var unit: UnitSpeed {
        switch self {
        case .kilometresPerHour: .kilometersPerHour
        case .metresPerSecond: .metersPerSecond
        case .milesPerHour: .milesPerHour
        case .knots: .knots
        }
    }
}

/// Weather interpretation codes as the forecast service sends them.
enum WeatherCondition: Equatable {
    case clear
    case partlyCloudy
    case overcast
    case fog
    case drizzle(intensity: Intensity)
    case rain(intensity: Intensity, freezing: Bool)
    case snow(intensity: Intensity)
    case showers
    case thunderstorm(hail: Bool)
    case unknown(code: Int)

    enum Intensity: Int, Comparable {
        case light = 1, moderate, heavy

        static func < (lhs: Intensity, rhs: Intensity) -> Bool { lhs.rawValue < rhs.rawValue }
    }

    init(code: Int) {
        switch code {
        case 0: self = .clear
        case 1, 2: self = .partlyCloudy
        case 3: self = .overcast
        case 45, 48: self = .fog
        case 51: self = .drizzle(intensity: .light)
        case 53: self = .drizzle(intensity: .moderate)
        case 55, 56, 57: self = .drizzle(intensity: .heavy)
        case 61: self = .rain(intensity: .light, freezing: false)
        case 63: self = .rain(intensity: .moderate, freezing: false)
        case 65: self = .rain(intensity: .heavy, freezing: false)
        case 66, 67: self = .rain(intensity: code == 66 ? .light : .heavy, freezing: true)
        case 71 ... 77: self = .snow(intensity: code < 73 ? .light : (code < 75 ? .moderate : .heavy))
        case 80 ... 86: self = .showers
        case 95: self = .thunderstorm(hail: false)
        case 96, 99: self = .thunderstorm(hail: true)
        default: self = .unknown(code: code)
        }
    }

    func symbolName(isDay: Bool = true) -> String {
        switch self {
        case .clear:
            return isDay ? "sun.max.fill" : "moon.stars.fill"
        case .partlyCloudy:
            return isDay ? "cloud.sun.fill" : "cloud.moon.fill"
        case .overcast:
            return "cloud.fill"
        case .fog:
            return "cloud.fog.fill"
        case .drizzle:
            return "cloud.drizzle.fill"
        case .rain(_, freezing: true):
            return "cloud.sleet.fill"
        case .rain(let intensity, _) where intensity >= .heavy:
            return "cloud.heavyrain.fill"
        case .rain:
            return "cloud.rain.fill"
        case .snow:
            return "cloud.snow.fill"
        case .showers:
            return isDay ? "cloud.sun.rain.fill" : "cloud.moon.rain.fill"
        case .thunderstorm(let hail):
            return hail ? "cloud.bolt.rain.fill" : "cloud.bolt.fill"
        case .unknown:
            return "questionmark.circle"
        }
    }

    var description: String {
        switch self {
        case .clear: "Clear"
        case .partlyCloudy: "Partly cloudy"
        case .overcast: "Overcast"
        case .fog: "Fog"
        case .drizzle(let intensity): "\(intensity.label) drizzle"
        case .rain(let intensity, let freezing): "\(intensity.label)\(freezing ? " freezing" : "") rain"
        case .snow(let intensity): "\(intensity.label) snow"
        case .showers: "Showers"
        case .thunderstorm(let hail): hail ? "Thunderstorm with hail" : "Thunderstorm"
        case .unknown(let code): "Unknown (\(code))"
        }
    }
}

extension WeatherCondition.Intensity {
    var label: String {
        switch self {
        case .light: "Light"
        case .moderate: "Moderate"
        case .heavy: "Heavy"
        }
    }
}

// MARK: - API response

struct ForecastResponse: Decodable {
    struct Current: Decodable {
        let time: Date
        let temperature2m: Double
        let apparentTemperature: Double
        let relativeHumidity2m: Int
        let windSpeed10m: Double
        let weatherCode: Int
        let isDay: Int
    }

    struct Hourly: Decodable {
        let time: [Date]
        let temperature2m: [Double]
        let precipitationProbability: [Int?]
        let weatherCode: [Int]
    }

    struct Daily: Decodable {
        let time: [Date]
        let weatherCode: [Int]
        let temperature2mMax: [Double]
        let temperature2mMin: [Double]
        let sunrise: [Date]
        let sunset: [Date]
        let precipitationSum: [Double]
    }

    let latitude: Double
    let longitude: Double
    let timezone: String
    let current: Current
    let hourly: Hourly
    let daily: Daily
}

struct CurrentWeather: Equatable {
    var date: Date
    var temperature: Double
    var feelsLike: Double
    var humidity: Int
    var windSpeed: Double
    var condition: WeatherCondition
    var isDay: Bool
}

struct HourForecast: Identifiable, Equatable {
    var id: Date { date }
    var date: Date
    var temperature: Double
    var precipitationChance: Int?
    var condition: WeatherCondition
}

struct DayForecast: Identifiable, Equatable {
    var id: Date { date }
    var date: Date
    var low: Double
    var high: Double
    var precipitation: Double
    var sunrise: Date
    var sunset: Date
    var condition: WeatherCondition

    var daylight: TimeInterval { sunset.timeIntervalSince(sunrise) }
}

struct Forecast: Equatable {
    var city: City
    var current: CurrentWeather
    var hours: [HourForecast]
    var days: [DayForecast]
    var fetchedAt: Date

    init(city: City, response: ForecastResponse, now: Date = .now) {
        self.city = city
        self.fetchedAt = now
        let c = response.current
        current = CurrentWeather(
            date: c.time,
            temperature: c.temperature2m,
            feelsLike: c.apparentTemperature,
            humidity: c.relativeHumidity2m,
            windSpeed: c.windSpeed10m,
            condition: WeatherCondition(code: c.weatherCode),
            isDay: c.isDay == 1
        )

        let h = response.hourly
        let hourCount = min(h.time.count, h.temperature2m.count, h.weatherCode.count)
        hours = (0 ..< hourCount)
            .map { i in
                HourForecast(
                    date: h.time[i],
                    temperature: h.temperature2m[i],
                    precipitationChance: i < h.precipitationProbability.count ? h.precipitationProbability[i] : nil,
                    condition: WeatherCondition(code: h.weatherCode[i])
                )
            }
            .filter { $0.date >= now.addingTimeInterval(-3_600) }
            .prefix(24)
            .map { $0 }

        let d = response.daily
        days = zip(d.time.indices, d.time).map { index, date in
            DayForecast(
                date: date,
                low: d.temperature2mMin[safe: index] ?? .nan,
                high: d.temperature2mMax[safe: index] ?? .nan,
                precipitation: d.precipitationSum[safe: index] ?? 0,
                sunrise: d.sunrise[safe: index] ?? date,
                sunset: d.sunset[safe: index] ?? date,
                condition: WeatherCondition(code: d.weatherCode[safe: index] ?? -1)
            )
        }
    }

    var isStale: Bool {
        Date.now.timeIntervalSince(fetchedAt) > .minutes(30)
    }

    /// The overall range across the week, so every day's bar can be drawn on one scale.
    var weekRange: ClosedRange<Double> {
        let lows = days.map(\.low).filter { !$0.isNaN }
        let highs = days.map(\.high).filter { !$0.isNaN }
        guard let low = lows.min(), let high = highs.max(), low <= high else {
            return 0 ... 1
        }
        return low ... high
    }
}
