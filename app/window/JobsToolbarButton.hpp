#pragma once
// The window's toolbar button for the running jobs: a checkmark while none
// runs, else a spinner and "1 Prozess" / "N Prozesse". Clicking it (or
// Space or Return) opens the popover "Laufende Prozesse" below it, one card
// per job with its progress and the buttons "Öffnen" and, for repairs,
// "Abbrechen". While the button is shown, every change of the number of
// jobs sets the application's badge to it.
#include <QAbstractButton>
#include <QFrame>
#include <QPointer>

#include <filesystem>
#include <functional>

namespace tovrane::app {

class JobCenter;
class JobsPopover;
class Platform;
class Spinner;

class JobsToolbarButton : public QAbstractButton {
  Q_OBJECT

 public:
  using OpenProject = std::function<void(const std::filesystem::path& folder)>;

  // open: shows a job's project in the window.
  JobsToolbarButton(JobCenter& jobs, Platform& platform, OpenProject open, QWidget* parent = nullptr);

  // "1 Prozess", "3 Prozesse"; empty without jobs.
  QString label() const;
  // The open popover, if any.
  JobsPopover* popover() const { return popover_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void jobsChanged();
  void togglePopover();

  JobCenter& jobs_;
  Platform& platform_;
  OpenProject open_;
  std::size_t count_;
  QPointer<JobsPopover> popover_;
  Spinner* spinner_;
};

// The popover: "Laufende Prozesse", then "Gerade läuft nichts." or one card
// per job; it follows the job centre while it is open and closes on Esc or
// a click outside.
class JobsPopover : public QFrame {
  Q_OBJECT

 public:
  JobsPopover(JobCenter& jobs, JobsToolbarButton::OpenProject open, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void rebuild();

  JobCenter& jobs_;
  JobsToolbarButton::OpenProject open_;
  QWidget* content_ = nullptr;
};

}  // namespace tovrane::app
