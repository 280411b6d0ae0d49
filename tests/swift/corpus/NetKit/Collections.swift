/// A double-ended queue on a ring buffer.
public struct Deque<Element> {
    private var slots: ContiguousArray<Element?>
    private var head = 0
    public private(set) var count = 0

    public init(minimumCapacity: Int = 8) {
        slots = ContiguousArray(repeating: nil, count: Swift.max(minimumCapacity, 1))
    }

    public var isEmpty: Bool { count == 0 }

    public mutating func append(_ element: Element) {
        if count == slots.count { grow() }
        slots[(head + count) % slots.count] = element
        count += 1
    }

    public mutating func popFirst() -> Element? {
        guard count > 0 else { return nil }
        let element = slots[head]
        slots[head] = nil
        head = (head + 1) % slots.count
        count -= 1
        return element
    }

    public var elements: [Element] {
        (0..<count).compactMap { slots[(head + $0) % slots.count] }
    }

    private mutating func grow() {
        var larger = ContiguousArray<Element?>(repeating: nil, count: slots.count * 2)
        for index in 0..<count {
            larger[index] = slots[(head + index) % slots.count]
        }
        slots = larger
        head = 0
    }
}

public func ==<Element: Equatable>(lhs: Deque<Element>, rhs: Deque<Element>) -> Bool {
    lhs.elements == rhs.elements
}

extension Deque {
    public static func + <Other: Sequence>(lhs: Deque, rhs: Other) -> Deque where Other.Element == Element {
        var result = lhs
        for element in rhs {
            result.append(element)
        }
        return result
    }

    /// All elements, as one array slice of the whole range.
    public var snapshot: ArraySlice<Element> {
        let all = elements
        return all[...]
    }
}

/// Remembers answers, including "there is none", so a miss is not computed twice.
public final class Memo<Key: Hashable, Value> {
    final class Box<Wrapped> {
        let value: Wrapped
        init(_ value: Wrapped) { self.value = value }
    }

    private var entries: Dictionary<Key, Box<Value>?> = [:]
    private let compute: (Key) -> Value?

    public init(_ compute: @escaping (Key) -> Value?) {
        self.compute = compute
    }

    public subscript(key: Key) -> Value? {
        if let cached = entries[key] {
            return cached?.value
        }
        let value = compute(key)
        entries[key] = value.map { Box($0) } ?? Optional<Box<Value>?>.some(nil)
        return value
    }
}

/// Per-lane bounds checks on SIMD vectors.
public struct Bounds {
    public var lower: SIMD4<Float>
    public var upper: SIMD4<Float>

    public func contains(_ point: SIMD4<Float>) -> Bool {
        let inside = (point .>= lower) .& (point .<= upper)
        return all(inside)
    }

    public func outside(_ point: SIMD4<Float>) -> SIMDMask<SIMD4<Int32>> {
        (point .< lower) .| (point .> upper)
    }

    public func clamped(_ point: SIMD4<Float>) -> SIMD4<Float> {
        var result = point
        result.replace(with: lower, where: point .< lower)
        result.replace(with: upper, where: point .> upper)
        return result
    }
}

/// Helpers over heterogeneous packs of values.
public func allEqual<each T: Equatable>(_ lhs: repeat each T, _ rhs: repeat each T) -> Bool {
    for (left, right) in repeat (each lhs, each rhs) {
        guard left == right else { return false }
    }
    return true
}

public func typeNames<each T>(_ types: repeat (each T).Type) -> [String] {
    var names: [String] = []
    repeat names.append(String(describing: each types))
    return names
}

public func firstElements<each S: Sequence>(
    of sequences: repeat each S
) -> (repeat (each S).Element?) where repeat (each S).Element: Sendable {
    (repeat (each sequences).first(where: { _ in true }))
}

public func describeAll<each T>(_ values: repeat each T) -> String {
    var parts: [String] = []
    for value in repeat each values {
        parts.append(String(describing: value))
    }
    return parts.joined(separator: ", ")
}

/// One iterator per sequence, advanced together.
public struct Cursors<each S: Sequence> {
    var iterators: (repeat (each S).Iterator)

    public init(_ sequences: repeat each S) {
        iterators = (repeat (each sequences).makeIterator())
    }
}
