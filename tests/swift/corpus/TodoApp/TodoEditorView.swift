import SwiftUI
import SwiftData

struct TodoEditorView: View {
    enum Mode {
        case create(TodoList)
        case edit(TodoItem)

        var title: String {
            if case .edit = self {
                return "Edit Task"
            }
            return "New Task"
        }
    }

    enum Field: Hashable {
        case title
        case notes
        case newTag
    }

    let mode: Mode

    @Environment(\.modelContext) private var modelContext
    @Environment(\.dismiss) private var dismiss
    @Query(sort: \Tag.name) private var allTags: [Tag]
    @AppStorage("defaultPriority") private var defaultPriority = Priority.medium.rawValue

    @State private var title = ""
    @State private var notes = ""
    @State private var priority: Priority = .medium
    @State private var hasDueDate = false
    @State private var dueDate = Date.now.adding(days: 1)
    @State private var recurrenceKind = RecurrenceKind.never
    @State private var everyNDays = 2
    @State private var selectedTags: [Tag] = []
    @State private var newTagName = ""
    @State private var form = FormState<Field>()
    @State private var showingDiscardAlert = false
    @FocusState private var focusedField: Field?

    private let titleRules = ValidatorChain<String>.title(maxLength: 120)

    enum RecurrenceKind: String, CaseIterable, Identifiable {
        case never = "Never"
        case daily = "Daily"
        case weekly = "Weekly"
        case monthly = "Monthly"
        case custom = "Custom"

        var id: Self { self }
    }

    private var hasChanges: Bool {
        switch mode {
        case .create:
            return !title.isBlank || !notes.isBlank
        case .edit(let item):
            return title != item.title
                || notes != item.notes
                || priority != item.priority
                || hasDueDate != (item.dueDate != nil)
        }
    }

    private var recurrence: Recurrence {
        let calendar = Calendar.current
        switch recurrenceKind {
        case .never: return .never
        case .daily: return .daily
        case .weekly: return .weekly(weekday: calendar.component(.weekday, from: dueDate))
        case .monthly: return .monthly(day: calendar.component(.day, from: dueDate))
        case .custom: return .everyNDays(everyNDays)
        }
    }

    var body: some View {
        NavigationStack {
            Form {
                Section {
                    TextField("Title", text: $title, axis: .vertical)
                        .focused($focusedField, equals: .title)
                        .submitLabel(.next)
                        .onSubmit { focusedField = .notes }
                        .onChange(of: title) { _, newValue in
                            form.record(titleRules.errors(for: newValue).first?.localizedDescription, for: .title)
                        }
                    if let message = form.message(for: .title) {
                        Text(message)
                            .font(.footnote)
                            .foregroundStyle(.red)
                    }
                    TextField("Notes", text: $notes, axis: .vertical)
                        .lineLimit(3 ... 8)
                        .focused($focusedField, equals: .notes)
                }

                Section("Details") {
                    Picker("Priority", selection: $priority) {
                        ForEach(Priority.allCases) { priority in
                            Label(priority.title, systemImage: priority.symbolName).tag(priority)
                        }
                    }
                    Toggle("Due date", isOn: $hasDueDate.animation())
                    if hasDueDate {
                        DatePicker("Due", selection: $dueDate, in: Date.now.startOfDay..., displayedComponents: [.date, .hourAndMinute])
                        Picker("Repeat", selection: $recurrenceKind) {
                            ForEach(RecurrenceKind.allCases) { kind in
                                Text(kind.rawValue).tag(kind)
                            }
                        }
                        if recurrenceKind == .custom {
                            Stepper("Every \(everyNDays) days", value: $everyNDays, in: 2 ... 365)
                        }
                    }
                }

                Section("Tags") {
                    ScrollView(.horizontal, showsIndicators: false) {
                        HStack {
                            ForEach(allTags) { tag in
                                TagChip(text: tag.name, isSelected: selectedTags.contains(tag))
                                    .onTapGesture {
                                        selectedTags.toggleMembership(of: tag)
                                    }
                            }
                        }
                    }
                    HStack {
                        TextField("New tag", text: $newTagName)
                            .focused($focusedField, equals: .newTag)
                            .onSubmit(addTag)
                            #if os(iOS)
                            .textInputAutocapitalization(.never)
                            #endif
                        Button("Add", action: addTag)
                            .disabled(newTagName.isBlank)
                    }
                }
            }
            .navigationTitle(mode.title)
            .toolbar {
                ToolbarItem(placement: .cancellationAction) {
                    Button("Cancel") {
                        if hasChanges {
                            showingDiscardAlert = true
                        } else {
                            dismiss()
                        }
                    }
                }
                ToolbarItem(placement: .confirmationAction) {
                    Button("Save", action: save)
                        .disabled(!titleRules.isValid(title))
                }
            }
            .alert("Discard changes?", isPresented: $showingDiscardAlert) {
                Button("Discard", role: .destructive) { dismiss() }
                Button("Keep Editing", role: .cancel) {}
            } message: {
                Text("Your changes to this task will be lost.")
            }
            .interactiveDismissDisabled(hasChanges)
            .onAppear(perform: load)
        }
    }

    private func load() {
        switch mode {
        case .create:
            priority = Priority(rawValue: defaultPriority) ?? .medium
            focusedField = .title
        case .edit(let item):
            title = item.title
            notes = item.notes
            priority = item.priority
            selectedTags = item.tags
            if let due = item.dueDate {
                hasDueDate = true
                dueDate = due
            }
            switch item.recurrence {
            case .never: recurrenceKind = .never
            case .daily, .everyNDays(1): recurrenceKind = .daily
            case .weekly: recurrenceKind = .weekly
            case .monthly: recurrenceKind = .monthly
            case .everyNDays(let n):
                recurrenceKind = .custom
                everyNDays = n
            }
        }
    }

    private func addTag() {
        let name = newTagName.trimmed.lowercased()
        guard !name.isEmpty else { return }
        defer { newTagName = "" }
        if let existing = allTags.first(where: { $0.name == name }) {
            if !selectedTags.contains(existing) {
                selectedTags.append(existing)
            }
            return
        }
        let tag = Tag(name: name)
        modelContext.insert(tag)
        selectedTags.append(tag)
    }

    private func save() {
        let item: TodoItem
        switch mode {
        case .create(let list):
            item = TodoItem(title: title.trimmed, list: list)
            modelContext.insert(item)
        case .edit(let existing):
            item = existing
            item.title = title.trimmed
        }
        item.notes = notes
        item.priority = priority
        item.dueDate = hasDueDate ? dueDate : nil
        item.recurrence = hasDueDate ? recurrence : .never
        item.tags = selectedTags
        dismiss()
    }
}

#Preview("New task") {
    let container = try! ModelContainer(
        for: TodoItem.self,
        configurations: ModelConfiguration(isStoredInMemoryOnly: true)
    )
    let list = TodoList(name: "Errands")
    container.mainContext.insert(list)
    return TodoEditorView(mode: .create(list))
        .modelContainer(container)
}
