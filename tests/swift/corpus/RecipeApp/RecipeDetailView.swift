import SwiftUI

struct RecipeDetailView: View {
    let recipe: Recipe

    @EnvironmentObject private var store: RecipeStore
    @Environment(\.openURL) private var openURL
    @State private var servings: Int
    @State private var checkedIngredients: Set<Ingredient.ID> = []
    @State private var isEditing = false
    @State private var draft: Recipe
    @State private var timers: [Step.ID: StepTimer] = [:]
    @State private var showingDeleteConfirmation = false
    @Environment(\.dismiss) private var dismiss

    init(recipe: Recipe) {
        self.recipe = recipe
        _servings = State(initialValue: recipe.servings)
        _draft = State(initialValue: recipe)
    }

    private var current: Recipe {
        store.recipes.first { $0.id == recipe.id } ?? recipe
    }

    private var scaled: Recipe {
        current.scaled(to: servings)
    }

    var body: some View {
        ScrollView {
            VStack(alignment: .leading, spacing: 20) {
                header
                servingsControl
                ingredientsSection
                stepsSection
            }
            .padding()
        }
        .navigationTitle(current.title)
        #if os(iOS)
        .navigationBarTitleDisplayMode(.large)
        #endif
        .toolbar {
            ToolbarItemGroup(placement: .primaryAction) {
                Button {
                    store.toggleFavorite(current)
                } label: {
                    Image(systemName: store.isFavorite(current) ? "heart.fill" : "heart")
                        .symbolEffect(.bounce, value: store.isFavorite(current))
                }
                ShareLink(item: current.markdown, subject: Text(current.title))
                Menu {
                    Button("Edit", systemImage: "pencil") {
                        draft = current
                        isEditing = true
                    }
                    Button("Delete", systemImage: "trash", role: .destructive) {
                        showingDeleteConfirmation = true
                    }
                } label: {
                    Image(systemName: "ellipsis.circle")
                }
            }
        }
        .sheet(isPresented: $isEditing) {
            NavigationStack {
                RecipeEditorView(recipe: $draft) { saved in
                    store.upsert(saved)
                }
            }
        }
        .confirmationDialog("Delete \(current.title)?", isPresented: $showingDeleteConfirmation) {
            Button("Delete Recipe", role: .destructive) {
                store.delete(current)
                dismiss()
            }
        }
        .onDisappear {
            timers.values.forEach { $0.stop() }
        }
    }

    private var header: some View {
        VStack(alignment: .leading, spacing: 8) {
            RecipeThumbnail(url: current.imageURL, size: nil)
                .frame(maxWidth: .infinity)
                .frame(height: 220)
            if !current.summary.isEmpty {
                Text(current.summary)
                    .font(.title3)
            }
            HStack(spacing: 16) {
                Label("\(current.prepMinutes) min prep", systemImage: "timer")
                Label("\(current.cookMinutes) min cook", systemImage: "flame")
                Label(current.difficulty.rawValue.capitalized, systemImage: "chart.bar")
            }
            .font(.footnote)
            .foregroundStyle(.secondary)
            if let rating = current.rating {
                HStack(spacing: 2) {
                    ForEach(1 ... 5, id: \.self) { star in
                        Image(systemName: star <= rating ? "star.fill" : "star")
                            .foregroundStyle(.yellow)
                    }
                }
                .accessibilityElement(children: .ignore)
                .accessibilityLabel("Rated \(rating) out of 5")
            }
        }
    }

    private var servingsControl: some View {
        Stepper(value: $servings, in: 1 ... 24) {
            HStack {
                Text("Servings")
                Spacer()
                Text("\(servings)")
                    .monospacedDigit()
                    .contentTransition(.numericText())
            }
        }
        .padding(12)
        .background(.thinMaterial, in: RoundedRectangle(cornerRadius: 10))
        .animation(.default, value: servings)
    }

    private var ingredientsSection: some View {
        VStack(alignment: .leading, spacing: 10) {
            Text("Ingredients")
                .font(.title2.bold())
            ForEach(scaled.ingredients) { ingredient in
                let isChecked = checkedIngredients.contains(ingredient.id)
                Button {
                    if isChecked {
                        checkedIngredients.remove(ingredient.id)
                    } else {
                        checkedIngredients.insert(ingredient.id)
                    }
                } label: {
                    HStack(alignment: .top) {
                        Image(systemName: isChecked ? "checkmark.circle.fill" : "circle")
                            .foregroundStyle(isChecked ? Color.green : Color.secondary)
                        Text(ingredient.line)
                            .strikethrough(isChecked)
                            .foregroundStyle(isChecked ? Color.secondary : Color.primary)
                            .frame(maxWidth: .infinity, alignment: .leading)
                    }
                }
                .buttonStyle(.plain)
            }
        }
    }

    private var stepsSection: some View {
        VStack(alignment: .leading, spacing: 14) {
            Text("Method")
                .font(.title2.bold())
            ForEach(Array(current.steps.enumerated()), id: \.element.id) { index, step in
                HStack(alignment: .top, spacing: 12) {
                    Text("\(index + 1)")
                        .font(.headline)
                        .frame(width: 28, height: 28)
                        .background(Circle().fill(Color.accentColor.opacity(0.15)))
                    VStack(alignment: .leading, spacing: 8) {
                        Text(step.text)
                        if let minutes = step.timerMinutes {
                            TimerButton(timer: timer(for: step, minutes: minutes))
                        }
                    }
                }
            }
        }
    }

    private func timer(for step: Step, minutes: Int) -> StepTimer {
        if let existing = timers[step.id] {
            return existing
        }
        let timer = StepTimer(title: step.text.truncated(to: 30), minutes: minutes)
        DispatchQueue.main.async {
            timers[step.id] = timer
        }
        return timer
    }
}

private struct TimerButton: View {
    @ObservedObject var timer: StepTimer

    var body: some View {
        Button {
            timer.isRunning ? timer.stop() : timer.start()
        } label: {
            HStack(spacing: 8) {
                ProgressRing(progress: timer.progress, lineWidth: 3, tint: .orange)
                    .frame(width: 18, height: 18)
                Text(timer.isRunning || timer.progress > 0 ? timer.remainingText : "Start \(Int(timer.duration / 60)) min timer")
                    .monospacedDigit()
            }
        }
        .buttonStyle(.bordered)
        .tint(.orange)
        .contextMenu {
            Button("Reset", systemImage: "arrow.counterclockwise") {
                timer.reset()
            }
        }
    }
}

struct RecipeDetailView_Previews: PreviewProvider {
    static var previews: some View {
        NavigationStack {
            RecipeDetailView(recipe: .preview)
        }
        .environmentObject(RecipeStore.preview)
    }
}
