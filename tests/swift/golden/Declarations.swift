/// A card.
@MainActor
struct Card<Content: View>: View where Content: Equatable {
    @State private var count = 0
    let content: Content?
    var body: some View { Text("x") }
    init(@ViewBuilder content: @escaping () -> Content) { self.content = content() }
}
enum E: String { case a = "x", b }
extension Array where Element: Identifiable {}
