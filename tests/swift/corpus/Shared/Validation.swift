import Foundation

enum ValidationError: LocalizedError, Equatable {
    case empty(field: String)
    case tooLong(field: String, limit: Int)
    case outOfRange(field: String, range: ClosedRange<Double>)
    case invalidFormat(field: String, example: String)

    var errorDescription: String? {
        switch self {
        case .empty(let field):
            return "\(field) must not be empty."
        case .tooLong(let field, let limit):
            return "\(field) can have at most \(limit) characters."
        case .outOfRange(let field, let range):
            return "\(field) must be between \(range.lowerBound.formatted()) and \(range.upperBound.formatted())."
        case .invalidFormat(let field, let example):
            return "\(field) looks wrong. Try something like “\(example)”."
        }
    }
}

protocol Validator {
    associatedtype Value
    func validate(_ value: Value) throws
}

struct NonEmptyValidator: Validator {
    let field: String

    func validate(_ value: String) throws {
        if value.trimmingCharacters(in: .whitespaces).isEmpty {
            throw ValidationError.empty(field: field)
        }
    }
}

struct LengthValidator: Validator {
    let field: String
    let limit: Int

    func validate(_ value: String) throws {
        guard value.count <= limit else {
            throw ValidationError.tooLong(field: field, limit: limit)
        }
    }
}

struct RangeValidator<Number: BinaryFloatingPoint>: Validator {
    let field: String
    let range: ClosedRange<Double>

    func validate(_ value: Number) throws {
        let asDouble = Double(value)
        if !range.contains(asDouble) {
            throw ValidationError.outOfRange(field: field, range: range)
        }
    }
}

struct EmailValidator: Validator {
    private static let pattern = #"^[A-Z0-9._%+-]+@[A-Z0-9.-]+\.[A-Z]{2,}$"#

    func validate(_ value: String) throws {
        let matches = value.range(of: Self.pattern, options: [.regularExpression, .caseInsensitive]) != nil
        guard matches else {
            throw ValidationError.invalidFormat(field: "Email", example: "name@example.com")
        }
    }
}

/// Runs several validators of the same value type and collects every failure.
struct ValidatorChain<Value> {
    private var checks: [(Value) throws -> Void] = []

    init() {}

    func adding<V: Validator>(_ validator: V) -> ValidatorChain<Value> where V.Value == Value {
        var copy = self
        copy.checks.append(validator.validate)
        return copy
    }

    func errors(for value: Value) -> [ValidationError] {
        checks.compactMap { check -> ValidationError? in
            do {
                try check(value)
                return nil
            } catch let error as ValidationError {
                return error
            } catch {
                return .invalidFormat(field: "Value", example: "\(error)")
            }
        }
    }

    func isValid(_ value: Value) -> Bool {
        errors(for: value).isEmpty
    }
}

extension ValidatorChain where Value == String {
    static func title(maxLength: Int = 80) -> ValidatorChain<String> {
        ValidatorChain()
            .adding(NonEmptyValidator(field: "Title"))
            .adding(LengthValidator(field: "Title", limit: maxLength))
    }
}

struct FormState<Field: Hashable> {
    private(set) var errors: [Field: String] = [:]
    private(set) var touched: Set<Field> = []

    var isValid: Bool { errors.isEmpty }

    mutating func touch(_ field: Field) {
        touched.insert(field)
    }

    mutating func record(_ message: String?, for field: Field) {
        errors[field] = message
    }

    func message(for field: Field) -> String? {
        touched.contains(field) ? errors[field] : nil
    }

    mutating func reset() {
        self = FormState()
    }
}
