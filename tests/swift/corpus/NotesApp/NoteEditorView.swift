import SwiftUI
import CoreData
import Combine

struct NoteEditorView: View {
    @ObservedObject var note: Note
    @Environment(\.managedObjectContext) private var context
    @State private var text = ""
    @State private var titleText = ""
    @State private var showingInfo = false
    @State private var exportURL: URL?
    @State private var saveSubject = PassthroughSubject<Void, Never>()
    @FocusState private var bodyFocused: Bool
    @AppStorage("editorFontSize") private var fontSize: Double = 17
    @AppStorage("useMonospacedFont") private var useMonospaced = false

    private var statistics: (words: Int, characters: Int, lines: Int) {
        let words = text.split { $0.isWhitespace || $0.isNewline }.count
        let lines = text.isEmpty ? 0 : text.split(separator: "\n", omittingEmptySubsequences: false).count
        return (words, text.count, lines)
    }

    var body: some View {
        VStack(spacing: 0) {
            TextField("Title", text: $titleText)
                .font(.title.bold())
                .textFieldStyle(.plain)
                .padding([.horizontal, .top])
                .onSubmit { bodyFocused = true }
            TextEditor(text: $text)
                .font(useMonospaced ? .system(size: fontSize, design: .monospaced) : .system(size: fontSize))
                .focused($bodyFocused)
                .scrollContentBackground(.hidden)
                .padding(.horizontal, 12)
        }
        .background(note.color == .plain ? Color.clear : note.color.tint.opacity(0.12))
        .navigationTitle(note.wrappedTitle)
        #if os(iOS)
        .navigationBarTitleDisplayMode(.inline)
        #endif
        .toolbar {
            ToolbarItemGroup(placement: .primaryAction) {
                Menu {
                    Picker("Colour", selection: Binding(get: { note.color }, set: { note.color = $0; scheduleSave() })) {
                        ForEach(NoteColor.allCases) { color in
                            Label(color.name, systemImage: "circle.fill")
                                .tint(color.tint)
                                .tag(color)
                        }
                    }
                    Toggle("Monospaced", isOn: $useMonospaced)
                    Stepper("Text size \(Int(fontSize))", value: $fontSize, in: 12 ... 28, step: 1)
                } label: {
                    Label("Format", systemImage: "textformat")
                }
                Button {
                    showingInfo.toggle()
                } label: {
                    Label("Info", systemImage: "info.circle")
                }
                .popover(isPresented: $showingInfo) {
                    NoteInfoView(note: note, statistics: statistics)
                        .presentationCompactAdaptation(.popover)
                }
                if let exportURL {
                    ShareLink(item: exportURL)
                }
            }
            #if os(iOS)
            ToolbarItemGroup(placement: .keyboard) {
                Button("- List") { insert("\n- ") }
                Button("[ ] Task") { insert("\n- [ ] ") }
                Spacer()
                Button("Done") { bodyFocused = false }
            }
            #endif
        }
        .onAppear {
            titleText = note.title ?? ""
            text = note.wrappedBody
            bodyFocused = text.isEmpty
        }
        .onChange(of: text) { scheduleSave() }
        .onChange(of: titleText) { scheduleSave() }
        .onReceive(saveSubject.debounce(for: .seconds(0.8), scheduler: RunLoop.main)) { _ in
            commit()
        }
        .onDisappear(perform: commit)
        .task(id: note.modifiedAt) {
            exportURL = try? await exportMarkdown()
        }
    }

    private func insert(_ snippet: String) {
        text += snippet
    }

    private func scheduleSave() {
        saveSubject.send(())
    }

    private func commit() {
        guard !note.isDeleted else { return }
        if note.title != titleText {
            note.title = titleText
        }
        if note.body != text {
            note.body = text
        }
        PersistenceController.shared.save(context)
    }

    private func exportMarkdown() async throws -> URL {
        let title = note.wrappedTitle
        let body = text
        let document = MarkdownDocument {
            MarkdownBlock.heading(level: 1, text: title)
            body
            if let folder = note.folder?.name {
                MarkdownBlock.rule
                "Filed in _\(folder)_"
            }
        }
        let url = FileManager.default.temporaryDirectory
            .appending(path: title.slug.isEmpty ? "note" : title.slug)
            .appendingPathExtension("md")
        try document.text.write(to: url, atomically: true, encoding: .utf8)
        return url
    }
}

private struct NoteInfoView: View {
    @ObservedObject var note: Note
    let statistics: (words: Int, characters: Int, lines: Int)

    var body: some View {
        Grid(alignment: .leading, horizontalSpacing: 16, verticalSpacing: 8) {
            row("Words", "\(statistics.words)")
            row("Characters", "\(statistics.characters)")
            row("Lines", "\(statistics.lines)")
            Divider()
            if let createdAt = note.createdAt {
                row("Created", createdAt.formatted(date: .abbreviated, time: .shortened))
            }
            if let modifiedAt = note.modifiedAt {
                row("Modified", modifiedAt.formatted(date: .abbreviated, time: .shortened))
            }
            row("Folder", note.folder?.wrappedName ?? "None")
        }
        .padding()
        .frame(minWidth: 240)
    }

    private func row(_ label: String, _ value: String) -> some View {
        GridRow {
            Text(label)
                .foregroundStyle(.secondary)
            Text(value)
                .monospacedDigit()
        }
    }
}

#if os(iOS)
/// A text view that reports the selected range, which TextEditor cannot do yet.
struct SelectableTextView: UIViewRepresentable {
    @Binding var text: String
    @Binding var selection: NSRange
    var font: UIFont = .preferredFont(forTextStyle: .body)

    func makeUIView(context: Context) -> UITextView {
        let view = UITextView()
        view.delegate = context.coordinator
        view.font = font
        view.adjustsFontForContentSizeCategory = true
        view.backgroundColor = .clear
        view.textContainerInset = UIEdgeInsets(top: 8, left: 4, bottom: 8, right: 4)
        return view
    }

    func updateUIView(_ view: UITextView, context: Context) {
        if view.text != text {
            view.text = text
        }
        if view.selectedRange != selection, selection.upperBound <= (text as NSString).length {
            view.selectedRange = selection
        }
        view.font = font
    }

    func makeCoordinator() -> Coordinator {
        Coordinator(parent: self)
    }

    final class Coordinator: NSObject, UITextViewDelegate {
        var parent: SelectableTextView

        init(parent: SelectableTextView) {
            self.parent = parent
        }

        func textViewDidChange(_ textView: UITextView) {
            parent.text = textView.text
        }

        func textViewDidChangeSelection(_ textView: UITextView) {
            let range = textView.selectedRange
            guard range != parent.selection else { return }
            DispatchQueue.main.async { [weak self] in
                self?.parent.selection = range
            }
        }
    }
}
#endif

#Preview {
    let context = PersistenceController.preview.container.viewContext
    let request: NSFetchRequest<Note> = Note.fetchRequest()
    request.fetchLimit = 1
    let note = (try? context.fetch(request).first) ?? Note(context: context)
    return NavigationStack {
        NoteEditorView(note: note)
    }
    .environment(\.managedObjectContext, context)
}
