import SwiftUI

enum CounterTheme: String, CaseIterable, Identifiable {
    case classic
    case ocean
    case sunset

    var id: String { rawValue }

    var title: String {
        switch self {
        case .classic: return "Classic"
        case .ocean: return "Ocean"
        case .sunset: return "Sunset"
        }
    }

    var background: Color {
        switch self {
        case .classic: return Color("CounterBackground")
        case .ocean: return Color.blue.opacity(0.15)
        case .sunset: return Color.orange.opacity(0.15)
        }
    }
}
