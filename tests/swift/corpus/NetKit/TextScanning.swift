import Foundation

/// A cursor over a string that tests and takes characters by class.
public struct TextCursor {
    public let text: String
    public private(set) var index: String.Index

    public init(_ text: String) {
        self.text = text
        index = text.startIndex
    }

    public var isAtEnd: Bool { index == text.endIndex }

    /// Whether the current character is in `set`.
    public func `in`(_ set: CharacterSet) -> Bool {
        guard let scalar = text[index...].unicodeScalars.first else { return false }
        return set.contains(scalar)
    }

    public mutating func advance() -> Character {
        defer { index = text.index(after: index) }
        return text[index]
    }

    public mutating func take(while set: CharacterSet) -> Substring {
        let start = index
        while !isAtEnd && self.in(set) {
            index = text.index(after: index)
        }
        return text[start..<index]
    }
}

public enum Token: Equatable {
    case word(String)
    case number(Double)
    case quote
    case symbol(Character)
}

public struct Tokenizer {
    /// A quote on its own, written as a raw string so no escape is needed.
    static let quote = #"""#
    static let escapedQuote = #"\""#

    public init() {}

    public func tokens(in text: String) -> [Token] {
        var cursor = TextCursor(text)
        var result: [Token] = []
        while !cursor.isAtEnd {
            if cursor.in(.whitespacesAndNewlines) {
                _ = cursor.take(while: .whitespacesAndNewlines)
            } else if cursor.in(.letters) {
                result.append(.word(String(cursor.take(while: .alphanumerics))))
            } else if cursor.in(.decimalDigits) {
                let digits = cursor.take(while: CharacterSet.decimalDigits.union(CharacterSet(charactersIn: ".")))
                result.append(.number(Double(digits) ?? 0))
            } else if cursor.in(CharacterSet(charactersIn: Self.quote)) {
                _ = cursor.advance()
                result.append(.quote)
            } else {
                result.append(.symbol(cursor.advance()))
            }
        }
        return result
    }

    public func escaped(_ text: String) -> String {
        text.replacingOccurrences(of: Self.quote, with: Self.escapedQuote)
    }

    /// Lines that contain a character of `set`, tested with the cursor.
    public func lines(of text: String, containing set: CharacterSet) -> [Substring] {
        text.split(separator: "\n").filter { line in
            var cursor = TextCursor(String(line))
            while !cursor.isAtEnd {
                if cursor.in(set) { return true }
                _ = cursor.take(while: set.inverted)
            }
            return false
        }
    }

    public func wordCounts(in text: String) -> [(word: String, count: Int)] {
        let words = tokens(in: text).compactMap { token -> Optional<String> in
            if case .word(let word) = token { return word.lowercased() }
            return nil
        }
        return Dictionary(grouping: words) { $0 }
            .map { entry -> (word: String, count: Int) in (entry.key, entry.value.count) }
            .sorted { $0.count > $1.count }
    }
}

/// Calls into a C library loaded at run time.
public enum NativeHash {
    public typealias Function = @convention(c) (UnsafePointer<UInt8>, Int) -> UInt64

    public static func load(from handle: UnsafeMutableRawPointer) -> Function? {
        guard let symbol = dlsym(handle, "fast_hash") else { return nil }
        return unsafeBitCast(symbol, to: (@convention(c) (UnsafePointer<UInt8>, Int) -> UInt64).self)
    }

    public static func hash(_ text: String, with function: Function) -> UInt64 {
        var bytes = Array(text.utf8)
        return bytes.withUnsafeMutableBufferPointer { buffer in
            function(buffer.baseAddress!, buffer.count)
        }
    }
}
