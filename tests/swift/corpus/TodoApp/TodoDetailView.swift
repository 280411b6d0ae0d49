import SwiftUI
import SwiftData

struct TodoDetailView: View {
    @Bindable var item: TodoItem
    @Environment(\.modelContext) private var modelContext
    @Environment(\.dismiss) private var dismiss
    @State private var isEditing = false
    @State private var showingDeleteAlert = false

    private var statusText: String {
        if item.isDone, let completedAt = item.completedAt {
            return "Completed \(completedAt.formatted(.relative(presentation: .named)))"
        } else if item.isOverdue {
            return "Overdue"
        } else if let dueDate = item.dueDate {
            return "Due \(dueDate.formatted(date: .long, time: .shortened))"
        } else {
            return "No due date"
        }
    }

    var body: some View {
        List {
            Section {
                VStack(alignment: .leading, spacing: 8) {
                    Text(item.title)
                        .font(.title2.bold())
                    Text(statusText)
                        .font(.subheadline)
                        .foregroundStyle(item.isOverdue ? Color.red : Color.secondary)
                }
                .padding(.vertical, 4)

                Toggle(isOn: Binding(
                    get: { item.isDone },
                    set: { _ in item.toggleDone() }
                )) {
                    Label("Completed", systemImage: "checkmark.circle")
                }
            }

            Section("Details") {
                LabeledValueRow(label: "Priority", value: item.priority.title, systemImage: item.priority.symbolName)
                LabeledValueRow(label: "Repeats", value: item.recurrence.label, systemImage: "repeat")
                LabeledValueRow(label: "List", value: item.list?.name ?? "None", systemImage: "list.bullet")
                LabeledValueRow(
                    label: "Created",
                    value: item.createdAt.formatted(date: .abbreviated, time: .omitted),
                    systemImage: "clock"
                )
            }

            if !item.notes.isEmpty {
                Section("Notes") {
                    Text(item.notes)
                        .textSelection(.enabled)
                }
            }

            if !item.tags.isEmpty {
                Section("Tags") {
                    FlowLayout(spacing: 6) {
                        ForEach(item.tags) { tag in
                            TagChip(text: "#\(tag.name)")
                        }
                    }
                }
            }

            Section {
                Button("Delete Task", role: .destructive) {
                    showingDeleteAlert = true
                }
            }
        }
        .navigationTitle("Task")
        #if os(iOS)
        .navigationBarTitleDisplayMode(.inline)
        #endif
        .toolbar {
            ToolbarItemGroup {
                ShareLink(item: exportText) {
                    Label("Share", systemImage: "square.and.arrow.up")
                }
                Button("Edit") { isEditing = true }
            }
        }
        .sheet(isPresented: $isEditing) {
            TodoEditorView(mode: .edit(item))
        }
        .alert("Delete “\(item.title)”?", isPresented: $showingDeleteAlert) {
            Button("Delete", role: .destructive) {
                modelContext.delete(item)
                dismiss()
            }
            Button("Cancel", role: .cancel) {}
        }
    }

    private var exportText: String {
        let document = MarkdownDocument {
            MarkdownBlock.heading(level: 1, text: item.title)
            if !item.notes.isEmpty {
                item.notes
            }
            MarkdownBlock.bulletList([
                "Priority: \(item.priority.title)",
                "Status: \(item.isDone ? "done" : "open")",
            ])
            if !item.tags.isEmpty {
                MarkdownBlock.paragraph(item.tags.map { "#\($0.name)" }.joined(separator: " "))
            }
        }
        return document.text
    }
}

/// Lays out children left to right and wraps to a new line when the row is full.
struct FlowLayout: Layout {
    var spacing: CGFloat = 8

    func sizeThatFits(proposal: ProposedViewSize, subviews: Subviews, cache: inout ()) -> CGSize {
        let maxWidth = proposal.width ?? .infinity
        var rowWidth: CGFloat = 0
        var rowHeight: CGFloat = 0
        var totalHeight: CGFloat = 0
        var widest: CGFloat = 0

        for subview in subviews {
            let size = subview.sizeThatFits(.unspecified)
            if rowWidth > 0 && rowWidth + spacing + size.width > maxWidth {
                totalHeight += rowHeight + spacing
                widest = max(widest, rowWidth)
                rowWidth = 0
                rowHeight = 0
            }
            rowWidth += (rowWidth > 0 ? spacing : 0) + size.width
            rowHeight = max(rowHeight, size.height)
        }
        widest = max(widest, rowWidth)
        return CGSize(width: widest, height: totalHeight + rowHeight)
    }

    func placeSubviews(in bounds: CGRect, proposal: ProposedViewSize, subviews: Subviews, cache: inout ()) {
        var origin = CGPoint(x: bounds.minX, y: bounds.minY)
        var rowHeight: CGFloat = 0

        for subview in subviews {
            let size = subview.sizeThatFits(.unspecified)
            if origin.x > bounds.minX && origin.x + size.width > bounds.maxX {
                origin.x = bounds.minX
                origin.y += rowHeight + spacing
                rowHeight = 0
            }
            subview.place(at: origin, proposal: ProposedViewSize(size))
            origin.x += size.width + spacing
            rowHeight = max(rowHeight, size.height)
        }
    }
}

#Preview {
    let container = try! ModelContainer(
        for: TodoItem.self,
        configurations: ModelConfiguration(isStoredInMemoryOnly: true)
    )
    let item = TodoItem(title: "Renew passport", notes: "Bring two photos.", priority: .urgent, dueDate: .now)
    container.mainContext.insert(item)
    return NavigationStack {
        TodoDetailView(item: item)
    }
    .modelContainer(container)
}
