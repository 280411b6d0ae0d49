#include "core/ir/IRJsonTree.hpp"

#include "core/support/Json.hpp"

#include <limits>

namespace tovrane::irjson {

// Receives nlohmann's parse events in document order.
struct JsonTree::Builder {
  using Json = json::Json;

  JsonTree tree;
  std::vector<std::uint32_t> open;  // containers not yet closed
  std::uint32_t keyOffset = 0;
  std::uint32_t keyLength = 0;

  std::uint32_t addText(std::string_view text) {
    const auto offset = static_cast<std::uint32_t>(tree.texts_.size());
    tree.texts_.append(text);
    return offset;
  }

  Node& add(Kind kind) {
    if (!open.empty()) ++tree.nodes_[open.back()].childCount;
    Node& node = tree.nodes_.emplace_back();
    node.kind = kind;
    node.end = static_cast<std::uint32_t>(tree.nodes_.size());
    node.keyOffset = keyOffset;
    node.keyLength = keyLength;
    keyLength = 0;
    return node;
  }
  bool scalar(Kind kind) {
    add(kind);
    return true;
  }
  bool startContainer(Kind kind) {
    add(kind);
    open.push_back(static_cast<std::uint32_t>(tree.nodes_.size() - 1));
    return true;
  }
  bool endContainer() {
    tree.nodes_[open.back()].end = static_cast<std::uint32_t>(tree.nodes_.size());
    open.pop_back();
    return true;
  }

  // The event interface nlohmann's SAX parser calls.
  bool null() { return scalar(Kind::null); }
  bool boolean(bool value) {
    add(Kind::boolean).boolean = value;
    return true;
  }
  bool number_integer(Json::number_integer_t) { return scalar(Kind::number); }
  bool number_unsigned(Json::number_unsigned_t) { return scalar(Kind::number); }
  bool number_float(Json::number_float_t, const Json::string_t&) { return scalar(Kind::number); }
  bool string(Json::string_t& value) {
    const auto offset = addText(value);
    Node& node = add(Kind::string);
    node.textOffset = offset;
    node.textLength = static_cast<std::uint32_t>(value.size());
    return true;
  }
  bool binary(Json::binary_t&) { return false; }
  bool start_object(std::size_t) { return startContainer(Kind::object); }
  bool key(Json::string_t& value) {
    keyOffset = addText(value);
    keyLength = static_cast<std::uint32_t>(value.size());
    return true;
  }
  bool end_object() { return endContainer(); }
  bool start_array(std::size_t) { return startContainer(Kind::array); }
  bool end_array() { return endContainer(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }
};

std::optional<JsonTree> JsonTree::parse(std::string_view text) {
  // Offsets are 32 bits wide; every text and node count stays below the input size.
  if (text.size() >= std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  Builder builder;
  builder.tree.texts_.reserve(text.size() / 2);
  if (!json::Json::sax_parse(text.begin(), text.end(), &builder)) return std::nullopt;
  return std::move(builder.tree);
}

std::optional<JsonTree::Ref> JsonTree::Ref::find(std::string_view key) const {
  for (std::uint32_t child = index_ + 1; child < node().end; child = tree_->nodes_[child].end)
    if (const Ref ref(*tree_, child); ref.key() == key) return ref;
  return std::nullopt;
}

}  // namespace tovrane::irjson
