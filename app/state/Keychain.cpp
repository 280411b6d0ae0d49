#include "app/state/Keychain.hpp"

#include "app/state/StoreFile.hpp"
#include "core/support/Json.hpp"

#include <algorithm>

namespace tovrane::app {

namespace {

const QString fileName = QStringLiteral("schluessel.json");
// Three keys take a few hundred bytes.
constexpr std::size_t maxFileBytes = 1 << 20;

// The document when it is an object whose every member is a string.
std::optional<json::Json> decodeKeys(const std::string& text) {
  std::optional<json::Json> document = json::tryParse(text);
  const bool valid = document && document->is_object() &&
                     std::all_of(document->begin(), document->end(),
                                 [](const json::Json& value) { return value.is_string(); });
  return valid ? document : std::nullopt;
}

// The stored keys; empty when the file is missing or holds anything else
// (then marked damaged). A file others could read is narrowed to the owner
// first.
json::Json readKeys(StoreFile& file) {
  file.restrictToOwner();
  return file.read(decodeKeys).value_or(json::Json::object());
}

std::string storedKey(const json::Json& keys, const std::string& service) {
  const auto found = keys.find(service);
  return found == keys.end() ? std::string() : found->get<std::string>();
}

}  // namespace

QString Keychain::file() { return QString::fromStdString(StoreFile(fileName, maxFileBytes).path().string()); }

std::optional<QString> Keychain::load(const QString& service) {
  StoreFile file(fileName, maxFileBytes);
  const StoreFile::Lock lock(file);
  const QString key = QString::fromStdString(storedKey(readKeys(file), service.toStdString())).trimmed();
  if (key.isEmpty()) {
    return std::nullopt;
  }
  return key;
}

void Keychain::save(const QString& key, const QString& service) {
  StoreFile file(fileName, maxFileBytes);
  // Read, change and write as one step, so that a key another instance
  // saved meanwhile stays.
  const StoreFile::Lock lock(file);
  json::Json keys = readKeys(file);
  const std::string name = service.toStdString();
  const std::string value = key.trimmed().toStdString();
  if (storedKey(keys, name) == value) {
    return;
  }
  if (value.empty()) {
    keys.erase(name);
  } else {
    keys[name] = value;
  }
  file.write(json::dumpCompact(keys), 0600);
}

}  // namespace tovrane::app
