import Foundation
import SwiftData

enum Frequency: Codable, Hashable, CustomStringConvertible {
    case daily
    case weekdays(Set<Int>)
    case timesPerWeek(Int)

    var description: String {
        switch self {
        case .daily:
            return "Every day"
        case .weekdays(let days) where days.count == 7:
            return "Every day"
        case .weekdays(let days) where days == [2, 3, 4, 5, 6]:
            return "Weekdays"
        case .weekdays(let days):
            let symbols = Calendar.current.shortWeekdaySymbols
            return days.sorted().compactMap { symbols[safe: $0 - 1] }.joined(separator: ", ")
        case .timesPerWeek(let count):
            return "\(count)× a week"
        }
    }

    func isScheduled(on date: Date, calendar: Calendar = .current) -> Bool {
        switch self {
        case .daily, .timesPerWeek:
            return true
        case .weekdays(let days):
            return days.contains(calendar.component(.weekday, from: date))
        }
    }
}

enum HabitKind: String, Codable, CaseIterable {
    case build
    case quit

    var verb: String { self == .build ? "Do" : "Avoid" }
}

@Model
final class Habit {
    var name: String
    var emoji: String
    var colorHex: String
    var kind: HabitKind
    var frequency: Frequency
    var targetPerDay: Int
    var reminderHour: Int? = nil
    var reminderMinute: Int? = nil
    var createdAt: Date
    var archived: Bool
    @Relationship(deleteRule: .cascade, inverse: \HabitEntry.habit)
    var entries: [HabitEntry] = []

    init(
        name: String,
        emoji: String = "✅",
        colorHex: String = "#34C759",
        kind: HabitKind = .build,
        frequency: Frequency = .daily,
        targetPerDay: Int = 1
    ) {
        self.name = name
        self.emoji = emoji
        self.colorHex = colorHex
        self.kind = kind
        self.frequency = frequency
        self.targetPerDay = max(1, targetPerDay)
        self.createdAt = .now
        self.archived = false
    }

    var reminderTime: DateComponents? {
        get {
            guard let reminderHour, let reminderMinute else { return nil }
            return DateComponents(hour: reminderHour, minute: reminderMinute)
        }
        set {
            reminderHour = newValue?.hour
            reminderMinute = newValue?.minute
        }
    }

    func count(on day: Date, calendar: Calendar = .current) -> Int {
        entries
            .filter { calendar.isDate($0.date, inSameDayAs: day) }
            .reduce(0) { $0 + $1.count }
    }

    func isComplete(on day: Date) -> Bool {
        count(on: day) >= targetPerDay
    }

    var completedDays: Set<Date> {
        let calendar = Calendar.current
        let totals = Dictionary(grouping: entries) { calendar.startOfDay(for: $0.date) }
            .mapValues { $0.reduce(0) { $0 + $1.count } }
        return Set(totals.filter { $0.value >= targetPerDay }.keys)
    }
}

@Model
final class HabitEntry {
    var date: Date
    var count: Int
    var note: String?
    var habit: Habit?

    init(date: Date = .now, count: Int = 1, note: String? = nil, habit: Habit? = nil) {
        self.date = date
        self.count = count
        self.note = note
        self.habit = habit
    }
}

/// Works out streaks from the set of days on which a habit was completed.
struct StreakCalculator {
    var calendar: Calendar = .current
    var today: Date = .now

    struct Summary: Equatable {
        var current: Int
        var longest: Int
        var completionRate: Double
        var lastCompleted: Date?
    }

    func summary(completedDays: Set<Date>, frequency: Frequency, since start: Date) -> Summary {
        let days = Set(completedDays.map { calendar.startOfDay(for: $0) })
        let first = calendar.startOfDay(for: start)
        let last = calendar.startOfDay(for: today)
        guard first <= last else {
            return Summary(current: 0, longest: 0, completionRate: 0, lastCompleted: nil)
        }

        var scheduled: [Date] = []
        var cursor = first
        while cursor <= last {
            if frequency.isScheduled(on: cursor, calendar: calendar) {
                scheduled.append(cursor)
            }
            guard let next = calendar.date(byAdding: .day, value: 1, to: cursor) else { break }
            cursor = next
        }

        var longest = 0
        var run = 0
        for day in scheduled {
            if days.contains(day) {
                run += 1
                longest = max(longest, run)
            } else if day != last {
                run = 0
            }
        }

        // Today does not break the streak until it is over.
        var current = 0
        for day in scheduled.reversed() {
            if days.contains(day) {
                current += 1
            } else if day == last {
                continue
            } else {
                break
            }
        }

        let doneCount = scheduled.count(where: { days.contains($0) })
        let rate = scheduled.isEmpty ? 0 : Double(doneCount) / Double(scheduled.count)
        return Summary(current: current, longest: longest, completionRate: rate, lastCompleted: days.max())
    }

    func weeklyProgress(completedDays: Set<Date>, target: Int) -> (done: Int, target: Int, fraction: Double) {
        guard let week = calendar.dateInterval(of: .weekOfYear, for: today) else {
            return (0, target, 0)
        }
        let done = completedDays.count(where: { week.contains($0) })
        let fraction = target > 0 ? min(1, Double(done) / Double(target)) : 0
        return (done, target, fraction)
    }

    /// The last `weeks` weeks as rows of seven days, oldest first, for the heat map.
    func grid(weeks: Int) -> [[Date]] {
        let end = calendar.startOfDay(for: today)
        let totalDays = weeks * 7
        let days = (0 ..< totalDays).reversed().compactMap { offset in
            calendar.date(byAdding: .day, value: -offset, to: end)
        }
        return days.chunked(into: 7)
    }
}

extension Habit {
    @MainActor
    static func makeSamples(in context: ModelContext) {
        let samples: [(String, String, Frequency)] = [
            ("Drink water", "💧", .daily),
            ("Read 20 pages", "📚", .weekdays([2, 3, 4, 5, 6])),
            ("Run", "🏃", .timesPerWeek(3)),
        ]
        for (index, (name, emoji, frequency)) in samples.enumerated() {
            let habit = Habit(name: name, emoji: emoji, frequency: frequency)
            context.insert(habit)
            for dayOffset in stride(from: 0, to: 21, by: index + 1) {
                let entry = HabitEntry(date: Date.now.adding(days: -dayOffset), habit: habit)
                context.insert(entry)
            }
        }
    }
}
