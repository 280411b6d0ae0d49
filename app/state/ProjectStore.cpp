#include "app/state/ProjectStore.hpp"

#include "app/state/ProjectHistoryFile.hpp"

#include <algorithm>

namespace tovrane::app {

ProjectStore::ProjectStore(Clock& clock, UuidSource& uuids, QObject* parent)
    : QObject(parent), clock_(clock), uuids_(uuids), file_(QStringLiteral("projekte.json")) {
  const std::optional<std::string> text = file_.read();
  if (!text) {
    return;
  }
  std::optional<std::vector<ProjectRecord>> records = decodeProjectHistory(*text);
  if (!records) {
    file_.markDamaged();
    return;
  }
  projects_ = std::move(*records);
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
  if (!id) {
    return std::nullopt;
  }
  const auto found = std::find_if(projects_.begin(), projects_.end(),
                                  [&id](const ProjectRecord& record) { return record.id == *id; });
  if (found == projects_.end()) {
    return std::nullopt;
  }
  return *found;
}

void ProjectStore::save() {
  if (const std::optional<std::string> text = encodeProjectHistory(projects_)) {
    file_.write(*text, 0644);
  }
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
