import SwiftUI
import CoreData

struct NotesListView: View {
    let selection: NotesRootView.FolderSelection
    @Binding var selectedNote: Note?

    @Environment(\.managedObjectContext) private var context
    @SectionedFetchRequest<String, Note>(
        sectionIdentifier: \.sectionTitle,
        sortDescriptors: [SortDescriptor(\.isPinned, order: .reverse), SortDescriptor(\.modifiedAt, order: .reverse)],
        animation: .default
    )
    private var sections: SectionedFetchResults<String, Note>

    @State private var searchText = ""
    @State private var noteToDelete: Note?

    private var basePredicate: NSPredicate? {
        switch selection {
        case .all:
            return nil
        case .pinned:
            return NSPredicate(format: "isPinned == YES")
        case .folder(let id):
            guard let folder = try? context.existingObject(with: id) else { return nil }
            return NSPredicate(format: "folder == %@", folder)
        }
    }

    private var title: String {
        switch selection {
        case .all: return "All Notes"
        case .pinned: return "Pinned"
        case .folder(let id):
            return (try? context.existingObject(with: id) as? Folder)?.wrappedName ?? "Folder"
        }
    }

    var body: some View {
        List(selection: $selectedNote) {
            ForEach(sections) { section in
                Section(section.id) {
                    ForEach(section) { note in
                        NoteRow(note: note)
                            .tag(note)
                            .swipeActions(edge: .leading) {
                                Button {
                                    note.isPinned.toggle()
                                    PersistenceController.shared.save(context)
                                } label: {
                                    Label(note.isPinned ? "Unpin" : "Pin", systemImage: note.isPinned ? "pin.slash" : "pin")
                                }
                                .tint(.orange)
                            }
                            .swipeActions(edge: .trailing) {
                                Button(role: .destructive) {
                                    noteToDelete = note
                                } label: {
                                    Label("Delete", systemImage: "trash")
                                }
                            }
                    }
                }
            }
        }
        .navigationTitle(title)
        .searchable(text: $searchText)
        .onChange(of: searchText, initial: true) { updatePredicate() }
        .onChange(of: selection) { updatePredicate() }
        .toolbar {
            ToolbarItem(placement: .primaryAction) {
                Button(action: addNote) {
                    Label("New Note", systemImage: "square.and.pencil")
                }
                .keyboardShortcut("n")
            }
            ToolbarItem(placement: .status) {
                Text(countText)
                    .font(.caption)
                    .foregroundStyle(.secondary)
            }
        }
        .confirmationDialog(
            "Delete note?",
            isPresented: .init(get: { noteToDelete != nil }, set: { if !$0 { noteToDelete = nil } }),
            presenting: noteToDelete
        ) { note in
            Button("Delete", role: .destructive) {
                if selectedNote == note {
                    selectedNote = nil
                }
                context.delete(note)
                PersistenceController.shared.save(context)
            }
        }
    }

    private var countText: String {
        let count = sections.reduce(0) { $0 + $1.count }
        return count == 1 ? "1 note" : "\(count) notes"
    }

    private func updatePredicate() {
        let predicates = [basePredicate, Note.search(searchText)].compactMap { $0 }
        sections.nsPredicate = predicates.isEmpty ? nil : NSCompoundPredicate(andPredicateWithSubpredicates: predicates)
    }

    private func addNote() {
        withAnimation {
            let note = Note(context: context)
            note.title = ""
            note.body = ""
            if case .folder(let id) = selection {
                note.folder = try? context.existingObject(with: id) as? Folder
            }
            if selection == .pinned {
                note.isPinned = true
            }
            PersistenceController.shared.save(context)
            selectedNote = note
        }
    }
}

extension Note {
    /// Groups the list: pinned notes first, then by month of the last edit.
    @objc var sectionTitle: String {
        if isPinned {
            return "Pinned"
        }
        guard let modifiedAt else { return "Older" }
        if Calendar.current.isDateInToday(modifiedAt) {
            return "Today"
        }
        return modifiedAt.formatted(.dateTime.month(.wide).year())
    }
}

struct NoteRow: View {
    @ObservedObject var note: Note

    var body: some View {
        HStack(alignment: .top, spacing: 10) {
            RoundedRectangle(cornerRadius: 2)
                .fill(note.color.tint)
                .frame(width: 4)
            VStack(alignment: .leading, spacing: 4) {
                HStack {
                    Text(note.wrappedTitle)
                        .font(.headline)
                        .lineLimit(1)
                    if note.isPinned {
                        Image(systemName: "pin.fill")
                            .font(.caption2)
                            .foregroundStyle(.orange)
                    }
                }
                HStack(spacing: 6) {
                    if let modifiedAt = note.modifiedAt {
                        Text(modifiedAt, format: .relative(presentation: .named))
                    }
                    Text(note.preview.isEmpty ? "No additional text" : note.preview)
                        .lineLimit(1)
                }
                .font(.subheadline)
                .foregroundStyle(.secondary)
            }
        }
        .padding(.vertical, 2)
    }
}

extension NoteColor {
    var tint: Color {
        switch self {
        case .plain: .gray.opacity(0.3)
        case .yellow: .yellow
        case .green: .green
        case .blue: .blue
        case .pink: .pink
        }
    }
}

#Preview {
    NavigationStack {
        NotesListView(selection: .all, selectedNote: .constant(nil))
    }
    .environment(\.managedObjectContext, PersistenceController.preview.container.viewContext)
}
