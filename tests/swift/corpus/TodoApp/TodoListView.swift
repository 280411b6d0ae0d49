import SwiftUI
import SwiftData

enum TodoFilter: String, CaseIterable, Identifiable {
    case all = "All"
    case open = "Open"
    case completed = "Done"
    case flagged = "Important"

    var id: String { rawValue }

    func includes(_ item: TodoItem) -> Bool {
        switch self {
        case .all: return true
        case .open: return !item.isDone
        case .completed: return item.isDone
        case .flagged: return item.priority >= .high && !item.isDone
        }
    }
}

struct TodoListView: View {
    @Bindable var list: TodoList

    @Environment(\.modelContext) private var modelContext
    @AppStorage("showCompleted") private var showCompleted = true
    @AppStorage("todoSortOrder") private var sortOrder: TodoSortOrder = .newestFirst
    @State private var filter: TodoFilter = .all
    @State private var searchText = ""
    @State private var editingItem: TodoItem?
    @State private var showingNewItem = false
    @State private var itemPendingDeletion: TodoItem?
    @State private var path = NavigationPath()

    private var visibleItems: [TodoItem] {
        let matching = list.items.filter { item in
            guard filter.includes(item) else { return false }
            guard showCompleted || !item.isDone || filter == .completed else { return false }
            if searchText.isEmpty { return true }
            return item.title.localizedCaseInsensitiveContains(searchText)
                || item.notes.localizedCaseInsensitiveContains(searchText)
                || item.tags.contains { $0.name.localizedCaseInsensitiveContains(searchText) }
        }
        switch sortOrder {
        case .newestFirst:
            return matching.sorted { $0.createdAt > $1.createdAt }
        case .dueDate:
            return matching.sorted { lhs, rhs in
                switch (lhs.dueDate, rhs.dueDate) {
                case let (l?, r?): return l < r
                case (.some, .none): return true
                case (.none, .some): return false
                case (.none, .none): return lhs.title < rhs.title
                }
            }
        case .priority:
            return matching.sorted { ($0.priority, $0.createdAt) > ($1.priority, $1.createdAt) }
        case .alphabetical:
            return matching.sorted(byKey: \.title)
        }
    }

    private var sections: [(section: DueSection, items: [TodoItem])] {
        let grouped = Dictionary(grouping: visibleItems, by: \.dueSection)
        return grouped.keys.sorted().map { key in (section: key, items: grouped[key] ?? []) }
    }

    var body: some View {
        NavigationStack(path: $path) {
            List {
                Picker("Filter", selection: $filter) {
                    ForEach(TodoFilter.allCases) { filter in
                        Text(filter.rawValue).tag(filter)
                    }
                }
                .pickerStyle(.segmented)
                .listRowBackground(Color.clear)
                .listRowInsets(EdgeInsets())

                ForEach(sections, id: \.section) { group in
                    Section {
                        ForEach(group.items) { item in
                            NavigationLink(value: item) {
                                TodoRow(item: item)
                            }
                            .swipeActions(edge: .leading) {
                                Button {
                                    withAnimation { item.toggleDone() }
                                } label: {
                                    Label(item.isDone ? "Reopen" : "Done",
                                          systemImage: item.isDone ? "arrow.uturn.backward" : "checkmark")
                                }
                                .tint(item.isDone ? .gray : .green)
                            }
                            .swipeActions(edge: .trailing, allowsFullSwipe: false) {
                                Button(role: .destructive) {
                                    itemPendingDeletion = item
                                } label: {
                                    Label("Delete", systemImage: "trash")
                                }
                                Button {
                                    editingItem = item
                                } label: {
                                    Label("Edit", systemImage: "pencil")
                                }
                                .tint(.blue)
                            }
                            .contextMenu {
                                Menu("Priority") {
                                    ForEach(Priority.allCases.reversed()) { priority in
                                        Button {
                                            item.priority = priority
                                        } label: {
                                            if item.priority == priority {
                                                Label(priority.title, systemImage: "checkmark")
                                            } else {
                                                Text(priority.title)
                                            }
                                        }
                                    }
                                }
                                Button("Duplicate", systemImage: "plus.square.on.square") {
                                    duplicate(item)
                                }
                            }
                        }
                    } header: {
                        HStack {
                            Text(group.section.title)
                            Spacer()
                            Text("\(group.items.count)")
                        }
                    }
                }
            }
            .navigationTitle(list.name)
            .navigationDestination(for: TodoItem.self) { item in
                TodoDetailView(item: item)
            }
            .searchable(text: $searchText, prompt: "Search tasks and tags")
            .overlay {
                if visibleItems.isEmpty {
                    if searchText.isEmpty {
                        EmptyStateView(
                            systemImage: "checkmark.circle",
                            title: "All done",
                            message: "Nothing left in \(list.name).",
                            actionTitle: "Add Task"
                        ) {
                            showingNewItem = true
                        }
                    } else {
                        ContentUnavailableView.search(text: searchText)
                    }
                }
            }
            .toolbar {
                ToolbarItemGroup(placement: .primaryAction) {
                    Menu {
                        Picker("Sort by", selection: $sortOrder) {
                            ForEach(TodoSortOrder.allCases) { order in
                                Text(order.label).tag(order)
                            }
                        }
                        Toggle("Show Completed", isOn: $showCompleted)
                    } label: {
                        Label("Options", systemImage: "line.3.horizontal.decrease.circle")
                    }
                    Button {
                        showingNewItem = true
                    } label: {
                        Label("Add Task", systemImage: "plus")
                    }
                    .keyboardShortcut("n", modifiers: .command)
                }
            }
            .sheet(isPresented: $showingNewItem) {
                TodoEditorView(mode: .create(list))
            }
            .sheet(item: $editingItem) { item in
                TodoEditorView(mode: .edit(item))
            }
            .confirmationDialog(
                "Delete this task?",
                isPresented: Binding(
                    get: { itemPendingDeletion != nil },
                    set: { if !$0 { itemPendingDeletion = nil } }
                ),
                titleVisibility: .visible,
                presenting: itemPendingDeletion
            ) { item in
                Button("Delete “\(item.title)”", role: .destructive) {
                    modelContext.delete(item)
                    itemPendingDeletion = nil
                }
            } message: { item in
                Text(item.recurrence == .never
                     ? "This cannot be undone."
                     : "This task repeats \(item.recurrence.label.lowercased()). All future occurrences are deleted too.")
            }
        }
    }

