import Foundation

enum Difficulty: String, Codable, CaseIterable, Identifiable {
    case easy
    case medium
    case hard

    var id: String { rawValue }

    var stars: String {
        String(repeating: "★", count: Difficulty.allCases.firstIndex(of: self)! + 1)
    }
}

enum Course: String, Codable, CaseIterable, Identifiable {
    case breakfast = "Breakfast"
    case starter = "Starter"
    case main = "Main"
    case dessert = "Dessert"
    case drink = "Drink"

    var id: Self { self }

    var symbol: String {
        switch self {
        case .breakfast: "sunrise"
        case .starter: "leaf"
        case .main: "fork.knife"
        case .dessert: "birthday.cake"
        case .drink: "cup.and.saucer"
        }
    }
}

/// How much of an ingredient a recipe needs.
enum Quantity: Hashable {
    case weight(grams: Double)
    case volume(millilitres: Double)
    case count(Double, unit: String?)
    case toTaste

    func scaled(by factor: Double) -> Quantity {
        switch self {
        case .weight(let grams): return .weight(grams: grams * factor)
        case .volume(let ml): return .volume(millilitres: ml * factor)
        case .count(let amount, let unit): return .count(amount * factor, unit: unit)
        case .toTaste: return .toTaste
        }
    }

    var displayText: String {
        switch self {
        case .weight(let grams) where grams >= 1_000:
            return "\((grams / 1_000).formatted(.number.precision(.fractionLength(0 ... 2)))) kg"
        case .weight(let grams):
            return "\(Int(grams.rounded())) g"
        case .volume(let ml) where ml >= 1_000:
            return "\((ml / 1_000).formatted(.number.precision(.fractionLength(0 ... 2)))) l"
        case .volume(let ml):
            return "\(Int(ml.rounded())) ml"
        case .count(let amount, nil):
            return Quantity.fraction(amount)
        case .count(let amount, let unit?):
            return "\(Quantity.fraction(amount)) \(unit)"
        case .toTaste:
            return "to taste"
        }
    }

    /// Shows 0.5 as ½ and 1.25 as 1¼, which reads better in a recipe than decimals.
    static func fraction(_ value: Double) -> String {
        let whole = Int(value)
        let remainder = value - Double(whole)
        let glyphs: [(Double, String)] = [(0.25, "¼"), (1.0 / 3.0, "⅓"), (0.5, "½"), (2.0 / 3.0, "⅔"), (0.75, "¾")]
        if let match = glyphs.first(where: { abs($0.0 - remainder) < 0.02 }) {
            return whole == 0 ? match.1 : "\(whole)\(match.1)"
        }
        if remainder < 0.02 {
            return "\(whole)"
        }
        return value.formatted(.number.precision(.fractionLength(1)))
    }
}

extension Quantity: Codable {
    private enum CodingKeys: String, CodingKey {
        case kind
        case amount
        case unit
    }

    private enum Kind: String, Codable {
        case weight, volume, count, toTaste = "to-taste"
    }

    init(from decoder: Decoder) throws {
        let container = try decoder.container(keyedBy: CodingKeys.self)
        let kind = try container.decode(Kind.self, forKey: .kind)
        switch kind {
        case .weight:
            self = .weight(grams: try container.decode(Double.self, forKey: .amount))
        case .volume:
            self = .volume(millilitres: try container.decode(Double.self, forKey: .amount))
        case .count:
            let amount = try container.decode(Double.self, forKey: .amount)
            let unit = try container.decodeIfPresent(String.self, forKey: .unit)
            self = .count(amount, unit: unit)
        case .toTaste:
            self = .toTaste
        }
    }

    func encode(to encoder: Encoder) throws {
        var container = encoder.container(keyedBy: CodingKeys.self)
        switch self {
        case .weight(let grams):
            try container.encode(Kind.weight, forKey: .kind)
            try container.encode(grams, forKey: .amount)
        case .volume(let ml):
            try container.encode(Kind.volume, forKey: .kind)
            try container.encode(ml, forKey: .amount)
        case .count(let amount, let unit):
            try container.encode(Kind.count, forKey: .kind)
            try container.encode(amount, forKey: .amount)
            try container.encodeIfPresent(unit, forKey: .unit)
        case .toTaste:
            try container.encode(Kind.toTaste, forKey: .kind)
        }
    }
}

