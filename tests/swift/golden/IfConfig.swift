let view = Text("x")
    #if os(iOS)
    .padding()
    #elseif DEBUG
    #if canImport(UIKit)
    .border(.red)
    #endif
    #else
    #endif
    .bold()
#if os(iOS)
@available(iOS 17, *)
#endif
@MainActor struct V {}
#if DEBUG
.implicit()
#endif
