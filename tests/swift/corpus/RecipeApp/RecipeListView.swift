import SwiftUI

struct RecipeListView: View {
    @EnvironmentObject private var store: RecipeStore
    @State private var path: [Recipe] = []
    @State private var showingEditor = false
    @State private var draft = Recipe(title: "")
    @State private var layout: Layout = .list

    enum Layout: String, CaseIterable {
        case list, grid

        var symbol: String { self == .list ? "list.bullet" : "square.grid.2x2" }
    }

    private let columns = [GridItem(.adaptive(minimum: 160), spacing: 16)]

    var body: some View {
        NavigationStack(path: $path) {
            content
                .navigationTitle("Recipes")
                .navigationDestination(for: Recipe.self) { recipe in
                    RecipeDetailView(recipe: recipe)
                }
                .searchable(text: $store.searchText, prompt: "Title, tag or ingredient")
                .refreshable {
                    await store.load()
                }
                .toolbar {
                    ToolbarItem(placement: .primaryAction) {
                        Button {
                            draft = Recipe(title: "")
                            showingEditor = true
                        } label: {
                            Image(systemName: "plus")
                        }
                        .accessibilityLabel("New recipe")
                    }
                    ToolbarItem(placement: .secondaryAction) {
                        Picker("Layout", selection: $layout) {
                            ForEach(Layout.allCases, id: \.self) { layout in
                                Label(layout.rawValue.capitalized, systemImage: layout.symbol)
                            }
                        }
                    }
                    ToolbarItem(placement: .secondaryAction) {
                        Menu("Course") {
                            Button("All") { store.selectedCourse = nil }
                            Divider()
                            ForEach(Course.allCases) { course in
                                Button {
                                    store.selectedCourse = course
                                } label: {
                                    Label(course.rawValue, systemImage: course.symbol)
                                }
                            }
                        }
                    }
                }
                .sheet(isPresented: $showingEditor) {
                    NavigationStack {
                        RecipeEditorView(recipe: $draft) { saved in
                            store.upsert(saved)
                            path.append(saved)
                        }
                    }
                }
                .alert("Something went wrong", isPresented: Binding(
                    get: { store.lastError != nil },
                    set: { isShown in
                        if !isShown { store.lastError = nil }
                    }
                )) {
                    Button("OK", role: .cancel) {}
                } message: {
                    Text(store.lastError ?? "")
                }
        }
    }

    @ViewBuilder
    private var content: some View {
        switch store.state {
        case .idle, .loading where store.recipes.isEmpty:
            ProgressView("Loading recipes…")
        case .failed(let error) where store.recipes.isEmpty:
            EmptyStateView(
                systemImage: "exclamationmark.triangle",
                title: "Couldn’t load recipes",
                message: error.localizedDescription,
                actionTitle: "Try Again"
            ) {
                Task { await store.load() }
            }
        default:
            switch layout {
            case .list:
                recipeList
            case .grid:
                recipeGrid
            }
        }
    }

    private var recipeList: some View {
        List {
            ForEach(Course.allCases) { course in
                if let recipes = store.recipesByCourse[course], !recipes.isEmpty {
                    Section {
                        ForEach(recipes) { recipe in
                            NavigationLink(value: recipe) {
                                RecipeRow(recipe: recipe, isFavorite: store.isFavorite(recipe))
                            }
                        }
                        .onDelete { offsets in
                            store.delete(at: offsets, in: recipes)
                        }
                    } header: {
                        Label(course.rawValue, systemImage: course.symbol)
                    }
                }
            }
        }
        .listStyle(.insetGrouped)
    }

    private var recipeGrid: some View {
        ScrollView {
            LazyVGrid(columns: columns, spacing: 16) {
                ForEach(store.filteredRecipes) { recipe in
                    NavigationLink(value: recipe) {
                        RecipeCard(recipe: recipe)
                    }
                    .buttonStyle(.plain)
                }
            }
            .padding()
        }
    }
}

struct RecipeRow: View {
    let recipe: Recipe
    var isFavorite = false

    var body: some View {
        HStack(spacing: 12) {
            RecipeThumbnail(url: recipe.imageURL, size: 56)
            VStack(alignment: .leading, spacing: 4) {
                HStack {
                    Text(recipe.title)
                        .font(.headline)
                    if isFavorite {
                        Image(systemName: "heart.fill")
                            .font(.caption)
                            .foregroundStyle(.pink)
                    }
                }
                Text("\(recipe.totalTimeText) · \(recipe.difficulty.stars)")
                    .font(.subheadline)
                    .foregroundStyle(.secondary)
                if !recipe.tags.isEmpty {
                    Text(recipe.tags.sorted().map { "#\($0)" }.joined(separator: " "))
                        .font(.caption)
                        .foregroundStyle(.tint)
                        .lineLimit(1)
                }
            }
        }
    }
}

struct RecipeCard: View {
    let recipe: Recipe

    var body: some View {
        VStack(alignment: .leading, spacing: 8) {
            RecipeThumbnail(url: recipe.imageURL, size: nil)
                .frame(height: 110)
                .clipped()
            Text(recipe.title)
                .font(.headline)
                .lineLimit(2, reservesSpace: true)
            Label(recipe.totalTimeText, systemImage: "clock")
                .font(.caption)
                .foregroundStyle(.secondary)
        }
        .cardStyle(padding: 10)
    }
}

struct RecipeThumbnail: View {
    let url: URL?
    let size: CGFloat?

    var body: some View {
        AsyncImage(url: url, transaction: Transaction(animation: .easeIn)) { phase in
            switch phase {
            case .success(let image):
                image.resizable().scaledToFill()
            case .failure:
                placeholder(systemImage: "photo.badge.exclamationmark")
            case .empty:
                placeholder(systemImage: "fork.knife")
            @unknown default:
                placeholder(systemImage: "fork.knife")
            }
        }
        .frame(width: size, height: size)
        .clipShape(RoundedRectangle(cornerRadius: 8))
    }

    private func placeholder(systemImage: String) -> some View {
        ZStack {
            Rectangle().fill(.quaternary)
            Image(systemName: systemImage)
                .foregroundStyle(.secondary)
        }
    }
}

struct RecipeListView_Previews: PreviewProvider {
    static var previews: some View {
        Group {
            RecipeListView()
                .previewDisplayName("List")
            RecipeRow(recipe: .preview, isFavorite: true)
                .padding()
                .previewLayout(.sizeThatFits)
                .previewDisplayName("Row")
        }
        .environmentObject(RecipeStore.preview)
    }
}
