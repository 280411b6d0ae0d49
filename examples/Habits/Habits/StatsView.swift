import SwiftUI

struct StatsView: View {
    @EnvironmentObject private var store: HabitStore
    @Environment(\.dismiss) private var dismiss

    private var categoryTotals: [(HabitCategory, Int)] {
        HabitCategory.allCases
            .map { category in
                (category, store.habitsByCategory[category]?.count ?? 0)
            }
            .filter { $0.1 > 0 }
    }

    private var header: some View {
        VStack(spacing: 4) {
            Text("\(store.longestStreak)")
                .font(.system(size: 48, weight: .bold, design: .rounded))
                .foregroundStyle(Color("StreakGreen"))
            Text(store.longestStreak == 1 ? "day in a row" : "days in a row")
                .font(.caption)
                .foregroundStyle(.secondary)
        }
        .frame(maxWidth: .infinity)
    }

    private var rateText: String {
        let percent = Int((store.completionRate * 100).rounded())
        return "\(percent)%"
    }

    var body: some View {
        NavigationStack {
            Form {
                Section {
                    header
                }

                Section("Today") {
                    LabeledContent("Completed", value: rateText)
                    ProgressView(value: store.completionRate)
                }

                Section("Totals") {
                    LabeledContent("Check-ins", value: "\(store.totalCheckIns)")
                    LabeledContent("Busiest area", value: store.busiestCategory?.title ?? "None yet")
                    if let last = store.lastActivity {
                        LabeledContent("Last check-in", value: last.formatted(date: .abbreviated, time: .shortened))
                    }
                }

                Section("By category") {
                    ForEach(categoryTotals, id: \.0) { category, count in
                        HStack {
                            Label(category.title, systemImage: category.symbol)
                            Spacer()
                            Text("\(count)")
                                .foregroundStyle(.secondary)
                        }
                    }
                }
            }
            .navigationTitle("Statistics")
            .toolbar {
                ToolbarItem(placement: .confirmationAction) {
                    Button("Done") {
                        dismiss()
                    }
                }
            }
        }
    }
}

#Preview {
    StatsView()
        .environmentObject(HabitStore())
}
