import Foundation
import Observation
import UserNotifications

@Observable
final class ReminderScheduler {
    enum Authorization: Equatable {
        case notDetermined
        case denied
        case allowed

        var label: String {
            switch self {
            case .notDetermined: "Not asked yet"
            case .denied: "Off"
            case .allowed: "On"
            }
        }
    }

    private(set) var authorization: Authorization = .notDetermined
    private(set) var pendingCount = 0

    private let center = UNUserNotificationCenter.current()

    init() {
        Task {
            await refresh()
        }
    }

    @MainActor
    func refresh() async {
        let settings = await center.notificationSettings()
        authorization = switch settings.authorizationStatus {
        case .authorized, .provisional, .ephemeral: .allowed
        case .denied: .denied
        case .notDetermined: .notDetermined
        @unknown default: .notDetermined
        }
        pendingCount = await center.pendingNotificationRequests().count
    }

    @MainActor
    func requestAuthorization() async {
        do {
            let granted = try await center.requestAuthorization(options: [.alert, .sound, .badge])
            authorization = granted ? .allowed : .denied
        } catch {
            authorization = .denied
        }
    }

    @MainActor
    func schedule(for habit: Habit) async throws {
        let identifierPrefix = "habit-\(habit.name.slug)"
        center.removePendingNotificationRequests(withIdentifiers: (1 ... 7).map { "\(identifierPrefix)-\($0)" })

        guard authorization == .allowed, let time = habit.reminderTime else { return }

        let content = UNMutableNotificationContent()
        content.title = "\(habit.emoji) \(habit.name)"
        content.body = habit.kind == .build
            ? "Time to keep your streak going."
            : "Stay strong — you’ve got this."
        content.sound = .default

        let weekdays: [Int]
        switch habit.frequency {
        case .daily, .timesPerWeek:
            weekdays = Array(1 ... 7)
        case .weekdays(let days):
            weekdays = days.sorted()
        }

        for weekday in weekdays {
            var components = time
            components.weekday = weekday
            let trigger = UNCalendarNotificationTrigger(dateMatching: components, repeats: true)
            let request = UNNotificationRequest(
                identifier: "\(identifierPrefix)-\(weekday)",
                content: content,
                trigger: trigger
            )
            try await center.add(request)
        }
        await refresh()
    }
}
