#include "tests/app/fakes/PageServices.hpp"

#include "app/window/PageComponents.hpp"

#include <QCoreApplication>

namespace tovrane::app::test {

PageServices::PageServices() {
  clearStoredState();
  store = std::make_unique<ProjectStore>(clock, uuids);
}

ProjectRecord record(const QString& name, double coverage, int swiftLines, std::optional<ProjectRecord::AIRecord> ai) {
  ProjectRecord made = historyRecord(name, temporaryHome() + QStringLiteral("/") + name + QStringLiteral("-Android"),
                                     std::move(ai));
  made.coverage = coverage;
  made.swiftLines = swiftLines;
  made.kotlinFiles = 4;
  return made;
}

QStringList rowNames(const QWidget& page) {
  QStringList names;
  // ProjectRow has no meta-object of its own: found by name, not by type alone.
  for (const ProjectRow* row : page.findChildren<ProjectRow*>(QStringLiteral("projectRow"))) {
    if (row->isVisibleTo(&page)) {
      names.append(row->content().name);
    }
  }
  return names;
}

void capturePage(QWidget* page, const QString& name) {
  QCoreApplication::processEvents();
  capture(page, name);
}

}  // namespace tovrane::app::test
