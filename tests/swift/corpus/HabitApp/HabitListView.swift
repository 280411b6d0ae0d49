import SwiftUI
import SwiftData

struct HabitListView: View {
    @Environment(HabitAppState.self) private var appState
    @Environment(\.modelContext) private var modelContext
    @Query(filter: #Predicate<Habit> { !$0.archived }, sort: \Habit.createdAt)
    private var habits: [Habit]
    @AppStorage("hapticsEnabled") private var hapticsEnabled = true
    @State private var habitToArchive: Habit?

    private var dateTitle: String {
        let date = appState.selectedDate
        if date.isSameDay(as: .now) {
            return "Today"
        } else if date.isSameDay(as: Date.now.adding(days: -1)) {
            return "Yesterday"
        }
        return date.formatted(.dateTime.weekday(.wide).day().month())
    }

    private var completedToday: Int {
        habits.count(where: { $0.isComplete(on: appState.selectedDate) })
    }

    var body: some View {
        @Bindable var appState = appState

        List {
            Section {
                DayHeader(
                    title: dateTitle,
                    completed: completedToday,
                    total: habits.count,
                    onPrevious: { appState.moveSelectedDate(by: -1) },
                    onNext: { appState.moveSelectedDate(by: 1) }
                )
            }
            .listRowBackground(Color.clear)

            Section("Habits") {
                ForEach(habits) { habit in
                    HabitRow(habit: habit, day: appState.selectedDate) {
                        checkIn(habit)
                    }
                    .contentShape(Rectangle())
                    .onTapGesture { appState.open(habit) }
                    .swipeActions {
                        Button("Archive", systemImage: "archivebox") {
                            habitToArchive = habit
                        }
                        .tint(.indigo)
                    }
                }
            }
        }
        .navigationTitle("Habits")
        .toolbar {
            ToolbarItem(placement: .topBarLeading) {
                NavigationLink(value: HabitAppState.Destination.settings) {
                    Image(systemName: "gearshape")
                }
            }
            ToolbarItemGroup(placement: .topBarTrailing) {
                NavigationLink(value: HabitAppState.Destination.stats) {
                    Image(systemName: "chart.bar.xaxis")
                }
                Button {
                    appState.showingNewHabit = true
                } label: {
                    Image(systemName: "plus")
                }
            }
        }
        .sheet(isPresented: $appState.showingNewHabit) {
            NewHabitView()
        }
        .alert(
            "Archive habit?",
            isPresented: Binding(get: { habitToArchive != nil }, set: { if !$0 { habitToArchive = nil } }),
            presenting: habitToArchive
        ) { habit in
            Button("Archive") {
                habit.archived = true
            }
            Button("Cancel", role: .cancel) {}
        } message: { habit in
            Text("\(habit.emoji) \(habit.name) will be hidden, but its history is kept.")
        }
        .sensoryFeedback(.success, trigger: completedToday) { old, new in
            hapticsEnabled && new > old
        }
        .overlay {
            if habits.isEmpty {
                ContentUnavailableView {
                    Label("No habits yet", systemImage: "leaf")
                } description: {
                    Text("Small steps every day add up.")
                } actions: {
                    Button("Add a Habit") { appState.showingNewHabit = true }
                        .buttonStyle(.borderedProminent)
                    Button("Try Examples") { Habit.makeSamples(in: modelContext) }
                }
            }
        }
    }

    private func checkIn(_ habit: Habit) {
        let day = appState.selectedDate
        if habit.isComplete(on: day) {
            let calendar = Calendar.current
            for entry in habit.entries where calendar.isDate(entry.date, inSameDayAs: day) {
                modelContext.delete(entry)
            }
            return
        }
        let entry = HabitEntry(date: day.isSameDay(as: .now) ? .now : day, habit: habit)
        modelContext.insert(entry)

        let summary = StreakCalculator().summary(
            completedDays: habit.completedDays.union([day.startOfDay]),
            frequency: habit.frequency,
            since: habit.createdAt
        )
        switch summary.current {
        case 7, 30, 100, 365:
            appState.celebrate("🔥 \(summary.current)-day streak on \(habit.name)!")
        case let n where n > 0 && n % 50 == 0:
            appState.celebrate("🎉 \(n) days!")
        default:
            break
        }
    }
}

private struct DayHeader: View {
    let title: String
    let completed: Int
    let total: Int
    let onPrevious: () -> Void
    let onNext: () -> Void

    var body: some View {
        HStack(spacing: 16) {
            Button(action: onPrevious) {
                Image(systemName: "chevron.left")
            }
            VStack(spacing: 4) {
                Text(title)
                    .font(.title2.bold())
                Text(total == 0 ? "No habits" : "\(completed) of \(total) done")
                    .font(.subheadline)
                    .foregroundStyle(.secondary)
            }
            .frame(maxWidth: .infinity)
            Button(action: onNext) {
                Image(systemName: "chevron.right")
            }
            ProgressRing(progress: total == 0 ? 0 : Double(completed) / Double(total))
                .frame(width: 44, height: 44)
        }
        .buttonStyle(.borderless)
    }
}

struct HabitRow: View {
    let habit: Habit
    let day: Date
    var onCheckIn: () -> Void

    private var count: Int { habit.count(on: day) }
    private var tint: Color { Color(hex: habit.colorHex) ?? .green }

