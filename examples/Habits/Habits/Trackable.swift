import Foundation

protocol Trackable {
    var completions: [Date] { get }
    var dailyTarget: Int { get }
}

extension Trackable {
    var totalCompletions: Int {
        completions.count
    }

    var completionsThisWeek: Int {
        let weekAgo = Date().addingTimeInterval(-7 * 86_400)
        return completions.filter { $0 > weekAgo }.count
    }

    func progress(today count: Int) -> Double {
        guard dailyTarget > 0 else { return 0 }
        return min(Double(count) / Double(dailyTarget), 1.0)
    }
}

extension Habit: Trackable {}
