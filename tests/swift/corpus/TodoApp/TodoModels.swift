import Foundation
import SwiftData

enum Priority: Int, Codable, CaseIterable, Identifiable, Comparable {
    case low = 0
    case medium = 1
    case high = 2
    case urgent = 3

    var id: Int { rawValue }

    var title: String {
        switch self {
        case .low: "Low"
        case .medium: "Medium"
        case .high: "High"
        case .urgent: "Urgent"
        }
    }

    var symbolName: String {
        switch self {
        case .low: return "arrow.down"
        case .medium: return "minus"
        case .high: return "arrow.up"
        case .urgent: return "exclamationmark.2"
        }
    }

    static func < (lhs: Priority, rhs: Priority) -> Bool {
        lhs.rawValue < rhs.rawValue
    }
}

enum Recurrence: Codable, Hashable {
    case never
    case daily
    case weekly(weekday: Int)
    case monthly(day: Int)
    case everyNDays(Int)

    var label: String {
        switch self {
        case .never:
            return "Never"
        case .daily:
            return "Every day"
        case .weekly(let weekday):
            let symbols = Calendar.current.weekdaySymbols
            return "Every \(symbols[safe: weekday - 1] ?? "week")"
        case .monthly(let day):
            return "Monthly on day \(day)"
        case .everyNDays(1):
            return "Every day"
        case .everyNDays(let n):
            return "Every \(n) days"
        }
    }

    func nextDate(after date: Date, calendar: Calendar = .current) -> Date? {
        switch self {
        case .never:
            return nil
        case .daily:
            return calendar.date(byAdding: .day, value: 1, to: date)
        case .weekly(let weekday):
            var components = DateComponents()
            components.weekday = weekday
            return calendar.nextDate(after: date, matching: components, matchingPolicy: .nextTime)
        case .monthly(let day):
            return calendar.nextDate(
                after: date,
                matching: DateComponents(day: day),
                matchingPolicy: .nextTimePreservingSmallerComponents
            )
        case .everyNDays(let n) where n > 0:
            return calendar.date(byAdding: .day, value: n, to: date)
        case .everyNDays:
            return nil
        }
    }
}

@Model
final class TodoList {
    @Attribute(.unique) var name: String
    var colorHex: String
    var symbol: String
    var sortIndex: Int
    @Relationship(deleteRule: .cascade, inverse: \TodoItem.list)
    var items: [TodoItem] = []

    init(name: String, colorHex: String = "#3478F6", symbol: String = "list.bullet", sortIndex: Int = 0) {
        self.name = name
        self.colorHex = colorHex
        self.symbol = symbol
        self.sortIndex = sortIndex
    }

    var openCount: Int {
        items.filter { !$0.isDone }.count
    }

    var completion: Double {
        guard !items.isEmpty else { return 0 }
        return Double(items.count - openCount) / Double(items.count)
    }
}

@Model
final class Tag {
    @Attribute(.unique) var name: String
    var items: [TodoItem] = []

    init(name: String) {
        self.name = name
    }
}

@Model
final class TodoItem {
    var title: String
    var notes: String
    var isDone: Bool
    var priority: Priority
    var dueDate: Date?
    var createdAt: Date
    var completedAt: Date? = nil
    var recurrence: Recurrence
    var list: TodoList?
    @Relationship(inverse: \Tag.items)
    var tags: [Tag] = []
    @Attribute(.externalStorage)
    var attachment: Data? = nil
    @Transient
    var isHighlighted = false

    init(
        title: String,
        notes: String = "",
        priority: Priority = .medium,
        dueDate: Date? = nil,
        recurrence: Recurrence = .never,
        list: TodoList? = nil
    ) {
        self.title = title
        self.notes = notes
        self.isDone = false
        self.priority = priority
        self.dueDate = dueDate
        self.createdAt = .now
        self.recurrence = recurrence
        self.list = list
    }

    var isOverdue: Bool {
        guard let dueDate, !isDone else { return false }
        return dueDate < .now
    }

    var dueSection: DueSection {
        guard let dueDate else { return .someday }
        let days = Date.now.days(until: dueDate)
        switch days {
        case ..<0: return .overdue
        case 0: return .today
        case 1: return .tomorrow
        case 2...7: return .thisWeek
        default: return .later
        }
    }

    /// Marks the item done; a recurring item instead moves its due date forward and stays open.
    func toggleDone() {
        if isDone {
            isDone = false
            completedAt = nil
            return
        }
        if let dueDate, let next = recurrence.nextDate(after: dueDate) {
            self.dueDate = next
        } else {
            isDone = true
            completedAt = .now
        }
    }

    static func openItems() -> FetchDescriptor<TodoItem> {
        var descriptor = FetchDescriptor<TodoItem>(
            predicate: #Predicate<TodoItem> { item in item.isDone == false },
            sortBy: [SortDescriptor(\.createdAt, order: .reverse)]
        )
        descriptor.fetchLimit = 500
        return descriptor
    }
}

enum DueSection: Int, CaseIterable, Comparable {
    case overdue, today, tomorrow, thisWeek, later, someday

    var title: String {
        switch self {
        case .overdue: "Overdue"
        case .today: "Today"
        case .tomorrow: "Tomorrow"
        case .thisWeek: "This Week"
        case .later: "Later"
        case .someday: "Someday"
        }
    }

    static func < (lhs: DueSection, rhs: DueSection) -> Bool {
        lhs.rawValue < rhs.rawValue
    }
}

enum TodoSortOrder: String, CaseIterable, Identifiable {
    case newestFirst = "newest"
    case dueDate = "due"
    case priority = "priority"
    case alphabetical = "title"

    var id: Self { self }

    var label: String {
        switch self {
        case .newestFirst: "Newest First"
        case .dueDate: "Due Date"
        case .priority: "Priority"
        case .alphabetical: "Title"
        }
    }

    var descriptors: [SortDescriptor<TodoItem>] {
        switch self {
        case .newestFirst:
            [SortDescriptor(\TodoItem.createdAt, order: .reverse)]
        case .dueDate:
            [SortDescriptor(\TodoItem.dueDate), SortDescriptor(\TodoItem.title)]
        case .priority:
            [SortDescriptor(\TodoItem.createdAt, order: .reverse)]
        case .alphabetical:
            [SortDescriptor(\TodoItem.title, comparator: .localizedStandard)]
        }
    }
}

extension TodoItem {
    static let samples: [(title: String, priority: Priority, days: Int?)] = [
        ("Buy oat milk", .low, 0),
        ("Renew passport", .urgent, -2),
        ("Call the plumber", .high, 1),
        ("Plan weekend hike", .medium, 5),
        ("Read \"The Left Hand of Darkness\"", .low, nil),
    ]

    @MainActor
    static func insertSamples(into context: ModelContext) {
        let home = TodoList(name: "Home", colorHex: "#FF9500", symbol: "house")
        context.insert(home)
        for sample in samples {
            let due = sample.days.map { Date.now.adding(days: $0) }
            let item = TodoItem(title: sample.title, priority: sample.priority, dueDate: due, list: home)
            context.insert(item)
        }
    }
}
