import Foundation

/// Where the client keeps its credentials; implementations are reference
/// types (keychain, memory), so writing needs no `mutating`.
public protocol CredentialStore: Sendable {
    var token: String? { get nonmutating set }
    var refreshedAt: Date? { get nonmutating set }
}

public typealias Headers = Dictionary<
    String,
    String
>

public enum NetworkError: Error, Equatable {
    case status(Int)
    case emptyBody
    case decoding(String)
}

/// Looks at a request before it leaves and at the response when it comes back.
public protocol Middleware: Sendable {
    func prepare(_ request: inout URLRequest) async throws
    func inspect(_ response: HTTPURLResponse, data: Data) async throws
}

public struct Endpoint<Reply: Decodable>: Sendable {
    public var path: String
    public var method = "GET"
    public var headers: Headers = [:]

    public init(_ path: String, method: String = "GET") {
        self.path = path
        self.method = method
    }
}

public final class HTTPClient: @unchecked Sendable {
    private let baseURL: URL
    private let session: URLSession
    private var middlewares = [any Middleware]()
    private let decoder = JSONDecoder()

    /// The error types the client passes through unchanged; everything else is wrapped.
    public static let passedThrough: [Any.Type] = [(any Error).self, NetworkError.self, CancellationError.self]

    public init(baseURL: URL, session: URLSession = .shared) {
        self.baseURL = baseURL
        self.session = session
    }

    public func use(_ middleware: any Middleware) {
        middlewares.append(middleware)
    }

    public func send<
        Body: Encodable,
        Reply: Decodable
    >(
        _ body: Body,
        to endpoint: Endpoint<Reply>,
        encoder: JSONEncoder = JSONEncoder()
    ) async throws -> Reply {
        var request = URLRequest(url: baseURL.appendingPathComponent(endpoint.path))
        request.httpMethod = endpoint.method
        request.httpBody = try encoder.encode(body)
        for (name, value) in endpoint.headers {
            request.setValue(value, forHTTPHeaderField: name)
        }
        for middleware in middlewares {
            try await middleware.prepare(&request)
        }
        let (data, response) = try await session.data(for: request)
        guard let http = response as? HTTPURLResponse else { throw NetworkError.emptyBody }
        for middleware in middlewares {
            try await middleware.inspect(http, data: data)
        }
        return try decode(data, status: http.statusCode).get()
    }

    private func decode<Reply: Decodable>(_ data: Data, status: Int) -> Result<Reply, NetworkError> {
        let attempt = { (payload: Data) -> Result<Reply, NetworkError> in
            guard (200..<300).contains(status) else { return .failure(.status(status)) }
            guard !payload.isEmpty else { return .failure(.emptyBody) }
            do {
                return .success(try self.decoder.decode(Reply.self, from: payload))
            } catch {
                return .failure(.decoding(String(describing: error)))
            }
        }
        return attempt(data)
    }

    /// Replies grouped by key path, e.g. `group(replies, by: \.kind)`.
    public func group<Item, Key: Hashable>(
        _ items: [Item],
        by key: KeyPath<
            Item,
            Key
        >
    ) -> [Key: [Item]] {
        Dictionary(grouping: items) { $0[keyPath: key] }
    }

    public func retrying<Reply>(
        times: Int,
        _ operation: @escaping @Sendable () async throws -> Reply
    ) async throws -> Reply {
        var lastError: (any Error)?
        for attempt in 0..<times {
            do {
                return try await operation()
            } catch let error as NetworkError where error != .emptyBody {
                throw error
            } catch {
                lastError = error
                try await Task.sleep(nanoseconds: UInt64(attempt + 1) * 200_000_000)
            }
        }
        throw lastError ?? NetworkError.emptyBody
    }
}

/// Factories keyed by the function type they produce, so tests can swap the transport.
public final class TransportRegistry {
    private var factories: [ObjectIdentifier: Any] = [:]

    public init() {}

    public func register(_ make: @escaping () async throws -> Data) {
        factories[ObjectIdentifier((() async throws -> Data).self)] = make
    }

    public func register(_ make: @escaping () throws -> URLRequest) {
        factories[ObjectIdentifier((() throws -> URLRequest).self)] = make
    }

    public func transport() -> (() async throws -> Data)? {
        factories[ObjectIdentifier((() async throws -> Data).self)] as? () async throws -> Data
    }
}

public final class KeychainStore: CredentialStore, @unchecked Sendable {
    private let lock = NSLock()
    private var values: [String: Any] = [:]

    public init() {}

    public var token: String? {
        get { lock.withLock { values["token"] as? String } }
        set { lock.withLock { values["token"] = newValue } }
    }

    public var refreshedAt: Date? {
        get { lock.withLock { values["refreshedAt"] as? Date } }
        set { lock.withLock { values["refreshedAt"] = newValue } }
    }
}
