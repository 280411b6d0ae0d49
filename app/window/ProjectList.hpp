#pragma once
// History records as a list of project rows with a divider after every row
// whose record is not the last one listed, so the list has one divider fewer
// than rows. Clicking a row opens its record; a row may offer a context menu.
#include <QUuid>
#include <QWidget>

#include <functional>
#include <vector>

class QMenu;

namespace tovrane::app {

class Clock;
struct ProjectRecord;

class ProjectList : public QWidget {
 public:
  using Open = std::function<void(const QUuid& id)>;
  // A new menu for a record's row, owned by the caller; none: rows have no menu.
  using MenuFactory = std::function<QMenu*(const ProjectRecord& record, QWidget* parent)>;

  ProjectList(const std::vector<ProjectRecord>& records, const Clock& clock, Open open, MenuFactory menu = {},
              QWidget* parent = nullptr);
};

}  // namespace tovrane::app
