import Foundation
import Combine
import SwiftUI

enum LoadState<Value> {
    case idle
    case loading
    case loaded(Value)
    case failed(Error)

    var value: Value? {
        if case .loaded(let value) = self {
            return value
        }
        return nil
    }

    var isLoading: Bool {
        if case .loading = self { true } else { false }
    }
}

@MainActor
final class RecipeStore: ObservableObject {
    @Published private(set) var recipes: [Recipe] = [] {
        didSet {
            scheduleSave()
        }
    }
    @Published var favoriteIDs: Set<Recipe.ID> = [] {
        didSet {
            UserDefaults.standard.set(favoriteIDs.map(\.uuidString), forKey: Self.favoritesKey)
        }
    }
    @Published var searchText = ""
    @Published var selectedCourse: Course?
    @Published private(set) var filteredRecipes: [Recipe] = []
    @Published private(set) var state: LoadState<Int> = .idle
    @Published var lastError: String?

    private static let favoritesKey = "favoriteRecipeIDs"
    private let repository: any Repository<Recipe>
    private var saveTask: Task<Void, Never>?
    private var cancellables = Set<AnyCancellable>()

    init(repository: any Repository<Recipe> = JSONFileRepository<Recipe>(fileName: "recipes.json")) {
        self.repository = repository
        let stored = UserDefaults.standard.stringArray(forKey: Self.favoritesKey) ?? []
        favoriteIDs = Set(stored.compactMap(UUID.init(uuidString:)))

        Publishers.CombineLatest3($recipes, $searchText.debounce(for: .milliseconds(250), scheduler: RunLoop.main), $selectedCourse)
            .map { recipes, query, course in
                RecipeStore.filter(recipes, query: query, course: course)
            }
            .receive(on: RunLoop.main)
            .assign(to: &$filteredRecipes)
    }

    nonisolated static func filter(_ recipes: [Recipe], query: String, course: Course?) -> [Recipe] {
        let words = query.lowercased().split(separator: " ").map(String.init)
        return recipes.filter { recipe in
            if let course, recipe.course != course {
                return false
            }
            guard !words.isEmpty else { return true }
            let haystack = ([recipe.title, recipe.summary] + recipe.tags + recipe.ingredients.map(\.name))
                .joined(separator: " ")
                .lowercased()
            return words.allSatisfy { haystack.contains($0) }
        }
        .sorted { $0.title.localizedCaseInsensitiveCompare($1.title) == .orderedAscending }
    }

    var favorites: [Recipe] {
        recipes.filter { favoriteIDs.contains($0.id) }
    }

    var recipesByCourse: [Course: [Recipe]] {
        filteredRecipes.grouped(by: \.course)
    }

    func isFavorite(_ recipe: Recipe) -> Bool {
        favoriteIDs.contains(recipe.id)
    }

    func toggleFavorite(_ recipe: Recipe) {
        if favoriteIDs.remove(recipe.id) == nil {
            favoriteIDs.insert(recipe.id)
        }
    }

    func load() async {
        guard !state.isLoading else { return }
        state = .loading
        do {
            var loaded = try await repository.all()
            if loaded.isEmpty {
                loaded = try Self.decodeSamples()
            }
            recipes = loaded
            state = .loaded(loaded.count)
        } catch {
            state = .failed(error)
            lastError = error.localizedDescription
        }
    }

    func upsert(_ recipe: Recipe) {
        if let index = recipes.firstIndex(where: { $0.id == recipe.id }) {
            recipes[index] = recipe
        } else {
            recipes.append(recipe)
        }
    }

    func delete(_ recipe: Recipe) {
        recipes.removeAll { $0.id == recipe.id }
        favoriteIDs.remove(recipe.id)
        Task {
            do {
                try await repository.delete(id: recipe.id)
            } catch RepositoryError.notFound {
                // Never saved yet; nothing to remove on disk.
            } catch {
                lastError = error.localizedDescription
            }
        }
    }

    func delete(at offsets: IndexSet, in list: [Recipe]) {
        offsets.map { list[$0] }.forEach { delete($0) }
    }

    func binding(for recipe: Recipe) -> Binding<Recipe> {
        Binding {
            self.recipes.first { $0.id == recipe.id } ?? recipe
        } set: { newValue in
            self.upsert(newValue)
        }
    }

    /// Coalesces bursts of edits into one write a moment after the last change.
    private func scheduleSave() {
        saveTask?.cancel()
        let snapshot = recipes
        saveTask = Task { [repository] in
            try? await Task.sleep(for: .seconds(1))
            guard !Task.isCancelled else { return }
            for recipe in snapshot {
                try? await repository.save(recipe)
            }
        }
    }

    private static func decodeSamples() throws -> [Recipe] {
        let decoder = JSONDecoder()
        decoder.dateDecodingStrategy = .iso8601
        guard let data = Recipe.sampleJSON.data(using: .utf8) else {
            return []
        }
        return try decoder.decode([Recipe].self, from: data)
    }
}

extension RecipeStore {
    static var preview: RecipeStore {
        let store = RecipeStore(repository: InMemoryRepository(items: [Recipe.preview]))
        store.recipes = [Recipe.preview, Recipe(title: "Pancakes", course: .breakfast)]
        return store
    }
}

/// A kitchen timer for one step of a recipe.
@MainActor
final class StepTimer: ObservableObject, Identifiable {
    let id = UUID()
    let title: String
    let duration: TimeInterval
    @Published private(set) var remaining: TimeInterval
    @Published private(set) var isRunning = false
    private var ticker: AnyCancellable?

    init(title: String, minutes: Int) {
        self.title = title
        self.duration = TimeInterval(minutes * 60)
        self.remaining = TimeInterval(minutes * 60)
    }

    var progress: Double {
        duration > 0 ? 1 - remaining / duration : 1
    }

    var remainingText: String {
        let seconds = Int(remaining.rounded(.up))
        return String(format: "%d:%02d", seconds / 60, seconds % 60)
    }

    func start() {
        guard !isRunning, remaining > 0 else { return }
        isRunning = true
        ticker = Timer.publish(every: 1, on: .main, in: .common)
            .autoconnect()
            .sink { [weak self] _ in
                guard let self else { return }
                self.remaining = max(0, self.remaining - 1)
                if self.remaining == 0 {
                    self.stop()
                }
            }
    }

    func stop() {
        isRunning = false
        ticker?.cancel()
        ticker = nil
    }

    func reset() {
        stop()
        remaining = duration
    }
}
