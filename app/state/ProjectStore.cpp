#include "app/state/ProjectStore.hpp"

#include "app/state/ProjectHistoryFile.hpp"

#include <algorithm>

namespace tovrane::app {

namespace {

// Far beyond any real history (thousands of conversions with all their
// warnings), and still readable in one piece.
constexpr std::size_t maxFileBytes = std::size_t(128) << 20;

const ProjectRecord* findRecord(const std::vector<ProjectRecord>& records, const QUuid& id) {
  const auto found = std::find_if(records.begin(), records.end(),
                                  [&id](const ProjectRecord& record) { return record.id == id; });
  return found == records.end() ? nullptr : &*found;
}

// The file's list with what `mine` changed against `base` applied: records
// removed since are dropped, changed ones replaced, new ones put first in
// their order. What another instance wrote meanwhile stays.
std::vector<ProjectRecord> merged(const std::vector<ProjectRecord>& base, const std::vector<ProjectRecord>& mine,
                                  std::vector<ProjectRecord> file) {
  std::erase_if(file, [&](const ProjectRecord& record) {
    return findRecord(base, record.id) != nullptr && findRecord(mine, record.id) == nullptr;
  });
  std::vector<ProjectRecord> added;
  for (const ProjectRecord& record : mine) {
    const ProjectRecord* before = findRecord(base, record.id);
    if (before != nullptr && *before == record) {
      continue;
    }
    bool replaced = false;
    for (ProjectRecord& stored : file) {
      if (stored.id == record.id) {
        stored = record;
        replaced = true;
      }
    }
    if (!replaced) {
      added.push_back(record);
    }
  }
  file.insert(file.begin(), added.begin(), added.end());
  return file;
}

}  // namespace

ProjectStore::ProjectStore(Clock& clock, UuidSource& uuids, QObject* parent)
    : QObject(parent), clock_(clock), uuids_(uuids), file_(QStringLiteral("projekte.json"), maxFileBytes) {
  const StoreFile::Lock lock(file_);
  if (std::optional<std::vector<ProjectRecord>> records = file_.read(decodeProjectHistory)) {
    projects_ = std::move(*records);
    saved_ = projects_;
  }
}

void ProjectStore::setProjects(std::vector<ProjectRecord> projects) {
  if (projects == projects_) {
    return;
  }
  projects_ = std::move(projects);
  emit projectsChanged();
}

ProjectRecord ProjectStore::add(const ConversionResult& result, const std::filesystem::path& input,
                                std::optional<int> placeholders) {
  ProjectRecord record{
      .id = uuids_.next(),
      .name = QString::fromStdString(result.appName),
      .inputPath = QString::fromStdString(input.string()),
      .outputPath = QString::fromStdString(result.outputDirectory.string()),
      .date = clock_.now(),
      .swiftFiles = result.swiftFiles,
      .swiftLines = result.swiftLines,
      .kotlinFiles = result.kotlinFiles,
      .coverage = result.coverage,
      .unsupported = result.unsupportedCount,
      .placeholders = placeholders,
      .images = result.images,
      .colors = result.colors,
      .warnings = result.warnings,
      .ai = std::nullopt,
  };
  projects_.insert(projects_.begin(), record);
  emit projectsChanged();
  save();
  return record;
}

void ProjectStore::updateAI(const QUuid& id, const ProjectRecord::AIRecord& ai) {
  const auto found = std::find_if(projects_.begin(), projects_.end(),
                                  [&id](const ProjectRecord& record) { return record.id == id; });
  if (found == projects_.end()) {
    return;
  }
  if (found->ai != ai) {
    found->ai = ai;
    emit projectsChanged();
  }
  save();
}

void ProjectStore::remove(const QUuid& id) {
  if (std::erase_if(projects_, [&id](const ProjectRecord& record) { return record.id == id; }) > 0) {
    emit projectsChanged();
  }
  save();
}

std::optional<ProjectRecord> ProjectStore::project(const std::optional<QUuid>& id) const {
  const ProjectRecord* found = id ? findRecord(projects_, *id) : nullptr;
  if (found == nullptr) {
    return std::nullopt;
  }
  return *found;
}

std::vector<ProjectRecord> ProjectStore::writeMerged() {
  const StoreFile::Lock lock(file_);
  std::optional<std::vector<ProjectRecord>> file = file_.read(decodeProjectHistory);
  // A damaged file holds nothing to merge with: what this store last knew
  // stands for it. A missing one was emptied.
  if (!file) {
    file = file_.damaged() ? saved_ : std::vector<ProjectRecord>();
  }
  std::vector<ProjectRecord> records = merged(saved_, projects_, std::move(*file));
  const std::optional<std::string> text = encodeProjectHistory(records);
  if (!text) {
    throw StoreError(file_.path(), "Ein Eintrag enthält eine Zahl, die sich nicht speichern lässt");
  }
  file_.write(*text, 0644);
  return records;
}

void ProjectStore::save() {
  std::vector<ProjectRecord> records;
  try {
    records = writeMerged();
  } catch (const StoreError& error) {
    const QString message = QString::fromStdString(error.what()) +
                            QStringLiteral(" Die Einträge bleiben in der App erhalten und werden bei der nächsten "
                                           "Änderung erneut gespeichert.");
    if (saveError_ != message) {
      saveError_ = message;
      emit saveFailed(message);
    }
    return;
  }
  saved_ = records;
  saveError_.reset();
  // Announced with the lock given back: whoever listens may use the stores in turn.
  setProjects(std::move(records));
}

long long ProjectStore::totalLines() const {
  long long sum = 0;
  for (const ProjectRecord& record : projects_) {
    sum += record.swiftLines;
  }
  return sum;
}

long long ProjectStore::totalFiles() const {
  long long sum = 0;
  for (const ProjectRecord& record : projects_) {
    sum += record.kotlinFiles;
  }
  return sum;
}

double ProjectStore::averageCoverage() const {
  if (projects_.empty()) {
    return 0;
  }
  double sum = 0;
  for (const ProjectRecord& record : projects_) {
    sum += record.effectiveCoverage();
  }
  return sum / static_cast<double>(projects_.size());
}

long long ProjectStore::aiFixed() const {
  long long sum = 0;
  for (const ProjectRecord& record : projects_) {
    sum += record.aiSolved();
  }
  return sum;
}

int ProjectStore::compiledCount() const {
  return static_cast<int>(std::count_if(projects_.begin(), projects_.end(), [](const ProjectRecord& record) {
    return record.ai && record.ai->compiled == true;
  }));
}

}  // namespace tovrane::app
