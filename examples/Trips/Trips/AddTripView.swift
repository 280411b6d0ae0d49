import SwiftUI

struct AddTripView: View {
    var onSave: (Trip) -> Void

    @Environment(\.dismiss) private var dismiss
    @State private var name = ""
    @State private var destination = ""
    @State private var startDate = Date()
    @State private var endDate = Date().addingTimeInterval(86_400 * 3)
    @State private var transport: Transport = .plane
    @State private var notes = ""

    private var canSave: Bool {
        !name.trimmingCharacters(in: .whitespaces).isEmpty
            && !destination.trimmingCharacters(in: .whitespaces).isEmpty
            && endDate >= startDate
    }

    var body: some View {
        NavigationStack {
            Form {
                Section("Trip") {
                    TextField("Name", text: $name)
                    TextField("Destination", text: $destination)
                }

                Section("Dates") {
                    DatePicker("Start", selection: $startDate, displayedComponents: .date)
                    DatePicker("End", selection: $endDate, in: startDate..., displayedComponents: .date)
                }

                Section("Getting there") {
                    Picker("Transport", selection: $transport) {
                        ForEach(Transport.allCases) { option in
                            Label(option.title, systemImage: option.systemImage).tag(option)
                        }
                    }
                }

                Section("Notes") {
                    TextField("Anything to remember?", text: $notes, axis: .vertical)
                        .lineLimit(3...6)
                }
            }
            .navigationTitle("New Trip")
            .toolbar {
                ToolbarItem(placement: .cancellationAction) {
                    Button("Cancel") {
                        dismiss()
                    }
                }
                ToolbarItem(placement: .confirmationAction) {
                    Button("Save") {
                        let trip = Trip(
                            name: name.trimmingCharacters(in: .whitespaces),
                            destination: destination.trimmingCharacters(in: .whitespaces),
                            startDate: startDate,
                            endDate: endDate,
                            transport: transport,
                            notes: notes
                        )
                        onSave(trip)
                        dismiss()
                    }
                    .disabled(!canSave)
                }
            }
        }
    }
}

#Preview {
    AddTripView { trip in
        print("Saved \(trip.name)")
    }
}