struct Ingredient: Identifiable, Hashable, Codable {
    var id = UUID()
    var name: String
    var quantity: Quantity
    var note: String?

    enum CodingKeys: String, CodingKey {
        case id, name, quantity, note
    }

    var line: String {
        var text = "\(quantity.displayText) \(name)"
        if let note, !note.isEmpty {
            text += ", \(note)"
        }
        return text
    }
}

struct Step: Identifiable, Hashable, Codable {
    var id = UUID()
    var text: String
    var timerMinutes: Int?

    enum CodingKeys: String, CodingKey {
        case id, text, timerMinutes
    }
}

struct Recipe: Identifiable, Hashable, Codable {
    let id: UUID
    var title: String
    var summary: String
    var course: Course
    var difficulty: Difficulty
    var servings: Int
    var prepMinutes: Int
    var cookMinutes: Int
    var ingredients: [Ingredient]
    var steps: [Step]
    var tags: Set<String>
    var imageURL: URL?
    var createdAt: Date
    var rating: Int?

    enum CodingKeys: String, CodingKey {
        case id, title, summary, course, difficulty, servings
        case prepMinutes = "prep_minutes"
        case cookMinutes = "cook_minutes"
        case ingredients, steps, tags
        case imageURL = "image_url"
        case createdAt = "created_at"
        case rating
    }

    init(
        id: UUID = UUID(),
        title: String,
        summary: String = "",
        course: Course = .main,
        difficulty: Difficulty = .easy,
        servings: Int = 2,
        prepMinutes: Int = 10,
        cookMinutes: Int = 20,
        ingredients: [Ingredient] = [],
        steps: [Step] = [],
        tags: Set<String> = [],
        imageURL: URL? = nil,
        createdAt: Date = .now,
        rating: Int? = nil
    ) {
        self.id = id
        self.title = title
        self.summary = summary
        self.course = course
        self.difficulty = difficulty
        self.servings = servings
        self.prepMinutes = prepMinutes
        self.cookMinutes = cookMinutes
        self.ingredients = ingredients
        self.steps = steps
        self.tags = tags
        self.imageURL = imageURL
        self.createdAt = createdAt
        self.rating = rating
    }

    init(from decoder: Decoder) throws {
        let container = try decoder.container(keyedBy: CodingKeys.self)
        id = try container.decodeIfPresent(UUID.self, forKey: .id) ?? UUID()
        title = try container.decode(String.self, forKey: .title)
        summary = try container.decodeIfPresent(String.self, forKey: .summary) ?? ""
        course = try container.decodeIfPresent(Course.self, forKey: .course) ?? .main
        difficulty = try container.decodeIfPresent(Difficulty.self, forKey: .difficulty) ?? .easy
        servings = try container.decodeIfPresent(Int.self, forKey: .servings) ?? 2
        prepMinutes = try container.decodeIfPresent(Int.self, forKey: .prepMinutes) ?? 0
        cookMinutes = try container.decodeIfPresent(Int.self, forKey: .cookMinutes) ?? 0
        ingredients = try container.decodeIfPresent([Ingredient].self, forKey: .ingredients) ?? []
        steps = try container.decodeIfPresent([Step].self, forKey: .steps) ?? []
        tags = try container.decodeIfPresent(Set<String>.self, forKey: .tags) ?? []
        imageURL = try container.decodeIfPresent(URL.self, forKey: .imageURL)
        createdAt = try container.decodeIfPresent(Date.self, forKey: .createdAt) ?? .now
        rating = try container.decodeIfPresent(Int.self, forKey: .rating)
    }

    var totalMinutes: Int { prepMinutes + cookMinutes }

