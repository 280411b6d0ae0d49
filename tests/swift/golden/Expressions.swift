let view = VStack(spacing: 8) {
    Text("Hi \(user.name)!")
        .font(.title)
    Button { count += 1 } label: { Label("Add", systemImage: "plus") }
}
.sheet(isPresented: $showing) { Editor(item: items[0]) }
let sorted = items.sorted { $0.date > $1.date }.map(\.name)
let value = x as? Int ?? -1
let text = """
    Line "one"
    Line two
    """
