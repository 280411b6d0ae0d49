import SwiftUI

struct ContentView: View {
    @State private var count = 0
    @State private var showingSettings = false
    @AppStorage("stepSize") private var stepSize = 1
    @AppStorage("allowNegative") private var allowNegative = false
    @AppStorage("theme") private var theme: CounterTheme = .classic
    @AppStorage("goal") private var goal = 10

    private var countColor: Color {
        if count > 0 {
            return Color("PositiveGreen")
        } else if count < 0 {
            return Color("NegativeRed")
        } else {
            return Color.primary
        }
    }

    private var progress: Double {
        guard goal > 0 else { return 0 }
        return min(Double(max(count, 0)) / Double(goal), 1)
    }

    var body: some View {
        NavigationStack {
            VStack(spacing: 24) {
                Image("Badge")
                    .resizable()
                    .scaledToFit()
                    .frame(width: 72, height: 72)

                Text("\(count)")
                    .font(.system(size: 96, weight: .bold, design: .rounded))
                    .foregroundColor(countColor)
                    .accessibilityLabel("Count \(count)")

                ProgressView(value: progress) {
                    Text("Goal: \(goal)")
                }
                .padding(.horizontal, 40)

                HStack(spacing: 32) {
                    Button {
                        decrement()
                    } label: {
                        Image(systemName: "minus.circle.fill")
                            .font(.system(size: 56))
                    }
                    .disabled(!allowNegative && count - stepSize < 0)

                    Button {
                        increment()
                    } label: {
                        Image(systemName: "plus.circle.fill")
                            .font(.system(size: 56))
                    }
                }

                Stepper("Step: \(stepSize)", value: $stepSize, in: 1...10)
                    .padding(.horizontal, 40)

                Button("Reset", role: .destructive) {
                    count = 0
                }
                .buttonStyle(.bordered)

                if count >= goal && goal > 0 {
                    Text("Goal reached!")
                        .font(.headline)
                        .foregroundColor(Color("PositiveGreen"))
                }
            }
            .frame(maxWidth: .infinity, maxHeight: .infinity)
            .background(theme.background)
            .navigationTitle("Counter")
            .toolbar {
                ToolbarItem(placement: .primaryAction) {
                    Button {
                        showingSettings = true
                    } label: {
                        Image(systemName: "gearshape")
                    }
                    .accessibilityLabel("Settings")
                }
            }
            .sheet(isPresented: $showingSettings) {
                SettingsView(count: $count)
            }
        }
    }

    private func increment() {
        count += stepSize
    }

    private func decrement() {
        let next = count - stepSize
        if next >= 0 || allowNegative {
            count = next
        }
    }
}

#Preview {
    ContentView()
}
