import SwiftUI
import SwiftData
import Charts

struct HabitDetailView: View {
    @Bindable var habit: Habit
    @Environment(\.modelContext) private var modelContext
    @State private var noteDraft = ""
    @State private var showingRename = false
    @State private var renameText = ""

    private var summary: StreakCalculator.Summary {
        StreakCalculator().summary(
            completedDays: habit.completedDays,
            frequency: habit.frequency,
            since: habit.createdAt
        )
    }

    private var recentEntries: [HabitEntry] {
        habit.entries
            .sorted { $0.date > $1.date }
            .prefix(20)
            .map { $0 }
    }

    var body: some View {
        List {
            Section {
                HStack {
                    StatTile(value: "\(summary.current)", caption: "Current streak", symbol: "flame.fill")
                    StatTile(value: "\(summary.longest)", caption: "Best streak", symbol: "trophy.fill")
                    StatTile(
                        value: summary.completionRate.formatted(.percent.precision(.fractionLength(0))),
                        caption: "Completion",
                        symbol: "percent"
                    )
                }
                .listRowInsets(EdgeInsets(top: 8, leading: 8, bottom: 8, trailing: 8))
            }

            Section("Last 12 weeks") {
                HeatMap(
                    grid: StreakCalculator().grid(weeks: 12),
                    completed: habit.completedDays,
                    tint: Color(hex: habit.colorHex) ?? .green
                )
                .frame(height: 120)
            }

            Section("Goal") {
                Stepper("\(habit.targetPerDay) per day", value: $habit.targetPerDay, in: 1 ... 20)
                ColorPicker("Colour", selection: Binding(
                    get: { Color(hex: habit.colorHex) ?? .green },
                    set: { habit.colorHex = $0.hexString ?? habit.colorHex }
                ), supportsOpacity: false)
            }

            Section("History") {
                if recentEntries.isEmpty {
                    Text("No check-ins yet.")
                        .foregroundStyle(.secondary)
                }
                ForEach(recentEntries) { entry in
                    VStack(alignment: .leading) {
                        Text(entry.date, format: .dateTime.weekday().day().month().hour().minute())
                        if let note = entry.note, !note.isEmpty {
                            Text(note)
                                .font(.caption)
                                .foregroundStyle(.secondary)
                        }
                    }
                }
                .onDelete { offsets in
                    for index in offsets {
                        modelContext.delete(recentEntries[index])
                    }
                }
            }
        }
        .navigationTitle("\(habit.emoji) \(habit.name)")
        .toolbar {
            Button("Rename") {
                renameText = habit.name
                showingRename = true
            }
        }
        .alert("Rename Habit", isPresented: $showingRename) {
            TextField("Name", text: $renameText)
            Button("Save") {
                if !renameText.isBlank {
                    habit.name = renameText.trimmed
                }
            }
            Button("Cancel", role: .cancel) {}
        }
    }
}

private struct StatTile: View {
    let value: String
    let caption: String
    let symbol: String

    var body: some View {
        VStack(spacing: 6) {
            Image(systemName: symbol)
                .foregroundStyle(.orange)
            Text(value)
                .font(.title2.bold())
                .monospacedDigit()
            Text(caption)
                .font(.caption)
                .foregroundStyle(.secondary)
        }
        .frame(maxWidth: .infinity)
    }
}

struct HeatMap: View {
    let grid: [[Date]]
    let completed: Set<Date>
    let tint: Color

    var body: some View {
        GeometryReader { proxy in
            let columns = max(grid.count, 1)
            let cell = min(proxy.size.width / CGFloat(columns), proxy.size.height / 7) - 2
            HStack(alignment: .top, spacing: 2) {
                ForEach(grid.indices, id: \.self) { week in
                    VStack(spacing: 2) {
                        ForEach(grid[week], id: \.self) { day in
                            RoundedRectangle(cornerRadius: 2)
                                .fill(completed.contains(day) ? tint : tint.opacity(0.12))
                                .frame(width: cell, height: cell)
                        }
                    }
                }
            }
        }
    }
}

struct HabitStatsView: View {
    @Query(sort: \Habit.name) private var habits: [Habit]
    @State private var range: StatsRange = .month

    enum StatsRange: Int, CaseIterable, Identifiable {
        case week = 7
        case month = 30
        case quarter = 90

        var id: Int { rawValue }
        var title: String {
            switch self {
            case .week: "7 days"
            case .month: "30 days"
            case .quarter: "90 days"
            }
        }
    }

    struct DayTotal: Identifiable {
        let day: Date
        let habitName: String
        let count: Int
        var id: String { "\(habitName)-\(day.timeIntervalSince1970)" }
    }

    private var totals: [DayTotal] {
        let calendar = Calendar.current
        let start = Date.now.startOfDay.adding(days: -(range.rawValue - 1))
        return habits.flatMap { habit in
            stride(from: 0, to: range.rawValue, by: 1).map { offset -> DayTotal in
                let day = calendar.date(byAdding: .day, value: offset, to: start) ?? start
                return DayTotal(day: day, habitName: habit.name, count: habit.count(on: day))
            }
        }
    }

    private var bestHabit: (name: String, rate: Double)? {
        habits
            .map { habit -> (name: String, rate: Double) in
                let summary = StreakCalculator().summary(
                    completedDays: habit.completedDays,
                    frequency: habit.frequency,
                    since: habit.createdAt
                )
                return (name: habit.name, rate: summary.completionRate)
            }
            .max { $0.rate < $1.rate }
    }

    var body: some View {
        ScrollView {
            VStack(alignment: .leading, spacing: 24) {
                Picker("Range", selection: $range) {
                    ForEach(StatsRange.allCases) { range in
                        Text(range.title).tag(range)
                    }
                }
                .pickerStyle(.segmented)

                Chart(totals) { total in
                    BarMark(
                        x: .value("Day", total.day, unit: .day),
                        y: .value("Check-ins", total.count)
                    )
                    .foregroundStyle(by: .value("Habit", total.habitName))
                }
                .chartLegend(position: .bottom, alignment: .leading)
                .chartXAxis {
                    AxisMarks(values: .stride(by: .day, count: range == .week ? 1 : 7)) { _ in
                        AxisGridLine()
                        AxisValueLabel(format: .dateTime.day().month(.abbreviated))
                    }
                }
                .frame(height: 240)

                if let bestHabit {
                    GroupBox("Most consistent") {
                        HStack {
                            Text(bestHabit.name)
                                .font(.headline)
                            Spacer()
                            Text(bestHabit.rate, format: .percent.precision(.fractionLength(0)))
                                .font(.title3.bold())
                        }
                    }
                }
            }
            .padding()
        }
        .navigationTitle("Statistics")
    }
}

extension Color {
    /// "#RRGGBB" for the colour in sRGB, or nil when it cannot be resolved.
    var hexString: String? {
        #if canImport(UIKit)
        var red: CGFloat = 0
        var green: CGFloat = 0
        var blue: CGFloat = 0
        var alpha: CGFloat = 0
        guard UIColor(self).getRed(&red, green: &green, blue: &blue, alpha: &alpha) else {
            return nil
        }
        return String(format: "#%02X%02X%02X", Int(red * 255), Int(green * 255), Int(blue * 255))
        #else
        return nil
        #endif
    }
}

#Preview("Stats") {
    NavigationStack {
        HabitStatsView()
    }
    .modelContainer(for: Habit.self, inMemory: true)
}
