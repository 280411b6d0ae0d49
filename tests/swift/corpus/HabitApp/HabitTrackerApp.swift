import SwiftUI
import SwiftData
import Observation

@Observable
final class HabitAppState {
    enum Destination: Hashable {
        case habit(PersistentIdentifier)
        case stats
        case settings
    }

    var path: [Destination] = []
    var showingNewHabit = false
    var selectedDate: Date = .now.startOfDay
    var celebration: String? = nil

    @ObservationIgnored
    private var celebrationTask: Task<Void, Never>?

    func celebrate(_ message: String) {
        celebration = message
        celebrationTask?.cancel()
        celebrationTask = Task { @MainActor [weak self] in
            try? await Task.sleep(for: .seconds(2.5))
            guard !Task.isCancelled else { return }
            self?.celebration = nil
        }
    }

    func open(_ habit: Habit) {
        path.append(.habit(habit.persistentModelID))
    }

    func moveSelectedDate(by days: Int) {
        let moved = selectedDate.adding(days: days)
        guard moved <= Date.now.startOfDay else { return }
        selectedDate = moved
    }
}

@main
struct HabitTrackerApp: App {
    @State private var appState = HabitAppState()
    @State private var reminders = ReminderScheduler()

    var body: some Scene {
        WindowGroup {
            HabitRootView()
                .environment(appState)
                .environment(reminders)
        }
        .modelContainer(for: [Habit.self, HabitEntry.self]) { result in
            if case .failure(let error) = result {
                print("Model container failed: \(error)")
            }
        }
    }
}

struct HabitRootView: View {
    @Environment(HabitAppState.self) private var appState
    @Environment(\.modelContext) private var modelContext

    var body: some View {
        @Bindable var appState = appState

        NavigationStack(path: $appState.path) {
            HabitListView()
                .navigationDestination(for: HabitAppState.Destination.self) { destination in
                    switch destination {
                    case .habit(let id):
                        if let habit = modelContext.model(for: id) as? Habit {
                            HabitDetailView(habit: habit)
                        } else {
                            ContentUnavailableView("Habit not found", systemImage: "questionmark.circle")
                        }
                    case .stats:
                        HabitStatsView()
                    case .settings:
                        HabitSettingsView()
                    }
                }
        }
        .overlay(alignment: .top) {
            if let message = appState.celebration {
                Text(message)
                    .font(.headline)
                    .padding(.horizontal, 20)
                    .padding(.vertical, 10)
                    .background(.regularMaterial, in: Capsule())
                    .transition(.move(edge: .top).combined(with: .opacity))
                    .padding(.top, 8)
            }
        }
        .animation(.spring, value: appState.celebration)
    }
}

struct HabitSettingsView: View {
    @Environment(ReminderScheduler.self) private var reminders
    @AppStorage("weekStartsOnMonday") private var weekStartsOnMonday = true
    @AppStorage("showArchived") private var showArchived = false
    @AppStorage("hapticsEnabled") private var hapticsEnabled = true

    var body: some View {
        Form {
            Section("General") {
                Toggle("Week starts on Monday", isOn: $weekStartsOnMonday)
                Toggle("Show archived habits", isOn: $showArchived)
                Toggle("Haptic feedback", isOn: $hapticsEnabled)
            }
            Section {
                LabeledContent("Permission", value: reminders.authorization.label)
                if reminders.authorization == .notDetermined {
                    Button("Allow Notifications") {
                        Task { await reminders.requestAuthorization() }
                    }
                }
            } header: {
                Text("Reminders")
            } footer: {
                Text("Reminders are scheduled on this device only.")
            }
            Section("About") {
                LabeledContent("Version", value: Bundle.main.infoDictionary?["CFBundleShortVersionString"] as? String ?? "1.0")
                Link("Privacy Policy", destination: URL(string: "https://example.com/privacy")!)
            }
        }
        .navigationTitle("Settings")
    }
}
