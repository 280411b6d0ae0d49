#pragma once
// The history of finished conversions, newest first, kept in "projekte.json"
// in the application's folder, and the statistics derived from it.
//
// One store serves the whole process: every window and page shares it, so a
// change made in one shows in all. It lives on the UI thread. The file is
// read when the store is made. Every change is saved at once, as a merge
// under the folder's lock: what this store added, changed or removed since
// its last save is applied to the file as it is now, so records another
// instance of the application saved meanwhile stay (and appear here). A
// file that could not be read gives an empty history and is moved aside
// before the first save replaces it. A failed save leaves the list in
// memory as it is, is announced once with saveFailed, and the next change
// saves everything not yet written.
#include "app/state/Clock.hpp"
#include "app/state/ProjectRecord.hpp"
#include "app/state/StoreFile.hpp"

#include <QObject>

#include <filesystem>
#include <optional>
#include <vector>

namespace tovrane::app {

class ProjectStore : public QObject {
  Q_OBJECT

 public:
  ProjectStore(Clock& clock, UuidSource& uuids, QObject* parent = nullptr);

  const std::vector<ProjectRecord>& projects() const { return projects_; }
  // Replaces the list without saving (clearing the history is followed by save()).
  void setProjects(std::vector<ProjectRecord> projects);

  // A new record for a finished conversion of the folder `input`, put first
  // and saved; placeholders: those in the Kotlin it generated.
  ProjectRecord add(const ConversionResult& result, const std::filesystem::path& input,
                    std::optional<int> placeholders = std::nullopt);
  // Replaces the AI record of the record `id` and saves; nothing when no record has that id.
  void updateAI(const QUuid& id, const ProjectRecord::AIRecord& ai);
  // Removes every record `id` and saves, also when none matched.
  void remove(const QUuid& id);
  // The first record `id`; nullopt for no id or no such record.
  std::optional<ProjectRecord> project(const std::optional<QUuid>& id) const;

  // Merges the changes since the last save into the file (see above).
  void save();
  // The text of the last save's failure; nullopt when it succeeded.
  const std::optional<QString>& saveError() const { return saveError_; }

  // Sum of Swift lines.
  long long totalLines() const;
  // Sum of Kotlin files written.
  long long totalFiles() const;
  // Mean effective coverage; 0 for an empty history.
  double averageCoverage() const;
  // Sum of what the repairs solved (ProjectRecord::aiSolved); may be negative.
  long long aiFixed() const;
  // Records whose AI record says the project compiled.
  int compiledCount() const;

 signals:
  // The list changed (not emitted when it was set to an equal list).
  void projectsChanged();
  // A save failed (German, naming the file); not announced again while
  // further saves fail the same way.
  void saveFailed(const QString& message);

 private:
  // Under the folder's lock: the file's list with this store's changes,
  // written. Throws StoreError.
  std::vector<ProjectRecord> writeMerged();

  Clock& clock_;
  UuidSource& uuids_;
  StoreFile file_;
  std::vector<ProjectRecord> projects_;
  // The list as this store last read or wrote it: what it changed since is
  // the difference to projects_.
  std::vector<ProjectRecord> saved_;
  std::optional<QString> saveError_;
};

}  // namespace tovrane::app
