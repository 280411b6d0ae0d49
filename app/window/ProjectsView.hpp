#pragma once
// The projects list page: every record of the history, newest first, under
// a header that counts them, narrowed as the user types into the search
// field. A row opens the record's detail page; its context menu reveals the
// Android folder or removes the record from the history (no confirmation,
// nothing moved to the Trash).
//
// Invariants: the list is derived from the store whenever the store or the
// search text changes; the search text is the page's only state and starts
// empty with every new page.
#include <QString>
#include <QWidget>

#include <vector>

class QLineEdit;
class QMenu;

namespace tovrane::app {

class Clock;
class Navigation;
class Platform;
class ProjectStore;
class ScrollingPage;
struct ProjectRecord;

class ProjectsView : public QWidget {
  Q_OBJECT

 public:
  ProjectsView(ProjectStore& store, Navigation& navigation, Platform& platform, const Clock& clock,
               QWidget* parent = nullptr);

  // The records whose name holds search, ignoring letter case but not
  // accents; all of them for an empty search. Blanks take part in the match.
  static std::vector<ProjectRecord> filtered(const std::vector<ProjectRecord>& records, const QString& search);

  // The context menu of a record's row.
  QMenu* rowMenu(const ProjectRecord& record, QWidget* parent);

 private:
  void refresh();

  ProjectStore& store_;
  Navigation& navigation_;
  Platform& platform_;
  const Clock& clock_;
  ScrollingPage* page_;
  QWidget* header_;
  QLineEdit* search_;
  QWidget* card_;
};

}  // namespace tovrane::app
