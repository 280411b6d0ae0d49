import Foundation

enum Transport: String, CaseIterable, Identifiable, Codable {
    case plane
    case train
    case car
    case boat

    var id: String { rawValue }

    var title: String {
        rawValue.capitalized
    }

    var systemImage: String {
        switch self {
        case .plane: return "airplane"
        case .train: return "tram.fill"
        case .car: return "car.fill"
        case .boat: return "ferry.fill"
        }
    }
}

struct Trip: Identifiable, Hashable, Codable {
    var id = UUID()
    var name: String
    var destination: String
    var startDate: Date
    var endDate: Date
    var transport: Transport
    var notes: String = ""
    var isFavorite: Bool = false

    var nights: Int {
        let days = Calendar.current.dateComponents([.day], from: startDate, to: endDate).day ?? 0
        return max(days, 0)
    }

    var isUpcoming: Bool {
        startDate > Date()
    }

    var dateRangeText: String {
        let start = startDate.formatted(date: .abbreviated, time: .omitted)
        let end = endDate.formatted(date: .abbreviated, time: .omitted)
        return "\(start) – \(end)"
    }
}

extension Trip {
    static let samples: [Trip] = [
        Trip(
            name: "Spring in Lisbon",
            destination: "Lisbon, Portugal",
            startDate: Date().addingTimeInterval(86_400 * 20),
            endDate: Date().addingTimeInterval(86_400 * 25),
            transport: .plane,
            notes: "Tram 28, pastéis de nata, Belém tower."
        ),
        Trip(
            name: "Alps by rail",
            destination: "Zermatt, Switzerland",
            startDate: Date().addingTimeInterval(86_400 * 60),
            endDate: Date().addingTimeInterval(86_400 * 67),
            transport: .train,
            isFavorite: true
        ),
        Trip(
            name: "Island hopping",
            destination: "Split, Croatia",
            startDate: Date().addingTimeInterval(-86_400 * 40),
            endDate: Date().addingTimeInterval(-86_400 * 33),
            transport: .boat
        ),
    ]
}
