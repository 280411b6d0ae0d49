import SwiftUI

@main
struct RecipeBookApp: App {
    @StateObject private var store = RecipeStore()
    @AppStorage("preferMetric") private var preferMetric = true
    @Environment(\.scenePhase) private var scenePhase

    var body: some Scene {
        WindowGroup {
            ContentView()
                .environmentObject(store)
                .task {
                    await store.load()
                }
        }
        .onChange(of: scenePhase) { oldPhase, newPhase in
            if oldPhase == .active && newPhase == .inactive {
                print("Recipe book moving to background with \(store.recipes.count) recipes")
            }
        }
    }
}

struct ContentView: View {
    enum Tab: String {
        case recipes, favorites, shopping
    }

    @EnvironmentObject private var store: RecipeStore
    @SceneStorage("selectedTab") private var selectedTab: Tab = .recipes

    var body: some View {
        TabView(selection: $selectedTab) {
            RecipeListView()
                .tabItem { Label("Recipes", systemImage: "book") }
                .tag(Tab.recipes)
            FavoritesView()
                .tabItem { Label("Favourites", systemImage: "heart") }
                .tag(Tab.favorites)
                .badge(store.favoriteIDs.count)
            ShoppingListView()
                .tabItem { Label("Shopping", systemImage: "cart") }
                .tag(Tab.shopping)
        }
    }
}

struct FavoritesView: View {
    @EnvironmentObject private var store: RecipeStore

    var body: some View {
        NavigationStack {
            Group {
                if store.favorites.isEmpty {
                    EmptyStateView(
                        systemImage: "heart",
                        title: "No favourites",
                        message: "Tap the heart on a recipe to keep it here."
                    )
                } else {
                    List(store.favorites) { recipe in
                        NavigationLink(value: recipe) {
                            RecipeRow(recipe: recipe, isFavorite: true)
                        }
                    }
                }
            }
            .navigationTitle("Favourites")
            .navigationDestination(for: Recipe.self) { recipe in
                RecipeDetailView(recipe: recipe)
            }
        }
    }
}

struct ShoppingListView: View {
    @EnvironmentObject private var store: RecipeStore
    @AppStorage("checkedShoppingItems") private var checkedRaw = ""

    private var checked: Set<String> {
        Set(checkedRaw.split(separator: "|").map(String.init))
    }

    private var items: [(name: String, quantities: [String])] {
        var combined: [String: [String]] = [:]
        for recipe in store.favorites {
            for ingredient in recipe.ingredients where ingredient.quantity != .toTaste {
                combined[ingredient.name.lowercased(), default: []].append(ingredient.quantity.displayText)
            }
        }
        return combined
            .map { (name: $0.key, quantities: $0.value) }
            .sorted { $0.name < $1.name }
    }

    var body: some View {
        NavigationStack {
            List {
                ForEach(items, id: \.name) { item in
                    Button {
                        toggle(item.name)
                    } label: {
                        HStack {
                            Image(systemName: checked.contains(item.name) ? "checkmark.square.fill" : "square")
                            VStack(alignment: .leading) {
                                Text(item.name.capitalized)
                                    .strikethrough(checked.contains(item.name))
                                Text(item.quantities.joined(separator: " + "))
                                    .font(.caption)
                                    .foregroundStyle(.secondary)
                            }
                        }
                    }
                    .foregroundStyle(.primary)
                }
            }
            .navigationTitle("Shopping")
            .toolbar {
                Button("Clear", role: .destructive) { checkedRaw = "" }
                    .disabled(checkedRaw.isEmpty)
            }
        }
    }

    private func toggle(_ name: String) {
        var set = checked
        if set.contains(name) {
            set.remove(name)
        } else {
            set.insert(name)
        }
        checkedRaw = set.sorted().joined(separator: "|")
    }
}

struct ContentView_Previews: PreviewProvider {
    static var previews: some View {
        ContentView()
            .environmentObject(RecipeStore.preview)
    }
}
