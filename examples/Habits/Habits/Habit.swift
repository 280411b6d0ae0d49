import Foundation

enum HabitCategory: String, CaseIterable, Identifiable, Codable {
    case health
    case mind
    case work
    case social

    var id: String { rawValue }

    var title: String {
        rawValue.capitalized
    }

    var symbol: String {
        switch self {
        case .health: return "heart.fill"
        case .mind: return "brain.head.profile"
        case .work: return "briefcase.fill"
        case .social: return "person.2.fill"
        }
    }
}

enum Schedule: Hashable {
    case daily
    case weekdays
    case timesPerWeek(Int)
    case everyNDays(Int)

    var summary: String {
        switch self {
        case .daily:
            return "Every day"
        case .weekdays:
            return "Monday to Friday"
        case .timesPerWeek(let count) where count == 1:
            return "Once a week"
        case .timesPerWeek(let count):
            return "\(count) times a week"
        case .everyNDays(let days):
            return days == 2 ? "Every other day" : "Every \(days) days"
        }
    }

    var expectedPerWeek: Int {
        switch self {
        case .daily: return 7
        case .weekdays: return 5
        case .timesPerWeek(let count): return count
        case .everyNDays(let days): return max(7 / max(days, 1), 1)
        }
    }
}

struct Habit: Identifiable, Hashable {
    var id = UUID()
    var name: String
    var category: HabitCategory
    var schedule: Schedule
    var dailyTarget: Int = 1
    var note: String?
    var isArchived = false
    var completions: [Date] = []

    var isDoneToday: Bool {
        completionsToday >= dailyTarget
    }

    var completionsToday: Int {
        completions.filter { Calendar.current.isDateInToday($0) }.count
    }

    var lastCompleted: Date? {
        completions.max()
    }

    var streak: Int {
        let calendar = Calendar.current
        var day = calendar.startOfDay(for: Date())
        var count = 0
        while completions.contains(where: { calendar.isDate($0, inSameDayAs: day) }) {
            count += 1
            guard let previous = calendar.date(byAdding: .day, value: -1, to: day) else { break }
            day = previous
        }
        return count
    }

    mutating func checkIn(at date: Date = Date()) {
        guard completionsToday < dailyTarget else { return }
        completions.append(date)
    }

    mutating func undoCheckIn() {
        if !completions.isEmpty {
            completions.removeLast()
        }
    }
}

extension Habit {
    static let samples: [Habit] = [
        Habit(name: "Drink water", category: .health, schedule: .daily, dailyTarget: 8),
        Habit(name: "Read", category: .mind, schedule: .timesPerWeek(4), note: "Twenty pages at least"),
        Habit(name: "Inbox zero", category: .work, schedule: .weekdays),
        Habit(name: "Call a friend", category: .social, schedule: .timesPerWeek(1)),
        Habit(name: "Stretch", category: .health, schedule: .everyNDays(2), isArchived: true),
    ]
}