    var body: some View {
        HStack(spacing: 14) {
            Text(habit.emoji)
                .font(.largeTitle)
            VStack(alignment: .leading, spacing: 2) {
                Text(habit.name)
                    .font(.headline)
                Text(habit.frequency.description)
                    .font(.caption)
                    .foregroundStyle(.secondary)
            }
            Spacer()
            Button(action: onCheckIn) {
                ZStack {
                    ProgressRing(progress: Double(count) / Double(habit.targetPerDay), lineWidth: 4, tint: tint)
                    if habit.isComplete(on: day) {
                        Image(systemName: "checkmark")
                            .font(.headline)
                            .foregroundStyle(tint)
                    } else if habit.targetPerDay > 1 {
                        Text("\(count)/\(habit.targetPerDay)")
                            .font(.caption2.monospacedDigit())
                    }
                }
                .frame(width: 40, height: 40)
            }
            .buttonStyle(.plain)
            .accessibilityLabel(habit.isComplete(on: day) ? "Undo check-in" : "Check in")
        }
        .opacity(habit.frequency.isScheduled(on: day) ? 1 : 0.5)
    }
}

struct NewHabitView: View {
    @Environment(\.modelContext) private var modelContext
    @Environment(\.dismiss) private var dismiss
    @Environment(ReminderScheduler.self) private var reminders

    @State private var name = ""
    @State private var emoji = "✅"
    @State private var kind: HabitKind = .build
    @State private var scheduleKind = 0
    @State private var weekdays: Set<Int> = [2, 3, 4, 5, 6]
    @State private var timesPerWeek = 3
    @State private var target = 1
    @State private var remind = false
    @State private var reminderTime = Calendar.current.date(bySettingHour: 8, minute: 0, second: 0, of: .now) ?? .now

    private let emojis = ["✅", "💧", "📚", "🏃", "🧘", "🥦", "💤", "🚭", "✍️", "🎸"]

    private var frequency: Frequency {
        switch scheduleKind {
        case 1: .weekdays(weekdays)
        case 2: .timesPerWeek(timesPerWeek)
        default: .daily
        }
    }

    var body: some View {
        NavigationStack {
            Form {
                Section {
                    TextField("Name", text: $name)
                    Picker("Type", selection: $kind) {
                        Text("Build").tag(HabitKind.build)
                        Text("Quit").tag(HabitKind.quit)
                    }
                    .pickerStyle(.segmented)
                }
                Section("Icon") {
                    ScrollView(.horizontal) {
                        HStack {
                            ForEach(emojis, id: \.self) { symbol in
                                Text(symbol)
                                    .font(.title)
                                    .padding(6)
                                    .background(symbol == emoji ? Color.accentColor.opacity(0.2) : .clear, in: Circle())
                                    .onTapGesture { emoji = symbol }
                            }
                        }
                    }
                    .scrollIndicators(.hidden)
                }
                Section("Schedule") {
                    Picker("Repeat", selection: $scheduleKind) {
                        Text("Daily").tag(0)
                        Text("Days").tag(1)
                        Text("Per week").tag(2)
                    }
                    .pickerStyle(.segmented)
                    switch scheduleKind {
                    case 1:
                        WeekdayPicker(selection: $weekdays)
                    case 2:
                        Stepper("\(timesPerWeek) times a week", value: $timesPerWeek, in: 1 ... 7)
                    default:
                        EmptyView()
                    }
                    Stepper("Goal: \(target) per day", value: $target, in: 1 ... 20)
                }
                Section {
                    Toggle("Remind me", isOn: $remind.animation())
                    if remind {
                        DatePicker("Time", selection: $reminderTime, displayedComponents: .hourAndMinute)
                    }
                }
            }
            .navigationTitle("New Habit")
            .navigationBarTitleDisplayMode(.inline)
            .toolbar {
                ToolbarItem(placement: .cancellationAction) {
                    Button("Cancel", action: { dismiss() })
                }
                ToolbarItem(placement: .confirmationAction) {
                    Button("Add") { Task { await save() } }
                        .disabled(name.isBlank || (scheduleKind == 1 && weekdays.isEmpty))
                }
            }
        }
    }

    private func save() async {
        let habit = Habit(name: name.trimmed, emoji: emoji, kind: kind, frequency: frequency, targetPerDay: target)
        if remind {
            habit.reminderTime = Calendar.current.dateComponents([.hour, .minute], from: reminderTime)
        }
        modelContext.insert(habit)
        if remind {
            if reminders.authorization == .notDetermined {
                await reminders.requestAuthorization()
            }
            try? await reminders.schedule(for: habit)
        }
        dismiss()
    }
}

struct WeekdayPicker: View {
    @Binding var selection: Set<Int>

    private let symbols = Calendar.current.veryShortWeekdaySymbols

    var body: some View {
        HStack {
            ForEach(Array(symbols.enumerated()), id: \.offset) { offset, symbol in
                let weekday = offset + 1
                let isOn = selection.contains(weekday)
                Text(symbol)
                    .font(.callout.bold())
                    .frame(width: 32, height: 32)
                    .background(isOn ? Color.accentColor : Color.secondary.opacity(0.15), in: Circle())
                    .foregroundStyle(isOn ? Color.white : Color.primary)
                    .onTapGesture {
                        if isOn {
                            selection.remove(weekday)
                        } else {
                            selection.insert(weekday)
                        }
                    }
                    .accessibilityAddTraits(isOn ? .isSelected : [])
            }
        }
        .frame(maxWidth: .infinity)
    }
}

#Preview {
    NavigationStack {
        HabitListView()
    }
    .environment(HabitAppState())
    .environment(ReminderScheduler())
    .modelContainer(for: [Habit.self, HabitEntry.self], inMemory: true)
}
