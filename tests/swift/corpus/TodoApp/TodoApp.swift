import SwiftUI
import SwiftData

enum Appearance: String, CaseIterable, Identifiable {
    case system
    case light
    case dark

    var id: String { rawValue }

    var colorScheme: ColorScheme? {
        switch self {
        case .system: nil
        case .light: .light
        case .dark: .dark
        }
    }
}

@main
struct TodoApp: App {
    @AppStorage("appearance") private var appearance: Appearance = .system
    @AppStorage("didInsertSamples") private var didInsertSamples = false

    let modelContainer: ModelContainer = {
        let schema = Schema([TodoItem.self, TodoList.self, Tag.self])
        let configuration = ModelConfiguration(schema: schema, isStoredInMemoryOnly: false)
        do {
            return try ModelContainer(for: schema, configurations: [configuration])
        } catch {
            fatalError("Could not create the model container: \(error)")
        }
    }()

    var body: some Scene {
        WindowGroup {
            RootView()
                .preferredColorScheme(appearance.colorScheme)
                .onAppear {
                    guard !didInsertSamples else { return }
                    TodoItem.insertSamples(into: modelContainer.mainContext)
                    didInsertSamples = true
                }
        }
        .modelContainer(modelContainer)
        #if os(macOS)
        .commands {
            CommandGroup(after: .newItem) {
                Button("New List") {
                    NotificationCenter.default.post(name: .createList, object: nil)
                }
                .keyboardShortcut("n", modifiers: [.command, .shift])
            }
        }
        #endif

        #if os(macOS)
        Settings {
            TodoSettingsView()
        }
        #endif
    }
}

extension Notification.Name {
    static let createList = Notification.Name("TodoApp.createList")
}

struct RootView: View {
    @Environment(\.modelContext) private var modelContext
    @Query(sort: \TodoList.sortIndex) private var lists: [TodoList]
    @State private var selection: TodoList?
    @State private var showingNewList = false
    @State private var columnVisibility = NavigationSplitViewVisibility.automatic

    var body: some View {
        NavigationSplitView(columnVisibility: $columnVisibility) {
            List(selection: $selection) {
                Section("Lists") {
                    ForEach(lists) { list in
                        NavigationLink(value: list) {
                            ListRow(list: list)
                        }
                    }
                    .onDelete(perform: deleteLists)
                    .onMove(perform: moveLists)
                }
            }
            .navigationTitle("Todo")
            .toolbar {
                ToolbarItem(placement: .primaryAction) {
                    Button {
                        showingNewList = true
                    } label: {
                        Label("New List", systemImage: "plus")
                    }
                }
                #if os(iOS)
                ToolbarItem(placement: .topBarLeading) {
                    EditButton()
                }
                #endif
            }
            .overlay {
                if lists.isEmpty {
                    ContentUnavailableView(
                        "No Lists",
                        systemImage: "checklist",
                        description: Text("Create a list to start collecting tasks.")
                    )
                }
            }
        } detail: {
            if let selection {
                TodoListView(list: selection)
            } else {
                Text("Select a list")
                    .foregroundStyle(.secondary)
            }
        }
        .sheet(isPresented: $showingNewList) {
            NewListSheet { name, colorHex, symbol in
                let list = TodoList(name: name, colorHex: colorHex, symbol: symbol, sortIndex: lists.count)
                modelContext.insert(list)
                selection = list
            }
        }
        .onReceive(NotificationCenter.default.publisher(for: .createList)) { _ in
            showingNewList = true
        }
    }

    private func deleteLists(at offsets: IndexSet) {
        withAnimation {
            for index in offsets {
                let list = lists[index]
                if list == selection {
                    selection = nil
                }
                modelContext.delete(list)
            }
        }
    }

    private func moveLists(from source: IndexSet, to destination: Int) {
        var reordered = lists
        reordered.move(fromOffsets: source, toOffset: destination)
        for (index, list) in reordered.enumerated() {
            list.sortIndex = index
        }
    }
}

private struct ListRow: View {
    let list: TodoList

    var body: some View {
        HStack(spacing: 12) {
            Image(systemName: list.symbol)
                .foregroundStyle(.white)
                .frame(width: 28, height: 28)
                .background(Color(hex: list.colorHex) ?? .accentColor, in: Circle())
            Text(list.name)
            Spacer()
            if list.openCount > 0 {
                Text(list.openCount, format: .number)
                    .foregroundStyle(.secondary)
            }
        }
    }
}

struct NewListSheet: View {
    var onCreate: (String, String, String) -> Void

    @Environment(\.dismiss) private var dismiss
    @State private var name = ""
    @State private var colorHex = "#3478F6"
    @State private var symbol = "list.bullet"

    private let colors = ["#3478F6", "#FF9500", "#34C759", "#FF3B30", "#AF52DE", "#8E8E93"]
    private let symbols = ["list.bullet", "house", "cart", "briefcase", "book", "heart", "leaf", "airplane"]

    var body: some View {
        NavigationStack {
            Form {
                Section {
                    TextField("Name", text: $name)
                        .font(.title3)
                }
                Section("Colour") {
                    LazyVGrid(columns: Array(repeating: GridItem(.flexible()), count: 6)) {
                        ForEach(colors, id: \.self) { hex in
                            Circle()
                                .fill(Color(hex: hex) ?? .gray)
                                .frame(width: 32, height: 32)
                                .overlay {
                                    if hex == colorHex {
                                        Image(systemName: "checkmark")
                                            .font(.caption.bold())
                                            .foregroundStyle(.white)
                                    }
                                }
                                .onTapGesture { colorHex = hex }
                        }
                    }
                }
                Section("Symbol") {
                    Picker("Symbol", selection: $symbol) {
                        ForEach(symbols, id: \.self) { name in
                            Image(systemName: name).tag(name)
                        }
                    }
                    .pickerStyle(.palette)
                }
            }
            .navigationTitle("New List")
            #if os(iOS)
            .navigationBarTitleDisplayMode(.inline)
            #endif
            .toolbar {
                ToolbarItem(placement: .cancellationAction) {
                    Button("Cancel") { dismiss() }
                }
                ToolbarItem(placement: .confirmationAction) {
                    Button("Create") {
                        onCreate(name.trimmed, colorHex, symbol)
                        dismiss()
                    }
                    .disabled(name.isBlank)
                }
            }
        }
    }
}

struct TodoSettingsView: View {
    @AppStorage("appearance") private var appearance: Appearance = .system
    @AppStorage("showCompleted") private var showCompleted = true
    @AppStorage("defaultPriority") private var defaultPriority = Priority.medium.rawValue

    var body: some View {
        Form {
            Picker("Appearance", selection: $appearance) {
                ForEach(Appearance.allCases) { option in
                    Text(option.rawValue.capitalized).tag(option)
                }
            }
            Toggle("Show completed tasks", isOn: $showCompleted)
            Picker("Default priority", selection: $defaultPriority) {
                ForEach(Priority.allCases) { priority in
                    Label(priority.title, systemImage: priority.symbolName)
                        .tag(priority.rawValue)
                }
            }
        }
        .padding()
        .frame(width: 360)
    }
}

#Preview {
    RootView()
        .modelContainer(for: [TodoItem.self, TodoList.self, Tag.self], inMemory: true)
}
