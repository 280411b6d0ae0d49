import SwiftUI
import PhotosUI

struct RecipeEditorView: View {
    @Binding var recipe: Recipe
    var onSave: (Recipe) -> Void

    @Environment(\.dismiss) private var dismiss
    @State private var newIngredientName = ""
    @State private var newIngredientAmount = ""
    @State private var newIngredientUnit: UnitChoice = .grams
    @State private var newStepText = ""
    @State private var tagText = ""
    @State private var photoItem: PhotosPickerItem?
    @State private var photoData: Data?
    @State private var errorMessage: String?
    @FocusState private var focus: Focus?

    private enum Focus: Hashable {
        case title, summary, ingredient, step
    }

    enum UnitChoice: String, CaseIterable, Identifiable {
        case grams = "g"
        case millilitres = "ml"
        case pieces = "pcs"
        case teaspoons = "tsp"
        case tablespoons = "tbsp"
        case toTaste = "to taste"

        var id: String { rawValue }

        func quantity(for amount: Double) -> Quantity {
            switch self {
            case .grams: .weight(grams: amount)
            case .millilitres: .volume(millilitres: amount)
            case .pieces: .count(amount, unit: nil)
            case .teaspoons, .tablespoons: .count(amount, unit: rawValue)
            case .toTaste: .toTaste
            }
        }
    }

    private var isNew: Bool { recipe.title.isEmpty && recipe.ingredients.isEmpty }

