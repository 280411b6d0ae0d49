import CoreData
import OSLog

struct PersistenceController {
    static let shared = PersistenceController()

    static let preview: PersistenceController = {
        let controller = PersistenceController(inMemory: true)
        let context = controller.container.viewContext
        let work = Folder(context: context)
        work.name = "Work"
        let samples: [(String, String, Bool)] = [
            ("Meeting notes", "Agenda\n- budget\n- hiring\n- offsite dates", true),
            ("Groceries", "eggs, rice, spinach, lemons", false),
            ("", "An untitled thought that only has a body.", false),
            ("Book ideas", #"A detective who only speaks in "quotes" and \escapes"#, false),
        ]
        for (index, sample) in samples.enumerated() {
            let note = Note(context: context)
            note.title = sample.0
            note.body = sample.1
            note.isPinned = sample.2
            note.colorIndex = Int16(index % NoteColor.allCases.count)
            note.modifiedAt = Date.now.adding(days: -index)
            if index.isMultiple(of: 2) {
                note.folder = work
            }
        }
        do {
            try context.save()
        } catch {
            fatalError("Saving preview data failed: \(error)")
        }
        return controller
    }()

    private static let logger = Logger(subsystem: "com.example.notes", category: "persistence")

    let container: NSPersistentContainer

    init(inMemory: Bool = false) {
        container = NSPersistentContainer(name: "Notes", managedObjectModel: Self.model)
        if inMemory {
            container.persistentStoreDescriptions.first?.url = URL(fileURLWithPath: "/dev/null")
        }
        container.persistentStoreDescriptions.forEach { description in
            description.setOption(true as NSNumber, forKey: NSPersistentHistoryTrackingKey)
            description.shouldMigrateStoreAutomatically = true
            description.shouldInferMappingModelAutomatically = true
        }
        container.loadPersistentStores { description, error in
            if let error = error as NSError? {
                Self.logger.error("Store \(description.url?.lastPathComponent ?? "?", privacy: .public) failed: \(error.localizedDescription)")
                fatalError("Unresolved error \(error), \(error.userInfo)")
            }
        }
        container.viewContext.automaticallyMergesChangesFromParent = true
        container.viewContext.mergePolicy = NSMergeByPropertyObjectTrumpMergePolicy
        container.viewContext.name = "viewContext"
    }

    /// The model is built in code so the app needs no model file; attribute names match the @NSManaged properties.
    static let model: NSManagedObjectModel = {
        func attribute(_ name: String, _ type: NSAttributeDescription.AttributeType, optional: Bool = true, defaultValue: Any? = nil) -> NSAttributeDescription {
            let attribute = NSAttributeDescription()
            attribute.name = name
            attribute.type = type
            attribute.isOptional = optional
            attribute.defaultValue = defaultValue
            return attribute
        }

        let note = NSEntityDescription()
        note.name = "Note"
        note.managedObjectClassName = NSStringFromClass(Note.self)

        let folder = NSEntityDescription()
        folder.name = "Folder"
        folder.managedObjectClassName = NSStringFromClass(Folder.self)

        let noteFolder = NSRelationshipDescription()
        noteFolder.name = "folder"
        noteFolder.destinationEntity = folder
        noteFolder.maxCount = 1
        noteFolder.deleteRule = .nullifyDeleteRule

        let folderNotes = NSRelationshipDescription()
        folderNotes.name = "notes"
        folderNotes.destinationEntity = note
        folderNotes.maxCount = 0
        folderNotes.deleteRule = .cascadeDeleteRule

        noteFolder.inverseRelationship = folderNotes
        folderNotes.inverseRelationship = noteFolder

        note.properties = [
            attribute("id", .uuid),
            attribute("title", .string),
            attribute("body", .string),
            attribute("createdAt", .date),
            attribute("modifiedAt", .date),
            attribute("isPinned", .boolean, optional: false, defaultValue: false),
            attribute("colorIndex", .integer16, optional: false, defaultValue: 0),
            noteFolder,
        ]
        folder.properties = [
            attribute("name", .string),
            attribute("sortOrder", .integer32, optional: false, defaultValue: 0),
            folderNotes,
        ]

        let model = NSManagedObjectModel()
        model.entities = [note, folder]
        return model
    }()

    func save(_ context: NSManagedObjectContext? = nil) {
        let context = context ?? container.viewContext
        guard context.hasChanges else { return }
        do {
            try context.save()
        } catch let error as NSError where error.code == NSValidationMultipleErrorsError {
            Self.logger.error("Several validation errors: \(error.userInfo)")
            context.rollback()
        } catch {
            Self.logger.error("Save failed: \(error.localizedDescription)")
            context.rollback()
        }
    }

    /// Deletes notes older than `days` that are not pinned, on a background context.
    func purge(olderThan days: Int) async throws -> Int {
        let context = container.newBackgroundContext()
        let cutoff = Date.now.adding(days: -days)
        return try await context.perform {
            let request: NSFetchRequest<Note> = Note.fetchRequest()
            request.predicate = NSPredicate(format: "isPinned == NO AND modifiedAt < %@", cutoff as NSDate)
            let stale = try context.fetch(request)
            stale.forEach(context.delete)
            try context.save()
            return stale.count
        }
    }
}
