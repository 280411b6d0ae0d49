import Foundation

/// The blocks a note or recipe can be exported as.
indirect enum MarkdownBlock: Equatable {
    case heading(level: Int, text: String)
    case paragraph(String)
    case bulletList([String])
    case numberedList([String])
    case checklist([(text: String, done: Bool)])
    case code(language: String?, source: String)
    case quote(MarkdownBlock)
    case rule

    static func == (lhs: MarkdownBlock, rhs: MarkdownBlock) -> Bool {
        lhs.rendered == rhs.rendered
    }

    var rendered: String {
        switch self {
        case let .heading(level, text):
            let hashes = String(repeating: "#", count: level.clamped(to: 1 ... 6))
            return "\(hashes) \(text)"
        case .paragraph(let text):
            return text
        case .bulletList(let items):
            return items.map { "- \($0)" }.joined(separator: "\n")
        case .numberedList(let items):
            return items.enumerated()
                .map { index, item in "\(index + 1). \(item)" }
                .joined(separator: "\n")
        case .checklist(let items):
            return items
                .map { "- [\($0.done ? "x" : " ")] \($0.text)" }
                .joined(separator: "\n")
        case .code(let language, let source):
            return """
            ```\(language ?? "")
            \(source)
            ```
            """
        case .quote(let inner):
            return inner.rendered
                .split(separator: "\n", omittingEmptySubsequences: false)
                .map { "> \($0)" }
                .joined(separator: "\n")
        case .rule:
            return "---"
        }
    }
}

@resultBuilder
enum MarkdownBuilder {
    static func buildBlock(_ components: [MarkdownBlock]...) -> [MarkdownBlock] {
        components.flatMap { $0 }
    }

    static func buildExpression(_ expression: MarkdownBlock) -> [MarkdownBlock] {
        [expression]
    }

    static func buildExpression(_ expression: String) -> [MarkdownBlock] {
        [.paragraph(expression)]
    }

    static func buildExpression(_ expression: [MarkdownBlock]) -> [MarkdownBlock] {
        expression
    }

    static func buildOptional(_ component: [MarkdownBlock]?) -> [MarkdownBlock] {
        component ?? []
    }

    static func buildEither(first component: [MarkdownBlock]) -> [MarkdownBlock] {
        component
    }

    static func buildEither(second component: [MarkdownBlock]) -> [MarkdownBlock] {
        component
    }

    static func buildArray(_ components: [[MarkdownBlock]]) -> [MarkdownBlock] {
        components.flatMap { $0 }
    }

    static func buildLimitedAvailability(_ component: [MarkdownBlock]) -> [MarkdownBlock] {
        component
    }
}

struct MarkdownDocument {
    var blocks: [MarkdownBlock]

    init(@MarkdownBuilder _ content: () -> [MarkdownBlock]) {
        blocks = content()
    }

    var text: String {
        blocks.map(\.rendered).joined(separator: "\n\n") + "\n"
    }

    var wordCount: Int {
        text.split { $0.isWhitespace || $0.isNewline }.count
    }
}

func section(_ title: String, level: Int = 2, @MarkdownBuilder content: () -> [MarkdownBlock]) -> [MarkdownBlock] {
    [.heading(level: level, text: title)] + content()
}

enum MarkdownEscaping {
    /// Characters that start Markdown syntax when they begin a line or surround a word.
    static let specialCharacters: Set<Character> = ["\\", "`", "*", "_", "{", "}", "[", "]", "(", ")", "#", "+", "-", ".", "!"]

    static func escape(_ text: String) -> String {
        var result = ""
        result.reserveCapacity(text.count)
        for character in text {
            if specialCharacters.contains(character) {
                result.append("\\")
            }
            result.append(character)
        }
        return result
    }

    /// Matches a Markdown link such as [title](https://example.com).
    static let linkPattern = #"\[([^\]]+)\]\(([^)\s]+)\)"#

    static let frontMatterTemplate = #"""
    ---
    title: "\#(placeholder)"
    tags: [\#(placeholder)]
    ---
    """#

    private static let placeholder = "{{value}}"

    static func links(in text: String) -> [(title: String, url: URL)] {
        guard let regex = try? NSRegularExpression(pattern: linkPattern) else { return [] }
        let range = NSRange(text.startIndex..., in: text)
        return regex.matches(in: text, range: range).compactMap { match in
            guard
                let titleRange = Range(match.range(at: 1), in: text),
                let urlRange = Range(match.range(at: 2), in: text),
                let url = URL(string: String(text[urlRange]))
            else {
                return nil
            }
            return (String(text[titleRange]), url)
        }
    }
}
