import SwiftUI

struct HabitDetailView: View {
    let habitID: UUID
    @EnvironmentObject private var store: HabitStore
    @Environment(\.dismiss) private var dismiss
    @State private var editing = false
    @State private var confirmingDelete = false

    private var habit: Habit? {
        store.habit(with: habitID)
    }

    var body: some View {
        if let habit {
            List {
                Section {
                    LabeledContent("Category", value: habit.category.title)
                    LabeledContent("Schedule", value: habit.schedule.summary)
                    LabeledContent("Today", value: "\(habit.completionsToday) of \(habit.dailyTarget)")
                    ProgressView(value: habit.progress(today: habit.completionsToday))
                        .tint(Color("StreakGreen"))
                    streakBadge(for: habit.streak)
                }

                Section("History") {
                    LabeledContent("This week", value: "\(habit.completionsThisWeek) / \(habit.schedule.expectedPerWeek * habit.dailyTarget)")
                    LabeledContent("All time", value: "\(habit.totalCompletions)")
                    Text(lastSeenText(habit))
                        .foregroundStyle(.secondary)
                }

                if let note = habit.note {
                    Section("Note") {
                        Text(note)
                    }
                }

                Section {
                    Button(habit.isArchived ? "Restore" : "Archive") {
                        store.toggleArchived(habit)
                    }
                    Button("Check in now") {
                        store.checkIn(habit)
                    }
                    .disabled(habit.isDoneToday)
                    Button("Delete", role: .destructive) {
                        confirmingDelete = true
                    }
                }
            }
            .navigationTitle(habit.name)
            .toolbar {
                Button("Edit") {
                    editing = true
                }
            }
            .sheet(isPresented: $editing) {
                HabitEditorView(habit: habit) { updated in
                    store.update(updated)
                }
            }
            .alert("Delete \(habit.name)?", isPresented: $confirmingDelete) {
                Button("Delete", role: .destructive) {
                    store.delete(habit)
                    dismiss()
                }
                Button("Cancel", role: .cancel) {}
            } message: {
                Text("Its whole history is removed as well.")
            }
        } else {
            Text("This habit was deleted.")
                .foregroundStyle(.secondary)
        }
    }

    @ViewBuilder
    private func streakBadge(for days: Int) -> some View {
        if days > 1 {
            Label("\(days)-day streak", systemImage: "flame.fill")
                .foregroundStyle(.orange)
        } else if days == 1 {
            Label("Started a streak today", systemImage: "flame")
        } else {
            Text("No streak yet")
                .foregroundStyle(.secondary)
        }
    }

    private func lastSeenText(_ habit: Habit) -> String {
        guard let last = habit.lastCompleted else {
            return "Never checked in"
        }
        let days = Calendar.current.dateComponents([.day], from: last, to: Date()).day ?? 0
        switch days {
        case 0:
            return "Last checked in today"
        case 1:
            return "Last checked in yesterday"
        case 2...6:
            return "Last checked in \(days) days ago"
        default:
            return "Last checked in on \(last.formatted(date: .abbreviated, time: .omitted))"
        }
    }
}

#Preview {
    NavigationStack {
        HabitDetailView(habitID: Habit.samples[0].id)
    }
    .environmentObject(HabitStore())
}
