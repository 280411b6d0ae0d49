import SwiftUI
import CoreData

@main
struct NotesApp: App {
    let persistence = PersistenceController.shared
    @Environment(\.scenePhase) private var scenePhase
    @AppStorage("purgeAfterDays") private var purgeAfterDays = 0

    var body: some Scene {
        WindowGroup {
            NotesRootView()
                .environment(\.managedObjectContext, persistence.container.viewContext)
        }
        .onChange(of: scenePhase) { _, phase in
            switch phase {
            case .background:
                persistence.save()
            case .active where purgeAfterDays > 0:
                Task {
                    let removed = (try? await persistence.purge(olderThan: purgeAfterDays)) ?? 0
                    if removed > 0 {
                        print("Removed \(removed) old notes")
                    }
                }
            default:
                break
            }
        }
    }
}

struct NotesRootView: View {
    @Environment(\.managedObjectContext) private var context
    @FetchRequest(sortDescriptors: [SortDescriptor(\.sortOrder), SortDescriptor(\.name)])
    private var folders: FetchedResults<Folder>
    @State private var selectedFolder: FolderSelection? = .all
    @State private var selectedNote: Note?
    @State private var newFolderName = ""
    @State private var showingNewFolder = false

    enum FolderSelection: Hashable {
        case all
        case pinned
        case folder(NSManagedObjectID)
    }

    var body: some View {
        NavigationSplitView {
            List(selection: $selectedFolder) {
                Section {
                    Label("All Notes", systemImage: "note.text")
                        .tag(FolderSelection.all)
                    Label("Pinned", systemImage: "pin")
                        .tag(FolderSelection.pinned)
                }
                Section("Folders") {
                    ForEach(folders) { folder in
                        Label(folder.wrappedName, systemImage: "folder")
                            .badge(folder.notesArray.count)
                            .tag(FolderSelection.folder(folder.objectID))
                            .contextMenu {
                                Button("Delete Folder", role: .destructive) {
                                    context.delete(folder)
                                    PersistenceController.shared.save(context)
                                }
                            }
                    }
                }
            }
            .navigationTitle("Notes")
            .toolbar {
                Button {
                    showingNewFolder = true
                } label: {
                    Label("New Folder", systemImage: "folder.badge.plus")
                }
            }
            .alert("New Folder", isPresented: $showingNewFolder) {
                TextField("Name", text: $newFolderName)
                Button("Create") {
                    let folder = Folder(context: context)
                    folder.name = newFolderName.trimmed
                    folder.sortOrder = Int32(folders.count)
                    PersistenceController.shared.save(context)
                    newFolderName = ""
                }
                .disabled(newFolderName.isBlank)
                Button("Cancel", role: .cancel) { newFolderName = "" }
            }
        } content: {
            NotesListView(selection: selectedFolder ?? .all, selectedNote: $selectedNote)
        } detail: {
            if let selectedNote {
                NoteEditorView(note: selectedNote)
                    .id(selectedNote.objectID)
            } else {
                Text("No note selected")
                    .font(.title3)
                    .foregroundStyle(.tertiary)
            }
        }
    }
}
