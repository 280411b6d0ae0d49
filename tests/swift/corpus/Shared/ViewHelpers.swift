import SwiftUI

extension Color {
    /// Reads "#RRGGBB" or "#RRGGBBAA"; anything else gives nil.
    init?(hex: String) {
        var text = hex.trimmingCharacters(in: .whitespacesAndNewlines)
        if text.hasPrefix("#") {
            text.removeFirst()
        }
        guard text.count == 6 || text.count == 8, let value = UInt64(text, radix: 16) else {
            return nil
        }
        let hasAlpha = text.count == 8
        let red = Double((value >> (hasAlpha ? 24 : 16)) & 0xFF) / 255
        let green = Double((value >> (hasAlpha ? 16 : 8)) & 0xFF) / 255
        let blue = Double((value >> (hasAlpha ? 8 : 0)) & 0xFF) / 255
        let alpha = hasAlpha ? Double(value & 0xFF) / 255 : 1.0
        self.init(.sRGB, red: red, green: green, blue: blue, opacity: alpha)
    }

    static let cardBackground = Color("CardBackground")
    static let brand = Color(red: 0.20, green: 0.47, blue: 0.96)
}

extension View {
    /// Applies `transform` only when `condition` holds; keeps call sites in one modifier chain.
    @ViewBuilder
    func `if`<Content: View>(_ condition: Bool, transform: (Self) -> Content) -> some View {
        if condition {
            transform(self)
        } else {
            self
        }
    }

    func cardStyle(padding: CGFloat = 12) -> some View {
        self
            .padding(padding)
            .background(.background, in: RoundedRectangle(cornerRadius: 12, style: .continuous))
            .shadow(color: .black.opacity(0.08), radius: 4, y: 2)
    }

    func placeholder<Content: View>(
        when shouldShow: Bool,
        alignment: Alignment = .leading,
        @ViewBuilder placeholder: () -> Content
    ) -> some View {
        ZStack(alignment: alignment) {
            placeholder().opacity(shouldShow ? 1 : 0)
            self
        }
    }

    func hideKeyboardOnTap() -> some View {
        #if os(iOS)
        return self.onTapGesture {
            UIApplication.shared.sendAction(#selector(UIResponder.resignFirstResponder), to: nil, from: nil, for: nil)
        }
        #else
        return self
        #endif
    }
}

struct EmptyStateView: View {
    let systemImage: String
    let title: String
    var message: String? = nil
    var actionTitle: String? = nil
    var action: (() -> Void)? = nil

    var body: some View {
        VStack(spacing: 12) {
            Image(systemName: systemImage)
                .font(.system(size: 48, weight: .light))
                .foregroundStyle(.secondary)
            Text(title)
                .font(.title3.bold())
            if let message {
                Text(message)
                    .font(.callout)
                    .foregroundStyle(.secondary)
                    .multilineTextAlignment(.center)
            }
            if let actionTitle, let action {
                Button(actionTitle, action: action)
                    .buttonStyle(.borderedProminent)
                    .padding(.top, 4)
            }
        }
        .padding(32)
        .frame(maxWidth: .infinity, maxHeight: .infinity)
    }
}

struct TagChip: View {
    let text: String
    var color: Color = .accentColor
    var isSelected = false

    var body: some View {
        Text(text)
            .font(.caption.weight(.semibold))
            .padding(.horizontal, 10)
            .padding(.vertical, 4)
            .background(isSelected ? color : color.opacity(0.15), in: Capsule())
            .foregroundStyle(isSelected ? Color.white : color)
            .animation(.easeInOut(duration: 0.15), value: isSelected)
    }
}

struct LabeledValueRow: View {
    let label: LocalizedStringKey
    let value: String
    var systemImage: String?

    var body: some View {
        HStack {
            if let systemImage {
                Label(label, systemImage: systemImage)
            } else {
                Text(label)
            }
            Spacer(minLength: 16)
            Text(value)
                .foregroundStyle(.secondary)
                .monospacedDigit()
        }
    }
}

struct ProgressRing: View {
    var progress: Double
    var lineWidth: CGFloat = 8
    var tint: Color = .green

    private var clampedProgress: Double { progress.clamped(to: 0 ... 1) }

    var body: some View {
        ZStack {
            Circle()
                .stroke(tint.opacity(0.2), lineWidth: lineWidth)
            Circle()
                .trim(from: 0, to: clampedProgress)
                .stroke(tint, style: StrokeStyle(lineWidth: lineWidth, lineCap: .round))
                .rotationEffect(.degrees(-90))
                .animation(.spring(response: 0.4, dampingFraction: 0.8), value: clampedProgress)
        }
        .accessibilityElement()
        .accessibilityLabel("Progress")
        .accessibilityValue("\(Int(clampedProgress * 100)) percent")
    }
}

#Preview("Empty state") {
    EmptyStateView(
        systemImage: "tray",
        title: "Nothing here yet",
        message: "Add your first item to get started.",
        actionTitle: "Add Item"
    ) {
        print("tapped")
    }
}

#Preview("Chips and ring") {
    VStack(spacing: 20) {
        HStack {
            TagChip(text: "Work")
            TagChip(text: "Home", color: .orange, isSelected: true)
        }
        ProgressRing(progress: 0.65)
            .frame(width: 80, height: 80)
    }
    .padding()
}
