import Foundation

/// A place items come from and go to; the app's stores talk to this instead of to disk or network.
protocol Repository<Item> {
    associatedtype Item: Identifiable

    func all() async throws -> [Item]
    func item(with id: Item.ID) async throws -> Item?
    func save(_ item: Item) async throws
    func delete(id: Item.ID) async throws
}

extension Repository {
    func items(matching predicate: (Item) -> Bool) async throws -> [Item] {
        try await all().filter(predicate)
    }

    func contains(id: Item.ID) async throws -> Bool {
        try await item(with: id) != nil
    }
}

enum RepositoryError: Error, Equatable {
    case notFound(String)
    case conflict(expected: Int, actual: Int)
    case corrupted(reason: String)
}

actor InMemoryRepository<Item: Identifiable & Sendable>: Repository where Item.ID: Sendable {
    private var storage: [Item.ID: Item] = [:]
    private var order: [Item.ID] = []

    init(items: [Item] = []) {
        for item in items {
            storage[item.id] = item
            order.append(item.id)
        }
    }

    func all() async throws -> [Item] {
        order.compactMap { storage[$0] }
    }

    func item(with id: Item.ID) async throws -> Item? {
        storage[id]
    }

    func save(_ item: Item) async throws {
        if storage.updateValue(item, forKey: item.id) == nil {
            order.append(item.id)
        }
    }

    func delete(id: Item.ID) async throws {
        guard storage.removeValue(forKey: id) != nil else {
            throw RepositoryError.notFound(String(describing: id))
        }
        order.removeAll { $0 == id }
    }
}

/// Keeps a list of Codable items in one JSON file in the app's documents folder.
final class JSONFileRepository<Item: Codable & Identifiable>: Repository {
    private let fileURL: URL
    private let encoder: JSONEncoder
    private let decoder: JSONDecoder
    private let queue = DispatchQueue(label: "JSONFileRepository", qos: .utility)

    init(fileName: String, directory: URL = .documentsDirectory) {
        fileURL = directory.appending(path: fileName)
        encoder = JSONEncoder()
        encoder.outputFormatting = [.prettyPrinted, .sortedKeys]
        encoder.dateEncodingStrategy = .iso8601
        decoder = JSONDecoder()
        decoder.dateDecodingStrategy = .iso8601
    }

    func all() async throws -> [Item] {
        try await withCheckedThrowingContinuation { continuation in
            queue.async { [fileURL, decoder] in
                do {
                    guard FileManager.default.fileExists(atPath: fileURL.path()) else {
                        continuation.resume(returning: [])
                        return
                    }
                    let data = try Data(contentsOf: fileURL)
                    continuation.resume(returning: try decoder.decode([Item].self, from: data))
                } catch {
                    continuation.resume(throwing: RepositoryError.corrupted(reason: error.localizedDescription))
                }
            }
        }
    }

    func item(with id: Item.ID) async throws -> Item? {
        try await all().first { $0.id == id }
    }

    func save(_ item: Item) async throws {
        var items = try await all()
        if let index = items.firstIndex(where: { $0.id == item.id }) {
            items[index] = item
        } else {
            items.append(item)
        }
        try write(items)
    }

    func delete(id: Item.ID) async throws {
        var items = try await all()
        let before = items.count
        items.removeAll { $0.id == id }
        if items.count == before {
            throw RepositoryError.notFound("\(id)")
        }
        try write(items)
    }

    private func write(_ items: [Item]) throws {
        let data = try encoder.encode(items)
        try data.write(to: fileURL, options: [.atomic, .completeFileProtection])
    }
}

/// A small cache whose entries expire; used for network responses and thumbnails.
final class ExpiringCache<Key: Hashable, Value> {
    private struct Entry {
        let value: Value
        let expiresAt: Date
    }

    private var entries: [Key: Entry] = [:]
    private let lifetime: TimeInterval
    private let now: () -> Date
    private let lock = NSLock()

    var count: Int {
        lock.lock()
        defer { lock.unlock() }
        return entries.count
    }

    init(lifetime: TimeInterval, now: @escaping () -> Date = { Date() }) {
        self.lifetime = lifetime
        self.now = now
    }

    subscript(key: Key) -> Value? {
        get {
            lock.lock()
            defer { lock.unlock() }
            guard let entry = entries[key] else { return nil }
            if entry.expiresAt < now() {
                entries[key] = nil
                return nil
            }
            return entry.value
        }
        set {
            lock.lock()
            defer { lock.unlock() }
            if let newValue {
                entries[key] = Entry(value: newValue, expiresAt: now().addingTimeInterval(lifetime))
            } else {
                entries.removeValue(forKey: key)
            }
        }
    }

    func value(for key: Key, orInsert make: () throws -> Value) rethrows -> Value {
        if let cached = self[key] {
            return cached
        }
        let fresh = try make()
        self[key] = fresh
        return fresh
    }

    func removeExpired() {
        lock.lock()
        defer { lock.unlock() }
        let current = now()
        entries = entries.filter { _, entry in entry.expiresAt >= current }
    }
}

/// Merges two sorted collections into one sorted array.
func mergeSorted<First: Collection, Second: Collection>(_ first: First, _ second: Second) -> [First.Element]
where First.Element == Second.Element, First.Element: Comparable {
    var result: [First.Element] = []
    result.reserveCapacity(first.count + second.count)
    var i = first.startIndex
    var j = second.startIndex
    while i != first.endIndex && j != second.endIndex {
        if first[i] <= second[j] {
            result.append(first[i])
            first.formIndex(after: &i)
        } else {
            result.append(second[j])
            second.formIndex(after: &j)
        }
    }
    result.append(contentsOf: first[i...])
    result.append(contentsOf: second[j...])
    return result
}

protocol Summarizable {
    associatedtype Summary: CustomStringConvertible
    var summary: Summary { get }
}

struct SummaryReport<Source: Sequence> where Source.Element: Summarizable {
    let title: String
    let source: Source

    var lines: [String] {
        source.enumerated().map { offset, element in
            "\(offset + 1). \(element.summary)"
        }
    }

    var text: String {
        ([title, String(repeating: "=", count: title.count)] + lines).joined(separator: "\n")
    }
}

@propertyWrapper
struct Clamped<Value: Comparable> {
    private var value: Value
    let range: ClosedRange<Value>

    init(wrappedValue: Value, _ range: ClosedRange<Value>) {
        self.range = range
        self.value = wrappedValue.clamped(to: range)
    }

    var wrappedValue: Value {
        get { value }
        set { value = newValue.clamped(to: range) }
    }

    var projectedValue: ClosedRange<Value> { range }
}

@propertyWrapper
struct Trimmed {
    private var storage = ""

    init(wrappedValue: String) {
        self.wrappedValue = wrappedValue
    }

    var wrappedValue: String {
        get { storage }
        set { storage = newValue.trimmingCharacters(in: .whitespacesAndNewlines) }
    }
}
