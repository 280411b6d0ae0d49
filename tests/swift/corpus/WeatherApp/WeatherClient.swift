import Foundation

protocol WeatherProviding: Sendable {
    func forecast(for city: City, unit: TemperatureUnit) async throws -> Forecast
    func searchCities(named query: String) async throws -> [City]
}

enum WeatherError: LocalizedError {
    case invalidRequest
    case badStatus(code: Int, body: String?)
    case decoding(underlying: Error)
    case offline
    case rateLimited(retryAfter: TimeInterval?)

    var errorDescription: String? {
        switch self {
        case .invalidRequest:
            return "The request could not be built."
        case .badStatus(let code, _) where (500 ..< 600).contains(code):
            return "The weather service is having trouble (\(code)). Try again later."
        case .badStatus(let code, let body):
            return "Unexpected response \(code)\(body.map { ": \($0.truncated(to: 80))" } ?? "")."
        case .decoding:
            return "The forecast data could not be read."
        case .offline:
            return "You appear to be offline."
        case .rateLimited(let retryAfter?):
            return "Too many requests. Try again in \(Int(retryAfter)) seconds."
        case .rateLimited(nil):
            return "Too many requests. Try again soon."
        }
    }

    var isRetryable: Bool {
        switch self {
        case .offline, .rateLimited: return true
        case .badStatus(let code, _): return code >= 500
        default: return false
        }
    }
}

struct OpenForecastClient: WeatherProviding {
    private let session: URLSession
    private let baseURL: URL
    private let geocodingURL: URL

    init(
        session: URLSession = .shared,
        baseURL: URL = URL(string: "https://api.example-weather.com/v1/forecast")!,
        geocodingURL: URL = URL(string: "https://geocoding.example-weather.com/v1/search")!
    ) {
        self.session = session
        self.baseURL = baseURL
        self.geocodingURL = geocodingURL
    }

    private static let decoder: JSONDecoder = {
        let decoder = JSONDecoder()
        decoder.keyDecodingStrategy = .convertFromSnakeCase
        decoder.dateDecodingStrategy = .custom { decoder in
            let container = try decoder.singleValueContainer()
            let text = try container.decode(String.self)
            for format in ["yyyy-MM-dd'T'HH:mm", "yyyy-MM-dd"] {
                let formatter = DateFormatter()
                formatter.locale = Locale(identifier: "en_US_POSIX")
                formatter.timeZone = TimeZone(identifier: "UTC")
                formatter.dateFormat = format
                if let date = formatter.date(from: text) {
                    return date
                }
            }
            throw DecodingError.dataCorruptedError(in: container, debugDescription: "Unrecognised date \(text)")
        }
        return decoder
    }()

    func forecast(for city: City, unit: TemperatureUnit) async throws -> Forecast {
        var components = URLComponents(url: baseURL, resolvingAgainstBaseURL: false)
        components?.queryItems = [
            URLQueryItem(name: "latitude", value: String(city.coordinate.latitude)),
            URLQueryItem(name: "longitude", value: String(city.coordinate.longitude)),
            URLQueryItem(name: "current", value: "temperature_2m,apparent_temperature,relative_humidity_2m,wind_speed_10m,weather_code,is_day"),
            URLQueryItem(name: "hourly", value: "temperature_2m,precipitation_probability,weather_code"),
            URLQueryItem(name: "daily", value: "weather_code,temperature_2m_max,temperature_2m_min,sunrise,sunset,precipitation_sum"),
            URLQueryItem(name: "temperature_unit", value: unit.apiValue),
            URLQueryItem(name: "timezone", value: city.timeZoneIdentifier),
            URLQueryItem(name: "forecast_days", value: "10"),
        ]
        guard let url = components?.url else {
            throw WeatherError.invalidRequest
        }
        let response: ForecastResponse = try await withRetry(attempts: 3) {
            try await get(url)
        }
        return Forecast(city: city, response: response)
    }

    func searchCities(named query: String) async throws -> [City] {
        struct SearchResponse: Decodable {
            struct Result: Decodable {
                let name: String
                let country: String?
                let admin1: String?
                let latitude: Double
                let longitude: Double
                let timezone: String?
            }
            let results: [Result]?
        }

        let trimmed = query.trimmingCharacters(in: .whitespaces)
        guard trimmed.count >= 2 else { return [] }
        guard var components = URLComponents(url: geocodingURL, resolvingAgainstBaseURL: false) else {
            throw WeatherError.invalidRequest
        }
        components.queryItems = [
            .init(name: "name", value: trimmed),
            .init(name: "count", value: "10"),
            .init(name: "language", value: Locale.current.language.languageCode?.identifier ?? "en"),
        ]
        guard let url = components.url else { throw WeatherError.invalidRequest }

        let response: SearchResponse = try await get(url)
        return (response.results ?? []).map { result in
            City(
                name: result.name,
                country: result.country ?? "",
                admin: result.admin1,
                coordinate: Coordinate(latitude: result.latitude, longitude: result.longitude),
                timeZoneIdentifier: result.timezone ?? TimeZone.current.identifier
            )
        }
    }

