import CoreLocation
import Foundation

/// Wraps the delegate-based location manager in async calls.
final class LocationProvider: NSObject, CLLocationManagerDelegate {
    enum LocationError: Error {
        case denied
        case unavailable
        case alreadyRequesting
    }

    private let manager = CLLocationManager()
    private let geocoder = CLGeocoder()
    private var locationContinuation: CheckedContinuation<CLLocation, Error>?
    private var authorizationContinuation: CheckedContinuation<CLAuthorizationStatus, Never>?

    override init() {
        super.init()
        manager.delegate = self
        manager.desiredAccuracy = kCLLocationAccuracyKilometer
    }

    var isAuthorized: Bool {
        switch manager.authorizationStatus {
        case .authorizedAlways, .authorizedWhenInUse: true
        default: false
        }
    }

    func requestAuthorizationIfNeeded() async -> Bool {
        guard manager.authorizationStatus == .notDetermined else {
            return isAuthorized
        }
        let status = await withCheckedContinuation { (continuation: CheckedContinuation<CLAuthorizationStatus, Never>) in
            authorizationContinuation = continuation
            manager.requestWhenInUseAuthorization()
        }
        return status == .authorizedWhenInUse || status == .authorizedAlways
    }

    func currentLocation() async throws -> CLLocation {
        guard await requestAuthorizationIfNeeded() else {
            throw LocationError.denied
        }
        guard locationContinuation == nil else {
            throw LocationError.alreadyRequesting
        }
        return try await withCheckedThrowingContinuation { continuation in
            locationContinuation = continuation
            manager.requestLocation()
        }
    }

    func currentCity() async throws -> City {
        let location = try await currentLocation()
        let placemarks = try await geocoder.reverseGeocodeLocation(location)
        guard let placemark = placemarks.first else {
            throw LocationError.unavailable
        }
        return City(
            name: placemark.locality ?? placemark.name ?? "Current Location",
            country: placemark.country ?? "",
            admin: placemark.administrativeArea,
            coordinate: Coordinate(
                latitude: location.coordinate.latitude,
                longitude: location.coordinate.longitude
            ),
            timeZoneIdentifier: placemark.timeZone?.identifier ?? TimeZone.current.identifier
        )
    }

    // MARK: CLLocationManagerDelegate

    func locationManagerDidChangeAuthorization(_ manager: CLLocationManager) {
        guard manager.authorizationStatus != .notDetermined else { return }
        authorizationContinuation?.resume(returning: manager.authorizationStatus)
        authorizationContinuation = nil
    }

    func locationManager(_ manager: CLLocationManager, didUpdateLocations locations: [CLLocation]) {
        guard let location = locations.last else { return }
        locationContinuation?.resume(returning: location)
        locationContinuation = nil
    }

    func locationManager(_ manager: CLLocationManager, didFailWithError error: Error) {
        locationContinuation?.resume(throwing: error)
        locationContinuation = nil
    }
}

/// Publishes significant location changes as an async sequence.
struct SignificantLocationUpdates: AsyncSequence {
    typealias Element = CLLocation

    struct AsyncIterator: AsyncIteratorProtocol {
        var base: AsyncStream<CLLocation>.Iterator

        mutating func next() async -> CLLocation? {
            await base.next()
        }
    }

    private let stream: AsyncStream<CLLocation>

    init(bufferingNewest limit: Int = 1) {
        stream = AsyncStream(bufferingPolicy: .bufferingNewest(limit)) { continuation in
            let relay = Relay(continuation: continuation)
            continuation.onTermination = { @Sendable _ in
                relay.stop()
            }
            relay.start()
        }
    }

    func makeAsyncIterator() -> AsyncIterator {
        AsyncIterator(base: stream.makeAsyncIterator())
    }

    private final class Relay: NSObject, CLLocationManagerDelegate, @unchecked Sendable {
        private let manager = CLLocationManager()
        private let continuation: AsyncStream<CLLocation>.Continuation

        init(continuation: AsyncStream<CLLocation>.Continuation) {
            self.continuation = continuation
            super.init()
            manager.delegate = self
        }

        func start() {
            manager.startMonitoringSignificantLocationChanges()
        }

        func stop() {
            manager.stopMonitoringSignificantLocationChanges()
        }

        func locationManager(_ manager: CLLocationManager, didUpdateLocations locations: [CLLocation]) {
            for location in locations {
                continuation.yield(location)
            }
        }
    }
}
