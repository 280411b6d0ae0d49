import SwiftUI

struct HabitListView: View {
    @EnvironmentObject private var store: HabitStore
    @State private var showingEditor = false
    @State private var showingStats = false
    @State private var searchText = ""

    private var filtered: [Habit] {
        let query = searchText.trimmingCharacters(in: .whitespaces)
        if query.isEmpty {
            return store.pendingToday
        }
        return store.pendingToday.filter { $0.name.localizedCaseInsensitiveContains(query) }
    }

    var body: some View {
        NavigationStack {
            List {
                Section {
                    TextField("Search habits", text: $searchText)
                    Toggle("Show archived", isOn: $store.showArchived)
                }

                Section("To do today") {
                    if filtered.isEmpty {
                        Text(searchText.isEmpty ? "All done for today." : "No habit matches “\(searchText)”.")
                            .foregroundStyle(.secondary)
                    }
                    ForEach(filtered) { habit in
                        NavigationLink {
                            HabitDetailView(habitID: habit.id)
                        } label: {
                            HabitRow(habit: habit) {
                                store.checkIn(habit)
                            }
                        }
                    }
                }

                if !store.doneToday.isEmpty {
                    Section("Done") {
                        ForEach(store.doneToday) { habit in
                            HabitRow(habit: habit) {
                                store.undoLastCheckIn(habit)
                            }
                            .swipeActions {
                                Button("Delete", role: .destructive) {
                                    store.delete(habit)
                                }
                            }
                        }
                    }
                }
            }
            .navigationTitle("Habits")
            .toolbar {
                ToolbarItem(placement: .primaryAction) {
                    Button {
                        showingEditor = true
                    } label: {
                        Label("New Habit", systemImage: "plus")
                    }
                }
                ToolbarItem(placement: .secondaryAction) {
                    Button("Statistics") {
                        showingStats = true
                    }
                }
            }
            .sheet(isPresented: $showingEditor) {
                HabitEditorView(habit: Habit(name: "", category: .health, schedule: .daily)) { habit in
                    store.add(habit)
                }
            }
            .sheet(isPresented: $showingStats) {
                StatsView()
            }
        }
    }
}

#Preview {
    HabitListView()
        .environmentObject(HabitStore())
}
