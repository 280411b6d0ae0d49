import Foundation

extension Collection {
    /// Returns the element at `index` when it exists, so callers can index with optional chaining.
    subscript(safe index: Index) -> Element? {
        indices.contains(index) ? self[index] : nil
    }

    var isNotEmpty: Bool { !isEmpty }
}

extension Sequence {
    func sorted<Value: Comparable>(byKey keyPath: KeyPath<Element, Value>, ascending: Bool = true) -> [Element] {
        sorted { lhs, rhs in
            ascending
                ? lhs[keyPath: keyPath] < rhs[keyPath: keyPath]
                : lhs[keyPath: keyPath] > rhs[keyPath: keyPath]
        }
    }

    func grouped<Key: Hashable>(by keyPath: KeyPath<Element, Key>) -> [Key: [Element]] {
        Dictionary(grouping: self, by: { $0[keyPath: keyPath] })
    }

    func sum<Value: AdditiveArithmetic>(_ keyPath: KeyPath<Element, Value>) -> Value {
        reduce(.zero) { $0 + $1[keyPath: keyPath] }
    }

    func uniqued<Key: Hashable>(on keyPath: KeyPath<Element, Key>) -> [Element] {
        var seen = Set<Key>()
        return filter { seen.insert($0[keyPath: keyPath]).inserted }
    }

    func count(where predicate: (Element) throws -> Bool) rethrows -> Int {
        var total = 0
        for element in self {
            if try predicate(element) {
                total += 1
            }
        }
        return total
    }
}

extension Array where Element: Equatable {
    mutating func toggleMembership(of element: Element) {
        if let index = firstIndex(of: element) {
            remove(at: index)
        } else {
            append(element)
        }
    }
}

extension Array {
    func chunked(into size: Int) -> [[Element]] {
        guard size > 0 else { return [self] }
        return stride(from: 0, to: count, by: size).map { start in
            Array(self[start ..< Swift.min(start + size, count)])
        }
    }

    mutating func move(from source: Int, to destination: Int) {
        guard indices.contains(source), source != destination else { return }
        let element = remove(at: source)
        insert(element, at: Swift.min(destination, endIndex))
    }
}

extension Dictionary where Value: Numeric {
    mutating func increment(_ key: Key, by amount: Value = 1) {
        self[key, default: 0] += amount
    }
}

extension Comparable {
    func clamped(to range: ClosedRange<Self>) -> Self {
        Swift.min(Swift.max(self, range.lowerBound), range.upperBound)
    }
}

extension String {
    var trimmed: String { trimmingCharacters(in: .whitespacesAndNewlines) }

    var isBlank: Bool { trimmed.isEmpty }

    func truncated(to length: Int, trailing: String = "…") -> String {
        count > length ? String(prefix(length)) + trailing : self
    }

    /// Turns "Hello, World!" into "hello-world" for file names and URLs.
    var slug: String {
        let allowed = CharacterSet.alphanumerics
        let pieces = lowercased()
            .unicodeScalars
            .split { !allowed.contains($0) }
            .map { String(String.UnicodeScalarView($0)) }
        return pieces.joined(separator: "-")
    }

    var initials: String {
        split(separator: " ")
            .prefix(2)
            .compactMap(\.first)
            .map { String($0).uppercased() }
            .joined()
    }
}

extension Optional where Wrapped == String {
    var orEmpty: String { self ?? "" }

    var isNilOrBlank: Bool {
        guard let value = self else { return true }
        return value.isBlank
    }
}

extension Date {
    var startOfDay: Date { Calendar.current.startOfDay(for: self) }

    func adding(days: Int, calendar: Calendar = .current) -> Date {
        calendar.date(byAdding: .day, value: days, to: self) ?? self
    }

    func isSameDay(as other: Date, calendar: Calendar = .current) -> Bool {
        calendar.isDate(self, inSameDayAs: other)
    }

    func days(until other: Date, calendar: Calendar = .current) -> Int {
        let components = calendar.dateComponents([.day], from: startOfDay, to: other.startOfDay)
        return components.day ?? 0
    }

    var relativeDescription: String {
        let formatter = RelativeDateTimeFormatter()
        formatter.unitsStyle = .full
        return formatter.localizedString(for: self, relativeTo: .now)
    }
}

extension TimeInterval {
    static func minutes(_ value: Double) -> TimeInterval { value * 60 }
    static func hours(_ value: Double) -> TimeInterval { value * 3_600 }
    static func days(_ value: Double) -> TimeInterval { value * 86_400 }

    var formattedDuration: String {
        let totalMinutes = Int(self / 60)
        let (hours, minutes) = totalMinutes.quotientAndRemainder(dividingBy: 60)
        switch (hours, minutes) {
        case (0, 0):
            return "under a minute"
        case (0, let m):
            return "\(m) min"
        case (let h, 0):
            return "\(h) h"
        case let (h, m):
            return "\(h) h \(m) min"
        }
    }
}
