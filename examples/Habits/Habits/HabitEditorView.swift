import SwiftUI

enum ScheduleKind: String, CaseIterable, Identifiable {
    case daily = "Daily"
    case weekdays = "Weekdays"
    case perWeek = "Times per week"
    case interval = "Every few days"

    var id: String { rawValue }
}

struct HabitEditorView: View {
    @State var habit: Habit
    var onSave: (Habit) -> Void

    @Environment(\.dismiss) private var dismiss
    @State private var kind: ScheduleKind = .daily
    @State private var count = 3
    @State private var noteText = ""
    @State private var hasNote = false

    private var schedule: Schedule {
        switch kind {
        case .daily: return .daily
        case .weekdays: return .weekdays
        case .perWeek: return .timesPerWeek(count)
        case .interval: return .everyNDays(count)
        }
    }

    private var canSave: Bool {
        !habit.name.trimmingCharacters(in: .whitespaces).isEmpty
    }

    var body: some View {
        NavigationStack {
            Form {
                Section("Habit") {
                    TextField("Name", text: $habit.name)
                    Picker("Category", selection: $habit.category) {
                        ForEach(HabitCategory.allCases) { category in
                            Label(category.title, systemImage: category.symbol).tag(category)
                        }
                    }
                }

                Section("Schedule") {
                    Picker("Repeat", selection: $kind) {
                        ForEach(ScheduleKind.allCases) { option in
                            Text(option.rawValue).tag(option)
                        }
                    }
                    if kind == .perWeek || kind == .interval {
                        Stepper(kind == .perWeek ? "\(count) times a week" : "Every \(count) days",
                                value: $count, in: 1...7)
                    }
                    TargetStepper(target: $habit.dailyTarget)
                }

                Section("Note") {
                    Toggle("Add a note", isOn: $hasNote)
                    if hasNote {
                        TextField("Why does this matter?", text: $noteText)
                    }
                }

                Section {
                    Text("Preview: \(schedule.summary), \(habit.dailyTarget)× a day")
                        .foregroundStyle(.secondary)
                }
            }
            .navigationTitle(habit.name.isEmpty ? "New Habit" : habit.name)
            .toolbar {
                ToolbarItem(placement: .cancellationAction) {
                    Button("Cancel") {
                        dismiss()
                    }
                }
                ToolbarItem(placement: .confirmationAction) {
                    Button("Save") {
                        save()
                    }
                    .disabled(!canSave)
                }
            }
            .onAppear {
                load()
            }
            .onChange(of: hasNote) {
                if !hasNote {
                    noteText = ""
                }
            }
        }
    }

    private func load() {
        switch habit.schedule {
        case .daily:
            kind = .daily
        case .weekdays:
            kind = .weekdays
        case .timesPerWeek(let times):
            kind = .perWeek
            count = times
        case .everyNDays(let days):
            kind = .interval
            count = days
        }
        if let note = habit.note {
            noteText = note
            hasNote = true
        }
    }

    private func save() {
        var result = habit
        result.name = habit.name.trimmingCharacters(in: .whitespaces)
        result.schedule = schedule
        result.note = hasNote && !noteText.isEmpty ? noteText : nil
        onSave(result)
        dismiss()
    }
}

struct TargetStepper: View {
    @Binding var target: Int

    var body: some View {
        Stepper(value: $target, in: 1...20) {
            Text(target == 1 ? "Once a day" : "\(target) times a day")
        }
    }
}

#Preview {
    HabitEditorView(habit: Habit.samples[1]) { habit in
        print("Saved \(habit.name)")
    }
}
