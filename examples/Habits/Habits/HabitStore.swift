import Foundation
import Combine

final class HabitStore: ObservableObject {
    @Published var habits: [Habit]
    @Published var showArchived = false

    init(habits: [Habit] = Habit.samples) {
        self.habits = habits
    }

    var visibleHabits: [Habit] {
        habits
            .filter { showArchived || !$0.isArchived }
            .sorted { $0.name.lowercased() < $1.name.lowercased() }
    }

    var pendingToday: [Habit] {
        visibleHabits.filter { !$0.isDoneToday && !$0.isArchived }
    }

    var doneToday: [Habit] {
        visibleHabits.filter { $0.isDoneToday }
    }

    var totalCheckIns: Int {
        habits.map { $0.totalCompletions }.reduce(0, +)
    }

    var completionRate: Double {
        let active = habits.filter { !$0.isArchived }
        guard !active.isEmpty else { return 0 }
        let done = active.filter { $0.isDoneToday }.count
        return Double(done) / Double(active.count)
    }

    var habitsByCategory: [HabitCategory: [Habit]] {
        Dictionary(grouping: habits, by: \.category)
    }

    var longestStreak: Int {
        habits.map(\.streak).max() ?? 0
    }

    var lastActivity: Date? {
        habits.compactMap { $0.lastCompleted }.max()
    }

    var busiestCategory: HabitCategory? {
        let counts = HabitCategory.allCases.map { category in
            (category, habits.filter { $0.category == category }.reduce(0) { $0 + $1.totalCompletions })
        }
        guard let best = counts.max(by: { $0.1 < $1.1 }), best.1 > 0 else { return nil }
        return best.0
    }

    func habit(with id: UUID) -> Habit? {
        habits.first { $0.id == id }
    }

    func add(_ habit: Habit) {
        habits.append(habit)
    }

    func update(_ habit: Habit) {
        guard let index = habits.firstIndex(where: { $0.id == habit.id }) else { return }
        habits[index] = habit
    }

    func checkIn(_ habit: Habit) {
        guard let index = habits.firstIndex(where: { $0.id == habit.id }) else { return }
        habits[index].checkIn()
    }

    func undoLastCheckIn(_ habit: Habit) {
        if let index = habits.firstIndex(where: { $0.id == habit.id }) {
            habits[index].undoCheckIn()
        }
    }

    func toggleArchived(_ habit: Habit) {
        guard let index = habits.firstIndex(where: { $0.id == habit.id }) else { return }
        habits[index].isArchived.toggle()
    }

    func delete(_ habit: Habit) {
        habits.removeAll { $0.id == habit.id }
    }
}
