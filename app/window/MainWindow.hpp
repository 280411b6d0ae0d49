#pragma once
// One window of the application: its content (sidebar and pages), a
// toolbar with the jobs button at its right end, and the menus. At least
// 980 × 680, light whatever the system's scheme. Every window shows the
// same services; the application object makes and ends them.
#include <QMainWindow>

class QMenuBar;

namespace tovrane::app {

class ContentView;
class JobsToolbarButton;
class TovraneAndroidApp;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(TovraneAndroidApp& app, QWidget* parent = nullptr);

  ContentView& content() const { return *content_; }
  JobsToolbarButton& jobsButton() const { return *jobsButton_; }

  // The menus "Datei" and "Hilfe" of the application, for a window's menu
  // bar or (on macOS) the one shown while no window is open; window is the
  // one "Fenster schließen" closes, or none.
  static void addMenus(QMenuBar& bar, TovraneAndroidApp& app, QWidget* window);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  TovraneAndroidApp& app_;
  ContentView* content_;
  JobsToolbarButton* jobsButton_;
};

}  // namespace tovrane::app
