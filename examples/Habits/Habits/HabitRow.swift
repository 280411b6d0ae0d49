import SwiftUI

struct HabitRow: View {
    let habit: Habit
    var onCheckIn: () -> Void

    private var progressText: String {
        "\(habit.completionsToday)/\(habit.dailyTarget)"
    }

    var body: some View {
        HStack(spacing: 12) {
            Image(systemName: habit.category.symbol)
                .foregroundStyle(Color("HabitTint"))
                .frame(width: 28)

            VStack(alignment: .leading, spacing: 2) {
                Text(habit.name)
                    .font(.headline)
                    .strikethrough(habit.isArchived)
                Text(habit.schedule.summary)
                    .font(.caption)
                    .foregroundStyle(.secondary)
                if let note = habit.note, !note.isEmpty {
                    Text(note)
                        .font(.caption2)
                        .foregroundStyle(.secondary)
                        .lineLimit(1)
                }
            }

            Spacer()

            Text(progressText)
                .font(.subheadline.monospacedDigit())
                .foregroundStyle(habit.isDoneToday ? Color("StreakGreen") : .secondary)

            Button(action: onCheckIn) {
                Image(systemName: habit.isDoneToday ? "checkmark.circle.fill" : "circle")
                    .font(.title2)
            }
            .buttonStyle(.borderless)
            .accessibilityLabel(habit.isDoneToday ? "Undo \(habit.name)" : "Check in \(habit.name)")
        }
        .padding(.vertical, 4)
    }
}

#Preview {
    List {
        HabitRow(habit: Habit.samples[0]) {}
        HabitRow(habit: Habit.samples[1]) {}
    }
}