    var body: some View {
        Form {
            Section("About") {
                TextField("Title", text: $recipe.title)
                    .font(.headline)
                    .focused($focus, equals: .title)
                TextField("Short description", text: $recipe.summary, axis: .vertical)
                    .lineLimit(2 ... 4)
                    .focused($focus, equals: .summary)
                Picker("Course", selection: $recipe.course) {
                    ForEach(Course.allCases) { course in
                        Label(course.rawValue, systemImage: course.symbol).tag(course)
                    }
                }
                Picker("Difficulty", selection: $recipe.difficulty) {
                    ForEach(Difficulty.allCases) { level in
                        Text(level.rawValue.capitalized).tag(level)
                    }
                }
                .pickerStyle(.segmented)
            }

            Section("Time and servings") {
                Stepper("Serves \(recipe.servings)", value: $recipe.servings, in: 1 ... 24)
                Stepper(value: $recipe.prepMinutes, in: 0 ... 600, step: 5) {
                    LabeledContent("Preparation", value: "\(recipe.prepMinutes) min")
                }
                Stepper(value: $recipe.cookMinutes, in: 0 ... 600, step: 5) {
                    LabeledContent("Cooking", value: "\(recipe.cookMinutes) min")
                }
                Picker("Rating", selection: $recipe.rating) {
                    Text("Not rated").tag(Int?.none)
                    ForEach(1 ..< 6) { value in
                        Text(String(repeating: "★", count: value)).tag(Int?.some(value))
                    }
                }
            }

            Section {
                ForEach($recipe.ingredients) { $ingredient in
                    VStack(alignment: .leading) {
                        TextField("Ingredient", text: $ingredient.name)
                        Text(ingredient.quantity.displayText)
                            .font(.caption)
                            .foregroundStyle(.secondary)
                    }
                }
                .onDelete { recipe.ingredients.remove(atOffsets: $0) }
                .onMove { recipe.ingredients.move(fromOffsets: $0, toOffset: $1) }

                HStack {
                    TextField("Amount", text: $newIngredientAmount)
                        .frame(width: 70)
                        #if os(iOS)
                        .keyboardType(.decimalPad)
                        #endif
                    Picker("Unit", selection: $newIngredientUnit) {
                        ForEach(UnitChoice.allCases) { unit in
                            Text(unit.rawValue).tag(unit)
                        }
                    }
                    .labelsHidden()
                    TextField("Name", text: $newIngredientName)
                        .focused($focus, equals: .ingredient)
                        .onSubmit(addIngredient)
                    Button(action: addIngredient) {
                        Image(systemName: "plus.circle.fill")
                    }
                    .disabled(newIngredientName.isBlank)
                }
            } header: {
                HStack {
                    Text("Ingredients")
                    Spacer()
                    EditButton()
                        .font(.caption)
                }
            } footer: {
                if let errorMessage {
                    Text(errorMessage).foregroundStyle(.red)
                }
            }

            Section("Method") {
                ForEach(Array(recipe.steps.indices), id: \.self) { index in
                    HStack(alignment: .top) {
                        Text("\(index + 1).")
                            .foregroundStyle(.secondary)
                        TextField("Step", text: $recipe.steps[index].text, axis: .vertical)
                        Menu {
                            Button("No timer") { recipe.steps[index].timerMinutes = nil }
                            ForEach([1, 2, 5, 10, 15, 20, 30, 45, 60], id: \.self) { minutes in
                                Button("\(minutes) min") { recipe.steps[index].timerMinutes = minutes }
                            }
                        } label: {
                            Image(systemName: recipe.steps[index].timerMinutes == nil ? "timer" : "timer.circle.fill")
                        }
                    }
                }
                .onDelete { offsets in
                    recipe.steps.remove(atOffsets: offsets)
                }
                TextField("Add a step", text: $newStepText, axis: .vertical)
                    .focused($focus, equals: .step)
                    .onSubmit {
                        guard !newStepText.isBlank else { return }
                        recipe.steps.append(Step(text: newStepText.trimmed))
                        newStepText = ""
                        focus = .step
                    }
            }

            Section("Tags") {
                TextField("Comma separated, e.g. quick, vegan", text: $tagText)
                    #if os(iOS)
                    .textInputAutocapitalization(.never)
                    #endif
                    .autocorrectionDisabled()
            }

            Section("Photo") {
                PhotosPicker(selection: $photoItem, matching: .images, photoLibrary: .shared()) {
                    Label(photoData == nil ? "Choose Photo" : "Replace Photo", systemImage: "photo")
                }
                if let photoData, let image = makeImage(from: photoData) {
                    image
                        .resizable()
                        .scaledToFit()
                        .frame(maxHeight: 180)
                        .clipShape(RoundedRectangle(cornerRadius: 8))
                }
            }
        }
        .navigationTitle(isNew ? "New Recipe" : "Edit Recipe")
        .toolbar {
            ToolbarItem(placement: .cancellationAction) {
                Button("Cancel", role: .cancel) { dismiss() }
            }
            ToolbarItem(placement: .confirmationAction) {
                Button("Save") {
                    recipe.tags = Set(tagText.split(separator: ",").map { $0.trimmingCharacters(in: .whitespaces).lowercased() }.filter { !$0.isEmpty })
                    onSave(recipe)
                    dismiss()
                }
                .disabled(recipe.title.isBlank)
            }
        }
        .task(id: photoItem) {
            guard let photoItem else { return }
            do {
                photoData = try await photoItem.loadTransferable(type: Data.self)
            } catch {
                errorMessage = "The photo could not be loaded: \(error.localizedDescription)"
            }
        }
        .onAppear {
            tagText = recipe.tags.sorted().joined(separator: ", ")
            if isNew {
                focus = .title
            }
        }
    }

    private func addIngredient() {
        let name = newIngredientName.trimmed
        guard !name.isEmpty else { return }
        let normalized = newIngredientAmount.replacingOccurrences(of: ",", with: ".")
        let amount: Double
        if newIngredientUnit == .toTaste {
            amount = 0
        } else if let parsed = Double(normalized), parsed > 0 {
            amount = parsed
        } else {
            errorMessage = "Enter an amount such as 200 or 1.5."
            return
        }
        errorMessage = nil
        recipe.ingredients.append(Ingredient(name: name, quantity: newIngredientUnit.quantity(for: amount)))
        newIngredientName = ""
        newIngredientAmount = ""
        focus = .ingredient
    }

    private func makeImage(from data: Data) -> Image? {
        #if canImport(UIKit)
        guard let uiImage = UIImage(data: data) else { return nil }
        return Image(uiImage: uiImage)
        #elseif canImport(AppKit)
        guard let nsImage = NSImage(data: data) else { return nil }
        return Image(nsImage: nsImage)
        #else
        return nil
        #endif
    }
}

#Preview {
    struct Host: View {
        @State private var recipe = Recipe.preview

        var body: some View {
            NavigationStack {
                RecipeEditorView(recipe: $recipe) { saved in
                    print("Saved \(saved.title)")
                }
            }
        }
    }
    return Host()
}
