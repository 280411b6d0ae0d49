func run(xs: [Int]) async throws -> Int? {
    guard let first = xs.first else { return nil }
    outer: for (i, x) in xs.enumerated() where i > 0 {
        if x == first { continue outer } else if x < 0 { break }
    }
    switch first {
    case .zero, 1...5: return 1
    case let n where n > 10: fallthrough
    default: break
    }
    do { try await work() } catch let e as MyError { print(e) } catch {}
    defer { cleanup() }
    return try? compute() ?? 0
}
