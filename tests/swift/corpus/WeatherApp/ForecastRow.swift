import SwiftUI

/// One day in the forecast list: name, symbol, low, a bar for the day's range on the week's scale, high.
struct ForecastRow: View {
    let title: String
    let symbol: String
    let low: String
    let high: String
    /// Start and end of the bar as fractions of the available width.
    let bar: ClosedRange<Double>

    @ScaledMetric(relativeTo: .body) private var titleWidth: CGFloat = 56

    var body: some View {
        HStack(spacing: 12) {
            Text(title)
                .frame(width: titleWidth, alignment: .leading)
            Image(systemName: symbol)
                .symbolRenderingMode(.multicolor)
                .frame(width: 28)
            Text(low)
                .foregroundStyle(.secondary)
                .frame(width: 36, alignment: .trailing)
            TemperatureBar(range: bar)
                .frame(height: 5)
            Text(high)
                .frame(width: 36, alignment: .trailing)
        }
        .font(.body.monospacedDigit())
        .accessibilityElement(children: .ignore)
        .accessibilityLabel("\(title): low \(low), high \(high)")
    }
}

struct TemperatureBar: View {
    let range: ClosedRange<Double>

    private static let gradient = Gradient(stops: [
        .init(color: .blue, location: 0),
        .init(color: .green, location: 0.35),
        .init(color: .yellow, location: 0.65),
        .init(color: .orange, location: 1),
    ])

    var body: some View {
        GeometryReader { proxy in
            let width = proxy.size.width
            Capsule()
                .fill(.quaternary)
                .overlay(alignment: .leading) {
                    Capsule()
                        .fill(LinearGradient(gradient: Self.gradient, startPoint: .leading, endPoint: .trailing))
                        .frame(width: max(width * (range.upperBound - range.lowerBound), 5))
                        .offset(x: width * range.lowerBound)
                }
        }
    }
}

#Preview {
    VStack {
        ForecastRow(title: "Today", symbol: "sun.max.fill", low: "9°", high: "21°", bar: 0.2 ... 0.9)
        ForecastRow(title: "Tue", symbol: "cloud.rain.fill", low: "7°", high: "14°", bar: 0.1 ... 0.45)
        ForecastRow(title: "Wed", symbol: "cloud.snow.fill", low: "-2°", high: "4°", bar: 0 ... 0.2)
    }
    .padding()
}
