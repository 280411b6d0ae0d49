import SwiftUI

struct SettingsView: View {
    @Binding var count: Int
    @Environment(\.dismiss) private var dismiss
    @AppStorage("stepSize") private var stepSize = 1
    @AppStorage("allowNegative") private var allowNegative = false
    @AppStorage("theme") private var theme: CounterTheme = .classic
    @AppStorage("goal") private var goal = 10
    @State private var showingResetAlert = false

    var body: some View {
        NavigationStack {
            Form {
                Section("Counting") {
                    Stepper("Step size: \(stepSize)", value: $stepSize, in: 1...10)
                    Stepper("Goal: \(goal)", value: $goal, in: 1...1000, step: 5)
                    Toggle("Allow negative numbers", isOn: $allowNegative)
                }

                Section("Appearance") {
                    Picker("Theme", selection: $theme) {
                        ForEach(CounterTheme.allCases) { theme in
                            Text(theme.title).tag(theme)
                        }
                    }
                }

                Section {
                    Button("Reset Counter", role: .destructive) {
                        showingResetAlert = true
                    }
                } footer: {
                    Text("The current count is \(count).")
                }
            }
            .navigationTitle("Settings")
            .toolbar {
                ToolbarItem(placement: .confirmationAction) {
                    Button("Done") {
                        dismiss()
                    }
                }
            }
            .alert("Reset the counter?", isPresented: $showingResetAlert) {
                Button("Reset", role: .destructive) {
                    count = 0
                }
                Button("Cancel", role: .cancel) {}
            } message: {
                Text("The count goes back to zero.")
            }
            .onChange(of: allowNegative) { _, newValue in
                if !newValue && count < 0 {
                    count = 0
                }
            }
        }
    }
}

#Preview {
    SettingsView(count: .constant(3))
}
