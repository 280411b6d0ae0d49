#include "app/state/ProjectHistoryFile.hpp"

#include "core/support/Json.hpp"

#include <cmath>
#include <limits>

namespace tovrane::app {

namespace {

// 2001-01-01T00:00:00Z in milliseconds since 1970.
constexpr qint64 referenceMSecs = 978307200000;
// Far beyond any real date, and small enough that milliseconds fit in 64 bits.
constexpr double maxReferenceSeconds = 1e14;

class NotWritable {};

double writableNumber(double value) {
  if (!std::isfinite(value)) {
    throw NotWritable();
  }
  return value;
}

double referenceSeconds(const QDateTime& date) {
  return static_cast<double>(date.toMSecsSinceEpoch() - referenceMSecs) / 1000;
}

QDateTime readDate(const json::Reader& reader) {
  const double seconds = reader.number();
  if (!(std::fabs(seconds) < maxReferenceSeconds)) {
    reader.fail("Datum außerhalb des Kalenders");
  }
  return QDateTime::fromMSecsSinceEpoch(std::llround(seconds * 1000) + referenceMSecs, Qt::UTC);
}

int readCount(const json::Reader& reader) {
  const long long value = reader.integer();
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
    reader.fail("Zahl zu groß");
  }
  return static_cast<int>(value);
}

QString readText(const json::Reader& reader) { return QString::fromStdString(reader.string()); }

QUuid readId(const json::Reader& reader) {
  const QString text = readText(reader);
  const QUuid id = QUuid::fromString(text);
  // fromString also takes braces; only the bare 36-character form is ours.
  if (text.size() != 36 || id.toString(QUuid::WithoutBraces).compare(text, Qt::CaseInsensitive) != 0) {
    reader.fail("keine UUID");
  }
  return id;
}

json::OrderedJson toJson(const ProjectRecord::AIRecord& ai) {
  json::OrderedJson object = json::OrderedJson::object();
  object["date"] = referenceSeconds(ai.date);
  object["backend"] = ai.backend.toStdString();
  object["fixed"] = ai.fixed;
  object["remaining"] = ai.remaining;
  if (ai.compiled) {
    object["compiled"] = *ai.compiled;
  }
  object["remainingErrors"] = ai.remainingErrors;
  object["costUSD"] = writableNumber(ai.costUSD);
  return object;
}

json::OrderedJson toJson(const ProjectRecord& record) {
  json::OrderedJson warnings = json::OrderedJson::array();
  for (const ConversionWarning& warning : record.warnings) {
    warnings.push_back(tovrane::toJson(warning));
  }
  json::OrderedJson object = json::OrderedJson::object();
  object["id"] = record.id.toString(QUuid::WithoutBraces).toUpper().toStdString();
  object["name"] = record.name.toStdString();
  object["inputPath"] = record.inputPath.toStdString();
  object["outputPath"] = record.outputPath.toStdString();
  object["date"] = referenceSeconds(record.date);
  object["swiftFiles"] = record.swiftFiles;
  object["swiftLines"] = record.swiftLines;
  object["kotlinFiles"] = record.kotlinFiles;
  object["coverage"] = writableNumber(record.coverage);
  object["unsupported"] = record.unsupported;
  if (record.placeholders) {
    object["placeholders"] = *record.placeholders;
  }
  object["images"] = record.images;
  object["colors"] = record.colors;
  object["warnings"] = std::move(warnings);
  if (record.ai) {
    object["ai"] = toJson(*record.ai);
  }
  return object;
}

ProjectRecord::AIRecord readAIRecord(const json::Reader& reader) {
  const std::optional<json::Reader> compiled = reader.optional("compiled");
  return ProjectRecord::AIRecord{
      .date = readDate(reader.at("date")),
      .backend = readText(reader.at("backend")),
      .fixed = readCount(reader.at("fixed")),
      .remaining = readCount(reader.at("remaining")),
      .compiled = compiled ? std::optional<bool>(compiled->boolean()) : std::nullopt,
      .remainingErrors = readCount(reader.at("remainingErrors")),
      .costUSD = reader.at("costUSD").number(),
  };
}

ProjectRecord readRecord(const json::Reader& reader) {
  const json::Reader warningsReader = reader.at("warnings");
  std::vector<ConversionWarning> warnings;
  for (std::size_t index = 0; index < warningsReader.array().size(); ++index) {
    warnings.push_back(readConversionWarning(warningsReader.at(index)));
  }
  const std::optional<json::Reader> ai = reader.optional("ai");
  const std::optional<json::Reader> placeholders = reader.optional("placeholders");
  return ProjectRecord{
      .id = readId(reader.at("id")),
      .name = readText(reader.at("name")),
      .inputPath = readText(reader.at("inputPath")),
      .outputPath = readText(reader.at("outputPath")),
      .date = readDate(reader.at("date")),
      .swiftFiles = readCount(reader.at("swiftFiles")),
      .swiftLines = readCount(reader.at("swiftLines")),
      .kotlinFiles = readCount(reader.at("kotlinFiles")),
      .coverage = reader.at("coverage").number(),
      .unsupported = readCount(reader.at("unsupported")),
      .placeholders = placeholders ? std::optional(readCount(*placeholders)) : std::nullopt,
      .images = readCount(reader.at("images")),
      .colors = readCount(reader.at("colors")),
      .warnings = std::move(warnings),
      .ai = ai ? std::optional(readAIRecord(*ai)) : std::nullopt,
  };
}

}  // namespace

std::optional<std::string> encodeProjectHistory(const std::vector<ProjectRecord>& records) {
  json::OrderedJson array = json::OrderedJson::array();
  try {
    for (const ProjectRecord& record : records) {
      array.push_back(toJson(record));
    }
  } catch (const NotWritable&) {
    return std::nullopt;
  }
  return json::dumpPretty(array);
}

std::optional<std::vector<ProjectRecord>> decodeProjectHistory(std::string_view text) {
  const std::optional<json::Json> document = json::tryParse(text);
  if (!document) {
    return std::nullopt;
  }
  const json::Reader root(*document);
  std::vector<ProjectRecord> records;
  try {
    const std::size_t count = root.array().size();
    for (std::size_t index = 0; index < count; ++index) {
      records.push_back(readRecord(root.at(index)));
    }
  } catch (const json::ReadError&) {
    return std::nullopt;
  }
  return records;
}

}  // namespace tovrane::app
