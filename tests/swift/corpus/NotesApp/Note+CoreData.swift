import CoreData
import Foundation

@objc(Note)
public class Note: NSManagedObject {
    @nonobjc public class func fetchRequest() -> NSFetchRequest<Note> {
        NSFetchRequest<Note>(entityName: "Note")
    }

    @NSManaged public var id: UUID?
    @NSManaged public var title: String?
    @NSManaged public var body: String?
    @NSManaged public var createdAt: Date?
    @NSManaged public var modifiedAt: Date?
    @NSManaged public var isPinned: Bool
    @NSManaged public var colorIndex: Int16
    @NSManaged public var folder: Folder?

    public override func awakeFromInsert() {
        super.awakeFromInsert()
        setPrimitiveValue(UUID(), forKey: #keyPath(Note.id))
        setPrimitiveValue(Date.now, forKey: #keyPath(Note.createdAt))
        setPrimitiveValue(Date.now, forKey: #keyPath(Note.modifiedAt))
    }

    public override func willSave() {
        super.willSave()
        // Touch the date only for real edits, or saving would mark the object changed again forever.
        if hasPersistentChangedValues, !changedValues().keys.contains(#keyPath(Note.modifiedAt)) {
            setPrimitiveValue(Date.now, forKey: #keyPath(Note.modifiedAt))
        }
    }
}

extension Note: Identifiable {}

extension Note {
    var wrappedTitle: String {
        get {
            if let title, !title.isEmpty {
                return title
            }
            return firstLine ?? "New Note"
        }
        set {
            title = newValue
        }
    }

    var wrappedBody: String {
        get { body ?? "" }
        set { body = newValue }
    }

    var firstLine: String? {
        wrappedBody
            .split(whereSeparator: \.isNewline)
            .first
            .map { String($0).trimmed }
            .flatMap { $0.isEmpty ? nil : $0 }
    }

    var preview: String {
        let lines = wrappedBody.split(whereSeparator: \.isNewline).dropFirst(title.isNilOrBlank ? 1 : 0)
        return lines.joined(separator: " ").truncated(to: 120)
    }

    var color: NoteColor {
        get { NoteColor(rawValue: colorIndex) ?? .plain }
        set { colorIndex = newValue.rawValue }
    }

    var wordCount: Int {
        wrappedBody.split { $0.isWhitespace || $0.isNewline }.count
    }

    static func search(_ text: String) -> NSPredicate? {
        let trimmed = text.trimmed
        guard !trimmed.isEmpty else { return nil }
        return NSPredicate(format: "title CONTAINS[cd] %@ OR body CONTAINS[cd] %@", trimmed, trimmed)
    }

    static var pinnedFirst: [NSSortDescriptor] {
        [
            NSSortDescriptor(keyPath: \Note.isPinned, ascending: false),
            NSSortDescriptor(keyPath: \Note.modifiedAt, ascending: false),
        ]
    }
}

enum NoteColor: Int16, CaseIterable, Identifiable {
    case plain = 0
    case yellow
    case green
    case blue
    case pink

    var id: Int16 { rawValue }

    var name: String {
        String(describing: self).capitalized
    }
}

@objc(Folder)
public class Folder: NSManagedObject {
    @nonobjc public class func fetchRequest() -> NSFetchRequest<Folder> {
        NSFetchRequest<Folder>(entityName: "Folder")
    }

    @NSManaged public var name: String?
    @NSManaged public var sortOrder: Int32
    @NSManaged public var notes: NSSet?
}

extension Folder: Identifiable {
    var wrappedName: String { name ?? "Untitled Folder" }

    var notesArray: [Note] {
        let set = notes as? Set<Note> ?? []
        return set.sorted {
            ($0.modifiedAt ?? .distantPast) > ($1.modifiedAt ?? .distantPast)
        }
    }

    @objc(addNotesObject:)
    @NSManaged public func addToNotes(_ value: Note)

    @objc(removeNotesObject:)
    @NSManaged public func removeFromNotes(_ value: Note)
}