    private func duplicate(_ item: TodoItem) {
        let copy = TodoItem(
            title: item.title + " (copy)",
            notes: item.notes,
            priority: item.priority,
            dueDate: item.dueDate,
            recurrence: item.recurrence,
            list: list
        )
        copy.tags = item.tags
        modelContext.insert(copy)
    }
}

struct TodoRow: View {
    let item: TodoItem

    private static let dueFormat = Date.FormatStyle(date: .abbreviated, time: .omitted)

    var body: some View {
        HStack(alignment: .firstTextBaseline, spacing: 12) {
            Button {
                withAnimation(.snappy) { item.toggleDone() }
            } label: {
                Image(systemName: item.isDone ? "checkmark.circle.fill" : "circle")
                    .font(.title3)
                    .foregroundStyle(item.isDone ? Color.green : Color.secondary)
                    .contentTransition(.symbolEffect(.replace))
            }
            .buttonStyle(.plain)
            .accessibilityLabel(item.isDone ? "Mark as not done" : "Mark as done")

            VStack(alignment: .leading, spacing: 4) {
                Text(item.title)
                    .strikethrough(item.isDone)
                    .foregroundStyle(item.isDone ? Color.secondary : Color.primary)
                HStack(spacing: 8) {
                    if let dueDate = item.dueDate {
                        Label(dueDate.formatted(Self.dueFormat), systemImage: "calendar")
                            .foregroundStyle(item.isOverdue ? Color.red : Color.secondary)
                    }
                    if item.recurrence != .never {
                        Image(systemName: "repeat")
                    }
                    ForEach(item.tags.prefix(2)) { tag in
                        Text("#\(tag.name)")
                    }
                }
                .font(.caption)
                .foregroundStyle(.secondary)
            }
            Spacer()
            if item.priority > .medium {
                Image(systemName: item.priority.symbolName)
                    .foregroundStyle(item.priority == .urgent ? .red : .orange)
            }
        }
        .padding(.vertical, 2)
    }
}

#Preview {
    let container = try! ModelContainer(
        for: TodoItem.self, TodoList.self, Tag.self,
        configurations: ModelConfiguration(isStoredInMemoryOnly: true)
    )
    let list = TodoList(name: "Preview")
    container.mainContext.insert(list)
    for title in ["Water plants", "Pay rent", "Book dentist"] {
        container.mainContext.insert(TodoItem(title: title, list: list))
    }
    return TodoListView(list: list)
        .modelContainer(container)
}