    private func get<T: Decodable>(_ url: URL) async throws -> T {
        var request = URLRequest(url: url, cachePolicy: .reloadRevalidatingCacheData, timeoutInterval: 15)
        request.setValue("application/json", forHTTPHeaderField: "Accept")

        let data: Data
        let response: URLResponse
        do {
            (data, response) = try await session.data(for: request)
        } catch let error as URLError where error.code == .notConnectedToInternet || error.code == .networkConnectionLost {
            throw WeatherError.offline
        }

        guard let http = response as? HTTPURLResponse else {
            throw WeatherError.badStatus(code: -1, body: nil)
        }
        switch http.statusCode {
        case 200 ..< 300:
            break
        case 429:
            let retryAfter = http.value(forHTTPHeaderField: "Retry-After").flatMap(TimeInterval.init)
            throw WeatherError.rateLimited(retryAfter: retryAfter)
        default:
            throw WeatherError.badStatus(code: http.statusCode, body: String(data: data, encoding: .utf8))
        }

        do {
            return try Self.decoder.decode(T.self, from: data)
        } catch {
            throw WeatherError.decoding(underlying: error)
        }
    }
}

/// Runs `operation` again after a growing pause when it fails with a retryable error.
func withRetry<T>(
    attempts: Int,
    initialDelay: Duration = .milliseconds(500),
    operation: () async throws -> T
) async throws -> T {
    precondition(attempts > 0, "attempts must be positive")
    var delay = initialDelay
    for attempt in 1 ... attempts {
        do {
            return try await operation()
        } catch let error as WeatherError where error.isRetryable && attempt < attempts {
            if case .rateLimited(let retryAfter?) = error {
                try await Task.sleep(for: .seconds(retryAfter))
            } else {
                try await Task.sleep(for: delay)
            }
            delay *= 2
        }
    }
    throw WeatherError.invalidRequest
}

extension WeatherProviding {
    /// Fetches several cities at once; a city that fails is left out instead of failing the batch.
    func forecasts(for cities: [City], unit: TemperatureUnit) async -> [City.ID: Result<Forecast, Error>] {
        await withTaskGroup(of: (City.ID, Result<Forecast, Error>).self) { group in
            for city in cities {
                group.addTask {
                    do {
                        return (city.id, .success(try await forecast(for: city, unit: unit)))
                    } catch {
                        return (city.id, .failure(error))
                    }
                }
            }
            var results: [City.ID: Result<Forecast, Error>] = [:]
            for await (id, result) in group {
                results[id] = result
            }
            return results
        }
    }
}

struct PreviewWeatherClient: WeatherProviding {
    var delay: Duration = .milliseconds(300)
    var failing = false

    func forecast(for city: City, unit: TemperatureUnit) async throws -> Forecast {
        try await Task.sleep(for: delay)
        if failing {
            throw WeatherError.offline
        }
        return .sample(for: city)
    }

    func searchCities(named query: String) async throws -> [City] {
        [City.berlin, City.lisbon].filter { $0.name.localizedCaseInsensitiveContains(query) }
    }
}

extension Forecast {
    static func sample(for city: City = .berlin) -> Forecast {
        let start = Calendar.current.startOfDay(for: .now)
        let hours = (0 ..< 48).map { start.addingTimeInterval(Double($0) * 3_600) }
        let days = (0 ..< 10).map { start.adding(days: $0) }
        let response = ForecastResponse(
            latitude: city.coordinate.latitude,
            longitude: city.coordinate.longitude,
            timezone: city.timeZoneIdentifier,
            current: .init(
                time: .now,
                temperature2m: 17.4,
                apparentTemperature: 16.1,
                relativeHumidity2m: 62,
                windSpeed10m: 14.2,
                weatherCode: 2,
                isDay: 1
            ),
            hourly: .init(
                time: hours,
                temperature2m: hours.indices.map { 12 + 6 * sin(Double($0) / 24 * 2 * .pi) },
                precipitationProbability: hours.indices.map { $0 % 7 == 0 ? 40 : nil },
                weatherCode: hours.indices.map { [0, 1, 2, 3, 61, 80][$0 % 6] }
            ),
            daily: .init(
                time: days,
                weatherCode: [0, 2, 3, 61, 63, 80, 95, 71, 45, 1],
                temperature2mMax: [21, 19, 18, 16, 15, 17, 22, 4, 12, 20],
                temperature2mMin: [11, 10, 9, 8, 8, 9, 13, -2, 6, 10],
                sunrise: days.map { $0.addingTimeInterval(.hours(6.5)) },
                sunset: days.map { $0.addingTimeInterval(.hours(20.25)) },
                precipitationSum: [0, 0, 0.4, 6.2, 12.5, 3.1, 8.8, 4.0, 0, 0]
            )
        )
        return Forecast(city: city, response: response)
    }
}
