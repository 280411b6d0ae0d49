#pragma once
// A window's sidebar: the logo and name at the top, the navigation list in
// the middle, and at the bottom the update banner, the button "Anleitung"
// and the version line. The list follows the window's navigation and sets
// it when the user picks a row (by mouse or with the arrow keys); a record of
// "Zuletzt" has a context menu to show its Android folder or to remove it.
#include "app/state/ProjectRecord.hpp"

#include <QWidget>

#include <functional>

class QListView;
class QMenu;

namespace tovrane::app {

struct AppServices;
class JobCenter;
class Navigation;
class SidebarModel;

// Something (a folder, a file, even a broken link) is at the record's output path.
bool outputExists(const ProjectRecord& record);
// A running job of the job centre works on the record's output folder.
bool jobRunsOn(const JobCenter& jobs, const ProjectRecord& record);

class Sidebar : public QWidget {
  Q_OBJECT

 public:
  struct Actions {
    // Removes the record from the history, its Android folder to the Trash when asked.
    std::function<void(const ProjectRecord& record, bool trash)> remove;
    std::function<void()> showGuide;
  };

  Sidebar(const AppServices& services, Navigation& navigation, Actions actions, QWidget* parent = nullptr);

  QListView* list() const { return list_; }
  const SidebarModel& model() const { return *model_; }
  // The context menu of a record in "Zuletzt", its items enabled as things
  // stand when it is made (that is, when it opens).
  QMenu* recentMenu(const ProjectRecord& record);

 protected:
  // Keeps right-clicks away from the list's selection: they open a row's menu, not its page.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showNavigation();
  void rowChosen();

  const AppServices& services_;
  Navigation& navigation_;
  Actions actions_;
  SidebarModel* model_;
  QListView* list_;
};

}  // namespace tovrane::app