    var totalTimeText: String {
        TimeInterval.minutes(Double(totalMinutes)).formattedDuration
    }

    func scaled(to newServings: Int) -> Recipe {
        guard servings > 0, newServings != servings else { return self }
        let factor = Double(newServings) / Double(servings)
        var copy = self
        copy.servings = newServings
        copy.ingredients = ingredients.map { ingredient in
            var scaled = ingredient
            scaled.quantity = ingredient.quantity.scaled(by: factor)
            return scaled
        }
        return copy
    }

    var markdown: String {
        MarkdownDocument {
            MarkdownBlock.heading(level: 1, text: title)
            if !summary.isEmpty {
                MarkdownBlock.quote(.paragraph(summary))
            }
            "Serves \(servings) · \(totalTimeText) · \(difficulty.rawValue.capitalized)"
            section("Ingredients") {
                MarkdownBlock.bulletList(ingredients.map(\.line))
            }
            section("Method") {
                MarkdownBlock.numberedList(steps.map(\.text))
            }
        }.text
    }
}

extension Ingredient: Summarizable {
    var summary: String { line }
}

// Hand-written recipes and imported ones often lack identifiers; give them fresh ones instead of failing.
extension Ingredient {
    init(from decoder: Decoder) throws {
        let container = try decoder.container(keyedBy: CodingKeys.self)
        self.init(
            id: try container.decodeIfPresent(UUID.self, forKey: .id) ?? UUID(),
            name: try container.decode(String.self, forKey: .name),
            quantity: try container.decodeIfPresent(Quantity.self, forKey: .quantity) ?? .toTaste,
            note: try container.decodeIfPresent(String.self, forKey: .note)
        )
    }
}

extension Step {
    init(from decoder: Decoder) throws {
        let container = try decoder.container(keyedBy: CodingKeys.self)
        id = try container.decodeIfPresent(UUID.self, forKey: .id) ?? UUID()
        text = try container.decode(String.self, forKey: .text)
        timerMinutes = try container.decodeIfPresent(Int.self, forKey: .timerMinutes)
    }
}

extension Recipe {
    static let sampleJSON = """
    [
      {
        "title": "Shakshuka",
        "summary": "Eggs poached in a spiced tomato and pepper sauce.",
        "course": "Breakfast",
        "difficulty": "easy",
        "servings": 2,
        "prep_minutes": 10,
        "cook_minutes": 25,
        "tags": ["vegetarian", "one-pan"],
        "ingredients": [
          { "name": "eggs", "quantity": { "kind": "count", "amount": 4 } },
          { "name": "chopped tomatoes", "quantity": { "kind": "weight", "amount": 400 } },
          { "name": "cumin", "quantity": { "kind": "count", "amount": 1, "unit": "tsp" } },
          { "name": "salt", "quantity": { "kind": "to-taste" } }
        ],
        "steps": [
          { "text": "Soften the onion and pepper in oil." },
          { "text": "Add spices and tomatoes; simmer.", "timerMinutes": 10 },
          { "text": "Make wells, crack in the eggs, cover until set.", "timerMinutes": 6 }
        ]
      }
    ]
    """

    static let preview = Recipe(
        title: "Lemon Pasta",
        summary: "Bright, quick and creamy without cream.",
        course: .main,
        difficulty: .easy,
        servings: 2,
        prepMinutes: 5,
        cookMinutes: 12,
        ingredients: [
            Ingredient(name: "spaghetti", quantity: .weight(grams: 200)),
            Ingredient(name: "lemon", quantity: .count(1, unit: nil), note: "zest and juice"),
            Ingredient(name: "parmesan", quantity: .weight(grams: 40), note: "finely grated"),
            Ingredient(name: "black pepper", quantity: .toTaste),
        ],
        steps: [
            Step(text: "Cook the pasta in salted water.", timerMinutes: 10),
            Step(text: "Toss with zest, juice, cheese and a splash of pasta water."),
        ],
        tags: ["quick", "vegetarian"]
    )
}
